#pragma once
// Keeps the Variable View and the Survey table in step when the user switches between the two
// views of the Data Entry page and types in the Type column.
//
// Call order: enter_variable_view() on every switch to the Variable View, complete_type_entry()
// after each key released in its Type column, leave_variable_view() on every switch back to the
// Data View, then recompute the plausibility marks of all rows.

#include <array>
#include <string>

#include "core/prompter.h"
#include "core/variable_view.h"
#include "core/workspace.h"

namespace olvar::core {

// The highest cluster number the program accepts as the CLUSTER maximum.
inline constexpr int kMaxClusterNumber = 999;

// Writes the six headings into row 0 (the caller takes them from the Language table) and copies
// every Survey table header into the name column, so the view lists the variables as they are.
void enter_variable_view(Workspace& workspace,
                         const std::array<std::string, kVariableViewColumns>& headings);

// A single "n", "c" or "d" typed in the Type column of `row` becomes "numeric", "character" or
// "date" and the survey is marked changed. Returns whether the cell was expanded.
bool complete_type_entry(Workspace& workspace, int row);

// The return to the Data View:
//  1. every user variable (columns 20 and up) takes the name given in the view, upper-cased and
//     cut to 8 characters; an emptied name keeps the variable's old one;
//  2. every named variable whose type is neither "date" nor "character" becomes "numeric";
//  3. a CLUSTER maximum above 999 is set back to 999, and the user is told why.
// Returns true: the types and limits may have changed, so the caller recomputes the marks of all
// rows (and the view shows the hidden columns again as the option says).
bool leave_variable_view(Workspace& workspace, Prompter& prompter);

}  // namespace olvar::core
