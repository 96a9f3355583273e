#pragma once
// The Variable View: one row of attributes per variable. Row k describes the variable in column k
// of the Survey table; row 0 holds the six headings. Its limits drive the per-cell plausibility
// marks of the Data View.

#include <optional>
#include <string>
#include <string_view>

#include "core/text_grid.h"

namespace olvar::core {

// The columns of the Variable View.
enum class VariableField { name = 0, type, free_text_1, free_text_2, minimum, maximum };

inline constexpr int kVariableViewColumns = 6;
inline constexpr int kVariableViewRows = 255;  // one per Survey table column, row 0 the headings

constexpr int field_column(VariableField f) { return static_cast<int>(f); }

enum class VariableType { numeric, character, date };

// "numeric", "character", "date": the texts stored in the view and in the survey file.
std::string_view type_text(VariableType type);

// An empty Variable View of the right shape, holding the defaults of a new table.
TextGrid new_variable_view();

// Restores the defaults of a new table: the 19 standard variables with their types and limits,
// no user variables. Row 0 (the headings) is kept; they are rewritten whenever the view is shown.
// A grid of another shape is first brought to 6 columns and 255 rows.
void VSG_New(TextGrid& view);

// The type of the variable in row `row`: "date" and "character" as written, anything else
// (including an empty or a misspelt type) counts as numeric, as the return to the Data View
// writes it.
VariableType variable_type(const TextGrid& view, int row);

// The lower and upper limit of the variable in row `row`; nullopt when the cell is empty (no
// limit). A text that is not a number gives kUnreadable, as the plausibility check reads it.
std::optional<float> variable_minimum(const TextGrid& view, int row, char decimal_separator = '.');
std::optional<float> variable_maximum(const TextGrid& view, int row, char decimal_separator = '.');

}  // namespace olvar::core
