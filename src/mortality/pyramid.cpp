#include "mortality/pyramid.h"

#include <cmath>

namespace olvar::mortality {

graphs::Drawing population_pyramid(const std::vector<double>& males,
                                   const std::vector<double>& females) {
  graphs::Drawing drawing{kPyramidWidth, kPyramidHeight, {}};
  std::vector<graphs::Step>& d = drawing.steps;
  const auto text = [&](int x, int y, std::string s, int size = 10) {
    d.push_back(graphs::Text{double(x), double(y), std::move(s), "Times", double(size), false});
  };
  const auto line = [&](int x1, int y1, int x2, int y2) {
    d.emplace_back(std::in_place_type<graphs::Line>, double(x1), double(y1), double(x2),
                   double(y2));
  };
  d.push_back(
      graphs::Box{0, 0, kPyramidWidth, kPyramidHeight, graphs::kWhite, graphs::Fill::solid, false});
  text(245, 0, "Population Pyramid", 13);
  text(245, 350, "% of Total Population");
  text(8, 2, "years");
  text(105, 30, "male");
  text(505, 30, "female");
  static const char* const kAges[] = {"  85+", "80-84", "75-79", "70-74", "65-69", "60-64",
                                      "55-59", "50-54", "45-49", "40-44", "35-39", "30-34",
                                      "25-29", "20-24", "15-19", "10-14", "  5-9", "  0-4"};
  for (int i = 0; i < 18; ++i) text(8, 22 + 18 * i, kAges[i]);
  text(50, 350, "10");
  text(177, 350, "5");
  text(427, 350, "5");
  text(550, 350, "10");
  for (int x : {55, 180, 430, 555}) line(x, 341, x, 349);
  line(45, 20, 45, 345);
  line(305, 20, 305, 345);
  line(45, 345, 600, 345);

  double total = 0.0;
  for (std::size_t r = 0; r < 18; ++r) {
    total += (r < males.size() ? males[r] : 0.0) + (r < females.size() ? females[r] : 0.0);
  }
  if (!(total > 0.0)) return drawing;
  for (int r = 1; r <= 18; ++r) {
    const double m = static_cast<std::size_t>(r - 1) < males.size() ? males[r - 1] : 0.0;
    const double f = static_cast<std::size_t>(r - 1) < females.size() ? females[r - 1] : 0.0;
    const int y = 345 - 18 * r;
    // Halves to even, as the widths of the drawing are taken.
    const int wm = static_cast<int>(std::nearbyint(m * 25.0 * 100.0 / total));
    const int wf = static_cast<int>(std::nearbyint(f * 25.0 * 100.0 / total));
    d.push_back(graphs::Box{double(305 - wm), double(y), 305, double(y + 18), graphs::kBlue,
                            graphs::Fill::solid, true});
    d.push_back(graphs::Box{double(305 + wf), double(y), 305, double(y + 18), graphs::kRed,
                            graphs::Fill::solid, true});
  }
  return drawing;
}

graphs::Drawing population_pyramid(const IndividualResults& r) {
  std::vector<double> males, females;
  for (const PersonTotals& t : r.age_table) {
    males.push_back(t.males);
    females.push_back(t.females);
  }
  return population_pyramid(males, females);
}

}  // namespace olvar::mortality
