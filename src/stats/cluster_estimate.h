#pragma once
// Confidence intervals of prevalences and death rates from two-stage cluster samples, the
// design effect, and the by-cluster summary of a z-score column that feeds the design effect.
//
// A prevalence from a cluster sample is a ratio of two random totals (cases / children). Its
// standard error comes from the Taylor linearisation of the ratio estimator over clusters, the
// interval is built on the logit scale with Student's t on k - 1 degrees of freedom (k clusters
// with data), and a sample without clusters gets the Wilson score interval instead.
//
//   std::vector<ClusterRecord> records = ...;   // one per cluster: m children, a, b, c cases
//   const ClusterEstimate e = ClusterPrevalenceCI(records, SurveyKind::anthropometry, planning);
//   if (e.population_correction == PopulationCorrection::sample_exceeds_population)
//     prompter.inform(language.text(kSampleExceedsPopulationEntry));
//   print(e.a.lower, e.a.upper);

#include <array>
#include <span>
#include <string>
#include <vector>

#include "core/text_grid.h"

namespace olvar::stats {

// One cluster of the cluster work table.
struct ClusterRecord {
  std::string code;  // cluster code text (by-cluster summary only)
  double m = 0.0;    // denominator: children measured, or persons or person-time
  double a = 0.0;    // numerators of up to three indicators
  double b = 0.0;
  double c = 0.0;
};

// Which sample size the finite population correction compares with the population.
enum class SurveyKind { anthropometry, mortality };

// The Planning page fields the finite population correction reads, by their control names, as
// typed (texts are parsed as numbers when used).
struct PopulationCorrectionInputs {
  bool csps1 = false;         // "Correction small population size" ticked
  std::string PopSize_field;  // population size
  std::string sc_f;           // percentage of children under five
  std::string Panel2;         // children to be included (anthropometric sample size)
  std::string Panel3;         // subjects to be included (mortality sample size)
};

enum class PopulationCorrection {
  not_requested,              // box not ticked, or fewer than two clusters (Wilson interval)
  applied,                    // factor f = 1 - sample / population used
  sample_exceeds_population,  // f < 0: not applied; the caller shows Language entry 94 once
  inputs_unreadable,          // a field is empty, not a number or negative (f would exceed
                              // 1), or sample and population are both 0: not applied; the
                              // caller should say so
};

// Language entry of the message for PopulationCorrection::sample_exceeds_population.
inline constexpr int kSampleExceedsPopulationEntry = 94;

struct IndicatorInterval {
  double se = 0.0;     // standard error of the proportion (not percent); 0 for Wilson
  double lower = 0.0;  // 95% limits in percent
  double upper = 0.0;
};

struct ClusterEstimate {
  int k = 0;            // clusters with m > 0
  bool wilson = false;  // fewer than two clusters with data: Wilson score intervals
  double t = 0.0;       // critical value used (1.96 for Wilson; 0 without data)
  double correction_factor = 1.0;
  PopulationCorrection population_correction = PopulationCorrection::not_requested;
  IndicatorInterval a, b, c;
};

// Estimates the 95% intervals of a/m, b/m and c/m over the records. Records with m <= 0 are
// empty clusters and take no part. Without data all limits are 0; in a cluster sample an
// indicator with no case has the limits 0 and 0, one with every unit a case 100 and 100 (the
// interval collapses onto its estimate). Any number of records.
ClusterEstimate ClusterPrevalenceCI(std::span<const ClusterRecord> records, SurveyKind kind,
                                    const PopulationCorrectionInputs& planning = {});

// The Wilson score interval (Wilson 1927) in percent for `cases` out of `n` with z = 1.96.
IndicatorInterval wilson_interval(double cases, double n);

// Design effect of the proportion sum(a) / sum(m) over the records with m > 0 (the clusters that
// hold data, as for the interval): the variance of the ratio estimator over clusters divided by
// the simple-random-sample variance r(1 - r)/sum(m). At least 1; 1 when it cannot be computed
// (fewer than two clusters with data, no case, every unit a case).
double DesignEffect(std::span<const ClusterRecord> records);

// By-cluster summary of a column of the analysis table: one record per distinct non-empty text
// of the CLUSTER column (column 2), in order of first appearance, with m = rows whose cell in
// `column` is non-empty and a = those among them whose value is below `cutoff` and above -20.
// The number of records is the cluster count to hand to DesignEffect.
std::vector<ClusterRecord> Cluster_Zusammenfassung(const core::TextGrid& table, int column,
                                                   double cutoff);

}  // namespace olvar::stats
