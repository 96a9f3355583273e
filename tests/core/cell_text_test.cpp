#include "core/cell_text.h"

#include <gtest/gtest.h>

#include <string>

#include "core/survey_file.h"

namespace olvar::core {
namespace {

using namespace std::string_literals;

TEST(CellText, WhatTheSurveyFileCannotHoldBecomesBlanksAndY) {
  struct Case {
    std::string typed;
    std::string kept;
  };
  const Case cases[] = {
      {"plain text", "plain text"},
      {"", ""},
      {"a\tb", "a b"},
      {"l1\r\nl2", "l1 l2"},  // one line break, one blank
      {"l1\nl2\rl3", "l1 l2 l3"},
      {"\r\n\r\n", "  "},
      {"\xA5", "Y"},
      {"\xA5yen", "Yyen"},                     // a leading yen sign would end the data block
      {"5\xA5", "5\xA5"},                      // inside the text it is harmless
      {"x\xA5Planning:", "xYPlanning:"},       // ... unless a section name follows
      {"x\xA5Mor_individual_options", "xYMor_individual_options"},
      {"x\xA5Plan", "x\xA5Plan"},              // no section is named "Plan"
      {"\xA5\xA5Options", "YYOptions"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(file_can_hold(c.typed), c.typed == c.kept);
    EXPECT_EQ(holdable_text(c.typed), c.kept);
    EXPECT_TRUE(file_can_hold(c.kept));
    EXPECT_EQ(holdable_text(c.kept), c.kept) << "made holdable once is enough";
  }
}

TEST(CellText, EveryTableOfTheWorkspaceIsMadeHoldableAndCounted) {
  Workspace w;
  w.survey.set_cell(20, 1, "a\tb");
  w.survey.set_cell(2, 1, "7");
  w.mortality_individuals.set_cell(5, 1, "\xA5Variables");
  w.planning.survey_name = "Dry\r\nseason";
  w.mortality_options.cde1 = "ok";
  EXPECT_EQ(make_workspace_holdable(w), 3);
  EXPECT_EQ(w.survey.cell(20, 1), "a b");
  EXPECT_EQ(w.survey.cell(2, 1), "7");
  EXPECT_EQ(w.mortality_individuals.cell(5, 1), "YVariables");
  EXPECT_EQ(w.planning.survey_name, "Dry season");
  EXPECT_EQ(make_workspace_holdable(w), 0);
}

}  // namespace
}  // namespace olvar::core
