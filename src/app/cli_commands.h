#pragma once
// The subcommands of olvar-cli, one file each. Each adds itself to the parser and returns the
// action to run once the command line is parsed; the action returns the exit status and may
// throw: main() prints the message and exits with status 1.

#include <CLI/CLI.hpp>
#include <filesystem>
#include <functional>

#include "anthro/who_reference.h"

namespace olvar::cli {

using CommandAction = std::function<int()>;

// The folder holding the program's own tables (OLVAR_HOME, the install folder or the build
// tree's data folder).
std::filesystem::path program_folder();
// The WHO table from the program folder; throws when it is missing, since every WHO index
// would otherwise come out empty without a word.
anthro::WhoReference load_who_reference();

CommandAction add_zscores_command(CLI::App& app);
CommandAction add_plausibility_command(CLI::App& app);

}  // namespace olvar::cli
