// olvar-cli calc: the statistical calculator's result lines for a survey file, as the desktop
// window's result box shows them.

#include <cmath>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "calculator/calculator_variables.h"
#include "calculator/statistical_calculator.h"
#include "core/text_conversions.h"
#include "core/windows1252.h"
#include "reports/plausibility_report.h"

namespace olvar::cli {

namespace {

struct CalcArguments {
  std::string input_path;
  std::string variable;
  std::string kind;
  std::vector<std::string> ranges;
  std::vector<std::string> crosses;
  std::string prevalence;
  std::string op;
  std::string cutoff;
  std::string prevalence_range;
  bool no_descriptive = false;
};

calculator::VariableKind kind_of(const std::string& text) {
  if (text == "cat") return calculator::VariableKind::categorical;
  if (text == "cont") return calculator::VariableKind::continuous;
  throw std::runtime_error("the kind \"" + text + "\" is neither cat nor cont");
}

// LOW:HIGH, split at the first colon; both parts are kept as typed.
calculator::RangeBoxes range_of(const std::string& text, const std::string& option) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) {
    throw std::runtime_error(option + " \"" + text + "\" is not of the form LOW:HIGH");
  }
  return {text.substr(0, colon), text.substr(colon + 1)};
}

class Variables {
 public:
  Variables(const core::SurveyTable& survey, const std::string& path)
      : list_(calculator::variable_list(survey)), path_(path) {}

  int column(const std::string& name) const {
    if (const std::optional<int> c =
            calculator::variable_column(list_, survey_text_of_argument(name)))
      return *c;
    std::string known;
    for (const std::string& v : list_)
      known += (known.empty() ? "" : ", ") + core::windows1252_to_utf8(v);
    throw std::runtime_error("no variable \"" + name + "\" in " + path_ + " (variables: " + known +
                             ")");
  }

 private:
  std::vector<std::string> list_;
  std::string path_;
};

int run_calc(const CalcArguments& args) {
  const auto tools = start_survey_tools();
  std::vector<core::SurveyReadWarning> warnings;
  const core::Workspace workspace = read_survey(*tools, args.input_path, &warnings);
  const char separator = tools->app.dates.decimal_separator;
  const core::OptionsPage options =
      reports::report_options(tools->app.settings, workspace, separator);
  const analysis::AnalysisOptions analysis = calculator::analysis_options(options, separator);

  // A kind not given is proposed as the window proposes it when the variable is chosen.
  const analysis::AnalysisTable table =
      analysis::RemoveAllNonPlausible_Zscores(workspace.survey, analysis);
  const Variables variables(workspace.survey, args.input_path);

  calculator::CalculatorInputs in;
  in.main_column = variables.column(args.variable);
  in.main_kind = args.kind.empty() ? calculator::classify_variable(table.table, in.main_column)
                                   : kind_of(args.kind);
  if (args.ranges.size() > calculator::kRangePairs) {
    throw std::runtime_error("at most 5 ranges (--range)");
  }
  for (std::size_t i = 0; i < args.ranges.size(); ++i) {
    in.ranges[i] = range_of(args.ranges[i], "--range");
  }
  if (args.crosses.size() > calculator::kCrossings) {
    throw std::runtime_error("at most 4 crossing variables (--cross)");
  }
  for (std::size_t i = 0; i < args.crosses.size(); ++i) {
    std::string name = args.crosses[i];
    std::string kind;
    const std::size_t colon = name.rfind(':');
    if (colon != std::string::npos &&
        (name.substr(colon + 1) == "cat" || name.substr(colon + 1) == "cont")) {
      kind = name.substr(colon + 1);
      name.resize(colon);
    }
    calculator::CrossingChoice& crossing = in.crossings[i];
    crossing.column = variables.column(name);
    crossing.kind =
        kind.empty() ? calculator::classify_variable(table.table, crossing.column) : kind_of(kind);
  }
  in.descriptive = !args.no_descriptive;
  if (!args.prevalence.empty()) {
    in.prevalence.column = variables.column(args.prevalence);
    in.prevalence.op = args.op;
    in.prevalence.cutoff = args.cutoff;
    if (!args.prevalence_range.empty()) {
      in.prevalence.range = range_of(args.prevalence_range, "--prevalence-range");
    }
  } else if (!args.op.empty() || !args.cutoff.empty() || !args.prevalence_range.empty()) {
    throw std::runtime_error("--operator, --cut-off and --prevalence-range need --prevalence");
  }

  const calculator::CalculatorResult result = calculator::Calculate(workspace.survey, analysis, in);
  for (const std::string& message : result.messages) {
    std::cerr << "olvar-cli calc: " << core::windows1252_to_utf8(message) << "\n";
  }
  std::string lines;
  for (const std::string& line : result.lines) lines += core::windows1252_to_utf8(line) + "\n";
  write_to_standard_output(lines);
  return status_after_reading(warnings, "calc", "standard output");
}

}  // namespace

CommandAction add_calc_command(CLI::App& app) {
  auto args = std::make_shared<CalcArguments>();
  CLI::App* command = app.add_subcommand(
      "calc",
      "Statistical calculator: descriptive statistics of a variable of a survey file (.as), the "
      "same for value ranges, cross tables and a prevalence with its 95% confidence interval and "
      "design effect; prints the result box's lines, one per line. The z-scores flagged by the "
      "exclusion in force are left out, as in every analysis.");
  command->footer(
      "Examples:\n"
      "  olvar-cli calc survey.as --var WHZ --range -3:-2 --range -2:-1 --cross SEX\n"
      "  olvar-cli calc survey.as --var SEX --cross WHZ:cont --cross EDEMA\n"
      "  olvar-cli calc survey.as --var WHZ --prevalence WHZ --operator \"<\" --cut-off -2\n"
      "  olvar-cli calc survey.as --var MUAC --prevalence MUAC --prevalence-range 115:124.9");
  command->add_option("FILE", args->input_path, "Survey file (.as)")
      ->required();
  command->add_option("--var", args->variable, "The main variable (box \"Variable\"), by name")
      ->required();
  command
      ->add_option("--kind", args->kind,
                   "How the main variable is read: cat (categories) or cont (numbers); "
                   "without it, as the window proposes")
      ->check(CLI::IsMember({"cat", "cont"}));
  command
      ->add_option("--range", args->ranges,
                   "A value range LOW:HIGH of the main variable, bounds included (box "
                   "\"Broken down\"); up to 5, each a pass of its own")
      ->allow_extra_args(false);
  command
      ->add_option("--cross", args->crosses,
                   "A crossing variable NAME, optionally NAME:cat or NAME:cont (box "
                   "\"Crosstable with\"); up to 4")
      ->allow_extra_args(false);
  command->add_flag("--no-descriptive", args->no_descriptive,
                    "Leave out the descriptive statistics lines (\"Descriptive Statistics\" not "
                    "ticked)");
  command->add_option("--prevalence", args->prevalence,
                      "The variable of a prevalence rate for the cluster sample (box "
                      "\"Prevalence rate\"); without --operator/--cut-off or --prevalence-range "
                      "one rate per category");
  command->add_option("--operator", args->op, "Cut-off operator of the prevalence: <, >, <=, >=")
      ->check(CLI::IsMember({"<", ">", "<=", ">="}));
  command
      ->add_option("--cut-off", args->cutoff, "Cut-off value of the prevalence (a finite number)")
      ->check(CLI::Validator(
          [](const std::string& text) {
            // "nan" or "inf" would compare false with every value and count no child.
            const std::optional<float> value = core::parse_number(text);
            return value && std::isfinite(*value) ? std::string()
                                                  : "\"" + text + "\" is not a finite number";
          },
          "NUMBER"));
  command->add_option("--prevalence-range", args->prevalence_range,
                      "Range LOW:HIGH of the prevalence (bounds included), instead of a cut-off");
  return [args] { return run_calc(*args); };
}

}  // namespace olvar::cli
