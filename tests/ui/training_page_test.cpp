// The Training page in the survey window: headings over the grids, typing and the commands of
// its buttons, each handing its document over (to a launcher that only records), and a picture
// of both sub-pages with the example survey loaded (ui_screenshots/).

#include "ui/training_page.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/test_paths.h"
#include "window_environment.h"
#include "support/recording_launcher.h"

namespace olvar::ui {
namespace {

using test::RecordingLauncher;

std::string slurp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

struct TrainingFixture : ::testing::Test {
  void SetUp() override {
    window = environment.make_window();
    page = window->training_page();
    ASSERT_NE(page, nullptr);
    page->set_launcher(&launcher);
    window->pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::training));
  }
  void type(QTableView* view, int column, int row, const char* text) {
    // Grid column and row: the view starts at column 1 and child row 2.
    view->model()->setData(view->model()->index(row - 2, column - 1), QString(text), Qt::EditRole);
  }

  WindowEnvironment environment;
  std::unique_ptr<SurveyWindow> window;
  TrainingPage* page = nullptr;
  RecordingLauncher launcher;
};

TEST_F(TrainingFixture, GridsHaveRealHeadings) {
  QAbstractItemModel* continuous = page->continuous_view()->model();
  EXPECT_EQ(continuous->columnCount(), 126);
  EXPECT_EQ(continuous->rowCount(), 100);
  EXPECT_EQ(continuous->headerData(0, Qt::Horizontal).toString(), "Supervisor\nWeight1");
  EXPECT_EQ(continuous->headerData(10, Qt::Horizontal).toString(), "Enumerator 1\nMUAC1");
  EXPECT_EQ(continuous->headerData(0, Qt::Vertical).toString(), "1");
  QAbstractItemModel* categorical = page->categorical_view()->model();
  EXPECT_EQ(categorical->columnCount(), 21);
  EXPECT_EQ(categorical->headerData(20, Qt::Horizontal).toString(), "Enumerator 20");
}

TEST_F(TrainingFixture, TypingMarksTheSurveyChangedAndReportsAreHandedOver) {
  ASSERT_FALSE(window->workspace().changed);
  type(page->continuous_view(), 1, 2, "10.0");
  type(page->continuous_view(), 2, 2, "10.2");
  type(page->continuous_view(), 1, 3, "12.0");
  type(page->continuous_view(), 2, 3, "11.8");
  EXPECT_TRUE(window->workspace().changed);
  EXPECT_EQ(window->workspace().training_continuous.cell(2, 3), "11.8");

  page->new_report();
  ASSERT_TRUE(page->last_hand_off().has_value());
  EXPECT_EQ(page->last_hand_off()->file.filename(), "new survey standardisation test 2026-12-10.tsv");
  const std::string table = slurp(page->last_hand_off()->file);
  EXPECT_NE(table.find("\tSupervisor\t2\t11.0\t1.0\t0.20\t0.14\t1.3\t"), std::string::npos);
  EXPECT_EQ(launcher.commands.size(), 1u);

  page->previous_report();
  EXPECT_EQ(page->last_hand_off()->file.filename(), "new survey previous versions 2026-12-10.rtf");
  EXPECT_EQ(slurp(page->last_hand_off()->file).substr(0, 6), "{\\rtf1");

  page->transfer_to_spreadsheet();
  EXPECT_EQ(slurp(page->last_hand_off()->file).substr(0, 24), "Supervisor\t\t\t\t\t\tEnumerat");
}

TEST_F(TrainingFixture, DeleteEmptiesTheSelectedCells) {
  QTableView* view = page->continuous_view();
  type(view, 1, 2, "10.0");
  type(view, 2, 2, "10.2");
  window->workspace().changed = false;
  view->selectionModel()->select(
      QItemSelection(view->model()->index(0, 0), view->model()->index(0, 1)),
      QItemSelectionModel::ClearAndSelect);
  QTest::keyClick(view, Qt::Key_Delete);
  EXPECT_EQ(window->workspace().training_continuous.cell(1, 2), "");
  EXPECT_EQ(window->workspace().training_continuous.cell(2, 2), "");
  EXPECT_TRUE(window->workspace().changed);
}

TEST_F(TrainingFixture, ReplaceSupervisorValuesAsksFirst) {
  type(page->continuous_view(), 1, 2, "9.0");
  type(page->continuous_view(), 7, 2, "10.0");
  type(page->continuous_view(), 13, 2, "10.4");
  environment.prompter.yes_no_answers = {false, true};
  page->replace_supervisor_values();
  EXPECT_EQ(window->workspace().training_continuous.cell(1, 2), "9.0");
  page->replace_supervisor_values();
  EXPECT_EQ(window->workspace().training_continuous.cell(1, 2), "10.2");
  EXPECT_EQ(environment.prompter.questions.size(), 2u);
  EXPECT_EQ(page->continuous_view()->model()->index(0, 0).data().toString(), "10.2");
}

TEST_F(TrainingFixture, CategoricalReportAndItsFourCategoryStop) {
  page->sub_pages()->setCurrentIndex(1);
  type(page->categorical_view(), 1, 2, "y");
  type(page->categorical_view(), 2, 2, "y");
  type(page->categorical_view(), 1, 3, "n");
  type(page->categorical_view(), 2, 3, "n");
  page->categorical_report();
  ASSERT_TRUE(page->last_hand_off().has_value());
  EXPECT_NE(slurp(page->last_hand_off()->file).find(":\t1.0000 \\par "), std::string::npos);

  type(page->categorical_view(), 3, 2, "R");
  type(page->categorical_view(), 3, 3, "r");
  const std::filesystem::path before = page->last_hand_off()->file;
  page->categorical_report();
  ASSERT_EQ(environment.prompter.messages.size(), 1u);
  EXPECT_EQ(environment.prompter.messages[0], environment.text.text(1129));
  EXPECT_EQ(page->last_hand_off()->file, before);  // no new document
}

TEST_F(TrainingFixture, PasteGoesIntoTheShownGridAtTheCurrentCell) {
  page->sub_pages()->setCurrentIndex(1);
  QTableView* view = page->categorical_view();
  view->setCurrentIndex(view->model()->index(1, 1));  // child 2, enumerator 1
  QGuiApplication::clipboard()->setText("g\ty\nr\tr\n");
  environment.prompter.yes_no_answers = {true};
  page->paste_from_clipboard();
  const core::TextGrid& grid = window->workspace().training_categorical;
  EXPECT_EQ(grid.cell(2, 3), "g");
  EXPECT_EQ(grid.cell(3, 3), "y");
  EXPECT_EQ(grid.cell(2, 4), "r");
  EXPECT_TRUE(window->workspace().changed);
  EXPECT_EQ(environment.prompter.questions[0], environment.text.text(933));
}

TEST_F(TrainingFixture, PictureOfBothSubPagesWithTheExampleSurvey) {
  const std::filesystem::path survey = environment.temp / "demo.as";
  std::filesystem::copy_file(test::build_data_path("examples/demo.as"), survey);
  ASSERT_TRUE(window->open_survey(survey));
  // Some categories, so that the second grid shows something.
  core::TextGrid& categories = window->workspace().training_categorical;
  const char* rows[][4] = {{"g", "g", "y", "g"}, {"r", "r", "r", "y"}, {"y", "y", "y", "y"}};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c) categories.set_cell(c + 1, r + 2, rows[r][c]);
  }
  window->resize(1280, 800);
  window->show();
  window->pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::training));
  EXPECT_EQ(page->continuous_view()->model()->index(0, 0).data().toString().isEmpty(), false);
  const std::filesystem::path folder = OLVAR_UI_SCREENSHOT_DIR;
  std::filesystem::create_directories(folder);
  page->sub_pages()->setCurrentIndex(0);
  const auto shoot = [&](const char* name) {
    EXPECT_TRUE(window->grab().save(QString::fromStdString((folder / name).string()))) << name;
  };
  shoot("2a_training_continuous.png");
  page->sub_pages()->setCurrentIndex(1);
  shoot("2b_training_categorical.png");

  // The headings the page writes are not part of the survey: saving keeps the training
  // section of the file as it was, byte for byte.
  const auto section = [](const std::string& file) {
    const std::size_t start = file.find("Training_new:");
    return file.substr(start, file.find("Training_categorical:") - start);
  };
  const std::string before = slurp(survey);
  window->workspace().changed = true;
  ASSERT_TRUE(window->save_survey());
  EXPECT_EQ(section(slurp(survey)), section(before));
}

}  // namespace
}  // namespace olvar::ui
