#pragma once
// The Options page and the options a survey file carries (Workspace::options) hold some of the
// same settings: the auto-fill switches, the age entry, the oedema coding, the clothes weight,
// the Kandu offsets, the age groups and the mortality age bounds. The page is what the user
// edits; the survey's copy is what a save writes and a read brings. These two functions carry
// them across, so that neither side is out of date when the other is used.

#include "core/options_page.h"
#include "core/workspace.h"

namespace olvar::core {

// Before a save (and before a read, whose start workspace the file's switches may turn on):
// the survey's options as the page shows them.
SurveyOptions survey_options_of(const OptionsPage& page);

// After a read: the page shows the options the file brought. The other controls keep their
// values.
void show_survey_options(OptionsPage& page, const SurveyOptions& options);

}  // namespace olvar::core
