#include "stats/shapiro_wilk.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <span>

namespace olvar::stats {

namespace {

// c[0] + c[1] x + ... + c[k-1] x^(k-1): AS R94's polynomial evaluator.
double poly(std::span<const double> c, double x) {
  double result = 0.0;
  for (auto it = c.rbegin(); it != c.rend(); ++it) result = result * x + *it;
  return result;
}

// AS R94's coefficient polynomials (Royston 1992, Statistics and Computing 2, 117-119):
// C1, C2 for the two largest coefficients in 1/sqrt(n); C3, C4 (mean, log SD) of the
// normalising transform for 4 <= n <= 11 with gamma G; C5, C6 for n >= 12 in ln(n).
constexpr std::array kC1 = {0.0, 0.221157, -0.147981, -2.07119, 4.434685, -2.706056};
constexpr std::array kC2 = {0.0, 0.042981, -0.293762, -1.752461, 5.682633, -3.582633};
constexpr std::array kC3 = {0.544, -0.39978, 0.025054, -6.714e-4};
constexpr std::array kC4 = {1.3822, -0.77857, 0.062767, -0.0020322};
constexpr std::array kC5 = {-1.5861, -0.31082, -0.083751, 0.0038915};
constexpr std::array kC6 = {-0.4803, -0.082676, 0.0030302};
constexpr std::array kG = {-2.273, 0.459};

constexpr double kSmall = 1e-19;

// Sorts ascending by a least-significant-digit radix sort on the IEEE bit patterns, mapped so
// that unsigned order is numeric order (sign bit set for positives, all bits inverted for
// negatives). Four passes of 16 bits take a fraction of the time of a comparison sort on the
// 65,535 values of a full survey; the ascending sequence is the same (NaN never reaches here:
// the number parse refuses it).
void sort_ascending(std::vector<double>& x) {
  if (x.size() < 256) {
    std::sort(x.begin(), x.end());
    return;
  }
  std::vector<std::uint64_t> keys(x.size());
  std::vector<std::uint64_t> buffer(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) {
    const auto bits = std::bit_cast<std::uint64_t>(x[i]);
    keys[i] = (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
  }
  std::vector<std::size_t> count(65537);
  for (int shift = 0; shift < 64; shift += 16) {
    std::fill(count.begin(), count.end(), 0);
    for (std::uint64_t k : keys) ++count[((k >> shift) & 0xFFFF) + 1];
    if (count[((keys[0] >> shift) & 0xFFFF) + 1] == keys.size()) continue;  // one digit value
    for (std::size_t d = 1; d < count.size(); ++d) count[d] += count[d - 1];
    for (std::uint64_t k : keys) buffer[count[(k >> shift) & 0xFFFF]++] = k;
    keys.swap(buffer);
  }
  for (std::size_t i = 0; i < x.size(); ++i) {
    const std::uint64_t k = keys[i];
    x[i] = std::bit_cast<double>((k >> 63) != 0 ? k & ~(std::uint64_t{1} << 63) : ~k);
  }
}

}  // namespace

double NormalTailArea(double z, bool upper) {
  // AS 66 constants as published.
  constexpr double kLtone = 7.0, kUtzero = 8.66, kCon = 1.28;
  constexpr double p = 0.398942280444, q = 0.39990348504, r = 0.398942280385;
  constexpr double a1 = 5.75885480458, a2 = 2.62433121679, a3 = 5.92885724438;
  constexpr double b1 = -29.8213557807, b2 = 48.6959930692;
  constexpr double c1 = -3.8052e-8, c2 = 3.98064794e-4, c3 = -0.151679116635, c4 = 4.8385912808,
                   c5 = 0.742380924027, c6 = 3.99019417011;
  constexpr double d1 = 1.00000615302, d2 = 1.98615381364, d3 = 5.29330324926, d4 = -15.1508972451,
                   d5 = 30.789933034;
  bool up = upper;
  if (z < 0.0) {
    up = !up;
    z = -z;
  }
  double area = 0.0;
  if (z <= kLtone || (up && z <= kUtzero)) {
    const double y = 0.5 * z * z;
    if (z > kCon) {
      area =
          r * std::exp(-y) /
          (z + c1 + d1 / (z + c2 + d2 / (z + c3 + d3 / (z + c4 + d4 / (z + c5 + d5 / (z + c6))))));
    } else {
      area = 0.5 - z * (p - q * y / (y + a1 + b1 / (y + a2 + b2 / (y + a3))));
    }
  }
  return up ? area : 1.0 - area;
}

double NormalDeviate(double p, bool& fault) {
  // AS 111 constants as published.
  constexpr double kSplit = 0.42;
  constexpr double a0 = 2.50662823884, a1 = -18.61500062529, a2 = 41.39119773534,
                   a3 = -25.44106049637;
  constexpr double b1 = -8.47351093090, b2 = 23.08336743743, b3 = -21.06224101826,
                   b4 = 3.13082909833;
  constexpr double c0 = -2.78718931138, c1 = -2.29796479134, c2 = 4.85014127135, c3 = 2.32121276858;
  constexpr double d1 = 3.54388924762, d2 = 1.63706781897;
  fault = false;
  const double q = p - 0.5;
  if (std::fabs(q) <= kSplit) {
    const double r = q * q;
    return q * (((a3 * r + a2) * r + a1) * r + a0) /
           ((((b4 * r + b3) * r + b2) * r + b1) * r + 1.0);
  }
  double r = q > 0.0 ? 1.0 - p : p;
  if (!(r > 0.0)) {
    fault = true;
    return 0.0;
  }
  r = std::sqrt(-std::log(r));
  const double deviate = (((c3 * r + c2) * r + c1) * r + c0) / ((d2 * r + d1) * r + 1.0);
  return q < 0.0 ? -deviate : deviate;
}

ShapiroWilkResult ShapiroWilkW(std::vector<double> x) {
  ShapiroWilkResult result;
  const std::size_t n = x.size();
  if (n < 3) {
    result.fault = ShapiroWilkFault::too_few_values;
    return result;
  }
  // AS R94 sorts by heap sort; any sort gives the same ascending sequence.
  sort_ascending(x);

  // Coefficients a[1 .. n/2] of the upper half (positive); the lower half mirrors them.
  const std::size_t half = n / 2;
  std::vector<double> a(half + 1, 0.0);
  const double an = static_cast<double>(n);
  if (n == 3) {
    a[1] = std::sqrt(0.5);
  } else {
    std::vector<double> m(half + 1, 0.0);
    double summ2 = 0.0;
    for (std::size_t i = 1; i <= half; ++i) {
      bool fault = false;
      m[i] = NormalDeviate((static_cast<double>(i) - 0.375) / (an + 0.25), fault);
      summ2 += m[i] * m[i];
    }
    summ2 *= 2.0;
    const double ssumm2 = std::sqrt(summ2);
    const double rsn = 1.0 / std::sqrt(an);
    const double a1 = poly(kC1, rsn) - m[1] / ssumm2;
    std::size_t first_scaled = 2;
    double fac = 0.0;
    if (n > 5) {
      first_scaled = 3;
      const double a2 = -m[2] / ssumm2 + poly(kC2, rsn);
      fac = std::sqrt((summ2 - 2.0 * m[1] * m[1] - 2.0 * m[2] * m[2]) /
                      (1.0 - 2.0 * a1 * a1 - 2.0 * a2 * a2));
      a[2] = a2;
    } else {
      fac = std::sqrt((summ2 - 2.0 * m[1] * m[1]) / (1.0 - 2.0 * a1 * a1));
    }
    a[1] = a1;
    for (std::size_t i = first_scaled; i <= half; ++i) a[i] = -m[i] / fac;
  }

  const double range = x[n - 1] - x[0];
  if (range < kSmall) {
    result.fault = ShapiroWilkFault::zero_range;
    return result;
  }
  if (n > 5000) result.fault = ShapiroWilkFault::too_many_values;

  // W as the squared correlation between the scaled data and the antisymmetric coefficients
  // (-a[i] for the i-th smallest, +a[i] for the i-th largest, 0 for an odd middle value).
  auto coefficient = [&](std::size_t i) {  // i = 0 ... n-1
    if (i < half) return -a[i + 1];
    if (i >= n - half) return a[n - i];
    return 0.0;
  };
  double sa = 0.0;
  double sx = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    sa += coefficient(i);
    sx += x[i] / range;
  }
  sa /= an;
  sx /= an;
  double ssa = 0.0, ssx = 0.0, sax = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double asa = coefficient(i) - sa;
    const double xsx = x[i] / range - sx;
    ssa += asa * asa;
    ssx += xsx * xsx;
    sax += asa * xsx;
  }
  // 1 - W computed directly avoids the rounding of W very near 1 in large samples (AS R94).
  const double ssassx = std::sqrt(ssa * ssx);
  const double w1 = (ssassx - sax) * (ssassx + sax) / (ssa * ssx);
  result.w = 1.0 - w1;

  if (n == 3) {
    // Exact distribution for three values: p = 6/pi (asin(sqrt(W)) - pi/3). W cannot be below
    // 3/4; rounding there could give a p a hair below 0.
    constexpr double kPi6 = 1.90985931710274, kStqr = 1.04719755119660;
    result.p = std::clamp(kPi6 * (std::asin(std::sqrt(result.w)) - kStqr), 0.0, 1.0);
    return result;
  }
  double y = std::log(w1);
  double m = 0.0;
  double s = 0.0;
  if (n <= 11) {
    const double gamma = poly(kG, an);
    if (y >= gamma) {
      result.p = kSmall;
      return result;
    }
    y = -std::log(gamma - y);
    m = poly(kC3, an);
    s = std::exp(poly(kC4, an));
  } else {
    const double ln_n = std::log(an);
    m = poly(kC5, ln_n);
    s = std::exp(poly(kC6, ln_n));
  }
  result.p = NormalTailArea((y - m) / s, true);
  return result;
}

}  // namespace olvar::stats
