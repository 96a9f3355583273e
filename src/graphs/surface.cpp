#include "graphs/surface.h"

#include <variant>

namespace olvar::graphs {

Surface::Surface() : drawing_{kSurfaceWidth, kSurfaceHeight, {}} {
  drawing_.steps.push_back(
      Box{0, 0, kSurfaceWidth - 1, kSurfaceHeight - 1, kWhite, Fill::solid, true});
}

void Surface::line(double x1, double y1, double x2, double y2, Rgb colour, double width) {
  drawing_.steps.push_back(Line{x1, y1, x2, y2, colour, width, false});
}

void Surface::dotted_line(double x1, double y1, double x2, double y2) {
  drawing_.steps.push_back(Line{x1, y1, x2, y2, kBlack, 1, true});
}

void Surface::rect(double x1, double y1, double x2, double y2, Rgb fill, bool outline) {
  drawing_.steps.push_back(Box{x1, y1, x2, y2, fill, Fill::solid, outline});
}

void Surface::dot(double x, double y, Rgb colour, double radius) {
  const Ellipse dot{x - radius, y - radius, x + radius, y + radius, colour};
  // Sorted values and finely stepped curves put many dots on the same pixel in a row: painting
  // it again changes nothing, and a survey of 65,535 children would otherwise carry as many.
  if (!drawing_.steps.empty()) {
    if (const auto* last = std::get_if<Ellipse>(&drawing_.steps.back()); last && *last == dot)
      return;
  }
  drawing_.steps.push_back(dot);
}

void Surface::text(double x, double y, std::string text, double size, bool bold) {
  drawing_.steps.push_back(Text{x, y, std::move(text), kSurfaceFont, size, bold});
}

void Surface::legend(double top, Rgb colour, std::string text) {
  rect(341, top, 360, top + 2, colour, false);
  this->text(364, top - 6, std::move(text));
}

}  // namespace olvar::graphs
