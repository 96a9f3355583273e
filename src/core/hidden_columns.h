#pragma once
// MEASURE, CLOTHES, STRATA and WTFACTOR (columns 16 to 19) are always in the Survey table but
// shown only while the show-extra-columns option is on. Hiding is a matter of the view, with one
// consequence for the results: while hidden, MEASURE and CLOTHES do not reach the z-score engine,
// which then derives the measuring position from age and makes no clothes correction.
//
// The hidden state is never stored apart from the option: it is derived from it here. So every
// operation that inserts, deletes or moves columns works on the full table and, once done, the
// view asks is_column_hidden() again, which restores the hidden state from the option.

#include <string_view>

#include "core/workspace.h"

namespace olvar::core {

// Whether the view hides `column` under the option.
bool is_column_hidden(bool extra_columns_shown, int column);
inline bool is_column_hidden(const Workspace& workspace, int column) {
  return is_column_hidden(workspace.extra_columns_shown, column);
}

// MEASURE and CLOTHES of `row` as row evaluation reads them: the cell while the columns are
// shown, empty while they are hidden. The view stays valid until the cell is written.
std::string_view measure_as_evaluated(const Workspace& workspace, int row);
std::string_view clothes_as_evaluated(const Workspace& workspace, int row);

}  // namespace olvar::core
