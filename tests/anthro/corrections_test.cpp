#include "anthro/corrections.h"

#include <gtest/gtest.h>

#include "support/scripted_prompter.h"

namespace olvar::anthro {
namespace {

using core::StdVar;

constexpr std::string_view kQuestion = "Correct the weight for oedema?";

core::SurveyTable row_with(std::string_view weight, std::string_view edema,
                           std::string_view height = "") {
  core::SurveyTable table;
  table.set_cell(StdVar::weight, 1, weight);
  table.set_cell(StdVar::edema, 1, edema);
  table.set_cell(StdVar::height, 1, height);
  return table;
}

struct EdemaCase {
  const char* what;
  const char* weight;
  const char* edema;
  const char* corrected;  // WEIGHT offered and written on Yes
};

// Hand arithmetic, rounded to one decimal half away from zero.
constexpr EdemaCase kEdemaCases[] = {
    {"yes/no coding: 10 x 0.964 = 9.64", "10.0", "y", "9.6"},
    {"upper-case Y is lower-cased here", "10.0", "Y", "9.6"},
    {"grade 1: 10 x 0.9732 = 9.732", "10", "1", "9.7"},
    {"grade 2: 12.4 x 0.9569 = 11.86556", "12.4", "2", "11.9"},
    {"grade 3: 8.5 x 0.9162 = 7.7877", "8.5", "3", "7.8"},
    {"a half: 12.5 x 0.964 = 12.05 rounds up", "12.5", "y", "12.1"},
    {"decimal comma in the weight: 7,3 x 0.964 = 7.0372", "7,3", "y", "7.0"},
};

TEST(EdemaCorrection, OnYesWritesTheCorrectedWeight) {
  for (const EdemaCase& c : kEdemaCases) {
    SCOPED_TRACE(c.what);
    core::SurveyTable table = row_with(c.weight, c.edema);
    test::ScriptedPrompter prompter({true});
    const auto change = EdemaCorrection(table, 1, true, kQuestion, prompter);
    ASSERT_TRUE(change.has_value());
    EXPECT_EQ(change->variable, StdVar::weight);
    EXPECT_EQ(change->row, 1);
    EXPECT_EQ(change->before, c.weight);
    EXPECT_EQ(change->after, c.corrected);
    EXPECT_EQ(table.cell(StdVar::weight, 1), c.corrected);
    EXPECT_EQ(prompter.questions, std::vector<std::string>{std::string(kQuestion)});
  }
}

TEST(EdemaCorrection, OnNoKeepsTheWeight) {
  core::SurveyTable table = row_with("10.0", "y");
  test::ScriptedPrompter prompter({false});
  EXPECT_FALSE(EdemaCorrection(table, 1, true, kQuestion, prompter).has_value());
  EXPECT_EQ(table.cell(StdVar::weight, 1), "10.0");
  EXPECT_EQ(prompter.questions.size(), 1u);
}

TEST(EdemaCorrection, AsksNothingWhenThereIsNothingToCorrect) {
  struct Case {
    const char* what;
    const char* weight;
    const char* edema;
    bool option_on;
  };
  const Case kCases[] = {
      {"option off", "10.0", "y", false},
      {"no oedema", "10.0", "n", true},
      {"grade 0", "10.0", "0", true},
      {"code with a blank", "10.0", "y ", true},
      {"empty EDEMA", "10.0", "", true},
      {"empty WEIGHT", "", "y", true},
      {"WEIGHT not a number", "abc", "y", true},
      {"WEIGHT zero", "0", "y", true},
      {"WEIGHT negative", "-4", "y", true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    core::SurveyTable table = row_with(c.weight, c.edema);
    test::ScriptedPrompter prompter({true});
    EXPECT_FALSE(EdemaCorrection(table, 1, c.option_on, kQuestion, prompter).has_value());
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(table.cell(StdVar::weight, 1), c.weight);
  }
}

TEST(EdemaCorrection, IgnoresRowsOutsideTheData) {
  core::SurveyTable table = row_with("10.0", "y");
  test::ScriptedPrompter prompter({true, true});
  EXPECT_FALSE(EdemaCorrection(table, 0, true, kQuestion, prompter).has_value());
  EXPECT_FALSE(EdemaCorrection(table, table.row_count(), true, kQuestion, prompter));
  EXPECT_TRUE(prompter.questions.empty());
}

TEST(HeightCorrection, RewritesPositiveHeightsWithOneDecimal) {
  struct Case {
    const char* what;
    const char* height;
    const char* corrected;
  };
  const Case kCases[] = {
      {"millimetres: 825 / 10", "825", "82.5"},
      {"two decimals round to one", "82.46", "82.5"},
      {"whole centimetres get a decimal", "82", "82.0"},
      {"220 is still centimetres", "220", "220.0"},
      {"above 220 is millimetres: 220.5 / 10 = 22.05", "220.5", "22.1"},
      {"decimal comma", "75,26", "75.3"},
      {"padded text", " 82.4", "82.4"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    core::SurveyTable table = row_with("", "", c.height);
    const auto change = HeightCorrection(table, 1);
    ASSERT_TRUE(change.has_value());
    EXPECT_EQ(change->variable, StdVar::height);
    EXPECT_EQ(change->before, c.height);
    EXPECT_EQ(change->after, c.corrected);
    EXPECT_EQ(table.cell(StdVar::height, 1), c.corrected);
  }
}

TEST(HeightCorrection, LeavesOtherTextsAsTyped) {
  for (const char* height : {"82.5", "", "abc", "0", "-5", "82.5cm"}) {
    SCOPED_TRACE(height);
    core::SurveyTable table = row_with("", "", height);
    EXPECT_FALSE(HeightCorrection(table, 1).has_value());
    EXPECT_EQ(table.cell(StdVar::height, 1), height);
  }
}

TEST(HeightCorrection, WritesTheSystemDecimalSeparator) {
  core::SurveyTable table = row_with("", "", "825");
  const auto change = HeightCorrection(table, 1, ',');
  ASSERT_TRUE(change.has_value());
  EXPECT_EQ(table.cell(StdVar::height, 1), "82,5");
}

}  // namespace
}  // namespace olvar::anthro
