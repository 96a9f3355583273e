#include "platform/safe_write.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "support/temp_folder.h"

namespace olvar::platform {
namespace {
namespace fs = std::filesystem;
using ::testing::HasSubstr;

std::string read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> names_in(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SafeWrite, ReplacesTheTargetAndLeavesNoTemporaryFile) {
  test::TempFolder folder;
  const fs::path target = folder.write("out.tsv", "old");
  write_file_safely(target, "new contents");
  EXPECT_EQ(read(folder / "out.tsv"), "new contents");
  EXPECT_EQ(names_in(folder.path()), std::vector<std::string>{"out.tsv"});
}

TEST(SafeWrite, AnUncommittedFileLeavesTheOldOneUntouched) {
  test::TempFolder folder;
  const fs::path target = folder.write("survey.as", "the survey");
  {
    SafeFile file(target);
    file.write("half a new survey");
  }  // dropped without a commit, as when producing the contents throws
  EXPECT_EQ(read(folder / "survey.as"), "the survey");
  EXPECT_EQ(names_in(folder.path()), std::vector<std::string>{"survey.as"});
}

TEST(SafeWrite, AMissingFolderIsReportedWithTheFileName) {
  test::TempFolder folder;
  try {
    write_file_safely(folder / "no such folder" / "out.rtf", "x");
    FAIL() << "no failure reported";
  } catch (const WriteFailure& e) {
    EXPECT_THAT(e.what(), HasSubstr("out.rtf"));
    EXPECT_THAT(e.what(), HasSubstr("No such file or directory"));
  }
}

TEST(SafeWrite, APlantedLinkAtTheOldTemporaryNameIsNeverFollowed) {
  test::TempFolder folder;
  const fs::path victim = folder.write("victim.txt", "keep me");
  fs::create_symlink(victim, folder / "out.as.tmp");
  write_file_safely(folder / "out.as", "survey");
  EXPECT_EQ(read(folder / "victim.txt"), "keep me");
  EXPECT_EQ(read(folder / "out.as"), "survey");
}

TEST(SafeWrite, WritingThroughALinkReplacesTheLinkNotItsTarget) {
  test::TempFolder folder;
  const fs::path real = folder.write("real.txt", "old");
  fs::create_symlink(real, folder / "link.txt");
  write_file_safely(folder / "link.txt", "new");
  EXPECT_EQ(read(folder / "real.txt"), "old");
  EXPECT_EQ(read(folder / "link.txt"), "new");
}

TEST(SameFile, SeesThroughLinksAndRelativeParts) {
  test::TempFolder folder;
  const fs::path file = folder.write("kids.csv", "x");
  fs::create_directories(folder / "sub");
  fs::create_symlink(file, folder / "alias.csv");
  EXPECT_TRUE(is_same_file(file, folder / "sub" / ".." / "kids.csv"));
  EXPECT_TRUE(is_same_file(file, folder / "alias.csv"));
  EXPECT_FALSE(is_same_file(file, folder / "other.csv"));  // the output does not exist yet
}

}  // namespace
}  // namespace olvar::platform
