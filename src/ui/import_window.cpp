#include "ui/user_guide.h"
#include "ui/import_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "core/foreign_date.h"
#include "core/language_table.h"
#include "core/text_conversions.h"
#include "formats/saved_mappings.h"
#include "formats/xlsx_file.h"
#include "mortality/roster_columns.h"
#include "mortality/roster_import.h"
#include "platform/safe_write.h"
#include "ui/busy_cursor.h"
#include "ui/palette.h"
#include "ui/qt_convert.h"
#include "workspace/recent_files.h"
#include "workspace/survey_session.h"

namespace olvar::ui {

namespace {

constexpr std::string_view kImportFilter =
    "Epi Info, dBase, CSV/TSV, XLSX|*.rec;*.dbf;*.csv;*.tsv;*.txt;*.xlsx|All files (*)|*";
constexpr std::string_view kRosterFilter = "CSV|*.csv;*.txt|All files (*)|*";
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

std::vector<std::string> survey_target_names() {
  std::vector<std::string> names;
  for (const core::StdVar target : formats::kImportTargets) {
    names.emplace_back(core::header_text(target));
  }
  return names;
}

std::vector<std::string> roster_target_names() {
  return {mortality::kRosterColumns.begin(), mortality::kRosterColumns.end()};
}

std::string lower_case(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The roster columns a field of that name gives: its own name, case ignored.
std::vector<int> roster_preselection(const std::vector<formats::ImportField>& fields) {
  std::vector<int> chosen(mortality::kRosterColumns.size(), -1);
  for (std::size_t k = 0; k < chosen.size(); ++k) {
    for (std::size_t f = 0; f < fields.size(); ++f) {
      if (lower_case(fields[f].name) == lower_case(std::string(mortality::kRosterColumns[k]))) {
        chosen[k] = static_cast<int>(f);
      }
    }
  }
  return chosen;
}

// A list of persons beside the roster: the file of the same folder whose name holds `word`
// ("left", "died") and the roster's own name with "roster" replaced by it.
std::string companion_file(const std::string& roster, const std::string& word) {
  const std::filesystem::path path(roster);
  std::string name = path.filename().string();
  const std::size_t at = lower_case(name).find("roster");
  if (at == std::string::npos) return {};
  name.replace(at, 6, word);
  std::error_code error;
  const std::filesystem::path candidate = path.parent_path() / name;
  return std::filesystem::is_regular_file(candidate, error) ? candidate.string() : std::string();
}

}  // namespace

ImportWindow* ImportWindow::start(Services services, QWidget* parent) {
  const bool roster = services.kind == Kind::roster;
  const std::optional<std::string> file = services.prompter.choose_file(
      roster ? "Import household roster" : "Import Epi Info, dBase, CSV/TSV or XLSX file",
      roster ? kRosterFilter : kImportFilter, false);
  if (!file) return nullptr;
  return open_file(std::move(services), *file, parent);
}

ImportWindow* ImportWindow::open_file(Services services, const std::string& file,
                                      QWidget* parent) {
  services.app.settings.last_folder = workspace::dialog_folder_of(file);
  std::string bytes;
  formats::ImportHeader header;
  try {
    const BusyCursor busy;
    bytes = formats::read_import_bytes(file);
    const formats::ImportFormat format = services.kind == Kind::roster
                                             ? formats::ImportFormat::delimited
                                             : formats::import_format_of(file);
    header = formats::read_import_header(bytes, format, file);
  } catch (const std::exception& error) {
    services.prompter.inform(error.what());
    return nullptr;
  }
  auto* window =
      new ImportWindow(std::move(services), file, std::move(bytes), std::move(header), parent);
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
  const bool roster = services_.kind == Kind::roster;
  setWindowTitle(roster ? tr("Import household roster") : tr("Import"));
  setObjectName(QStringLiteral("ImportWindow"));
  auto* layout = new QVBoxLayout(this);
  const char* kind = roster                                                 ? "Household roster (CSV)"
                     : header_.format == formats::ImportFormat::epi_info    ? "EPI Info 6"
                     : header_.format == formats::ImportFormat::dbase       ? "DBase"
                     : header_.format == formats::ImportFormat::xlsx        ? "XLSX"
                                                                            : "CSV";
  auto* top = new QHBoxLayout;
  auto* format_label = new QLabel(QString::fromLatin1(kind));
  format_label->setObjectName(QStringLiteral("format_label"));
  top->addWidget(format_label);
  top->addWidget(new QLabel(to_qstring(file_)), 1);
  if (header_.format == formats::ImportFormat::xlsx) {
    top->addWidget(new QLabel(tr("Sheet")));
    sheet_ = new QComboBox;
    sheet_->setObjectName(QStringLiteral("sheet"));
    try {
      for (const std::string& name : formats::xlsx_sheet_names(bytes_, file_)) {
        sheet_->addItem(to_qstring(name));
      }
    } catch (const std::exception&) {
      // The header was read, so the sheets were too; nothing else to offer.
    }
    sheet_->setCurrentText(to_qstring(header_.sheet));
    connect(sheet_, &QComboBox::currentTextChanged, this, &ImportWindow::choose_sheet);
    top->addWidget(sheet_);
  }
  layout->addLayout(top);

  auto* body = new QHBoxLayout;
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(roster ? tr("Roster column")
                                    : to_qstring(entry_text(services_.app, kSurveyVariable))),
                  0, 0);
  grid->addWidget(new QLabel(to_qstring(entry_text(services_.app, kFieldOfFile))), 0, 1);
  const std::vector<std::string>& names = target_names();
  for (std::size_t t = 0; t < names.size(); ++t) {
    auto* list = new QComboBox;
    list->setObjectName(to_qstring(names[t]));
    list->setMinimumContentsLength(10);
    connect(list, &QComboBox::currentIndexChanged, this, [this] {
      if (filling_) return;
      guess_date_order();
      refresh_preview();
    });
    lists_.push_back(list);
    grid->addWidget(new QLabel(to_qstring(names[t])), static_cast<int>(t) + 1, 0);
    grid->addWidget(list, static_cast<int>(t) + 1, 1);
  }
  grid->setRowStretch(static_cast<int>(names.size()) + 1, 1);
  body->addLayout(grid, 0);

  auto* right = new QVBoxLayout;
  auto* date_row = new QHBoxLayout;
  date_row->addWidget(new QLabel(to_qstring(entry_text(services_.app, kDateFormat))));
  date_format_ = new QComboBox;
  date_format_->setObjectName(QStringLiteral("date_format"));
  date_format_->addItems(
      {QStringLiteral("ddmmyy"), QStringLiteral("mmddyy"), QStringLiteral("yymmdd")});
  connect(date_format_, &QComboBox::currentIndexChanged, this, [this] {
    if (filling_) return;
    order_chosen_ = true;
    date_guess_->setText(tr("chosen"));
    refresh_preview();
  });
  date_row->addWidget(date_format_);
  date_guess_ = new QLabel;
  date_guess_->setObjectName(QStringLiteral("date_guess"));
  date_row->addWidget(date_guess_, 1);
  right->addLayout(date_row);
  saved_note_ = new QLabel;
  saved_note_->setObjectName(QStringLiteral("saved_note"));
  right->addWidget(saved_note_);

  preview_ = new QTableWidget;
  preview_->setObjectName(QStringLiteral("preview"));
  preview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  preview_->verticalHeader()->setDefaultSectionSize(20);
  right->addWidget(new QLabel(tr("The first records as they will be read:")));
  right->addWidget(preview_, 1);
  refused_note_ = new QLabel;
  refused_note_->setObjectName(QStringLiteral("refused_note"));
  refused_note_->setWordWrap(true);
  right->addWidget(refused_note_);
  if (roster) right->addWidget(roster_lists());
  body->addLayout(right, 1);
  layout->addLayout(body, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  if (!roster) {
    QPushButton* save = buttons->addButton(tr("Save mapping"), QDialogButtonBox::ActionRole);
    save->setObjectName(QStringLiteral("save_mapping"));
    connect(save, &QPushButton::clicked, this, &ImportWindow::save_mapping);
  }
  connect(buttons, &QDialogButtonBox::accepted, this, &ImportWindow::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ImportWindow::reject);
  layout->addWidget(buttons);
  resize(1100, 640);

  // The preselection: a mapping saved for a file with these fields, else the fields named like
  // the targets.
  std::vector<int> chosen;
  if (roster) {
    chosen = roster_preselection(header_.fields);
  } else {
    formats::ImportMapping preselected =
        formats::preselected_mapping(header_.fields, services_.app.dates.order);
    std::error_code error;
    const std::filesystem::path saved_file =
        services_.app.folders.writable / formats::kSavedMappingsFile;
    if (std::filesystem::is_regular_file(saved_file, error)) {
      try {
        const formats::SavedMappings saved =
            formats::SavedMappings::parse(formats::read_import_bytes(saved_file));
        if (const std::optional<formats::ImportMapping> found = saved.find(header_.fields)) {
          preselected = *found;
          order_chosen_ = true;
          saved_note_->setText(tr("The mapping saved for files with these fields is used."));
        }
      } catch (const std::exception&) {
        // An unreadable file of saved mappings offers none.
      }
    }
    chosen.assign(preselected.field_of_target.begin(), preselected.field_of_target.end());
    const auto order = std::find(kDateOrders.begin(), kDateOrders.end(), preselected.file_order);
    filling_ = true;
    date_format_->setCurrentIndex(
        order == kDateOrders.end() ? 0 : static_cast<int>(order - kDateOrders.begin()));
    filling_ = false;
    if (order_chosen_) date_guess_->setText(tr("as saved"));
  }
  fill_lists(chosen);
  guess_date_order();
  refresh_preview();
}

const std::vector<std::string>& ImportWindow::target_names() const {
  static const std::vector<std::string> survey = survey_target_names();
  static const std::vector<std::string> roster = roster_target_names();
  return services_.kind == Kind::roster ? roster : survey;
}

void ImportWindow::fill_lists(const std::vector<int>& preselected) {
  filling_ = true;
  for (std::size_t t = 0; t < lists_.size(); ++t) {
    QComboBox* list = lists_[t];
    list->clear();
    list->addItem(QString());  // no field
    for (const formats::ImportField& field : header_.fields) list->addItem(to_qstring(field.name));
    const int field = t < preselected.size() ? preselected[t] : -1;
    list->setCurrentIndex(field >= -1 && field < static_cast<int>(header_.fields.size())
                              ? field + 1
                              : 0);
  }
  filling_ = false;
}

formats::ImportMapping ImportWindow::mapping() const {
  formats::ImportMapping mapping;
  if (services_.kind == Kind::survey) {
    for (std::size_t t = 0; t < lists_.size() && t < mapping.field_of_target.size(); ++t) {
      mapping.field_of_target[t] = lists_[t]->currentIndex() - 1;
    }
  }
  mapping.file_order =
      kDateOrders[static_cast<std::size_t>(std::max(0, date_format_->currentIndex()))];
  return mapping;
}

void ImportWindow::guess_date_order() {
  if (order_chosen_) return;
  core::DateOrderGuess guess;
  if (services_.kind == Kind::survey) {
    guess = formats::guess_file_date_order(bytes_, header_, mapping(), services_.app.dates.order,
                                           services_.app.today.year);
  } else {
    // The roster's interview dates.
    const int field = lists_[6]->currentIndex() - 1;
    std::vector<std::string> texts;
    if (field >= 0) {
      try {
        formats::read_import_records(bytes_, header_, file_,
                                     [&](const std::vector<std::string>& record) {
                                       texts.push_back(record[static_cast<std::size_t>(field)]);
                                       return true;
                                     });
      } catch (const std::exception&) {
      }
    }
    guess = core::guess_date_order(std::vector<std::string_view>(texts.begin(), texts.end()),
                                   services_.app.dates.order, services_.app.today.year);
  }
  const auto order = std::find(kDateOrders.begin(), kDateOrders.end(), guess.order);
  filling_ = true;
  date_format_->setCurrentIndex(
      order == kDateOrders.end() ? 0 : static_cast<int>(order - kDateOrders.begin()));
  filling_ = false;
  if (guess.texts == 0) {
    date_guess_->setText(tr("no dates mapped"));
  } else if (guess.from_data) {
    date_guess_->setText(tr("guessed from the dates of the file: %1 of %2 read")
                             .arg(guess.readable)
                             .arg(guess.texts));
  } else {
    date_guess_->setText(tr("a guess: the dates read alike in every order; check the preview"));
  }
}

void ImportWindow::refresh_preview() {
  const std::vector<std::string>& names = target_names();
  // Only the targets that are given a field are shown.
  std::vector<std::size_t> shown;
  for (std::size_t t = 0; t < lists_.size(); ++t) {
    if (lists_[t]->currentIndex() > 0) shown.push_back(t);
  }
  preview_->clear();
  preview_->setColumnCount(static_cast<int>(shown.size()));
  QStringList headings;
  for (const std::size_t t : shown) {
    headings << to_qstring(names[t]) + QStringLiteral("\n") + lists_[t]->currentText();
  }
  preview_->setHorizontalHeaderLabels(headings);

  // Per shown target, per record: the cell and why it is refused.
  std::vector<std::vector<formats::PreviewCell>> cells;
  if (services_.kind == Kind::survey) {
    const formats::ImportPreview preview =
        formats::preview_import(bytes_, header_, mapping(), file_, services_.app.dates,
                                services_.app.today.year, kPreviewRows);
    for (const auto& row : preview.rows) {
      auto& line = cells.emplace_back();
      for (const std::size_t t : shown) line.push_back(row[t]);
    }
  } else {
    const core::DateOrder order = mapping().file_order;
    try {
      formats::read_import_records(
          bytes_, header_, file_, [&](const std::vector<std::string>& record) {
            auto& line = cells.emplace_back();
            for (const std::size_t t : shown) {
              const std::string& text =
                  record[static_cast<std::size_t>(lists_[t]->currentIndex() - 1)];
              formats::PreviewCell cell{text, {}};
              const std::string_view column = mortality::kRosterColumns[t];
              if (column == "KEY" && text.empty()) cell.refused = "no household key";
              if ((column == "age_years" || column == "cluster_id") && !text.empty() &&
                  !core::parse_number(text, '.')) {
                cell.refused = "not a number";
              }
              if (column == "today" && !text.empty() &&
                  !core::read_foreign_date(text, order, services_.app.today.year)) {
                cell.refused = "no date in the order " + std::string(core::order_code(order));
              }
              line.push_back(std::move(cell));
            }
            return static_cast<int>(cells.size()) < kPreviewRows;
          });
    } catch (const std::exception&) {
      // The records before a malformed one are shown; the import says what is wrong.
    }
  }

  preview_->setRowCount(static_cast<int>(cells.size()));
  int refused = 0;
  QString first_reason;
  for (std::size_t r = 0; r < cells.size(); ++r) {
    for (std::size_t c = 0; c < cells[r].size(); ++c) {
      const formats::PreviewCell& cell = cells[r][c];
      auto* item = new QTableWidgetItem(to_qstring(cell.cell));
      if (!cell.refused.empty()) {
        item->setBackground(palette::kMarked);
        item->setToolTip(to_qstring(cell.refused));
        if (refused++ == 0) {
          first_reason = tr("record %1, %2 \"%3\": %4")
                             .arg(r + 1)
                             .arg(to_qstring(names[shown[c]]), to_qstring(cell.cell),
                                  to_qstring(cell.refused));
        }
      }
      preview_->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  }
  preview_->resizeColumnsToContents();
  if (refused == 0) {
    refused_note_->setText(tr("No value of these records is refused."));
  } else {
    refused_note_->setText(
        tr("%1 values of these records will not be read as they should (marked); the first: %2")
            .arg(refused)
            .arg(first_reason));
  }
}

void ImportWindow::choose_sheet(const QString& sheet) {
  try {
    const BusyCursor busy;
    header_ = formats::read_import_header(bytes_, formats::ImportFormat::xlsx, file_,
                                          from_qstring(sheet));
  } catch (const std::exception& error) {
    services_.prompter.inform(error.what());
    return;
  }
  const formats::ImportMapping preselected =
      formats::preselected_mapping(header_.fields, services_.app.dates.order);
  fill_lists({preselected.field_of_target.begin(), preselected.field_of_target.end()});
  guess_date_order();
  refresh_preview();
}

void ImportWindow::save_mapping() {
  const std::filesystem::path file = services_.app.folders.writable / formats::kSavedMappingsFile;
  formats::SavedMappings saved;
  std::error_code error;
  try {
    if (std::filesystem::is_regular_file(file, error)) {
      saved = formats::SavedMappings::parse(formats::read_import_bytes(file));
    }
    if (!saved.put(header_.fields, mapping())) {
      services_.prompter.inform("The mapping cannot be saved: a field name holds a line end.");
      return;
    }
    platform::write_file_safely(file, saved.text());
  } catch (const std::exception& failure) {
    services_.prompter.inform(std::string("The mapping could not be saved: ") + failure.what());
    return;
  }
  saved_note_->setText(tr("Mapping saved: it is offered again for a file with these fields."));
}

QWidget* ImportWindow::roster_lists() {
  auto* box = new QWidget;
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  const auto add = [&](int row, const QString& label, const char* name, const std::string& word) {
    grid->addWidget(new QLabel(label), row, 0);
    auto* edit = new QLineEdit(to_qstring(companion_file(file_, word)));
    edit->setObjectName(QString::fromLatin1(name));
    grid->addWidget(edit, row, 1);
    auto* choose = new QPushButton(tr("Choose..."));
    connect(choose, &QPushButton::clicked, this, [this, edit] {
      if (const auto chosen =
              services_.prompter.choose_file("Choose the list of persons", kRosterFilter, false)) {
        edit->setText(to_qstring(*chosen));
      }
    });
    grid->addWidget(choose, row, 2);
    return edit;
  };
  grid->addWidget(
      new QLabel(tr("Lists of the persons who left and who died during the recall period (CSV, "
                    "columns KEY, sex_left, age_left, join_left, birth_left and KEY, sex_died, "
                    "age_died, join_died, birth_died, death_cause, death_location):")),
      0, 0, 1, 3);
  left_file_ = add(1, tr("Persons who left"), "left_file", "left");
  died_file_ = add(2, tr("Persons who died"), "died_file", "died");
  return box;
}

void ImportWindow::accept() {
  if (services_.kind == Kind::roster) {
    accept_roster();
    return;
  }
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

void ImportWindow::accept_roster() {
  std::vector<int> chosen;
  for (QComboBox* list : lists_) chosen.push_back(list->currentIndex() - 1);
  for (std::size_t k = 0; k < mortality::kRequiredRosterColumns; ++k) {
    if (chosen[k] < 0) {
      services_.prompter.inform("Choose the field of the roster column " +
                                std::string(mortality::kRosterColumns[k]) + ".");
      return;
    }
  }
  const BusyCursor busy;
  std::string left, died;
  try {
    const std::string left_path = from_qstring(left_file_->text());
    const std::string died_path = from_qstring(died_file_->text());
    if (!left_path.empty()) left = formats::read_import_bytes(left_path);
    if (!died_path.empty()) died = formats::read_import_bytes(died_path);
  } catch (const std::exception& error) {
    services_.prompter.inform(error.what());
    return;
  }
  const std::string roster =
      mortality::roster_with_columns(bytes_, header_.fields.size(), chosen);
  mortality::RosterImport imported =
      mortality::import_roster(roster, left, died, services_.app.dates);
  if (!imported.error.empty()) {
    services_.prompter.inform(imported.error);
    return;
  }
  core::Workspace workspace = services_.current;
  workspace.mortality_individuals = std::move(imported.individuals);
  workspace.changed = true;
  services_.replace(std::move(workspace));
  services_.prompter.inform(std::to_string(imported.households) + " households, " +
                            std::to_string(imported.persons) + " persons imported");
  QDialog::accept();
}

}  // namespace olvar::ui
