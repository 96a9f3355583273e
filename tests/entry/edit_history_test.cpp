#include "entry/edit_history.h"

#include <gtest/gtest.h>

#include "core/standard_variables.h"

namespace olvar::entry {
namespace {

TEST(EditHistory, RowsStepNamesCountWithThousandsSeparators) {
  struct Case {
    const char* command;
    int rows;
    const char* name;
  };
  const Case cases[] = {{"import", 1191, "import of 1,191 rows"},
                        {"merge", 1, "merge of 1 row"},
                        {"import", 0, "import of 0 rows"},
                        {"import", 999, "import of 999 rows"},
                        {"import", 65535, "import of 65,535 rows"},
                        {"merge", 1234567, "merge of 1,234,567 rows"}};
  for (const Case& c : cases) EXPECT_EQ(rows_step_name(c.command, c.rows), c.name);
}

// A named step keeps its name through Undo and Redo; a step noted without one has none.
TEST(EditHistory, StepNamesFollowTheStepThroughUndoAndRedo) {
  core::Workspace w;
  EditHistory history;
  history.reset(w);
  w.survey.set_cell(core::StdVar::weight, 1, "9.5");
  history.note(w);
  w.survey.set_cell(core::StdVar::weight, 2, "8.1");
  history.note(w, "sort by CLUSTER");
  EXPECT_EQ(history.undo_name(), "sort by CLUSTER");

  ASSERT_TRUE(history.undo(w));
  EXPECT_EQ(w.survey.cell(core::StdVar::weight, 2), "");
  EXPECT_EQ(history.redo_name(), "sort by CLUSTER");
  EXPECT_EQ(history.undo_name(), "");
  ASSERT_TRUE(history.undo(w));
  EXPECT_EQ(history.redo_name(), "");
  ASSERT_TRUE(history.redo(w));
  ASSERT_TRUE(history.redo(w));
  EXPECT_EQ(history.undo_name(), "sort by CLUSTER");
  EXPECT_EQ(w.survey.cell(core::StdVar::weight, 2), "8.1");
}

}  // namespace
}  // namespace olvar::entry
