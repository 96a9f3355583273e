#include "core/survey_table.h"

#include <gtest/gtest.h>

#include <string>

#include "core/standard_variables.h"

namespace olvar::core {
namespace {

TEST(SurveyTable, NewTableHasStandardHeadersRowNumbersAndSpareColumns) {
  const SurveyTable table;
  EXPECT_EQ(table.row_count(), 100);
  // 19 variables and ten more columns, so the last column stays empty.
  EXPECT_EQ(table.column_count(), 29);
  const char* headers[] = {"",         "SURVDATE", "CLUSTER", "TEAM",    "ID",     "HH",      "SEX",
                           "BIRTHDAT", "MONTHS",   "WEIGHT",  "HEIGHT",  "EDEMA",  "MUAC",    "WAZ",
                           "HAZ",      "WHZ",      "MEASURE", "CLOTHES", "STRATA", "WTFACTOR"};
  for (int k = 0; k <= 19; ++k) EXPECT_EQ(table.cell(k, 0), headers[k]) << k;
  for (int k = 20; k < table.column_count(); ++k) EXPECT_EQ(table.cell(k, 0), "") << k;
  EXPECT_EQ(table.cell(0, 1), "1");
  EXPECT_EQ(table.cell(0, 99), "99");
  EXPECT_EQ(table.last_used_row(), 0);
  EXPECT_EQ(table.last_named_column(), 19);
  EXPECT_EQ(table.column_of_header("WHZ"), 15);
  EXPECT_EQ(table.column_of_header("MUACX"), -1);
  EXPECT_EQ(table.column_of_header(""), 20);  // the first unnamed column
}

TEST(SurveyTable, ColumnCountKeepsTenSpareColumnsUpTo255) {
  struct Case {
    int variables, columns;
  };
  // 244 variables + 10 = 254 columns; from 245 on the table stops at 255 columns.
  const Case cases[] = {{0, 10},    {19, 29},   {30, 40},   {244, 254},
                        {245, 255}, {246, 255}, {400, 255}, {-3, 10}};
  for (const Case& c : cases) {
    EXPECT_EQ(column_count_for_variables(c.variables), c.columns) << c.variables;
  }
}

TEST(SurveyTable, LastUsedRowIgnoresRowNumbers) {
  SurveyTable table;
  table.set_cell(StdVar::weight, 7, "9.5");
  table.set_cell(StdVar::sex, 3, "f");
  EXPECT_EQ(table.last_used_row(), 7);
  EXPECT_EQ(table.cell(StdVar::weight, 7), "9.5");
}

TEST(SurveyTable, KeepsAHundredSpareRows) {
  SurveyTable table;
  table.set_cell(StdVar::id, 1, "1");  // rows 2..99 empty: 98 spare rows, fewer than 100
  EXPECT_TRUE(table.ensure_spare_rows());
  EXPECT_EQ(table.row_count(), 200);
  EXPECT_EQ(table.cell(0, 199), "199");
  EXPECT_FALSE(table.ensure_spare_rows());  // rows 2..199: 198 spare rows

  table.set_cell(StdVar::id, 100, "100");  // rows 101..199: 99 spare rows
  EXPECT_TRUE(table.ensure_spare_rows());
  EXPECT_EQ(table.row_count(), 300);
}

TEST(SurveyTable, NeverGrowsBeyond65535Rows) {
  SurveyTable table;
  table.resize(table.column_count(), 65'500);
  table.set_cell(StdVar::id, 65'450, "65450");
  EXPECT_TRUE(table.ensure_spare_rows());  // only 35 rows fit below the limit
  EXPECT_EQ(table.row_count(), 65'535);
  EXPECT_EQ(table.cell(0, 65'534), "65534");

  table.set_cell(StdVar::id, 65'534, "65534");  // the very last row used: no room, no growth
  EXPECT_FALSE(table.ensure_spare_rows());
  EXPECT_EQ(table.row_count(), 65'535);
}

}  // namespace
}  // namespace olvar::core
