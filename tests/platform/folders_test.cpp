#include "platform/folders.h"

#include <gtest/gtest.h>

#include <map>

#include "support/temp_folder.h"

namespace olvar::platform {
namespace {
namespace fs = std::filesystem;

EnvironmentLookup environment(std::map<std::string, std::string> variables) {
  return [variables = std::move(variables)](const std::string& name) -> std::optional<std::string> {
    auto it = variables.find(name);
    if (it == variables.end()) return std::nullopt;
    return it->second;
  };
}

TEST(FindProgramFolder, OlvarHomeWinsOverEverything) {
  test::TempFolder root;
  fs::create_directories(root / "usr/bin");
  fs::create_directories(root / "usr/share/olvar");
  EXPECT_EQ(find_program_folder(environment({{"OLVAR_HOME", "/somewhere/olvar"}}),
                                root / "usr/bin/olvar", root / "build/data"),
            fs::path("/somewhere/olvar"));
}

TEST(FindProgramFolder, InstalledBinaryUsesShareFolderOfItsPrefix) {
  test::TempFolder root;
  fs::create_directories(root / "usr/bin");
  fs::create_directories(root / "usr/share/olvar");
  EXPECT_EQ(find_program_folder(environment({{"OLVAR_HOME", ""}}), root / "usr/bin/olvar",
                                root / "build/data"),
            root / "usr/share/olvar");
}

TEST(FindProgramFolder, BuildTreeDataFolderWhenNotInstalled) {
  test::TempFolder root;
  fs::create_directories(root / "build");
  // A bin folder without share/olvar beside it is not an installation either.
  fs::create_directories(root / "usr/bin");
  for (const fs::path& exe : {root / "build/olvar", root / "usr/bin/olvar", fs::path()}) {
    SCOPED_TRACE(exe.string());
    EXPECT_EQ(find_program_folder(environment({}), exe, root / "build/data"), root / "build/data");
  }
}

TEST(WritableDataFolder, ProgramFolderWhenWritableElsePerUserFolder) {
  test::TempFolder root;
  fs::create_directories(root / "program");
  const auto env = environment({{"HOME", (root / "home").string()}});
  EXPECT_EQ(writable_data_folder(env, root / "program"), root / "program");

  // A program folder that cannot be written to (here: missing) sends writes to the user's data
  // folder, which is created.
  EXPECT_EQ(writable_data_folder(env, root / "not-there"), root / "home/.local/share/olvar");
  EXPECT_TRUE(fs::is_directory(root / "home/.local/share/olvar"));
  EXPECT_EQ(writable_data_folder(environment({{"XDG_DATA_HOME", (root / "data").string()}}),
                                 root / "not-there"),
            root / "data/olvar");
}

TEST(DocumentsFolder, FollowsTheFreedesktopOrder) {
  test::TempFolder root;
  const fs::path home = root / "home";
  fs::create_directories(home);
  const std::string h = home.string();

  // Nothing configured, no Documents folder: the home folder.
  EXPECT_EQ(documents_folder(environment({{"HOME", h}})), home);

  fs::create_directories(home / "Documents");
  EXPECT_EQ(documents_folder(environment({{"HOME", h}})), home / "Documents");

  // user-dirs.dirs as xdg-user-dirs-update writes it, relative to $HOME.
  fs::create_directories(home / "Dokumente");
  root.write("home/.config/user-dirs.dirs",
             "# This file is written by xdg-user-dirs-update\n"
             "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
             "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(documents_folder(environment({{"HOME", h}})), home / "Dokumente");

  // XDG_CONFIG_HOME moves the configuration; an absolute path is taken as it stands.
  fs::create_directories(root / "papers with blanks");
  root.write("config/user-dirs.dirs",
             "XDG_DOCUMENTS_DIR=\"" + (root / "papers with blanks").string() + "\"\n");
  EXPECT_EQ(
      documents_folder(environment({{"HOME", h}, {"XDG_CONFIG_HOME", (root / "config").string()}})),
      root / "papers with blanks");

  // The environment variable comes first, but only when it names a folder.
  fs::create_directories(root / "env-docs");
  EXPECT_EQ(documents_folder(
                environment({{"HOME", h}, {"XDG_DOCUMENTS_DIR", (root / "env-docs").string()}})),
            root / "env-docs");
  EXPECT_EQ(documents_folder(
                environment({{"HOME", h}, {"XDG_DOCUMENTS_DIR", (root / "missing").string()}})),
            home / "Dokumente");

  // A documents entry equal to $HOME means the folder is switched off.
  root.write("home/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
  EXPECT_EQ(documents_folder(environment({{"HOME", h}})), home / "Documents");
}

TEST(DocumentsFolder, EmptyWithoutHome) {
  EXPECT_EQ(documents_folder(environment({})), fs::path());
}

}  // namespace
}  // namespace olvar::platform
