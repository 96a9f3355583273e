#include "core/workspace.h"

#include "core/standard_variables.h"

namespace olvar::core {

void reset_to_new_table(Workspace& workspace, std::string_view today) {
  SurveyTable& survey = workspace.survey;
  // Resize first: clearing afterwards touches only the cells of the new, small table.
  survey.resize(column_count_for_variables(kStandardVariableCount), kNewTableRows);
  survey.clear_cells();
  survey.write_standard_headers();
  survey.renumber_rows();
  VSG_New(workspace.variables);
  survey.set_cell(StdVar::survdate, 1, today);
  for (StdVar v : {StdVar::cluster, StdVar::team, StdVar::id, StdVar::hh}) {
    survey.set_cell(v, 1, "1");
  }
  // The mortality data belongs to the survey: a file without mortality sections, or with fewer
  // households, must not show the households of the survey open before. The household table
  // keeps its heading rows; the cause and location labels and the recall period stay.
  TextGrid& households = workspace.mortality_households;
  for (int row = 2; row < households.row_count(); ++row) {
    for (int column = 1; column < households.column_count(); ++column) {
      households.set_cell(column, row, "");
    }
  }
  workspace.mortality_individuals = TextGrid(kNewIndividualColumns, kNewIndividualRows);
  // So do the standardisation test's measurements: a file without training sections, or a new
  // survey, must not show or save the measurements of the survey open before. Rows 0 and 1 hold
  // the headings and column 0 the child numbers.
  for (TextGrid* training : {&workspace.training_continuous, &workspace.training_categorical}) {
    for (int row = 2; row < training->row_count(); ++row) {
      for (int column = 1; column < training->column_count(); ++column) {
        training->set_cell(column, row, "");
      }
    }
  }
  workspace.mortality_additional_variables.clear();
  workspace.planning.survey_name.clear();
  TextGrid& clusters = workspace.planning.cluster_table;
  for (int row = 1; row < clusters.row_count(); ++row) {
    for (int column = 0; column < clusters.column_count(); ++column)
      clusters.set_cell(column, row, "");
  }
}

void refresh_headers_on_activation(Workspace& workspace) {
  SurveyTable& survey = workspace.survey;
  const int last = workspace.extra_columns_shown ? kStandardVariableCount : column(StdVar::whz);
  for (int k = 1; k <= last; ++k) survey.set_cell(k, 0, kStandardHeaders[k]);
  survey.renumber_rows();
}

}  // namespace olvar::core
