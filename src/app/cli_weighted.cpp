// olvar-cli weighted: the weighted analysis table of a survey file, as the spreadsheet gets it.

#include <memory>
#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "core/settings_record.h"
#include "document/office_hand_off.h"
#include "reports/plausibility_report.h"
#include "reports/weighted_analysis.h"

namespace olvar::cli {

namespace {

struct WeightedArguments {
  std::string input_path;
  std::string output_path;
};

int run_weighted(const WeightedArguments& args) {
  if (!args.output_path.empty()) refuse_output_that_is_input(args.input_path, args.output_path);
  const auto tools = start_survey_tools();
  std::vector<core::SurveyReadWarning> warnings;
  const core::Workspace workspace = read_survey(*tools, args.input_path, &warnings);
  const workspace::AppContext& app = tools->app;
  const char separator = app.dates.decimal_separator;
  // The options in force: those of the settings with the survey's own over them, as the
  // desktop program shows them once the survey is open.
  const core::OptionsPage options = reports::report_options(app.settings, workspace, separator);
  reports::WeightedAnalysisInputs inputs;
  inputs.decimal_separator = separator;
  inputs.who_reference = app.settings.reference != core::kReferenceNchs;
  const reports::WeightedAnalysis values =
      reports::weighted_analysis_values(workspace.survey, options, inputs);
  std::string table = reports::weighted_analysis_table(values, tools->tables.text, separator).text();
  // As the spreadsheet hand-off writes it: the table and one line break.
  table += document::kLineBreak;
  write_output(args.output_path, table);
  return status_after_reading(warnings, "weighted",
                              args.output_path.empty() ? "the table" : args.output_path);
}

}  // namespace

CommandAction add_weighted_command(CLI::App& app) {
  auto args = std::make_shared<WeightedArguments>();
  CLI::App* command = app.add_subcommand(
      "weighted",
      "Weighted analysis of a survey file (.as): each child counts with its weighting factor "
      "(WTFACTOR; missing or negative counts as 1). Writes the tab-separated table that the "
      "spreadsheet gets (Windows-1252, lines ended by LF): for sexes combined, males, females "
      "and by cluster, and for WHZ, HAZ and WAZ, per age group (or cluster) the weighted N, the "
      "weighted % below -3 and -2 SD (WHZ: or oedema; also above +1, +2, +3 SD) with 95% "
      "confidence intervals, and the weighted mean and SD. The z-scores flagged by the "
      "exclusion in force are left out. The survey file is not changed");
  command->add_option("SURVEY", args->input_path, "Survey file (.as)")->required();
  command->add_option("-o,--output", args->output_path, "Table file (standard output without it)");
  return [args] { return run_weighted(*args); };
}

}  // namespace olvar::cli
