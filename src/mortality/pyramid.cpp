#include "mortality/pyramid.h"

#include <cmath>

namespace olvar::mortality {

std::vector<DisplayItem> population_pyramid(const std::vector<double>& males,
                                            const std::vector<double>& females) {
  std::vector<DisplayItem> d;
  const auto text = [&](int x, int y, std::string s, int size = 10) {
    d.push_back({DisplayItem::text, x, y, 0, 0, std::move(s), size, ""});
  };
  const auto line = [&](int x1, int y1, int x2, int y2) {
    d.push_back({DisplayItem::line, x1, y1, x2, y2, "", 10, ""});
  };
  d.push_back({DisplayItem::rectangle, 0, 0, kPyramidWidth, kPyramidHeight, "", 10, "white"});
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
  if (!(total > 0.0)) return d;
  for (int r = 1; r <= 18; ++r) {
    const double m = static_cast<std::size_t>(r - 1) < males.size() ? males[r - 1] : 0.0;
    const double f = static_cast<std::size_t>(r - 1) < females.size() ? females[r - 1] : 0.0;
    const int y = 345 - 18 * r;
    // Halves to even, as the widths of the drawing are taken.
    const int wm = static_cast<int>(std::nearbyint(m * 25.0 * 100.0 / total));
    const int wf = static_cast<int>(std::nearbyint(f * 25.0 * 100.0 / total));
    d.push_back({DisplayItem::rectangle, 305 - wm, y, 305, y + 18, "", 10, "blue"});
    d.push_back({DisplayItem::rectangle, 305 + wf, y, 305, y + 18, "", 10, "red"});
  }
  return d;
}

std::vector<DisplayItem> population_pyramid(const IndividualResults& r) {
  std::vector<double> males, females;
  for (const PersonTotals& t : r.age_table) {
    males.push_back(t.males);
    females.push_back(t.females);
  }
  return population_pyramid(males, females);
}

namespace {

std::string escaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else out += c;
  }
  return out;
}

}  // namespace

std::string svg_document(const std::vector<DisplayItem>& items, int scale) {
  const auto n = [scale](int v) { return std::to_string(v * scale); };
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + n(kPyramidWidth) +
                    "\" height=\"" + n(kPyramidHeight) + "\">\n";
  for (const DisplayItem& i : items) {
    switch (i.kind) {
      case DisplayItem::text:
        out += "<text x=\"" + n(i.x1) + "\" y=\"" + n(i.y1) + "\" font-family=\"Times\" font-size=\"" +
               std::to_string(i.font_size) + "pt\" dominant-baseline=\"hanging\" "
               "xml:space=\"preserve\">" + escaped(i.content) + "</text>\n";
        break;
      case DisplayItem::line:
        out += "<line x1=\"" + n(i.x1) + "\" y1=\"" + n(i.y1) + "\" x2=\"" + n(i.x2) +
               "\" y2=\"" + n(i.y2) + "\" stroke=\"black\"/>\n";
        break;
      case DisplayItem::rectangle: {
        const int x = std::min(i.x1, i.x2), y = std::min(i.y1, i.y2);
        out += "<rect x=\"" + n(x) + "\" y=\"" + n(y) + "\" width=\"" +
               n(std::abs(i.x2 - i.x1)) + "\" height=\"" + n(std::abs(i.y2 - i.y1)) +
               "\" fill=\"" + i.fill + "\"" + (i.fill == "white" ? "" : " stroke=\"black\"") +
               "/>\n";
        break;
      }
    }
  }
  return out + "</svg>\n";
}

}  // namespace olvar::mortality
