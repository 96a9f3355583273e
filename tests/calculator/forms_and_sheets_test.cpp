#include "calculator/forms_and_sheets.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "support/recording_launcher.h"

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
  EXPECT_THAT(sheet.arguments, ::testing::ElementsAre("/work/CDC_calculator_onesurvey.xls"));
  const platform::ProcessCommand form = form_command(entry("Cluster Control Form"), ms, "/work");
  EXPECT_EQ(form.program, "C:\\Office\\Winword.exe");
  EXPECT_THAT(form.arguments, ::testing::ElementsAre("/work/Cluster_Control_Form.doc"));

  document::OutputSettings lo;
  lo.kind = "oo";
  lo.word_processor_path = "/usr/bin/lowriter";
  EXPECT_EQ(form_command(entry("Refused and absent households and children"), lo, "/w").program,
            "/usr/bin/lowriter");
}

TEST(OpenFormOrSheet, SaysSoWhenTheFileIsMissingOrTheProgramFails) {
  test::TempFolder folder;
  RecordingLauncher launcher;
  test::ScriptedPrompter prompter;
  document::OutputSettings lo;
  lo.kind = "oo";
  lo.word_processor_path = "/usr/bin/lowriter";
  const FormOrSheet& protocol = entry("Summary Survey Protocol ");
  EXPECT_FALSE(open_form_or_sheet(protocol, lo, folder.path(), launcher, prompter));
  EXPECT_TRUE(launcher.commands.empty());
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_THAT(prompter.messages[0], ::testing::HasSubstr("English_survey_protocol.doc"));

  folder.write("English_survey_protocol.doc", "x");
  EXPECT_TRUE(open_form_or_sheet(protocol, lo, folder.path(), launcher, prompter));
  ASSERT_EQ(launcher.commands.size(), 1u);
  launcher.succeed = false;
  EXPECT_FALSE(open_form_or_sheet(protocol, lo, folder.path(), launcher, prompter));
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_THAT(prompter.messages[1], ::testing::StartsWith("The office program could not be started"));
  EXPECT_THAT(prompter.messages[1], ::testing::HasSubstr("English_survey_protocol.doc"));
}

}  // namespace
}  // namespace olvar::calculator
