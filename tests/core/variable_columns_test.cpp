#include "core/variable_columns.h"

#include <gtest/gtest.h>

#include <string>

#include "core/standard_variables.h"
#include "core/variable_view.h"

namespace olvar::core {
namespace {

constexpr int kName = 0, kType = 1, kMin = 4;

// A survey with user variables VACC (column 20, character) and BED (column 21, minimum 0), each
// with a value in row 3.
Workspace two_user_variables() {
  Workspace ws;
  ws.survey.set_cell(20, 0, "VACC");
  ws.survey.set_cell(21, 0, "BED");
  ws.survey.set_cell(20, 3, "y");
  ws.survey.set_cell(21, 3, "2");
  ws.variables.set_cell(kName, 20, "VACC");
  ws.variables.set_cell(kType, 20, "character");
  ws.variables.set_cell(kName, 21, "BED");
  ws.variables.set_cell(kType, 21, "numeric");
  ws.variables.set_cell(kMin, 21, "0");
  return ws;
}

TEST(AddVariable, InsertsAColumnAndAViewRowTogether) {
  Workspace ws = two_user_variables();
  const int columns = ws.survey.column_count();
  ASSERT_EQ(add_variable(ws, 21, "muac_left"), AddVariableOutcome::added);

  EXPECT_EQ(ws.survey.column_count(), columns + 1);
  EXPECT_EQ(ws.survey.cell(20, 0), "VACC");
  EXPECT_EQ(ws.survey.cell(21, 0), "MUAC_LEF");  // upper case, 8 characters
  EXPECT_EQ(ws.survey.cell(21, 3), "");
  EXPECT_EQ(ws.survey.cell(22, 0), "BED");  // moved right with its data
  EXPECT_EQ(ws.survey.cell(22, 3), "2");
  EXPECT_EQ(ws.survey.cell(0, 3), "3");  // rows untouched

  EXPECT_EQ(ws.variables.row_count(), 255);
  EXPECT_EQ(ws.variables.cell(kName, 21), "MUAC_LEF");
  EXPECT_EQ(ws.variables.cell(kType, 21), "numeric");
  EXPECT_EQ(ws.variables.cell(kMin, 21), "");
  EXPECT_EQ(ws.variables.cell(kName, 22), "BED");
  EXPECT_EQ(ws.variables.cell(kMin, 22), "0");
  EXPECT_EQ(ws.variables.cell(kType, 20), "character");
  EXPECT_TRUE(ws.changed);
}

TEST(AddVariable, RefusesWithoutChangingAnything) {
  struct Case {
    const char* what;
    int at;
    const char* name;
    AddVariableOutcome outcome;
  };
  const Case cases[] = {
      {"cursor on a standard column", 12, "X", AddVariableOutcome::not_a_user_column},
      {"cursor on WTFACTOR", 19, "X", AddVariableOutcome::not_a_user_column},
      {"cursor on the row numbers", 0, "X", AddVariableOutcome::not_a_user_column},
      {"no name", 20, "", AddVariableOutcome::empty_name},
      {"cursor outside the table", 29, "X", AddVariableOutcome::beyond_last_column},
      {"cursor beyond column 254", 255, "X", AddVariableOutcome::beyond_last_column},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Workspace ws = two_user_variables();
    const Workspace before = ws;
    EXPECT_EQ(add_variable(ws, c.at, c.name), c.outcome);
    EXPECT_EQ(ws.survey, before.survey);
    EXPECT_EQ(ws.variables, before.variables);
    EXPECT_FALSE(ws.changed);
  }
}

TEST(AddVariable, AFullTableGivesUpItsEmptyLastColumnOnly) {
  Workspace ws = two_user_variables();
  ws.survey.resize(255, ws.survey.row_count());
  ws.survey.set_cell(253, 0, "LAST");
  ws.variables.set_cell(kName, 253, "LAST");

  ASSERT_EQ(add_variable(ws, 100, "MID"), AddVariableOutcome::added);
  EXPECT_EQ(ws.survey.column_count(), 255);
  EXPECT_EQ(ws.survey.cell(100, 0), "MID");
  EXPECT_EQ(ws.survey.cell(254, 0), "LAST");  // moved into the last column
  EXPECT_EQ(ws.variables.cell(kName, 254), "LAST");
  EXPECT_EQ(ws.variables.row_count(), 255);

  // Now the last column holds a variable: nothing may fall off the table.
  Workspace full = ws;
  full.changed = false;
  EXPECT_EQ(add_variable(full, 30, "MORE"), AddVariableOutcome::table_full);
  EXPECT_EQ(full.survey, ws.survey);
  EXPECT_FALSE(full.changed);

  // A variable in column 254 of a full table would sit in the last column, which is never saved.
  Workspace last = two_user_variables();
  last.survey.resize(255, last.survey.row_count());
  EXPECT_EQ(add_variable(last, 254, "EDGE"), AddVariableOutcome::table_full);
  EXPECT_EQ(add_variable(last, 253, "EDGE"), AddVariableOutcome::added);
  EXPECT_EQ(last.survey.cell(253, 0), "EDGE");
  EXPECT_EQ(last.survey.cell(254, 0), "");
}

TEST(DeleteVariable, MovesLaterColumnsAndViewRowsLeft) {
  Workspace ws = two_user_variables();
  const int columns = ws.survey.column_count();
  ASSERT_TRUE(delete_variable(ws, 20));

  EXPECT_EQ(ws.survey.column_count(), columns);
  EXPECT_EQ(ws.survey.cell(20, 0), "BED");
  EXPECT_EQ(ws.survey.cell(20, 3), "2");
  EXPECT_EQ(ws.survey.cell(21, 0), "");
  for (int row = 0; row < ws.survey.row_count(); ++row) {
    EXPECT_EQ(ws.survey.cell(columns - 1, row), "") << row;
  }
  EXPECT_EQ(ws.variables.cell(kName, 20), "BED");
  EXPECT_EQ(ws.variables.cell(kMin, 20), "0");
  EXPECT_TRUE(ws.variables.row_is_empty(21, false));
  EXPECT_EQ(ws.variables.row_count(), 255);
  EXPECT_EQ(ws.file_name, "noname.as");
  EXPECT_TRUE(ws.changed);

  Workspace named = two_user_variables();
  named.file_name = "camp.as";
  ASSERT_TRUE(delete_variable(named, 21));
  EXPECT_EQ(named.file_name, "camp.as");
  EXPECT_EQ(named.survey.cell(20, 0), "VACC");
  EXPECT_EQ(named.survey.cell(21, 0), "");
}

TEST(DeleteVariable, RefusesStandardColumnsAndColumnsOutsideTheTable) {
  for (int at : {0, 9, 19, 29, 300, -1}) {
    SCOPED_TRACE(at);
    Workspace ws = two_user_variables();
    const Workspace before = ws;
    EXPECT_FALSE(delete_variable(ws, at));
    EXPECT_EQ(ws.survey, before.survey);
    EXPECT_EQ(ws.variables, before.variables);
    EXPECT_FALSE(ws.changed);
    EXPECT_EQ(ws.file_name, "");
  }
}

}  // namespace
}  // namespace olvar::core
