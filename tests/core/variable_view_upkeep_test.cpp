#include "core/variable_view_upkeep.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "core/standard_variables.h"
#include "support/scripted_prompter.h"

namespace olvar::core {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int kName = 0, kType = 1, kMax = 5;

const std::array<std::string, 6> kHeadings = {"Variable",    "Type",    "Label",
                                              "Description", "Minimum", "Maximum"};

// A survey with one user variable, VACC, in column 20.
Workspace workspace_with_user_variable() {
  Workspace ws;
  ws.survey.set_cell(20, 0, "VACC");
  ws.variables.set_cell(kName, 20, "VACC");
  ws.variables.set_cell(kType, 20, "character");
  return ws;
}

TEST(EnterVariableView, WritesHeadingsAndCopiesTheSurveyHeaders) {
  Workspace ws = workspace_with_user_variable();
  ws.variables.set_cell(kName, 20, "stale");
  ws.variables.set_cell(kName, 40, "GONE");  // beyond the table: no variable there
  ws.survey.set_cell(21, 0, "MUACCM");
  enter_variable_view(ws, kHeadings);
  for (int column = 0; column < 6; ++column)
    EXPECT_EQ(ws.variables.cell(column, 0), kHeadings[column]);
  EXPECT_EQ(ws.variables.cell(kName, 9), "WEIGHT");
  EXPECT_EQ(ws.variables.cell(kName, 20), "VACC");
  EXPECT_EQ(ws.variables.cell(kName, 21), "MUACCM");
  EXPECT_EQ(ws.variables.cell(kName, 40), "");
  EXPECT_EQ(ws.variables.cell(kType, 20), "character");  // attributes untouched
  EXPECT_FALSE(ws.changed);
}

TEST(CompleteTypeEntry, ExpandsASingleTypedLetter) {
  struct Case {
    const char* typed;
    const char* after;
    bool expanded;
  };
  const Case cases[] = {
      {"n", "numeric", true}, {"c", "character", true}, {"d", "date", true}, {"x", "x", false},
      {"nu", "nu", false},    {"", "", false},          {"N", "N", false},  // only the lower-case
                                                                            // letters are shortcuts
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Workspace ws;
    ws.variables.set_cell(kType, 22, c.typed);
    EXPECT_EQ(complete_type_entry(ws, 22), c.expanded);
    EXPECT_EQ(ws.variables.cell(kType, 22), c.after);
    EXPECT_EQ(ws.changed, c.expanded);
  }
}

TEST(LeaveVariableView, RenamesUserVariablesAndCompletesTypes) {
  Workspace ws = workspace_with_user_variable();
  ws.variables.set_cell(kName, 20, "vaccinated");  // renamed in the view: upper case, 8 characters
  ws.variables.set_cell(kName, 21, "Muac2");       // a name given to an empty column
  ws.variables.set_cell(kName, 9, "weight_kg");    // standard names are not taken from the view
  ws.variables.set_cell(kType, 21, "");
  ws.variables.set_cell(kType, 9, "whatever");
  ws.variables.set_cell(kType, 30, "");  // no name, no type given
  test::ScriptedPrompter prompter;

  EXPECT_TRUE(leave_variable_view(ws, prompter));

  EXPECT_EQ(ws.survey.cell(20, 0), "VACCINAT");
  EXPECT_EQ(ws.variables.cell(kName, 20), "VACCINAT");
  EXPECT_EQ(ws.survey.cell(21, 0), "MUAC2");
  EXPECT_EQ(ws.survey.cell(StdVar::weight, 0), "WEIGHT");
  EXPECT_EQ(ws.variables.cell(kType, 20), "character");
  EXPECT_EQ(ws.variables.cell(kType, 21), "numeric");
  EXPECT_EQ(ws.variables.cell(kType, 9), "numeric");
  EXPECT_EQ(ws.variables.cell(kType, 1), "date");
  EXPECT_EQ(ws.variables.cell(kType, 30), "");
  EXPECT_THAT(prompter.messages, IsEmpty());
}

TEST(LeaveVariableView, AnEmptiedNameKeepsTheVariable) {
  Workspace ws = workspace_with_user_variable();
  ws.survey.set_cell(20, 5, "y");
  ws.variables.set_cell(kName, 20, "");
  test::ScriptedPrompter prompter;
  leave_variable_view(ws, prompter);
  EXPECT_EQ(ws.survey.cell(20, 0), "VACC");
  EXPECT_EQ(ws.variables.cell(kName, 20), "VACC");
}

TEST(LeaveVariableView, SetsAClusterMaximumAbove999BackWithAMessage) {
  struct Case {
    const char* typed;
    const char* after;
    bool told;
  };
  const Case cases[] =
      {
          {"1500", "999", true},   {"999", "999", false}, {"999.5", "999", true},
          {"1000", "999", true},   {"500", "500", false}, {"", "", false},
          {"many", "many", false},  // not a number: the cell marks will show it
      };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Workspace ws;
    ws.variables.set_cell(kMax, column(StdVar::cluster), c.typed);
    test::ScriptedPrompter prompter;
    EXPECT_TRUE(leave_variable_view(ws, prompter));
    EXPECT_EQ(ws.variables.cell(kMax, column(StdVar::cluster)), c.after);
    if (c.told) {
      EXPECT_THAT(prompter.messages,
                  ElementsAre("Please do not use higher numbers than 999 for the Clusters"));
    } else {
      EXPECT_THAT(prompter.messages, IsEmpty());
    }
    EXPECT_THAT(prompter.questions, IsEmpty());
  }
}

}  // namespace
}  // namespace olvar::core
