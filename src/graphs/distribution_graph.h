#pragma once
// The distribution graphs of one index for all children or by sex: the smoothed density against
// the standard normal curve ("Gaussian Curve"), the cumulative distribution and the normal
// probability plot, drawn on the 449 x 345 surface of the results page.
//
// For the grouping by sex the girls are drawn first, with the frame, and the boys on the same
// surface without a second frame:
//   Surface s;
//   draw_distribution(s, DistributionType::cumulative, {girls, Series::girls, title, "WHZ"},
//   texts); draw_distribution(s, DistributionType::cumulative, {boys, Series::boys, title, "WHZ"},
//   texts);

#include <optional>
#include <string>
#include <vector>

#include "core/language_table.h"
#include "graphs/graph_texts.h"
#include "graphs/surface.h"

namespace olvar::graphs {

enum class DistributionType { gaussian = 0, cumulative = 1, probability = 2 };
enum class Series { none, girls, boys };

struct DistributionInput {
  std::vector<double> values;  // the present values of the column, in any order
  Series series = Series::none;
  std::string title;
  std::string variable;  // "WAZ", "HAZ", "WHZ" or "MUAC"
  std::string x_text = "ALL";
  bool show_count = true;  // "(n = ...)" under the title; the series legends count by sex
};

// Colours of the observed data: red for all children and for girls, blue for boys.
Rgb series_colour(Series series);

// Draws one series. Returns Language entry 804 when the Gaussian curve cannot be drawn (fewer
// than 13 distinct values among some): the axes stay, the curves are left out, and the caller
// shows the entry as a message.
std::optional<core::LanguageEntry> draw_distribution(Surface& surface, DistributionType type,
                                                     const DistributionInput& input,
                                                     const GraphTexts& texts);

// The number of distinct values, those within 1e-5 of each other counted once.
int distinct_values(std::vector<double> values);

// The smoothed density of the Gaussian curve at its evaluation points: -5, -5 + step, ... (50
// points from 50 values on, one per value below), with an Epanechnikov kernel of bandwidth
// 0.9 sd / c^0.2. Empty for fewer than 3 values or no spread.
struct DensityPoint {
  double x = 0, f = 0;
};
std::vector<DensityPoint> density_points(const std::vector<double>& values);
double density_bandwidth(const std::vector<double>& values);

}  // namespace olvar::graphs
