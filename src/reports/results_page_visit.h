#pragma once
// Entering and leaving the Results Anthropometry page. The page shows the children sorted by
// CLUSTER; on entry the survey as it stood is saved as the scratch copy "noname.as" in the
// writable folder and the Survey table sorted, and on leaving the table returns to the order it
// had, with the survey's file name and unsaved-changes state as they were.
//
//   ResultsPageVisit visit = enter_results_page(workspace, folder, dates, reference, order);
//   ...                                   // the page computes from the sorted table
//   if (leave_results_page(workspace, std::move(visit), reference)) evaluate_all_rows();
//
// The order comes back from a copy held in memory rather than by reading "noname.as" again, so
// that a scratch copy that could not be written, or one another program changed, never costs
// the user data, and changes not yet saved still count as unsaved afterwards.

#include <filesystem>
#include <optional>
#include <string>

#include "core/date_conventions.h"
#include "core/survey_sort.h"
#include "core/survey_table.h"
#include "core/workspace.h"

namespace olvar::reports {

struct ResultsPageVisit {
  core::SurveyTable unsorted;  // the Survey table as it stood on entry
  bool changed = false;        // the survey's unsaved-changes state on entry
  char reference = 0;          // the reference selected on entry
  // Why "noname.as" could not be written, if it could not (the page goes on without it).
  std::optional<std::string> scratch_failure;
};

// Saves the scratch copy (when `writable_folder` is not empty) and sorts the Survey table by
// CLUSTER in `order` (the one the sort window chose last). The workspace's file name and
// changed state stay as they were.
ResultsPageVisit enter_results_page(core::Workspace& workspace,
                                    const std::filesystem::path& writable_folder,
                                    const core::DateConventions& dates, char reference,
                                    core::SortOrder order);

// Puts the Survey table back in its order of entry and the changed state as it was. Returns
// true when the reference was switched during the visit: the rows restored hold the z-scores of
// the old reference and must be evaluated again.
bool leave_results_page(core::Workspace& workspace, ResultsPageVisit visit, char reference);

}  // namespace olvar::reports
