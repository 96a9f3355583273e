#include "workspace/window_caption.h"

#include <filesystem>

namespace olvar::workspace {

int count_children(const core::SurveyTable& table) {
  constexpr core::StdVar kDescribing[] = {core::StdVar::sex, core::StdVar::birthdat,
                                          core::StdVar::months, core::StdVar::weight,
                                          core::StdVar::height};
  int children = 0;
  const int last = table.last_used_row();
  for (int row = 1; row <= last; ++row) {
    for (const core::StdVar variable : kDescribing) {
      if (!table.cell(variable, row).empty()) {
        ++children;
        break;
      }
    }
  }
  return children;
}

std::string survey_window_caption(std::string_view file_name, int children,
                                  const core::LanguageTable& text) {
  std::string caption(kProgramTitle);
  if (!file_name.empty()) {
    caption += " - " + text.text(kCaptionSurvey) + " " +
               std::filesystem::path(std::string(file_name)).filename().string();
  }
  caption += " - " + std::to_string(children) + " " + text.text(kCaptionChildren);
  return caption;
}

}  // namespace olvar::workspace
