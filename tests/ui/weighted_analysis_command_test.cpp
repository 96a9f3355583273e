// The Extras menu's weighted analysis: the table handed to the spreadsheet program, with the
// survey's caption back afterwards.

#include <gtest/gtest.h>

#include <QAction>
#include <filesystem>
#include <memory>
#include <string>

#include "support/recording_launcher.h"
#include "support/run_command.h"
#include "window_environment.h"

namespace olvar::ui {
namespace {

TEST(WeightedAnalysisCommand, MenuItemHandsTheTableToTheSpreadsheet) {
  WindowEnvironment env;
  const std::filesystem::path survey = env.temp / "rich.as";
  std::filesystem::copy_file(test::source_path("tests/fixtures/survey_file/rich.as"), survey);
  auto window = env.make_window();
  ASSERT_TRUE(window->open_survey(survey));
  auto launcher = std::make_unique<test::RecordingLauncher>();
  const std::vector<platform::ProcessCommand>& commands = launcher->commands;
  window->set_launcher(std::move(launcher));
  const QString caption = window->windowTitle();

  QAction* action = window->findChild<QAction*>(QStringLiteral("Weightedanalysisofsurvey1"));
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->text(), QStringLiteral("Weighted analysis of survey"));
  action->trigger();

  ASSERT_TRUE(window->last_hand_off().has_value());
  EXPECT_EQ(window->last_hand_off()->outcome, document::HandOffOutcome::spreadsheet);
  EXPECT_EQ(window->last_hand_off()->file, env.temp / "reports" / "rich weighted analysis 2026-12-10.tsv");
  const std::string table = test::read_whole_file(window->last_hand_off()->file);
  EXPECT_EQ(table.rfind("Nutritional survey standard analysis (weighting factors included in "
                        "the analysis)\n",
                        0),
            0u);
  EXPECT_NE(table.find("Set 4: Overall, sexes combined by cluster\n"), std::string::npos);
  EXPECT_NE(table.find("\nTotal\t"), std::string::npos);
  EXPECT_EQ(commands.size(), 1u);
  EXPECT_EQ(window->windowTitle(), caption);
  EXPECT_TRUE(env.prompter.messages.empty());
  EXPECT_FALSE(window->workspace().changed);
}

}  // namespace
}  // namespace olvar::ui
