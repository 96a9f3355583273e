#pragma once
// The population pyramid of the individual level: 18 five-year age groups, males to the left
// and females to the right, each bar the group's share of the total person-equivalents (25
// drawing units per 1%). Drawn as a display list in units of a 613 x 369 picture, so that the
// same drawing goes to SVG (core) and to a painter (desktop).

#include <string>
#include <vector>

#include "mortality/death_rates.h"

namespace olvar::mortality {

struct DisplayItem {
  enum Kind { text, line, rectangle } kind = text;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // text: position of its top-left corner in x1, y1
  std::string content;                 // text only
  int font_size = 10;                  // text only
  std::string fill;                    // rectangle: "blue", "red" or "white"
};

inline constexpr int kPyramidWidth = 613;
inline constexpr int kPyramidHeight = 369;

// The drawing from the person-equivalents of the 18 five-year groups (0-4 ... 85+); with a
// total of 0 the titles, labels and axes without bars.
std::vector<DisplayItem> population_pyramid(const std::vector<double>& males,
                                            const std::vector<double>& females);
// The same from the individual results computed with the five-year groups.
std::vector<DisplayItem> population_pyramid(const IndividualResults& five_year_results);

// A standalone SVG document of the drawing, each unit multiplied by `scale`.
std::string svg_document(const std::vector<DisplayItem>& items, int scale = 1);

}  // namespace olvar::mortality
