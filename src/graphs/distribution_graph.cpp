#include "graphs/distribution_graph.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "core/text_conversions.h"
#include "graphs/axes.h"
#include "stats/distributions.h"

namespace olvar::graphs {

namespace {

constexpr double kPhi = 0.39894228;  // 1 / sqrt(2 pi)
constexpr int kMinimumDistinct = 13;

bool is_muac(const DistributionInput& input) { return input.variable == "MUAC"; }

// The series text of a legend: "girls (n)" or "boys (n)" in the Language table's words.
std::string series_text(Series series, std::size_t count, const GraphTexts& texts) {
  return texts(series == Series::boys ? 834 : 835) + " (" + std::to_string(count) + ")";
}

const std::string& reference_text(const GraphTexts& texts) {
  return texts(texts.reference == anthro::Reference::nchs1977 ? 1093 : 1094);
}

long long count_shown(const DistributionInput& input) {
  return input.show_count ? static_cast<long long>(input.values.size()) : 0;
}

std::vector<double> sorted(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values;
}

double x_of_z(double v) { return 29 + whole((v + 5) * 40); }

std::optional<core::LanguageEntry> gaussian(Surface& s, const DistributionInput& in,
                                            const GraphTexts& texts) {
  s.line(30, 30, 30, 330);
  s.line(27, 310, 439, 310);
  const bool z = !is_muac(in);
  AxisLabels labels{in.title, "", in.x_text, count_shown(in), true, texts(834)};
  if (z) {
    labels.x_text = "Z-score ";
    labels.y_text = texts(1092);
    Achsenskalierung(s, {310, 30, 45, 0, 5, -5});
    s.legend(41, kGreen, reference_text(texts));
  }
  std::optional<core::LanguageEntry> notice;
  const std::size_t n = in.values.size();
  if (n > 0 && distinct_values(in.values) < kMinimumDistinct) {
    notice = core::LanguageEntry{804};
  } else if (z) {
    // The observed density, then the standard normal density: both read in percent per unit
    // of z on the y axis (600 units per 1.0 of density).
    const std::vector<DensityPoint> points = density_points(in.values);
    const Rgb colour = series_colour(in.series);
    for (std::size_t k = 1; k < points.size(); ++k) {
      s.line(29 + whole((100 * points[k - 1].x + 500) * 0.4), 310 - whole(600 * points[k - 1].f),
             29 + whole((100 * points[k].x + 500) * 0.4), 310 - whole(600 * points[k].f), colour,
             3);
    }
    if (in.series == Series::girls) s.legend(81, colour, series_text(in.series, n, texts));
    if (in.series == Series::boys) s.legend(61, colour, series_text(in.series, n, texts));
    // The survey's own curve has its entry beside the reference's, as each sex has.
    if (in.series == Series::none)
      s.legend(61, colour, in.variable + " (" + std::to_string(n) + ")");
    for (int i = -500; i <= 500; ++i) {
      const double zi = i / 100.0;
      s.dot(29 + whole((i + 500) * 0.4), 310 - whole(600 * kPhi * std::exp(-zi * zi / 2)), kGreen);
    }
  }
  // Labelled last, so that its white strips erase what the curves drew beyond the plot.
  Achsenbeschriftung(s, labels);
  if (texts.exclusion == core::ExclusionMode::kandu) s.text(380, 330, texts(1016));
  if (texts.exclusion == core::ExclusionMode::epi_info) s.text(380, 330, texts(1015));
  return notice;
}

// The dotted grid shared by the cumulative distribution and the probability plot.
void dotted_grid(Surface& s) {
  for (int x = 30; x <= 430; x += 40) s.dotted_line(x, 30, x, 310);
  for (int y = 40; y <= 310; y += 27) s.dotted_line(30, y, 430, y);
}

void cumulative(Surface& s, const DistributionInput& in, const GraphTexts& texts) {
  const bool z = !is_muac(in);
  const std::vector<double> values = sorted(in.values);
  if (in.series != Series::boys) {
    dotted_grid(s);
    const double axis_x = z ? 230 : 30;
    s.line(axis_x, 30, axis_x, 330);
    s.line(10, 310, 439, 310);
    AxisScaling axes =
        z ? AxisScaling{310, 230, 100, 0, 5, -5} : AxisScaling{310, 30, 100, 0, 190, 90};
    axes.label_ground = true;  // the dotted grid runs under the labels
    Achsenskalierung(s, axes);
    Achsenbeschriftung(s, {"Cumulative Distribution for " + in.variable, "", in.x_text,
                           count_shown(in), false, texts(834)});
    s.text(z ? 238 : 38, 33, "%");
    s.text(215, 330, z ? "z-score" : "MUAC mm");
    if (z) s.legend(71, kGreen, reference_text(texts));
  }
  const Rgb colour = series_colour(in.series);
  if (in.series == Series::none && z)
    s.legend(91, colour, in.variable + " (" + std::to_string(values.size()) + ")");
  if (in.series == Series::girls)
    s.legend(111, colour, series_text(in.series, values.size(), texts));
  if (in.series == Series::boys) s.legend(91, colour, series_text(in.series, values.size(), texts));
  const double n = static_cast<double>(values.size());
  const double muac_shift = in.series == Series::boys ? 29 : in.series == Series::girls ? 31 : 30;
  for (std::size_t i = 1; i <= values.size(); ++i) {
    const double v = values[i - 1];
    const double x = z ? x_of_z(v) : whole((v - 90) * 4) + muac_shift;
    s.dot(x, 310 - whole((static_cast<double>(i) - 0.5) / n * 270), colour);
  }
  if (z && in.series != Series::boys) {
    // The reference: the running sum of the normal density in steps of 0.01, which ends near
    // 100 (percent).
    double sum = 0;
    for (int i = -500; i <= 500; ++i) {
      const double zi = i / 100.0;
      sum += kPhi * std::exp(-zi * zi / 2);
      s.dot(29 + whole((i + 500) * 0.4), 310 - whole(2.7 * sum), kGreen);
    }
  }
}

void probability(Surface& s, const DistributionInput& in, const GraphTexts& texts) {
  const std::vector<double> values = sorted(in.values);
  if (in.series != Series::boys) {
    dotted_grid(s);
    s.line(230, 30, 230, 330);
    s.line(10, 175, 439, 175);
    AxisScaling axes{175, 230, 5, -5, 5, -5};
    axes.probability_plot = true;
    axes.label_ground = true;  // the dotted grid runs under the labels
    Achsenskalierung(s, axes);
    Achsenbeschriftung(s, {"Probability Plot for " + in.variable, "", in.x_text, count_shown(in),
                           false, texts(834)});
  }
  const Rgb colour = series_colour(in.series);
  if (in.series == Series::girls)
    s.legend(261, colour, series_text(in.series, values.size(), texts));
  if (in.series == Series::boys)
    s.legend(241, colour, series_text(in.series, values.size(), texts));
  const std::size_t count = values.size();
  // Sums in single precision, as the fitted line has always been computed.
  float sum_v = 0, sum_q = 0, sum_vq = 0, sum_vv = 0;
  for (std::size_t i = 1; i <= count; ++i) {
    const double v = values[i - 1];
    const double q = stats::NormalQuantileApprox((static_cast<double>(i) - 0.5) / count);
    s.dot(x_of_z(v), 175 - whole(27 * q), colour);
    sum_v += static_cast<float>(v);
    sum_q += static_cast<float>(q);
    sum_vq += static_cast<float>(v * q);
    sum_vv += static_cast<float>(v * v);
  }
  // The regression of the normal scores on the values: no line below two values or without
  // spread, where the sums give no slope.
  if (count < 2) return;
  const float n = static_cast<float>(count);
  const float denominator = sum_vv - sum_v * sum_v / n;
  if (!(std::abs(denominator) > 1e-12f)) return;
  const float b = (sum_vq - sum_v * (sum_q / n)) / denominator;
  const float a = sum_q / n - b * (sum_v / n);
  if (!std::isfinite(a) || !std::isfinite(b)) return;
  s.line(31, 175 - whole(27 * (a - 5 * b)), 423, 175 - whole(27 * (a + 5 * b)), colour, 2);
}

}  // namespace

Rgb series_colour(Series series) { return series == Series::boys ? kBlue : kRed; }

int distinct_values(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  int distinct = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i == 0 || values[i] - values[i - 1] > 1e-5) ++distinct;
  }
  return distinct;
}

double density_bandwidth(const std::vector<double>& values) {
  const double c = static_cast<double>(values.size());
  if (c < 2) return 0;
  const double mean = std::accumulate(values.begin(), values.end(), 0.0) / c;
  double squares = 0;
  for (const double v : values) squares += (v - mean) * (v - mean);
  return 0.9 * std::sqrt(squares / (c - 1)) / std::pow(c, 0.2);
}

std::vector<DensityPoint> density_points(const std::vector<double>& values) {
  const std::size_t c = values.size();
  const double h = density_bandwidth(values);
  if (c < 3 || !(h > 0)) return {};
  const std::size_t steps = std::min<std::size_t>(c, 50);
  const double delta = 10.0 / static_cast<double>(steps);
  const double root5 = std::sqrt(5.0);
  std::vector<DensityPoint> points;
  points.reserve(steps);
  for (std::size_t k = 0; k < steps; ++k) {
    const double x = -5 + static_cast<double>(k) * delta;
    double sum = 0;
    for (const double v : values) {
      const double u = (x - v) / h;
      if (std::abs(u) < root5) sum += 0.75 * (1 - u * u / 5) / root5;
    }
    points.push_back({x, sum / (static_cast<double>(c) * h)});
  }
  return points;
}

std::optional<core::LanguageEntry> draw_distribution(Surface& surface, DistributionType type,
                                                     const DistributionInput& input,
                                                     const GraphTexts& texts) {
  switch (type) {
    case DistributionType::gaussian:
      return gaussian(surface, input, texts);
    case DistributionType::cumulative:
      cumulative(surface, input, texts);
      break;
    case DistributionType::probability:
      probability(surface, input, texts);
      break;
  }
  return std::nullopt;
}

}  // namespace olvar::graphs
