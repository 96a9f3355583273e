// olvar-cli export: a survey file as the table "Copy Data to Excel" hands to the spreadsheet:
// the entered values with the NCHS and WHO z-scores, flags, MUAC-for-age and the height-age.

#include <memory>
#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "formats/export_table.h"

namespace olvar::cli {

namespace {

struct ExportArguments {
  std::string survey_path;
  std::string output_path;
};

int run_export(const ExportArguments& args) {
  if (!args.output_path.empty()) refuse_output_that_is_input(args.survey_path, args.output_path);
  const auto tools = start_survey_tools();
  if (!tools->tables.who.found()) {
    throw std::runtime_error(tools->tables.messages.empty() ? "the WHO reference table is missing"
                                                            : tools->tables.messages.front());
  }
  // The survey as read gives the options and the observed means of the Kandu flags; the table
  // is the file's Survey table as the reader finds it, its rows as stored.
  std::vector<core::SurveyReadWarning> warnings;
  const core::Workspace workspace = read_survey(*tools, args.survey_path, &warnings);
  const formats::ExportSettings settings =
      formats::export_settings(workspace.options, tools->app.dates);
  const std::string table =
      formats::export_survey_file(args.survey_path, formats::kandu_means(workspace.survey, settings),
                                  settings, tools->tables.who);
  write_output(args.output_path, table);
  return status_after_reading(warnings, "export",
                              args.output_path.empty() ? "standard output" : args.output_path);
}

}  // namespace

CommandAction add_export_command(CLI::App& app) {
  auto args = std::make_shared<ExportArguments>();
  CLI::App* command = app.add_subcommand(
      "export",
      "Export a survey file as a tab-separated table for the spreadsheet (as \"Copy Data to "
      "Excel\"): the entered values of each child with, for both references, WAZ, HAZ and WHZ "
      "(and WHO BMI-for-age), the NCHS percentages of the median, a flag column per reference, "
      "the MUAC-for-age z-score, the height-age and the MUAC-for-age z-score at the height-age");
  command->add_option("SURVEY", args->survey_path, "Survey file (.as)")->required();
  command->add_option("-o,--output", args->output_path,
                      "Table file, e.g. table.tsv (standard output without it)");
  return [args] { return run_export(*args); };
}

}  // namespace olvar::cli
