#include "workspace/shutdown.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "support/scripted_prompter.h"
#include "support/temp_folder.h"

namespace olvar::workspace {
namespace {
namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Answer = core::Prompter::Answer;

struct Case {
  const char* what;
  bool changed;
  std::deque<core::Prompter::Answer> answers;
  bool save_works;
  int saves;
  bool may_end;
};

TEST(CloseSurveyWindow, WritesSettingsAndAsksAboutChanges) {
  const Case cases[] = {
      {"unchanged survey: no question", false, {}, true, 0, true},
      {"changed, Yes saves", true, {Answer::yes}, true, 1, true},
      {"changed, No ends without saving", true, {Answer::no}, true, 0, true},
      {"changed, Cancel backs out: nothing saved, the window stays",
       true,
       {Answer::cancel},
       true,
       0,
       false},
      {"changed, Yes but the save fails: the window stays", true, {Answer::yes}, false, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempFolder folder;
    folder.write("docs/excel.txt", "a\tb\n");
    test::ScriptedPrompter prompter;
    prompter.yes_no_cancel_answers = c.answers;
    int saves = 0;
    core::SettingsRecord settings;
    settings.recent_files[0] = "/s/a.as";
    const ShutdownContext context{folder / "winpellan.ini", folder / "docs",
                                  [](int n) { return "entry " + std::to_string(n); },
                                  [&] { return ++saves, c.save_works; }};
    EXPECT_EQ(close_survey_window(settings, c.changed, context, prompter), c.may_end);
    EXPECT_EQ(saves, c.saves);
    EXPECT_TRUE(prompter.all_answers_used());
    if (c.changed) {
      EXPECT_THAT(prompter.questions, ElementsAre("entry 848"));
    }
    EXPECT_EQ(core::read_settings_file(folder / "winpellan.ini").record.recent_files[0], "/s/a.as");
    EXPECT_FALSE(fs::exists(folder / "docs/excel.txt"));
  }
}

TEST(CloseSurveyWindow, AnUnwritableSettingsFileIsToldButDoesNotHoldTheProgram) {
  test::TempFolder folder;
  folder.write("blocker", "x");
  test::ScriptedPrompter prompter;
  const ShutdownContext context{folder / "blocker/winpellan.ini", {}, nullptr, nullptr};
  EXPECT_TRUE(close_survey_window(core::SettingsRecord{}, false, context, prompter));
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_THAT(prompter.messages[0], HasSubstr("settings could not be saved"));
}

}  // namespace
}  // namespace olvar::workspace
