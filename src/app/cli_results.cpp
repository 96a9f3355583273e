// olvar-cli results: the lines of the Results Anthropometry page for one index and grouping, as
// tab-separated text.

#include <map>
#include <memory>
#include <string>

#include "app/cli_commands.h"
#include "core/windows1252.h"
#include "reports/plausibility_report.h"
#include "reports/results_page.h"

namespace olvar::cli {

namespace {

struct ResultsArguments {
  std::string input_path;
  std::string index = "whz";
  std::string by = "all";
};

const std::map<std::string, reports::ResultsIndex> kIndices = {
    {"whz", reports::ResultsIndex::whz},
    {"waz", reports::ResultsIndex::waz},
    {"haz", reports::ResultsIndex::haz},
    {"muac", reports::ResultsIndex::muac}};
const std::map<std::string, reports::ResultsGrouping> kGroupings = {
    {"all", reports::ResultsGrouping::all},
    {"sex", reports::ResultsGrouping::sex},
    {"cluster", reports::ResultsGrouping::cluster},
    {"age", reports::ResultsGrouping::age}};

int run_results(const ResultsArguments& args) {
  const auto tools = start_survey_tools();
  std::vector<core::SurveyReadWarning> warnings;
  const core::Workspace workspace = read_survey(*tools, args.input_path, &warnings);
  const char separator = tools->app.dates.decimal_separator;
  // The exclusion, flag bounds, selection, cut-offs and age groups in force for this survey, as
  // the desktop program shows them on opening it. The small-population correction is a box of
  // the Planning page that is not stored with the survey: never ticked here.
  const core::OptionsPage options =
      reports::report_options(tools->app.settings, workspace, separator);
  reports::ResultsPageInputs in = reports::results_page_inputs(options, {}, separator);
  in.index = kIndices.at(args.index);
  in.grouping = kGroupings.at(args.by);
  const reports::ResultsPageValues values = reports::results_page_values(workspace.survey, in);
  std::string out = "line\ttext\n";
  int number = 0;
  for (const std::string& line : reports::MainTextResults(values, in, *tools->app.text)) {
    out += std::to_string(++number) + "\t" + core::windows1252_to_utf8(line) + "\n";
  }
  write_to_standard_output(out);
  return status_after_reading(warnings, "results", "the result lines");
}

}  // namespace

CommandAction add_results_command(CLI::App& app) {
  auto args = std::make_shared<ResultsArguments>();
  CLI::App* command = app.add_subcommand(
      "results",
      "The result lines of the Results Anthropometry page for a survey file (.as): prevalences "
      "with 95% confidence intervals for all children, boys and girls, the oedema share, the "
      "mean and SD, the design effect and the counts of missing and excluded z-scores; for MUAC "
      "by age the MUAC classes per age band; by cluster or age the group means. Children whose "
      "CLUSTER is not a whole number from 1 to 999 are in no prevalence; line 29 then gives their "
      "number. The exclusion, MUAC cut-offs and age groups are those stored with the survey and "
      "the settings.");
  command->footer(
      "Output: tab-separated UTF-8 text, a header line first, then one line per result line:\n"
      "  line   the line number on the page (1, 2, ...; empty lines are listed too)\n"
      "  text   the line as the page shows it\n"
      "Examples:\n"
      "  olvar-cli results survey.as\n"
      "  olvar-cli results survey.as --index muac --by age");
  command->add_option("FILE", args->input_path, "Survey file (.as)")->required();
  command
      ->add_option("--index", args->index,
                   "The index: whz (weight-for-height, the default), waz, haz or muac")
      ->check(CLI::IsMember({"whz", "waz", "haz", "muac"}));
  command
      ->add_option("--by", args->by,
                   "The grouping: all (the default), sex, cluster (group means by cluster) or "
                   "age (group means by age band; MUAC classes by age band for muac)")
      ->check(CLI::IsMember({"all", "sex", "cluster", "age"}));
  return [args] { return run_results(*args); };
}

}  // namespace olvar::cli
