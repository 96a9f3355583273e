#include "stats/shapiro_wilk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace olvar::stats {
namespace {

struct PublishedCase {
  const char* source;
  std::vector<double> x;
  double w;
  double w_tolerance;
  double p;
  double p_tolerance;
};

// Published results of Royston's AS R94 on published data. Each source's printed digits set the
// tolerance; the differences left are those of the single-precision Fortran behind the printed
// values.
TEST(ShapiroWilkW, ReproducesPublishedResults) {
  const PublishedCase kCases[] = {
      // Shapiro and Wilk (1965), Biometrika 52, 591-611, section 4: weights in pounds of 11
      // men, W = 0.79 with their exact coefficients, below the 1% point 0.792. AS R94 (R
      // shapiro.test, SciPy stats.shapiro) gives W = 0.78881, p = 0.006704: the 4 to 11 branch.
      {"Shapiro and Wilk 1965, n = 11",
       {148, 154, 158, 160, 161, 162, 166, 170, 182, 195, 236}, 0.78881, 2e-5, 0.006704, 2e-5},
      // NAG Library g01ddc (an adaptation of AS R94), example program, first sample:
      // W = 0.9005, significance level 0.0421 (SciPy: 0.900473, 0.042090).
      {"NAG g01ddc example, sample 1",
       {0.11, 7.87, 4.61, 10.14, 7.95, 3.14, 0.46, 4.43, 0.21, 4.75, 0.71, 1.52, 3.24, 0.93,
        0.42, 4.97, 9.53, 4.55, 0.47, 6.66},
       0.900473, 2e-5, 0.042090, 2e-5},
      // Same, second sample: W = 0.9590, significance level 0.5246.
      {"NAG g01ddc example, sample 2",
       {1.36, 1.14, 2.92, 2.55, 1.46, 1.06, 5.27, -1.11, 3.48, 1.10, 0.88, -0.51, 1.46, 0.52,
        6.20, 1.69, 0.08, 3.67, 2.81, 3.49},
       0.959027, 2e-5, 0.5246, 1e-4},
      // R shapiro.test on 25 skewed values (SciPy's regression data, checked against R):
      // W = 0.83467, p = 0.000914.
      {"R shapiro.test, n = 25",
       {0.139, 0.157, 0.175, 0.256, 0.344, 0.413, 0.503, 0.577, 0.614, 0.655, 0.954, 1.392,
        1.557, 1.648, 1.690, 1.994, 2.174, 2.206, 3.245, 3.510, 3.571, 4.354, 4.980, 6.084,
        8.351},
       0.83467, 1e-5, 0.000914, 1e-6},
      // R shapiro.test with options(digits = 16) on three values: W = 0.84658770645509,
      // p = 0.2313666489882 (the exact distribution for n = 3).
      {"R shapiro.test, n = 3",
       {-0.7746653110021126, -0.4344432067942129, 1.8157053280290931}, 0.84658770645509, 1e-9,
       0.2313666489882, 1e-6},
  };
  for (const PublishedCase& c : kCases) {
    SCOPED_TRACE(c.source);
    const ShapiroWilkResult r = ShapiroWilkW(c.x);
    EXPECT_EQ(r.fault, ShapiroWilkFault::none);
    EXPECT_NEAR(r.w, c.w, c.w_tolerance);
    EXPECT_NEAR(r.p, c.p, c.p_tolerance);
  }
}

TEST(ShapiroWilkW, OrderOfTheValuesDoesNotMatter) {
  // Small samples and large ones (sorted by another method) alike, with negative values, zeros
  // of both signs and ties as z-scores with three decimals have them.
  std::mt19937 random(11);
  std::normal_distribution<double> z(-0.5, 1.2);
  std::vector<double> large(3000);
  for (double& v : large) v = std::round(z(random) * 1000.0) / 1000.0;
  large[5] = -0.0;
  large[6] = 0.0;
  const std::vector<double> samples[] = {
      {148, 154, 158, 160, 161, 162, 166, 170, 182, 195, 236}, large};
  for (const std::vector<double>& sample : samples) {
    SCOPED_TRACE(sample.size());
    std::vector<double> x = sample;
    std::sort(x.begin(), x.end());
    const ShapiroWilkResult sorted = ShapiroWilkW(x);
    std::shuffle(x.begin(), x.end(), random);
    const ShapiroWilkResult shuffled = ShapiroWilkW(x);
    std::reverse(x.begin(), x.end());
    const ShapiroWilkResult reversed = ShapiroWilkW(x);
    EXPECT_EQ(sorted.w, shuffled.w);
    EXPECT_EQ(sorted.p, shuffled.p);
    EXPECT_EQ(sorted.w, reversed.w);
    EXPECT_EQ(sorted.p, reversed.p);
  }
  // The large normal sample goes through the fast sort: a misordered result would drag W down.
  EXPECT_GT(ShapiroWilkW(large).w, 0.99);
}

TEST(ShapiroWilkW, DegenerateSamplesKeepPOne) {
  struct Case { const char* what; std::vector<double> x; ShapiroWilkFault fault; };
  const Case kCases[] = {
      {"no values", {}, ShapiroWilkFault::too_few_values},
      {"two values", {1.0, 2.0}, ShapiroWilkFault::too_few_values},
      {"three equal values", {-1.5, -1.5, -1.5}, ShapiroWilkFault::zero_range},
      {"twenty equal values", std::vector<double>(20, 0.25), ShapiroWilkFault::zero_range},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    const ShapiroWilkResult r = ShapiroWilkW(c.x);
    EXPECT_EQ(r.fault, c.fault);
    EXPECT_EQ(r.p, 1.0);
    EXPECT_EQ(r.w, 1.0);
  }
}

TEST(ShapiroWilkW, SmallSamplesStayInsideTheUnitInterval) {
  // Three values on a line give the largest W, 1, and p = 1; three values with two tied give
  // the smallest W, 3/4, and p = 0 (never a hair below it).
  const ShapiroWilkResult line = ShapiroWilkW({1.0, 2.0, 3.0});
  EXPECT_NEAR(line.w, 1.0, 1e-12);
  EXPECT_NEAR(line.p, 1.0, 1e-6);
  const ShapiroWilkResult tied = ShapiroWilkW({0.0, 0.0, 1.0});
  EXPECT_NEAR(tied.w, 0.75, 1e-12);
  EXPECT_GE(tied.p, 0.0);
  EXPECT_NEAR(tied.p, 0.0, 1e-6);
  // Four values, three tied: the smallest W four values can give, strongly rejected.
  const ShapiroWilkResult spike = ShapiroWilkW({0.0, 0.0, 0.0, 1.0});
  EXPECT_LT(spike.p, 0.01);
  EXPECT_GE(spike.p, 0.0);
}

TEST(ShapiroWilkW, LargeSamplesAreComputedAndFlagged) {
  // Beyond 5000 values the p-value lies outside the range Royston fitted; the result is still
  // computed (the plausibility report prints it) and the fault says so. A normal sample keeps
  // W near 1 and a p-value that does not reject.
  std::mt19937 random(7);
  std::normal_distribution<double> z(0.0, 1.0);
  std::vector<double> x(6000);
  for (double& v : x) v = z(random);
  const ShapiroWilkResult r = ShapiroWilkW(x);
  EXPECT_EQ(r.fault, ShapiroWilkFault::too_many_values);
  EXPECT_GT(r.w, 0.999);
  EXPECT_GT(r.p, 0.001);
  // A uniform sample of the same size is plainly not normal.
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (double& v : x) v = u(random);
  EXPECT_LT(ShapiroWilkW(x).p, 1e-6);
}

// AS 66 against the normal table (mpmath 1.3 ncdf): good to about 1e-8 absolute and, in the
// far tail, six significant digits.
TEST(NormalTailArea, MatchesTheNormalTable) {
  struct Case { double z; bool upper; double area; };
  constexpr Case kCases[] = {
      {0.0, true, 0.5},
      {1.0, true, 0.1586552539},
      {1.0, false, 0.8413447461},
      {1.28, true, 0.100272568},    // last point of the series
      {1.29, true, 0.09852532904},  // first point of the continued fraction
      {-1.96, false, 0.02499789515},
      {3.0, true, 0.001349898032},
      {6.0, true, 9.865876450e-10},
      {8.0, true, 6.220960574e-16},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << c.z << (c.upper ? " upper" : " lower"));
    EXPECT_NEAR(NormalTailArea(c.z, c.upper), c.area, 2e-8);
    EXPECT_NEAR(NormalTailArea(c.z, c.upper) / c.area, 1.0, 1e-6);
  }
  // The cut-offs: upper tails end at 8.66, a tail asked as the lower one at 7.
  EXPECT_EQ(NormalTailArea(8.7, true), 0.0);
  EXPECT_EQ(NormalTailArea(-8.7, false), 0.0);
  EXPECT_GT(NormalTailArea(8.6, true), 0.0);
  EXPECT_EQ(NormalTailArea(7.1, false), 1.0);
  EXPECT_EQ(NormalTailArea(-7.1, true), 1.0);
}

// AS 111 against normal quantiles (mpmath 1.3): seven significant digits in the centre, six in
// the tails down to p = 1e-5 (the largest survey asks for 0.625 / 65535.25).
TEST(NormalDeviate, MatchesNormalQuantiles) {
  struct Case { double p; double z; };
  constexpr Case kCases[] = {
      {0.5, 0.0},           {0.975, 1.959963985},  {0.08, -1.405071560},
      {0.92, 1.405071560},  {0.0625, -1.534120544}, {0.001, -3.090232306},
      {1e-5, -4.264890794},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.p);
    bool fault = true;
    EXPECT_NEAR(NormalDeviate(c.p, fault), c.z, 2e-6 * std::max(1.0, std::fabs(c.z)));
    EXPECT_FALSE(fault);
  }
  for (double p : {0.0, 1.0, -0.5, 1.5}) {
    SCOPED_TRACE(p);
    bool fault = false;
    EXPECT_EQ(NormalDeviate(p, fault), 0.0);
    EXPECT_TRUE(fault);
  }
}

}  // namespace
}  // namespace olvar::stats
