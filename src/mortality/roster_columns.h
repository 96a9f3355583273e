#pragma once
// The columns of a household roster that its import reads (mortality/roster_import.h), as
// targets of the import window's mapping: a roster exported by another form names its columns
// otherwise, and the mapping says which of its fields is which.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace olvar::mortality {

inline constexpr std::array<std::string_view, 8> kRosterColumns = {
    "KEY", "sex_roster", "age_years", "joined", "birth", "cluster_id", "today", "enum"};
// The first six must be given; today and enum may be left out.
inline constexpr std::size_t kRequiredRosterColumns = 6;

// The roster text with its heading line rewritten: field f is named kRosterColumns[k] when
// field_of_column[k] == f, and "_FIELD" + its number (from 1) otherwise, so that an unmapped
// field cannot be taken for a roster column. The records are kept as they stand.
std::string roster_with_columns(std::string_view csv, std::size_t field_count,
                                const std::vector<int>& field_of_column);

}  // namespace olvar::mortality
