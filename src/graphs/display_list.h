#pragma once
// A picture as a list of drawing steps, so that one description of a graph can be shown on the
// screen, printed, put on the clipboard (the Qt layer paints it) and written as SVG (here).
// Coordinates are pixels with y going down; text is placed with its top-left corner at (x, y).

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace olvar::foodsecurity {

struct Rgb {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

struct Line {
  double x1, y1, x2, y2;
  Rgb colour = kBlack;
  double width = 1;
};

enum class Fill { none, solid, cross_hatch };

struct Box {
  double x1, y1, x2, y2;
  Rgb fill_colour = kWhite;
  Fill fill = Fill::solid;
  bool outline = false;  // a black frame
};

struct Text {
  double x, y;
  std::string text;  // Windows-1252, as in the tables
  std::string font = "Times";
  double size = 10;  // points
  bool bold = false;
};

using Step = std::variant<Line, Box, Text>;

struct Drawing {
  int width = 0;
  int height = 0;
  std::vector<Step> steps;
};

// An SVG document of the drawing (UTF-8).
std::string svg_of(const Drawing& drawing);

}  // namespace olvar::foodsecurity
