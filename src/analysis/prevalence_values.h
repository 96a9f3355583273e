#pragma once
// Prevalence of one family of case definitions (wasting by WHZ, underweight, stunting, MUAC,
// overweight, MUAC or WHZ) over the rows of an analysis table, with 95% intervals that respect
// the cluster design. Plain values: the results report and the results page lay them out.
//
//   PrevalenceValues v = prevalence_values(whz.table, PrevalenceFamily::whz_wasting, {});
//   if (v.n > 0) print(v.a.percent, v.a.interval.lower, v.a.interval.upper);
//
// A MUAC of 0, an empty MUAC or a MUAC that does not read as a number is no measurement: it is
// never present and never a case. A z-score counts as present when it reads above -20 (the
// analysis table has already blanked what the exclusion mode rejects).

#include <functional>
#include <string_view>

#include "core/text_grid.h"
#include "analysis/parsed_rows.h"
#include "stats/cluster_estimate.h"

namespace olvar::analysis {

enum class PrevalenceFamily {
  whz_wasting,     // n: WHZ or oedema; a: WHZ < -2 or oedema; b: -3 <= WHZ < -2, no oedema;
                   // c: WHZ < -3 or oedema
  waz,             // n: WAZ; a < -2; b in [-3, -2); c < -3
  haz,             // the same on HAZ
  muac,            // n: MUAC or oedema; a: MUAC < moderate or oedema; b: severe <= MUAC <
                   // moderate, no oedema; c: MUAC < severe or oedema
  whz_overweight,  // n: WHZ or oedema; a: WHZ > 2, no oedema; b: WHZ > 3, no oedema; c: none
  muac_or_whz,     // n: MUAC, WHZ or oedema; a: MUAC < moderate, WHZ < -2 or oedema;
                   // c: MUAC < severe, WHZ < -3 or oedema; b: in a but not in c
};

// Which children: everyone, boys (SEX "m") or girls (SEX "f").
enum class SexSubset { all, boys, girls };

struct MuacCutoffs {
  double severe = 115.0;    // mm
  double moderate = 125.0;  // mm
};

struct PrevalenceInputs {
  MuacCutoffs muac;
  SexSubset sex = SexSubset::all;
  char decimal_separator = '.';
  stats::PopulationCorrectionInputs planning;  // the small-population correction, when ticked
};

struct IndicatorValue {
  int count = 0;
  double percent = 0.0;  // count / n x 100; 0 when n is 0
  stats::IndicatorInterval interval;
};

// "Children left out because their CLUSTER is not a whole number from 1 to 999:", followed by
// their number where a page or report has left such children out.
inline constexpr int kLeftOutForClusterEntry = 1351;

struct PrevalenceValues {
  int n = 0;
  IndicatorValue a, b, c;  // global, moderate, severe
  int oedema = 0;          // oedema cases among n
  double oedema_percent = 0.0;
  int clusters = 0;        // largest cluster number: the records handed to the estimator
  // Rows with a filled CLUSTER that is not a whole number 1 ... 999: they cannot be placed in
  // a cluster and are left out of every count rather than distorting the interval.
  int rows_with_unusable_cluster = 0;
  stats::ClusterEstimate estimate;
};

// Counts and estimates one family over the rows whose CLUSTER is filled. The per-cluster
// records are the clusters 1 ... largest CLUSTER value (empty ones take no part).
PrevalenceValues prevalence_values(const core::TextGrid& table, PrevalenceFamily family,
                                   const PrevalenceInputs& inputs);
// The same over a table parsed once (parsed_rows.h), for callers that count many families.
PrevalenceValues prevalence_values(const ParsedRows& rows, PrevalenceFamily family,
                                   const PrevalenceInputs& inputs);

// How one row counts in a family: in n or not, and in which of the indicators.
struct RowCase {
  bool counted = false;  // in n
  bool a = false, b = false, c = false;
  bool oedema = false;
};

// The same counting and estimation for a case definition the families above do not name (the
// weight-for-height percent of median of the results report): `classify` is asked about every
// row whose CLUSTER is filled and whose SEX belongs to the subset.
PrevalenceValues prevalence_of_rows(const core::TextGrid& table, SexSubset sex,
                                    const std::function<RowCase(int row)>& classify);
PrevalenceValues prevalence_of_rows(const ParsedRows& rows, SexSubset sex,
                                    const std::function<RowCase(int row)>& classify);
// The same with the small-population correction of the Planning page.
PrevalenceValues prevalence_of_rows(const ParsedRows& rows, SexSubset sex,
                                    const stats::PopulationCorrectionInputs& planning,
                                    const std::function<RowCase(int row)>& classify);

// Whether a SEX cell belongs to the subset ("m" boys, "f" girls).
bool in_sex_subset(std::string_view sex, SexSubset subset);

// The cluster number of a CLUSTER text: a whole number 1 ... 999, otherwise 0.
int cluster_number(std::string_view text);

}  // namespace olvar::analysis
