#include "graphs/axes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "core/text_conversions.h"

namespace olvar::graphs {

namespace {

constexpr double kXSpan = 400;  // units of the x range
constexpr double kYSpan = 270;  // units of the y range

// The smallest round step (1, 2 or 5 times a power of ten) that cuts the range into at most 12
// parts: labels a reader can add up in his head, 5 to 12 of them.
// Never finer than 0.1: a label such as "-0.05" would not fit left of the y axis.
double round_step(double range) {
  double power = std::max(0.1, std::pow(10.0, std::floor(std::log10(range / 12))));
  for (;;) {
    for (const double m : std::array{1.0, 2.0, 5.0}) {
      if (range / (m * power) <= 12 + 1e-9) return m * power;
    }
    power *= 10;
  }
}

// The tick values: every multiple of the step from the minimum to the maximum.
std::vector<double> tick_values(double min, double max, double step) {
  std::vector<double> values;
  const double tolerance = step * 1e-6;
  for (double k = std::ceil((min - tolerance) / step); k * step <= max + tolerance; k += 1) {
    const double v = k * step;
    values.push_back(std::abs(v) < tolerance ? 0.0 : v);  // never "-0"
  }
  return values;
}

int decimals_of(double step) {
  return std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
}

// Where the axes of the probability plot cross, the tick keeps no label.
bool crossing(const AxisScaling& a, double value) { return a.probability_plot && value == 0.0; }

void x_axis(Surface& surface, const AxisScaling& a) {
  const double low = std::min(a.x_min, a.x_max), range = std::abs(a.x_max - a.x_min);
  if (range <= 1e-9) return;
  const double step = round_step(range);
  for (const double v : tick_values(low, low + range, step)) {
    const double x = whole(30 + (v - low) * kXSpan / range + 1e-7);  // 0.1 x 12 is 1.2 + 2e-16
    surface.line(x, a.y0 + 5, x, a.y0 - 4);
    if (crossing(a, v) || v < a.x_label_from) continue;
    const std::string label(core::trim_spaces(core::format_fixed(v, 5, decimals_of(step))));
    const double left = whole(x - text_width(label) / 2);  // centred under its tick
    if (a.label_ground)
      surface.rect(left - 1, a.y0 + 6, left + text_width(label) + 1, a.y0 + 18, kWhite, false);
    surface.text(left, a.y0 + 7, label);
  }
}

void y_axis(Surface& surface, const AxisScaling& a) {
  const double low = std::min(a.y_min, a.y_max), range = std::abs(a.y_max - a.y_min);
  if (range <= 1e-9) return;
  const double step = round_step(range);
  for (const double v : tick_values(low, low + range, step)) {
    const double y = whole(40 + (low + range - v) * kYSpan / range + 1e-7);
    surface.line(a.x0 - 3, y, a.x0 + 3, y);
    if (crossing(a, v)) continue;
    const std::string label(core::trim_spaces(core::format_fixed(v, 4, decimals_of(step))));
    // Right-aligned beside its tick, on a white ground where a grid was drawn before, so
    // that no grid line runs through a minus sign.
    const double x = whole(a.x0 - 4 - text_width(label));
    if (a.label_ground) surface.rect(x - 1, y - 6, a.x0 - 4, y + 6, kWhite, false);
    surface.text(x, y - 6, label);
  }
}

}  // namespace

void Achsenskalierung(Surface& surface, const AxisScaling& axes) {
  x_axis(surface, axes);
  y_axis(surface, axes);
}

void Achsenbeschriftung(Surface& surface, const AxisLabels& labels) {
  if (labels.gaussian) {
    surface.rect(2, 2, 448, 35, kWhite, false);
    surface.rect(31, 2, 60, 54, kWhite, false);
    surface.rect(2, 331, 448, 344, kWhite, false);
  }
  // Centred, but never over the y axis text that shares its line.
  const double after_y_text = labels.y_text.empty() ? 0 : 10 + text_width(labels.y_text) + 6;
  surface.text(
      whole(std::max((459 - 7.65 * static_cast<double>(labels.title.size())) / 2, after_y_text)),
      10, labels.title, kTitleSize, true);
  const bool boys_title =
      !labels.boys_text.empty() && labels.title.find(labels.boys_text) != std::string::npos;
  if (labels.count != 0 && !boys_title) {
    // On white: the cumulative and probability plots draw their grid under it.
    const std::string count = "(n = " + std::to_string(labels.count) + ")";
    surface.rect(34, 27, 36 + text_width(count), 28 + text_height(), kWhite, false);
    surface.text(35, 28, count);
  }
  surface.text(10, 15, labels.y_text);
  if (const std::size_t space = labels.x_text.find(' '); space != std::string::npos) {
    const std::string head = labels.x_text.substr(0, space + 1);
    surface.text(225 - 2 * static_cast<double>(head.size()), 329, head);
  }
}

}  // namespace olvar::graphs
