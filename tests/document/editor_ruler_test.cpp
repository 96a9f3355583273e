#include "document/editor_ruler.h"

#include <gtest/gtest.h>

namespace olvar::document {
namespace {

TEST(EditorRuler, MarkersFromIndents) {
  // First indent 36 pt: 36 x 4/3 = 48 px, plus the 2 px border = 50.
  const RulerMarkers markers = ruler_markers({36, 18, 9}, 600);
  EXPECT_EQ(markers.first_line, 50);
  EXPECT_EQ(markers.left, 74);                             // (18 + 36) x 4/3 = 72, + 2
  EXPECT_EQ(markers.right, 594 - 20);                      // (9 + 6) x 4/3 = 20 from 600 - 6
  EXPECT_EQ(ruler_markers({1, 0, 0}, 100).first_line, 3);  // 1.33 px truncated
}

TEST(EditorRuler, DroppingTheLeftMarkerKeepsTheOthers) {
  const ParagraphIndents before{36, 0, 9};
  // Marker 10 px wide (half 5) dropped at 91: (91 + 5 - 6) = 90 px = 67.5 pt -> 67, minus 36.
  const ParagraphIndents after = drop_marker(before, RulerMarker::left, 91, 5, 0, 600);
  EXPECT_EQ(after.left, 31);
  EXPECT_EQ(after.first, 36);
  EXPECT_EQ(after.right, 9);
}

TEST(EditorRuler, DroppingTheFirstLineMarkerKeepsTheOtherLines) {
  // The left-indent marker stays at 50 px (first 36, left 0); the first line moves to 10 px.
  const ParagraphIndents after = drop_marker({36, 0, 0}, RulerMarker::first_line, 11, 5, 50, 600);
  EXPECT_EQ(after.first, 7);      // (11 + 5 - 6) = 10 px -> 7 pt
  EXPECT_EQ(after.left, 36 - 7);  // (50 + 5 - 6) = 49 px -> 36 pt, relative to the first line
}

TEST(EditorRuler, RightMarkerRoundTrip) {
  // Markers 10 px wide; dropping the right marker where ruler_markers put it, centred on the
  // mouse, gives back nearly the indent: the pixel grid loses at most a point or two.
  const int width = 600;
  const RulerMarkers markers = ruler_markers({0, 0, 30}, width);
  const ParagraphIndents after =
      drop_marker({0, 0, 30}, RulerMarker::right, markers.right, 5, markers.left, width);
  EXPECT_NEAR(after.right, 30, 2);
}

}  // namespace
}  // namespace olvar::document
