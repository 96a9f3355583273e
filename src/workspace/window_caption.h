#pragma once
// The caption of the survey window: the program's title, the survey file and how many children
// it holds, so the user sees at a glance which survey is open and whether the rows arrived.

#include <string>
#include <string_view>

#include "core/language_table.h"
#include "core/survey_table.h"

namespace olvar::workspace {

inline constexpr std::string_view kProgramTitle = "Olvar2019";
inline constexpr core::LanguageEntry kCaptionSurvey{807};    // "Survey:"
inline constexpr core::LanguageEntry kCaptionChildren{808};  // "children"

// The data rows that describe a child: any of SEX, BIRTHDAT, MONTHS, WEIGHT or HEIGHT filled.
// The first row of a new table carries the auto-filled date and numbers only and does not count.
int count_children(const core::SurveyTable& table);

// "Olvar2019 - Survey: name.as - 312 children"; "Olvar2019 - 0 children" for a survey without a
// file name. The name is shown without its folder.
std::string survey_window_caption(std::string_view file_name, int children,
                                  const core::LanguageTable& text);

}  // namespace olvar::workspace
