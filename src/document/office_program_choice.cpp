#include "document/office_program_choice.h"

#include <string>

#include "core/options_page.h"

namespace olvar::document {

bool choose_office_program(OutputSettings& settings, std::string_view kind,
                           const platform::ProgramSearch& search) {
  const std::string found = core::find_office_word_processor(kind, search);
  if (found.empty()) return false;
  settings.kind = std::string(kind);
  settings.word_processor_path = found;
  return true;
}

}  // namespace olvar::document
