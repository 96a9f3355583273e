#include "calculator/forms_and_sheets.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "support/recording_launcher.h"
#include "support/test_paths.h"

namespace olvar::calculator {
namespace {

using test::RecordingLauncher;

const FormOrSheet& entry(std::string_view caption) {
  for (const FormOrSheet& e : forms_and_sheets()) {
    if (e.caption == caption) return e;
  }
  throw std::logic_error("no entry");
}

TEST(FormCommand, SheetsGoToTheSpreadsheetBesideTheWordProcessor) {
  document::OutputSettings ms;
  ms.kind = "ww";
  ms.word_processor_path = "C:\\Office\\Winword.exe";
  const platform::ProcessCommand sheet =
      form_command(entry("CDC Calculator one survey"), ms, "/work");
  EXPECT_EQ(sheet.program, "C:\\Office\\excel.exe");
  EXPECT_THAT(sheet.arguments, ::testing::ElementsAre("/work/calculator_one_survey.ods"));
  const platform::ProcessCommand form = form_command(entry("Cluster Control Form"), ms, "/work");
  EXPECT_EQ(form.program, "C:\\Office\\Winword.exe");
  EXPECT_THAT(form.arguments, ::testing::ElementsAre("/work/cluster_control_form.rtf"));

  document::OutputSettings lo;
  lo.kind = "oo";
  lo.word_processor_path = "/usr/bin/lowriter";
  EXPECT_EQ(form_command(entry("Refused and absent households and children"), lo, "/w").program,
            "/usr/bin/lowriter");
}

TEST(OpenFormOrSheet, SaysSoWhenTheFileIsMissingOrTheProgramFails) {
  test::TempFolder folder;
  const core::ProgramFolders folders{folder / "program", folder / "user"};
  RecordingLauncher launcher;
  test::ScriptedPrompter prompter;
  document::OutputSettings lo;
  lo.kind = "oo";
  lo.word_processor_path = "/usr/bin/lowriter";
  const FormOrSheet& protocol = entry("Summary Survey Protocol ");
  EXPECT_FALSE(open_form_or_sheet(protocol, lo, folders, launcher, prompter));
  EXPECT_TRUE(launcher.commands.empty());
  ASSERT_EQ(prompter.messages.size(), 1u);
  // The message names the file and both places it was looked for.
  EXPECT_THAT(prompter.messages[0], ::testing::HasSubstr("summary_survey_protocol.rtf"));
  EXPECT_THAT(prompter.messages[0], ::testing::HasSubstr(folders.program.string()));
  EXPECT_THAT(prompter.messages[0], ::testing::HasSubstr(folders.writable.string()));

  // Found in the program folder (an installed, read-only data folder), not the working folder.
  folder.write("program/summary_survey_protocol.rtf", "x");
  EXPECT_TRUE(open_form_or_sheet(protocol, lo, folders, launcher, prompter));
  ASSERT_EQ(launcher.commands.size(), 1u);
  EXPECT_THAT(launcher.commands[0].arguments,
              ::testing::ElementsAre((folders.program / "summary_survey_protocol.rtf").string()));
  launcher.succeed = false;
  EXPECT_FALSE(open_form_or_sheet(protocol, lo, folders, launcher, prompter));
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_THAT(prompter.messages[1], ::testing::StartsWith("The office program could not be started"));
  EXPECT_THAT(prompter.messages[1], ::testing::HasSubstr("summary_survey_protocol.rtf"));
}

// Every entry's file ships in the data folder, where the program looks for it.
TEST(FormsAndSheets, EveryEntryHasItsFileInTheDataFolder) {
  ASSERT_EQ(forms_and_sheets().size(), 5u);
  for (const FormOrSheet& e : forms_and_sheets()) {
    SCOPED_TRACE(std::string(e.caption));
    EXPECT_TRUE(std::filesystem::is_regular_file(test::source_path("data/" + std::string(e.file))));
    EXPECT_TRUE(std::filesystem::is_regular_file(test::build_data_path(std::string(e.file))));
  }
}

}  // namespace
}  // namespace olvar::calculator
