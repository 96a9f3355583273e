// olvar-cli weighted end to end: the built program on a survey file it writes itself.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/run_command.h"
#include "support/temp_folder.h"

namespace olvar {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;
namespace fs = std::filesystem;

// Two children of cluster 1 weighted 2 and 3, one of cluster 2 without a weighting factor
// (counts 1), so the sexes-combined WHZ total counts 6.
constexpr const char* kSurvey =
    "dmy\r\n"
    "SURVDATE\tCLUSTER\tTEAM\tID\tHH\tSEX\tBIRTHDAT\tMONTHS\tWEIGHT\tHEIGHT\tEDEMA\tMUAC\tWAZ\t"
    "HAZ\tWHZ\tMEASURE\tCLOTHES\tSTRATA\tWTFACTOR\t\r\n"
    "\t1\t1\t1\t1\tm\t\t24\t12.0\t87.0\tn\t150\t\t\t\th\t\t\t2\t\r\n"
    "\t1\t1\t2\t2\tf\t\t30\t12.5\t90.0\tn\t148\t\t\t\th\t\t\t3\t\r\n"
    "\t2\t1\t3\t3\tm\t\t40\t14.0\t98.0\tn\t152\t\t\t\th\t\t\t\t\r\n";

class CliWeighted : public ::testing::Test {
 protected:
  void SetUp() override {
    survey_ = folder_ / "survey.as";
    std::ofstream(survey_, std::ios::binary) << kSurvey;
  }
  test::CommandResult run(const std::string& arguments) {
    return test::run_cli(arguments, folder_.path());
  }
  test::TempFolder folder_;
  fs::path survey_;
};

TEST_F(CliWeighted, WritesTheTableToStandardOutputOrAFile) {
  const test::CommandResult r = run("weighted '" + survey_.string() + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, StartsWith("Nutritional survey standard analysis (weighting factors "
                                "included in the analysis)\n"));
  EXPECT_THAT(r.out, HasSubstr("Set 1: Sexes combined\n\nAge groups\tN\tWeight-for-length/height "
                               "(%)\n"));
  EXPECT_THAT(r.out, HasSubstr("\nTotal\t6\t"));
  EXPECT_THAT(r.out, HasSubstr("Set 4: Overall, sexes combined by cluster\n"));
  EXPECT_THAT(r.out, EndsWith("random sampling.\n\r\n"));

  const fs::path table = folder_ / "table.tsv";
  const test::CommandResult to_file =
      run("weighted '" + survey_.string() + "' -o '" + table.string() + "'");
  ASSERT_EQ(to_file.status, 0) << to_file.err;
  EXPECT_EQ(to_file.out, "");
  EXPECT_EQ(test::read_whole_file(table), r.out);
  EXPECT_EQ(test::read_whole_file(survey_), kSurvey);
}

TEST_F(CliWeighted, RefusesBadUse) {
  const test::CommandResult same =
      run("weighted '" + survey_.string() + "' -o '" + survey_.string() + "'");
  EXPECT_EQ(same.status, 1);
  EXPECT_EQ(test::read_whole_file(survey_), kSurvey);
  const test::CommandResult missing = run("weighted '" + (folder_ / "none.as").string() + "'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_THAT(missing.err, HasSubstr("none.as"));
  const test::CommandResult help = run("weighted --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, HasSubstr("WTFACTOR"));
}

}  // namespace
}  // namespace olvar
