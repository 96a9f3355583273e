#pragma once
// The population pyramid of the individual level: 18 five-year age groups, males to the left
// and females to the right, each bar the group's share of the total person-equivalents (25
// drawing units per 1%). Drawn as a display list (graphs/display_list.h) in units of a
// 613 x 369 picture, so that the same drawing goes to SVG (core) and to a painter (desktop).

#include <vector>

#include "graphs/display_list.h"
#include "mortality/death_rates.h"

namespace olvar::mortality {

inline constexpr int kPyramidWidth = 613;
inline constexpr int kPyramidHeight = 369;

// The drawing from the person-equivalents of the 18 five-year groups (0-4 ... 85+); with a
// total of 0 the titles, labels and axes without bars.
graphs::Drawing population_pyramid(const std::vector<double>& males,
                                   const std::vector<double>& females);
// The same from the individual results computed with the five-year groups.
graphs::Drawing population_pyramid(const IndividualResults& five_year_results);

}  // namespace olvar::mortality
