#pragma once
// What lives as long as the process: the folders, the date conventions, the settings record,
// today's date and the command line, built once by start_up() in main() and handed down by
// reference. The Language table and the WHO reference table are loaded by their own modules
// right after start_up() and hung in here; until then their pointers are null.
//
//   workspace::AppContext app =
//       workspace::start_up(workspace::system_start_up_inputs(argc, argv, data_folder));
//   const core::LanguageTable text = core::LanguageTable::load(app.folders.program);
//   app.text = &text;

#include <filesystem>
#include <string>
#include <vector>

#include "core/date_conventions.h"
#include "core/program_files.h"
#include "core/settings_record.h"
#include "core/survey_sort.h"
#include "platform/environment.h"
#include "platform/locale_formats.h"
#include "platform/process_launcher.h"
#include "platform/program_search.h"
#include "workspace/command_line_mode.h"

namespace olvar::anthro {
class WhoReference;
}

namespace olvar::core {
class LanguageTable;
}

namespace olvar::workspace {

struct AppContext {
  core::ProgramFolders folders;         // the program's tables; where it writes beside them
  std::filesystem::path output_folder;  // reports and spreadsheet tables go here
  std::filesystem::path executable;     // this program, for the file association
  core::DateConventions dates;
  core::SettingsRecord settings;
  std::filesystem::path settings_file;  // where the settings are written
  platform::LocalDate today;
  CommandLine command_line;
  // Problems met during start-up (settings not writable, unpacking failed, ...), for the window
  // to show once it is up; start-up itself never stops for them.
  std::vector<std::string> startup_messages;
  // The sort order the sort window chose last, ascending until it first chooses otherwise; the
  // plausibility check and the results page sort the survey in it too.
  core::SortOrder sort_order = core::SortOrder::ascending;

  const core::LanguageTable* text = nullptr;  // set once the Language table is loaded
  const anthro::WhoReference* who = nullptr;  // set once the WHO table is loaded
};

// Everything start-up reads from the system, as values, so that a test can give its own.
struct StartUpInputs {
  platform::EnvironmentLookup env;
  std::filesystem::path executable;
  std::filesystem::path build_data_folder;  // the program folder when run from the build tree
  std::vector<std::string> arguments;       // after the program name
  platform::LocaleFormats locale;
  platform::LocalDate today;
  platform::ProgramSearch search;  // the office program and the desktop database tools
  platform::CommandRunner run;     // unzip and the desktop database tools
};

// The inputs of this process: its environment, executable, locale, today's date and PATH.
StartUpInputs system_start_up_inputs(int argc, char** argv,
                                     const std::filesystem::path& build_data_folder);

// Start-up in order: the program folder and the writable folder; the date conventions and the
// decimal separator; the output folder (the documents folder, else the writable folder); the
// settings (a missing or damaged file replaced by defaults with the office program searched,
// written, and the ".as" association installed); the relay option cleared; additional.zip
// unpacked; the command line taken.
AppContext start_up(const StartUpInputs& inputs);

// The same for a tool that must leave the system as it found it (the command-line tool): the
// settings are read (defaults when missing or damaged) but not written, no association is
// installed and no archive unpacked. Only the per-user data folder is created when missing, as
// finding the writable folder always does.
AppContext start_up_read_only(const StartUpInputs& inputs);

}  // namespace olvar::workspace
