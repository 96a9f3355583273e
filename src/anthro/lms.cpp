#include "anthro/lms.h"

#include <cmath>
#include <numbers>

namespace olvar::anthro {

double lms_curve_point(const Lms& p, double z) {
  if (p.l == 0.0) return p.m * std::exp(p.s * z);
  const double base = 1.0 + p.l * p.s * z;
  if (!(base > 0.0)) return std::nan("");
  const double point = p.m * std::pow(base, 1.0 / p.l);
  return std::isfinite(point) ? point : std::nan("");
}

double lms_raw_zscore(double x, const Lms& p) {
  if (!(x > 0.0) || !(p.m > 0.0) || !(p.s > 0.0) || !std::isfinite(p.l)) return std::nan("");
  const double z =
      p.l == 0.0 ? std::log(x / p.m) / p.s : (std::pow(x / p.m, p.l) - 1.0) / (p.l * p.s);
  return std::isfinite(z) ? z : std::nan("");
}

double lms_zscore(double x, const Lms& p) {
  const double z = lms_raw_zscore(x, p);
  if (z < -3.0) {
    const double sd3 = lms_curve_point(p, -3.0);
    const double sd2 = lms_curve_point(p, -2.0);
    const double tail = -3.0 - (sd3 - x) / (sd2 - sd3);
    return std::isfinite(tail) ? tail : std::nan("");
  }
  if (z > 3.0) {
    const double sd3 = lms_curve_point(p, 3.0);
    const double sd2 = lms_curve_point(p, 2.0);
    const double tail = 3.0 + (x - sd3) / (sd3 - sd2);
    return std::isfinite(tail) ? tail : std::nan("");
  }
  return z;
}

double z_to_percentile(double z) {
  // Abramowitz and Stegun 26.2.16 with their constants p, a1, a2, a3.
  const double t = 1.0 / (1.0 + 0.33267 * std::abs(z));
  const double density = std::exp(-z * z / 2.0) / std::sqrt(2.0 * std::numbers::pi);
  const double q = density * (0.4361836 * t - 0.1201676 * t * t + 0.937298 * t * t * t);
  const double p = static_cast<float>(100.0 * (1.0 - q));
  return z > 0.0 ? p : 100.0 - p;
}

bool lms_index(double x, const Lms& p, IndexResult& out) {
  const double raw = lms_raw_zscore(x, p);
  const double z = lms_zscore(x, p);
  if (!std::isfinite(raw) || !std::isfinite(z)) return false;
  const float z_single = static_cast<float>(z);
  if (!std::isfinite(z_single)) return false;
  const double pct_of_median = 100.0 * x / p.m;
  if (!std::isfinite(pct_of_median)) return false;

  out.z = z_single;
  out.percentile = z_to_percentile(raw);
  out.pct_of_median = pct_of_median;
  for (std::size_t i = 0; i < kWhoCurveZ.size(); ++i) {
    // A curve the Box-Cox transform cannot reach (extreme S) is drawn as absent, not as NaN.
    const double point = kWhoCurveZ[i] == 0.0 ? p.m : lms_curve_point(p, kWhoCurveZ[i]);
    out.curve_points[i] = std::isfinite(point) ? point : 0.0;
  }
  return true;
}

}  // namespace olvar::anthro
