#include "platform/program_search.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/temp_folder.h"

namespace olvar::platform {
namespace {
namespace fs = std::filesystem;

fs::path make_program(const test::TempFolder& root, const std::string& name, bool executable) {
  const fs::path file = root.write(name, "#!/bin/sh\n");
  fs::permissions(file, executable ? fs::perms::owner_all | fs::perms::group_read
                                   : fs::perms::owner_read | fs::perms::owner_write);
  return file;
}

TEST(FindProgramFile, FirstExecutableInSearchOrderWins) {
  test::TempFolder root;
  make_program(root, "first/lowriter", false);  // not executable: passed over
  const fs::path second = make_program(root, "second/lowriter", true);
  make_program(root, "third/lowriter", true);
  const ProgramSearch search{{root / "missing", root / "first", root / "second", root / "third"}};
  EXPECT_EQ(FindProgramFile("lowriter", search), second.string());
}

TEST(FindProgramFile, FindsNothingForUnknownOrUnsafeNames) {
  test::TempFolder root;
  make_program(root, "bin/soffice", true);
  fs::create_directories(root / "bin/folder-named-like-a-program");
  const ProgramSearch search{{root / "bin"}};
  EXPECT_EQ(FindProgramFile("swriter.exe", search), "");
  EXPECT_EQ(FindProgramFile("folder-named-like-a-program", search), "");
  EXPECT_EQ(FindProgramFile("", search), "");
  EXPECT_EQ(FindProgramFile("../bin/soffice", search), "");
}

TEST(FindProgramFile, WinwordIsNotFoundOnThisSystem) {
  EXPECT_EQ(FindProgramFile("winword.exe", default_program_search(process_environment())), "");
}

TEST(DefaultProgramSearch, PathFirstThenInstallFoldersWithoutRepeats) {
  const auto env = [](const std::string& name) -> std::optional<std::string> {
    if (name == "PATH") return "/home/u/bin:/usr/bin::/home/u/bin";
    return std::nullopt;
  };
  const ProgramSearch search = default_program_search(env);
  ASSERT_GE(search.folders.size(), 3u);
  EXPECT_EQ(search.folders[0], fs::path("/home/u/bin"));
  EXPECT_EQ(search.folders[1], fs::path("/usr/bin"));
  EXPECT_EQ(std::count(search.folders.begin(), search.folders.end(), fs::path("/usr/bin")), 1);
  EXPECT_EQ(std::count(search.folders.begin(), search.folders.end(), fs::path("")), 0);
  EXPECT_NE(std::find(search.folders.begin(), search.folders.end(),
                      fs::path("/usr/lib/libreoffice/program")),
            search.folders.end());
}

TEST(FindLibreOffice, PrefersSofficeAsWordProcessor) {
  test::TempFolder root;
  const fs::path lowriter = make_program(root, "bin/lowriter", true);
  const fs::path localc = make_program(root, "bin/localc", true);
  ProgramSearch search{{root / "bin"}};
  LibreOfficeInstall office = find_libreoffice(search);
  EXPECT_TRUE(office.found());
  EXPECT_EQ(office.word_processor(), lowriter.string());
  EXPECT_EQ(office.localc, localc.string());

  const fs::path soffice = make_program(root, "lib/libreoffice/program/soffice", true);
  search.folders.push_back(root / "lib/libreoffice/program");
  office = find_libreoffice(search);
  EXPECT_EQ(office.word_processor(), soffice.string());

  EXPECT_FALSE(find_libreoffice(ProgramSearch{{root / "nowhere"}}).found());
}

}  // namespace
}  // namespace olvar::platform
