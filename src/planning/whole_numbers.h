#pragma once
// Whole numbers as the Planning page reads and writes them.

#include <optional>
#include <string>
#include <string_view>

namespace olvar::planning {

// A whole number typed into a cell or an edit box: an optional sign and digits, blanks around
// them allowed; nullopt for anything else (decimals, letters, an empty text, beyond 18 digits).
std::optional<long long> parse_whole_number(std::string_view text);

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4), as the
// sample sizes, the population size and the random numbers are rounded.
double round_half_even(double value);

// A rounded value as text ("401"); the value must be finite.
std::string whole_number_text(double value);

}  // namespace olvar::planning
