// olvar-cli plausibility: the plausibility check report of a survey file, written as RTF.

#include <filesystem>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "workspace/survey_session.h"
#include "core/language_table.h"
#include "core/workspace.h"
#include "platform/safe_write.h"
#include "reports/plausibility_report.h"

namespace olvar::cli {

namespace {

struct PlausibilityArguments {
  std::string input_path;
  std::string output_path;
};

// A folder of its own under the system's temporary folder for the saved copy "noname.as", so
// that the survey file and its folder are never written to; removed when done.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device seed;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = base / ("olvar-plausibility-" + std::to_string(seed()));
      if (std::filesystem::create_directory(path_)) return;
    }
    throw std::runtime_error("cannot create a temporary folder in " + base.string());
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

int run_plausibility(const PlausibilityArguments& args) {
  if (!args.output_path.empty()) refuse_output_that_is_input(args.input_path, args.output_path);
  // The survey is read as the open command reads it, with the settings and options in force.
  const auto tools = start_survey_tools();
  std::vector<core::SurveyReadWarning> warnings;
  const core::Workspace workspace = read_survey(*tools, args.input_path, &warnings);
  const workspace::AppContext& app = tools->app;

  const core::OptionsPage options =
      reports::report_options(app.settings, workspace, app.dates.decimal_separator);

  ScratchFolder scratch;
  const core::LanguageTable& text = tools->tables.text;
  const reports::PlausibilityContext context{
      text,
      tools->tables.who,
      workspace::row_evaluation_settings(app.settings, options, app.dates, app.today.year),
      options,
      scratch.path(),
      {}};
  const reports::PlausibilityReport report = reports::Plausibility(workspace, context);

  std::string document = report.document.text();
  document += document::rtf::kDocumentEnd;
  document += document::kLineBreak;
  write_output(args.output_path, document);
  std::cerr << "olvar-cli plausibility: overall score " << report.total << " ("
            << text.text(report.grade_entry) << ")";
  // A score over only some criteria is no verdict on the others.
  if (report.values.criteria_computed < reports::kCriterionCount) {
    std::cerr << ", covering " << report.values.criteria_computed << " of "
              << reports::kCriterionCount << " criteria (the others could not be computed)";
  }
  std::cerr << "\n";
  return status_after_reading(warnings, "plausibility",
                              args.output_path.empty() ? "the report" : args.output_path);
}

}  // namespace

CommandAction add_plausibility_command(CLI::App& app) {
  auto args = std::make_shared<PlausibilityArguments>();
  CLI::App* command =
      app.add_subcommand("plausibility",
                         "Write the plausibility check report (RTF) of a survey file (.as); the "
                         "survey file is not changed");
  command->add_option("SURVEY", args->input_path, "Survey file (.as)")
      ->required();
  command->add_option("-o,--output", args->output_path, "Report file (standard output without it)");
  return [args] { return run_plausibility(*args); };
}

}  // namespace olvar::cli
