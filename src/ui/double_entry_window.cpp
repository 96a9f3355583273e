#include "ui/user_guide.h"
#include "ui/double_entry_window.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_convert.h"

namespace olvar::ui {

DoubleEntryWindow::DoubleEntryWindow(
    const core::LanguageTable& text,
    std::function<std::optional<std::string>(const std::string& caption)> choose_file,
    QWidget* parent)
    : QDialog(parent) {
  setProperty(kGuidePageProperty, "enter.html#tools");  // F1 opens the guide there
  setObjectName(QStringLiteral("DoubleEntryWindow"));
  setWindowTitle(to_qstring(text.text(1065)));
  setMinimumWidth(520);  // room for a whole path
  first_ = new QLineEdit;
  first_->setObjectName(QStringLiteral("DoubleEntryFile1"));
  second_ = new QLineEdit;
  second_->setObjectName(QStringLiteral("DoubleEntryFile2"));
  auto* grid = new QGridLayout;
  int row = 0;
  for (auto [entry, box] : {std::pair{1069, first_}, std::pair{1070, second_}}) {
    const std::string caption = " " + text.text(entry) + " ";
    auto* button = new QPushButton(to_qstring(caption));
    connect(button, &QPushButton::clicked, this, [box, caption, choose_file] {
      if (const auto file = choose_file(caption)) box->setText(path_to_qstring(*file));
    });
    grid->addWidget(button, row, 0);
    grid->addWidget(box, row, 1);
    ++row;
  }
  anthropometric_ = new QCheckBox(to_qstring(text.text(1066)));
  anthropometric_->setObjectName(QStringLiteral("DoubleEntryAnthropometric"));
  anthropometric_->setChecked(true);
  mortality_ = new QCheckBox(to_qstring(text.text(1098)));
  mortality_->setObjectName(QStringLiteral("DoubleEntryMortality"));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  auto* hint = new QLabel(to_qstring(text.text(1068)));
  hint->setWordWrap(true);
  layout->addWidget(hint);
  layout->addLayout(grid);
  layout->addWidget(anthropometric_);
  layout->addWidget(mortality_);
  layout->addWidget(buttons);
}

std::string DoubleEntryWindow::first_file() const {
  return first_->text().isEmpty() ? std::string() : qstring_to_path(first_->text()).string();
}
std::string DoubleEntryWindow::second_file() const {
  return second_->text().isEmpty() ? std::string() : qstring_to_path(second_->text()).string();
}

formats::DoubleEntryChoice DoubleEntryWindow::choice() const {
  return {anthropometric_->isChecked(), mortality_->isChecked()};
}

}  // namespace olvar::ui
