// The build-time generator of anthro_who2005.dat, run on copies of the WHO tables: it must build
// the same table from complete input and refuse, with a message naming the file, any input
// with a hole, a repeated key or a missing file, leaving no table behind.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>

#include "support/test_paths.h"

namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

std::string read_all(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class MakeWhoTable : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           (std::string("olvar_make_who_table_") +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
            std::to_string(std::random_device{}()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "who");
    for (const auto& entry : fs::directory_iterator(olvar::test::who_table_path("")))
      if (entry.path().extension() == ".txt")
        fs::copy_file(entry.path(), dir_ / "who" / entry.path().filename());
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs the generator; returns its exit status and leaves its messages in `messages_`.
  int run() {
    const fs::path log = dir_ / "messages.txt";
    const std::string command = std::string("\"") + OLVAR_MAKE_WHO_TABLE + "\" \"" +
                                (dir_ / "who").string() + "\" \"" + output().string() + "\" 2> \"" +
                                log.string() + "\"";
    const int status = std::system(command.c_str());
    messages_ = read_all(log);
    return status;
  }
  fs::path output() const { return dir_ / "anthro_who2005.dat"; }

  // Rewrites one WHO file through `edit`, a function of its lines.
  template <typename Edit>
  void edit_lines(const char* name, Edit edit) {
    std::istringstream in(read_all(dir_ / "who" / name));
    std::string out, line;
    while (std::getline(in, line)) out += edit(line);
    fs::permissions(dir_ / "who" / name, fs::perms::owner_write, fs::perm_options::add);
    std::ofstream(dir_ / "who" / name, std::ios::binary | std::ios::trunc) << out;
  }

  fs::path dir_;
  std::string messages_;
};

TEST_F(MakeWhoTable, BuildsTheSameTableAsTheBuild) {
  ASSERT_EQ(run(), 0) << messages_;
  EXPECT_EQ(read_all(output()), read_all(olvar::test::build_data_path("anthro_who2005.dat")));
}

TEST_F(MakeWhoTable, RefusesAMissingKey) {
  // Boys' weight-for-age at 100 days removed.
  edit_lines("weianthro.txt", [](const std::string& line) {
    return line.rfind("1\t100\t", 0) == 0 ? std::string() : line + "\n";
  });
  EXPECT_NE(run(), 0);
  EXPECT_THAT(messages_, HasSubstr("weianthro.txt"));
  EXPECT_THAT(messages_, HasSubstr("boys at key 100"));
  EXPECT_FALSE(fs::exists(output()));
}

TEST_F(MakeWhoTable, RefusesARepeatedKey) {
  edit_lines("acfawho_monthly.txt", [](const std::string& line) {
    return line.rfind("2\t30\t", 0) == 0 ? line + "\n" + line + "\n" : line + "\n";
  });
  EXPECT_NE(run(), 0);
  EXPECT_THAT(messages_, HasSubstr("acfawho_monthly.txt"));
  EXPECT_THAT(messages_, HasSubstr("twice"));
  EXPECT_FALSE(fs::exists(output()));
}

TEST_F(MakeWhoTable, RefusesAnUnusableValue) {
  // A median of zero cannot serve as an LMS record.
  edit_lines("wflanthro.txt", [](const std::string& line) {
    return line.rfind("2\t80.5\t", 0) == 0 ? std::string("2\t80.5\t-0.3833\t0\t0.08\tL\r\n")
                                           : line + "\n";
  });
  EXPECT_NE(run(), 0);
  EXPECT_THAT(messages_, HasSubstr("wflanthro.txt, line"));
  EXPECT_FALSE(fs::exists(output()));
}

TEST_F(MakeWhoTable, RefusesAMissingFile) {
  fs::remove(dir_ / "who" / "hfawho2007.txt");
  EXPECT_NE(run(), 0);
  EXPECT_THAT(messages_, HasSubstr("hfawho2007.txt is missing"));
  EXPECT_FALSE(fs::exists(output()));
}

}  // namespace
