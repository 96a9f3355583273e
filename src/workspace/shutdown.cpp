#include "workspace/shutdown.h"

#include <system_error>

#include "core/prompter.h"

namespace olvar::workspace {

bool close_survey_window(const core::SettingsRecord& settings, bool survey_changed,
                         const ShutdownContext& context, core::Prompter& prompter) {
  try {
    core::write_settings_file(context.settings_file, settings);
  } catch (const core::SettingsFileError& e) {
    prompter.inform(std::string("The settings could not be saved: ") + e.what());
  }
  if (!context.output_folder.empty()) {
    std::error_code ec;
    std::filesystem::remove(context.output_folder / "excel.txt", ec);
  }
  if (!survey_changed) return true;
  const std::string question = context.text ? context.text(kSaveChangesQuestion) : std::string();
  switch (prompter.ask_yes_no_cancel(question)) {
    case core::Prompter::Answer::no:
      return true;
    case core::Prompter::Answer::cancel:
      return false;
    case core::Prompter::Answer::yes:
      break;
  }
  return context.save_survey ? context.save_survey() : false;
}

}  // namespace olvar::workspace
