#include "stats/cluster_estimate.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "core/text_conversions.h"
#include "stats/distributions.h"

namespace olvar::stats {

namespace {

constexpr double kZ95 = 1.96;
constexpr int kClusterColumn = 2;

// The factor f of SE^2 = SS / (k(k-1)) * f (Cochran, Sampling Techniques, 3rd ed., 2.15 and
// 6.12): 1 - n/N with n the planned sample and N the eligible population. For children, N is
// the population times the share under five times 0.9 (the share aged 6 to 59 months).
void apply_population_correction(const PopulationCorrectionInputs& in, SurveyKind kind,
                                 ClusterEstimate& e) {
  if (!in.csps1) return;
  // Every field must read as a number of at least 0: an empty field parses as -99999, which
  // would turn f into a factor above 1 that silently widens the interval.
  const float population = core::parse_tolerant(in.PopSize_field);
  double sample = 0.0;
  double eligible = 0.0;
  bool readable = population >= 0.0f;
  if (kind == SurveyKind::mortality) {
    const float subjects = core::parse_tolerant(in.Panel3);
    readable = readable && subjects >= 0.0f;
    sample = subjects;
    eligible = population;
  } else {
    const float children = core::parse_tolerant(in.Panel2);
    const float under_five_pct = core::parse_tolerant(in.sc_f);
    readable = readable && children >= 0.0f && under_five_pct >= 0.0f;
    sample = children;
    eligible = static_cast<double>(population) * under_five_pct / 100.0 * 0.9;
  }
  const double f = 1.0 - sample / eligible;  // -inf for a sample out of no population
  if (!readable || std::isnan(f)) {
    e.population_correction = PopulationCorrection::inputs_unreadable;
    return;
  }
  if (f < 0.0) {
    e.population_correction = PopulationCorrection::sample_exceeds_population;
    return;
  }
  e.correction_factor = f;
  e.population_correction = PopulationCorrection::applied;
}

}  // namespace

IndicatorInterval wilson_interval(double cases, double n) {
  IndicatorInterval r;
  if (!(n > 0.0)) return r;
  const double p = cases / n;
  const double z2 = kZ95 * kZ95;
  const double centre = p + z2 / (2.0 * n);
  const double half_width = kZ95 * std::sqrt((p * (1.0 - p) + z2 / (4.0 * n)) / n);
  const double scale = 1.0 + z2 / n;
  // With no case the centre and the half-width are equal; keep rounding from printing -0.0.
  r.lower = std::max(0.0, 100.0 * (centre - half_width) / scale);
  r.upper = std::min(100.0, 100.0 * (centre + half_width) / scale);
  return r;
}

ClusterEstimate ClusterPrevalenceCI(std::span<const ClusterRecord> records, SurveyKind kind,
                                    const PopulationCorrectionInputs& planning) {
  ClusterEstimate e;
  double total_m = 0.0;
  std::array<double, 3> total{};
  for (const ClusterRecord& r : records) {
    if (!(r.m > 0.0)) continue;
    ++e.k;
    total_m += r.m;
    total[0] += r.a;
    total[1] += r.b;
    total[2] += r.c;
  }
  std::array<IndicatorInterval*, 3> out = {&e.a, &e.b, &e.c};
  if (e.k < 2 || !(total_m > 0.0)) {
    if (total_m > 0.0) {
      e.wilson = true;
      e.t = kZ95;
      for (std::size_t i = 0; i < 3; ++i) *out[i] = wilson_interval(total[i], total_m);
    }
    return e;
  }

  // Linearised residuals of the ratio estimator p = X/M per cluster (Kish, Survey Sampling,
  // 1965, 6.3): u = x/mbar - (X/k)/mbar^2 * m = (x - p m)/mbar, with mbar = M/k.
  const double k = static_cast<double>(e.k);
  const double mean_m = total_m / k;
  std::array<double, 3> sum_u{};
  std::array<double, 3> sum_u2{};
  std::array<double, 3> mean_u{};
  for (int pass = 0; pass < 2; ++pass) {
    for (const ClusterRecord& r : records) {
      if (!(r.m > 0.0)) continue;
      const std::array<double, 3> x = {r.a, r.b, r.c};
      for (std::size_t i = 0; i < 3; ++i) {
        const double u = x[i] / mean_m - (total[i] / k) / (mean_m * mean_m) * r.m;
        if (pass == 0) {
          sum_u[i] += u;
        } else {
          sum_u2[i] += (u - mean_u[i]) * (u - mean_u[i]);
        }
      }
    }
    if (pass == 0) {
      for (std::size_t i = 0; i < 3; ++i) mean_u[i] = sum_u[i] / k;
    }
  }

  apply_population_correction(planning, kind, e);
  e.t = TCritical95(e.k - 1);
  for (std::size_t i = 0; i < 3; ++i) {
    IndicatorInterval& r = *out[i];
    r.se = std::sqrt(sum_u2[i] / (k * (k - 1.0)) * e.correction_factor);
    const double p = total[i] / total_m;
    // The logit of 0 or 1 is infinite: with no case, or with every unit a case, the interval
    // collapses onto the estimate itself (0-0 or 100-100), so it still contains what is printed
    // beside it.
    if (!(total[i] > 0.0)) continue;
    if (!(p < 1.0)) {
      r.lower = r.upper = 100.0;
      continue;
    }
    // Logit interval: symmetric on ln(p/(1-p)) with Var(logit) = SE^2 / (p(1-p))^2 by the delta
    // method, mapped back, so the limits stay inside 0 ... 100 %.
    const double logit = std::log(p / (1.0 - p));
    const double half_width = e.t * std::sqrt(r.se * r.se / ((p * (1.0 - p)) * (p * (1.0 - p))));
    r.lower = 100.0 / (1.0 + std::exp(-(logit - half_width)));
    r.upper = 100.0 / (1.0 + std::exp(-(logit + half_width)));
  }
  return e;
}

double DesignEffect(std::span<const ClusterRecord> records) {
  // Only clusters that hold data count: a record without children (a cluster number skipped in
  // the numbering, or a cluster whose values are all missing) would otherwise raise
  // count/(count - 1) and make the result depend on how the clusters happen to be numbered.
  double sx = 0.0, sy = 0.0, sxx = 0.0, syy = 0.0, sxy = 0.0;
  std::size_t clusters_with_data = 0;
  for (const ClusterRecord& r : records) {
    if (!(r.m > 0.0)) continue;
    ++clusters_with_data;
    sx += r.m;
    sy += r.a;
    sxx += r.m * r.m;
    syy += r.a * r.a;
    sxy += r.m * r.a;
  }
  const double count = static_cast<double>(clusters_with_data);
  if (sx == 0.0 || clusters_with_data < 2 || !(sy > 0.0) || sy == sx) return 1.0;
  // Ratio estimator r = Y/X: cluster variance count/(count-1) * sum (y - r x)^2 / X^2 (Cochran
  // 6.13 with the finite correction left out) against r(1 - r)/X for a simple random sample.
  const double ratio = sy / sx;
  const double cluster_variance =
      count / (count - 1.0) * (ratio * ratio * sxx + syy - 2.0 * ratio * sxy) / (sx * sx);
  const double srs_variance = ratio * (1.0 - ratio) / sx;
  const double deff = cluster_variance / srs_variance;
  return std::isfinite(deff) && deff > 1.0 ? deff : 1.0;
}

std::vector<ClusterRecord> Cluster_Zusammenfassung(const core::TextGrid& table, int column,
                                                   double cutoff) {
  std::vector<ClusterRecord> records;
  std::unordered_map<std::string, std::size_t> index_of_code;
  for (int row = 1; row < table.row_count(); ++row) {
    const std::string_view code = table.cell(kClusterColumn, row);
    if (code.empty()) continue;
    auto [it, inserted] = index_of_code.emplace(code, records.size());
    if (inserted) records.push_back({std::string(code), 0.0, 0.0, 0.0, 0.0});
    const std::string_view cell = table.cell(column, row);
    if (cell.empty()) continue;
    ClusterRecord& r = records[it->second];
    r.m += 1.0;
    const double value = core::parse_tolerant(cell);
    if (value < cutoff && value > -20.0) r.a += 1.0;
  }
  return records;
}

}  // namespace olvar::stats
