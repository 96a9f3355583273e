#pragma once
// Adding and deleting user variables: a Survey table column and its Variable View row move
// together, so row k of the view keeps describing column k of the table.
//
// These work on the full table; the hidden columns (hidden_columns.h) follow from the option
// afterwards. Neither asks the user anything: the command asks for the name or the confirmation
// first, then calls these, then recomputes the marks of all rows.

#include <string_view>

#include "core/workspace.h"

namespace olvar::core {

enum class AddVariableOutcome {
  added,
  not_a_user_column,   // the cursor is on column 0 to 19 (the command shows Language entry 878)
  empty_name,          // nothing happens
  beyond_last_column,  // the cursor lies beyond column 254 or outside the table: nothing happens
  table_full,          // no empty column left to give up: the last column holds data
};

// Inserts a user variable named `name` (upper-cased, cut to 8 characters) at `at_column`: the
// columns from there on move one to the right, the new column is empty, the Variable View gets
// a row at the same position with the name and type "numeric", and the survey is marked changed.
// The table gains a column, up to kMaxColumns; a full table gives up its last column instead,
// which must be empty, and the new variable never lands in the last column, which the save does
// not write.
AddVariableOutcome add_variable(Workspace& workspace, int at_column, std::string_view name);

// Deletes the user variable at `at_column`: the columns after it move one to the left and so do
// their Variable View rows; the table keeps its column count, with an empty last column. A
// survey without a file name is given "noname.as"; the survey is marked changed. Returns false,
// changing nothing, when `at_column` is not a user variable column of the table (the command
// then shows Language entry 880).
bool delete_variable(Workspace& workspace, int at_column);

}  // namespace olvar::core
