#include "reports/results_page_visit.h"

#include <utility>

#include "core/standard_variables.h"
#include "core/survey_file.h"
#include "core/survey_sort.h"

namespace olvar::reports {

ResultsPageVisit enter_results_page(core::Workspace& workspace,
                                    const std::filesystem::path& writable_folder,
                                    const core::DateConventions& dates, char reference,
                                    core::SortOrder order) {
  ResultsPageVisit visit{workspace.survey, workspace.changed, reference, std::nullopt};
  if (!writable_folder.empty()) {
    try {
      core::write_file_with_backup(writable_folder / "noname.as",
                                   core::survey_file_bytes(workspace, dates));
    } catch (const core::SurveyFileError& error) {
      visit.scratch_failure = error.what();
    }
  }
  core::SortSurvey(workspace, core::column(core::StdVar::cluster), std::nullopt, order,
                   dates.decimal_separator);
  // Sorting for the page's display is not a change the user made.
  workspace.changed = visit.changed;
  return visit;
}

bool leave_results_page(core::Workspace& workspace, ResultsPageVisit visit, char reference) {
  // A table reshaped during the visit (it should not be: the page edits no cells) is kept.
  if (visit.unsorted.column_count() == workspace.survey.column_count() &&
      visit.unsorted.row_count() == workspace.survey.row_count()) {
    workspace.survey = std::move(visit.unsorted);
  }
  workspace.changed = visit.changed || workspace.changed;
  return visit.reference != reference;
}

}  // namespace olvar::reports
