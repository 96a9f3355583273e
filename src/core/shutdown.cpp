#include "core/shutdown.h"

#include <system_error>

#include "core/prompter.h"

namespace olvar::core {

bool close_survey_window(const SettingsRecord& settings, bool survey_changed,
                         const ShutdownContext& context, Prompter& prompter) {
  try {
    write_settings_file(context.settings_file, settings);
  } catch (const SettingsFileError& e) {
    prompter.inform(std::string("The settings could not be saved: ") + e.what());
  }
  if (!context.output_folder.empty()) {
    std::error_code ec;
    std::filesystem::remove(context.output_folder / "excel.txt", ec);
  }
  if (!survey_changed) return true;
  const std::string question = context.text ? context.text(kSaveChangesQuestion) : std::string();
  switch (prompter.ask_yes_no_cancel(question)) {
    case Prompter::Answer::no:
      return true;
    case Prompter::Answer::cancel:
      return false;
    case Prompter::Answer::yes:
      break;
  }
  return context.save_survey ? context.save_survey() : false;
}

}  // namespace olvar::core
