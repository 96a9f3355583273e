#pragma once
// The language change (menu Extras): the chosen language file becomes "language.dat", and the
// report template and survey protocol of that language become "report.rtf" and
// "report_planning.rtf". The new texts apply from the next start.

#include <optional>
#include <string>
#include <vector>

#include "core/program_files.h"

namespace olvar::core {
class Prompter;
}

namespace olvar::workspace {

// The texts of the "Language Selection" window.
inline constexpr const char* kLanguageSelectionCaption = "Language Selection";
inline constexpr const char* kLanguageSelectionPrompt = "Please select the language";
inline constexpr const char* kLanguageSelectionHint = "and restart the program";
inline constexpr const char* kLanguageFileNotFound = "Language file not found";
inline constexpr const char* kPleaseRestart = "Please restart the program";

// The language files ("*.lng") offered: file names from both folders, sorted, each once.
std::vector<std::string> language_files(const core::ProgramFolders& folders);

// `ChangeofLanguage1Click` after the selection window: with no file selected, "Language file not
// found". Otherwise the file is copied to "language.dat" and its captions file (see
// core/caption_table.h) to "captions.dat" (an empty one when it has none); a name containing
// ENGLISH, FRENCH or SPANISH (upper-case comparison) copies that language's report template to
// "report.rtf"; a name
// containing ENGLISH, FRENCH or SPANISH copies that language's survey protocol to
// "report_planning.rtf"; then "Please restart the program". A file that cannot be read or
// written is told and ends the change (copies made so far stay). Copies go to the writable
// folder. Returns whether the change was completed.
bool change_language(const std::optional<std::string>& selected,
                     const core::ProgramFolders& folders, core::Prompter& prompter);

}  // namespace olvar::workspace
