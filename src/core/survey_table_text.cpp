#include "core/survey_table_text.h"

namespace olvar::core {

std::string survey_table_text(const SurveyTable& table) {
  const int last_column = table.last_named_column();
  const int last_row = table.last_used_row();
  std::string out;
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
