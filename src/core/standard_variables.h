#pragma once
// The 19 standard variables of the Survey table: positions and header texts fixed by the survey
// file format, and the shape limits of the table.

#include <array>
#include <optional>
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

constexpr int column(StdVar v) { return static_cast<int>(v); }

inline constexpr std::array<std::string_view, kStandardVariableCount + 1> kStandardHeaders = {
    "",       "SURVDATE", "CLUSTER", "TEAM", "ID",  "HH",      "SEX",     "BIRTHDAT", "MONTHS",
    "WEIGHT", "HEIGHT",   "EDEMA",   "MUAC", "WAZ", "HAZ",     "WHZ",     "MEASURE",  "CLOTHES",
    "STRATA", "WTFACTOR"};

constexpr std::string_view header_text(StdVar v) { return kStandardHeaders[column(v)]; }

// The standard variable whose header is `name` (exact, upper case), if any.
std::optional<StdVar> standard_variable(std::string_view name);

}  // namespace olvar::core
