#pragma once
// The figures of the plausibility check as plain values: every count, statistic and p-value
// behind the report's sections, the ten scored criteria and the per-team breakdown. One builder
// computes them; the report lays its RTF out from them, and other callers and tests read them
// without parsing any text.
//
//   const PlausibilityValues v = plausibility_values(workspace, context);
//   if (v.teams.size() > 1) print(v.teams[0].flagged_percent[0]);
//   print(v.criteria[6].value, v.criteria[6].points);  // SD of WHZ after Kandu flags
//
// Built on a working copy of the survey (WHO 2006 z-scores, later sorted by CLUSTER and ID for
// the clustering and the time points); the caller's workspace is never touched.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "anthro/row_evaluation.h"
#include "anthro/who_reference.h"
#include "core/language_table.h"
#include "core/options_page.h"
#include "core/survey_sort.h"
#include "core/workspace.h"
#include "stats/dispersion.h"
#include "stats/shape_statistics.h"

namespace olvar::reports {

inline constexpr int kCriterionCount = 10;  // criteria 0 ... 9

struct PlausibilityContext {
  const core::LanguageTable& text;
  const anthro::WhoReference& who;
  // Row evaluation as configured; the check replaces the reference by WHO 2006.
  anthro::RowEvaluationSettings evaluation;
  // The Options page: age groups, expected proportions, Kandu offsets, selection, exclusion.
  core::OptionsPage options;
  // Where "noname.as" is saved; empty: no copy is saved (tests, benchmarks).
  std::filesystem::path writable_folder;
  // Progress texts for the window caption; may be empty.
  std::function<void(std::string_view)> show_caption;
  // The order of the sort by CLUSTER and ID behind the clustering and the time points: the one
  // the sort window chose last.
  core::SortOrder sort_order = core::SortOrder::ascending;
};

// One scored criterion as the summary shows it.
struct CriterionScore {
  std::string value;  // the printed value, trimmed; empty when it could not be computed
  int points = 0;
  // Whether the value was computed (and reads as a number): a criterion that was not scores 0
  // and the summary says so, instead of showing it as a faultless 0.
  bool computed = false;
};

// Language entries of the summary for criteria that could not be computed: the text shown in
// place of their points, and the sentence after the overall score followed by "N of 10".
inline constexpr int kCriterionNotComputedEntry = 1355;
inline constexpr int kScoreCoversComputedEntry = 1356;

// A data row as the report names it: its line number and its ID as typed.
struct RowRef {
  int row = 0;
  std::string id;
};

// Rows without a value in one of SEX, MONTHS, WEIGHT, HEIGHT.
struct MissingColumn {
  std::string heading;  // the column heading of the Survey table
  std::vector<RowRef> rows;
};

struct OutOfRangeValue {
  RowRef child;
  double value = 0.0;  // months or cm
};

// The three indices in the order the report names them.
enum PlausibilityIndex { kWhz = 0, kHaz = 1, kWaz = 2 };

struct FlaggedChild {
  RowRef child;
  std::array<bool, 3> flagged{};           // WHZ, HAZ, WAZ outside the Kandu window
  std::array<std::string, 3> z_text;       // the cells as they stand
  int remark_entry = 0;                    // Language entry of the likely fault; 0: none
};

struct FlaggedZscores {
  // Means over all data rows with a value above -20 (single precision, as the flag tests read
  // them), and the numbers of such values.
  std::array<float, 3> mean{};
  std::array<int, 3> n{};
  std::array<int, 3> flagged{};
  std::vector<FlaggedChild> children;
  // flagged / n x 100, when n > 0.
  std::optional<double> percent(int index) const {
    const auto i = static_cast<std::size_t>(index);
    if (n[i] <= 0) return std::nullopt;
    return 100.0 * flagged[i] / n[i];
  }
};

// Children of 6-29 (a) and 30-59 months (b) against the expected ratio 0.85.
struct AgeRatio {
  int a = 0;
  int b = 0;
  double ratio = 0.0;  // a / b
  double p = 1.0;      // chi-square test, 1 degree of freedom
};

// The age and sex distribution over the five age groups of the Options page.
struct AgeSexValues {
  std::array<int, 5> boys{}, girls{};
  int all_boys = 0, all_girls = 0;  // whole range
  std::array<double, 5> width{};    // months per group
  // Expected numbers given all children, given the boys, given the girls.
  std::array<double, 5> expected_boys_all{}, expected_girls_all{};
  std::array<double, 5> expected_boys{}, expected_girls{};
  double expected_all_boys = 0.0, expected_all_girls = 0.0;
  std::optional<double> sex_ratio_p;  // overall sex ratio test (when both expectations > 0)
  // Age distribution tests (4 degrees of freedom): all children, boys, girls, both sexes.
  std::array<double, 4> chi{};
};

// Counts of the digit after the decimal separator and the digit preference score.
struct DigitValues {
  std::array<int, 10> counts{};
  int n = 0;
  double chi = 0.0;
  double dps = 0.0;
};

// One z-score column under one exclusion mode.
struct ShapeValues {
  std::int64_t n = 0;
  double mean = 0.0;
  double sd = 0.0;
  double pct_below_minus2 = 0.0;
  std::optional<double> shapiro_p;
  std::optional<stats::SkewnessKurtosis> shape;
};

// WHZ values of the k-th child of each cluster (time point k).
struct Timepoint {
  int k = 0;
  int n = 0;
  double sd = 0.0;
  int flagged = 0;  // outside the Kandu window of WHZ
};

struct Timepoints {
  std::vector<Timepoint> points;  // those with at least two values
  double average_n = 0.0;
};

// SD of one index for a team, without exclusion (two or more values).
struct TeamSd {
  std::optional<double> sd;
  double mean = 0.0;
  double pct_below_minus2 = 0.0;
};

struct TeamValues {
  std::string code;  // first 7 characters of TEAM
  int children = 0;  // rows with this team
  std::array<std::optional<double>, 3> flagged_percent;  // WHZ, HAZ, WAZ
  std::optional<double> age_ratio;                       // 6-29 / 30-59 months
  std::optional<double> sex_ratio;                       // boys / girls
  std::array<DigitValues, 3> digits;                     // WEIGHT, HEIGHT, MUAC
  std::array<TeamSd, 2> sd;                              // WHZ, HAZ
  AgeSexValues age_sex;
  Timepoints timepoints;
};

// The per-cluster case counts of the nine indicators and their index of dispersion.
struct ClusteringValues {
  std::vector<std::string> clusters;
  std::vector<std::array<double, 9>> counts;
  std::array<std::optional<stats::Dispersion>, 9> dispersion;
};

struct PlausibilityValues {
  std::string file_name;  // from its last slash on
  std::vector<std::pair<RowRef, RowRef>> duplicates;  // (later row, earlier row)
  // Groups of more than four equal rows, each in row order: one line each, not their pairs.
  std::vector<std::vector<RowRef>> duplicate_groups;
  std::vector<MissingColumn> missing;                 // columns with missing values only
  int missing_birth_dates_percent = 0;
  std::string months_heading, height_heading;
  std::vector<OutOfRangeValue> ages_out_of_range, heights_out_of_range;
  FlaggedZscores flagged;
  std::array<int, 73> children_by_month{};  // MONTHS rounded, 1 ... 72
  std::optional<AgeRatio> age_ratio;        // when there are children of 30-59 months
  AgeSexValues age_sex;
  std::array<int, 12> births_by_month{};
  std::array<DigitValues, 3> digits;  // WEIGHT, HEIGHT, MUAC
  // [index WHZ, HAZ, WAZ][mode none, Epi Info 6 flags, Kandu flags]
  std::array<std::array<ShapeValues, 3>, 3> shape;
  bool any_mean = false;  // some flagged-z-score mean differs from 0 (Shapiro-Wilk shown)
  ClusteringValues clustering;
  Timepoints timepoints;
  std::vector<TeamValues> teams;  // sorted by code; the per-team section needs two or more
  std::array<CriterionScore, kCriterionCount> criteria;
  int total = 0;
  int grade_entry = 1159;
  int criteria_computed = 0;  // the total and its grade cover only these criteria
};

// Computes every figure of the report. Throws core::SurveyFileError when the copy "noname.as"
// cannot be written.
PlausibilityValues plausibility_values(const core::Workspace& workspace,
                                       const PlausibilityContext& context);

// The points of criterion N for its printed value, compared as a decimal with the limits of the
// criteria table; an empty or unreadable value scores 0.
int criterion_points(int criterion, std::string_view printed_value);
// A printed value as the number it reads as; nothing for an empty or unreadable text.
std::optional<double> printed_number(std::string_view printed_value);
// The Language entry of the grade of a total score: 1159 (0-9), 1160 (10-14), 1161 (15-24),
// 1162 (above 24).
int grade_entry(int total);

}  // namespace olvar::reports
