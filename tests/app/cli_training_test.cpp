// olvar-cli training end to end: the three reports of the example survey's standardisation
// test, and a survey file that is only ever read.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/run_command.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;
namespace fs = std::filesystem;

class CliTraining : public ::testing::Test {
 protected:
  void SetUp() override {
    // The example survey: a supervisor and five enumerators measured ten children.
    survey_ = folder_ / "survey.as";
    fs::copy_file(test::build_data_path("examples/demo.as"), survey_);
    survey_bytes_ = test::read_whole_file(survey_);
  }
  test::CommandResult run(const std::string& arguments) {
    return test::run_cli("training '" + survey_.string() + "' " + arguments, folder_.path());
  }

  test::TempFolder folder_;
  fs::path survey_;
  std::string survey_bytes_;
};

TEST_F(CliTraining, WritesTheThreeReports) {
  const fs::path table = folder_ / "table.tsv";
  test::CommandResult r = run("-o '" + table.string() + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string text = test::read_whole_file(table);
  EXPECT_THAT(text, StartsWith("Standardisation test results\t\t\t\t\tPrecision\t\t\t\tAccuracy"
                               "\t\tOUTCOME\nWeight\t\tsubjects\t"));
  EXPECT_THAT(text, HasSubstr("\n\tSupervisor\t10\t"));
  EXPECT_THAT(text, HasSubstr("\n\tTOTAL+ sup\t6x10\t-\t-\t-\t"));
  EXPECT_THAT(text, EndsWith("\treject\t>3\t>0.21\t>1.4\n\r\n"));

  // Without a file name the same bytes go to standard output.
  r = run("");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, text);

  const fs::path previous = folder_ / "previous.rtf";
  r = run("--previous -o '" + previous.string() + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(test::read_whole_file(previous), StartsWith("{\\rtf1"));
  EXPECT_THAT(test::read_whole_file(previous), HasSubstr("Enumerator 5\\tab "));
  EXPECT_THAT(test::read_whole_file(previous), EndsWith("\\par\\pard\\par }\r\n"));

  const fs::path categorical = folder_ / "categorical.rtf";
  r = run("--categorical -o '" + categorical.string() + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(test::read_whole_file(categorical), HasSubstr("\\pard\\par }\r\n"));

  EXPECT_EQ(test::read_whole_file(survey_), survey_bytes_);
}

TEST_F(CliTraining, RefusesToWriteOverTheSurveyFile) {
  for (const std::string option : {"", "--previous ", "--categorical "}) {
    const test::CommandResult r = run(option + "-o '" + survey_.string() + "'");
    EXPECT_EQ(r.status, 1) << option;
    EXPECT_THAT(r.err, HasSubstr("is the survey file itself"));
  }
  // Also through another path to the same file.
  const test::CommandResult r = run("-o '" + (folder_.path() / "." / "survey.as").string() + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(test::read_whole_file(survey_), survey_bytes_);
}

TEST_F(CliTraining, PreviousAndCategoricalExcludeEachOther) {
  const test::CommandResult r = run("--previous --categorical");
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace olvar
