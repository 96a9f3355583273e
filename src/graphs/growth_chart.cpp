#include "graphs/growth_chart.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "anthro/month_length.h"
#include "anthro/zscore_engine.h"
#include "core/text_conversions.h"
#include "graphs/axes.h"
#include "graphs/surface.h"

namespace olvar::graphs {

namespace {

constexpr double kNchsZ97 = 1.8807936;  // the 97th percentile of the standard normal
constexpr int kCurveSteps = 130;
// The WHO weight-for-length table runs from 45 to 110 cm lying, weight-for-height from 65 to
// 120 cm standing.
constexpr double kLyingFrom = 45, kLyingTo = 110, kStandingFrom = 65, kStandingTo = 120;
constexpr double kYoungestOldest = 60;  // months shown at least on the age charts
constexpr double kOldestShown = 228;    // the WHO reference ends at 19 years

bool by_age(GrowthChartKind kind) { return kind != GrowthChartKind::weight_for_height; }

const anthro::IndexResult& index_of(const anthro::AnthroResult& r, GrowthChartKind kind) {
  switch (kind) {
    case GrowthChartKind::weight_for_age:
      return r.waz;
    case GrowthChartKind::height_for_age:
      return r.haz;
    case GrowthChartKind::weight_for_height:
      return r.whz;
  }
  return r.whz;
}

// The WHO curve point at `sd` among kWhoCurveZ.
std::optional<double> who_point(const anthro::IndexResult& index, double sd) {
  for (std::size_t i = 0; i < anthro::kWhoCurveZ.size(); ++i) {
    if (anthro::kWhoCurveZ[i] == sd) {
      const double v = index.curve_points[i];
      if (v > 0 && std::isfinite(v)) return v;
    }
  }
  return std::nullopt;
}

std::optional<double> nchs_point(const anthro::IndexResult& index, double sd) {
  const double p3 = index.curve_points[0], p50 = index.curve_points[1], p97 = index.curve_points[2];
  if (!(p3 > 0 && p50 > p3 && p97 > p50)) return std::nullopt;
  const double band = sd >= 0 ? p97 - p50 : p50 - p3;
  const double v = p50 + sd * band / kNchsZ97;
  return v > 0 ? std::optional(v) : std::nullopt;
}

// The child's values placed on the chart: x (months or cm) and y (kg or cm). The length is
// taken in the position the engine used, so the point sits where its z-score says.
std::optional<GrowthPoint> child_point(const anthro::Measurement& m, const anthro::AnthroResult& r,
                                       GrowthChartKind kind) {
  const double weight_kg = r.effective_weight_g / 1000.0;
  double height_cm = m.height_cm_x1000 / 1000.0;
  if (m.position == 'l' && r.position == 'h') height_cm -= 0.7;
  if (m.position == 'h' && r.position == 'l') height_cm += 0.7;
  const bool age_known = std::isfinite(m.age_days) && m.age_days >= 0;
  const double months = age_known ? m.age_days / anthro::kDaysPerMonth : -1;
  switch (kind) {
    case GrowthChartKind::weight_for_age:
      if (age_known && weight_kg > 0) return GrowthPoint{months, weight_kg};
      break;
    case GrowthChartKind::height_for_age:
      if (age_known && height_cm > 0) return GrowthPoint{months, height_cm};
      break;
    case GrowthChartKind::weight_for_height:
      if (height_cm > 0 && weight_kg > 0) return GrowthPoint{height_cm, weight_kg};
      break;
  }
  return std::nullopt;
}

std::string sex_text(char sex, const core::LanguageTable& text) {
  return sex == 'm' ? text.text(834) : text.text(835);
}

}  // namespace

std::optional<double> curve_value(GrowthChartKind kind, char sex, char position, double x,
                                  double sd, anthro::Reference reference,
                                  const anthro::WhoReference& who) {
  // A child of the right sex with a measurement in range, so that the engine computes the index
  // and gives its curve points; the measurement itself does not move the curves.
  anthro::Measurement m;
  m.sex = sex;
  m.oedema = 'n';
  m.weight_g = 10'000;
  m.height_cm_x1000 = 80'000;
  if (by_age(kind)) {
    m.age_days = x;
  } else {
    m.height_cm_x1000 = anthro::engine_units(static_cast<float>(x), 1000);
    m.position = position;
    // WHO chooses the table by the position; NCHS by the age, taken as a child of 2 to 5 years
    // (its height table).
    m.age_days = reference == anthro::Reference::nchs1977 ? 3 * 365.25 : -1;
    if (reference == anthro::Reference::nchs1977 && position == 'l') m.age_days = 300;
  }
  const anthro::AnthroResult r = anthro::evaluate(m, reference, who);
  const anthro::IndexResult& index = index_of(r, kind);
  if (!index.computed()) return std::nullopt;
  return reference == anthro::Reference::nchs1977 ? nchs_point(index, sd) : who_point(index, sd);
}

std::optional<anthro::Measurement> child_of_row(const core::SurveyTable& survey, int row,
                                                const anthro::RowEvaluationSettings& settings) {
  if (row < 1 || row >= survey.row_count()) return std::nullopt;
  core::SurveyTable one;
  one.resize(survey.column_count(), 2);
  for (int c = 0; c < survey.column_count(); ++c) {
    one.set_cell(c, 0, survey.cell(c, 0));
    one.set_cell(c, 1, survey.cell(c, row));
  }
  return anthro::measurement_of_row(one, 1, settings);
}

GrowthChart growth_chart(const anthro::Measurement& child, GrowthChartKind kind,
                         anthro::Reference reference, const anthro::WhoReference& who,
                         const core::LanguageTable& text) {
  GrowthChart chart;
  const anthro::AnthroResult result = anthro::evaluate(child, reference, who);
  const char sex = child.sex == 'w' ? 'f' : child.sex;
  const bool sex_known = sex == 'm' || sex == 'f';
  const auto point = child_point(child, result, kind);
  const anthro::IndexResult& index = index_of(result, kind);
  if (index.computed()) chart.z = index.z;

  // The x range: the first five years (or up to the child's age), or the length table the
  // engine measures the child against.
  double x_min = 0, x_max = kYoungestOldest;
  const char position = result.position == 'h' ? 'h' : 'l';
  if (by_age(kind)) {
    if (point && point->x > x_max) x_max = std::min(kOldestShown, std::ceil(point->x / 12) * 12);
  } else {
    x_min = position == 'h' ? kStandingFrom : kLyingFrom;
    x_max = position == 'h' ? kStandingTo : kLyingTo;
  }

  // The curves, sampled evenly over the x range.
  std::vector<std::vector<std::optional<double>>> curves;
  double y_low = 1e9, y_high = -1e9;
  for (const double sd : kGrowthChartSd) {
    std::vector<std::optional<double>> values;
    for (int k = 0; k <= kCurveSteps; ++k) {
      const double x = x_min + (x_max - x_min) * k / kCurveSteps;
      const double engine_x = by_age(kind) ? x * anthro::kDaysPerMonth : x;
      const auto v =
          sex_known ? curve_value(kind, sex, position, engine_x, sd, reference, who) : std::nullopt;
      if (v) {
        y_low = std::min(y_low, *v);
        y_high = std::max(y_high, *v);
      }
      values.push_back(v);
    }
    curves.push_back(std::move(values));
  }
  if (point && point->x >= x_min && point->x <= x_max) {
    y_low = std::min(y_low, point->y);
    y_high = std::max(y_high, point->y);
  }
  if (y_low > y_high) {  // no curve and no point: an empty frame of sensible size
    y_low = 0;
    y_high = kind == GrowthChartKind::height_for_age ? 120 : 30;
  }
  const double y_min = std::max(0.0, std::floor(y_low / 5) * 5);
  double y_max = std::max(y_min + 10, std::ceil(y_high / 5) * 5);
  // A range the axis scaling can cut into whole steps (not 25, say, which it would cut into
  // ninths).
  const auto has_step = [](double range) {
    for (const double step : {1.0, 2.0, 5.0, 10.0, 20.0})
      if (range / step > 5 && range / step <= 12) return true;
    return false;
  };
  while (!has_step(y_max - y_min) && y_max - y_min < 240) y_max += 5;

  Surface s;
  const auto x_of = [&](double x) { return 30 + (x - x_min) * 400 / (x_max - x_min); };
  const auto y_of = [&](double y) { return 40 + (y_max - y) * 270 / (y_max - y_min); };
  s.line(30, 30, 30, 330);
  s.line(27, 310, 439, 310);
  Achsenskalierung(s, {310, 30, y_max, y_min, x_max, x_min});
  const int title_entry = kind == GrowthChartKind::weight_for_age   ? 1404
                          : kind == GrowthChartKind::height_for_age ? 1405
                                                                    : 1406;
  std::string title = text.text(title_entry);
  if (sex_known) title += " (" + sex_text(sex, text) + ")";
  const std::string y_text = text.text(kind == GrowthChartKind::height_for_age ? 1409 : 1408);
  Achsenbeschriftung(s, {title, y_text, "", 0, false, ""});
  s.text(200, 330, text.text(by_age(kind) ? 1407 : 1409));

  const Rgb colours[] = {kBlack, kRed, kGreen, kRed, kBlack};
  for (std::size_t c = 0; c < curves.size(); ++c) {
    const auto& values = curves[c];
    std::optional<std::pair<double, double>> last_end;
    for (int k = 1; k <= kCurveSteps; ++k) {
      const auto& a = values[k - 1];
      const auto& b = values[k];
      if (!a || !b) continue;
      const double xa = x_min + (x_max - x_min) * (k - 1) / kCurveSteps;
      const double xb = x_min + (x_max - x_min) * k / kCurveSteps;
      s.line(x_of(xa), y_of(*a), x_of(xb), y_of(*b), colours[c], c == 2 ? 2 : 1);
      last_end = {x_of(xb), y_of(*b)};
    }
    if (last_end) {
      const double sd = kGrowthChartSd[c];
      s.text(last_end->first + 3, last_end->second - 6,
             sd > 0 ? "+" + core::format_fixed_trimmed(sd, 1, 0)
                    : core::format_fixed_trimmed(sd, 1, 0));
    }
  }
  // Bottom right, below the +3 SD line's end and the curve labels.
  s.legend(291, kGreen, text.text(reference == anthro::Reference::nchs1977 ? 1093 : 1094));

  if (point && point->x >= x_min && point->x <= x_max) {
    const double x = x_of(point->x), y = y_of(point->y);
    s.dot(x, y, kBlue, 4);
    s.line(x - 7, y, x + 7, y, kBlue);
    s.line(x, y - 7, x, y + 7, kBlue);
    chart.child = point;
    std::string label = text.text(1418);
    if (chart.z) {
      const char* name = kind == GrowthChartKind::weight_for_age   ? "WAZ"
                         : kind == GrowthChartKind::height_for_age ? "HAZ"
                                                                   : "WHZ";
      label += ": " + std::string(name) + " = " + core::format_fixed_trimmed(*chart.z, 4, 2);
    }
    s.dot(38, 33, kBlue, 3);
    s.text(45, 27, label);
  } else {
    s.text(35, 28, text.text(1410));
  }
  chart.drawing = std::move(s).drawing();
  return chart;
}

}  // namespace olvar::graphs
