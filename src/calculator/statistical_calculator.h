#pragma once
// The statistical calculator: ad hoc statistics on any variable of the open survey, written as
// the lines of its result box. One run ("Calculate") goes through a pass over all records and a
// pass for each value range of the main variable; each pass writes the descriptive statistics
// of the main variable and its cross tables against up to four other variables, and the first
// pass the prevalence of a condition with its 95% interval and design effect for the cluster
// sample. The desktop window and `olvar-cli calc` show the same lines.
//
//   CalculatorInputs in;
//   in.main_column = core::column(core::StdVar::whz);
//   in.main_kind = VariableKind::continuous;
//   in.prevalence = {core::column(core::StdVar::whz), "<", "-2", {}};
//   const CalculatorResult r = Calculate(workspace.survey, analysis_options(options, '.'), in);
//   for (const std::string& line : r.lines) show(line);

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "calculator/calculator_variables.h"
#include "core/options_page.h"
#include "core/survey_table.h"
#include "reports/analysis_table.h"

namespace olvar::calculator {

inline constexpr std::string_view kResultsLine = "Results:";
inline constexpr std::string_view kTooManyCases = "Too many cases in variable!";
inline constexpr int kMaxCategories = 999;  // entries of a category list
inline constexpr int kMaxClusters = 999;    // cluster numbers of the cluster tally

// Language entries of the window: the heading of the exported table and the note box.
inline constexpr int kExportHeadingEntry = 881;
inline constexpr int kNoteEntries[] = {882, 883, 884};

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

struct CalculatorResult {
  std::vector<std::string> lines;     // the result box, "Results:" first (Windows-1252)
  std::vector<std::string> messages;  // for message boxes, each text once
};

// The analysis the calculator reads: the selection and the flags in force on the Options page.
reports::AnalysisOptions analysis_options(const core::OptionsPage& options, char decimal_separator);

// Runs every pass. Each pass reads the analysis table rebuilt from `survey` with the flagged
// z-scores blanked (RemoveAllNonPlausible_Zscores); a range pass then blanks the records whose
// main variable is a number outside the range. Numbers are written with the decimal separator
// given. Bad input never stops the run: a range or a prevalence box that does not hold a number,
// a variable without values in the selection and records that cannot be placed in a cluster
// each get a line that says so.
CalculatorResult Calculate(const core::SurveyTable& survey, const reports::AnalysisOptions& options,
                           const CalculatorInputs& inputs);

// The text handed to the spreadsheet program: the heading (Language entry 881) and two line
// feeds, then the result lines after "Results:" up to the first empty one, each ending in a line
// feed; every "; " becomes a tab, so that the parts of a line fill cells side by side.
std::string export_text(const std::vector<std::string>& lines, std::string_view heading);

}  // namespace olvar::calculator
