#include "workspace/language_change.h"

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

// A program folder with the language files and templates of three languages, and a separate
// writable folder (an installed, read-only program folder).
class LanguageChange : public ::testing::Test {
 protected:
  LanguageChange() {
    for (const char* name :
         {"english.lng", "French.lng", "spanish.lng", "kiswahili.lng", "english_report.rtf",
          "french_report.rtf", "spanish_report.rtf", "english_survey_protocol.rtf",
          "french_survey_protocol.rtf", "spanish_survey_protocol.rtf", "French_captions.txt",
          "spanish_captions.txt"}) {
      folder.write(std::string("program/") + name, std::string("content of ") + name + "\r\n");
    }
    folder.write("program/notes.txt", "x");
    fs::create_directories(folders.writable);
  }
  std::string written(const char* name) const { return test::read_file(folders.writable / name); }

  test::TempFolder folder;
  core::ProgramFolders folders{folder / "program", folder / "user"};
  test::ScriptedPrompter prompter;
};

TEST_F(LanguageChange, OffersTheLanguageFilesOfBothFolders) {
  folder.write("user/amharic.lng", "");
  EXPECT_THAT(language_files(folders), ElementsAre("French.lng", "amharic.lng", "english.lng",
                                                   "kiswahili.lng", "spanish.lng"));
}

TEST_F(LanguageChange, NothingSelected) {
  EXPECT_FALSE(change_language(std::nullopt, folders, prompter));
  EXPECT_THAT(prompter.messages, ElementsAre("Language file not found"));
  EXPECT_FALSE(fs::exists(folders.writable / "language.dat"));
}

TEST_F(LanguageChange, CopiesTheFileAndTheTemplatesOfItsLanguage) {
  struct Case {
    const char* file;
    const char* report;    // "" when report.rtf is not written
    const char* protocol;  // "" when report_planning.rtf is not written
    const char* captions;  // "" for an empty captions.dat: the captions as the code writes them
  };
  const Case cases[] = {
      {"French.lng", "french_report.rtf", "french_survey_protocol.rtf", "French_captions.txt"},
      {"english.lng", "english_report.rtf", "english_survey_protocol.rtf", ""},
      {"spanish.lng", "spanish_report.rtf", "spanish_survey_protocol.rtf", "spanish_captions.txt"},
      {"kiswahili.lng", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    fs::remove(folders.writable / "report.rtf");
    fs::remove(folders.writable / "report_planning.rtf");
    prompter.messages.clear();
    EXPECT_TRUE(change_language(c.file, folders, prompter));
    EXPECT_EQ(written("language.dat"), std::string("content of ") + c.file + "\r\n");
    if (*c.report) {
      EXPECT_EQ(written("report.rtf"), std::string("content of ") + c.report + "\r\n");
    } else {
      EXPECT_FALSE(fs::exists(folders.writable / "report.rtf"));
    }
    if (*c.protocol) {
      EXPECT_EQ(written("report_planning.rtf"), std::string("content of ") + c.protocol + "\r\n");
    } else {
      EXPECT_FALSE(fs::exists(folders.writable / "report_planning.rtf"));
    }
    if (*c.captions) {
      EXPECT_EQ(written("captions.dat"), std::string("content of ") + c.captions + "\r\n");
    } else {
      EXPECT_EQ(written("captions.dat"), "") << "an earlier language's captions are cleared";
    }
    EXPECT_THAT(prompter.messages, ElementsAre("Please restart the program"));
  }
  EXPECT_FALSE(fs::exists(folders.program / "language.dat")) << "the program folder is left alone";
}

TEST_F(LanguageChange, AMissingTemplateIsToldAndEndsTheChange) {
  fs::remove(folders.program / "french_survey_protocol.rtf");
  EXPECT_FALSE(change_language("French.lng", folders, prompter));
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_THAT(prompter.messages[0], HasSubstr("french_survey_protocol.rtf"));
  EXPECT_FALSE(fs::exists(folders.writable / "report_planning.rtf"));
  EXPECT_FALSE(fs::exists(folders.writable / "report_planning.rtf.tmp"));
}

TEST(LocateProgramFile, WritableCopyComesFirst) {
  test::TempFolder folder;
  const core::ProgramFolders folders{folder / "program", folder / "user"};
  folder.write("program/report.rtf", "shipped");
  EXPECT_EQ(core::locate_program_file(folders, "report.rtf"), folders.program / "report.rtf");
  folder.write("user/report.rtf", "copied");
  EXPECT_EQ(core::locate_program_file(folders, "report.rtf"), folders.writable / "report.rtf");
}

}  // namespace
}  // namespace olvar::workspace
