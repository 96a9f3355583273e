#pragma once
// Leaving the program (menu Files > Exit, or closing the survey window in any way): the settings
// are written, the spreadsheet hand-off file "excel.txt" is deleted from the output folder, and
// when the survey has unsaved changes the user is asked Language entry 848 (Yes saves it).

#include <filesystem>
#include <functional>
#include <string>

#include "core/settings_record.h"

namespace olvar::core {
class Prompter;
}

namespace olvar::workspace {

inline constexpr int kSaveChangesQuestion = 848;  // Language entry: save the changed survey?

struct ShutdownContext {
  std::filesystem::path settings_file;
  std::filesystem::path output_folder;
  std::function<std::string(int)> text;  // the Language entry of a number
  std::function<bool()> save_survey;     // saves the open survey; false when it could not
};

// Returns whether the program may end. It may not when the user wanted the survey saved and the
// save failed: ending then would lose the changes, so the window stays open. A settings file
// that cannot be written is told and does not hold the program.
bool close_survey_window(const core::SettingsRecord& settings, bool survey_changed,
                         const ShutdownContext& context, core::Prompter& prompter);

}  // namespace olvar::workspace
