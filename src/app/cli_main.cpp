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
      {"plausibility", add_plausibility_command(app)},
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
