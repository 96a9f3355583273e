#pragma once
// The order a sort gives the rows of the Survey table, apart from moving them: the Results page
// sorts for its display and must be able to move the rows back, with whatever changed in them.

#include <optional>
#include <vector>

#include "core/survey_sort.h"

namespace olvar::core {

// The order SortSurvey gives rows 1 to sort_record_count(): entry i is the row that comes to
// row i + 1.
std::vector<int> sorted_row_order(const SurveyTable& table, int first, std::optional<int> second,
                                  SortOrder order, char decimal_separator = '.');

// Moves rows 1 to order.size() as `order` says (row i + 1 receives row order[i]); the row
// numbers in column 0 stay with the positions.
void reorder_rows(SurveyTable& table, const std::vector<int>& order);

}  // namespace olvar::core
