// `olvar FILE.as ANALYSIS` end to end: no display; the program does its work and ends.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/run_command.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
namespace fs = std::filesystem;

class OlvarAnalysisMode : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root_ / "home");
    fs::copy(test::build_data_path(""), root_ / "data", fs::copy_options::recursive);
    fs::copy_file(test::build_data_path("examples/demo.as"), root_ / "survey.as");
  }
  test::CommandResult run(const std::string& survey_name = "survey.as") {
    const std::string env = "env -i PATH=/usr/bin:/bin HOME='" + (root_ / "home").string() +
                            "' OLVAR_HOME='" + (root_ / "data").string() + "' XDG_DATA_HOME='" +
                            (root_ / "home" / "share").string() + "' ";
    // Both files of the batch analysis are in the working folder.
    return test::run_command("cd '" + root_.string() + "' && " + env + "'" +
                                 std::string(OLVAR_GUI_PATH) + "' '" +
                                 (root_ / survey_name).string() + "' ANALYSIS",
                             root_);
  }
  // A folder of each test's own: the tests run side by side.
  test::TempFolder temp_;
  const fs::path root_ = temp_.path();
};

TEST_F(OlvarAnalysisMode, WritesOlvarZscoresInTheWorkingFolderAndEnds) {
  std::ofstream(root_ / "olvar.txt") << "ID,NAME\n1,x\n2,y\n";
  const test::CommandResult r = run();
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string out = test::read_whole_file(root_ / "olvar_zscores.txt");
  EXPECT_THAT(out, StartsWith("ID,NAME,WAZ_NCHS,HAZ_NCHS,"));
  EXPECT_THAT(out, HasSubstr("\n1,x,"));
}

TEST_F(OlvarAnalysisMode, EndsWithAMessageAndStatusOneWithoutOlvarTxt) {
  const test::CommandResult r = run();
  EXPECT_NE(r.status, 0);
  EXPECT_THAT(r.err, HasSubstr("olvar.txt"));
  EXPECT_FALSE(fs::exists(root_ / "olvar_zscores.txt"));
}

// The output's name may already be taken by what the mode reads: the survey itself, or the
// companion file through a link. Replacing it would destroy the input.
TEST_F(OlvarAnalysisMode, RefusesToWriteOverWhatItReads) {
  const std::string survey = test::read_whole_file(root_ / "survey.as");
  fs::rename(root_ / "survey.as", root_ / "olvar_zscores.txt");
  std::ofstream(root_ / "olvar.txt") << "ID,NAME\n1,x\n";
  const test::CommandResult as_survey = run("olvar_zscores.txt");
  EXPECT_EQ(as_survey.status, 1);
  EXPECT_THAT(as_survey.err, HasSubstr("is the input file"));
  EXPECT_EQ(test::read_whole_file(root_ / "olvar_zscores.txt"), survey);

  fs::rename(root_ / "olvar_zscores.txt", root_ / "survey.as");
  fs::create_symlink("olvar.txt", root_ / "olvar_zscores.txt");
  const test::CommandResult through_link = run();
  EXPECT_EQ(through_link.status, 1);
  EXPECT_THAT(through_link.err, HasSubstr("is the input file"));
  EXPECT_TRUE(fs::is_symlink(root_ / "olvar_zscores.txt"));
  EXPECT_EQ(test::read_whole_file(root_ / "olvar.txt"), "ID,NAME\n1,x\n");
}

}  // namespace
}  // namespace olvar
