// Nothing a user does loses work: documents handed over under names never reused, Merge and
// Remove Filter keeping the survey, SETTINGS modes writing nothing, a Results page visit keeping
// edits, the Food Security tables asked about at Exit, and the recovery copy after a kill.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <csignal>
#include <filesystem>
#include <string>

#include "core/standard_variables.h"
#include "support/recording_launcher.h"
#include "support/run_command.h"
#include "support/test_paths.h"
#include "ui/filter_window.h"
#include "ui/food_security_page.h"
#include "ui/grid_models.h"
#include "ui/merge_window.h"
#include "ui/qt_convert.h"
#include "window_environment.h"
#include "workspace/recovery.h"

namespace olvar::ui {
namespace {

namespace fs = std::filesystem;
using core::StdVar;
using ::testing::HasSubstr;

class WorkKeptTest : public testing::Test {
 protected:
  WorkKeptTest() {
    survey_file_ = env_.temp / "district-e.as";
    fs::copy_file(test::source_path("tests/fixtures/survey_file/rich.as"), survey_file_);
    original_bytes_ = test::read_whole_file(survey_file_);
  }

  std::unique_ptr<SurveyWindow> open_window() {
    auto window = env_.make_window();
    EXPECT_TRUE(window->open_survey(survey_file_));
    auto launcher = std::make_unique<test::RecordingLauncher>();
    commands_ = &launcher->commands;
    window->set_launcher(std::move(launcher));
    return window;
  }

  // Types a cell of the survey grid as the user does.
  static void type(SurveyWindow& window, int row, StdVar variable, const char* text) {
    SurveyTableModel* model = window.survey_model();
    ASSERT_TRUE(model->setData(model->index(row - 1, core::column(variable) - 1),
                               QString::fromLatin1(text), Qt::EditRole));
  }

  template <typename Dialog>
  static Dialog* open_dialog(SurveyWindow& window, const char* action) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    window.findChild<QAction*>(QString::fromLatin1(action))->trigger();
    return window.findChild<Dialog*>();
  }

  WindowEnvironment env_;
  fs::path survey_file_;
  std::string original_bytes_;
  const std::vector<platform::ProcessCommand>* commands_ = nullptr;
};

// Two plausibility reports in a row leave two documents beside the survey; the status bar says
// where the last went and Files > "Recent reports" opens either again.
TEST_F(WorkKeptTest, ReportsAreNamedDocumentsNeverReusedAndReopenFromTheFilesMenu) {
  auto window = open_window();
  QAction* check = window->findChild<QAction*>(QStringLiteral("PlausibilityCheck1"));
  check->trigger();
  check->trigger();
  const fs::path reports = env_.temp / "reports";
  const fs::path first = reports / "district-e plausibility 2026-12-10.rtf";
  const fs::path second = reports / "district-e plausibility 2026-12-10 (2).rtf";
  ASSERT_TRUE(fs::exists(first));
  ASSERT_TRUE(fs::exists(second));
  EXPECT_EQ(test::read_whole_file(first), test::read_whole_file(second));
  EXPECT_THAT(from_qstring(window->statusBar()->currentMessage()), HasSubstr(second.string()));
  ASSERT_EQ(commands_->size(), 2u);
  EXPECT_EQ(commands_->back().arguments.back(), second.string());

  QMenu* recent = window->recent_reports_menu();
  ASSERT_EQ(recent->actions().size(), 2);
  EXPECT_EQ(recent->actions()[0]->text(), path_to_qstring(second.filename()));
  recent->actions()[1]->trigger();
  ASSERT_EQ(commands_->size(), 3u);
  EXPECT_EQ(commands_->back().arguments.back(), first.string());
  EXPECT_EQ(test::read_whole_file(survey_file_), original_bytes_);
}

// Cancel in the merge window brings back the survey that was open, edits included.
TEST_F(WorkKeptTest, MergeCancelRestoresTheOpenSurvey) {
  auto window = open_window();
  type(*window, 1, StdVar::muac, "151");
  const core::SurveyTable before = window->workspace().survey;
  env_.prompter.yes_no_answers = {false};  // do not save first
  MergeWindow* merge = open_dialog<MergeWindow>(*window, "MergeSurveys");
  ASSERT_NE(merge, nullptr);
  EXPECT_TRUE(window->workspace().file_name.empty());  // the merge makes a new survey
  merge->reject();
  EXPECT_EQ(window->workspace().survey, before);
  EXPECT_EQ(window->workspace().file_name, survey_file_.string());
  EXPECT_TRUE(window->workspace().changed);
  EXPECT_EQ(window->survey_model()->rowCount(), before.row_count() - 1);
}

// A correction typed while the filter is on is still there after Remove Filter, in the child's
// own row.
TEST_F(WorkKeptTest, RemoveFilterKeepsCorrectionsMadeToFilteredRows) {
  auto window = open_window();
  const core::SurveyTable& table = window->workspace().survey;
  FilterWindow* filter = open_dialog<FilterWindow>(*window, "FilterButton");
  ASSERT_NE(filter, nullptr);
  filter->variable_list()->setCurrentIndex(filter->variable_list()->findText("CLUSTER"));
  filter->boxes()[0]->setText(QStringLiteral("2"));
  filter->ok_button()->click();
  const std::string id(table.cell(StdVar::id, 1));
  const std::string cluster(table.cell(StdVar::cluster, 1));
  ASSERT_EQ(cluster, "2");
  type(*window, 1, StdVar::muac, "152");

  filter = open_dialog<FilterWindow>(*window, "FilterButton");
  ASSERT_NE(filter, nullptr);
  filter->remove_button()->click();
  int found = 0;
  for (int row = 1; row <= table.last_used_row(); ++row) {
    if (table.cell(StdVar::cluster, row) == cluster && table.cell(StdVar::id, row) == id) {
      EXPECT_EQ(table.cell(StdVar::muac, row), "152");
      ++found;
    }
  }
  EXPECT_EQ(found, 1);
  EXPECT_GT(table.last_used_row(), 12);  // every cluster is back
  EXPECT_TRUE(window->workspace().changed);
  EXPECT_TRUE(env_.prompter.questions.empty());
}

// Opened in a SETTINGS mode, the survey's file is neither replaced nor backed up, and the tool
// bar offers no New or Open, as the menus do not.
TEST_F(WorkKeptTest, SettingsModesWriteNothingAtOpeningAndHideNewAndOpen) {
  for (const char* mode : {"SETTINGS", "SETTINGS2", "SETTINGS3"}) {
    SCOPED_TRACE(mode);
    env_.app.command_line.mode_word = mode;
    auto window = open_window();
    EXPECT_EQ(test::read_whole_file(survey_file_), original_bytes_);
    EXPECT_FALSE(fs::exists(env_.temp / "district-e.bak"));
    EXPECT_FALSE(window->workspace().changed);
    EXPECT_FALSE(window->findChild<QAction*>(QStringLiteral("new_action"))->isVisible());
    EXPECT_FALSE(window->findChild<QAction*>(QStringLiteral("open_action"))->isVisible());
  }
}

// A change made while the Results page is shown (a menu command acts on the sorted table) stays
// with its child when the page is left.
TEST_F(WorkKeptTest, AResultsPageVisitKeepsEditsMadeDuringIt) {
  auto window = open_window();
  const core::SurveyTable& table = window->workspace().survey;
  const std::string id(table.cell(StdVar::id, 1));
  const std::string cluster(table.cell(StdVar::cluster, 1));
  window->pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::results));
  int sorted_row = 0;
  for (int row = 1; row <= table.last_used_row(); ++row) {
    if (table.cell(StdVar::id, row) == id && table.cell(StdVar::cluster, row) == cluster) {
      sorted_row = row;
    }
  }
  ASSERT_GT(sorted_row, 0);
  window->workspace().survey.set_cell(StdVar::muac, sorted_row, "153");
  window->workspace().changed = true;
  window->pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::data_entry));
  EXPECT_EQ(table.cell(StdVar::id, 1), id);
  EXPECT_EQ(table.cell(StdVar::muac, 1), "153");
  EXPECT_TRUE(window->workspace().changed);
}

// Exit asks about edited Food Security tables; Cancel keeps the window open.
TEST_F(WorkKeptTest, ExitAsksAboutUnsavedFoodSecurityEdits) {
  auto window = open_window();
  FoodSecurityPage* page = window->food_security_page();
  page->reset_to_default();
  ASSERT_FALSE(page->has_unsaved_changes());
  page->state().tables.household.set_cell(2, 3, "1234");
  ASSERT_TRUE(page->has_unsaved_changes());

  env_.prompter.yes_no_cancel_answers = {core::Prompter::Answer::cancel};
  QCloseEvent cancelled;
  QCoreApplication::sendEvent(window.get(), &cancelled);
  EXPECT_FALSE(cancelled.isAccepted());
  ASSERT_EQ(env_.prompter.questions.size(), 1u);
  EXPECT_THAT(env_.prompter.questions[0], HasSubstr("Food Security"));

  // Saving first: the file holds the edit, and the survey itself is not asked about.
  env_.prompter.yes_no_cancel_answers = {core::Prompter::Answer::yes};
  env_.prompter.file_answers = {(env_.temp / "zone.fs").string()};
  QCloseEvent saved;
  QCoreApplication::sendEvent(window.get(), &saved);
  EXPECT_TRUE(saved.isAccepted());
  EXPECT_THAT(test::read_whole_file(env_.temp / "zone.fs"), HasSubstr("1234"));
}

// A filter is taken back by Undo, named in the Edit menu, after the typing done since.
TEST_F(WorkKeptTest, WholeTableCommandsAreUndoneUnderTheirNames) {
  auto window = open_window();
  const core::SurveyTable original = window->workspace().survey;
  FilterWindow* filter = open_dialog<FilterWindow>(*window, "FilterButton");
  ASSERT_NE(filter, nullptr);
  filter->variable_list()->setCurrentIndex(filter->variable_list()->findText("CLUSTER"));
  filter->boxes()[0]->setText(QStringLiteral("2"));
  filter->ok_button()->click();
  type(*window, 1, StdVar::muac, "156");

  QAction* undo = window->findChild<QAction*>(QStringLiteral("Undo"));
  auto* edit_menu = qobject_cast<QMenu*>(undo->parent());
  ASSERT_NE(edit_menu, nullptr);
  emit edit_menu->aboutToShow();
  EXPECT_EQ(undo->text(), QStringLiteral("&Undo"));  // the typing
  undo->trigger();
  emit edit_menu->aboutToShow();
  EXPECT_EQ(undo->text(), QStringLiteral("&Undo filter by CLUSTER"));
  undo->trigger();
  EXPECT_EQ(window->workspace().survey, original);
  emit edit_menu->aboutToShow();
  EXPECT_EQ(window->findChild<QAction*>(QStringLiteral("Redo"))->text(),
            QStringLiteral("&Redo filter by CLUSTER"));
}

// The program killed after edits: the next start offers them, saying when they were kept, and
// the user's own file is byte for byte as it was.
TEST_F(WorkKeptTest, EditsSurviveAKillAndAreOfferedAtTheNextStart) {
  const workspace::RecoveryFiles recovery = workspace::recovery_files(env_.app.settings_file);
  GTEST_FLAG_SET(death_test_style, "fast");
  EXPECT_EXIT(
      {
        auto window = open_window();
        type(*window, 1, StdVar::muac, "154");
        type(*window, 2, StdVar::muac, "155");
        window->autosave();  // as the timer does every few minutes
        std::raise(SIGKILL);
      },
      ::testing::KilledBySignal(SIGKILL), "");
  ASSERT_TRUE(fs::exists(recovery.survey));
  EXPECT_EQ(test::read_whole_file(survey_file_), original_bytes_);

  auto window = env_.make_window();
  env_.prompter.yes_no_answers = {true};
  ASSERT_TRUE(window->offer_recovery());
  ASSERT_EQ(env_.prompter.questions.size(), 1u);
  EXPECT_THAT(env_.prompter.questions[0], HasSubstr(survey_file_.string()));
  EXPECT_THAT(env_.prompter.questions[0], ::testing::ContainsRegex("kept at 20[0-9-]+ [0-9:]+"));
  const core::SurveyTable& table = window->workspace().survey;
  EXPECT_EQ(table.cell(StdVar::muac, 1), "154");
  EXPECT_EQ(table.cell(StdVar::muac, 2), "155");
  EXPECT_EQ(window->workspace().file_name, survey_file_.string());
  EXPECT_TRUE(window->workspace().changed);
  EXPECT_EQ(test::read_whole_file(survey_file_), original_bytes_);

  // A normal exit leaves nothing to offer.
  env_.prompter.yes_no_cancel_answers = {core::Prompter::Answer::no};
  window->show();
  EXPECT_TRUE(window->close());
  EXPECT_FALSE(fs::exists(recovery.survey));
  EXPECT_FALSE(workspace::pending_recovery(recovery).has_value());
}

}  // namespace
}  // namespace olvar::ui
