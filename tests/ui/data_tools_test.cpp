// The data tools of the survey window, driven through their buttons, menu entries and windows:
// filter and the way back, sort, export to the spreadsheet, merge and the double-entry check.

#include "ui/data_tools.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <string>

#include "core/standard_variables.h"
#include "document/office_hand_off.h"
#include "support/recording_launcher.h"
#include "support/run_command.h"
#include "support/test_paths.h"
#include "ui/double_entry_window.h"
#include "ui/filter_window.h"
#include "ui/grid_models.h"
#include "ui/merge_window.h"
#include "ui/qt_convert.h"
#include "ui/sort_window.h"
#include "window_environment.h"

namespace olvar::ui {
namespace {

using core::StdVar;
using ::testing::HasSubstr;

class DataToolsTest : public testing::Test {
 protected:
  DataToolsTest() {
    survey_file_ = env_.temp / "rich.as";
    std::filesystem::copy_file(test::source_path("tests/fixtures/survey_file/rich.as"),
                               survey_file_);
    window_ = env_.make_window();
    EXPECT_TRUE(window_->open_survey(survey_file_));
    auto launcher = std::make_unique<test::RecordingLauncher>();
    commands_ = &launcher->commands;
    window_->set_launcher(std::move(launcher));
  }

  // Triggers an action of the window and returns the window it opened.
  template <typename Window>
  Window* open(const char* action) {
    // A window closed before is deleted once the event loop runs.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QAction* a = window_->findChild<QAction*>(QString::fromLatin1(action));
    EXPECT_NE(a, nullptr) << action;
    if (a == nullptr) return nullptr;
    a->trigger();
    Window* opened = window_->findChild<Window*>();
    EXPECT_NE(opened, nullptr) << action;
    return opened;
  }

  static void choose(QComboBox* list, const char* variable) {
    const int index = list->findText(QString::fromLatin1(variable));
    ASSERT_GE(index, 0) << variable;
    list->setCurrentIndex(index);
  }

  std::vector<std::string> column(StdVar variable) const {
    std::vector<std::string> cells;
    const core::SurveyTable& table = window_->workspace().survey;
    for (int row = 1; row <= table.last_used_row(); ++row) cells.emplace_back(table.cell(variable, row));
    return cells;
  }

  QString filter_caption() const {
    return window_->findChild<QAction*>(QStringLiteral("FilterButton"))->text();
  }

  WindowEnvironment env_;
  std::filesystem::path survey_file_;
  std::unique_ptr<SurveyWindow> window_;
  const std::vector<platform::ProcessCommand>* commands_ = nullptr;
};

TEST_F(DataToolsTest, FilterNarrowsTheTableAndRemoveFilterRestoresItExactly) {
  const core::SurveyTable original = window_->workspace().survey;
  EXPECT_EQ(filter_caption(), to_qstring(env_.text.text(836)));

  FilterWindow* filter = open<FilterWindow>("FilterButton");
  ASSERT_NE(filter, nullptr);
  EXPECT_FALSE(filter->remove_button()->isEnabled());
  choose(filter->variable_list(), "CLUSTER");
  filter->boxes()[0]->setText(QStringLiteral("1"));
  filter->boxes()[1]->setText(QStringLiteral("2"));
  filter->ok_button()->click();
  for (const std::string& cluster : column(StdVar::cluster)) EXPECT_TRUE(cluster == "1" || cluster == "2");
  EXPECT_EQ(column(StdVar::cluster).size(), 12u);
  EXPECT_EQ(filter_caption(), to_qstring(env_.text.text(837)));
  EXPECT_EQ(window_->survey_model()->rowCount(), window_->workspace().survey.row_count() - 1);

  // A second filter narrows the filtered table.
  filter = open<FilterWindow>("FilterButton");
  ASSERT_NE(filter, nullptr);
  EXPECT_TRUE(filter->remove_button()->isEnabled());
  choose(filter->variable_list(), "CLUSTER");
  filter->boxes()[5]->setText(QStringLiteral("2"));
  filter->boxes()[6]->setText(QStringLiteral("x"));
  filter->boxes()[7]->setText(QStringLiteral("y"));
  filter->ok_button()->click();
  EXPECT_EQ(column(StdVar::cluster), std::vector<std::string>(6, "1"));

  // Saving while filtered goes to a new name (Language entry 853), never over the survey file.
  env_.prompter.file_answers = {std::nullopt};
  window_->save_survey();
  EXPECT_THAT(env_.prompter.messages, ::testing::Contains(env_.text.text(853)));

  filter = open<FilterWindow>("FilterButton");
  ASSERT_NE(filter, nullptr);
  filter->remove_button()->click();
  EXPECT_EQ(window_->workspace().survey, original);
  EXPECT_EQ(filter_caption(), to_qstring(env_.text.text(836)));
  EXPECT_EQ(window_->survey_model()->rowCount(), original.row_count() - 1);
}

TEST_F(DataToolsTest, OpeningAnotherSurveyDropsTheFilterBackup) {
  FilterWindow* filter = open<FilterWindow>("FilterButton");
  ASSERT_NE(filter, nullptr);
  choose(filter->variable_list(), "CLUSTER");
  filter->boxes()[0]->setText(QStringLiteral("1"));
  filter->ok_button()->click();
  ASSERT_TRUE(window_->open_survey(survey_file_));
  EXPECT_EQ(filter_caption(), to_qstring(env_.text.text(836)));
  filter = open<FilterWindow>("FilterButton");
  ASSERT_NE(filter, nullptr);
  EXPECT_FALSE(filter->remove_button()->isEnabled());
  filter->reject();
}

TEST_F(DataToolsTest, SortWindowSortsByTwoVariablesDescending) {
  SortWindow* sort = open<SortWindow>("SortButton");
  ASSERT_NE(sort, nullptr);
  choose(sort->first_list(), "TEAM");
  choose(sort->second_list(), "ID");
  sort->descending_button()->setChecked(true);
  sort->accept();
  const std::vector<std::string> teams = column(StdVar::team);
  const std::vector<std::string> ids = column(StdVar::id);
  ASSERT_GT(teams.size(), 10u);
  for (std::size_t k = 1; k < teams.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_GE(std::stoi(teams[k - 1]), std::stoi(teams[k]));
    if (teams[k - 1] == teams[k]) {
      EXPECT_GT(std::stoi(ids[k - 1]), std::stoi(ids[k]));
    }
  }
  EXPECT_TRUE(window_->workspace().changed);
  // The window opens again with the order chosen last; without a first variable nothing moves.
  const core::SurveyTable sorted = window_->workspace().survey;
  sort = open<SortWindow>("SortButton");
  ASSERT_NE(sort, nullptr);
  EXPECT_TRUE(sort->descending_button()->isChecked());
  sort->accept();
  EXPECT_EQ(window_->workspace().survey, sorted);

  // The Results page sorts by CLUSTER in the order chosen last, and leaving it restores the rows.
  window_->pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::results));
  const std::vector<std::string> clusters = column(StdVar::cluster);
  for (std::size_t k = 1; k < clusters.size(); ++k) {
    EXPECT_GE(std::stoi(clusters[k - 1]), std::stoi(clusters[k])) << k;
  }
  EXPECT_NE(clusters.front(), clusters.back());
  window_->pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::data_entry));
  EXPECT_EQ(window_->workspace().survey, sorted);
}

TEST_F(DataToolsTest, ExportHandsTheTableToTheSpreadsheetFromTheMenuAndTheButton) {
  for (const char* name : {"CopyDataToExcel", "TransferToExcel"}) {
    SCOPED_TRACE(name);
    window_->findChild<QAction*>(QString::fromLatin1(name))->trigger();
    ASSERT_TRUE(window_->last_hand_off().has_value());
    EXPECT_EQ(window_->last_hand_off()->outcome, document::HandOffOutcome::spreadsheet);
    const std::string table = test::read_whole_file(window_->last_hand_off()->file);
    EXPECT_EQ(table.rfind("SURVDATE\tCLUSTER", 0), 0u);
    EXPECT_THAT(table, HasSubstr("\tWAZ-NCHS\tHAZ-NCHS\tWHZ-NCHS\tWAZ-WHO\t"));
    EXPECT_THAT(table, HasSubstr("absent mother"));
  }
  EXPECT_EQ(commands_->size(), 2u);
  EXPECT_TRUE(env_.prompter.messages.empty());

  // Unsaved changes: the export offers to save them first (Language entry 848) and shows them.
  window_->workspace().survey.set_cell(StdVar::weight, 1, "12.5");
  window_->workspace().changed = true;
  env_.prompter.yes_no_answers = {true};
  window_->findChild<QAction*>(QStringLiteral("CopyDataToExcel"))->trigger();
  EXPECT_EQ(env_.prompter.questions.back(), env_.text.text(848));
  EXPECT_FALSE(window_->workspace().changed);
  const std::string table = test::read_whole_file(window_->last_hand_off()->file);
  EXPECT_THAT(table, HasSubstr("\t12.5\t67.4\t"));
}

TEST_F(DataToolsTest, ExportOfASurveyNeverSavedSaysSo) {
  ASSERT_TRUE(window_->new_survey());
  window_->findChild<QAction*>(QStringLiteral("CopyDataToExcel"))->trigger();
  EXPECT_FALSE(window_->last_hand_off().has_value());
  ASSERT_EQ(env_.prompter.messages.size(), 1u);
  EXPECT_THAT(env_.prompter.messages[0], HasSubstr("save the survey first"));
}

TEST_F(DataToolsTest, MergeSurveysOpensTheMergedSurvey) {
  const auto folder = env_.temp / "surveys";
  std::filesystem::create_directories(folder);
  env_.temp.write("surveys/a.as",
                  "dmy\r\nCLUSTER\tID\tSEX\tMONTHS\tWEIGHT\tHEIGHT\t\r\n1\t1\tm\t20\t10.5\t80.1\t\r\n");
  env_.temp.write("surveys/b.as",
                  "dmy\r\nCLUSTER\tID\tSEX\tMONTHS\tWEIGHT\tHEIGHT\tVILLAGE\t\r\n"
                  "2\t1\tf\t30\t11\t85\tKoro\t\r\n2\t2\tm\t40\t13\t95\tSana\t\r\n");
  MergeWindow* merge = open<MergeWindow>("MergeSurveys");
  ASSERT_NE(merge, nullptr);
  merge->show_folder(folder);
  ASSERT_EQ(merge->file_list()->count(), 2);
  merge->file_list()->selectAll();
  merge->accept();
  const core::Workspace& merged = window_->workspace();
  EXPECT_EQ(column(StdVar::cluster), (std::vector<std::string>{"1", "2", "2"}));
  const int village = merged.survey.column_of_header("VILLAGE");
  ASSERT_GT(village, 0);
  EXPECT_EQ(merged.survey.cell(village, 1), "");
  EXPECT_EQ(merged.survey.cell(village, 3), "Sana");
  EXPECT_TRUE(merged.file_name.empty());
  EXPECT_TRUE(merged.changed);
  EXPECT_EQ(window_->survey_model()->rowCount(), merged.survey.row_count() - 1);
}

TEST_F(DataToolsTest, MergeWithAnUnreadableFileMergesNothing) {
  const auto folder = env_.temp / "surveys";
  std::filesystem::create_directories(folder);
  env_.temp.write("surveys/a.as", "dmy\r\nCLUSTER\tID\tSEX\tWEIGHT\t\r\n1\t1\tm\t10.5\t\r\n");
  env_.temp.write("surveys/b.as", "no survey here\r\n");
  MergeWindow* merge = open<MergeWindow>("MergeSurveys");
  ASSERT_NE(merge, nullptr);
  merge->show_folder(folder);
  merge->file_list()->selectAll();
  merge->accept();
  // The file without a header line is told (Language entry 851); nothing is merged and the
  // survey that was open comes back.
  EXPECT_THAT(env_.prompter.messages, ::testing::Contains(env_.text.text(851)));
  EXPECT_EQ(window_->workspace().file_name, survey_file_.string());
  EXPECT_GT(window_->workspace().survey.last_used_row(), 1);
  EXPECT_NE(window_->workspace().survey.cell(StdVar::weight, 1), "10.5");
}

TEST_F(DataToolsTest, DoubleEntryCheckHandsItsReportToTheWordProcessor) {
  env_.temp.write("first.as", "dmy\r\nCLUSTER\tID\tWEIGHT\t\r\n1\t1\t10.5\t\r\n1\t2\t11\t\r\n");
  env_.temp.write("second.as", "dmy\r\nCLUSTER\tID\tWEIGHT\t\r\n1\t1\t10.5\t\r\n1\t2\t12\t\r\n");

  // Without both files: Language entry 1072, no report.
  DoubleEntryWindow* check = open<DoubleEntryWindow>("CheckDoubleEntry");
  ASSERT_NE(check, nullptr);
  check->accept();
  EXPECT_EQ(env_.prompter.messages, std::vector<std::string>{env_.text.text(1072)});
  EXPECT_FALSE(window_->last_hand_off().has_value());

  check = open<DoubleEntryWindow>("CheckDoubleEntry");
  ASSERT_NE(check, nullptr);
  // The first file through its file chooser, the second typed.
  env_.prompter.file_answers = {(env_.temp / "first.as").string()};
  for (QPushButton* button : check->findChildren<QPushButton*>()) {
    if (button->text() == to_qstring(" " + env_.text.text(1069) + " ")) button->click();
  }
  EXPECT_EQ(check->first_file(), (env_.temp / "first.as").string());
  check->second_box()->setText(path_to_qstring(env_.temp / "second.as"));
  check->accept();
  ASSERT_TRUE(window_->last_hand_off().has_value());
  EXPECT_EQ(window_->last_hand_off()->outcome, document::HandOffOutcome::word_processor);
  const std::string report = test::read_whole_file(window_->last_hand_off()->file);
  EXPECT_EQ(report.rfind("{\\rtf1", 0), 0u);
  EXPECT_THAT(report, HasSubstr(env_.text.text(1071) + " 2 "));
  EXPECT_THAT(report, HasSubstr("second.as\t1\t2\t12"));
  EXPECT_EQ(commands_->size(), 1u);
}

}  // namespace
}  // namespace olvar::ui
