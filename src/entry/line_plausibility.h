#pragma once
// The plausibility marks of the Data View: which cells hold a value the Variable View limits or
// the coding rules call implausible. The marks are a view of the cells, recomputed from them,
// never stored in them or in the survey file.
//
//   CellMarks marks;
//   Plausibility_TableClick(workspace, rules, marks);      // after a file read, a paste, ...
//   marks.set_row(row, LinePlausibility(workspace, row, rules));  // after one row was edited

#include <bitset>
#include <vector>

#include "core/date_conventions.h"
#include "core/standard_variables.h"
#include "core/workspace.h"

namespace olvar::entry {

// The marked cells of one row, by column.
using RowMarks = std::bitset<core::kMaxColumns>;

// The marks of the whole table, row by row; a row outside the stored range has none.
class CellMarks {
 public:
  bool is_marked(int column, int row) const;
  const RowMarks& row(int row) const;
  void set_row(int row, const RowMarks& marks);
  void clear() { rows_.clear(); }
  // The number of rows that carry any mark.
  int marked_row_count() const;

 private:
  std::vector<RowMarks> rows_;  // index = table row
};

// What the check depends on besides the tables.
struct PlausibilityRules {
  core::DateConventions conventions;
  int current_year = 0;  // places two-digit years of date texts
};

// `LinePlausibility`: the marks of one data row. For each variable of the Variable View (rows 1
// up to the first empty name; MEASURE to WTFACTOR only while the extra columns are shown):
//  - "numeric": marked when the text is not a number while a minimum or maximum is set, or
//    when the value is below the minimum or above the maximum;
//  - "date": marked when the text is not a valid date;
//  - SEX is marked when WEIGHT or HEIGHT is filled and SEX is neither "f" nor "m".
// An empty cell is a missing value and is never marked for its own sake.
RowMarks LinePlausibility(const core::Workspace& workspace, int row,
                          const PlausibilityRules& rules);

// `Plausibility_TableClick`: the marks of every data row (rows 1 to the last used row); the
// spare rows after it carry none.
void Plausibility_TableClick(const core::Workspace& workspace, const PlausibilityRules& rules,
                             CellMarks& marks);

}  // namespace olvar::entry
