// olvar-cli mortality-check: the mortality plausibility report of a survey file's individual
// mortality data, written as RTF. The survey file is only read.

#include <memory>
#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "core/workspace.h"
#include "document/office_hand_off.h"
#include "document/rtf.h"
#include "mortality/mortality_check.h"

namespace olvar::cli {

namespace {

struct MortalityCheckArguments {
  std::string input_path;
  std::string output_path;
};

int run_mortality_check(const MortalityCheckArguments& args) {
  if (!args.output_path.empty()) refuse_output_that_is_input(args.input_path, args.output_path);
  const auto tools = start_survey_tools();
  std::vector<core::SurveyReadWarning> warnings;
  const core::Workspace workspace = read_survey(*tools, args.input_path, &warnings);
  std::string document =
      mortality::mortality_plausibility_report(workspace.mortality_individuals, tools->tables.text);
  document += document::rtf::kDocumentEnd;
  document += document::kLineBreak;
  write_output(args.output_path, document);
  return status_after_reading(warnings, "mortality-check",
                              args.output_path.empty() ? "the report" : args.output_path);
}

}  // namespace

CommandAction add_mortality_check_command(CLI::App& app) {
  auto args = std::make_shared<MortalityCheckArguments>();
  CLI::App* command = app.add_subcommand(
      "mortality-check",
      "Write the mortality plausibility report of a survey file's individual mortality data "
      "(missing and contradictory entries, duplicate households, births and deaths per "
      "household, households by cluster, age histogram, sex and age ratios, dispersion tests) "
      "as RTF to a file or standard output");
  command->add_option("SURVEY", args->input_path, "Survey file (.as)")
      ->required();
  command->add_option("-o,--output", args->output_path, "RTF file to write (default: standard output)");
  return [args] { return run_mortality_check(*args); };
}

}  // namespace olvar::cli
