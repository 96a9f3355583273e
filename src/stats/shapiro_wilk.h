#pragma once
// The Shapiro-Wilk W test of normality that the plausibility report applies to each z-score
// index: Royston's algorithm AS R94 (Applied Statistics 44 (1995) 547-551), with its normal
// tail area by Hill's AS 66 (Applied Statistics 22 (1973) 424-427) and its normal deviates by
// Beasley and Springer's AS 111 (Applied Statistics 26 (1977) 118-121). Coefficients are
// computed afresh for each call and every value is used (no censoring).

#include <vector>

namespace olvar::stats {

// AS R94's fault codes that can arise here.
enum class ShapiroWilkFault {
  none = 0,
  too_few_values = 1,   // n < 3: W = 1, p = 1
  too_many_values = 2,  // n > 5000: outside the range the p-value was fitted on; W and p are
                        // still computed and reported (the reports have always shown them)
  zero_range = 6,       // all values equal: W = 1, p = 1
};

struct ShapiroWilkResult {
  double w = 1.0;
  double p = 1.0;  // upper-tail p-value of W
  ShapiroWilkFault fault = ShapiroWilkFault::none;
};

// Tests the values (any order; the function sorts its own copy).
ShapiroWilkResult ShapiroWilkW(std::vector<double> x);

// AS 66: the standard normal tail area beyond z (upper) or below z (lower). Far out the
// answer is fixed: the large area (below a positive z, above a negative one) is 1 beyond |z| = 7,
// the small one 0 beyond |z| = 8.66. The plausibility report has always used 8.66 where AS 66
// has 18.66; the two differ only by areas below 3e-18, which no report prints.
double NormalTailArea(double z, bool upper);

// AS 111: the standard normal deviate with lower-tail probability p (central region
// |p - 0.5| <= 0.42 by a rational function, tails in sqrt(-ln q)). For p <= 0 or p >= 1 it
// returns 0 and sets `fault` to true.
double NormalDeviate(double p, bool& fault);

}  // namespace olvar::stats
