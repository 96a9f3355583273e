#include "reports/office_program_choice.h"

#include <string>

namespace olvar::reports {

bool choose_office_program(OutputSettings& settings, std::string_view kind,
                           const platform::ProgramSearch& search) {
  std::string found;
  if (kind == kMsOffice) {
    found = platform::FindProgramFile("winword.exe", search);
  } else if (kind == kOpenOffice) {
    found = platform::find_libreoffice(search).word_processor();
    if (found.empty()) found = platform::FindProgramFile("swriter", search);
    if (found.empty()) found = platform::FindProgramFile("swriter.exe", search);
  }
  if (found.empty()) return false;
  settings.kind = std::string(kind);
  settings.word_processor_path = found;
  return true;
}

}  // namespace olvar::reports
