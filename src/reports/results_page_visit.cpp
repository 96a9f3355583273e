#include "reports/results_page_visit.h"

#include <utility>

#include "core/standard_variables.h"
#include "core/survey_file.h"
#include "core/survey_row_order.h"

namespace olvar::reports {

ResultsPageVisit enter_results_page(core::Workspace& workspace,
                                    const std::filesystem::path& writable_folder,
                                    const core::DateConventions& dates, char reference,
                                    core::SortOrder order) {
  ResultsPageVisit visit{workspace.survey.column_count(), workspace.survey.row_count(), {},
                         workspace.changed, reference, std::nullopt};
  if (!writable_folder.empty()) {
    try {
      core::write_file_with_backup(writable_folder / "noname.as",
                                   core::survey_file_bytes(workspace, dates));
    } catch (const core::SurveyFileError& error) {
      visit.scratch_failure = error.what();
    }
  }
  visit.order = core::sorted_row_order(workspace.survey, core::column(core::StdVar::cluster),
                                       std::nullopt, order, dates.decimal_separator);
  core::reorder_rows(workspace.survey, visit.order);
  // Sorting for the page's display is not a change the user made.
  workspace.changed = visit.changed;
  return visit;
}

bool leave_results_page(core::Workspace& workspace, ResultsPageVisit visit, char reference) {
  // A table reshaped during the visit (a survey imported or merged meanwhile) is kept as it is.
  if (visit.columns == workspace.survey.column_count() &&
      visit.rows == workspace.survey.row_count()) {
    std::vector<int> back(visit.order.size());
    for (std::size_t at = 0; at < visit.order.size(); ++at) {
      back[static_cast<std::size_t>(visit.order[at] - 1)] = static_cast<int>(at) + 1;
    }
    core::reorder_rows(workspace.survey, back);
  }
  workspace.changed = visit.changed || workspace.changed;
  return visit.reference != reference;
}

}  // namespace olvar::reports
