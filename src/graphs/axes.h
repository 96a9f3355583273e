#pragma once
// The two axis operations every graph of the results page uses: the ticks and tick labels of
// both axes (`Achsenskalierung`) and the title and axis texts (`Achsenbeschriftung`). 400 units
// span the x range (from x = 30) and 270 units the y range (from y = 40).

#include <string>

#include "graphs/surface.h"

namespace olvar::graphs {

struct AxisScaling {
  double y0 = 310;  // y of the x axis
  double x0 = 30;   // x of the y axis
  double y_max = 0, y_min = 0;
  double x_max = 0, x_min = 0;
  bool probability_plot = false;  // leaves out the labels where the axes cross
  bool label_ground = false;      // y labels on white, over a grid drawn before them
  double x_label_from = -1e300;   // x ticks below this value carry no label
};

// Ticks and labels of both axes. An axis whose range is 1e-9 or less gets none. The step is the
// smallest of 1, 2 and 5 times a power of ten that cuts the range into at most 12 parts, and
// every multiple of it from the minimum to the maximum gets a tick and a label (a published
// graph reads "-1.0, -0.5, 0.0", never "1.1, 0.8, 0.4" or "-0.0"). The y labels end at
// x0 - 4, so a graph's horizontal axis line starts at x0 - 3 to stay clear of them.
void Achsenskalierung(Surface& surface, const AxisScaling& axes);

struct AxisLabels {
  std::string title;
  std::string y_text;
  std::string x_text;     // only its part up to and including the first space is written
  long long count = 0;    // shown as "(n = count)" when not 0
  bool gaussian = false;  // erase what the curves drew above and below the plot first
  // The boys' series text: a title holding it shows no count (the girls' count is shown).
  std::string boys_text;
};

void Achsenbeschriftung(Surface& surface, const AxisLabels& labels);

}  // namespace olvar::graphs
