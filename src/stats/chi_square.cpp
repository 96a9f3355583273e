#include "stats/chi_square.h"

#include <cassert>

#include "stats/distributions.h"

namespace olvar::stats {

ChiSquareTest chi_square_test(std::span<const double> observed, std::span<const double> expected,
                              int degrees_of_freedom) {
  assert(observed.size() == expected.size());
  ChiSquareTest t;
  for (std::size_t i = 0; i < observed.size(); ++i) {
    const double difference = observed[i] - expected[i];
    t.statistic += difference * difference / expected[i];
  }
  t.p = ChiSquareUpperP(degrees_of_freedom, t.statistic);
  return t;
}

}  // namespace olvar::stats
