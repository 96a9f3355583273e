// olvar-cli convert: reads a survey file and saves it as a survey file, as Open followed by
// Save as would.

#include <iostream>
#include <memory>
#include <string>

#include "app/cli_commands.h"

namespace olvar::cli {

namespace {

struct ConvertArguments {
  std::string input_path;
  std::string output_path;
};

int run_convert(const ConvertArguments& args) {
  const auto tools = start_survey_tools();
  core::Workspace workspace = read_survey(*tools, args.input_path);
  workspace.file_name = args.output_path;
  bool filter_active = false;
  const anthro::SaveResult saved = anthro::save_survey(workspace, tools->session(), filter_active);
  if (!saved.failure_message.empty()) throw std::runtime_error(saved.failure_message);
  // A name holding ".txt" goes through Save as, which asks for a name nobody can give here.
  if (!saved.outcome.saved) {
    throw std::runtime_error("not saved: give the output a name ending in \".as\"");
  }
  return 0;
}

}  // namespace

CommandAction add_convert_command(CLI::App& app) {
  auto args = std::make_shared<ConvertArguments>();
  CLI::App* command = app.add_subcommand(
      "convert", "Read a survey file and save it as a survey file (.as); an existing output "
                 "file is kept as .bak");
  command->add_option("INPUT", args->input_path, "Survey file to read")->required();
  command->add_option("OUTPUT", args->output_path, "Survey file to write")->required();
  return [args] { return run_convert(*args); };
}

}  // namespace olvar::cli
