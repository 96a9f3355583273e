// olvar-cli pyramid: the population pyramid of a survey file's individual mortality data as an
// SVG picture. The survey file is only read.

#include <iostream>
#include <memory>
#include <string>

#include "app/cli_commands.h"
#include "core/workspace.h"
#include "graphs/svg_renderer.h"
#include "mortality/death_rates.h"
#include "mortality/pyramid.h"
#include "platform/safe_write.h"

namespace olvar::cli {

namespace {

struct PyramidArguments {
  std::string input_path;
  std::string output_path;
};

int run_pyramid(const PyramidArguments& args) {
  if (platform::is_same_file(args.input_path, args.output_path)) {
    throw std::runtime_error("the output " + args.output_path +
                             " is the survey file itself; choose another file");
  }
  const auto tools = start_survey_tools();
  std::vector<core::SurveyReadWarning> warnings;
  const core::Workspace workspace = read_survey(*tools, args.input_path, &warnings);
  // The bars are person-equivalents, which do not depend on the recall period; any period
  // serves when the survey's own is not readable.
  const int days = mortality::read_recall_period(mortality::recall_period_text(workspace))
                       .days.value_or(1);
  const mortality::IndividualResults results = mortality::individual_results(
      workspace.mortality_individuals,
      mortality::age_groups(mortality::AgeGrouping::five_years, workspace.options), days);
  const std::string output = checked_output(args.output_path);
  if (output.empty()) throw std::runtime_error("give the picture a file name with -o");
  platform::write_file_safely(output, graphs::svg_of(mortality::population_pyramid(results)));
  if (results.persons_with_unusable_cluster > 0) {
    std::cerr << "olvar-cli pyramid: "
              << mortality::persons_left_out_text(results.persons_with_unusable_cluster) << "\n";
  }
  return status_after_reading(warnings, "pyramid", output);
}

}  // namespace

CommandAction add_pyramid_command(CLI::App& app) {
  auto args = std::make_shared<PyramidArguments>();
  CLI::App* command = app.add_subcommand(
      "pyramid",
      "Draw the population pyramid of a survey file's individual mortality data (18 five-year "
      "age groups of person-equivalents, males left, females right) as an SVG picture");
  command->add_option("SURVEY", args->input_path, "Survey file (.as)")
      ->required();
  command->add_option("-o,--output", args->output_path, "SVG file to write")->required();
  return [args] { return run_pyramid(*args); };
}

}  // namespace olvar::cli
