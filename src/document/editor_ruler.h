#pragma once
// The ruler of the report editor window: three indent markers over the text, placed from the
// paragraph's indents and turned back into indents when the user drags one. Indents are in
// points and the ruler in screen pixels at 96 per inch, so one point is 4/3 pixel; positions are
// truncated as the screen can show whole pixels only. The indents follow the word processor's
// model: the first line starts `first` points from the margin, the other lines `left` points
// further (`left` may be negative for a hanging first line), and the right indent is measured
// from the right margin.

namespace olvar::document {

struct ParagraphIndents {
  int first = 0;
  int left = 0;  // relative to the first line
  int right = 0;
};

// Left edges of the markers in pixels.
struct RulerMarkers {
  int first_line = 0;
  int left = 0;
  int right = 0;
};

RulerMarkers ruler_markers(const ParagraphIndents& indents, int ruler_width);

enum class RulerMarker { first_line, left, right };

// The indents after `marker` was dropped with its left edge at `edge`; `half_width` is half the
// grabbed marker's width, `left_edge` the left-indent marker's left edge (which moving the
// first-line marker leaves where it was, so the other lines stay in place).
ParagraphIndents drop_marker(ParagraphIndents indents, RulerMarker marker, int edge, int half_width,
                             int left_edge, int ruler_width);

}  // namespace olvar::document
