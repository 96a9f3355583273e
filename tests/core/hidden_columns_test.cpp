#include "core/hidden_columns.h"

#include <gtest/gtest.h>

#include "core/standard_variables.h"

namespace olvar::core {
namespace {

TEST(HiddenColumns, OnlyColumns16To19HideAndOnlyWhileTheOptionIsOff) {
  for (int column = 0; column <= 25; ++column) {
    const bool extra = column >= 16 && column <= 19;
    EXPECT_EQ(is_column_hidden(false, column), extra) << column;
    EXPECT_FALSE(is_column_hidden(true, column)) << column;
  }
}

TEST(HiddenColumns, MeasureAndClothesReachEvaluationOnlyWhileShown) {
  // A child measured lying and weighed with clothes: while the columns are hidden the engine
  // must see neither, so it derives the position from age and corrects no clothes weight.
  Workspace ws;
  ws.survey.set_cell(StdVar::measure, 3, "l");
  ws.survey.set_cell(StdVar::clothes, 3, "y");

  ws.extra_columns_shown = false;
  EXPECT_EQ(measure_as_evaluated(ws, 3), "");
  EXPECT_EQ(clothes_as_evaluated(ws, 3), "");
  EXPECT_EQ(ws.survey.cell(StdVar::measure, 3), "l");  // hidden, not lost

  ws.extra_columns_shown = true;
  EXPECT_EQ(measure_as_evaluated(ws, 3), "l");
  EXPECT_EQ(clothes_as_evaluated(ws, 3), "y");
  EXPECT_EQ(measure_as_evaluated(ws, 4), "");
  EXPECT_EQ(measure_as_evaluated(ws, 70000), "");  // beyond the table
}

}  // namespace
}  // namespace olvar::core
