#pragma once
// The filter of the data entry page: deletes the children whose value of one variable fails the
// conditions, keeping a backup of the whole Survey table from before the first filter so that
// "Remove Filter" brings the unfiltered table back. Further filters narrow the filtered table;
// the backup stays the one from before the first.
//
//   SurveyFilter filter;
//   filter.apply(workspace.survey, column(StdVar::cluster), {.equal = {"1", "2", ""}}, '.');
//   filter.remove(workspace.survey);  // the table as it was before the first filter

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "core/survey_table.h"

namespace olvar::formats {

// The condition boxes of the filter window; an empty box takes no part.
struct FilterConditions {
  std::array<std::string, 3> equal;  // "=": keep a child whose value is one of these texts
  std::string at_least;              // ">=": keep a child whose value is a number not below
  std::string at_most;               // "<=": keep a child whose value is a number not above
  std::array<std::string, 3> not_equal;  // "<>": delete a child whose value is one of these
};

// Deletes the rows whose cell in `column` fails the conditions, in the order "=", ">=", "<=",
// "<>", each only when its boxes are filled:
// - "=": a row stays when its cell is not empty and equals one of the filled boxes;
// - ">=" / "<=" (box a number): a row stays when its cell is a number on the right side;
// - "<>": a row goes when its cell equals the text of one of the three boxes, an empty box
//   matching an empty cell.
// Every row but the table's last is tested, spare empty rows included; 15 empty rows are added
// when any of the last three rows is not empty. Rows are renumbered. `progress` is told the
// number of rows tested so far. Returns the number of rows deleted.
int apply_filter(core::SurveyTable& table, int column, const FilterConditions& conditions,
                 char decimal_separator, const std::function<void(int)>& progress = {});

class SurveyFilter {
 public:
  // Whether a filter is active: a backup from before the first filter is held.
  bool active() const { return backup_.has_value(); }
  // Takes the backup when no filter is active, then filters (apply_filter).
  int apply(core::SurveyTable& table, int column, const FilterConditions& conditions,
            char decimal_separator, const std::function<void(int)>& progress = {});
  // "Remove Filter": gives `table` the backup's shape and cells and drops the backup. Changes
  // made while the filter was active are lost. Returns false, changing nothing, when no filter
  // is active.
  bool remove(core::SurveyTable& table);
  // Drops the backup without restoring it (another survey was opened or saved as the filtered one).
  void forget() { backup_.reset(); }

 private:
  std::optional<core::SurveyTable> backup_;
};

}  // namespace olvar::formats
