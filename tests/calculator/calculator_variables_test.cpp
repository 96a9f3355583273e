#include "calculator/calculator_variables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "core/standard_variables.h"
#include "core/survey_table.h"

namespace olvar::calculator {
namespace {

using core::StdVar;

TEST(VariableList, NamesUpToTheFirstColumnWithoutAName) {
  core::SurveyTable survey;
  survey.set_cell(20, 0, "WATER");
  const std::vector<std::string> list = variable_list(survey);
  ASSERT_EQ(list.size(), 20u);
  EXPECT_EQ(list[0], "SURVDATE");
  EXPECT_EQ(list[1], "CLUSTER");
  EXPECT_EQ(list[19], "WATER");
  EXPECT_EQ(variable_column(list, "WATER"), 20);
  EXPECT_EQ(variable_column(list, "CLUSTER"), 2);
  EXPECT_EQ(variable_column(list, "cluster"), std::nullopt);
}

TEST(VariableList, EndsBeforeTheLastTwoColumns) {
  core::TextGrid grid(6, 2);
  for (int c = 1; c < 6; ++c) grid.set_cell(c, 0, "V" + std::to_string(c));
  EXPECT_THAT(variable_list(grid), ::testing::ElementsAre("V1", "V2", "V3"));
}

TEST(StandardKind, FixedForTheFirstEighteenColumns) {
  const int continuous[] = {4, 8, 9, 10, 12, 13, 14, 15, 18};
  const int categorical[] = {1, 2, 3, 5, 6, 7, 11, 16, 17};
  for (int c : continuous) EXPECT_EQ(standard_kind(c), VariableKind::continuous) << c;
  for (int c : categorical) EXPECT_EQ(standard_kind(c), VariableKind::categorical) << c;
  EXPECT_EQ(standard_kind(19), std::nullopt);
  EXPECT_EQ(standard_kind(25), std::nullopt);
}

// An analysis table with `records` records (ID filled) whose user column 20 holds `distinct`
// different texts, repeated over the records.
core::TextGrid table_with(int records, int distinct) {
  core::TextGrid grid(22, records + 3);
  for (int row = 1; row <= records; ++row) {
    grid.set_cell(core::column(StdVar::id), row, std::to_string(row));
    grid.set_cell(20, row, "v" + std::to_string((row - 1) % distinct));
  }
  return grid;
}

TEST(ClassifyVariable, CategoricalBelowFiftyTextsAndHalfTheRecords) {
  struct Case {
    const char* what;
    int records;
    int distinct;
    VariableKind kind;
  };
  const Case cases[] = {
      {"49 texts in 100 records", 100, 49, VariableKind::categorical},
      {"50 texts in 100 records", 100, 50, VariableKind::continuous},
      {"49 texts in 98 records: not fewer than half", 98, 49, VariableKind::continuous},
      {"49 texts in 99 records: 49.5 > 49", 99, 49, VariableKind::categorical},
      {"60 texts in 1000 records", 1000, 60, VariableKind::continuous},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(classify_variable(table_with(c.records, c.distinct), 20), c.kind);
  }
  // A standard column keeps its kind whatever it holds.
  EXPECT_EQ(classify_variable(table_with(100, 2), core::column(StdVar::id)),
            VariableKind::continuous);
}

TEST(ClassifyVariable, RecordsCountUpToTheLastRowWithAnIdentifyingCell) {
  // 20 texts; the last record is row 50 (SEX only), so 50 / 2 = 25 > 20: categorical. Without
  // that row the records end at 38 and 19 is not above 20.
  core::TextGrid grid(22, 60);
  for (int row = 1; row <= 38; ++row) {
    grid.set_cell(core::column(StdVar::cluster), row, "1");
    grid.set_cell(20, row, "v" + std::to_string(row % 20));
  }
  EXPECT_EQ(classify_variable(grid, 20), VariableKind::continuous);
  grid.set_cell(core::column(StdVar::sex), 50, "f");
  EXPECT_EQ(classify_variable(grid, 20), VariableKind::categorical);
}

}  // namespace
}  // namespace olvar::calculator
