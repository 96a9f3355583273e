// olvar-cli convert: reads a survey file and saves it as a survey file, as Open followed by
// Save as would.

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/cli_commands.h"

namespace olvar::cli {

namespace {

struct ConvertArguments {
  std::string input_path;
  std::string output_path;
};

int run_convert(const ConvertArguments& args) {
  refuse_output_that_is_input(args.input_path, args.output_path);
  const auto tools = start_survey_tools();
  std::vector<core::SurveyReadWarning> warnings;
  core::Workspace workspace = read_survey(*tools, args.input_path, &warnings);
  const int saved =
      save_survey_to(*tools, workspace, args.output_path, {args.input_path}, "convert");
  return std::max(saved, status_after_reading(warnings, "convert", args.output_path));
}

}  // namespace

CommandAction add_convert_command(CLI::App& app) {
  auto args = std::make_shared<ConvertArguments>();
  CLI::App* command = app.add_subcommand(
      "convert",
      "Read a survey file and save it as a survey file (.as); an existing output "
      "file is kept as .bak. Exit status 2 when data of the input could not be kept "
      "(rows beyond 65,534, variables beyond 255, mortality lines)");
  command->add_option("INPUT", args->input_path, "Survey file to read")->required();
  command->add_option("OUTPUT", args->output_path, "Survey file to write")->required();
  return [args] { return run_convert(*args); };
}

}  // namespace olvar::cli
