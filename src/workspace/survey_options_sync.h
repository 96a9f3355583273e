#pragma once
// A survey file carries some of the Options page's settings (Workspace::options): the auto-fill
// switches, the age entry, the oedema coding, the clothes weight, the Kandu offsets, the age
// groups and the mortality age bounds. The window's page is what the user edits; the survey's
// copy is what a save writes and a read brings. These two functions carry those fields across,
// so that neither side is out of date when the other is used.

#include "core/options_page.h"
#include "core/workspace.h"

namespace olvar::workspace {

// Before a save (and before a read, whose start workspace the file's switches may turn on):
// the survey's options as the page shows them.
core::OptionsPage survey_options_of(const core::OptionsPage& page);

// After a read: the page shows the options the file brought. The other controls keep their
// values.
void show_survey_options(core::OptionsPage& page, const core::OptionsPage& options);

}  // namespace olvar::workspace
