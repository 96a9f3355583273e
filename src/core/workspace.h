#pragma once
// Everything the survey window owns, as one value: the tables of every page, the options kept
// with the survey, the file name and the changed state. Process-wide things (language table,
// settings record, WHO table, date conventions) are not here; they are handed down separately.

#include <string>

#include "core/survey_table.h"
#include "core/text_grid.h"

namespace olvar::core {

struct Workspace {
  SurveyTable survey;
  TextGrid variables;             // the Variable View: one row of attributes per variable
  bool extra_columns_shown = false;  // MEASURE, CLOTHES, STRATA, WTFACTOR visible
  bool changed = false;           // unsaved changes (the save button is available)
  std::string file_name;          // empty for a survey not yet saved
};

}  // namespace olvar::core
