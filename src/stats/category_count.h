#pragma once
// Counts of the rows of the analysis table per category code of one column, for the
// statistical calculator's tables of categorical variables.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/text_grid.h"
#include "stats/row_filter.h"

namespace olvar::stats {

struct CategoryCount {
  std::string entry;  // the code list entry as it stands, the code followed by "]"
  std::int64_t count = 0;
};

struct CategoryCounts {
  std::vector<CategoryCount> categories;  // in the order of the code list
  std::int64_t n = 0;                     // rows counted in some category
};

// Splits a code list of the calculator's form "{" code "] ; " code "] ; " ... "}" into its
// entries: each piece that ends at a ";" without its first character ("{" or the blank after
// the previous ";"). Text after the last ";" is not an entry.
std::vector<std::string> split_code_list(std::string_view code_list);

// For each data row that passes the filter and has a non-empty cell in `column`, the cell text
// followed by "]" is looked up as the beginning of the entries in order; the first entry that
// begins with it is counted (the "]" keeps code 1 from matching entry "12]"). A text matching
// no entry is not counted. Any number of entries.
CategoryCounts DeskripStatDiscret(const core::TextGrid& table, int column,
                                  std::string_view code_list,
                                  const RowFilter& filter = RowFilter::all_rows());

// The same over entries already split (each a code followed by "]"), so that codes holding a
// ";" of their own are counted as they stand.
CategoryCounts DeskripStatDiscret(const core::TextGrid& table, int column,
                                  std::vector<std::string> entries,
                                  const RowFilter& filter = RowFilter::all_rows());

}  // namespace olvar::stats
