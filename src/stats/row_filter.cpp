#include "stats/row_filter.h"

#include "core/text_conversions.h"

namespace olvar::stats {

bool row_selected(const core::TextGrid& table, int row, const RowFilter& filter) {
  if (filter.low != 0.0f || filter.high != 0.0f) {
    const std::string_view cell = table.cell(filter.column, row);
    if (cell.empty()) return false;
    const float v = core::parse_tolerant(cell);
    return filter.low <= v && v <= filter.high;
  }
  if (filter.column < 0) return true;
  const std::string_view cell = table.cell(filter.column, row);
  if (cell.find_last_not_of(' ') == std::string::npos) return false;
  return cell == filter.text;
}

}  // namespace olvar::stats
