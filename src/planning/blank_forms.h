#pragma once
// The four blank data-collection forms of the Extras menu, handed out unchanged from their
// templates in the program folder.

#include <filesystem>
#include <optional>
#include <string_view>

#include "core/language_table.h"
#include "core/program_files.h"
#include "document/document_buffer.h"

namespace olvar::planning {

enum class BlankForm {
  anthropometry_standard,
  anthropometry_simple,
  mortality_standard,  // the demography and mortality questionnaire
  mortality_simple,
};

inline constexpr core::LanguageEntry kMissingTemplate{890};

std::string_view blank_form_file(BlankForm form);

// The form's template read line by line, the lines joined without line breaks; nullopt when the
// file cannot be opened (the caller shows Language entry 890 and writes nothing).
std::optional<document::DocumentBuffer> blank_form(BlankForm form,
                                                  const core::ProgramFolders& folders);

}  // namespace olvar::planning
