// olvar-cli report: the results report of a survey file, written as RTF, and optionally every
// value it filled into the template.

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "core/program_files.h"
#include "document/office_hand_off.h"
#include "platform/safe_write.h"
#include "reports/plausibility_report.h"
#include "reports/results_report.h"

namespace olvar::cli {

namespace {

struct ReportArguments {
  std::string input_path;
  std::string reference;  // "who", "nchs" or empty: the settings' choice
  std::string exclusion;  // "kandu", "epi", "none" or empty: the survey's and settings' choice
  std::string output_path;
  std::string values_path;
};

// One line per filled marker: the marker, a tab, the value as inserted.
std::string values_text(const std::vector<reports::FilledMarker>& filled) {
  std::string out;
  for (const reports::FilledMarker& m : filled) out += m.marker + "\t" + m.value + "\n";
  return out;
}

int run_report(ReportArguments args) {
  if (!args.values_path.empty() && checked_output(args.values_path).empty()) {
    throw std::runtime_error("--values " + args.values_path +
                             ": the values go to a file; give a file name");
  }
  for (std::string* output : {&args.output_path, &args.values_path}) {
    if (!output->empty()) refuse_output_that_is_input(args.input_path, *output);
    // Every output is checked before either is written: a values name that is a folder must
    // not be found out after the report replaced the old one.
    *output = checked_output(*output);
  }
  if (!args.output_path.empty() && !args.values_path.empty() &&
      platform::is_same_target(args.output_path, args.values_path)) {
    throw std::runtime_error("the report and the values would be the same file " +
                             args.values_path + "; give them different names");
  }
  const auto tools = start_survey_tools();
  // The reference selector, as the desktop's reference buttons set it; the report itself shows
  // both references.
  if (args.reference == "who") tools->app.settings.reference = core::kReferenceWho;
  if (args.reference == "nchs") tools->app.settings.reference = core::kReferenceNchs;
  std::vector<core::SurveyReadWarning> warnings;
  const core::Workspace workspace = read_survey(*tools, args.input_path, &warnings);
  const workspace::AppContext& app = tools->app;
  if (!tools->tables.who.found()) {
    throw std::runtime_error(
        "the WHO reference table is missing: the report's WHO results "
        "cannot be computed");
  }

  core::OptionsPage options =
      reports::report_options(app.settings, workspace, app.dates.decimal_separator);
  if (args.exclusion == "kandu") options.exclusion = core::ExclusionMode::kandu;
  if (args.exclusion == "epi") options.exclusion = core::ExclusionMode::epi_info;
  if (args.exclusion == "none") options.exclusion = core::ExclusionMode::none;

  const core::LanguageTable& text = tools->tables.text;
  const reports::ResultsReportContext context{
      text, tools->tables.who,
      workspace::row_evaluation_settings(app.settings, options, app.dates, app.today.year),
      options,
      // The small-population correction is a choice of the desktop's Planning page that the
      // survey file does not keep: the command line has none.
      {}};
  const std::optional<reports::ResultsReport> report = reports::results_report(
      workspace, context, core::locate_program_file(app.folders, reports::kResultsReportTemplate));
  if (!report) throw std::runtime_error(text.text(reports::kReportTemplateMissing));

  std::string document = report->document.text();
  document += document::rtf::kDocumentEnd;
  document += document::kLineBreak;
  // Both files are made in full before either takes its place: when the report cannot be
  // written, the values file is not left behind on its own (status 1 means nothing was written).
  std::optional<platform::SafeFile> values_file;
  if (!args.values_path.empty()) {
    values_file.emplace(args.values_path);
    values_file->write(values_text(report->filled));
  }
  if (args.output_path.empty()) {
    write_to_standard_output(document);
  } else {
    platform::SafeFile report_file(args.output_path);
    report_file.write(document);
    report_file.commit();
  }
  if (values_file) values_file->commit();
  if (const int left_out = report->who.rows_with_unusable_cluster(); left_out > 0) {
    std::cerr << "olvar-cli report: " << text.text(analysis::kLeftOutForClusterEntry) << " "
              << left_out << "\n";
  }
  return status_after_reading(warnings, "report",
                              args.output_path.empty() ? "the report" : args.output_path);
}

}  // namespace

CommandAction add_report_command(CLI::App& app) {
  auto args = std::make_shared<ReportArguments>();
  CLI::App* command = app.add_subcommand(
      "report",
      "Write the results report (RTF) of a survey file (.as) from the template report.rtf: "
      "prevalences with 95% intervals by sex and age, mean z-scores, design effects, death "
      "rates, the cluster sampling table and the standardisation test, for the WHO 2006 "
      "standards (main part) and the NCHS 1977 reference (annex). Options not given come from "
      "the survey and the settings as in the desktop program; the survey file is not changed. "
      "Children whose CLUSTER is not a whole number from 1 to 999 are in no prevalence: their "
      "number is told on standard error");
  command->add_option("SURVEY", args->input_path, "Survey file (.as)")->required();
  command
      ->add_option("--reference", args->reference,
                   "The reference selector in force: who or nchs (default: the settings'). The "
                   "report always shows both references")
      ->check(CLI::IsMember({"who", "nchs"}));
  command
      ->add_option("--exclusion", args->exclusion,
                   "Exclusion of z-scores: kandu (Kandu flags), epi (Epi Info 6 flags) or none "
                   "(default: the Options page's)")
      ->check(CLI::IsMember({"kandu", "epi", "none"}));
  command->add_option("-o,--output", args->output_path,
                      "Report file (standard output without it); never the survey file");
  command->add_option("--values", args->values_path,
                      "Also write every marker the report filled, one line each: the marker as "
                      "in the template (e.g. #02-03), a tab, the value exactly as inserted. The "
                      "main part's markers come first, then the NCHS part's, the MUAC cut-offs, "
                      "#99 and #98");
  return [args] { return run_report(*args); };
}

}  // namespace olvar::cli
