#pragma once
// The filter of the data entry page: deletes the children whose value of one variable fails the
// conditions, keeping a backup of the whole Survey table from before the first filter so that
// "Remove Filter" brings the unfiltered table back. Further filters narrow the filtered table;
// the backup stays the one from before the first.
//
//   SurveyFilter filter;
//   filter.apply(workspace.survey, column(StdVar::cluster), {.equal = {"1", "2", ""}}, '.');
//   filter.remove_keeping_corrections(workspace.survey);  // the whole table, with the
//                                                         // corrections made while filtered

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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

enum class FilterRemoval {
  not_active,         // no filter is active; nothing changed
  restored,           // the whole table is back, with every correction made while filtered
  needs_confirmation  // rows or variables were added or deleted while filtered: the corrections
                      // cannot be put back, and nothing changed (remove() drops them)
};

class SurveyFilter {
 public:
  // Whether a filter is active: a backup from before the first filter is held.
  bool active() const { return backup_.has_value(); }
  // Takes the backup when no filter is active, then filters (apply_filter).
  int apply(core::SurveyTable& table, int column, const FilterConditions& conditions,
            char decimal_separator, const std::function<void(int)>& progress = {});
  // "Remove Filter": the whole table back, with the cells changed in the filtered rows written to
  // the rows they came from and children entered in its spare rows added after the last child.
  // When rows or variables were added or deleted while filtered, the rows no longer match: then
  // nothing changes and the caller asks before remove() drops the corrections.
  FilterRemoval remove_keeping_corrections(core::SurveyTable& table);
  // Gives `table` the backup's shape and cells and drops the backup: changes made while the
  // filter was active are lost. Returns false, changing nothing, when no filter is active.
  bool remove(core::SurveyTable& table);
  // Drops the backup without restoring it (another survey was opened or saved as the filtered one).
  void forget();

 private:
  // Writes the changes of `table` since the last filter into the backup; false when its shape no
  // longer matches the filtered table.
  bool carry_corrections(const core::SurveyTable& table);

  std::optional<core::SurveyTable> backup_;
  // The table as the last filter left it, and for each of its rows the backup row it holds (0
  // for the header and for spare rows).
  std::optional<core::SurveyTable> filtered_;
  std::vector<int> origin_;
};

}  // namespace olvar::formats
