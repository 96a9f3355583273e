#pragma once
// What the Options page does when the user clicks "MS-Office" or "OpenOffice" in the group
// " Program for Output ": look for the program's word processor and, when one is found, make it
// the output program. When nothing is found the settings stay as they were and nothing is said.

#include <string_view>

#include "document/output_settings.h"
#include "platform/program_search.h"

namespace olvar::document {

// "ww" looks for winword.exe (which finds nothing on Linux); "oo" looks for LibreOffice (soffice,
// then lowriter) and then for OpenOffice's swriter. Returns true when a program was found and the
// settings now name it; the path is kept whole (see the settings record for its stored length).
bool choose_office_program(OutputSettings& settings, std::string_view kind,
                           const platform::ProgramSearch& search);

}  // namespace olvar::document
