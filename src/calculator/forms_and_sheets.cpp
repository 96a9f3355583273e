#include "calculator/forms_and_sheets.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace olvar::calculator {

namespace {

constexpr std::array<FormOrSheet, 5> kEntries = {{
    {"CDC Calculator one survey", "CDC_calculator_onesurvey.xls", OpenedIn::spreadsheet},
    {"CDC Calculator two surveys", "CDC_calculator_twosurveys.xls", OpenedIn::spreadsheet},
    {"Refused and absent households and children", "Refused_and_absent_children.xls",
     OpenedIn::spreadsheet},
    {"Summary Survey Protocol ", "English_survey_protocol.doc", OpenedIn::word_processor},
    {"Cluster Control Form", "Cluster_Control_Form.doc", OpenedIn::word_processor},
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
                        const std::filesystem::path& folder, platform::ProcessLauncher& launcher,
                        core::Prompter& prompter) {
  const std::filesystem::path file = folder / entry.file;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    prompter.inform("The file " + std::string(entry.file) + " is not in the folder " +
                    folder.string() + ".");
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
