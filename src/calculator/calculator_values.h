#pragma once
// The statistical calculator's figures as plain values, before any of them is written as text:
// per pass (all records, then each value range of the main variable) the descriptive result of
// the main variable and of each crossing, for the pass over all records the prevalence of a
// condition, and the notes on what had to be left out. statistical_calculator.h lays them out.
//
//   const CalculatorValues v = calculator_values(survey, options, in);
//   const stats::ColumnSummary& whz = std::get<stats::ColumnSummary>(*v.passes[0].descriptive);
//   if (v.prevalence)
//     if (auto* f = std::get_if<PrevalenceFigures>(&v.prevalence->rates[0].result))
//       print(f->percent, f->lower, f->upper, f->design_effect);

#include <array>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "calculator/calculator_variables.h"
#include "core/survey_table.h"
#include "analysis/analysis_table.h"
#include "stats/category_count.h"
#include "stats/column_summary.h"

namespace olvar::calculator {

inline constexpr int kMaxCategories = 999;  // entries of a category list
inline constexpr int kMaxClusters = 999;    // cluster numbers of the cluster tally

// A pair of "from (low)*" / "to (high)*" boxes, as typed. It takes part only when both hold text.
struct RangeBoxes {
  std::string from;
  std::string to;
  bool takes_part() const { return !from.empty() && !to.empty(); }
};

// A crossing list: the column chosen (0 while the list is empty) and its "cat." / "cont" choice.
struct CrossingChoice {
  int column = 0;
  VariableKind kind = VariableKind::categorical;
};

// The box "Prevalence rate": the variable (0: none selected), a cut-off made of the operator
// list ("<", ">", "<=", ">=") and the value box, or a range.
struct PrevalenceChoice {
  int column = 0;
  std::string op;
  std::string cutoff;
  RangeBoxes range;
};

inline constexpr int kRangePairs = 5;
inline constexpr int kCrossings = 4;

struct CalculatorInputs {
  int main_column = 2;  // the box "Variable"; CLUSTER at opening
  VariableKind main_kind = VariableKind::categorical;
  std::array<RangeBoxes, kRangePairs> ranges;        // "Broken down"
  std::array<CrossingChoice, kCrossings> crossings;  // "Crosstable with"
  bool descriptive = true;                           // "Descriptive Statistics"
  PrevalenceChoice prevalence;
};

// What one variable gives over a set of records: a summary of numbers for a variable read as
// continuous, counts per category (codes in order of first appearance, at most 999) for one
// read as categorical.
using Summary = std::variant<stats::ColumnSummary, stats::CategoryCounts>;

struct CategorySummary {
  std::string category;  // the main variable's code as it stands in the table
  Summary summary;       // the crossing variable over the records of that code
};

struct CrossingValues {
  std::string variable;  // the crossing variable's name
  // A continuous main variable: the crossing variable over the records of the pass whose main
  // variable lies in the pass's bounds.
  std::optional<Summary> selected;
  // A categorical main variable: one per category of the main variable; none when the main
  // variable has no values in the pass.
  std::vector<CategorySummary> by_category;
};

struct PassValues {
  int range = 0;      // 0: all records; 1 ... 5: the pair of "Broken down" boxes
  RangeBoxes bounds;  // as typed (range passes)
  // The range is left out because its bounds are not both numbers; nothing below is filled.
  bool bounds_unreadable = false;
  std::optional<Summary> descriptive;  // the main variable, when "Descriptive Statistics" is ticked
  std::vector<CrossingValues> crossings;  // in the order of the crossing lists, empty ones skipped
};

// --- Prevalence ------------------------------------------------------------------------------

// Which records are cases: a cut-off, a range (bounds included), one category, or the variable
// as a whole (only for a line about the variable, never with figures).
struct CutoffCondition {
  std::string op;      // as chosen
  std::string cutoff;  // as typed
};
struct RangeCondition {
  RangeBoxes range;  // as typed
};
struct CategoryCondition {
  std::string category;
};
struct WholeVariable {};
using PrevalenceCondition =
    std::variant<CutoffCondition, RangeCondition, CategoryCondition, WholeVariable>;

// The prevalence over the records placed in clusters 1 ... 999 that have a value of the variable.
struct PrevalenceFigures {
  int cases = 0;
  int n = 0;
  double percent = 0.0;  // cases / n x 100
  double lower = 0.0;    // 95% interval for the cluster sample, in percent
  double upper = 0.0;
  double design_effect = 1.0;
};

// Why a condition has no figures.
enum class NoPrevalence {
  no_operator,          // a cut-off value without an operator
  unknown_operator,     // an operator other than <, >, <=, >=
  no_cutoff,            // an operator without a cut-off value
  cutoff_not_a_number,  // the cut-off value does not read as a number
  range_not_numbers,    // a range box that does not read as a number
  no_values,            // no record with a value in clusters 1 ... 999 (or no category at all)
  cluster_categories,   // categories of the cluster number itself: a cut-off or range is needed
};

struct PrevalenceRate {
  PrevalenceCondition condition;
  std::variant<PrevalenceFigures, NoPrevalence> result;
};

struct PrevalenceValues {
  std::string variable;  // its name
  // Records with a value whose CLUSTER is filled but not a whole number 1 ... 999: left out.
  int unplaced = 0;
  // The cut-off, then the range; without either, one rate per category (or one reason).
  std::vector<PrevalenceRate> rates;
};

// --- The whole run ---------------------------------------------------------------------------

struct CalculatorValues {
  bool variable_chosen = false;  // the main column exists; nothing else is filled without it
  std::string main_variable;     // its name
  VariableKind main_kind = VariableKind::categorical;
  // "Broken down" pairs (1 ... 5) with only one box filled: left out.
  std::vector<int> incomplete_ranges;
  // All records first, then each range pair that takes part, in box order.
  std::vector<PassValues> passes;
  // Of the pass over all records, when a prevalence variable is chosen.
  std::optional<PrevalenceValues> prevalence;
  // Some variable has more than 999 categories: only the first 999 are used.
  bool too_many_categories = false;
};

// Computes every pass. Each pass reads the analysis table rebuilt from `survey` with the flagged
// z-scores blanked (RemoveAllNonPlausible_Zscores); a range pass then blanks the records whose
// main variable is a number outside the range. Texts typed in boxes are read as numbers with
// the options' decimal separator. Bad input never stops the run: it is recorded where it
// belongs (incomplete or unreadable ranges, a prevalence without figures, unplaced records).
CalculatorValues calculator_values(const core::SurveyTable& survey,
                                   const analysis::AnalysisOptions& options,
                                   const CalculatorInputs& inputs);

}  // namespace olvar::calculator
