#include "platform/file_association.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "support/temp_folder.h"

namespace olvar::platform {
namespace {
namespace fs = std::filesystem;
using ::testing::HasSubstr;

EnvironmentLookup environment(std::map<std::string, std::string> variables) {
  return [variables = std::move(variables)](const std::string& name) -> std::optional<std::string> {
    auto it = variables.find(name);
    if (it == variables.end()) return std::nullopt;
    return it->second;
  };
}

ProgramSearch tools_in(const test::TempFolder& folder, std::initializer_list<const char*> names) {
  fs::create_directories(folder / "tools");
  for (const char* name : names) {
    const fs::path tool = folder.write(std::string("tools/") + name, "#!/bin/sh\n");
    fs::permissions(tool, fs::perms::owner_all);
  }
  return ProgramSearch{{folder / "tools"}};
}

TEST(FileAssociationPaths, FollowXdgDataHome) {
  FileAssociationPaths p =
      file_association_paths(environment({{"XDG_DATA_HOME", "/x/data"}, {"HOME", "/home/ana"}}));
  EXPECT_EQ(p.mime_package, fs::path("/x/data/mime/packages/olvar-survey.xml"));
  EXPECT_EQ(p.desktop_entry, fs::path("/x/data/applications/olvar.desktop"));
  p = file_association_paths(environment({{"HOME", "/home/ana"}, {"XDG_DATA_HOME", ""}}));
  EXPECT_EQ(p.desktop_entry, fs::path("/home/ana/.local/share/applications/olvar.desktop"));
  EXPECT_TRUE(file_association_paths(environment({})).data_home.empty());
}

TEST(DesktopExecArgument, QuotesAndEscapesAsTheDesktopEntryRulesSay) {
  struct Case {
    const char* path;
    const char* argument;
  };
  // Quoting escapes " ` $ \ with a backslash; the string escape then doubles every backslash,
  // so a literal backslash needs four; % is doubled for the field codes.
  const Case cases[] = {
      {"/usr/bin/olvar", R"("/usr/bin/olvar")"},
      {"/opt/my apps/olvar", R"("/opt/my apps/olvar")"},
      {"/opt/$x/olvar", R"("/opt/\\$x/olvar")"},
      {R"(/opt/a\b/olvar)", R"("/opt/a\\\\b/olvar")"},
      {"/opt/100%/olvar", R"("/opt/100%%/olvar")"},
      {R"(/opt/"q"/olvar)", R"("/opt/\\"q\\"/olvar")"},
  };
  for (const Case& c : cases) EXPECT_EQ(desktop_exec_argument(c.path), c.argument) << c.path;
}

TEST(InstallFileAssociation, WritesBothFilesAndRefreshesTheCachesWhenToolsExist) {
  test::TempFolder folder;
  const auto env = environment({{"XDG_DATA_HOME", (folder / "data").string()}});
  std::vector<ProcessCommand> ran;
  const CommandRunner record = [&](const ProcessCommand& c, std::string*) {
    ran.push_back(c);
    return 0;
  };
  const FileAssociationResult result = install_file_association(
      env, "/opt/olvar/bin/olvar",
      tools_in(folder, {"update-mime-database", "update-desktop-database"}), record);
  EXPECT_TRUE(result.installed);
  EXPECT_EQ(result.error, "");
  const std::string mime = test::read_file(folder / "data/mime/packages/olvar-survey.xml");
  EXPECT_THAT(mime, HasSubstr("<glob pattern=\"*.as\"/>"));
  EXPECT_THAT(mime, HasSubstr("type=\"application/x-olvar-survey\""));
  const std::string entry = test::read_file(folder / "data/applications/olvar.desktop");
  EXPECT_THAT(entry, HasSubstr("\nExec=\"/opt/olvar/bin/olvar\" %f\n"));
  EXPECT_THAT(entry, HasSubstr("\nMimeType=application/x-olvar-survey;\n"));
  ASSERT_EQ(ran.size(), 2u);
  EXPECT_EQ(ran[0].program, (folder / "tools/update-mime-database").string());
  EXPECT_EQ(ran[0].arguments, std::vector<std::string>{(folder / "data/mime").string()});
  EXPECT_EQ(ran[1].arguments, std::vector<std::string>{(folder / "data/applications").string()});
}

TEST(InstallFileAssociation, WithoutToolsOnlyTheFilesAreWritten) {
  test::TempFolder folder;
  int runs = 0;
  const FileAssociationResult result = install_file_association(
      environment({{"XDG_DATA_HOME", (folder / "data").string()}}), "/usr/bin/olvar",
      tools_in(folder, {}), [&](const ProcessCommand&, std::string*) { return ++runs, 0; });
  EXPECT_TRUE(result.installed);
  EXPECT_EQ(runs, 0);
  EXPECT_TRUE(fs::exists(folder / "data/applications/olvar.desktop"));
}

TEST(InstallFileAssociation, FailuresAreReported) {
  test::TempFolder folder;
  folder.write("data", "a file where the folder should be");
  FileAssociationResult result =
      install_file_association(environment({{"XDG_DATA_HOME", (folder / "data").string()}}),
                               "/usr/bin/olvar", tools_in(folder, {}), nullptr);
  EXPECT_FALSE(result.installed);
  EXPECT_THAT(result.error, HasSubstr("olvar-survey.xml"));

  result =
      install_file_association(environment({}), "/usr/bin/olvar", tools_in(folder, {}), nullptr);
  EXPECT_FALSE(result.installed);
  EXPECT_THAT(result.error, HasSubstr("HOME"));

  result = install_file_association(
      environment({{"XDG_DATA_HOME", (folder / "d2").string()}}), "/usr/bin/olvar",
      tools_in(folder, {"update-mime-database"}),
      [](const ProcessCommand&, std::string* why) { return *why = "crashed", 1; });
  EXPECT_TRUE(result.installed);
  EXPECT_THAT(result.error, HasSubstr("update-mime-database failed: crashed"));
}

TEST(InstallFileAssociation, TheRealMimeDatabaseRecognisesSurveys) {
  const ProgramSearch system{{"/usr/bin", "/bin", "/usr/local/bin"}};
  if (FindProgramFile("update-mime-database", system).empty()) {
    GTEST_SKIP() << "update-mime-database is not installed";
  }
  test::TempFolder folder;
  const FileAssociationResult result = install_file_association(
      environment({{"XDG_DATA_HOME", (folder / "data").string()}}), "/usr/bin/olvar", system,
      [](const ProcessCommand& c, std::string* why) { return run_and_wait(c, why); });
  EXPECT_TRUE(result.installed);
  EXPECT_EQ(result.error, "");
  EXPECT_THAT(test::read_file(folder / "data/mime/globs2"),
              HasSubstr("application/x-olvar-survey:*.as"));
}

}  // namespace
}  // namespace olvar::platform
