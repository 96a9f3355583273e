#pragma once
// Opening and saving a survey as the commands of the desktop window and of the command-line tool
// do it, and the process-wide tables they need. Reading a survey evaluates every row through
// the z-score engine, which is why this lives above the survey file itself.
//
//   workspace::ProcessTables tables = workspace::load_process_tables(app.folders);
//   workspace::attach_process_tables(app, tables);      // app.text and app.who now set
//   workspace::open_survey(workspace, file, workspace::survey_session(app, prompter));

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "anthro/row_evaluation.h"
#include "anthro/who_reference.h"
#include "core/date_conventions.h"
#include "core/language_table.h"
#include "core/options_page.h"
#include "core/settings_record.h"
#include "core/survey_file.h"
#include "core/workspace.h"
#include "workspace/app_context.h"

namespace olvar::core {
class Prompter;
}

namespace olvar::workspace {

// The one place that says what row evaluation takes from where: the reference and the
// extra-columns switch from the settings record, the clothes weight from the Options page
// (the survey file carries it), the date conventions and today's year of the process.
anthro::RowEvaluationSettings row_evaluation_settings(const core::SettingsRecord& settings,
                                                      const core::OptionsPage& options,
                                                      const core::DateConventions& conventions,
                                                      int current_year);

// The Language table and the WHO reference table, loaded once at start-up and kept for the
// whole run by main() of the desktop program and of the command-line tool.
struct ProcessTables {
  core::LanguageTable text;
  anthro::WhoReference who;
  // Problems to tell the user (a missing or unusable WHO table); loading never stops for them.
  std::vector<std::string> messages;
};

// english.lng from the program folder, then language.dat over it (the copy in the writable
// folder first, where the language change puts it); the WHO table from the program folder. A
// missing WHO table leaves the all-zero table and a message saying that WHO z-scores cannot be
// computed; so does a table file that cannot be used.
ProcessTables load_process_tables(const core::ProgramFolders& folders);

// Hangs the tables into the context and adds their messages to its start-up messages.
// `tables` must outlive `app`'s use of them.
void attach_process_tables(workspace::AppContext& app, const ProcessTables& tables);

// What opening and saving need from the process.
struct SurveySession {
  const core::SettingsRecord& settings;
  const core::DateConventions& dates;
  const core::LanguageTable& text;
  const anthro::WhoReference& who;
  platform::LocalDate today;
  core::Prompter& prompter;
  // Where long reads say how far they are (the desktop's window caption); nowhere when empty.
  std::function<void(std::string_view)> show_progress = {};
};

// The session of a started process whose tables are attached (app.text and app.who set).
SurveySession survey_session(const workspace::AppContext& app, core::Prompter& prompter);

// The outcome of open_survey, for the caller to refresh the caption and the recent files.
struct OpenOutcome {
  bool opened = false;
  std::optional<core::SurveyFileError::Kind> failure;  // set when nothing was opened
  std::string failure_message;                         // English, for the command-line tool
  std::vector<core::SurveyReadWarning> warnings;       // told through the prompter as well
};

// Opens `file` as the open command does: the new-survey reset of a copy of `workspace` (its
// options kept), the file read with every row evaluated under the options and settings in
// force, and the result put in place of `workspace` only when the file was read. A file that
// cannot be opened changes nothing and shows nothing; a file without a header shows Language
// entry 851 and changes nothing. What the reader could not keep (more than 255 columns, lines
// not read) is told through the prompter, and so is a first survey date that is not a date. The
// changed state is cleared unless the name contains "noname".
OpenOutcome open_survey(core::Workspace& workspace, const std::filesystem::path& file,
                        const SurveySession& session);

// Saves as the Save command does (through Save as when the survey has no name). A file that
// cannot be written leaves the workspace changed; the failure is returned, not shown, since the
// program is silent about it and the command-line tool reports it itself.
struct SaveResult {
  core::SaveOutcome outcome;
  std::string failure_message;  // empty when the save did not fail
};
// `never_replace`: files being read (a conversion's input) that the backup must not replace.
// `choose_name`: Save as (a name is always asked for); otherwise Save.
SaveResult save_survey(core::Workspace& workspace, const SurveySession& session,
                       bool& filter_active, std::vector<std::filesystem::path> never_replace = {},
                       bool choose_name = false);

}  // namespace olvar::workspace
