#pragma once
// `SortSurvey`: reorders the children of the Survey table by one variable, or by two (the second
// within equal values of the first). Whole rows move; no cell's text changes.

#include <optional>
#include <string_view>

#include "core/workspace.h"

namespace olvar::core {

enum class SortOrder { ascending, descending };

// The rows a sort works on: 1 to the last row in which any of CLUSTER, TEAM, ID, HH, SEX,
// WEIGHT, HEIGHT, EDEMA or MUAC (or MONTHS) is filled. Rows after it keep their place.
int sort_record_count(const SurveyTable& table);

// The sort key of a text variable: with c1 ... c6 the character codes of the first six
// characters of the lower-cased text (0 where the text is shorter),
// 100000 c1 + 10000 c2 + 1000 c3 + 100 c4 + 10 c5 + c6. Texts therefore sort by this number,
// not alphabetically ("az" after "b"), which keeps files sorted as they always were.
double text_sort_key(std::string_view text);

// Sorts rows 1 to n (sort_record_count) by column `first`, then by `second` within runs of
// equal `first` texts. A column is sorted by number when every filled cell of the rows being
// sorted is a number (an empty cell counts as -99999), otherwise by text_sort_key. Rows with
// equal keys keep their order. A survey whose file name does not contain "noname" is marked as
// changed. A `first` outside the variable columns does nothing.
void SortSurvey(Workspace& workspace, int first, std::optional<int> second, SortOrder order,
                char decimal_separator = '.');

}  // namespace olvar::core
