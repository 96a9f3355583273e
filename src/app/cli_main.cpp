// olvar-cli: the headless tool for batch work and scripting. Each subcommand is the same call
// the desktop program's menu makes; nothing here opens a window.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
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

namespace {

// The folders whose files are the program's own tables: the program folder and the per-user
// folder that takes what cannot be written there (settings, Language file, copied templates).
std::vector<std::filesystem::path> own_table_folders() {
  std::vector<std::filesystem::path> folders{program_folder()};
  const char* data_home = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  if (data_home != nullptr && *data_home != '\0') {
    folders.push_back(std::filesystem::path(data_home) / "olvar");
  } else if (home != nullptr && *home != '\0') {
    folders.push_back(std::filesystem::path(home) / ".local" / "share" / "olvar");
  }
  return folders;
}

}  // namespace

std::string checked_output(const std::string& path) {
  namespace fs = std::filesystem;
  if (path.empty() || path == "-") return "";
  // Standard output through the system's names for it: writing a file in its place would
  // replace the system's link (as root) and print nothing.
  for (const char* name : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
    if (path == name) return "";
  }
  if (path.back() == '/') {
    throw std::runtime_error("the output " + path + " names a folder; give a file name");
  }
  struct stat state {};
  if (::stat(path.c_str(), &state) == 0) {
    if (S_ISDIR(state.st_mode)) {
      throw std::runtime_error("the output " + path + " is a folder, not a file; give a file name");
    }
    if (!S_ISREG(state.st_mode)) {
      throw std::runtime_error("the output " + path +
                               " is no file (a device or a pipe); nothing was written");
    }
  }
  const fs::path parent = fs::path(path).parent_path();
  std::error_code error;
  if (!parent.empty() && !fs::is_directory(parent, error)) {
    throw std::runtime_error("the output " + path + " cannot be written: the folder " +
                             parent.string() + " does not exist");
  }
  // The report templates, the Language files and the tables are read by every later run: a
  // report written over the template would carry this survey's numbers into all of them.
  for (const fs::path& folder : own_table_folders()) {
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      if (it->is_regular_file(error) && platform::is_same_file(it->path(), path)) {
        throw std::runtime_error("the output " + path +
                                 " is one of the program's own files; nothing was written "
                                 "(give the output another name)");
      }
    }
  }
  return path;
}

void write_output(const std::string& output_path, std::string_view bytes) {
  const std::string file = checked_output(output_path);
  if (file.empty()) {
    write_to_standard_output(bytes);
  } else {
    platform::write_file_safely(file, bytes);
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
    case Kind::fields_beyond_header:
    case Kind::lines_after_blank:
      return true;
    case Kind::repeated_header:  // kept under another name
    case Kind::no_date_order:    // read day first, as told
      return false;
  }
  return true;
}

}  // namespace

int save_survey_to(SurveyTools& tools, core::Workspace& workspace, const std::string& output,
                   const std::vector<std::string>& inputs, const std::string& command) {
  if (checked_output(output).empty()) {
    throw std::runtime_error("a survey file cannot go to standard output; give a file name");
  }
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
  if (saved.outcome.texts_made_holdable == 0) return kExitDone;
  std::cerr << "olvar-cli " << command << ": " << saved.outcome.texts_made_holdable
            << " texts held line breaks, TABs or a section marker byte (0xA5) that a survey file "
               "cannot hold; "
            << output << " has blanks and \"Y\" in their place\n";
  return kExitDataNotKept;
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
  // A standard stream the caller closed would be the number the next opened file gets: the
  // text meant for standard output would go into that file. Standard output is held by
  // /dev/full instead, so that every write to it fails (status 1), as a write to a closed pipe
  // does once SIGPIPE no longer ends the program unannounced; the others by /dev/null.
  for (int descriptor = 0; descriptor <= 2; ++descriptor) {
    if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened =
        ::open(descriptor == 1 ? "/dev/full" : "/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != descriptor) {
      ::dup2(opened, descriptor);
      ::close(opened);
    }
  }
  std::signal(SIGPIPE, SIG_IGN);
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
    const int status = actions.at(name)();
    // What a command printed besides its files (counts, tables) must have arrived too.
    std::cout.flush();
    if (!std::cout) throw std::runtime_error("cannot write to standard output");
    return status;
  } catch (const std::exception& e) {
    std::cerr << "olvar-cli " << name << ": " << e.what() << "\n";
    return kExitFailed;
  }
}
