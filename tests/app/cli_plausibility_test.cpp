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
