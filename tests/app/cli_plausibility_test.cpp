// olvar-cli plausibility end to end: the built program on a survey file.

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

class CliPlausibility : public ::testing::Test {
 protected:
  void SetUp() override {
    survey_ = folder_ / "survey.as";
    fs::copy_file(test::source_path("tests/fixtures/survey_file/rich.as"), survey_);
    survey_bytes_ = test::read_whole_file(survey_);
  }
  test::CommandResult run(const std::string& arguments) {
    return test::run_cli(arguments, folder_.path());
  }
  // The survey file is only read: same bytes, and nothing written beside it.
  void expect_survey_untouched() {
    EXPECT_EQ(test::read_whole_file(survey_), survey_bytes_);
    EXPECT_FALSE(fs::exists(folder_ / "noname.as"));
    EXPECT_FALSE(fs::exists(folder_ / "survey.bak"));
  }

  test::TempFolder folder_;
  fs::path survey_;
  std::string survey_bytes_;
};

// Without a SEX column most criteria cannot be computed: the score line says how many it
// covers, so that its grade is not read as a verdict on all ten.
TEST_F(CliPlausibility, ScoreLineSaysWhichShareOfTheCriteriaItCovers) {
  const fs::path survey = folder_ / "no_sex.as";
  test::write_file_for(survey,
                       "dmy\r\nCLUSTER\tTEAM\tMONTHS\tWEIGHT\tHEIGHT\r\n1\t1\t12\t9.1\t75.2\r\n"
                       "2\t1\t20\t10.3\t80.4\r\n3\t2\t40\t13.5\t96.7\r\n");
  const test::CommandResult r = run("plausibility '" + survey.string() + "' -o '" +
                                    (folder_ / "report.rtf").string() + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  // Three children give the two digit preference scores and the age ratio, nothing else.
  EXPECT_THAT(r.err, HasSubstr("covering 3 of 10 criteria"));
  // The example survey has every criterion: no such remark.
  const fs::path example = folder_ / "demo.as";
  fs::copy_file(test::build_data_path("examples/demo.as"), example);
  const test::CommandResult rich =
      run("plausibility '" + example.string() + "' -o '" + (folder_ / "rich.rtf").string() + "'");
  ASSERT_EQ(rich.status, 0) << rich.err;
  EXPECT_THAT(rich.err, ::testing::Not(HasSubstr("covering")));
}

TEST_F(CliPlausibility, WritesTheReportFile) {
  const fs::path report = folder_ / "report.rtf";
  const test::CommandResult r =
      run("plausibility '" + survey_.string() + "' -o '" + report.string() + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_THAT(r.err, HasSubstr("overall score"));
  const std::string text = test::read_whole_file(report);
  EXPECT_THAT(text, StartsWith("{\\rtf1"));
  EXPECT_THAT(text, EndsWith("}\r\n"));
  EXPECT_THAT(text, HasSubstr("survey.as"));
  expect_survey_untouched();
}

TEST_F(CliPlausibility, WritesToStandardOutputWithoutAFileName) {
  const test::CommandResult r = run("plausibility '" + survey_.string() + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, StartsWith("{\\rtf1"));
  expect_survey_untouched();
}

TEST_F(CliPlausibility, MissingSurveyIsAnError) {
  const test::CommandResult r = run("plausibility '" + (folder_ / "none.as").string() + "'");
  EXPECT_NE(r.status, 0);
  EXPECT_THAT(r.err, HasSubstr("none.as"));
}

}  // namespace
}  // namespace olvar
