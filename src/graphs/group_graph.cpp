#include "graphs/group_graph.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_set>

#include "core/text_conversions.h"
#include "graphs/axes.h"
#include "stats/column_summary.h"

namespace olvar::graphs {

namespace {

constexpr std::size_t kMaxBars = 999;
constexpr std::size_t kMaxLabel = 60;
constexpr int kTallyPoints = 12;  // k = 0 ... 11 on the x axis
// The outer bounds of the age bands, below and above every age.
constexpr double kLowestAge = -9999999999999999.78;
constexpr double kHighestAge = 9999999999999997.78;

int header_column(const core::TextGrid& table, std::string_view header) {
  for (int c = 1; c < table.column_count(); ++c) {
    if (table.cell(c, 0) == header) return c;
  }
  return -1;
}

std::string_view list_body(std::string_view list) {
  const std::size_t open = list.find('{');
  const std::size_t close = list.rfind('}');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return {};
  return list.substr(open + 1, close - open - 1);
}

GroupBar bar_of(std::string label, const stats::ColumnSummary& s) {
  if (label.size() > kMaxLabel) label.resize(kMaxLabel);
  return {std::move(label), s.n, static_cast<float>(s.mean), static_cast<float>(s.sd)};
}

std::string with_count(const GroupBar& bar) { return "n=" + std::to_string(bar.n); }

}  // namespace

std::string cluster_category_list(const core::TextGrid& survey) {
  std::string list = "CLUSTER {";
  std::unordered_set<std::string> seen;
  constexpr int kCluster = 2;  // the CLUSTER column of the Survey table
  for (int row = 1; row < survey.row_count() && seen.size() < kMaxBars; ++row) {
    const std::string code(survey.cell(kCluster, row));
    if (code.empty() || !seen.insert(code).second) continue;
    list += code + "] " + code + " ; ";
  }
  return list + "}";
}

std::string age_category_list(const std::vector<std::string>& lower_bounds) {
  std::string list = "MONTHS {";
  for (const std::string& lower : lower_bounds) {
    const auto value = core::parse_number(lower);
    if (value && *value >= 0) list += std::string(core::trim_spaces(lower)) + ";";
  }
  return list + "}";
}

std::vector<std::string> age_band_labels(const std::vector<std::string>& lower_bounds,
                                         const std::vector<std::string>& upper_bounds) {
  std::vector<std::string> labels;
  if (lower_bounds.empty()) return labels;
  const auto bound = [](const std::string& text) { return std::string(core::trim_spaces(text)); };
  labels.push_back("< " + bound(lower_bounds.front()));
  for (std::size_t k = 0; k + 1 < lower_bounds.size(); ++k) {
    labels.push_back(bound(lower_bounds[k]) + " to " +
                     (k < upper_bounds.size() ? bound(upper_bounds[k]) : std::string()));
  }
  labels.push_back(">= " + bound(lower_bounds.back()));
  return labels;
}

std::optional<std::vector<GroupBar>> group_bars(const core::TextGrid& analysis,
                                                std::string_view variable,
                                                std::string_view category_list,
                                                const std::vector<std::string>& age_labels) {
  const std::string_view word = category_list.substr(0, category_list.find(' '));
  const int category_column = header_column(analysis, word);
  const int value_column = header_column(analysis, variable);
  if (category_column < 0 || value_column < 0) return std::nullopt;
  std::vector<GroupBar> bars;
  std::string_view rest = list_body(category_list);
  if (category_list.find(']') != std::string_view::npos) {
    while (rest.size() >= 3 && bars.size() < kMaxBars) {
      const std::size_t semicolon = rest.find(';');
      const std::string_view part = rest.substr(0, semicolon);
      rest = semicolon == std::string_view::npos ? std::string_view{} : rest.substr(semicolon + 1);
      const std::size_t bracket = part.find(']');
      if (bracket == std::string_view::npos) continue;
      // "12] 12 ": the code before the bracket, the label after it and one more character.
      const std::string code(core::trim_spaces(part.substr(0, bracket)));
      const std::string label(part.substr(std::min(part.size(), bracket + 2)));
      bars.push_back(bar_of(
          label, stats::DeskripStatCont(analysis, value_column,
                                        stats::RowFilter::equal_text(category_column, code))));
    }
    return bars;
  }
  std::vector<double> bounds = {kLowestAge};
  while (!rest.empty()) {
    const std::size_t semicolon = rest.find(';');
    const std::string_view number = rest.substr(0, semicolon);
    rest = semicolon == std::string_view::npos ? std::string_view{} : rest.substr(semicolon + 1);
    if (const auto value = core::parse_number(number)) bounds.push_back(*value);
  }
  bounds.push_back(kHighestAge);
  for (std::size_t k = 0; k + 1 < bounds.size() && bars.size() < kMaxBars; ++k) {
    // Up to just below the next band's lower bound. The filter compares in single precision,
    // where "bound - 1e-7" would round back to the bound and count a child of exactly 18
    // months in two bands: the next float below the bound is the same limit, kept apart.
    const float low = static_cast<float>(bounds[k]);
    const float high =
        std::nextafter(static_cast<float>(bounds[k + 1]), -std::numeric_limits<float>::infinity());
    bars.push_back(
        bar_of(k < age_labels.size() ? age_labels[k] : std::string(),
               stats::DeskripStatCont(analysis, value_column,
                                      stats::RowFilter::range(category_column, low, high))));
  }
  return bars;
}

void draw_group_axes(Surface& s, const std::string& title, const std::string& y_text,
                     const std::string& category_list) {
  s.line(30, 30, 30, 330);
  Achsenbeschriftung(s, {title, y_text, category_list, 0, false, ""});
}

namespace {

// Where the bars of m groups stand: 400 units from x = 35 shared equally. A bar keeps its
// traditional width (400 / m - 20 + m) while that leaves 8 units to the next bar; beyond about
// 12 groups it would crowd or overlap the next one, so it takes three quarters of the share.
struct BarColumns {
  double share;
  double width;
  double left(std::size_t k) const { return whole(share * static_cast<double>(k) + 35); }
  double right(double x) const { return whole(x + width); }
  double centre(double x) const { return whole(x + width / 2); }
};

BarColumns bar_columns(std::size_t count) {
  const double m = static_cast<double>(count);
  const double share = 400 / m;
  const double traditional = share - 20 + m;
  return {share, std::max(1.0, share - traditional >= 8 ? traditional : 0.75 * share)};
}

// Labels under (or counts over) every k-th bar, k as small as keeps neighbours 3 units apart.
std::size_t label_stride(const BarColumns& columns, double widest) {
  return static_cast<std::size_t>(std::max(1.0, std::ceil((widest + 3) / columns.share)));
}

void bar_labels(Surface& s, const std::vector<GroupBar>& bars, const BarColumns& columns) {
  double widest = 0;
  for (const GroupBar& bar : bars) widest = std::max(widest, text_width(bar.label));
  const std::size_t stride = label_stride(columns, widest);
  for (std::size_t k = 0; k < bars.size(); k += stride) {
    const double c = columns.centre(columns.left(k));
    s.text(whole(c - text_width(bars[k].label) / 2), 317, bars[k].label);
  }
}

// The "n=" count of each bar, centred over its column, where every count fits its column; with
// too many bars for that the counts stay in the result lines beside the graph.
bool counts_fit(const std::vector<GroupBar>& bars, const BarColumns& columns) {
  double widest = 0;
  for (const GroupBar& bar : bars) widest = std::max(widest, text_width(with_count(bar)));
  return widest + 3 <= columns.share;
}

}  // namespace

void draw_group_means(Surface& s, const std::vector<GroupBar>& bars, const std::string& title,
                      const std::string& variable, const std::string& category_list) {
  draw_group_axes(s, title, variable, category_list);
  double positive = 0, negative = 0;  // P and N
  bool some_negative = false;
  for (const GroupBar& bar : bars) {
    if (bar.mean >= 0) {
      positive = std::max<double>(positive, bar.mean + bar.sd);
    } else {
      some_negative = true;
      negative = std::max<double>(negative, std::abs(bar.mean) + bar.sd);
    }
  }
  if (bars.empty()) {
    s.line(27, 310, 439, 310);
    return;
  }
  const BarColumns columns = bar_columns(bars.size());
  const bool counts = counts_fit(bars, columns);
  const double cap = std::min(5.0, columns.width / 2);  // whisker caps stay within their bar
  // A count stands beyond its whisker: over a bar that stands up, under one that hangs down.
  // The scale keeps room for it at that end, clear of the title and of the labels under it.
  const double count_room = counts ? std::ceil(text_height()) + 2 : 0;
  if (!some_negative) {
    s.line(27, 310, 439, 310);
    if (!(positive > 1e-7)) return;
    const double f = (270 - count_room) / positive;
    for (std::size_t k = 0; k < bars.size(); ++k) {
      const GroupBar& bar = bars[k];
      const double x = columns.left(k), c = columns.centre(x);
      const double top = whole(310 - f * bar.mean);
      const double whisker = whole(310 - f * (bar.mean + bar.sd));
      s.rect(x, 311, columns.right(x), top, kRed);
      s.line(c, top, c, whisker);
      s.line(c - cap, whisker, c + cap, whisker);
      if (counts && bar.n >= 1) {
        const std::string count = with_count(bar);
        s.text(whole(c - text_width(count) / 2), whole(whisker - count_room + 1), count);
      }
    }
    bar_labels(s, bars, columns);
    Achsenskalierung(s, {310, 30, 270 / f, 0, 0, 0});
    return;
  }
  if (!(positive + negative > 1e-7)) return;
  s.line(10, 310, 439, 310, kWhite);
  const double top_room = positive > 0 ? count_room : 0;
  const double f = (270 - top_room - count_room) / (positive + negative);
  const double zero = whole(40 + top_room + f * positive);
  s.line(27, zero, 439, zero);
  for (std::size_t k = 0; k < bars.size(); ++k) {
    const GroupBar& bar = bars[k];
    const double x = columns.left(k), c = columns.centre(x);
    const bool up = bar.mean >= 0;
    const double size = std::abs(bar.mean);
    const double top = up ? whole(zero - f * size) : whole(zero + f * size);
    const double whisker =
        up ? whole(zero - f * (size + bar.sd)) : whole(zero + f * (size + bar.sd));
    s.rect(x, zero, columns.right(x), top, kRed);
    s.line(c, top, c, whisker);
    s.line(c - cap, whisker, c + cap, whisker);
    if (counts && bar.n >= 1) {
      const std::string count = with_count(bar);
      s.text(whole(c - text_width(count) / 2), up ? whole(whisker - count_room + 1) : whisker + 1,
             count);
    }
  }
  bar_labels(s, bars, columns);
  // The axis spans the plot with the room kept for the counts, so its ticks meet the bars.
  Achsenskalierung(s, {310, 30, (zero - 40) / f, -(310 - zero) / f, 0, 0});
}

std::vector<std::string> group_means_memo(const std::vector<GroupBar>& bars,
                                          const std::string& title,
                                          const std::string& grouping_caption) {
  std::vector<std::string> lines = {title, ""};
  for (const GroupBar& bar : bars) {
    std::string line = grouping_caption + " " + bar.label + ":";
    if (line.size() < 20) line.resize(20, ' ');
    line += core::format_fixed(bar.mean, 4, 2) + " \xB1" + core::format_fixed(bar.sd, 4, 2) +
            " (n=" + std::to_string(bar.n) + ")";
    lines.push_back(std::move(line));
  }
  return lines;
}

void draw_muac_classes(Surface& s, const std::vector<MuacBand>& bands, const std::string& title,
                       const std::string& category_list, int severe_cutoff_mm,
                       int moderate_cutoff_mm) {
  s.line(30, 30, 30, 330);
  Achsenbeschriftung(s, {title, "%", category_list, 0, false, ""});
  const std::string severe = std::to_string(severe_cutoff_mm);
  const std::string moderate = std::to_string(moderate_cutoff_mm);
  // The legend ends inside the right edge, however long the cut-offs are written.
  const std::vector<std::string> keys = {
      "% >=" + moderate + "mm", "% " + severe + "-" + moderate + "mm", "% <" + severe + "mm"};
  double widest = 0;
  for (const std::string& key : keys) widest = std::max(widest, text_width(key));
  const double lx = std::min(360.0, whole(kSurfaceWidth - 4 - 15 - widest));
  const Rgb colours[] = {kGreen, kYellow, kRed};
  for (std::size_t k = 0; k < keys.size(); ++k) {
    const double top = 5 + 15 * static_cast<double>(k);
    s.rect(lx, top, lx + 10, top + 10, colours[k]);
    s.text(lx + 15, top, keys[k]);
  }
  s.line(27, 310, 439, 310);
  for (std::size_t i = 1; i <= bands.size() && i <= 6; ++i) {
    const MuacBand& band = bands[i - 1];
    const double x = whole(380.0 * static_cast<double>(i - 1) / 6 + 40);
    const double right = whole(x + 380.0 / 6 - 14);
    const double centre = whole(x + (380.0 / 6 - 14) / 2);
    s.text(whole(centre - text_width(band.label) / 2), 317, band.label);
    // A band without children has no shares: an empty place, not a bar of 100 % above the cut-off.
    if (band.children == 0) continue;
    const double severe_top = whole(310 - 2.55 * band.severe_percent);
    const double moderate_top = whole(310 - 2.55 * (band.severe_percent + band.moderate_percent));
    s.rect(x, 311, right, severe_top, kRed);
    s.rect(x, severe_top, right, moderate_top, kYellow);
    s.rect(x, moderate_top, right, 55, kGreen);
  }
  for (int j = 1; j <= 10; ++j) {
    s.line(27, 315 - 26 * j, 33, 315 - 26 * j);
    s.text(8, 308 - 26 * j, std::to_string(10 * j));
  }
}

CasesPerCluster cases_per_cluster(const std::vector<int>& counts) {
  CasesPerCluster c;
  c.clusters = static_cast<int>(counts.size());
  c.tally.assign(kTallyPoints, 0);
  if (c.clusters < 2) return c;
  const double k_clusters = c.clusters;
  // A cluster with K or more cases is not tallied (the x axis ends long before), but it
  // counts in the mean and the variance.
  std::vector<int> tally(static_cast<std::size_t>(c.clusters), 0);
  double sum = 0;
  for (const int x : counts) {
    if (x >= 0 && x < c.clusters) ++tally[static_cast<std::size_t>(x)];
    sum += x;
  }
  for (int k = 0; k < kTallyPoints && k < c.clusters; ++k) c.tally[k] = tally[k];
  c.highest = *std::max_element(tally.begin(), tally.end());
  c.mean = sum / k_clusters;
  double squares = 0;
  for (const int x : counts) squares += (x - c.mean) * (x - c.mean);
  c.variance = squares / (k_clusters - 1);

  // Expected numbers of clusters, in single precision as the graph has always shown them.
  const float mu = static_cast<float>(c.mean);
  const float clusters = static_cast<float>(c.clusters);
  float p = std::exp(-mu);
  for (int k = 0; k < kTallyPoints; ++k) {
    if (k >= 1) p = p * mu / static_cast<float>(k);
    c.poisson.push_back(clusters * p);
  }
  // The negative binomial with kappa = mu^2 / (v - mu) exists only for counts spread more
  // widely than a Poisson's (v > mu) and some cases (mu > 0).
  if (c.variance > c.mean && c.mean > 0) {
    const float kappa = static_cast<float>(c.mean * c.mean / (c.variance - c.mean));
    float q = std::pow(1 + mu / kappa, -kappa);
    const float ratio = mu / (mu + kappa);
    std::vector<float> expected;
    for (int k = 0; k < kTallyPoints; ++k) {
      if (k == 1) q = ratio * kappa * q;
      if (k >= 2) q = (static_cast<float>(k) + kappa - 1) / static_cast<float>(k) * ratio * q;
      expected.push_back(clusters * q);
    }
    if (std::all_of(expected.begin(), expected.end(), [](float e) { return std::isfinite(e); })) {
      c.negative_binomial = std::move(expected);
    }
  }
  return c;
}

void draw_cases_per_cluster(Surface& s, const CasesPerCluster& c) {
  if (c.clusters < 2) return;
  s.line(30, 30, 30, 330);
  s.line(27, 310, 439, 310);
  Achsenbeschriftung(s, {"Distribution of cases in clusters", "No. of clusters", "", 0, false, ""});
  s.text(160, 329, "No. of cases in each cluster");
  // A legend entry for every series drawn, the negative binomial's only with its curve; the
  // block ends inside the right edge.
  const std::string heading = "Expected cases/cluster for:";
  const double lx = whole(kSurfaceWidth - 4 - text_width(heading));
  s.text(lx, 36, heading);
  s.rect(lx, 56, lx + 8, 64, kGreen);
  s.text(lx + 10, 52, "Poisson distribution");
  double legend = 68;
  if (!c.negative_binomial.empty()) {
    s.rect(lx, legend + 4, lx + 8, legend + 12, kBlue);
    s.text(lx + 10, legend, "neg. binomial distribution");
    legend += 16;
  }
  s.rect(lx, legend + 4, lx + 8, legend + 12, kRed);
  s.text(lx + 10, legend, "observed");
  // The scale holds the observed bars and the expected points alike.
  double top = c.highest;
  for (const auto* expected : {&c.poisson, &c.negative_binomial}) {
    for (const float e : *expected) top = std::max(top, static_cast<double>(e));
  }
  AxisScaling axes{310, 30, top, 0, 11, -1};
  axes.x_label_from = 0;  // the axis starts one step before "no case"
  Achsenskalierung(s, axes);
  // Without any tallied cluster there is no scale for the bars and the expected points.
  if (c.highest <= 0) return;
  const double f = 270.0 / top;
  for (int k = 0; k < kTallyPoints; ++k) {
    const double x = whole((400.0 * k - 400) / 12 + 84);
    s.rect(x, 310, whole(x + 100.0 / 3 - 20 + 12), whole(310 - f * c.tally[k]), kRed);
  }
  const auto points = [&](const std::vector<float>& expected, Rgb colour) {
    double last_x = 0, last_y = 0;
    for (std::size_t k = 0; k < expected.size(); ++k) {
      const double x = whole((400.0 * static_cast<double>(k) - 400) / 12 + 96);
      const double y = whole(310 - f * expected[k]);
      s.rect(x - 4, y + 4, x + 4, y - 4, colour);
      if (k >= 1) s.line(last_x, last_y, x, y);
      last_x = x;
      last_y = y;
    }
  };
  points(c.poisson, kGreen);
  points(c.negative_binomial, kBlue);
}

}  // namespace olvar::graphs
