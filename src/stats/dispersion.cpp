#include "stats/dispersion.h"

#include "stats/distributions.h"

namespace olvar::stats {

std::optional<Dispersion> index_of_dispersion(std::span<const double> counts) {
  if (counts.size() < 2) return std::nullopt;
  Dispersion d;
  d.clusters = static_cast<int>(counts.size());
  const double k = static_cast<double>(counts.size());
  double sum = 0.0;
  for (double c : counts) sum += c;
  d.mean = sum / k;
  if (!(d.mean > 0.0)) return std::nullopt;
  double squares = 0.0;
  for (double c : counts) squares += (c - d.mean) * (c - d.mean);
  d.variance = squares / (k - 1.0);
  d.index = d.variance / d.mean;
  d.statistic = (k - 1.0) * d.index;
  d.p = ChiSquareUpperP(d.clusters - 1, d.statistic);
  return d;
}

}  // namespace olvar::stats
