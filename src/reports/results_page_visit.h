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
// The order comes back by moving the rows back where they were, rather than by reading
// "noname.as" again or restoring a copy: a cell changed during the visit (a menu command run
// while the page is shown, such as the Ethiopian date conversion) stays changed, and changes not
// yet saved still count as unsaved afterwards.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/date_conventions.h"
#include "core/survey_sort.h"
#include "core/survey_table.h"
#include "core/workspace.h"

namespace olvar::reports {

struct ResultsPageVisit {
  int columns = 0;          // the Survey table's shape on entry
  int rows = 0;
  std::vector<int> order;  // row i + 1 of the sorted table came from row order[i]
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

// Puts the rows of the Survey table back in their order of entry, with any cell changed during
// the visit, and the changed state as it was, or changed when the visit changed it. Returns
// true when the reference was switched during the visit: the rows restored hold the z-scores of
// the old reference and must be evaluated again.
bool leave_results_page(core::Workspace& workspace, ResultsPageVisit visit, char reference);

}  // namespace olvar::reports
