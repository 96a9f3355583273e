#pragma once
// The subcommands of olvar-cli, one file each. Each adds itself to the parser and returns the
// action to run once the command line is parsed; the action returns the exit status and may
// throw: main() prints the message and exits with status 1 (kExitFailed).

#include <CLI/CLI.hpp>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "anthro/who_reference.h"
#include "app/stderr_prompter.h"
#include "core/prompter.h"
#include "core/survey_file.h"
#include "core/workspace.h"
#include "workspace/app_context.h"
#include "workspace/survey_session.h"

namespace olvar::cli {

using CommandAction = std::function<int()>;

// The exit status of every subcommand, as --help and the README list them.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;       // bad usage or unreadable input: nothing written
inline constexpr int kExitDataNotKept = 2;  // written, but some data could not be kept
inline constexpr const char* kExitStatusHelp =
    "Exit status (every subcommand):\n"
    "  0  done\n"
    "  1  bad usage or unreadable input; nothing was written\n"
    "  2  written, but some data could not be kept (the warnings say what)\n"
    "A write to standard output that fails counts as a failure (1).";

// Refuses, before anything is opened for writing, an output that is the input (the same file
// through any path or link): writing it would destroy what is being read.
void refuse_output_that_is_input(const std::string& input, const std::string& output);

// The file an output option names, checked before anything is written: empty for standard
// output ("-", /dev/stdout and its other names). Throws when the name is a folder, a device or a
// pipe, lies in a folder that does not exist, or is one of the program's own files (templates,
// Language files, tables).
std::string checked_output(const std::string& path);

// Writes `bytes` to standard output; throws when they cannot all be written (a closed pipe, a
// full disk).
void write_to_standard_output(std::string_view bytes);
// Writes `bytes` to the file given with -o through the safe write, or to standard output when
// no file was given.
void write_output(const std::string& output_path, std::string_view bytes);

// A name typed on the command line (UTF-8, as the terminal gives it) as the survey holds its
// texts (Windows-1252), so that a variable or field named "PRÉNOM" can be given; an argument that
// is not UTF-8 is taken to be Windows-1252 already.
std::string survey_text_of_argument(const std::string& argument);

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
  workspace::AppContext app;
  workspace::ProcessTables tables;
  StderrPrompter prompter;
  workspace::SurveySession session() { return workspace::survey_session(app, prompter); }
};
// Held by pointer: the context points into the tables.
std::unique_ptr<SurveyTools> start_survey_tools();

// Reads a survey file as the open command does, every row evaluated under the settings and
// options in force. Throws with a message naming the file when it cannot be read, and when WHO
// z-scores are asked for without the WHO table.
// What the reader could not keep is told on standard error and, with `warnings`, returned.
core::Workspace read_survey(SurveyTools& tools, const std::string& path,
                            std::vector<core::SurveyReadWarning>* warnings = nullptr);

// Saves `workspace` as the survey file `output` through the Save command's path. The inputs
// are never replaced by the output's backup (an input "X.bak" for an output "X.as"); when that
// leaves the output without a backup, standard error says so. Throws when nothing was saved.
// Returns kExitDataNotKept, said on standard error, when texts the file cannot hold (line
// breaks, TABs, a section marker) were written changed; kExitDone otherwise.
[[nodiscard]] int save_survey_to(SurveyTools& tools, core::Workspace& workspace,
                                 const std::string& output, const std::vector<std::string>& inputs,
                                 const std::string& command);

// kExitDataNotKept, with a line on standard error, when a read warning means that data of the
// input is missing from `output` (rows or variables beyond the table, unnamed columns, mortality
// lines); kExitDone otherwise.
int status_after_reading(const std::vector<core::SurveyReadWarning>& warnings,
                         const std::string& command, const std::string& output);

CommandAction add_zscores_command(CLI::App& app);
CommandAction add_table_command(CLI::App& app);
CommandAction add_convert_command(CLI::App& app);
CommandAction add_plausibility_command(CLI::App& app);
CommandAction add_training_command(CLI::App& app);
CommandAction add_calc_command(CLI::App& app);
CommandAction add_sample_size_command(CLI::App& app);
CommandAction add_clusters_command(CLI::App& app);
CommandAction add_random_numbers_command(CLI::App& app);
CommandAction add_mortality_command(CLI::App& app);
CommandAction add_import_mortality_command(CLI::App& app);
CommandAction add_pyramid_command(CLI::App& app);
CommandAction add_mortality_check_command(CLI::App& app);
CommandAction add_hea_command(CLI::App& app);
CommandAction add_analysis_command(CLI::App& app);
CommandAction add_sort_command(CLI::App& app);
CommandAction add_merge_command(CLI::App& app);
CommandAction add_double_entry_command(CLI::App& app);
CommandAction add_export_command(CLI::App& app);
CommandAction add_report_command(CLI::App& app);
CommandAction add_weighted_command(CLI::App& app);
CommandAction add_graph_command(CLI::App& app);
CommandAction add_results_command(CLI::App& app);
CommandAction add_import_command(CLI::App& app);

}  // namespace olvar::cli
