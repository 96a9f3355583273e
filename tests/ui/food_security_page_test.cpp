// The Food Security page in the survey window: the default HEA file loaded when the page is
// first shown, its sub-pages and buttons, the two windows of the household page, a broken file
// that changes nothing, and pictures of it all (ui_screenshots/).

#include "ui/food_security_page.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QCheckBox>
#include <QListWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "foodsecurity/hea_file.h"
#include "support/run_command.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"
#include "ui/drawing_painter.h"
#include "window_environment.h"

namespace olvar::ui {
namespace {

class RecordingLauncher : public platform::ProcessLauncher {
 public:
  platform::StartResult start(const platform::ProcessCommand& command) override {
    commands.push_back(command);
    return {true, {}};
  }
  std::vector<platform::ProcessCommand> commands;
};

std::string slurp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

struct FoodSecurityFixture : ::testing::Test {
  void SetUp() override {
    window = environment.make_window();
    page = window->food_security_page();
    ASSERT_NE(page, nullptr);
    page->set_launcher(&launcher);
    window->resize(1280, 800);
    window->show();
    window->pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::food_security));
  }
  void open(int sub_page) { page->sub_pages()->setCurrentIndex(sub_page); }

  WindowEnvironment environment;
  std::unique_ptr<SurveyWindow> window;
  FoodSecurityPage* page = nullptr;
  RecordingLauncher launcher;
  test::TempFolder folder;
};

TEST_F(FoodSecurityFixture, DefaultIsLoadedAndSavedByteForByteAfterEveryPage) {
  ASSERT_EQ(page->state().wealth_groups[0], "Very poor") << ::testing::PrintToString(
      environment.prompter.messages);
  for (int sub = 0; sub < 4; ++sub) open(sub);
  open(0);
  const std::filesystem::path saved = folder / "zone";
  environment.prompter.file_answers = {saved.string()};
  page->save_hea();
  EXPECT_EQ(slurp(folder / "zone.fs"), slurp(test::source_path("data/default.fs")));
  EXPECT_EQ(page->state().file_name, folder / "zone.fs");
  // The default file is never proposed; the file now in use is.
  environment.prompter.file_answers = {std::nullopt};
  page->save_hea();
  EXPECT_EQ(environment.prompter.questions.back(), "Save HEA [" + (folder / "zone.fs").string() + "]");
  const auto default_question = std::find(environment.prompter.questions.begin(),
                                          environment.prompter.questions.end(), "Save HEA []");
  EXPECT_NE(default_question, environment.prompter.questions.end());
}

TEST_F(FoodSecurityFixture, HouseholdPageRefusesHeadingsAndRowsAboveFive) {
  open(1);
  QAbstractItemModel* model = page->household_view()->model();
  EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), "Very poor");
  EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Item");
  // "Cash Income" heading row refused, requirement rows allowed.
  int cash_row = 0;
  while (page->state().tables.household.cell(0, cash_row) != "Cash Income") ++cash_row;
  EXPECT_FALSE(model->setData(model->index(cash_row, 3), "5", Qt::EditRole));
  ASSERT_EQ(environment.prompter.messages.size(), 1u);
  EXPECT_EQ(environment.prompter.messages[0], "Please do not enter data here");
  EXPECT_TRUE(model->setData(model->index(3, 3), "8", Qt::EditRole));
  EXPECT_EQ(page->state().tables.household.cell(3, 3), "8");

  // A key typed in a heading row is refused before any editor opens.
  page->household_view()->setCurrentIndex(model->index(cash_row, 4));
  QTest::keyClick(page->household_view(), Qt::Key_7);
  ASSERT_EQ(environment.prompter.messages.size(), 2u);
  EXPECT_EQ(environment.prompter.messages[1], "Please do not enter data here");
  EXPECT_EQ(page->state().tables.household.cell(4, cash_row), "units");

  page->household_view()->setCurrentIndex(model->index(4, 1));
  page->insert_row();
  EXPECT_EQ(environment.prompter.messages.back(),
            "In this place it is not possible to insert a new row!");
}

TEST_F(FoodSecurityFixture, ShockPageRunsTheModelAndHandsTheReportOver) {
  open(3);
  ASSERT_EQ(page->group_list()->count(), 4);
  EXPECT_EQ(page->group_list()->currentRow(), 0);
  const double with_sales = page->results().at(13, foodsecurity::cash_available);
  page->asset_sale()->click();
  EXPECT_LT(page->results().at(13, foodsecurity::cash_available), with_sales);
  page->asset_sale()->click();
  page->group_list()->setCurrentRow(1);
  EXPECT_EQ(page->graph()->drawing().width, 557);

  page->excel_report();
  ASSERT_TRUE(page->last_hand_off().has_value());
  ASSERT_EQ(launcher.commands.size(), 1u);
  const std::string table = slurp(page->last_hand_off()->file);
  EXPECT_EQ(table.substr(0, 19), "Results for: Poor\n\n");
  // olvar-cli hea writes exactly the table handed over.
  const test::CommandResult cli = test::run_command(
      "'" + test::cli_path() + "' hea '" + test::source_path("data/default.fs") + "' --group Poor",
      folder.path());
  ASSERT_EQ(cli.status, 0) << cli.err;
  EXPECT_EQ(cli.out, table);
}

TEST_F(FoodSecurityFixture, ABrokenFileIsNamedAndChangesNothing) {
  const foodsecurity::HeaTables before = page->state().tables;
  const std::string good = slurp(test::source_path("data/default.fs"));
  const auto broken = folder.write("broken.fs", good.substr(0, good.size() / 2));
  environment.prompter.file_answers = {broken.string()};
  page->open_hea();
  ASSERT_FALSE(environment.prompter.messages.empty());
  EXPECT_NE(environment.prompter.messages.back().find(broken.string() + ", line "),
            std::string::npos);
  EXPECT_TRUE(page->state().tables == before);
}

TEST_F(FoodSecurityFixture, Screenshots) {
  const std::filesystem::path shots = OLVAR_UI_SCREENSHOT_DIR;
  std::filesystem::create_directories(shots);
  const auto shoot = [&](QWidget* widget, const char* name) {
    EXPECT_TRUE(widget->grab().save(QString::fromStdString((shots / name).string()))) << name;
  };
  const char* names[] = {"6a_food_overview.png", "6b_food_household.png", "6c_food_seasonal.png",
                         "6d_food_shock.png"};
  for (int sub = 0; sub < 4; ++sub) {
    open(sub);
    shoot(window.get(), names[sub]);
  }
  open(1);
  QWidget* check = page->open_check_window();
  shoot(check, "6e_food_check.png");
  QWidget* graph = page->open_income_graph();
  graph->resize(700, 900);
  shoot(graph, "6f_food_income_graph.png");
  check->close();
  graph->close();
}

}  // namespace
}  // namespace olvar::ui
