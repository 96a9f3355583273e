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
  std::vector<core::SurveyReadWarning> warnings;
  for (const std::string& input : args.input_paths) {
    std::vector<core::SurveyReadWarning> read;
    surveys.push_back(read_survey(*tools, input, &read));
    warnings.insert(warnings.end(), read.begin(), read.end());
  }
  // Said before anything is written, and the output is only said to lack data once it was.
  core::Workspace merged = formats::merge_surveys(surveys);
  bool left_out = false;
  for (std::size_t i = 0; i < surveys.size(); ++i) {
    for (const std::string& what : formats::left_out_by_merge(surveys[i])) {
      std::cerr << "olvar-cli merge: " << what << " of " << args.input_paths[i]
                << " are not merged\n";
      left_out = true;
    }
  }
  int status = save_survey_to(*tools, merged, args.output_path, args.input_paths, "merge");
  status = std::max(status, status_after_reading(warnings, "merge", args.output_path));
  if (left_out && status == kExitDone) {
    std::cerr << "olvar-cli merge: " << args.output_path
              << " was written without the data the lines above name\n";
  }
  return left_out ? kExitDataNotKept : status;
}

}  // namespace

CommandAction add_merge_command(CLI::App& app) {
  auto args = std::make_shared<MergeArguments>();
  CLI::App* command =
      app.add_subcommand("merge",
                         "Merge survey files into one (.as): the children of each in list order, "
                         "variables matched by name, and the household mortality rows. Training "
                         "measurements and individual mortality data are not merged: an input "
                         "holding them gives exit status 2");
  command->add_option("INPUTS", args->input_paths, "Survey files to merge")->required();
  command->add_option("-o,--output", args->output_path, "Survey file to write")->required();
  return [args] { return run_merge(*args); };
}

}  // namespace olvar::cli
