#include "document/editor_ruler.h"

namespace olvar::document {

namespace {

// trunc(points x 4/3) and trunc(pixels / (4/3)) in integers; C++ division truncates toward zero.
int to_pixels(int points) { return points * 4 / 3; }
int to_points(int pixels) { return pixels * 3 / 4; }

}  // namespace

RulerMarkers ruler_markers(const ParagraphIndents& indents, int ruler_width) {
  return {to_pixels(indents.first) + 2, to_pixels(indents.left + indents.first) + 2,
          (ruler_width - 6) - to_pixels(indents.right + 6)};
}

ParagraphIndents drop_marker(ParagraphIndents indents, RulerMarker marker, int edge, int half_width,
                             int left_edge, int ruler_width) {
  switch (marker) {
    case RulerMarker::first_line:
      indents.first = to_points(edge + half_width - 6);
      indents.left = to_points(left_edge + half_width - 6) - indents.first;
      break;
    case RulerMarker::left:
      indents.left = to_points(edge + half_width - 6) - indents.first;
      break;
    case RulerMarker::right:
      indents.right = to_points(ruler_width - edge + half_width - 2) - 12;
      break;
  }
  return indents;
}

}  // namespace olvar::document
