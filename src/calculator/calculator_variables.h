#pragma once
// The variables the statistical calculator offers and whether each is read as categories or as
// numbers. The same list fills its six drop-down lists; item i designates Survey table column
// i + 1 (and the analysis-table column of the same number).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text_grid.h"

namespace olvar::calculator {

enum class VariableKind { categorical, continuous };

// Distinct texts at which a user variable is no longer read as categories.
inline constexpr int kCategoricalDistinctLimit = 50;

// The names (row-0 texts) of the columns from column 1 on, ending before the last two columns of
// the table or at the first column without a name, whichever comes first.
std::vector<std::string> variable_list(const core::TextGrid& survey);

// The column of the first item of the list named `name` exactly, or nullopt.
std::optional<int> variable_column(const std::vector<std::string>& list, std::string_view name);

// The fixed kind of the standard columns 1 to 18 (SURVDATE ... STRATA); nullopt from column 19
// (WTFACTOR and the user's variables), whose kind follows from their data.
std::optional<VariableKind> standard_kind(int column);

// The kind the calculator proposes when a variable is chosen: the fixed kind of a standard
// column; otherwise categorical when the column of the analysis table holds fewer than 50
// distinct non-empty texts and fewer than half as many as there are records. The records are
// counted up to the last row in which SURVDATE, CLUSTER, TEAM, ID or SEX is filled (at least 1).
VariableKind classify_variable(const core::TextGrid& analysis, int column);

}  // namespace olvar::calculator
