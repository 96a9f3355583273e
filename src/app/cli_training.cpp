// olvar-cli training: the reports of the standardisation test of a survey file: the table of
// the new report (tab-separated, as handed to the spreadsheet), the report of previous versions
// or the agreement report on categories (RTF). The survey file is only read.

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "app/cli_commands.h"
#include "core/language_table.h"
#include "core/workspace.h"
#include "platform/safe_write.h"
#include "document/office_hand_off.h"
#include "document/rtf.h"
#include "training/categorical_agreement.h"
#include "training/standardisation.h"
#include "training/training_grid.h"

namespace olvar::cli {

namespace {

struct TrainingArguments {
  std::string input_path;
  std::string output_path;
  bool previous = false;
  bool categorical = false;
};

int run_training(const TrainingArguments& args) {
  if (!args.output_path.empty() && platform::is_same_file(args.input_path, args.output_path)) {
    throw std::runtime_error("the output " + args.output_path +
                             " is the survey file itself; choose another file");
  }
  const auto tools = start_survey_tools();
  std::vector<core::SurveyReadWarning> warnings;
  core::Workspace workspace = read_survey(*tools, args.input_path, &warnings);
  const core::LanguageTable& text = tools->tables.text;
  const char separator = tools->app.dates.decimal_separator;

  // The rows are labelled with the grids' headings, as the Training page shows them.
  training::write_continuous_headings(workspace.training_continuous, text);
  training::write_categorical_headings(workspace.training_categorical, text);

  std::string output;
  if (args.categorical) {
    const training::CategoryReport report =
        training::categorical_report(workspace.training_categorical, text);
    if (report.too_many_categories) {
      std::cerr << "olvar-cli training: " << text.text(training::kTooManyCategories) << "\n";
      return 1;
    }
    output = report.text;
    output += document::rtf::kDocumentEnd;
  } else if (args.previous) {
    output = training::previous_report_text(workspace.training_continuous, text, separator);
    output += document::rtf::kDocumentEnd;
  } else {
    output = training::new_report_text(workspace.training_continuous, separator);
  }
  output += document::kLineBreak;

  write_output(args.output_path, output);
  return status_after_reading(warnings, "training",
                              args.output_path.empty() ? "standard output" : args.output_path);
}

}  // namespace

CommandAction add_training_command(CLI::App& app) {
  auto args = std::make_shared<TrainingArguments>();
  CLI::App* command = app.add_subcommand(
      "training",
      "Evaluate the standardisation test of a survey file (.as): by default the table of the "
      "new report (tab-separated, as handed to the spreadsheet: TEM, R, biases and verdicts "
      "per observer for weight, height and MUAC, and the cut-off table); --previous the report "
      "of previous versions (RTF); --categorical the agreement report on categories (RTF, kappa "
      "per enumerator). The survey file is not changed");
  command->add_option("SURVEY", args->input_path, "Survey file (.as)")
      ->required();
  command->add_option("-o,--output", args->output_path,
                      "Output file (standard output without it); never the survey file");
  auto* previous = command->add_flag("--previous", args->previous,
                                     "Write the report of previous versions (RTF) instead");
  auto* categorical =
      command->add_flag("--categorical", args->categorical,
                        "Write the agreement report of the categorical data (RTF) instead");
  previous->excludes(categorical);
  return [args] { return run_training(*args); };
}

}  // namespace olvar::cli
