#include "platform/safe_write.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

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

// The test hook of the platform layer: writes beyond the limit fail as on a full disk.
class WriteLimit {
 public:
  explicit WriteLimit(const char* bytes) { ::setenv("OLVAR_TEST_WRITE_LIMIT", bytes, 1); }
  ~WriteLimit() { ::unsetenv("OLVAR_TEST_WRITE_LIMIT"); }
};

TEST(SafeWrite, AFullDiskKeepsTheOldFileAndRemovesTheTemporaryOne) {
  test::TempFolder folder;
  const fs::path target = folder.write("out.csv", "old");
  const WriteLimit limit("4");
  EXPECT_THAT([&] { write_file_safely(target, "longer than four"); },
              ::testing::ThrowsMessage<WriteFailure>(::testing::AllOf(
                  HasSubstr(target.string()), HasSubstr("No space left on device"))));
  EXPECT_EQ(read(target), "old");
  EXPECT_EQ(names_in(folder.path()), std::vector<std::string>{"out.csv"});
}

TEST(SafeWriteBackup, TheOldBackupGoesOnlyOnceTheNewFileIsInPlace) {
  const struct {
    const char* what;
    const char* limit;  // nullptr: no failure
    std::vector<std::string> inputs;
    const char* survey;
    const char* backup;
    BackupResult result;
  } cases[] = {
      {"a save keeps the previous file as the backup", nullptr, {}, "new", "old", BackupResult::kept},
      {"a failed save keeps the file and the old backup", "2", {}, "old", "older",
       BackupResult::kept},
      {"a backup that is being read is left alone", nullptr, {"s.bak"}, "new", "older",
       BackupResult::backup_is_input},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempFolder folder;
    folder.write("s.as", "old");
    folder.write("s.bak", "older");
    std::vector<fs::path> inputs;
    for (const std::string& name : c.inputs) inputs.push_back(folder / name);
    if (c.limit != nullptr) {
      const WriteLimit limit(c.limit);
      EXPECT_THROW(write_file_with_backup(folder / "s.as", "new", folder / "s.bak", inputs),
                   WriteFailure);
    } else {
      EXPECT_EQ(write_file_with_backup(folder / "s.as", "new", folder / "s.bak", inputs),
                c.result);
    }
    EXPECT_EQ(read(folder / "s.as"), c.survey);
    EXPECT_EQ(read(folder / "s.bak"), c.backup);
    EXPECT_EQ(names_in(folder.path()), (std::vector<std::string>{"s.as", "s.bak"}));
  }
}

TEST(SafeWriteBackup, AFirstSaveMakesNoBackupAndAFolderIsRefused) {
  test::TempFolder folder;
  EXPECT_EQ(write_file_with_backup(folder / "s.as", "new", folder / "s.bak"),
            BackupResult::no_previous_file);
  EXPECT_EQ(names_in(folder.path()), std::vector<std::string>{"s.as"});
  fs::create_directories(folder / "d.as");
  EXPECT_THAT([&] { write_file_with_backup(folder / "d.as", "x", folder / "d.bak"); },
              ::testing::ThrowsMessage<WriteFailure>(HasSubstr("not a file")));
  EXPECT_TRUE(fs::is_directory(folder / "d.as"));
}

// A folder at the backup's name would make the last step of a save fail after the new file
// took the old one's place: the old content would be gone. It is found before anything moves.
TEST(SafeWriteBackup, AFolderAtTheBackupNameIsRefusedBeforeAnythingMoves) {
  test::TempFolder folder;
  folder.write("s.as", "old");
  folder.write("s.bak/kept", "kept");
  EXPECT_THAT([&] { write_file_with_backup(folder / "s.as", "new", folder / "s.bak"); },
              ::testing::ThrowsMessage<WriteFailure>(HasSubstr("s.bak is taken by a folder")));
  EXPECT_EQ(read(folder / "s.as"), "old");
  EXPECT_EQ(read(folder / "s.bak" / "kept"), "kept");
  EXPECT_EQ(names_in(folder.path()), (std::vector<std::string>{"s.as", "s.bak"}));
}

// A backup that is a second name (a hard link) of the survey is already the old file: the save
// must not leave a hidden temporary name of it behind, save after save.
TEST(SafeWriteBackup, ABackupLinkedToTheSurveyLeavesNothingBehind) {
  test::TempFolder folder;
  folder.write("s.as", "old");
  fs::create_hard_link(folder / "s.as", folder / "s.bak");
  for (const char* bytes : {"new", "newer"}) {
    write_file_with_backup(folder / "s.as", bytes, folder / "s.bak");
    EXPECT_EQ(names_in(folder.path()), (std::vector<std::string>{"s.as", "s.bak"}));
  }
  EXPECT_EQ(read(folder / "s.as"), "newer");
  EXPECT_EQ(read(folder / "s.bak"), "new");
}

// An interrupted save leaves a hidden temporary file as large as the survey. The next save of
// that file removes those left a while ago, of the file and of its backup, and nothing else.
TEST(SafeWriteBackup, TemporaryFilesOfAnInterruptedSaveGoAtTheNextSave) {
  test::TempFolder folder;
  folder.write("s.as", "old");
  const auto long_ago = fs::file_time_type::clock::now() - std::chrono::hours(1);
  for (const char* name :
       {".s.as.abcdefghij012345.tmp", ".s.bak.abcdefghij012345.tmp", ".s.as.young01234567890.tmp",
        ".t.as.abcdefghij012345.tmp", ".s.as.notours.tmp"}) {
    folder.write(name, "a whole survey");
    if (std::string(name).find("young") == std::string::npos) {
      fs::last_write_time(folder / name, long_ago);
    }
  }
  write_file_with_backup(folder / "s.as", "new", folder / "s.bak");
  EXPECT_EQ(names_in(folder.path()),
            (std::vector<std::string>{".s.as.notours.tmp", ".s.as.young01234567890.tmp",
                                      ".t.as.abcdefghij012345.tmp", "s.as", "s.bak"}));
}

TEST(SafeFileStream, StreamsIntoPlaceOrLeavesTheOldFile) {
  test::TempFolder folder;
  const fs::path target = folder.write("z.csv", "old");
  {
    SafeFileStream out(target);
    out << "a,b\n" << std::string(3 << 20, 'x');  // more than one block
  }  // not committed
  EXPECT_EQ(read(target), "old");
  {
    SafeFileStream out(target);
    out << "a,b\n";
    out.commit();
  }
  EXPECT_EQ(read(target), "a,b\n");
  {
    const WriteLimit limit("10");
    SafeFileStream out(target);
    out << std::string(2 << 20, 'y');
    out.flush();
    EXPECT_FALSE(out);
    EXPECT_THAT(out.failure(), HasSubstr("No space left on device"));
    EXPECT_THROW(out.commit(), WriteFailure);
  }
  EXPECT_EQ(read(target), "a,b\n");
  EXPECT_EQ(names_in(folder.path()), std::vector<std::string>{"z.csv"});
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

// Two outputs of one command are one file even before either exists.
TEST(SameFile, TwoOutputsNotWrittenYetAreTheSameTarget) {
  test::TempFolder folder;
  fs::create_directories(folder / "sub");
  const fs::path file = folder.write("kids.csv", "x");
  fs::create_symlink(file, folder / "alias.csv");
  EXPECT_TRUE(is_same_target(folder / "out.rtf", folder / "sub" / ".." / "out.rtf"));
  EXPECT_TRUE(is_same_target(folder / "missing" / "out.rtf", folder / "missing" / "out.rtf"));
  EXPECT_TRUE(is_same_target(file, folder / "alias.csv"));
  EXPECT_FALSE(is_same_target(folder / "out.rtf", folder / "values.tsv"));
  EXPECT_FALSE(is_same_target(folder / "out.rtf", folder / "sub" / "out.rtf"));
}

}  // namespace
}  // namespace olvar::platform
