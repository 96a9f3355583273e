// The distribution graphs: density, cumulative distribution and probability plot, by the
// coordinates their rules give.
#include "graphs/distribution_graph.h"

#include <gtest/gtest.h>

#include <cmath>

#include "display_list_steps.h"
#include "graphs/svg_renderer.h"
#include "stats/distributions.h"

namespace olvar::graphs {
namespace {

using test::first_index;
using test::has_line;
using test::steps_of;
using test::text_named;

core::LanguageTable texts_table() {
  core::LanguageTable t;
  t.read_english(
      "0804 Too few values\n0834 Boys\n0835 Girls\n1092 % per unit\n"
      "1093 NCHS\n1094 WHO\n1015 Epi flags\n1016 Kandu flags\n");
  return t;
}

// n values spread evenly over [low, high].
std::vector<double> spread(int n, double low, double high) {
  std::vector<double> v;
  for (int i = 0; i < n; ++i) v.push_back(low + (high - low) * i / (n - 1));
  return v;
}

std::vector<Line> lines_in(const Drawing& d, Rgb colour, double width) {
  std::vector<Line> out;
  for (const Line& l : steps_of<Line>(d))
    if (l.colour == colour && l.width == width) out.push_back(l);
  return out;
}

std::vector<Ellipse> dots_in(const Drawing& d, Rgb colour) {
  std::vector<Ellipse> out;
  for (const Ellipse& e : steps_of<Ellipse>(d))
    if (e.fill_colour == colour) out.push_back(e);
  return out;
}

bool svg_is_clean(const Drawing& d) {
  const std::string svg = svg_of(d);
  return svg.find("nan") == std::string::npos && svg.find("inf") == std::string::npos;
}

struct Fixture : ::testing::Test {
  core::LanguageTable table = texts_table();
  GraphTexts texts{table, anthro::Reference::who2006, core::ExclusionMode::kandu};
};

using DistributionGraph = Fixture;

TEST(DensityPoints, SixHundredValuesUseFiftyPointsAndTheDocumentedBandwidth) {
  const std::vector<double> values = spread(600, -4, 4);
  const std::vector<DensityPoint> points = density_points(values);
  ASSERT_EQ(points.size(), 50u);
  EXPECT_DOUBLE_EQ(points[0].x, -5);
  EXPECT_NEAR(points[1].x - points[0].x, 0.2, 1e-12);
  // n values a step d apart have the sample variance d^2 n (n + 1) / 12; here d = 8 / 599.
  const double sd = std::sqrt(64.0 / (599.0 * 599) * 600 * 601 / 12);
  EXPECT_NEAR(density_bandwidth(values), 0.9 * sd / std::pow(600.0, 0.2), 1e-12);
  // A flat density of 1/8 inside, falling off beyond the ends.
  EXPECT_NEAR(points[25].f, 0.125, 0.002);  // x = 0
  EXPECT_LT(points[0].f, 0.01);             // x = -5
}

TEST(DensityPoints, FewerThanThreeValuesOrNoSpreadGiveNoCurve) {
  EXPECT_TRUE(density_points({1.0, 2.0}).empty());
  EXPECT_TRUE(density_points({1.0, 1.0, 1.0}).empty());
  EXPECT_EQ(density_points(spread(20, -1, 1)).size(), 20u);  // one point per value below 50
}

TEST(DistinctValues, ValuesWithin1e5AreOne) {
  EXPECT_EQ(distinct_values({1.0, 1.000001, 2.0, 2.0, 3.0}), 3);
  EXPECT_EQ(distinct_values({}), 0);
}

TEST_F(DistributionGraph, GaussianDrawsDensityAndReferenceWithTheirLegends) {
  Surface s;
  const auto notice = draw_distribution(s, DistributionType::gaussian,
                                        {spread(600, -4, 4), Series::none, "WHZ", "WHZ"}, texts);
  EXPECT_FALSE(notice);
  const Drawing& d = s.drawing();
  EXPECT_EQ(lines_in(d, kRed, 3).size(), 49u);  // 50 points joined
  // The standard normal density peaks at 0: 310 - trunc(600 x 0.39894228) = 71, x = 229.
  const std::vector<Ellipse> reference = dots_in(d, kGreen);
  const bool peak = std::any_of(reference.begin(), reference.end(), [](const Ellipse& e) {
    return e.x1 == 227 && e.y1 == 69;  // centre (229, 71), radius 2
  });
  EXPECT_TRUE(peak);
  EXPECT_NE(text_named(d, "Z-score "), nullptr);
  EXPECT_NE(text_named(d, "% per unit"), nullptr);
  EXPECT_NE(text_named(d, "(n = 600)"), nullptr);
  const Text* under = text_named(d, "Kandu flags");
  ASSERT_NE(under, nullptr);
  EXPECT_EQ(under->x, 380);
  EXPECT_EQ(under->y, 330);
  const Text* reference_text = text_named(d, "WHO");
  ASSERT_NE(reference_text, nullptr);
  EXPECT_EQ(reference_text->x, 364);
  EXPECT_EQ(reference_text->y, 35);
  EXPECT_TRUE(svg_is_clean(d));
}

TEST_F(DistributionGraph, GaussianBySexPutsEachSeriesLegendInItsPlace) {
  Surface s;
  draw_distribution(s, DistributionType::gaussian, {spread(40, -2, 2), Series::girls, "T", "WHZ"},
                    texts);
  draw_distribution(s, DistributionType::gaussian, {spread(30, -3, 1), Series::boys, "T", "WHZ"},
                    texts);
  const std::vector<Box> boxes = steps_of<Box>(s.drawing());
  const auto has = [&](Box b) { return std::find(boxes.begin(), boxes.end(), b) != boxes.end(); };
  EXPECT_TRUE(has({341, 81, 360, 83, kRed, Fill::solid, false}));
  EXPECT_TRUE(has({341, 61, 360, 63, kBlue, Fill::solid, false}));
  EXPECT_TRUE(has({341, 41, 360, 43, kGreen, Fill::solid, false}));
  EXPECT_EQ(text_named(s.drawing(), "Girls (40)")->y, 75);
  EXPECT_EQ(text_named(s.drawing(), "Boys (30)")->y, 55);
  // 30 values: 30 evaluation points 1/3 apart, the first at x = -5: X = 29 + trunc(0) = 29;
  // the second at -4.667: X = 29 + trunc((100 x -4.667 + 500) x 0.4) = 29 + trunc(13.3) = 42.
  const std::vector<Line> boys = lines_in(s.drawing(), kBlue, 3);
  ASSERT_EQ(boys.size(), 29u);
  EXPECT_EQ(boys[0].x1, 29);
  EXPECT_EQ(boys[0].x2, 42);
}

TEST_F(DistributionGraph, GaussianWithTwelveDistinctValuesShowsTheNoticeAndAxesOnly) {
  std::vector<double> values;
  for (int i = 0; i < 120; ++i) values.push_back(-3 + (i % 12) * 0.5);  // 12 distinct values
  Surface s;
  const auto notice =
      draw_distribution(s, DistributionType::gaussian, {values, Series::none, "WHZ", "WHZ"}, texts);
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->number, 804);
  EXPECT_TRUE(lines_in(s.drawing(), kRed, 3).empty());
  EXPECT_TRUE(dots_in(s.drawing(), kGreen).empty());
  EXPECT_TRUE(has_line(s.drawing(), 30, 30, 30, 330));
  // Thirteen distinct values draw.
  values.push_back(4.0);
  Surface again;
  EXPECT_FALSE(draw_distribution(again, DistributionType::gaussian,
                                 {values, Series::none, "WHZ", "WHZ"}, texts));
}

TEST_F(DistributionGraph, GaussianWithoutValuesStillDrawsTheReference) {
  Surface s;
  EXPECT_FALSE(
      draw_distribution(s, DistributionType::gaussian, {{}, Series::none, "WHZ", "WHZ"}, texts));
  EXPECT_FALSE(dots_in(s.drawing(), kGreen).empty());
  EXPECT_TRUE(lines_in(s.drawing(), kRed, 3).empty());
  EXPECT_TRUE(svg_is_clean(s.drawing()));
}

TEST_F(DistributionGraph, CumulativeDotsOfFourValuesLieAtTheirShares) {
  Surface s;
  draw_distribution(s, DistributionType::cumulative,
                    {{1.0, -2.0, 0.5, -0.25}, Series::none, "", "WHZ"}, texts);
  const std::vector<Ellipse> dots = dots_in(s.drawing(), kRed);
  ASSERT_EQ(dots.size(), 4u);
  // 12.5 %, 37.5 %, 62.5 %, 87.5 % of 270 units above y = 310, in ascending order of value.
  struct Case {
    double x, y;
  };
  const Case expected[] = {
      {29 + 120, 310 - 33}, {29 + 190, 310 - 101}, {29 + 220, 310 - 168}, {29 + 240, 310 - 236}};
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ((dots[i].x1 + dots[i].x2) / 2, expected[i].x);
    EXPECT_EQ((dots[i].y1 + dots[i].y2) / 2, expected[i].y);
  }
  EXPECT_NE(text_named(s.drawing(), "Cumulative Distribution for WHZ"), nullptr);
  EXPECT_NE(text_named(s.drawing(), "z-score"), nullptr);
  EXPECT_TRUE(has_line(s.drawing(), 230, 30, 230, 330));
}

TEST_F(DistributionGraph, CumulativeMuacShiftsEachSeriesByOneUnit) {
  struct Case {
    Series series;
    double x;
  };
  for (const Case c : {Case{Series::none, 30 + 160}, Case{Series::girls, 31 + 160},
                       Case{Series::boys, 29 + 160}}) {
    Surface s;
    draw_distribution(s, DistributionType::cumulative, {{130.0}, c.series, "", "MUAC"}, texts);
    const std::vector<Ellipse> dots = dots_in(s.drawing(), series_colour(c.series));
    ASSERT_EQ(dots.size(), 1u);
    EXPECT_EQ((dots[0].x1 + dots[0].x2) / 2, c.x);  // (130 - 90) x 4 = 160
    EXPECT_EQ((dots[0].y1 + dots[0].y2) / 2, 310 - 135);
  }
}

TEST_F(DistributionGraph, BySexTheGirlsAndFrameComeFirstAndTheBoysAddNoFrame) {
  Surface s;
  draw_distribution(s, DistributionType::cumulative, {{-1.0, 0.0, 1.0}, Series::girls, "", "WHZ"},
                    texts);
  const std::size_t after_girls = s.drawing().steps.size();
  draw_distribution(s, DistributionType::cumulative, {{-0.5, 0.5}, Series::boys, "", "WHZ"}, texts);
  const Drawing& d = s.drawing();
  const int first_blue =
      first_index<Ellipse>(d, [](const Ellipse& e) { return e.fill_colour == kBlue; });
  EXPECT_GE(first_blue, static_cast<int>(after_girls));
  int dotted = 0;
  for (const Line& l : steps_of<Line>(d)) dotted += l.dotted;
  EXPECT_EQ(dotted, 11 + 11 + 10);  // one grid and one set of short lines
  const Text* girls = text_named(d, "Girls (3)");
  const Text* boys = text_named(d, "Boys (2)");
  ASSERT_NE(girls, nullptr);
  ASSERT_NE(boys, nullptr);
  EXPECT_EQ(girls->y, 105);
  EXPECT_EQ(boys->y, 85);
  EXPECT_EQ(text_named(d, "Cumulative Distribution for WHZ")->x, std::trunc((459 - 7.65 * 31) / 2));
}

TEST_F(DistributionGraph, ProbabilityPlotPlacesNormalScoresAndTheFittedLine) {
  // Values equal to their normal scores: the fitted line is q = v, from (31, 175 + 135) to
  // (423, 175 - 135).
  std::vector<double> values;
  const int n = 9;
  for (int i = 1; i <= n; ++i) values.push_back(stats::NormalQuantileApprox((i - 0.5) / n));
  Surface s;
  draw_distribution(s, DistributionType::probability, {values, Series::none, "", "WHZ"}, texts);
  const Drawing& d = s.drawing();
  const std::vector<Line> fitted = lines_in(d, kRed, 2);
  ASSERT_EQ(fitted.size(), 1u);
  EXPECT_EQ(fitted[0].x1, 31);
  EXPECT_NEAR(fitted[0].y1, 310, 1);
  EXPECT_EQ(fitted[0].x2, 423);
  EXPECT_NEAR(fitted[0].y2, 40, 1);
  const std::vector<Ellipse> dots = dots_in(d, kRed);
  ASSERT_EQ(dots.size(), 9u);
  EXPECT_EQ((dots[4].y1 + dots[4].y2) / 2, 175);  // the median's score is 0
  EXPECT_TRUE(has_line(d, 227, 310, 233, 310));
  EXPECT_NE(text_named(d, "Probability Plot for WHZ"), nullptr);
}

TEST_F(DistributionGraph, ProbabilityPlotWithoutASlopeDrawsNoLine) {
  for (const std::vector<double>& values :
       {std::vector<double>{}, std::vector<double>{0.5}, std::vector<double>{1.0, 1.0, 1.0}}) {
    Surface s;
    draw_distribution(s, DistributionType::probability, {values, Series::none, "", "WHZ"}, texts);
    EXPECT_TRUE(lines_in(s.drawing(), kRed, 2).empty());
    EXPECT_EQ(dots_in(s.drawing(), kRed).size(), values.size());
    EXPECT_TRUE(svg_is_clean(s.drawing()));
  }
}

}  // namespace
}  // namespace olvar::graphs
