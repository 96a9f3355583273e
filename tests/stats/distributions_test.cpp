#include "stats/distributions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

namespace olvar::stats {
namespace {

// Upper normal tail against Q(x) = 1 - Phi(x) to ten digits (Abramowitz and Stegun table 26.1;
// the digits here from mpmath 1.3 ncdf). The three-term formula's error peaks at 1.15e-5 near
// x = 0.53 (a scan against mpmath in steps of 0.001).
TEST(NormalUpperTail, MatchesTheNormalTableWithinTheFormulasError) {
  struct Case { double x; double q; };
  constexpr Case kCases[] = {
      {0.0, 0.5},           {0.5, 0.3085375387},   {1.0, 0.1586552539},
      {1.645, 0.04998490554}, {1.96, 0.02499789515}, {2.0, 0.02275013195},
      {2.576, 0.004997532316}, {3.0, 0.001349898032}, {4.0, 3.167124183e-5},
      {-1.0, 0.8413447461},  {-1.96, 0.9750021049},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.x);
    EXPECT_NEAR(NormalUpperTail(c.x), c.q, 1.2e-5);
  }
  EXPECT_EQ(NormalUpperTail(12.5), 0.0);
  EXPECT_EQ(NormalUpperTail(-12.5), 1.0);
}

// Chi-square percentage points (Abramowitz and Stegun table 26.8, NIST e-Handbook 1.3.6.7.4;
// extra digits from mpmath 1.3 gammainc): the upper tail there is 0.05 or 0.01. Odd df go
// through the normal tail twice, so they are good to about 2e-5.
TEST(ChiSquareUpperP, MatchesPublishedPercentagePoints) {
  struct Case { int df; double x; double p; double tolerance; };
  constexpr Case kCases[] = {
      {1, 3.841458821, 0.05, 2e-5},  {1, 6.634896601, 0.01, 2e-5},
      {2, 5.991464547, 0.05, 1e-9},  {3, 7.814727903, 0.05, 3e-5},
      {4, 9.487729037, 0.05, 1e-9},  {4, 13.27670414, 0.01, 1e-9},
      {5, 11.07049769, 0.05, 3e-5},  {7, 18.47530691, 0.01, 3e-5},
      {10, 18.30703805, 0.05, 1e-9}, {29, 42.5569678, 0.05, 3e-5},
      {30, 43.77297183, 0.05, 1e-9}, {100, 124.3421134, 0.05, 1e-9},
      // Beyond 169 the Wilson-Hilferty approximation answers, good to about 1e-3 here.
      {200, 233.9942689, 0.05, 1e-3}, {300, 359.906426, 0.01, 1e-3},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << "df " << c.df << ", x " << c.x);
    EXPECT_NEAR(ChiSquareUpperP(c.df, c.x), c.p, c.tolerance);
  }
}

TEST(ChiSquareUpperP, EdgeCases) {
  // Two degrees of freedom: exactly e^(-x/2); four: e^(-x/2)(1 + x/2).
  for (double x : {0.1, 1.0, 7.5, 40.0, 168.0}) {
    SCOPED_TRACE(x);
    EXPECT_DOUBLE_EQ(ChiSquareUpperP(2, x), std::exp(-x / 2.0));
    EXPECT_DOUBLE_EQ(ChiSquareUpperP(4, x), std::exp(-x / 2.0) * (1.0 + x / 2.0));
  }
  EXPECT_EQ(ChiSquareUpperP(3, 0.0), 1.0);
  EXPECT_EQ(ChiSquareUpperP(3, -2.0), 1.0);
  EXPECT_EQ(ChiSquareUpperP(0, 5.0), 1.0);
  // P(chi2_3 > 1) = 0.8012519569 (mpmath).
  EXPECT_NEAR(ChiSquareUpperP(3, 1.0), 0.8012519569, 3e-5);
  // The many terms of a large even df near the switch to Wilson-Hilferty stay finite.
  EXPECT_NEAR(ChiSquareUpperP(998, 169.0), 1.0, 1e-12);
  EXPECT_NEAR(ChiSquareUpperP(998, 1000.0), 0.4849, 0.01);
}

// The table against quantiles computed independently of its generator: mpmath 1.3 with 40
// digits, root of the regularised incomplete beta 0.5 I(v/(v+t^2); v/2, 1/2) = 0.025, and the
// closed forms t = tan(0.475 pi) for 1 and 0.95 / sqrt(2 * 0.975 * 0.025) for 2 degrees of
// freedom. Each table entry is that quantile rounded to six significant digits.
TEST(TCritical95, TableEntriesAreTheQuantilesRoundedToSixDigits) {
  struct Case { int df; double quantile; double entry; };
  const Case kCases[] = {
      {1, std::tan(0.475 * 3.14159265358979323846), 12.7062},
      {2, 0.95 / std::sqrt(2.0 * 0.975 * 0.025), 4.30265},
      {3, 3.18244630528371, 3.18245},   {4, 2.77644510519779, 2.77645},
      {5, 2.57058183563632, 2.57058},   {10, 2.22813885198627, 2.22814},
      {20, 2.08596344726586, 2.08596},  {29, 2.0452296421327, 2.04523},
      {30, 2.04227245630124, 2.04227},  {40, 2.02107539030627, 2.02108},
      {60, 2.00029782201426, 2.0003},   {100, 1.98397151852355, 1.98397},
      {120, 1.97993040508244, 1.97993}, {200, 1.97189622363391, 1.9719},
      {300, 1.96790301126109, 1.9679},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.df);
    EXPECT_EQ(TCritical95(c.df), c.entry);
    EXPECT_NEAR(TCritical95(c.df), c.quantile, 5e-6 * c.quantile);
  }
}

// The 0.975 column of the NIST/SEMATECH e-Handbook table 1.3.6.7.2 (three decimals).
TEST(TCritical95, AgreesWithThePrintedTTable) {
  struct Case { int df; double t; };
  constexpr Case kCases[] = {
      {1, 12.706}, {2, 4.303},  {3, 3.182},  {4, 2.776},  {5, 2.571},  {6, 2.447},
      {7, 2.365},  {8, 2.306},  {9, 2.262},  {10, 2.228}, {15, 2.131}, {20, 2.086},
      {25, 2.060}, {30, 2.042}, {40, 2.021}, {50, 2.009}, {60, 2.000}, {80, 1.990},
      {100, 1.984},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.df);
    EXPECT_NEAR(TCritical95(c.df), c.t, 0.0005 + 1e-12);
  }
}

TEST(TCritical95, FallsTowardsTheNormalValueAndEndsAt196) {
  for (int df = 2; df <= 300; ++df) {
    SCOPED_TRACE(df);
    EXPECT_LT(TCritical95(df), TCritical95(df - 1));
    EXPECT_GT(TCritical95(df), 1.959964);  // the normal 0.975 quantile
  }
  EXPECT_EQ(TCritical95(301), 1.96);
  EXPECT_EQ(TCritical95(100000), 1.96);
  EXPECT_THROW(TCritical95(0), std::invalid_argument);
  EXPECT_THROW(TCritical95(-3), std::invalid_argument);
}

// Expected shares against 100 Phi((cutoff - mean) / sd) (mpmath): the midpoint sum with its
// coarse steps in the tails is good to a few hundredths of a percent, what the reports print.
TEST(NormalPercentBelow, ApproximatesTheNormalShare) {
  struct Case { double sd; double mean; double cutoff; double percent; };
  constexpr Case kCases[] = {
      {1.0, 0.0, -2.0, 2.275013195},   // "about 2.3"
      {1.0, 0.0, 0.0, 50.0},
      {1.0, 0.0, 1.0, 84.13447461},
      {1.1, -1.0, -2.0, 18.16511367},  // Phi(-0.909090...)
      {1.0, -0.5, -2.0, 6.680720127},  // Phi(-1.5)
      {0.9, -1.2, -3.0, 2.275013195},  // Phi(-2)
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << c.sd << " " << c.mean << " " << c.cutoff);
    EXPECT_NEAR(NormalPercentBelow(c.sd, c.mean, c.cutoff), c.percent, 0.05);
  }
}

TEST(NormalPercentBelow, BadArgumentsGiveZeroAndNeverHang) {
  EXPECT_EQ(NormalPercentBelow(0.0, 0.0, -2.0), 0.0f);
  EXPECT_EQ(NormalPercentBelow(-1.0, 0.0, -2.0), 0.0f);
  EXPECT_EQ(NormalPercentBelow(std::nan(""), 0.0, -2.0), 0.0f);
  EXPECT_EQ(NormalPercentBelow(1.0, 0.0, std::nan("")), 0.0f);
  EXPECT_EQ(NormalPercentBelow(1.0, 0.0, INFINITY), 0.0f);
  // A cut-off beyond float resolution of the position: the sum stops where it stands still.
  EXPECT_NEAR(NormalPercentBelow(1.0, 0.0, 1e30), 100.0f, 0.1f);
  // A cut-off below the start still sums one step.
  EXPECT_NEAR(NormalPercentBelow(1.0, 0.0, -20.0), 0.0f, 1e-6f);
}

// Normal quantiles (mpmath 1.3 erfinv); Odeh and Evans give |error| < 1.5e-8.
TEST(NormalQuantileApprox, MatchesNormalQuantiles) {
  struct Case { double p; double z; };
  constexpr Case kCases[] = {
      {0.5, 0.0},           {0.975, 1.959963985}, {0.025, -1.959963985},
      {0.9, 1.281551566},   {0.01, -2.326347874}, {1e-6, -4.753424309},
      {0.6, 0.2533471031},  {0.999, 3.090232306},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.p);
    EXPECT_NEAR(NormalQuantileApprox(c.p), c.z, 1e-7);
  }
  EXPECT_EQ(NormalQuantileApprox(0.0), -INFINITY);
  EXPECT_EQ(NormalQuantileApprox(1.0), INFINITY);
}

}  // namespace
}  // namespace olvar::stats
