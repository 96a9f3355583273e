#pragma once
// "Other forms and sheets" (Extras menu): blank forms and calculation sheets that ship with the
// program in its data folder (OpenDocument sheets and RTF forms, which LibreOffice opens), handed
// to the office program.

#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

#include "core/program_files.h"
#include "core/prompter.h"
#include "platform/process_launcher.h"
#include "document/output_settings.h"

namespace olvar::calculator {

enum class OpenedIn { spreadsheet, word_processor };

struct FormOrSheet {
  std::string_view caption;  // the menu entry
  std::string_view file;     // in the program's data folder
  OpenedIn program;
};

// The entries of the menu, in order.
std::span<const FormOrSheet> forms_and_sheets();

// The command that opens the file. With "MS-Office" a sheet goes to excel.exe beside the word
// processor (its path cut before "WINWORD.EXE") and a document to the word processor. With
// LibreOffice the word processor is given the file and opens it in the component its type
// needs.
platform::ProcessCommand form_command(const FormOrSheet& entry,
                                      const document::OutputSettings& settings,
                                      const std::filesystem::path& folder);

// Opens the entry's file, looked up as every program file is (the writable folder, then the
// program folder). A missing file is told with the folders it was looked for in; an office
// program that cannot be started is told too. Returns whether the program was started.
bool open_form_or_sheet(const FormOrSheet& entry, const document::OutputSettings& settings,
                        const core::ProgramFolders& folders, platform::ProcessLauncher& launcher,
                        core::Prompter& prompter);

}  // namespace olvar::calculator
