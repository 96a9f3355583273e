#pragma once
// Writes a display list as an SVG document, for olvar-cli and for the desktop's "Save as SVG".

#include <string>

#include "graphs/display_list.h"

namespace olvar::graphs {

// A standalone SVG document (UTF-8) of the drawing, each unit multiplied by `scale`. A step
// with a coordinate that is not a finite number is left out, so the document always parses.
std::string svg_of(const Drawing& drawing, double scale = 1);

}  // namespace olvar::graphs
