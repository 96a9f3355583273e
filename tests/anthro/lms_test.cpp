#include "anthro/lms.h"

#include <gtest/gtest.h>

#include <cmath>

namespace olvar::anthro {
namespace {

// L = -1, M = 10, S = 0.1 puts the curve points at simple fractions:
// -3 SD = 10/1.3, -2 SD = 10/1.2, +2 SD = 12.5, +3 SD = 10/0.7.
constexpr Lms kToy{-1.0, 10.0, 0.1};

struct ZCase {
  const char* what;
  double x;
  double z;
};

TEST(LmsZscore, MatchesHandWorkedCases) {
  const ZCase cases[] = {
      {"median", 10.0, 0.0},
      {"inside ±3 SD the LMS formula applies", 12.5, 2.0},
      {"on the -2 SD curve", 10.0 / 1.2, -2.0},
      {"on the -3 SD curve", 10.0 / 1.3, -3.0},
      {"on the +3 SD curve", 10.0 / 0.7, 3.0},
      {"half a band below -3 SD", 10.0 / 1.3 - (10.0 / 1.2 - 10.0 / 1.3) / 2, -3.5},
      {"a whole band below -3 SD", 10.0 / 1.3 - (10.0 / 1.2 - 10.0 / 1.3), -4.0},
      {"half a band above +3 SD", 10.0 / 0.7 + (10.0 / 0.7 - 12.5) / 2, 3.5},
  };
  for (const ZCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_NEAR(lms_zscore(c.x, kToy), c.z, 1e-9);
  }
}

TEST(LmsZscore, PowerZeroUsesTheLogarithm) {
  // L = 0: z = ln(x/M)/S; x = 10 e^0.2 is one SD above the median with S = 0.2.
  EXPECT_NEAR(lms_zscore(10.0 * std::exp(0.2), {0.0, 10.0, 0.2}), 1.0, 1e-12);
  EXPECT_NEAR(lms_curve_point({0.0, 10.0, 0.2}, -1.0), 10.0 * std::exp(-0.2), 1e-12);
}

TEST(LmsZscore, UnusableInputGivesNotANumber) {
  const struct {
    const char* what;
    double x;
    Lms p;
  } cases[] = {
      {"zero table (file missing)", 10.0, {0, 0, 0}},
      {"zero median", 10.0, {1, 0, 0.1}},
      {"negative median", 10.0, {1, -5, 0.1}},
      {"zero S", 10.0, {1, 10, 0}},
      {"zero measurement", 0.0, kToy},
      {"negative measurement", -1.0, kToy},
      {"NaN measurement", std::nan(""), kToy},
      {"infinite L", 10.0, {INFINITY, 10, 0.1}},
      {"overflowing power", 1e300, {5.0, 1e-300, 0.1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_TRUE(std::isnan(lms_zscore(c.x, c.p)));
  }
}

TEST(LmsIndex, GivesPercentOfMedianCurvePointsAndThePercentileOfTheUntailedZ) {
  IndexResult r;
  // Half a band below -3 SD: the z-score follows the tail rule (-3.5), the percentile comes from
  // the plain LMS z. x = 10/1.3 - (10/1.2 - 10/1.3)/2 = 7.371795; with L = -1 the plain z is
  // (M/x - 1)/(L S) = (1.356522 - 1)/(-0.1) = -3.565217.
  const double x = 10.0 / 1.3 - (10.0 / 1.2 - 10.0 / 1.3) / 2;
  ASSERT_TRUE(lms_index(x, kToy, r));
  EXPECT_FLOAT_EQ(r.z, -3.5f);
  // Phi(-3.565217) = 0.0001818 (normal table), so 0.01818 percent; Phi(-3.5) would be 0.02326.
  EXPECT_NEAR(r.percentile, 0.01818, 1e-3);
  EXPECT_NEAR(r.pct_of_median, 73.71795, 1e-5);
  // M (1 + L S z)^(1/L) = 10 / (1 - 0.1 z) at kWhoCurveZ.
  const double expected[] = {10 / 1.3,    10 / 1.2,   10 / 1.188, 10 / 1.1036, 10.0,
                             10 / 0.8964, 10 / 0.812, 10 / 0.8,   10 / 0.7};
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(r.curve_points[i], expected[i], 1e-12) << i;
}

TEST(LmsIndex, CurvesOutsideTheBoxCoxRangeAreLeftAtZero) {
  // L = 1, S = 0.4: 1 + L S z is negative at z = -3, so that curve does not exist.
  IndexResult r;
  ASSERT_TRUE(lms_index(10.0, {1.0, 10.0, 0.4}, r));
  EXPECT_EQ(r.curve_points[0], 0.0);
  EXPECT_NEAR(r.curve_points[1], 10.0 * (1 - 0.8), 1e-12);
  for (double p : r.curve_points) EXPECT_TRUE(std::isfinite(p));
}

TEST(LmsIndex, FailureLeavesTheResultUntouched) {
  IndexResult r;
  EXPECT_FALSE(lms_index(10.0, {0, 0, 0}, r));
  EXPECT_EQ(r.z, kNotComputed);
  EXPECT_EQ(r.percentile, 0.0);
  EXPECT_EQ(r.pct_of_median, 0.0);
  for (double p : r.curve_points) EXPECT_EQ(p, 0.0);
}

TEST(ZToPercentile, AgreesWithTheNormalTableWithinTheFormulasError) {
  // Standard normal distribution Phi(z) in percent, from published tables. Abramowitz and
  // Stegun 26.2.16 is within 1e-5 in probability, 1e-3 in percent.
  const struct {
    double z, percent;
  } cases[] = {{0.0, 50.0},      {1.0, 84.13447},    {-1.0, 15.86553}, {1.96, 97.50021},
               {-1.96, 2.49979}, {2.0, 97.72499},    {-2.0, 2.27501},  {3.0, 99.86501},
               {-3.0, 0.13499},  {-1.036, 15.01011}, {1.88, 96.99460}, {8.0, 100.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.z);
    EXPECT_NEAR(z_to_percentile(c.z), c.percent, 1e-3);
  }
}

TEST(ZToPercentile, IsRoundedToSinglePrecision) {
  for (double z : {0.3, 1.7, 2.9}) {
    const double p = z_to_percentile(z);
    EXPECT_EQ(p, static_cast<double>(static_cast<float>(p))) << z;
  }
  // Below zero the single-precision value is taken from 100: 100 - P(|z|) exactly.
  EXPECT_EQ(z_to_percentile(-1.7), 100.0 - z_to_percentile(1.7));
}

}  // namespace
}  // namespace olvar::anthro
