#include "planning/blank_forms.h"

#include <string>

namespace olvar::planning {

std::string_view blank_form_file(BlankForm form) {
  switch (form) {
    case BlankForm::anthropometry_standard:
      return "data_form_anthropometry_standard.rtf";
    case BlankForm::anthropometry_simple:
      return "data_form_anthropometry_simple.rtf";
    case BlankForm::mortality_standard:
      return "demography_and_mortality_questionnaire.rtf";
    case BlankForm::mortality_simple:
      return "data_form_mortality_simple.rtf";
  }
  return {};
}

std::optional<document::DocumentBuffer> blank_form(BlankForm form,
                                                  const core::ProgramFolders& folders) {
  std::optional<std::string> text =
      document::read_template(core::locate_program_file(folders, blank_form_file(form)),
                             document::TemplateReading::joined_lines);
  if (!text) return std::nullopt;
  return document::DocumentBuffer(std::move(*text));
}

}  // namespace olvar::planning
