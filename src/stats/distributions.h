#pragma once
// The distribution functions every analysis prints from: the normal upper tail, the chi-square
// upper tail, the Student t critical value of a 95% interval, the expected share of a normal
// distribution below a cut-off and the normal quantile of the probability plots. Each is a plain
// function of its arguments; the reports print their results with three or four decimals, and
// the approximations below are the ones whose digits those reports have always shown.

namespace olvar::stats {

// Upper tail of the standard normal distribution beyond x; for x < 0, one minus the tail beyond
// |x|. Abramowitz and Stegun 26.2.16 (three terms; absolute error at most 1.2e-5, largest near
// x = 0.53); 0 beyond x > 12 (1 for x < -12).
double NormalUpperTail(double x);

// Probability that a chi-square variable with df degrees of freedom exceeds x: the exact finite
// sums of Abramowitz and Stegun 26.4.4 (odd df, through the normal tail above) and 26.4.5 (even
// df) for x <= 169, the Wilson-Hilferty cube-root approximation beyond (df >= 2). 1 for x <= 0
// or df < 1.
double ChiSquareUpperP(int df, double x);

// Two-sided 95% critical value of Student's t (the 0.975 quantile) for df = 1 ... 300, rounded
// to six significant digits; 1.96 beyond 300. Throws std::invalid_argument for df < 1 (an
// interval from one cluster has no t value; the cluster estimators never ask for it).
double TCritical95(int df);

// Percentage (0 ... 100) of a normal distribution with the given mean and SD lying below the
// cut-off, by the midpoint sum the reports have always used (adaptive steps from -10, single
// precision). 0 when SD is not positive or an argument is not finite.
float NormalPercentBelow(double sd, double mean, double cutoff);

// Standard normal deviate with lower-tail probability p, by the Odeh-Evans rational
// approximation (Applied Statistics 1974, algorithm AS 70; absolute error below 1.5e-8 for
// 1e-20 < p < 1 - 1e-20). Used for the expected normal scores (i - 0.5) / n of probability
// plots. p outside (0, 1) has no deviate: the result is then -inf (p <= 0) or +inf (p >= 1).
double NormalQuantileApprox(double p);

}  // namespace olvar::stats
