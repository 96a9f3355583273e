#include "ui/user_guide.h"
#include "ui/import_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "core/language_table.h"
#include "ui/busy_cursor.h"
#include "ui/qt_convert.h"
#include "workspace/recent_files.h"
#include "workspace/survey_session.h"

namespace olvar::ui {

namespace {

constexpr std::string_view kImportFilter =
    "EPI-Info-6, DBase, CSV|*.rec;*.dbf;*.csv;*.tsv;*.txt|All files (*)|*";
// The date format choice, in the order of DateOrder's dmy, mdy, ymd.
constexpr std::array<core::DateOrder, 3> kDateOrders = {core::DateOrder::dmy, core::DateOrder::mdy,
                                                        core::DateOrder::ymd};
constexpr core::LanguageEntry kTooManyFields{805};
constexpr core::LanguageEntry kSurveyVariable{1099};
constexpr core::LanguageEntry kFieldOfFile{1100};
constexpr core::LanguageEntry kDateFormat{1074};

std::string entry_text(const workspace::AppContext& app, core::LanguageEntry entry) {
  return app.text != nullptr ? app.text->text(entry) : std::string();
}

}  // namespace

ImportWindow* ImportWindow::start(Services services, QWidget* parent) {
  const std::optional<std::string> file =
      services.prompter.choose_file("Import EPI Info File", kImportFilter, false);
  if (!file) return nullptr;
  services.app.settings.last_folder = workspace::dialog_folder_of(*file);
  std::string bytes;
  formats::ImportHeader header;
  try {
    const BusyCursor busy;
    bytes = formats::read_import_bytes(*file);
    header = formats::read_import_header(bytes, formats::import_format_of(*file), *file);
  } catch (const std::exception& error) {
    services.prompter.inform(error.what());
    return nullptr;
  }
  auto* window =
      new ImportWindow(std::move(services), *file, std::move(bytes), std::move(header), parent);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->open();
  return window;
}

ImportWindow::ImportWindow(Services services, std::string file, std::string bytes,
                           formats::ImportHeader header, QWidget* parent)
    : QDialog(parent),
      services_(std::move(services)),
      file_(std::move(file)),
      bytes_(std::move(bytes)),
      header_(std::move(header)) {
  setProperty(kGuidePageProperty, "enter.html#tools");  // F1 opens the guide there
  setWindowTitle(tr("Import"));
  setObjectName(QStringLiteral("ImportWindow"));
  auto* layout = new QVBoxLayout(this);
  const char* kind = header_.format == formats::ImportFormat::epi_info ? "EPI Info 6"
                     : header_.format == formats::ImportFormat::dbase  ? "DBase"
                                                                       : "CSV";
  auto* format_label = new QLabel(QString::fromLatin1(kind));
  format_label->setObjectName(QStringLiteral("format_label"));
  layout->addWidget(format_label);
  layout->addWidget(new QLabel(to_qstring(file_)));

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(to_qstring(entry_text(services_.app, kSurveyVariable))), 0, 0);
  grid->addWidget(new QLabel(to_qstring(entry_text(services_.app, kFieldOfFile))), 0, 1);
  const formats::ImportMapping preselected =
      formats::preselected_mapping(header_.fields, services_.app.dates.order);
  for (int t = 0; t < formats::kImportTargetCount; ++t) {
    const auto slot = static_cast<std::size_t>(t);
    const std::string_view name = core::header_text(formats::kImportTargets[slot]);
    auto* list = new QComboBox;
    list->setObjectName(QString::fromLatin1(name.data(), static_cast<int>(name.size())));
    list->addItem(QString());  // no field
    for (const formats::ImportField& field : header_.fields) list->addItem(to_qstring(field.name));
    list->setCurrentIndex(preselected.field_of_target[slot] + 1);
    lists_[slot] = list;
    grid->addWidget(new QLabel(QString::fromLatin1(name.data(), static_cast<int>(name.size()))),
                    t + 1, 0);
    grid->addWidget(list, t + 1, 1);
  }
  layout->addLayout(grid);

  auto* date_row = new QGridLayout;
  date_row->addWidget(new QLabel(to_qstring(entry_text(services_.app, kDateFormat))), 0, 0);
  date_format_ = new QComboBox;
  date_format_->setObjectName(QStringLiteral("date_format"));
  date_format_->addItems(
      {QStringLiteral("ddmmyy"), QStringLiteral("mmddyy"), QStringLiteral("yymmdd")});
  const auto order = std::find(kDateOrders.begin(), kDateOrders.end(), preselected.file_order);
  date_format_->setCurrentIndex(static_cast<int>(order - kDateOrders.begin()));
  date_row->addWidget(date_format_, 0, 1);
  layout->addLayout(date_row);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &ImportWindow::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ImportWindow::reject);
  layout->addWidget(buttons);
}

formats::ImportMapping ImportWindow::mapping() const {
  formats::ImportMapping mapping;
  for (std::size_t t = 0; t < lists_.size(); ++t)
    mapping.field_of_target[t] = lists_[t]->currentIndex() - 1;
  mapping.file_order =
      kDateOrders[static_cast<std::size_t>(std::max(0, date_format_->currentIndex()))];
  return mapping;
}

void ImportWindow::accept() {
  const BusyCursor busy;
  core::Workspace start = services_.current;
  const anthro::RowEvaluationSettings settings = services_.evaluation_settings(start);
  formats::ImportContext context;
  context.dates = services_.app.dates;
  context.current_year = services_.app.today.year;
  const anthro::WhoReference* who = services_.app.who;
  context.evaluate_row = [&settings, who](core::Workspace& w, int row) {
    if (who != nullptr) anthro::Anthropometrie_Line(w.survey, row, settings, *who);
  };
  formats::ImportResult result;
  try {
    result = formats::import_survey(bytes_, header_, mapping(), file_, std::move(start), context);
  } catch (const std::exception& error) {
    // The open survey stays as it was.
    services_.prompter.inform(error.what());
    QDialog::reject();
    return;
  }
  services_.replace(std::move(result.workspace));
  if (result.columns_cut) services_.prompter.inform(entry_text(services_.app, kTooManyFields));
  if (!result.notes.empty()) {
    std::string told;
    for (const formats::ImportNote& note : result.notes)
      told += (told.empty() ? "" : "\n") + note.message;
    services_.prompter.inform(told);
  }
  QDialog::accept();
}

}  // namespace olvar::ui
