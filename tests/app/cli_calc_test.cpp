// olvar-cli calc end to end: the built program on a small survey file.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/run_command.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar {
namespace {

using ::testing::HasSubstr;

class CliCalc : public ::testing::Test {
 protected:
  test::CommandResult run(const std::string& arguments) {
    return test::run_cli_at_home("calc '" + survey_.string() + "' " + arguments, folder_.path());
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

// MUAC: sum 1304, mean 130.4; squared deviations sum to 1452.4, SD = sqrt(1452.4 / 9) = 12.70;
//   CI 130.4 -/+ 1.96 * 12.70 / sqrt(10) = 130.4 -/+ 7.87; median (5th of 10 sorted) 128.
// MUAC < 125: cases 118, 121 (cluster 1) and 110, 124 (cluster 3): a = 2, 0, 2 of n = 4, 3, 3,
//   p = 0.4; residuals (a - 0.4 n) * 3/10 = .12, -.36, .24; SS = .2016; SE = sqrt(.2016/6);
//   V = .0336 / .24^2 = .5833; t(2) = 4.30265; limits 2.4 % and 94.7 %.
//   Design effect: Sxx 34, Syy 8, Sxy 14: 3/2 * (.16 * 34 + 8 - .8 * 14) / 100 = .0336 against
//   .24 / 10 = .024: 1.40.
TEST_F(CliCalc, PrintsTheResultBoxLines) {
  const test::CommandResult r =
      run("--var MUAC --cross SEX --prevalence MUAC --operator '<' --cut-off 125");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "Results:\n"
            "Descriptive statistics MUAC (all):  (n=10); mean\xC2\xB1SD: 130.40 \xC2\xB1 12.70; "
            "range: (110.00 - 150.00); 95% CI: (122.53 - 138.27) ; median: 128.00\n"
            "MUAC vs. SEX: (all):  (n=10); m]  (n= 5) 50.0 %; f]  (n= 5) 50.0 %; \n"
            "Prevalence rate MUAC < 125: 40.0 % (4 of 10); 95% confidence interval: (2.4 - 94.7);"
            "  Design Effect: 1.40\n");
}

TEST_F(CliCalc, KindsRangesAndThePrevalenceRange) {
  // SEX read as categories (its fixed kind), crossed with MUAC as numbers: the boys' MUAC
  // 118, 140, 128, 110, 124 have the mean 124.0. From 110 to 121 mm: 118, 121 and 110.
  const test::CommandResult r =
      run("--var SEX --cross MUAC:cont --no-descriptive --prevalence MUAC "
          "--prevalence-range 110:121");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("Cross table SEX with MUAC\nm:  (n=5); mean\xC2\xB1SD: 124.00"));
  EXPECT_THAT(r.out, HasSubstr("Prevalence rate MUAC (from 110 to 121): 30.0 % (3 of 10)"));
}

TEST_F(CliCalc, RefusesUnknownVariablesAndMalformedOptions) {
  const struct {
    const char* arguments;
    const char* message;
  } cases[] = {
      {"--var WEIGHTS", "no variable \"WEIGHTS\""},
      {"--var MUAC --cross NOTE", "no variable \"NOTE\""},
      {"--var MUAC --range 110", "is not of the form LOW:HIGH"},
      {"--var MUAC --cut-off 125", "need --prevalence"},
      {"--var MUAC --range 1:2 --range 1:2 --range 1:2 --range 1:2 --range 1:2 --range 1:2",
       "at most 5 ranges"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const test::CommandResult r = run(c.arguments);
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr(c.message));
  }
}

}  // namespace
}  // namespace olvar
