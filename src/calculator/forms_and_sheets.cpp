#include "calculator/forms_and_sheets.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace olvar::calculator {

namespace {

constexpr std::array<FormOrSheet, 5> kEntries = {{
    {"CDC Calculator one survey", "calculator_one_survey.ods", OpenedIn::spreadsheet},
    {"CDC Calculator two surveys", "calculator_two_surveys.ods", OpenedIn::spreadsheet},
    {"Refused and absent households and children",
     "refused_and_absent_households_and_children.rtf", OpenedIn::word_processor},
    {"Summary Survey Protocol ", "summary_survey_protocol.rtf", OpenedIn::word_processor},
    {"Cluster Control Form", "cluster_control_form.rtf", OpenedIn::word_processor},
}};

std::string upper(std::string_view text) {
  std::string u(text);
  std::transform(u.begin(), u.end(), u.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return u;
}

}  // namespace

std::span<const FormOrSheet> forms_and_sheets() { return kEntries; }

platform::ProcessCommand form_command(const FormOrSheet& entry,
                                      const document::OutputSettings& settings,
                                      const std::filesystem::path& folder) {
  platform::ProcessCommand command;
  command.program = settings.word_processor_path;
  const bool microsoft = settings.kind != document::kOpenOffice;
  if (microsoft && entry.program == OpenedIn::spreadsheet) {
    const std::size_t at = upper(settings.word_processor_path).find("WINWORD.EXE");
    command.program = settings.word_processor_path.substr(
                          0, at == std::string::npos ? settings.word_processor_path.size() : at) +
                      "excel.exe";
  }
  command.arguments.push_back((folder / entry.file).string());
  return command;
}

bool open_form_or_sheet(const FormOrSheet& entry, const document::OutputSettings& settings,
                        const core::ProgramFolders& folders, platform::ProcessLauncher& launcher,
                        core::Prompter& prompter) {
  const std::filesystem::path file = core::locate_program_file(folders, entry.file);
  const std::filesystem::path folder = file.parent_path();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    std::string where = folders.program.string();
    if (!folders.writable.empty() && folders.writable != folders.program) {
      where = folders.writable.string() + " and " + where;
    }
    prompter.inform("The file " + std::string(entry.file) +
                    " is not in the program's data folder (looked for in " + where + ").");
    return false;
  }
  if (settings.word_processor_path.empty()) {
    prompter.inform("No office program is chosen: choose one on the Options page to open " +
                    std::string(entry.file) + ".");
    return false;
  }
  const platform::StartResult started = launcher.start(form_command(entry, settings, folder));
  if (!started.started) {
    prompter.inform("The office program could not be started for " + std::string(entry.file) +
                    (started.error.empty() ? "." : ": " + started.error));
  }
  return started.started;
}

}  // namespace olvar::calculator
