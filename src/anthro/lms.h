#pragma once
// The LMS method every WHO index uses (Cole and Green, Statistics in Medicine 1992;11:1305-19),
// with WHO's rule for z-scores beyond ±3 SD, and the conversions from a z-score to a percentile.

#include <array>

#include "anthro/measurement.h"

namespace olvar::anthro {

// Box-Cox power L, median M and coefficient of variation S at one age or length.
struct Lms {
  double l = 0.0;
  double m = 0.0;
  double s = 0.0;
};

// Linear interpolation of each parameter, weight `f` on `b`.
constexpr Lms interpolate(const Lms& a, const Lms& b, double f) {
  return {a.l + f * (b.l - a.l), a.m + f * (b.m - a.m), a.s + f * (b.s - a.s)};
}

// Measurement at which the LMS z-score equals z: M (1 + L S z)^(1/L), M exp(S z) for L = 0.
// NaN where the curve does not reach z (1 + L S z <= 0).
double lms_curve_point(const Lms& p, double z);

// The curve points at kWhoCurveZ (-3, -2, -1.88, -1.036, 0, 1.036, 1.88, 2, 3 SD); 0 for a curve
// that does not exist.
using CurvePoints = std::array<double, kWhoCurveZ.size()>;
CurvePoints lms_curve_points(const Lms& p);

// The plain LMS z-score ((x/M)^L - 1) / (L S), ln(x/M) / S for L = 0, without the tail rule.
// NaN when x, M or S is not positive or the result is not finite.
double lms_raw_zscore(double x, const Lms& p);

// The WHO z-score: the LMS z-score inside ±3 SD; beyond, the distance from the ±3 SD curve in
// units of the band between the 2 and 3 SD curves, because the Box-Cox tails stretch there (the
// restricted LMS method of the WHO Child Growth Standards: Methods and development, 2006).
// NaN when not computable.
double lms_zscore(double x, const Lms& p);

// Abramowitz and Stegun 26.2.16 (absolute error below 1e-5 in the probability):
// the percentile (0 to 100) of a standard normal z-score, rounded to single precision as the
// reports show it.
double z_to_percentile(double z);

// One index worked out from L, M, S: z-score with the tail rule, percentile of the plain
// z-score, percent of median and the curve points at kWhoCurveZ. Returns false, leaving `out`
// untouched, when any part is not a finite number (bad parameters, a zero table).
bool lms_index(double x, const Lms& p, IndexResult& out);
// The same with the curve points of `p` already worked out (lms_curve_points(p)), as the WHO
// table keeps them for each of its records.
bool lms_index(double x, const Lms& p, const CurvePoints& points, IndexResult& out);

}  // namespace olvar::anthro
