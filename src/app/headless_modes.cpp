#include "app/headless_modes.h"

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/stderr_prompter.h"
#include "document/office_hand_off.h"
#include "document/output_settings_record.h"
#include "formats/batch_analysis.h"
#include "platform/environment.h"
#include "platform/process_launcher.h"
#include "platform/safe_write.h"
#include "reports/plausibility_report.h"
#include "workspace/app_context.h"
#include "workspace/command_line_mode.h"
#include "workspace/survey_session.h"

namespace olvar::app {

namespace {

// Without a window there is no report editor: the user is told where the document is.
class EditorNotice : public document::ReportEditorOpener {
 public:
  void open_report_editor(const std::filesystem::path& document) override {
    std::cerr << "olvar: the report is in " << document.string() << "\n";
  }
};

// The survey named on the command line, opened as the desktop opens it, after the start-up
// messages; nothing, once standard error says why, when the WHO table is missing (both modes
// are about WHO z-scores) or the file cannot be opened.
std::optional<core::Workspace> open_named_survey(const workspace::AppContext& app,
                                                 const workspace::ProcessTables& tables,
                                                 core::Prompter& prompter) {
  for (const std::string& message : app.startup_messages) std::cerr << "olvar: " << message << "\n";
  for (const std::string& message : tables.messages) std::cerr << "olvar: " << message << "\n";
  if (!tables.who.found()) return std::nullopt;

  core::Workspace workspace;
  workspace.options = core::Options_New(app.settings, app.dates.decimal_separator);
  workspace.extra_columns_shown = app.settings.show_extra_columns;
  const std::filesystem::path file = *app.command_line.survey_file;
  const workspace::OpenOutcome opened =
      workspace::open_survey(workspace, file, workspace::survey_session(app, prompter));
  if (!opened.opened) {
    std::cerr << "olvar: "
              << (opened.failure_message.empty() ? "cannot read " + file.string()
                                                 : opened.failure_message)
              << "\n";
    return std::nullopt;
  }
  return workspace;
}

int run_plausibility(workspace::AppContext& app) {
  const workspace::ProcessTables tables = workspace::load_process_tables(app.folders);
  workspace::attach_process_tables(app, tables);
  StderrPrompter prompter;
  std::optional<core::Workspace> opened = open_named_survey(app, tables, prompter);
  if (!opened) return 1;
  core::Workspace& workspace = *opened;

  const core::OptionsPage options =
      reports::report_options(app.settings, workspace, app.dates.decimal_separator);
  const reports::PlausibilityContext context{
      tables.text,
      tables.who,
      workspace::row_evaluation_settings(app.settings, options, app.dates, app.today.year),
      options,
      app.folders.writable,
      {}};
  document::OutputFolders folders =
      document::output_folders(app.folders.program, platform::process_environment());
  folders.writable_folder = app.folders.writable;
  folders.report_folder = app.output_folder;
  platform::SpawnProcessLauncher launcher;
  EditorNotice editor;
  document::HandOffServices services{launcher, prompter, editor,
                                     [&](int entry) { return tables.text.text(entry); }};
  const document::HandOffResult result = reports::run_plausibility_mode(
      workspace, context, document::output_settings_of(app.settings), folders, services);
  std::cerr << "olvar: plausibility check report written to " << result.file.string() << "\n";
  return 0;
}

// The batch analysis: "olvar.txt" of the working folder in, "olvar_zscores.txt" out, then the
// program ends. A missing or unreadable companion file ends it with status 1 and a message.
int run_batch_analysis_mode(workspace::AppContext& app) {
  const workspace::ProcessTables tables = workspace::load_process_tables(app.folders);
  workspace::attach_process_tables(app, tables);
  StderrPrompter prompter;
  std::optional<core::Workspace> opened = open_named_survey(app, tables, prompter);
  if (!opened) return 1;
  core::Workspace& workspace = *opened;
  const std::filesystem::path input = "olvar.txt";
  const std::filesystem::path output = "olvar_zscores.txt";
  // The survey or the companion file may be that very file (by its name or through a link):
  // replacing it would destroy what is being read.
  for (const std::filesystem::path& read :
       {std::filesystem::path(*app.command_line.survey_file), input}) {
    if (platform::is_same_file(read, output)) {
      std::cerr << "olvar: the output " << output.string() << " is the input file " << read.string()
                << "; nothing was written (rename the input)\n";
      return 1;
    }
  }
  platform::SafeFileStream out(output);
  const formats::BatchAnalysisNotes notes =
      formats::write_batch_analysis_file(workspace, app, input, tables.who, out);
  out.commit();
  std::cerr << "olvar: batch analysis written to " << output.string() << "\n";
  if (!notes.data_lost()) return 0;
  std::cerr << "olvar: " << notes.message(input.string()) << "\n";
  return 2;
}

}  // namespace

std::optional<int> run_headless_mode(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  const workspace::CommandLine command_line = workspace::parse_command_line(arguments);
  const workspace::WindowMode mode =
      workspace::window_mode_at_activation(command_line.mode_word, /*first_activation=*/true);
  if (mode.action == workspace::ModeAction::none || !command_line.survey_file) {
    return std::nullopt;
  }
  try {
    workspace::AppContext app =
        workspace::start_up(workspace::system_start_up_inputs(argc, argv, OLVAR_BUILD_DATA_DIR));
    return mode.action == workspace::ModeAction::batch_analysis_then_exit
               ? run_batch_analysis_mode(app)
               : run_plausibility(app);
  } catch (const std::exception& error) {
    std::cerr << "olvar: " << error.what() << "\n";
    return 1;
  }
}

}  // namespace olvar::app
