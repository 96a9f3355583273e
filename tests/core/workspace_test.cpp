#include "core/workspace.h"

#include <gtest/gtest.h>

#include "core/standard_variables.h"
#include "core/variable_view.h"

namespace olvar::core {
namespace {

// A workspace with a survey in it: user variables, many rows, changed limits.
Workspace used_workspace() {
  Workspace ws;
  ws.survey.resize(40, 5000);
  ws.survey.set_cell(25, 0, "VACC");
  ws.survey.set_cell(25, 4321, "y");
  ws.survey.set_cell(StdVar::weight, 4999, "12.3");
  ws.survey.set_cell(StdVar::survdate, 1, "01/02/2020");
  ws.variables.set_cell(5, 9, "45");
  ws.variables.set_cell(0, 25, "VACC");
  ws.file_name = "camp.as";
  ws.changed = true;
  ws.extra_columns_shown = true;
  return ws;
}

TEST(ResetToNewTable, LeavesANewTableWithItsFirstRowStarted) {
  Workspace ws = used_workspace();
  reset_to_new_table(ws, "10/12/2026");

  EXPECT_EQ(ws.survey.row_count(), 100);
  EXPECT_EQ(ws.survey.column_count(), 29);
  EXPECT_EQ(ws.survey.cell(StdVar::survdate, 0), "SURVDATE");
  EXPECT_EQ(ws.survey.cell(StdVar::wtfactor, 0), "WTFACTOR");
  EXPECT_EQ(ws.survey.cell(25, 0), "");
  EXPECT_EQ(ws.survey.cell(0, 42), "42");

  EXPECT_EQ(ws.survey.cell(StdVar::survdate, 1), "10/12/2026");
  for (StdVar v : {StdVar::cluster, StdVar::team, StdVar::id, StdVar::hh}) {
    EXPECT_EQ(ws.survey.cell(v, 1), "1") << header_text(v);
  }
  EXPECT_EQ(ws.survey.cell(StdVar::sex, 1), "");
  EXPECT_EQ(ws.survey.last_used_row(), 1);

  EXPECT_EQ(ws.variables, new_variable_view());
  // The options, the file name and the changed state belong to the command that resets.
  EXPECT_TRUE(ws.extra_columns_shown);
  EXPECT_EQ(ws.file_name, "camp.as");
  EXPECT_TRUE(ws.changed);
}

TEST(ResetToNewTable, ADefaultWorkspaceIsANewTableWithoutTheFirstRow) {
  Workspace fresh;
  EXPECT_EQ(fresh.variables, new_variable_view());
  EXPECT_EQ(fresh.survey.column_count(), 29);
  reset_to_new_table(fresh, "");
  EXPECT_EQ(fresh.survey.cell(StdVar::cluster, 1), "1");
}

TEST(RefreshHeadersOnActivation, RewritesColumns16To19OnlyWhileShown) {
  for (bool shown : {false, true}) {
    SCOPED_TRACE(shown ? "shown" : "hidden");
    Workspace ws;
    ws.extra_columns_shown = shown;
    for (int k = 1; k <= 19; ++k) ws.survey.set_cell(k, 0, "x");
    ws.survey.set_cell(20, 0, "OWN");
    ws.survey.set_cell(0, 5, "");
    refresh_headers_on_activation(ws);
    for (int k = 1; k <= 15; ++k) EXPECT_EQ(ws.survey.cell(k, 0), kStandardHeaders[k]) << k;
    for (int k = 16; k <= 19; ++k) {
      EXPECT_EQ(ws.survey.cell(k, 0), shown ? kStandardHeaders[k] : "x") << k;
    }
    EXPECT_EQ(ws.survey.cell(20, 0), "OWN");
    EXPECT_EQ(ws.survey.cell(0, 5), "5");
  }
}

}  // namespace
}  // namespace olvar::core

namespace olvar::core {
namespace {

TEST(ResetToNewTable, EmptiesTheSurveyNameAndTheUnitsButKeepsThePlanningFigures) {
  Workspace ws;
  ws.planning.survey_name = "Kara district";
  ws.planning.sc_b = "12.5";
  ws.planning.Edit19 = "25";
  ws.planning.cluster_table.set_cell(0, 0, "Unit");
  ws.planning.cluster_table.set_cell(0, 1, "Abu");
  ws.planning.cluster_table.set_cell(1, 1, "2000");
  ws.planning.cluster_table.set_cell(2, 4999, "RC");
  reset_to_new_table(ws, "10/12/2026");
  EXPECT_EQ(ws.planning.survey_name, "");
  EXPECT_EQ(ws.planning.sc_b, "12.5");
  EXPECT_EQ(ws.planning.Edit19, "25");
  EXPECT_EQ(ws.planning.cluster_table.cell(0, 0), "Unit");  // the headings stay
  EXPECT_EQ(ws.planning.cluster_table.cell(0, 1), "");
  EXPECT_EQ(ws.planning.cluster_table.cell(1, 1), "");
  EXPECT_EQ(ws.planning.cluster_table.cell(2, 4999), "");
}

}  // namespace
}  // namespace olvar::core

namespace olvar::core {
namespace {

// A new survey, and every file read (which starts from one), holds no household of the survey
// open before.
TEST(ResetToNewTable, EmptiesTheMortalityTablesButKeepsLabelsAndHeadings) {
  Workspace ws;
  ws.mortality_households.set_cell(1, 0, "Household");
  ws.mortality_households.set_cell(1, 40, "17");
  ws.mortality_individuals.resize(175, 300);
  ws.mortality_individuals.set_cell(165, 0, "WATER");
  ws.mortality_individuals.set_cell(4, 250, "9");
  ws.mortality_additional_variables = {"WATER"};
  ws.mortality_options.cde1 = "Unknown";
  ws.rd_hh = "90";
  reset_to_new_table(ws, "");
  EXPECT_EQ(ws.mortality_households.cell(1, 0), "Household");
  EXPECT_EQ(ws.mortality_households.cell(1, 40), "");
  EXPECT_EQ(ws.mortality_individuals, Workspace{}.mortality_individuals);
  EXPECT_TRUE(ws.mortality_additional_variables.empty());
  EXPECT_EQ(ws.mortality_options.cde1, "Unknown");
  EXPECT_EQ(ws.rd_hh, "90");
}

TEST(ResetToNewTable, EmptiesTheTrainingMeasurementsButKeepsHeadingsAndChildNumbers) {
  Workspace ws;
  for (TextGrid* training : {&ws.training_continuous, &ws.training_categorical}) {
    training->set_cell(1, 0, "Supervisor");
    training->set_cell(1, 1, "Weight 1");
    training->set_cell(0, 2, "1");
    training->set_cell(1, 2, "12.4");
    training->set_cell(training->column_count() - 1, training->row_count() - 1, "3");
  }
  reset_to_new_table(ws, "");
  for (const TextGrid* training : {&ws.training_continuous, &ws.training_categorical}) {
    EXPECT_EQ(training->cell(1, 0), "Supervisor");
    EXPECT_EQ(training->cell(1, 1), "Weight 1");
    EXPECT_EQ(training->cell(0, 2), "1");
    EXPECT_EQ(training->cell(1, 2), "");
    EXPECT_EQ(training->cell(training->column_count() - 1, training->row_count() - 1), "");
  }
}

}  // namespace
}  // namespace olvar::core
