#include "graphs/axes.h"

#include <array>
#include <cmath>
#include <optional>

#include "core/text_conversions.h"

namespace olvar::graphs {

namespace {

constexpr double kXSpan = 400;  // units of the x range
constexpr double kYSpan = 270;  // units of the y range

// The first step that cuts the range into more than 5 and at most 12 parts.
std::optional<double> step_for(double range) {
  for (const double s : std::array{1.0, 2.0, 5.0, 10.0, 20.0}) {
    if (range / s > 5 && range / s <= 12) return s;
  }
  return std::nullopt;
}

// Decimals of a label when no step was found.
int decimals_for(double range) { return range > 10 ? 0 : range > 1 ? 1 : 2; }

// The first tick value above (or, below zero, at) the minimum.
double first_tick(double min, double s) {
  if (min >= 0) return (std::trunc(min / s) + 1) * s;
  return -s * (std::trunc(std::abs(min) / s + 1) - 2);
}

void x_axis(Surface& surface, const AxisScaling& a) {
  const double range = std::abs(a.x_max - a.x_min);
  if (range <= 1e-9) return;
  const auto tick = [&](double offset, const std::string& label) {
    const double x = whole(30 + offset * kXSpan / range);
    surface.line(x, a.y0 + 5, x, a.y0 - 4);
    if (!label.empty()) surface.text(whole(12 + offset * kXSpan / range), a.y0 + 7, label);
  };
  if (const auto s = step_for(range)) {
    const double t0 = first_tick(a.x_min, *s);
    const int n = static_cast<int>(std::trunc(range / *s));
    for (int i = 0; i <= n; ++i) {
      const bool skipped = a.probability_plot && i == 4;
      tick(t0 - a.x_min + i * *s, skipped ? "" : core::format_fixed(t0 + i * *s, 5, 0));
    }
    return;
  }
  const int decimals = decimals_for(range);
  for (int k = 0; k < 10; ++k) {
    const double d = k * range / 10;
    tick(d, core::format_fixed(a.x_min + d, 5, decimals));
  }
}

void y_axis(Surface& surface, const AxisScaling& a) {
  const double range = std::abs(a.y_max - a.y_min);
  if (range <= 1e-9) return;
  if (const auto s = step_for(range)) {
    const double t0 = first_tick(a.y_min, *s);
    const int n = static_cast<int>(std::trunc(range / *s));
    const double top = n * *s + t0;
    for (int i = 1; i <= n; ++i) {
      const double offset = (a.y_max - top + i * *s) * kYSpan / range;
      const double y = whole(40 + offset);
      surface.line(a.x0 - 3, y, a.x0 + 3, y);
      if (a.probability_plot && i == 6) continue;
      surface.text(a.x0 - 27, whole(34 + offset), core::format_fixed(top - i * *s, 4, 0));
    }
    return;
  }
  const int decimals = decimals_for(range);
  for (int k = 0; k < 9; ++k) {
    const double d = k * range / 9;
    const double y = whole(40 + d * kYSpan / range);
    surface.line(a.x0 - 3, y, a.x0 + 3, y);
    surface.text(3, whole(34 + d * kYSpan / range), core::format_fixed(a.y_max - d, 5, decimals));
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
  surface.text(whole((459 - 7.65 * static_cast<double>(labels.title.size())) / 2), 10, labels.title,
               kTitleSize, true);
  const bool boys_title =
      !labels.boys_text.empty() && labels.title.find(labels.boys_text) != std::string::npos;
  if (labels.count != 0 && !boys_title) {
    surface.text(35, 28, "(n = " + std::to_string(labels.count) + ")");
  }
  surface.text(10, 15, labels.y_text);
  if (const std::size_t space = labels.x_text.find(' '); space != std::string::npos) {
    const std::string head = labels.x_text.substr(0, space + 1);
    surface.text(225 - 2 * static_cast<double>(head.size()), 329, head);
  }
}

}  // namespace olvar::graphs
