// olvar-cli: the headless tool for batch work and scripting. Each subcommand is the same call
// the desktop program's menu makes; nothing here opens a window.

#include <CLI/CLI.hpp>
#include <iostream>
#include <map>
#include <string>

#include "app/cli_commands.h"
#include "platform/environment.h"
#include "platform/folders.h"

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
  tools->app = core::start_up_read_only(core::system_start_up_inputs(0, nullptr,
                                                                     OLVAR_BUILD_DATA_DIR));
  tools->tables = anthro::load_process_tables(tools->app.folders);
  anthro::attach_process_tables(tools->app, tools->tables);
  return tools;
}

core::Workspace read_survey(SurveyTools& tools, const std::string& path) {
  if (tools.app.settings.reference != core::kReferenceNchs && !tools.tables.who.found()) {
    throw std::runtime_error(tools.tables.messages.empty() ? "the WHO reference table is missing"
                                                           : tools.tables.messages.front());
  }
  core::Workspace workspace;
  workspace.options = core::Options_New(tools.app.settings, tools.app.dates.decimal_separator);
  workspace.extra_columns_shown = tools.app.settings.show_extra_columns;
  const anthro::OpenOutcome outcome = anthro::open_survey(workspace, path, tools.session());
  if (!outcome.opened) {
    if (outcome.failure == core::SurveyFileError::Kind::cannot_open) {
      throw std::runtime_error("cannot open " + path + " for reading");
    }
    throw std::runtime_error(outcome.failure_message.empty() ? path + " cannot be read"
                                                             : outcome.failure_message);
  }
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
  app.footer("Run 'olvar-cli SUBCOMMAND --help' for the options of a subcommand.");

  const std::map<std::string, CommandAction> actions = {
      {"zscores", add_zscores_command(app)},
      {"table", add_table_command(app)},
      {"convert", add_convert_command(app)},
      {"plausibility", add_plausibility_command(app)},
      {"training", add_training_command(app)},
      {"calc", add_calc_command(app)},
      {"hea", add_hea_command(app)},
  };

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }
  if (app.get_subcommands().empty()) {
    std::cout << app.help();
    return 0;
  }
  const std::string name = app.get_subcommands().front()->get_name();
  try {
    return actions.at(name)();
  } catch (const std::exception& e) {
    std::cerr << "olvar-cli " << name << ": " << e.what() << "\n";
    return 1;
  }
}
