// olvar-cli: the headless tool for batch work and scripting. Each subcommand is the same call
// the desktop program's menu makes; nothing here opens a window.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <map>
#include <string>

#include "app/cli_commands.h"
#include "core/windows1252.h"
#include "platform/environment.h"
#include "platform/folders.h"
#include "platform/safe_write.h"

namespace olvar::cli {

std::filesystem::path program_folder() {
  return platform::find_program_folder(platform::process_environment(),
                                       platform::current_executable(), OLVAR_BUILD_DATA_DIR);
}

anthro::WhoReference load_who_reference() {
  const std::filesystem::path path = program_folder() / anthro::kWhoTableFileName;
  anthro::WhoReference who = anthro::WhoReference::load(path);
  if (!who.found()) {
    throw std::runtime_error("the WHO reference table " + path.string() +
                             " is missing (set OLVAR_HOME to the folder that holds it)");
  }
  return who;
}

std::unique_ptr<SurveyTools> start_survey_tools() {
  auto tools = std::make_unique<SurveyTools>();
  tools->app = workspace::start_up_read_only(
      workspace::system_start_up_inputs(0, nullptr, OLVAR_BUILD_DATA_DIR));
  tools->tables = workspace::load_process_tables(tools->app.folders);
  workspace::attach_process_tables(tools->app, tools->tables);
  return tools;
}

std::string survey_text_of_argument(const std::string& argument) {
  return core::is_utf8(argument) ? core::utf8_to_windows1252(argument) : argument;
}

void refuse_output_that_is_input(const std::string& input, const std::string& output) {
  if (platform::is_same_file(input, output)) {
    throw std::runtime_error("the output " + output + " is the input file " + input +
                             "; nothing was written (give the output another name)");
  }
}

void write_to_standard_output(std::string_view bytes) {
  std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  std::cout.flush();
  if (!std::cout) throw std::runtime_error("cannot write to standard output");
}

void write_output(const std::string& output_path, std::string_view bytes) {
  if (output_path.empty()) {
    write_to_standard_output(bytes);
  } else {
    platform::write_file_safely(output_path, bytes);
  }
}

namespace {

// Read warnings that mean a value of the input is missing from the output.
bool loses_data(const core::SurveyReadWarning& warning) {
  using Kind = core::SurveyReadWarning::Kind;
  switch (warning.kind) {
    case Kind::columns_cut:
    case Kind::rows_cut:
    case Kind::unnamed_column:
    case Kind::mortality_columns_cut:
    case Kind::mortality_rows_cut:
      return true;
    case Kind::repeated_header:  // kept under another name
    case Kind::no_date_order:    // read day first, as told
      return false;
  }
  return true;
}

}  // namespace

void save_survey_to(SurveyTools& tools, core::Workspace& workspace, const std::string& output,
                    const std::vector<std::string>& inputs, const std::string& command) {
  workspace.file_name = output;
  bool filter_active = false;
  const workspace::SaveResult saved =
      workspace::save_survey(workspace, tools.session(), filter_active,
                             std::vector<std::filesystem::path>(inputs.begin(), inputs.end()));
  if (!saved.failure_message.empty()) throw std::runtime_error(saved.failure_message);
  // A name holding ".txt" goes through Save as, which asks for a name nobody can give here.
  if (!saved.outcome.saved) {
    throw std::runtime_error("not saved: give the output a name ending in \".as\"");
  }
  if (saved.outcome.backup_is_input) {
    std::cerr << "olvar-cli " << command << ": the backup of " << output
              << " is an input; it was left as it is, so no backup was made\n";
  }
}

int status_after_reading(const std::vector<core::SurveyReadWarning>& warnings,
                         const std::string& command, const std::string& output) {
  if (std::none_of(warnings.begin(), warnings.end(), loses_data)) return kExitDone;
  std::cerr << "olvar-cli " << command << ": " << output
            << " was written without the data the warnings above name\n";
  return kExitDataNotKept;
}

core::Workspace read_survey(SurveyTools& tools, const std::string& path,
                            std::vector<core::SurveyReadWarning>* warnings) {
  if (tools.app.settings.reference != core::kReferenceNchs && !tools.tables.who.found()) {
    throw std::runtime_error(tools.tables.messages.empty() ? "the WHO reference table is missing"
                                                           : tools.tables.messages.front());
  }
  core::Workspace workspace;
  workspace.options = core::Options_New(tools.app.settings, tools.app.dates.decimal_separator);
  workspace.extra_columns_shown = tools.app.settings.show_extra_columns;
  const workspace::OpenOutcome outcome = workspace::open_survey(workspace, path, tools.session());
  if (!outcome.opened) {
    if (outcome.failure == core::SurveyFileError::Kind::cannot_open) {
      throw std::runtime_error(outcome.failure_message.empty()
                                   ? "cannot open " + path + " for reading"
                                   : outcome.failure_message);
    }
    throw std::runtime_error(outcome.failure_message.empty() ? path + " cannot be read"
                                                             : outcome.failure_message);
  }
  if (warnings != nullptr) *warnings = outcome.warnings;
  return workspace;
}

}  // namespace olvar::cli

int main(int argc, char** argv) {
  using namespace olvar::cli;
  std::ios::sync_with_stdio(false);
  CLI::App app{"Olvar: nutrition and mortality surveys in emergencies (command-line tool)",
               "olvar-cli"};
  app.set_version_flag("--version", std::string("olvar-cli ") + OLVAR_VERSION);
  app.require_subcommand(0, 1);
  app.footer(std::string("Run 'olvar-cli SUBCOMMAND --help' for the options of a subcommand.\n\n") +
             kExitStatusHelp);

  const std::map<std::string, CommandAction> actions = {
      {"zscores", add_zscores_command(app)},
      {"table", add_table_command(app)},
      {"convert", add_convert_command(app)},
      {"plausibility", add_plausibility_command(app)},
      {"training", add_training_command(app)},
      {"calc", add_calc_command(app)},
      {"sample-size", add_sample_size_command(app)},
      {"clusters", add_clusters_command(app)},
      {"random-numbers", add_random_numbers_command(app)},
      {"mortality", add_mortality_command(app)},
      {"import-mortality", add_import_mortality_command(app)},
      {"pyramid", add_pyramid_command(app)},
      {"mortality-check", add_mortality_check_command(app)},
      {"hea", add_hea_command(app)},
      {"analysis", add_analysis_command(app)},
      {"sort", add_sort_command(app)},
      {"merge", add_merge_command(app)},
      {"double-entry", add_double_entry_command(app)},
      {"export", add_export_command(app)},
      {"report", add_report_command(app)},
      {"weighted", add_weighted_command(app)},
      {"graph", add_graph_command(app)},
      {"results", add_results_command(app)},
      {"import", add_import_command(app)},
  };

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // --help and --version end here with 0; every usage error is status 1.
    const int status = app.exit(e);
    std::cout.flush();
    return status == 0 && std::cout ? kExitDone : kExitFailed;
  }
  if (app.get_subcommands().empty()) {
    std::cout << app.help();
    std::cout.flush();
    return std::cout ? kExitDone : kExitFailed;
  }
  const std::string name = app.get_subcommands().front()->get_name();
  try {
    return actions.at(name)();
  } catch (const std::exception& e) {
    std::cerr << "olvar-cli " << name << ": " << e.what() << "\n";
    return kExitFailed;
  }
}
