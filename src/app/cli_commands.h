#pragma once
// The subcommands of olvar-cli, one file each. Each adds itself to the parser and returns the
// action to run once the command line is parsed; the action returns the exit status and may
// throw: main() prints the message and exits with status 1.

#include <CLI/CLI.hpp>
#include <filesystem>
#include <functional>

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "anthro/survey_session.h"
#include "anthro/who_reference.h"
#include "app/stderr_prompter.h"
#include "core/app_context.h"
#include "core/prompter.h"
#include "core/workspace.h"

namespace olvar::cli {

using CommandAction = std::function<int()>;

// The folder holding the program's own tables (OLVAR_HOME, the install folder or the build
// tree's data folder).
std::filesystem::path program_folder();
// The WHO table from the program folder; throws when it is missing, since every WHO index
// would otherwise come out empty without a word.
anthro::WhoReference load_who_reference();

using StderrPrompter = app::StderrPrompter;

// The process as the desktop program starts it (folders, date conventions, settings, Language
// and WHO tables), without writing anything to the system.
struct SurveyTools {
  core::AppContext app;
  anthro::ProcessTables tables;
  StderrPrompter prompter;
  anthro::SurveySession session() { return anthro::survey_session(app, prompter); }
};
// Held by pointer: the context points into the tables.
std::unique_ptr<SurveyTools> start_survey_tools();

// Reads a survey file as the open command does, every row evaluated under the settings and
// options in force. Throws with a message naming the file when it cannot be read, and when WHO
// z-scores are asked for without the WHO table.
core::Workspace read_survey(SurveyTools& tools, const std::string& path);

CommandAction add_zscores_command(CLI::App& app);
CommandAction add_table_command(CLI::App& app);
CommandAction add_convert_command(CLI::App& app);
CommandAction add_plausibility_command(CLI::App& app);
CommandAction add_training_command(CLI::App& app);
CommandAction add_calc_command(CLI::App& app);
CommandAction add_hea_command(CLI::App& app);

}  // namespace olvar::cli
