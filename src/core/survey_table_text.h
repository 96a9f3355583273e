#pragma once
// The Survey table as tab-separated text, as the command-line tool prints it: what a user sees
// in the Data View, cell for cell.

#include <string>

#include "core/survey_table.h"

namespace olvar::core {

// Row 0 (the headers), then rows 1 to the last row with any variable cell filled; columns 1 to
// the last named column; each cell exactly as held (fixed-format padding included), cells
// separated by a TAB, each row ended by "\n" and no trailing TAB. The bytes stay in the table's
// code page (Windows-1252).
std::string survey_table_text(const SurveyTable& table);

}  // namespace olvar::core
