#include "stats/distributions.h"

#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace olvar::stats {

namespace {

constexpr std::array<double, 300> kTCritical95 = {
#include "stats/t_critical_table.inc"
};

constexpr double kInvSqrt2Pi = 0.39894228;  // 1 / sqrt(2 pi) as the reports' formulas write it

}  // namespace

double NormalUpperTail(double x) {
  const double z = std::fabs(x);
  if (z > 12.0) return x >= 0.0 ? 0.0 : 1.0;
  // Abramowitz and Stegun 26.2.16 (Hastings' three-term form).
  const double t = 1.0 / (1.0 + 0.33267 * z);
  const double density = kInvSqrt2Pi * std::exp(-x * x / 2.0);
  const double tail = density * t * (0.4361836 - 0.1201676 * t + 0.937298 * t * t);
  return x >= 0.0 ? tail : 1.0 - tail;
}

double ChiSquareUpperP(int df, double x) {
  if (!(x > 0.0) || df < 1) return 1.0;
  if (df == 1) return 2.0 * NormalUpperTail(std::sqrt(x));
  if (x > 169.0) {
    // Wilson and Hilferty (1931): (X/df)^(1/3) is nearly normal with mean 1 - 2/(9 df) and
    // variance 2/(9 df). The exact sums below would lose all precision out here.
    const double v = 2.0 / (9.0 * df);
    const double z = (std::cbrt(x / df) - 1.0 + v) / std::sqrt(v);
    return NormalUpperTail(z);
  }
  const double half = x / 2.0;
  if (df % 2 == 0) {
    // Abramowitz and Stegun 26.4.5 (even df): a Poisson tail.
    double term = 1.0;
    double sum = 1.0;
    for (int k = 1; k <= df / 2 - 1; ++k) {
      term *= half / k;
      sum += term;
    }
    return std::exp(-half) * sum;
  }
  // Abramowitz and Stegun 26.4.4 (odd df >= 3).
  const double s = std::sqrt(x);
  const double density = kInvSqrt2Pi * std::exp(-half);
  double term = s;
  double sum = s;
  double divisor = 1.0;
  for (int k = 0; k < (df - 1) / 2 - 1; ++k) {
    divisor += 2.0;
    term *= x / divisor;
    sum += term;
  }
  return 2.0 * (density * sum + NormalUpperTail(s));
}

double TCritical95(int df) {
  if (df < 1) {
    throw std::invalid_argument("TCritical95: " + std::to_string(df) +
                                " degrees of freedom; at least 1 is needed");
  }
  if (df > 300) return 1.96;
  return kTCritical95[static_cast<std::size_t>(df - 1)];
}

float NormalPercentBelow(double sd, double mean, double cutoff) {
  if (!(sd > 0.0) || !std::isfinite(sd) || !std::isfinite(mean) || !std::isfinite(cutoff)) {
    return 0.0f;
  }
  // Midpoint rule over the density from -10 with steps that widen where the density is small.
  // Position, step and sum are single precision as they have always been, so the printed
  // percentages keep their digits; each density is evaluated in double before it is stored.
  const double norm = sd * std::sqrt(2.0 * 3.14159265358979323846);
  const double two_var = 2.0 * sd * sd;
  float a = -10.0f;
  float h = 0.001f;
  float sum = 0.0f;
  while (true) {
    const double d = static_cast<double>(a) + static_cast<double>(h) / 2.0 - mean;
    const float f = static_cast<float>(std::exp(-(d * d) / two_var) / norm);
    if (!std::isfinite(f)) return 0.0f;
    sum += f * h;
    a += h;
    // Beyond 40 SD above the mean every further density is 0 even in double precision, so the
    // sum is final; stopping there also ends the walk towards a cut-off far out (which a float
    // position, stalling near 2^21, might never pass).
    if (static_cast<double>(a) > mean + 40.0 * sd) break;
    h = f < 0.01f ? 0.1f : f < 0.05f ? 0.05f : f < 0.1f ? 0.025f : f < 0.4f ? 0.0125f : 0.00625f;
    if (static_cast<double>(a) > cutoff) break;
  }
  const float percent = sum * 100.0f;
  return std::isfinite(percent) ? percent : 0.0f;
}

double NormalQuantileApprox(double p) {
  if (!(p > 0.0)) return -std::numeric_limits<double>::infinity();
  if (!(p < 1.0)) return std::numeric_limits<double>::infinity();
  const double q = p <= 0.5 ? p : 1.0 - p;
  const double y = std::sqrt(-2.0 * std::log(q));
  const double z =
      y -
      (0.322232431088 +
       y * (1.0 + y * (0.342242088547 + y * (0.0204231210245 + 0.0000453642210148 * y)))) /
          (0.099348462606 +
           y * (0.588581570495 + y * (0.531103462366 + y * (0.10353775285 + 0.0038560700634 * y))));
  return p >= 0.5 ? z : -z;
}

}  // namespace olvar::stats
