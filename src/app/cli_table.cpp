// olvar-cli table: the Survey table of a survey file as tab-separated UTF-8 text.

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "core/survey_table_text.h"
#include "core/windows1252.h"

namespace olvar::cli {

namespace {

int run_table(const std::string& input_path) {
  const auto tools = start_survey_tools();
  std::vector<core::SurveyReadWarning> warnings;
  const core::Workspace workspace = read_survey(*tools, input_path, &warnings);
  write_to_standard_output(core::windows1252_to_utf8(core::survey_table_text(workspace.survey)));
  return status_after_reading(warnings, "table", "the table");
}

}  // namespace

CommandAction add_table_command(CLI::App& app) {
  auto input_path = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "table", "Print the Survey table of a survey file (.as) as tab-separated UTF-8 text, "
               "with the z-scores worked out as the program does on opening it");
  command->add_option("INPUT", *input_path, "Survey file")->required();
  return [input_path] { return run_table(*input_path); };
}

}  // namespace olvar::cli
