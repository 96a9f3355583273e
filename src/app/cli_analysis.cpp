// olvar-cli analysis: the batch analysis without the window, as `olvar FILE.as ANALYSIS` runs it.

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "formats/batch_analysis.h"
#include "platform/safe_write.h"

namespace olvar::cli {

namespace {

struct AnalysisArguments {
  std::string survey_path;
  std::string input_path;
  std::string output_path;
};

int run_analysis(const AnalysisArguments& args) {
  if (!args.output_path.empty()) {
    refuse_output_that_is_input(args.survey_path, args.output_path);
    refuse_output_that_is_input(args.input_path, args.output_path);
  }
  const auto tools = start_survey_tools();
  if (!tools->tables.who.found()) {
    throw std::runtime_error(tools->tables.messages.empty() ? "the WHO reference table is missing"
                                                            : tools->tables.messages.front());
  }
  std::vector<core::SurveyReadWarning> warnings;
  const core::Workspace workspace = read_survey(*tools, args.survey_path, &warnings);
  formats::BatchAnalysisNotes notes;
  if (args.output_path.empty()) {
    notes = formats::write_batch_analysis_file(workspace, tools->app, args.input_path,
                                               tools->tables.who, std::cout);
    std::cout.flush();
    if (!std::cout) throw std::runtime_error("cannot write to standard output");
  } else {
    platform::SafeFileStream out(args.output_path);
    notes = formats::write_batch_analysis_file(workspace, tools->app, args.input_path,
                                               tools->tables.who, out);
    out.commit();
  }
  const std::string output = args.output_path.empty() ? "standard output" : args.output_path;
  int status = status_after_reading(warnings, "analysis", output);
  if (notes.data_lost()) {
    std::cerr << "olvar-cli analysis: " << notes.message(args.input_path) << "\n";
    std::cerr << "olvar-cli analysis: " << output
              << " was written without the data the warnings above name\n";
    status = kExitDataNotKept;
  }
  return status;
}

}  // namespace

CommandAction add_analysis_command(CLI::App& app) {
  auto args = std::make_shared<AnalysisArguments>();
  CLI::App* command = app.add_subcommand(
      "analysis",
      "Batch analysis: append to each line of a comma-separated companion file (olvar.txt) the "
      "NCHS and WHO indices, classes and flags of the child in the same survey row");
  command->add_option("SURVEY", args->survey_path, "Survey file (.as)")->required();
  command->add_option("INPUT", args->input_path, "Companion file, e.g. olvar.txt")->required();
  command->add_option("-o,--output", args->output_path,
                      "Output file, e.g. olvar_zscores.txt (standard output without it)");
  return [args] { return run_analysis(*args); };
}

}  // namespace olvar::cli
