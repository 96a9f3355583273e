#include "stats/category_count.h"

#include <algorithm>
#include <unordered_map>

namespace olvar::stats {

std::vector<std::string> split_code_list(std::string_view code_list) {
  std::vector<std::string> entries;
  std::size_t start = 0;
  for (std::size_t p = code_list.find(';'); p != std::string_view::npos;
       p = code_list.find(';', start)) {
    const std::size_t first = std::min(start + 1, p);
    entries.emplace_back(code_list.substr(first, p - first));
    start = p + 1;
  }
  return entries;
}

CategoryCounts DeskripStatDiscret(const core::TextGrid& table, int column,
                                  std::string_view code_list, const RowFilter& filter) {
  return DeskripStatDiscret(table, column, split_code_list(code_list), filter);
}

CategoryCounts DeskripStatDiscret(const core::TextGrid& table, int column,
                                  std::vector<std::string> entries, const RowFilter& filter) {
  CategoryCounts result;
  for (std::string& entry : entries) {
    result.categories.push_back({std::move(entry), 0});
  }
  // The first entry a cell text matches depends only on the text: remember it per text, so a
  // survey of many rows and a long code list cost one search per distinct text.
  std::unordered_map<std::string, std::ptrdiff_t> match_of_text;
  std::string key;
  for (int row = 1; row < table.row_count(); ++row) {
    if (!row_selected(table, row, filter)) continue;
    const std::string_view cell = table.cell(column, row);
    if (cell.empty()) continue;
    key.assign(cell);
    auto found = match_of_text.find(key);
    if (found == match_of_text.end()) {
      key.push_back(']');
      std::ptrdiff_t match = -1;
      for (std::size_t i = 0; i < result.categories.size(); ++i) {
        if (result.categories[i].entry.starts_with(key)) {
          match = static_cast<std::ptrdiff_t>(i);
          break;
        }
      }
      found = match_of_text.emplace(cell, match).first;
    }
    if (found->second < 0) continue;
    ++result.categories[static_cast<std::size_t>(found->second)].count;
    ++result.n;
  }
  return result;
}

}  // namespace olvar::stats
