#include "workspace/additional_archive.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/program_search.h"
#include "support/temp_folder.h"

namespace olvar::workspace {
namespace {
namespace fs = std::filesystem;
using ::testing::HasSubstr;

TEST(AdditionalArchive, NothingToDoWithoutTheArchive) {
  test::TempFolder folder;
  int runs = 0;
  const ArchiveUnpackResult r = unpack_additional_archive(
      {folder.path(), folder.path()},
      [&](const platform::ProcessCommand&, std::string*) { return ++runs, 0; });
  EXPECT_FALSE(r.found);
  EXPECT_EQ(runs, 0);
}

TEST(AdditionalArchive, UnzipRunsAndTheArchiveGoes) {
  test::TempFolder folder;
  const fs::path archive = folder.write("additional.zip", "PK");
  platform::ProcessCommand ran;
  const ArchiveUnpackResult r = unpack_additional_archive(
      {folder.path(), folder / "user"}, [&](const platform::ProcessCommand& c, std::string*) {
        ran = c;
        return 0;
      });
  EXPECT_TRUE(r.unpacked);
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(ran.program, "unzip");
  EXPECT_EQ(ran.arguments, (std::vector<std::string>{"-o", "-q", archive.string(), "-d",
                                                     (folder / "user").string()}));
  EXPECT_FALSE(fs::exists(archive));
}

TEST(AdditionalArchive, FailuresAreReportedAndTheArchiveKept) {
  struct Case {
    const char* what;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {"unzip missing", -1, "Error! unzip could not be started: no such program"},
      {"damaged archive", 9, "Error! unzip could not unpack"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempFolder folder;
    const fs::path archive = folder.write("additional.zip", "not a zip");
    const ArchiveUnpackResult r = unpack_additional_archive(
        {folder.path(), folder.path()}, [&](const platform::ProcessCommand&, std::string* why) {
          *why = "no such program";
          return c.status;
        });
    EXPECT_TRUE(r.found);
    EXPECT_FALSE(r.unpacked);
    EXPECT_THAT(r.error, HasSubstr(c.message));
    EXPECT_TRUE(fs::exists(archive));
  }
}

TEST(AdditionalArchive, RealUnzipOverwritesOlderFiles) {
  const platform::ProgramSearch path =
      platform::default_program_search(platform::process_environment());
  if (platform::FindProgramFile("unzip", path).empty() ||
      platform::FindProgramFile("zip", path).empty()) {
    GTEST_SKIP() << "zip or unzip is not installed";
  }
  test::TempFolder folder;
  folder.write("staging/english.lng", "0001 new text\r\n");
  folder.write("program/english.lng", "0001 old text\r\n");
  ASSERT_EQ(platform::run_and_wait({"zip",
                                    {"-q", "-j", (folder / "program/additional.zip").string(),
                                     (folder / "staging/english.lng").string()},
                                    platform::WindowMode::hidden}),
            0);
  const ArchiveUnpackResult r =
      unpack_additional_archive({folder / "program", folder / "program"},
                                [](const platform::ProcessCommand& c, std::string* why) {
                                  return platform::run_and_wait(c, why);
                                });
  EXPECT_TRUE(r.unpacked) << r.error;
  EXPECT_EQ(test::read_file(folder / "program/english.lng"), "0001 new text\r\n");
  EXPECT_FALSE(fs::exists(folder / "program/additional.zip"));
}

}  // namespace
}  // namespace olvar::workspace
