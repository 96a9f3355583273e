// olvar-cli merge: several survey files in one, as the Extras menu's "Merge surveys" does.

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "formats/merge.h"

namespace olvar::cli {

namespace {

struct MergeArguments {
  std::vector<std::string> input_paths;
  std::string output_path;
};

int run_merge(const MergeArguments& args) {
  for (const std::string& input : args.input_paths)
    refuse_output_that_is_input(input, args.output_path);
  const auto tools = start_survey_tools();
  std::vector<core::Workspace> surveys;
  int status = kExitDone;
  for (const std::string& input : args.input_paths) {
    std::vector<core::SurveyReadWarning> warnings;
    surveys.push_back(read_survey(*tools, input, &warnings));
    status = std::max(status, status_after_reading(warnings, "merge", args.output_path));
  }
  core::Workspace merged = formats::merge_surveys(surveys);
  save_survey_to(*tools, merged, args.output_path, args.input_paths, "merge");
  return status;
}

}  // namespace

CommandAction add_merge_command(CLI::App& app) {
  auto args = std::make_shared<MergeArguments>();
  CLI::App* command =
      app.add_subcommand("merge",
                         "Merge survey files into one (.as): the children of each in list order, "
                         "variables matched by name, and the household mortality rows");
  command->add_option("INPUTS", args->input_paths, "Survey files to merge")->required();
  command->add_option("-o,--output", args->output_path, "Survey file to write")->required();
  return [args] { return run_merge(*args); };
}

}  // namespace olvar::cli
