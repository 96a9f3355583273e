#pragma once
// The Survey table: one anthropometric survey held as text. Row 0 holds the variable names,
// rows 1 and up the children; column 0 the row numbers; columns 1 to 19 the standard variables
// (standard_variables.h); columns 20 and up the user variables. Spare empty rows follow the
// last used row. Cells are never rejected: questionable values stay as typed.

#include <string_view>

#include "core/standard_variables.h"
#include "core/text_grid.h"

namespace olvar::core {

class SurveyTable : public TextGrid {
 public:
  // A new table: 100 rows, the standard headers, row numbers, ten empty columns after WTFACTOR
  // (room for user variables); no data.
  SurveyTable();

  using TextGrid::cell;
  using TextGrid::set_cell;
  std::string_view cell(StdVar variable, int row) const { return cell(column(variable), row); }
  void set_cell(StdVar variable, int row, std::string_view text) {
    set_cell(column(variable), row, text);
  }

  // Writes the header texts of the standard variables into row 0.
  void write_standard_headers();
  // Column 0 of every data row gets its row number.
  void renumber_rows();
  // The last row with any variable cell filled; 0 when there is no data.
  int last_used_row() const;
  // Makes sure that at least 100 rows after the last used row are empty by adding 100 rows
  // when fewer remain, never beyond 65,535 rows. Returns whether rows were added.
  bool ensure_spare_rows();
  // The column whose header is `name` (columns 1 and up), or -1.
  int column_of_header(std::string_view name) const;
  // The last column with a header (the last variable), 0 when none.
  int last_named_column() const;
};

}  // namespace olvar::core
