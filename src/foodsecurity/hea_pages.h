#pragma once
// What the Food Security page does to its tables when a sub-page is opened or a table command
// is given: the household page writes the wealth group names and units, the seasonal page is
// rebuilt from the household items (keeping each item's percentages), the shock-year table is
// rebuilt around the current items (keeping every entered price, share, percentage and gift),
// and the household table's row commands.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foodsecurity/hea_tables.h"

namespace olvar::foodsecurity {

inline constexpr std::string_view kInsertRefused =
    "In this place it is not possible to insert a new row!";
inline constexpr std::string_view kTypingRefused = "Please do not enter data here";

// The row of `grid` (rows first_row to last_row, both included) whose column `column` names the
// item `name`: the row holding exactly that name when there is one, otherwise the first row
// whose name begins with it (case ignored), passing over rows whose name is exactly one of
// `taken` (another item's own row). Matching by "begins with" alone would let an item "Milk"
// take over the row, values included, of "Milk, own herd".
std::optional<int> find_item_row(const core::TextGrid& grid, int column, std::string_view name,
                                 int first_row, int last_row,
                                 const std::vector<std::string>& taken = {});

// The first row from `from_row` whose column 0 contains `heading` (case ignored or not).
std::optional<int> find_heading(const core::TextGrid& grid, std::string_view heading, int from_row,
                                bool ignore_case);
// The rows below a heading row up to the next row with a non-empty column 0.
std::vector<int> section_items(const core::TextGrid& grid, int heading_row);

// A row whose column 0 holds a heading: it cannot be typed into or deleted.
bool is_heading_row(const core::TextGrid& household, int row);

// Opening "Household data for reference year": wealth group names into row 1, units into the
// heading rows of the sections.
void rebuild_household_page(FoodSecurity& state);
// Opening "Seasonal data for reference year". Returns false, changing nothing, when the
// household table lacks "Food Income" or "Cash Income".
bool rebuild_seasonal_page(HeaTables& tables);
// The row totals of the seasonal table (column 14): the sum of the positive month values.
void recompute_row_totals(core::TextGrid& seasonal);
// A new start month (0 = "Jan") rewrites the month names of the seasonal and shock-year tables.
void set_start_month(FoodSecurity& state, int month);
// "Insert Row" / "Delete Row" of the household page. Insert returns false when refused (above
// row 5); delete does nothing for a heading row or a row above 5.
bool insert_household_row(core::TextGrid& household, int row);
bool delete_household_row(core::TextGrid& household, int row);

// Opening "Data for years with shock": lays out the shock-year table for the current household
// items, taking over what was entered for each item.
void rebuild_shock_table(HeaTables& tables);

}  // namespace olvar::foodsecurity
