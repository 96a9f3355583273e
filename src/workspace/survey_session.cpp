#include "workspace/survey_session.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "core/date_text.h"
#include "core/program_files.h"
#include "core/prompter.h"

namespace olvar::workspace {

namespace {

// The hint shown when the first survey date is not a date in the system order: the file was
// most likely imported with the wrong date format.
constexpr const char* kImportedDateHint =
    "If this survey was imported please select the correct date format in the Import Window";

std::optional<std::string> read_text_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string today_text(const platform::LocalDate& today, const core::DateConventions& dates) {
  const auto day = core::day_number_of({today.year, today.month, today.day});
  return day ? core::date_text(*day, dates) : std::string();
}

}  // namespace

anthro::RowEvaluationSettings row_evaluation_settings(const core::SettingsRecord& settings,
                                                      const core::OptionsPage& options,
                                                      const core::DateConventions& conventions,
                                                      int current_year) {
  anthro::RowEvaluationSettings result;
  result.reference = settings.reference == core::kReferenceNchs ? anthro::Reference::nchs1977
                                                                : anthro::Reference::who2006;
  result.extra_columns_shown = settings.show_extra_columns;
  result.clothes_weight_g = options.Edit26;
  result.conventions = conventions;
  result.current_year = current_year;
  return result;
}

ProcessTables load_process_tables(const core::ProgramFolders& folders) {
  ProcessTables tables;
  if (const auto english = read_text_file(folders.program / "english.lng")) {
    tables.text.read_english(*english);
  }
  if (const auto chosen = read_text_file(core::locate_program_file(folders, "language.dat"))) {
    tables.text.read_override(*chosen);
  }
  const std::filesystem::path who_path = folders.program / anthro::kWhoTableFileName;
  try {
    tables.who = anthro::WhoReference::load(who_path);
    if (!tables.who.found()) {
      tables.messages.push_back("The WHO reference table " + who_path.string() +
                                " is missing: WHO z-scores cannot be computed.");
    }
  } catch (const anthro::WhoTableError& e) {
    tables.messages.push_back(std::string("The WHO reference table cannot be used (") + e.what() +
                              "): WHO z-scores cannot be computed.");
  }
  return tables;
}

void attach_process_tables(workspace::AppContext& app, const ProcessTables& tables) {
  app.text = &tables.text;
  app.who = &tables.who;
  app.startup_messages.insert(app.startup_messages.end(), tables.messages.begin(),
                              tables.messages.end());
}

SurveySession survey_session(const workspace::AppContext& app, core::Prompter& prompter) {
  if (app.text == nullptr || app.who == nullptr) {
    throw std::logic_error("survey_session: the process tables are not attached");
  }
  return SurveySession{app.settings, app.dates, *app.text, *app.who, app.today, prompter};
}

OpenOutcome open_survey(core::Workspace& workspace, const std::filesystem::path& file,
                        const SurveySession& session) {
  core::Workspace start = workspace;
  core::reset_to_new_table(start, today_text(session.today, session.dates));

  // The reader evaluates the rows once the whole file is read, so the settings come from the
  // options the file brought (its clothes weight), taken once at the first row.
  std::optional<anthro::RowEvaluationSettings> settings;
  core::SurveyReadContext context;
  context.dates = session.dates;
  context.show_progress = session.show_progress;
  context.evaluate_row = [&settings, &session](core::Workspace& w, int row) {
    if (!settings) {
      settings = row_evaluation_settings(session.settings, w.options, session.dates,
                                         session.today.year);
    }
    anthro::Anthropometrie_Line(w.survey, row, *settings, session.who);
  };

  OpenOutcome outcome;
  core::SurveyReadResult read;
  try {
    read = core::DateiLesen(file, std::move(start), context);
  } catch (const core::SurveyFileError& e) {
    outcome.failure = e.kind();
    outcome.failure_message = e.what();
    if (e.kind() == core::SurveyFileError::Kind::no_header) {
      session.prompter.inform(session.text.text(core::kNoSurveyHeader));
    }
    return outcome;
  } catch (const std::exception& e) {
    // Anything else the system reports while reading (out of memory, an I/O error) is a file
    // that cannot be opened, told with its name, never a crash.
    outcome.failure = core::SurveyFileError::Kind::cannot_open;
    outcome.failure_message = "cannot open " + file.string() + " for reading: " + e.what();
    return outcome;
  }
  workspace = std::move(read.workspace);
  outcome.opened = true;
  for (const core::SurveyReadWarning& warning : read.warnings) {
    session.prompter.inform(warning.message);
  }
  outcome.warnings = std::move(read.warnings);
  if (!read.first_survey_date.empty() &&
      !core::day_number(read.first_survey_date, session.dates, session.today.year)) {
    session.prompter.inform(kImportedDateHint);
  }
  return outcome;
}

SaveResult save_survey(core::Workspace& workspace, const SurveySession& session,
                       bool& filter_active, std::vector<std::filesystem::path> never_replace,
                       bool choose_name) {
  SaveResult result;
  const core::SaveContext context{session.dates, session.text, session.prompter, filter_active,
                                  std::move(never_replace)};
  try {
    result.outcome = choose_name ? core::Saveas1Click(workspace, context)
                                 : core::SaveClick(workspace, context);
  } catch (const core::SurveyFileError& e) {
    result.failure_message = e.what();
  }
  return result;
}

}  // namespace olvar::workspace
