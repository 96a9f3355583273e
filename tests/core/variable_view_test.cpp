#include "core/variable_view.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/text_conversions.h"

namespace olvar::core {
namespace {

constexpr int kName = 0, kType = 1, kMin = 4, kMax = 5;

TEST(VariableView, NewViewHoldsTheStandardDefaults) {
  const TextGrid view = new_variable_view();
  EXPECT_EQ(view.column_count(), 6);
  EXPECT_EQ(view.row_count(), 255);

  struct Row {
    int row;
    const char* name;
    const char* type;
    const char* min;
    const char* max;
  };
  // The standard variables table: types and plausible ranges of a new table.
  const Row rows[] = {
      {1, "SURVDATE", "date", "", ""},      {2, "CLUSTER", "numeric", "1", "999"},
      {3, "TEAM", "numeric", "1", "20"},    {4, "ID", "numeric", "", ""},
      {5, "HH", "numeric", "", ""},         {6, "SEX", "character", "", ""},
      {7, "BIRTHDAT", "date", "", ""},      {8, "MONTHS", "numeric", "6", "59.99"},
      {9, "WEIGHT", "numeric", "3", "31"},  {10, "HEIGHT", "numeric", "54", "124"},
      {11, "EDEMA", "character", "", ""},   {12, "MUAC", "numeric", "70", "235"},
      {13, "WAZ", "numeric", "", ""},       {14, "HAZ", "numeric", "", ""},
      {15, "WHZ", "numeric", "", ""},       {16, "MEASURE", "character", "", ""},
      {17, "CLOTHES", "character", "", ""}, {18, "STRATA", "numeric", "", ""},
      {19, "WTFACTOR", "numeric", "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(view.cell(kName, r.row), r.name);
    EXPECT_EQ(view.cell(kType, r.row), r.type);
    EXPECT_EQ(view.cell(kMin, r.row), r.min);
    EXPECT_EQ(view.cell(kMax, r.row), r.max);
  }
  for (int row = 20; row < 255; ++row) EXPECT_TRUE(view.row_is_empty(row, false)) << row;
}

TEST(VariableView, ResetClearsUserRowsAndRestoresDefaultsKeepingHeadings) {
  TextGrid view = new_variable_view();
  view.set_cell(kName, 0, "Name");
  view.set_cell(kMax, 9, "40");   // WEIGHT maximum raised by the user
  view.set_cell(kMin, 13, "-5");  // a limit on WAZ
  view.set_cell(kName, 20, "VACC");
  view.set_cell(3, 20, "measles card");
  VSG_New(view);
  EXPECT_EQ(view.cell(kName, 0), "Name");
  EXPECT_EQ(view.cell(kMax, 9), "31");
  EXPECT_EQ(view.cell(kMin, 13), "");
  EXPECT_TRUE(view.row_is_empty(20, false));

  TextGrid misshapen(2, 3);
  VSG_New(misshapen);
  EXPECT_EQ(misshapen, new_variable_view());
}

TEST(VariableView, ReadsTypesAndLimits) {
  TextGrid view = new_variable_view();
  view.set_cell(kType, 20, "character");
  view.set_cell(kType, 21, "Date");  // not a type the program writes: numeric
  view.set_cell(kMin, 21, "abc");
  view.set_cell(kMax, 21, " 12,5 ");
  EXPECT_EQ(variable_type(view, 1), VariableType::date);
  EXPECT_EQ(variable_type(view, 6), VariableType::character);
  EXPECT_EQ(variable_type(view, 9), VariableType::numeric);
  EXPECT_EQ(variable_type(view, 20), VariableType::character);
  EXPECT_EQ(variable_type(view, 21), VariableType::numeric);
  EXPECT_EQ(variable_type(view, 300), VariableType::numeric);  // outside the view

  EXPECT_EQ(variable_minimum(view, 8), std::optional<float>(6.0f));
  EXPECT_EQ(variable_maximum(view, 8), std::optional<float>(59.99f));
  EXPECT_EQ(variable_minimum(view, 13), std::nullopt);  // WAZ: no limits
  EXPECT_EQ(variable_maximum(view, 13), std::nullopt);
  EXPECT_EQ(variable_minimum(view, 21), std::optional<float>(kUnreadable));
  EXPECT_EQ(variable_maximum(view, 21), std::optional<float>(12.5f));
  EXPECT_EQ(variable_maximum(view, -1), std::nullopt);
}

}  // namespace
}  // namespace olvar::core
