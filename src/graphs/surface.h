#pragma once
// The drawing surface of the results page's graphs: 449 x 345 units, cleared to white with a
// black frame, text in Times New Roman. Every coordinate of the graphs is a whole unit (values
// are truncated towards zero, as the pixels of the page were), so tests can compare them exactly.
//
//   Surface s;
//   s.line(30, 30, 30, 330);
//   s.text(10, 15, "WHZ");
//   graphs::Drawing d = std::move(s).drawing();

#include <cmath>
#include <string>
#include <string_view>
#include <utility>

#include "graphs/display_list.h"

namespace olvar::graphs {

inline constexpr int kSurfaceWidth = 449;
inline constexpr int kSurfaceHeight = 345;
inline constexpr const char* kSurfaceFont = "Times New Roman";
inline constexpr double kTextSize = 8;    // points: every text but the title
inline constexpr double kTitleSize = 12;  // points, bold

// ⌊x⌋ of the graphs' formulas: truncation towards zero. A value that is not a finite number
// (an undefined case reaching a coordinate) becomes 0 instead of travelling into a picture.
inline double whole(double x) { return std::isfinite(x) ? std::trunc(x) : 0.0; }

// The room a text takes on the surface, as the layout of the graphs reserves it: a point is 96/72
// units, and each character is given the width it has in the widest serif face a renderer may
// substitute (digits 0.64 of the size), so a label kept apart here stays apart when painted.
inline double text_height(double size = kTextSize) { return size * 96 / 72 * 1.1; }
inline double text_width(const std::string& text, double size = kTextSize) {
  double ems = 0;
  for (const char c : text) {
    if (std::string_view(" .,:;'!|-()[]iljftI").find(c) != std::string_view::npos) {
      ems += 0.36;
    } else if (std::string_view("mwMW@%").find(c) != std::string_view::npos) {
      ems += 0.95;
    } else if (c >= 'A' && c <= 'Z') {
      ems += 0.74;
    } else {
      ems += 0.64;
    }
  }
  return ems * size * 96 / 72;
}

class Surface {
 public:
  Surface();  // white, framed

  void line(double x1, double y1, double x2, double y2, Rgb colour = kBlack, double width = 1);
  void dotted_line(double x1, double y1, double x2, double y2);
  // A rectangle filled with `fill` and framed in black (`outline`) or in its own colour.
  void rect(double x1, double y1, double x2, double y2, Rgb fill, bool outline = true);
  // A filled circle of `radius` around (x, y).
  void dot(double x, double y, Rgb colour, double radius = 2);
  void text(double x, double y, std::string text, double size = kTextSize, bool bold = false);
  // A legend mark: a block of 20 x 3 units at x 341 to 360 from `top` to top + 2, filled with the
  // series colour, and its text at (364, top - 6).
  void legend(double top, Rgb colour, std::string text);

  const Drawing& drawing() const& { return drawing_; }
  Drawing drawing() && { return std::move(drawing_); }

 private:
  Drawing drawing_;
};

}  // namespace olvar::graphs
