#include "anthro/lms.h"

#include <cmath>
#include <numbers>

namespace olvar::anthro {

namespace {

// WHO's rule beyond ±3 SD on the plain z-score `raw` of x: the distance from the 3 SD curve in
// units of the band between the 2 and 3 SD curves. NaN when those curves do not exist.
double apply_tail_rule(double raw, double x, const CurvePoints& points) {
  static_assert(kWhoCurveZ[0] == -3.0 && kWhoCurveZ[1] == -2.0 && kWhoCurveZ[7] == 2.0 &&
                kWhoCurveZ[8] == 3.0);
  if (raw < -3.0) {
    const double sd3 = points[0], sd2 = points[1];
    if (!(sd3 > 0.0 && sd2 > 0.0)) return std::nan("");
    return -3.0 - (sd3 - x) / (sd2 - sd3);
  }
  if (raw > 3.0) {
    const double sd2 = points[7], sd3 = points[8];
    if (!(sd3 > 0.0 && sd2 > 0.0)) return std::nan("");
    return 3.0 + (x - sd3) / (sd3 - sd2);
  }
  return raw;
}

}  // namespace

double lms_curve_point(const Lms& p, double z) {
  if (z == 0.0) return p.m;
  if (p.l == 0.0) return p.m * std::exp(p.s * z);
  const double base = 1.0 + p.l * p.s * z;
  if (!(base > 0.0)) return std::nan("");
  // L = 1 (length and height): a straight line; pow(base, 1) is base exactly.
  const double point = p.l == 1.0 ? p.m * base : p.m * std::pow(base, 1.0 / p.l);
  return std::isfinite(point) ? point : std::nan("");
}

CurvePoints lms_curve_points(const Lms& p) {
  CurvePoints points{};
  for (std::size_t i = 0; i < kWhoCurveZ.size(); ++i) {
    const double point = lms_curve_point(p, kWhoCurveZ[i]);
    // A curve the Box-Cox transform cannot reach (extreme S) is absent, not NaN.
    points[i] = point > 0.0 && std::isfinite(point) ? point : 0.0;
  }
  return points;
}

double lms_raw_zscore(double x, const Lms& p) {
  if (!(x > 0.0) || !(p.m > 0.0) || !(p.s > 0.0) || !std::isfinite(p.l)) return std::nan("");
  double z;
  if (p.l == 0.0)
    z = std::log(x / p.m) / p.s;
  else if (p.l == 1.0)
    z = (x / p.m - 1.0) / p.s;  // pow(y, 1) is y exactly
  else
    z = (std::pow(x / p.m, p.l) - 1.0) / (p.l * p.s);
  return std::isfinite(z) ? z : std::nan("");
}

double lms_zscore(double x, const Lms& p) {
  const double raw = lms_raw_zscore(x, p);
  if (!std::isfinite(raw)) return std::nan("");
  const double z = apply_tail_rule(raw, x, lms_curve_points(p));
  return std::isfinite(z) ? z : std::nan("");
}

double z_to_percentile(double z) {
  // Abramowitz and Stegun 26.2.16 with their constants p, a1, a2, a3.
  const double t = 1.0 / (1.0 + 0.33267 * std::abs(z));
  const double density = std::exp(-z * z / 2.0) / std::sqrt(2.0 * std::numbers::pi);
  const double q = density * (0.4361836 * t - 0.1201676 * t * t + 0.937298 * t * t * t);
  const double p = static_cast<float>(100.0 * (1.0 - q));
  return z > 0.0 ? p : 100.0 - p;
}

bool lms_index(double x, const Lms& p, const CurvePoints& points, IndexResult& out) {
  const double raw = lms_raw_zscore(x, p);
  if (!std::isfinite(raw)) return false;
  const double z = apply_tail_rule(raw, x, points);
  const float z_single = static_cast<float>(z);
  if (!std::isfinite(z) || !std::isfinite(z_single)) return false;
  const double pct_of_median = 100.0 * x / p.m;
  if (!std::isfinite(pct_of_median)) return false;

  out.z = z_single;
  out.percentile = z_to_percentile(raw);
  out.pct_of_median = pct_of_median;
  out.curve_points = points;
  return true;
}

bool lms_index(double x, const Lms& p, IndexResult& out) {
  return lms_index(x, p, lms_curve_points(p), out);
}

}  // namespace olvar::anthro
