#include "ui/data_tools.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QToolBar>
#include <QWidget>
#include <exception>
#include <fstream>
#include <iterator>

#include "core/survey_file.h"
#include "entry/edit_history.h"
#include "formats/double_entry.h"
#include "formats/export_table.h"
#include "formats/merge.h"
#include "ui/busy_cursor.h"
#include "ui/double_entry_window.h"
#include "ui/filter_window.h"
#include "ui/merge_window.h"
#include "ui/qt_convert.h"
#include "ui/sort_window.h"
#include "workspace/survey_options_sync.h"
#include "workspace/survey_session.h"

namespace olvar::ui {

namespace {

constexpr int kFilterInactive = 836;
constexpr int kFilterActive = 837;
constexpr int kSaveChangesQuestion = 848;
constexpr int kChooseBothFiles = 1072;
constexpr std::string_view kDropFilteredChangesQuestion =
    "Rows or variables were added or deleted while the filter was on, so the changes made to the "
    "filtered children cannot be put back into the whole survey.\n\nRemove the filter and lose "
    "those changes? (No keeps the filtered table, which you can save under a new name.)";
constexpr std::string_view kSurveyFilter = "Survey files (*.as)|*.as|All files (*)|*";

std::string whole_file(const std::filesystem::path& file) {
  std::error_code ignored;
  std::ifstream in(file, std::ios::binary);
  if (!in || std::filesystem::is_directory(file, ignored)) {
    throw std::runtime_error("cannot open " + file.string() + " for reading");
  }
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw std::runtime_error("cannot read " + file.string());
  return bytes;
}

}  // namespace

DataTools::DataTools(Services services, QWidget* window)
    : QObject(window), services_(std::move(services)), window_(window) {}

std::string DataTools::text(int entry) const {
  return services_.app.text != nullptr ? services_.app.text->text(entry) : std::string();
}

void DataTools::add_entry_buttons(QToolBar* bar) {
  QAction* sort = bar->addAction(tr("Sort"), this, [this] { open_sort_window(); });
  sort->setObjectName(QStringLiteral("SortButton"));
  filter_action_ = bar->addAction(to_qstring(text(kFilterInactive)), this,
                                  [this] { open_filter_window(); });
  filter_action_->setObjectName(QStringLiteral("FilterButton"));
  QAction* transfer =
      bar->addAction(tr("Transfer data to Excel"), this, [this] { export_to_spreadsheet(); });
  transfer->setObjectName(QStringLiteral("TransferToExcel"));
}

void DataTools::add_extras_entries(QMenu* extras) {
  QAction* copy = extras->addAction(tr("Copy Data to Excel"), this, [this] { export_to_spreadsheet(); });
  copy->setObjectName(QStringLiteral("CopyDataToExcel"));
  QAction* merge = extras->addAction(tr("Merge surveys"), this, [this] { open_merge_window(); });
  merge->setObjectName(QStringLiteral("MergeSurveys"));
  QAction* check = extras->addAction(tr("Check of Double Entry"), this,
                                     [this] { open_double_entry_window(); });
  check->setObjectName(QStringLiteral("CheckDoubleEntry"));
}

void DataTools::refresh() {
  if (!services_.filter_active && filter_.active()) filter_.forget();
  if (filter_action_ != nullptr) {
    filter_action_->setText(to_qstring(text(filter_.active() ? kFilterActive : kFilterInactive)));
  }
}

void DataTools::open_sort_window() {
  auto* window = new SortWindow(services_.workspace.survey, services_.app.sort_order, *services_.app.text, window_);
  window->setAttribute(Qt::WA_DeleteOnClose);
  connect(window, &QDialog::accepted, this, [this, window] {
    const std::optional<int> first = window->first_column();
    if (!first) return;
    services_.app.sort_order = window->order();
    const BusyCursor busy;
    core::SortSurvey(services_.workspace, *first, window->second_column(), services_.app.sort_order,
                     services_.app.dates.decimal_separator);
    services_.table_replaced("sort by " + std::string(services_.workspace.survey.cell(*first, 0)));
  });
  window->open();
}

void DataTools::open_filter_window() {
  refresh();
  auto* window =
      new FilterWindow(services_.workspace.survey, filter_.active(), *services_.app.text, window_);
  window->setAttribute(Qt::WA_DeleteOnClose);
  connect(window, &QDialog::accepted, this, [this, window] {
    core::SurveyTable& table = services_.workspace.survey;
    std::string step = "removal of the filter";
    if (window->choice() == FilterWindow::Choice::remove_filter) {
      if (filter_.remove_keeping_corrections(table) == formats::FilterRemoval::needs_confirmation) {
        if (!services_.prompter().ask_yes_no(kDropFilteredChangesQuestion)) return;
        filter_.remove(table);
      }
    } else {
      const std::optional<int> column = window->column();
      if (!column) return;
      const BusyCursor busy;
      step = "filter by " + std::string(table.cell(*column, 0));
      filter_.apply(table, *column, window->conditions(), services_.app.dates.decimal_separator,
                    [this](int count) {
                      services_.show_caption(QStringLiteral("Filter %1").arg(count));
                      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                    });
      services_.show_caption(QStringLiteral("Filter"));
    }
    services_.filter_active = filter_.active();
    services_.table_replaced(step);
    refresh();
  });
  window->open();
}

void DataTools::export_to_spreadsheet() {
  core::Workspace& workspace = services_.workspace;
  core::Prompter& prompter = services_.prompter();
  if (workspace.changed && prompter.ask_yes_no(text(kSaveChangesQuestion))) {
    services_.save_survey();
  }
  // The export reads the saved file: a survey never saved has none.
  std::error_code ignored;
  if (workspace.file_name.empty() || !std::filesystem::exists(workspace.file_name, ignored)) {
    prompter.inform("The export reads the saved survey file: save the survey first.");
    return;
  }
  if (!services_.app.who->found()) {
    prompter.inform(
        "The WHO reference table is missing or unusable: the export, which shows WHO z-scores, "
        "cannot be made.");
    return;
  }
  std::string table;
  {
    const BusyCursor busy;
    const formats::ExportSettings settings =
        formats::export_settings(services_.options(), services_.app.dates);
    try {
      table = formats::export_survey_file(workspace.file_name,
                                          formats::kandu_means(workspace.survey, settings),
                                          settings, *services_.app.who);
    } catch (const std::exception& error) {
      prompter.inform(error.what());
      return;
    }
  }
  // The hand-off joins the rows and ends the last one itself.
  if (!table.empty() && table.back() == '\n') table.pop_back();
  services_.hand_off(document::DocumentBuffer(std::move(table)), true, "export");
}

void DataTools::open_merge_window() {
  // The merged survey is a new one: the New command settles unsaved changes first. Until a merge
  // is made the open survey (with its filter) is kept, and comes back on Cancel or failure.
  auto before = std::make_shared<Snapshot>(Snapshot{services_.workspace, services_.filter_active, filter_});
  if (!services_.new_survey()) return;
  std::filesystem::path folder = services_.app.settings.last_folder;
  std::error_code ignored;
  if (folder.empty() || !std::filesystem::is_directory(folder, ignored)) {
    folder = std::filesystem::current_path(ignored);
  }
  auto* window = new MergeWindow(folder, *services_.app.text, window_);
  window->setAttribute(Qt::WA_DeleteOnClose);
  connect(window, &QDialog::finished, this, [this, window, before](int result) {
    if (result == QDialog::Accepted && merge_files(window->chosen_files())) return;
    services_.workspace = std::move(before->workspace);
    services_.filter_active = before->filter_active;
    filter_ = std::move(before->filter);
    services_.table_replaced({});
    refresh();
  });
  window->open();
}

bool DataTools::merge_files(const std::vector<std::filesystem::path>& files) {
  if (files.empty()) return false;
  core::Prompter& prompter = services_.prompter();
  const BusyCursor busy;
  std::vector<core::Workspace> surveys;
  const workspace::SurveySession session = workspace::survey_session(services_.app, prompter);
  for (const std::filesystem::path& file : files) {
    // Each file is read as Open reads it, from the new survey with the options in force.
    core::Workspace survey = services_.workspace;
    const workspace::OpenOutcome outcome = workspace::open_survey(survey, file, session);
    if (!outcome.opened) {
      if (outcome.failure != core::SurveyFileError::Kind::no_header) {
        prompter.inform(outcome.failure_message);
      }
      return false;  // nothing is merged
    }
    surveys.push_back(std::move(survey));
  }
  try {
    core::Workspace merged = formats::merge_surveys(surveys);
    merged.file_name.clear();
    merged.changed = true;
    services_.workspace = std::move(merged);
  } catch (const std::exception& error) {
    prompter.inform(error.what());
    return false;
  }
  services_.filter_active = false;
  filter_.forget();
  services_.table_replaced(
      entry::rows_step_name("merge", services_.workspace.survey.last_used_row()));
  refresh();
  return true;
}

void DataTools::open_double_entry_window() {
  auto* window = new DoubleEntryWindow(
      *services_.app.text,
      [this](const std::string& caption) {
        return services_.prompter().choose_file(caption, kSurveyFilter, false);
      },
      window_);
  window->setAttribute(Qt::WA_DeleteOnClose);
  connect(window, &QDialog::accepted, this, [this, window] {
    core::Prompter& prompter = services_.prompter();
    if (window->first_file().empty() || window->second_file().empty()) {
      prompter.inform(text(kChooseBothFiles));
      return;
    }
    try {
      const formats::DoubleEntryFile first{window->first_file(), whole_file(window->first_file())};
      const formats::DoubleEntryFile second{window->second_file(),
                                            whole_file(window->second_file())};
      const formats::DoubleEntryReport report =
          formats::double_entry_report(first, second, window->choice(), *services_.app.text);
      services_.hand_off(document::DocumentBuffer(report.rtf), false, "double entry check");
    } catch (const std::exception& error) {
      prompter.inform(error.what());
    }
  });
  window->open();
}

}  // namespace olvar::ui
