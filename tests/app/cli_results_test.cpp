// olvar-cli results end to end: the built program on a small survey file.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/run_command.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

class CliResults : public ::testing::Test {
 protected:
  test::CommandResult run(const std::string& arguments) {
    return test::run_cli_at_home("results '" + survey_.string() + "' " + arguments, folder_.path());
  }

  test::TempFolder folder_;
  // Ten children in three clusters with their MUAC in mm:
  //   cluster 1: m 118, f 130, m 140, f 121;  cluster 2: f 150, m 128, f 145;
  //   cluster 3: m 110, m 124, f 138
  std::filesystem::path survey_ =
      folder_.write("muac.as",
                    "dmy\r\nCLUSTER\tID\tSEX\tMUAC\t\r\n"
                    "1\t1\tm\t118\t\r\n1\t2\tf\t130\t\r\n1\t3\tm\t140\t\r\n1\t4\tf\t121\t\r\n"
                    "2\t5\tf\t150\t\r\n2\t6\tm\t128\t\r\n2\t7\tf\t145\t\r\n"
                    "3\t8\tm\t110\t\r\n3\t9\tm\t124\t\r\n3\t10\tf\t138\t\r\n");
};

// MUAC < 125: 118, 121 (cluster 1) and 110, 124 (cluster 3): a = 2, 0, 2 of m = 4, 3, 3,
//   p = 0.4; residuals (a - 0.4 m) * 3/10 = .12, -.36, .24; SS = .2016; SE^2 = .0336;
//   V = .0336 / .24^2 = .5833; t(2) = 4.30265: limits 2.4 % and 94.7 %.
//   Design effect: Sxx 34, Syy 8, Sxy 14: 3/2 (.16 x 34 + 8 - .8 x 14) / 100 = .0336 against
//   .24 / 10 = .024: 1.40.
// Mean 1304 / 10 = 130.4, SD sqrt(1452.4 / 9) = 12.7.
TEST_F(CliResults, PrintsTheMuacLinesNumbered) {
  const test::CommandResult r = run("--index muac");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, StartsWith("line\ttext\n1\tResults for MUAC:\n2\t\n"));
  EXPECT_THAT(r.out, HasSubstr("\n5\tAll   (n= 10): (  4) 40.0% ( 2.4-94.7 95% CI)\n"));
  EXPECT_THAT(r.out, HasSubstr("\n22\tMean of MUAC   (n=10)  : 130.4\xC2\xB1"
                               "12.7\n"));
  EXPECT_THAT(r.out, HasSubstr("\n23\tDesign effect MUAC <125mm :   1.40\n"));
  EXPECT_THAT(r.out, HasSubstr("\n27\t\n"));
}

TEST_F(CliResults, GroupMeansByCluster) {
  // Cluster 2: 150, 128, 145: mean 141.0, SD sqrt((81 + 169 + 16) / 2) = 11.53.
  const test::CommandResult r = run("--index muac --by cluster");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("\n4\tCluster 2 :         141.00 \xC2\xB1"
                               "11.53 (n=3)\n"));
}

TEST_F(CliResults, RefusesAnUnknownIndexOrGrouping) {
  EXPECT_EQ(run("--index bmi").status, 1);
  EXPECT_EQ(run("--by team").status, 1);
}

}  // namespace
}  // namespace olvar
