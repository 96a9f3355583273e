#pragma once
// A picture as a list of drawing steps, so that one description of a graph can be shown on the
// screen, printed, put on the clipboard, saved as PNG (the Qt layer paints it) and written as SVG
// (svg_renderer.h). Every graph of the program is one: the results page's distribution and group
// graphs, the growth chart, the food security graphs.
//
// Coordinates are the units the graph is defined in, x to the right and y down; a renderer
// multiplies them by its scale. Rectangles and ellipses may give their corners in any order (a
// bar is described from its foot to its top). Text is placed by the top-left corner of its first
// character. Steps are painted in order, later ones over earlier ones; whatever lies outside
// width x height is clipped.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace olvar::graphs {

struct Rgb {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kGreen{0, 128, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kYellow{255, 255, 0};
inline constexpr Rgb kGrey{128, 128, 128};

struct Line {
  double x1, y1, x2, y2;
  Rgb colour = kBlack;
  double width = 1;
  bool dotted = false;
  friend bool operator==(const Line&, const Line&) = default;
};

enum class Fill { none, solid, cross_hatch };

struct Box {
  double x1, y1, x2, y2;
  Rgb fill_colour = kWhite;
  Fill fill = Fill::solid;
  bool outline = false;  // a black frame
  friend bool operator==(const Box&, const Box&) = default;
};

// A filled ellipse inside the box (x1, y1)-(x2, y2), without a frame: the dots of the graphs.
struct Ellipse {
  double x1, y1, x2, y2;
  Rgb fill_colour = kBlack;
  friend bool operator==(const Ellipse&, const Ellipse&) = default;
};

struct Text {
  double x, y;
  std::string text;  // Windows-1252, as every text of the program
  std::string font = "Times";
  double size = 10;  // points
  bool bold = false;
  friend bool operator==(const Text&, const Text&) = default;
};

using Step = std::variant<Line, Box, Ellipse, Text>;

struct Drawing {
  int width = 0;
  int height = 0;
  std::vector<Step> steps;
};

}  // namespace olvar::graphs
