#include "ui/user_guide.h"
#include "ui/merge_window.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <system_error>

#include "ui/qt_convert.h"

namespace olvar::ui {

MergeWindow::MergeWindow(const std::filesystem::path& folder, const core::LanguageTable& text,
                         QWidget* parent)
    : QDialog(parent) {
  setProperty(kGuidePageProperty, "enter.html#tools");  // F1 opens the guide there
  setObjectName(QStringLiteral("MergeWindow"));
  setWindowTitle(tr("Merge surveys"));
  setMinimumWidth(520);  // room for a whole path
  folder_ = new QLineEdit;
  folder_->setObjectName(QStringLiteral("MergeFolder"));
  folder_->setReadOnly(true);
  auto* browse = new QPushButton(tr("Folder..."));
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString chosen = QFileDialog::getExistingDirectory(this, tr("Folder"), folder_->text());
    if (!chosen.isEmpty()) show_folder(qstring_to_path(chosen));
  });
  files_ = new QListWidget;
  files_->setObjectName(QStringLiteral("MergeFiles"));
  files_->setSelectionMode(QAbstractItemView::ExtendedSelection);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* folder_row = new QHBoxLayout;
  folder_row->addWidget(folder_, 1);
  folder_row->addWidget(browse);
  auto* layout = new QVBoxLayout(this);
  auto* hint = new QLabel(to_qstring(text.text(1105)));
  hint->setWordWrap(true);
  layout->addWidget(hint);
  layout->addLayout(folder_row);
  layout->addWidget(new QLabel(to_qstring(text.text(918))));
  layout->addWidget(files_, 1);
  layout->addWidget(buttons);
  show_folder(folder);
}

void MergeWindow::show_folder(const std::filesystem::path& folder) {
  folder_->setText(path_to_qstring(folder));
  files_->clear();
  std::vector<std::filesystem::path> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    std::error_code ignored;
    if (!entry.is_regular_file(ignored)) continue;
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".as") found.push_back(entry.path());
  }
  std::sort(found.begin(), found.end());
  for (const auto& file : found) {
    auto* item = new QListWidgetItem(path_to_qstring(file.filename()), files_);
    item->setData(Qt::UserRole, path_to_qstring(file));
  }
}

std::vector<std::filesystem::path> MergeWindow::chosen_files() const {
  std::vector<std::filesystem::path> chosen;
  for (int row = 0; row < files_->count(); ++row) {
    const QListWidgetItem* item = files_->item(row);
    if (item->isSelected()) chosen.push_back(qstring_to_path(item->data(Qt::UserRole).toString()));
  }
  return chosen;
}

}  // namespace olvar::ui
