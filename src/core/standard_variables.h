#pragma once
// The 19 standard variables of the Survey table: positions and header texts fixed by the survey
// file format, and the shape limits of the table.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace olvar::core {

enum class StdVar {
  survdate = 1, cluster, team, id, hh, sex, birthdat, months, weight, height,
  edema, muac, waz, haz, whz, measure, clothes, strata, wtfactor
};

inline constexpr int kStandardVariableCount = 19;
inline constexpr int kFirstUserColumn = 20;
inline constexpr int kMaxVariableColumns = 255;  // columns 1 to 255 hold variables
inline constexpr int kMaxRows = 65535;           // row indexes are 16-bit
inline constexpr int kNewTableRows = 100;        // a new table, header row included
inline constexpr int kSpareRows = 100;           // empty rows kept after the last used row
inline constexpr int kMaxUserVariableNameLength = 8;
// Columns of the grid, column 0 included. The Variable View has one row per column, so the last
// column a variable can occupy is 254.
inline constexpr int kMaxColumns = 255;
inline constexpr int kSpareColumns = 10;  // empty columns after the last variable of a read file

constexpr int column(StdVar v) { return static_cast<int>(v); }

// The column count of a table whose variables fill columns 1 to `variable_count`: ten more, so
// that the last column always stays empty (the save never writes it), and never more than
// kMaxColumns. A file read and a new table are shaped so.
constexpr int column_count_for_variables(int variable_count) {
  const int wanted = (variable_count < 0 ? 0 : variable_count) + kSpareColumns;
  return wanted < kMaxColumns ? wanted : kMaxColumns;
}

inline constexpr std::array<std::string_view, kStandardVariableCount + 1> kStandardHeaders = {
    "",       "SURVDATE", "CLUSTER", "TEAM", "ID",  "HH",      "SEX",     "BIRTHDAT", "MONTHS",
    "WEIGHT", "HEIGHT",   "EDEMA",   "MUAC", "WAZ", "HAZ",     "WHZ",     "MEASURE",  "CLOTHES",
    "STRATA", "WTFACTOR"};

constexpr std::string_view header_text(StdVar v) { return kStandardHeaders[column(v)]; }

// A typed name as a user variable name: upper-cased and cut to 8 characters. Only ASCII letters
// change case; other bytes (Windows-1252) stay as typed, as the survey file keeps them.
std::string user_variable_name(std::string_view typed);

// The standard variable whose header is `name` (exact, upper case), if any.
std::optional<StdVar> standard_variable(std::string_view name);

}  // namespace olvar::core
