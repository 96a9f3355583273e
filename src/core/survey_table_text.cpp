#include "core/survey_table_text.h"

#include <algorithm>

namespace olvar::core {

std::string survey_table_text(const SurveyTable& table) {
  const int last_column = table.last_named_column();
  const int last_row = table.last_used_row();
  std::string out;
  // Room for a typical row at once, so that a table of 65,535 rows is not copied as it grows.
  const auto columns = static_cast<std::size_t>(std::max(last_column, 0));
  out.reserve(static_cast<std::size_t>(last_row + 1) * (columns * 6 + 1));
  for (int row = 0; row <= last_row; ++row) {
    for (int column = 1; column <= last_column; ++column) {
      if (column > 1) out += '\t';
      out += table.cell(column, row);
    }
    out += '\n';
  }
  return out;
}

}  // namespace olvar::core
