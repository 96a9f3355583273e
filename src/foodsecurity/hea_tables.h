#pragma once
// The household economy tables of the Food Security page: the household table and the seasonal
// table of the reference year, the shock-year table, the wealth group list and the start month.
// They are grids of text like every other table; amounts are parsed when used, an empty or
// unreadable cell counting as 0.

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/text_grid.h"

namespace olvar::foodsecurity {

inline constexpr int kHouseholdColumns = 100;
inline constexpr int kHouseholdRows = 200;
inline constexpr int kSeasonalColumns = 16;
inline constexpr int kSeasonalRows = 100;
inline constexpr int kShockColumns = 38;
inline constexpr int kShockRows = 200;
inline constexpr int kWealthGroupRows = 100;
// Household columns 3 and up hold one wealth group each.
inline constexpr int kFirstGroupColumn = 3;

inline constexpr std::array<std::string_view, 12> kMonthNames = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The three tables the HEA file stores together.
struct HeaTables {
  core::TextGrid household{kHouseholdColumns, kHouseholdRows};
  core::TextGrid seasonal{kSeasonalColumns, kSeasonalRows};
  core::TextGrid shock{kShockColumns, kShockRows};
  friend bool operator==(const HeaTables&, const HeaTables&) = default;
};

// Everything the Food Security page owns.
struct FoodSecurity {
  HeaTables tables;
  std::vector<std::string> wealth_groups = std::vector<std::string>(kWealthGroupRows);
  int start_month = 0;                  // 0 = "Jan": the first month of the seasonal calendar
  std::filesystem::path file_name;      // the HEA file last read or written; empty until then
};

// An amount read from a cell: the tolerant parse, an empty or unreadable cell counting as 0.
double amount(const core::TextGrid& grid, int column, int row);

// Whether `text` contains `part` (exact case) / ignoring ASCII case.
bool contains(std::string_view text, std::string_view part);
bool contains_ignoring_case(std::string_view text, std::string_view part);
bool begins_with_ignoring_case(std::string_view text, std::string_view part);

// Whether HEA data is loaded: column 0 of household row 2 holds a heading.
bool hea_data_loaded(const HeaTables& tables);

// The wealth group names a user can pick on the shock-year page: the list from its first row down
// to the first empty row.
std::vector<std::string> selectable_wealth_groups(const FoodSecurity& state);

// The wealth groups of the household table itself: the columns from 3 on as long as the name in
// row 1 is not empty.
std::vector<std::string> household_wealth_groups(const HeaTables& tables);

}  // namespace olvar::foodsecurity
