#include "workspace/app_context.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "support/temp_folder.h"

namespace olvar::workspace {
namespace {
namespace fs = std::filesystem;
using ::testing::HasSubstr;

// A machine of the test's own: program folder, home, data home, a PATH folder with LibreOffice,
// and a runner that records the commands.
class StartUp : public ::testing::Test {
 protected:
  StartUp() {
    fs::create_directories(folder / "program");
    fs::create_directories(folder / "home/Documents");
    fs::create_directories(folder / "bin");
    const fs::path soffice = folder.write("bin/soffice", "#!/bin/sh\n");
    fs::permissions(soffice, fs::perms::owner_all);
    inputs.env = [this](const std::string& name) -> std::optional<std::string> {
      auto it = variables.find(name);
      if (it == variables.end()) return std::nullopt;
      return it->second;
    };
    inputs.executable = "/opt/olvar/bin/olvar";
    inputs.build_data_folder = folder / "unused";
    inputs.arguments = {"/data/s.as", "SETTINGS2"};
    inputs.locale = {"03.08.1994", ","};
    inputs.today = {2026, 12, 10};
    inputs.search = platform::ProgramSearch{{folder / "bin"}};
    inputs.run = [this](const platform::ProcessCommand& c, std::string*) {
      ran.push_back(c);
      return 0;
    };
  }

  test::TempFolder folder;
  std::map<std::string, std::string> variables{
      {"OLVAR_HOME", (folder / "program").string()},
      {"HOME", (folder / "home").string()},
      {"XDG_DATA_HOME", (folder / "data").string()},
      {"XDG_CONFIG_HOME", (folder / "config").string()},
  };
  StartUpInputs inputs;
  std::vector<platform::ProcessCommand> ran;
};

TEST_F(StartUp, FirstStartCreatesTheSettingsAndTheAssociation) {
  const AppContext app = start_up(inputs);
  EXPECT_EQ(app.folders.program, folder / "program");
  EXPECT_EQ(app.folders.writable, folder / "program");
  EXPECT_EQ(app.output_folder, folder / "home/Documents");
  EXPECT_EQ(app.dates.order, core::DateOrder::dmy);
  EXPECT_EQ(app.dates.separator, '.');
  EXPECT_EQ(app.dates.decimal_separator, ',');
  EXPECT_EQ(app.today.year, 2026);
  EXPECT_EQ(app.command_line.survey_file, "/data/s.as");
  EXPECT_EQ(app.command_line.mode_word, "SETTINGS2");
  EXPECT_TRUE(app.startup_messages.empty());
  EXPECT_EQ(app.text, nullptr);
  EXPECT_EQ(app.who, nullptr);

  EXPECT_EQ(app.settings_file, folder / "program/winpellan.ini");
  EXPECT_EQ(fs::file_size(app.settings_file), 9566u);
  EXPECT_EQ(app.settings.office_program, "oo");
  EXPECT_EQ(app.settings.word_processor_path, (folder / "bin/soffice").string());
  EXPECT_THAT(test::read_file(folder / "data/applications/olvar.desktop"),
              HasSubstr("Exec=\"/opt/olvar/bin/olvar\" %f"));
  EXPECT_TRUE(fs::exists(folder / "data/mime/packages/olvar-survey.xml"));
}

TEST_F(StartUp, LaterStartsReadTheSettingsAndClearTheRelayOption) {
  core::SettingsRecord stored;
  stored.second_relay_option = 'x';
  stored.muac1 = 111;
  stored.office_program = "ww";
  core::write_settings_file(folder / "program/winpellan.ini", stored);
  const AppContext app = start_up(inputs);
  EXPECT_EQ(app.settings.muac1, 111);
  EXPECT_EQ(app.settings.office_program, "ww") << "a stored choice is not searched again";
  EXPECT_EQ(app.settings.second_relay_option, ' ');
  EXPECT_FALSE(fs::exists(folder / "data/applications/olvar.desktop"))
      << "the association is installed with new settings only";
}

TEST_F(StartUp, DamagedSettingsAreReplaced) {
  folder.write("program/winpellan.ini", std::string(4783, '\0'));
  const AppContext app = start_up(inputs);
  EXPECT_EQ(app.settings.muac1, 115);
  EXPECT_EQ(fs::file_size(folder / "program/winpellan.ini"), 9566u);
}

TEST_F(StartUp, AdditionalArchiveIsUnpackedAndFailuresCollected) {
  folder.write("program/additional.zip", "PK");
  inputs.run = [this](const platform::ProcessCommand& c, std::string* why) {
    ran.push_back(c);
    *why = "not installed";
    return c.program == "unzip" ? -1 : 0;
  };
  const AppContext app = start_up(inputs);
  ASSERT_FALSE(ran.empty());
  EXPECT_EQ(ran.back().program, "unzip");
  ASSERT_EQ(app.startup_messages.size(), 1u);
  EXPECT_THAT(app.startup_messages[0], HasSubstr("Error! unzip could not be started"));
}

TEST_F(StartUp, WithoutDocumentsFolderReportsGoToTheHomeFolder) {
  fs::remove(folder / "home/Documents");
  EXPECT_EQ(start_up(inputs).output_folder, folder / "home");
}

}  // namespace
}  // namespace olvar::workspace
