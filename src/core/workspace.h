#pragma once
// Everything the survey window owns, as one value: the tables of every page, the options kept
// with the survey, the file name and the changed state. Process-wide things (language table,
// settings record, WHO table, date conventions) are not here; they are handed down separately.

#include <string>
#include <string_view>

#include "core/survey_table.h"
#include "core/text_grid.h"
#include "core/variable_view.h"

namespace olvar::core {

struct Workspace {
  SurveyTable survey;
  TextGrid variables = new_variable_view();  // the Variable View: one row per Survey column
  bool extra_columns_shown = false;          // MEASURE, CLOTHES, STRATA, WTFACTOR visible
  bool changed = false;                      // unsaved changes (the save button is available)
  std::string file_name;                     // empty for a survey not yet saved
};

// The reset to a new table, run by the new-survey command and before every file read: all cells
// cleared, 100 rows with ten empty columns after WTFACTOR, the standard headers, the Variable View
// defaults, and a first row started with `today` (the date text in the system date order) in
// SURVDATE and "1" in CLUSTER, TEAM, ID and HH. The options, the file name and the changed state
// are left to the command that runs it.
void reset_to_new_table(Workspace& workspace, std::string_view today);

// When the survey window is activated: the headers of columns 1 to 15 are rewritten from the
// standard names, those of 16 to 19 too while they are shown, and column 0 is renumbered.
void refresh_headers_on_activation(Workspace& workspace);

}  // namespace olvar::core
