// olvar-cli zscores end to end: the built program on real files.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/run_command.h"
#include "support/test_paths.h"

namespace olvar {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

using test::CommandResult;
using test::read_whole_file;

class CliZscores : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() /
        ("olvar_cli_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path write(const std::string& name, const std::string& text) {
    std::ofstream(folder_ / name, std::ios::binary) << text;
    return folder_ / name;
  }

  CommandResult run(const std::string& arguments) {
    return test::run_cli(arguments, folder_);
  }

  fs::path folder_;
};

TEST_F(CliZscores, WritesTheFileAndSummarises) {
  const fs::path input = write("in.csv",
                               "sex,age_days,weight_kg,height_cm\n"
                               "m,365.25,9.6,75.7\n"
                               "f,400,heavy,75\n");
  const CommandResult r =
      run("zscores '" + input.string() + "' -o '" + (folder_ / "out.csv").string() + "'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(read_whole_file(folder_ / "out.csv"),
            "sex,age_days,weight_kg,height_cm,waz,haz,whz,baz,muacz\n"
            "m,365.25,9.6,75.7,-0.044,-0.016,-0.055,-0.035,\n"
            "f,400,heavy,75,,,,,\n");
  EXPECT_THAT(r.err, HasSubstr("2 rows; 1 without any z-score"));
  EXPECT_THAT(r.err, HasSubstr("weight_kg not a number"));
}

TEST_F(CliZscores, WritesToStandardOutputWithNchs) {
  const fs::path input = write("in.csv", "sex,age_days,weight_kg,height_cm\nf,0,3.228,49.9\n");
  const CommandResult r = run("zscores --reference nchs '" + input.string() + "'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr(",wam,ham,whm\nf,0,3.228,49.9,0.001,"));
}

TEST_F(CliZscores, FailsClearlyOnBadInput) {
  const fs::path no_weight = write("in.csv", "sex,height_cm\nm,80\n");
  const CommandResult missing_column = run("zscores '" + no_weight.string() + "'");
  EXPECT_NE(missing_column.status, 0);
  EXPECT_THAT(missing_column.err, HasSubstr("weight_kg"));

  const CommandResult missing_file = run("zscores '" + (folder_ / "nowhere.csv").string() + "'");
  EXPECT_NE(missing_file.status, 0);
  EXPECT_THAT(missing_file.err, HasSubstr("nowhere.csv"));

  const fs::path ok = write("ok.csv", "sex,weight_kg,height_cm\nm,9,75\n");
  const CommandResult unwritable = run("zscores '" + ok.string() + "' -o '" +
                                       (folder_ / "no" / "such" / "out.csv").string() + "'");
  EXPECT_NE(unwritable.status, 0);
  EXPECT_THAT(unwritable.err, HasSubstr("out.csv"));

  const CommandResult bad_reference = run("zscores --reference cdc '" + ok.string() + "'");
  EXPECT_NE(bad_reference.status, 0);
}

TEST_F(CliZscores, ReadsTheCsvOfSpreadsheets) {
  // The same child in the files spreadsheets write: the z-scores land in their own fields and the
  // records pass through as they stand.
  const std::string z = ",-0.287,-0.568,-0.055,0.071,\n";
  const struct {
    const char* what;
    std::string input;
    std::string output;
  } cases[] = {
      {"CR line ends", "sex,age_days,weight_kg,height_cm\rm,400,9.6,75.7\r",
       "sex,age_days,weight_kg,height_cm,waz,haz,whz,baz,muacz\nm,400,9.6,75.7" + z},
      {"a byte order mark before the first name",
       "\xEF\xBB\xBFsex,age_days,weight_kg,height_cm\r\nm,400,9.6,75.7\r\n",
       "sex,age_days,weight_kg,height_cm,waz,haz,whz,baz,muacz\nm,400,9.6,75.7" + z},
      {"a quoted field with a comma and a line break",
       "name,sex,age_days,weight_kg,height_cm\n\"Doe,\nJ\",m,400,9.6,75.7\n",
       "name,sex,age_days,weight_kg,height_cm,waz,haz,whz,baz,muacz\n\"Doe,\nJ\",m,400,9.6,75.7" +
           z},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const CommandResult r = run("zscores '" + write("in.csv", c.input).string() + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.output);
  }
  const CommandResult broken =
      run("zscores '" + write("in.csv", "sex,weight_kg,height_cm\nm,9,75\nm,\"9,75\n").string() +
          "'");
  EXPECT_EQ(broken.status, 1);
  EXPECT_THAT(broken.err, HasSubstr("line 3: a quoted field is not closed"));
}

TEST_F(CliZscores, RaggedRecordsAreNamedAndLeftOutWithStatus2) {
  const CommandResult r = run(
      "zscores '" +
      write("in.csv", "sex,age_days,weight_kg,height_cm,muac_mm\nm,400,9.6,75.7,140\n"
                      "m,400,9.6,75.7\nm,400,9.6,75.7,140\nm,400,9")
          .string() +
      "'");
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_THAT(r.err, HasSubstr("line 3: 4 fields where the header has 5; the record was left out"));
  EXPECT_THAT(r.err, HasSubstr("line 5: 3 fields where the header has 5"));
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3) << r.out;
  EXPECT_THAT(r.out, ::testing::Not(HasSubstr("m,400,9.6,75.7,-")));
}

TEST_F(CliZscores, HelpListsTheSubcommands) {
  const CommandResult r = run("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_THAT(r.out, HasSubstr("zscores"));
}

}  // namespace
}  // namespace olvar
