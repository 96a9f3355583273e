#pragma once
// The statistical calculator: ad hoc statistics on any variable of the open survey, written as
// the lines of its result box. One run goes through a pass over all records and a pass for each
// value range of the main variable; each pass gives the descriptive statistics of the main
// variable and its cross tables against up to four other variables, and the first pass the
// prevalence of a condition with its 95% interval and design effect for the cluster sample. The
// desktop window and `olvar-cli calc` show the same lines.
//
// Two stages: calculator_values (calculator_values.h) computes the figures as plain values,
// calculator_lines lays them out; Calculate does both.
//
//   CalculatorInputs in;
//   in.main_column = core::column(core::StdVar::whz);
//   in.main_kind = VariableKind::continuous;
//   in.prevalence = {core::column(core::StdVar::whz), "<", "-2", {}};
//   const analysis::AnalysisOptions analysis = analysis_options(options, '.');
//   const CalculatorValues v = calculator_values(workspace.survey, analysis, in);
//   for (const std::string& line : calculator_lines(v, analysis.decimal_separator)) show(line);
//   // or in one step, with the messages:  Calculate(workspace.survey, analysis, in)

#include <string>
#include <string_view>
#include <vector>

#include "calculator/calculator_values.h"
#include "core/options_page.h"
#include "core/survey_table.h"
#include "analysis/analysis_table.h"

namespace olvar::calculator {

inline constexpr std::string_view kResultsLine = "Results:";
inline constexpr std::string_view kTooManyCases = "Too many cases in variable!";
// Language entries of the window: the heading of the exported table and the note box.
inline constexpr int kExportHeadingEntry = 881;
inline constexpr int kNoteEntries[] = {882, 883, 884};

struct CalculatorResult {
  std::vector<std::string> lines;     // the result box, "Results:" first (Windows-1252)
  std::vector<std::string> messages;  // for message boxes, each text once
};

// The analysis the calculator reads: the selection and the flags in force on the Options page.
analysis::AnalysisOptions analysis_options(const core::OptionsPage& options, char decimal_separator);

// The result box's lines for the values: "Results:" first, numbers written with the decimal
// separator given. Users' scripts read these lines from `olvar-cli calc`: their wording and
// layout stay as they are.
std::vector<std::string> calculator_lines(const CalculatorValues& values, char decimal_separator);

// The texts for message boxes: "Too many cases in variable!" once when some variable has more
// than 999 categories.
std::vector<std::string> calculator_messages(const CalculatorValues& values);

// calculator_values, then its lines (with the options' decimal separator) and messages. Bad
// input never stops the run: a range or a prevalence box that does not hold a number, a variable
// without values in the selection and records that cannot be placed in a cluster each get a
// line that says so.
CalculatorResult Calculate(const core::SurveyTable& survey, const analysis::AnalysisOptions& options,
                           const CalculatorInputs& inputs);

// The text handed to the spreadsheet program: the heading (Language entry 881) and two line
// feeds, then the result lines after "Results:" up to the first empty one, each ending in a line
// feed; every "; " becomes a tab, so that the parts of a line fill cells side by side.
std::string export_text(const std::vector<std::string>& lines, std::string_view heading);

}  // namespace olvar::calculator
