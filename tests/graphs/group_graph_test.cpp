// The group graphs by cluster and age: bar geometry, the zero line, MUAC classes and the
// cases-per-cluster graph, by the coordinates their rules give.
#include "graphs/group_graph.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/survey_table.h"
#include "display_list_steps.h"
#include "graphs/svg_renderer.h"

namespace olvar::graphs {
namespace {

using test::has_line;
using test::steps_of;
using test::text_named;

// The red bars, without the legend's mark of the observed clusters (8 units wide).
std::vector<Box> red_boxes(const Drawing& d) {
  std::vector<Box> out;
  for (const Box& b : steps_of<Box>(d))
    if (b.fill_colour == kRed && std::abs(b.x2 - b.x1) != 8) out.push_back(b);
  return out;
}

bool svg_is_clean(const Drawing& d) {
  const std::string svg = svg_of(d);
  return svg.find("nan") == std::string::npos && svg.find("inf") == std::string::npos;
}

TEST(GroupMeans, AllBandsNegativeHangFromAZeroLineAt40) {
  std::vector<GroupBar> bars;
  for (const float mean : {-0.5f, -0.8f, -1.0f, -1.1f, -1.2f, -0.9f})
    bars.push_back({"b", 10, mean, 1.0f});
  Surface s;
  draw_group_means(s, bars, "T", "WHZ", "MONTHS {6;18;30;42;54;}");
  const Drawing& d = s.drawing();
  // P = 0, N = 2.2: the zero line at trunc(270 x 0 / 2.2) + 40 = 40; the x axis erased in white.
  EXPECT_TRUE(has_line(d, 27, 40, 439, 40));
  const std::vector<Line> lines = steps_of<Line>(d);
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                          [](const Line& l) { return l.y1 == 310 && l.colour == kWhite; }));
  const std::vector<Box> boxes = red_boxes(d);
  ASSERT_EQ(boxes.size(), 6u);
  // The counts fit their columns, so 14 units under the deepest whisker are kept for them:
  // f = 256 / 2.2; bar 5 (mean -1.2) reaches trunc(40 + 116.36 x 1.2) = 179.
  EXPECT_EQ(boxes[4].y1, 40);
  EXPECT_EQ(boxes[4].y2, 179);
  // Every bar is 52 units wide with 6 bars (400 / 6 - 20 + 6).
  for (const Box& b : boxes) EXPECT_EQ(b.x2 - b.x1, 52);
  EXPECT_EQ(boxes[0].x1, 35);
  EXPECT_EQ(boxes[1].x1, 101);  // trunc(400 / 6 + 35)
  // The count of a hanging bar stands under its whisker, centred on the bar: bar 1 (mean -0.5,
  // SD 1) has its centre at trunc((400 / 6 - 20 + 6) / 2 + 35) = 61 and its whisker end at
  // trunc(40 + 116.36 x 1.5) = 214; "n=10" takes 27.3 units.
  const Text* count = text_named(d, "n=10");
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->x, 47);
  EXPECT_EQ(count->y, 215);
  EXPECT_TRUE(has_line(d, 56, 214, 66, 214));
  EXPECT_TRUE(svg_is_clean(d));
}

TEST(GroupMeans, MixedSignsPutTheZeroLineAt180) {
  std::vector<GroupBar> bars(12, GroupBar{"c", 5, 0.2f, 1.0f});
  bars.push_back({"d", 5, -0.1f, 1.0f});
  Surface s;
  draw_group_means(s, bars, "T", "WHZ", "CLUSTER {}");
  // P = 1.2, N = 1.1, 14 units kept above and below for the counts: f = 242 / 2.3, the zero
  // line at trunc(40 + 14 + 242 x 1.2 / 2.3) = 180.
  EXPECT_TRUE(has_line(s.drawing(), 27, 180, 439, 180));
  const std::vector<Box> boxes = red_boxes(s.drawing());
  ASSERT_EQ(boxes.size(), 13u);
  EXPECT_EQ(boxes[0].y1, 180);
  EXPECT_EQ(boxes[0].y2, std::trunc(180 - 242 / 2.3 * 0.2f));
  EXPECT_EQ(boxes[12].y2, std::trunc(180 + 242 / 2.3 * 0.1f));
}

TEST(GroupMeans, PositiveBarsStandOnTheXAxisWithWhiskerAndCount) {
  const std::vector<GroupBar> bars = {{"1 ", 7, 1.0f, 0.5f}, {"2 ", 0, 0.0f, 0.0f}};
  Surface s;
  draw_group_means(s, bars, "T", "MUAC", "CLUSTER {1] 1 ; 2] 2 ; }");
  const Drawing& d = s.drawing();
  // P = 1.5 with 14 units kept over the top whisker for its count: f = 256 / 1.5, top 139,
  // whisker 54; m = 2: left 35, right trunc(200 + 35 - 20 + 2) = 217, centre
  // trunc((200 - 20 + 2) / 2 + 35) = 126.
  const std::vector<Box> boxes = red_boxes(d);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], (Box{35, 311, 217, 139, kRed, Fill::solid, true}));
  EXPECT_TRUE(has_line(d, 126, 139, 126, 54));
  EXPECT_TRUE(has_line(d, 121, 54, 131, 54));
  // The count and the label centred on the bar ("n=7" 20.5 units wide, "1 " 10.7).
  const Text* count = text_named(d, "n=7");
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->x, 115);
  EXPECT_EQ(count->y, 41);
  const Text* label = text_named(d, "1 ");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->x, 120);
  EXPECT_EQ(label->y, 317);
  // The empty cluster: a bar of height 0 and no count.
  EXPECT_EQ(boxes[1].y2, 310);
  EXPECT_EQ(text_named(d, "n=0"), nullptr);
  EXPECT_TRUE(has_line(d, 27, 310, 439, 310));
  EXPECT_NE(text_named(d, "CLUSTER "), nullptr);
}

TEST(GroupMeans, BarWidthFollowsTheNumberOfBars) {
  struct Case {
    std::size_t bars;
    double width;
  };
  // The traditional 400 / m - 20 + m while it leaves 8 units free (6 and 12 bars); beyond,
  // three quarters of the share, so that no two bars touch.
  for (const Case c : {Case{6, 52}, Case{12, 25}, Case{30, 10}, Case{60, 5}}) {
    SCOPED_TRACE(c.bars);
    Surface s;
    draw_group_means(s, std::vector<GroupBar>(c.bars, GroupBar{"x", 3, 1.0f, 0.1f}), "T", "WHZ",
                     "CLUSTER {}");
    for (const Box& b : red_boxes(s.drawing())) EXPECT_EQ(b.x2 - b.x1, c.width);
  }
}

TEST(GroupMeans, NoBarsOrNoSpreadDrawNoBarsAndNoTicks) {
  for (const std::vector<GroupBar>& bars :
       {std::vector<GroupBar>{},
        std::vector<GroupBar>{{"a", 0, 0.0f, 0.0f}, {"b", 0, 0.0f, 0.0f}}}) {
    Surface s;
    draw_group_means(s, bars, "T", "WHZ", "CLUSTER {}");
    EXPECT_TRUE(red_boxes(s.drawing()).empty());
    // The y axis, the x axis, nothing else drawn as a line.
    EXPECT_EQ(steps_of<Line>(s.drawing()).size(), 2u);
    EXPECT_TRUE(svg_is_clean(s.drawing()));
  }
}

TEST(GroupMeans, MemoLinesPadTheLabelTo20Characters) {
  const std::vector<std::string> memo =
      group_means_memo({{"12 ", 31, 0.2f, 1.04f}}, "WHZ by cluster", "Cluster");
  ASSERT_EQ(memo.size(), 3u);
  EXPECT_EQ(memo[0], "WHZ by cluster");
  EXPECT_EQ(memo[1], "");
  // "Cluster 12 :" padded to 20, then the fixed formats (4, 2) of mean and SD.
  EXPECT_EQ(memo[2], "Cluster 12 :         0.20 \xB1 1.04 (n=31)");
}

core::SurveyTable survey_with(const std::vector<std::array<const char*, 3>>& rows) {
  core::SurveyTable t;
  t.resize(t.column_count(), static_cast<int>(rows.size()) + 1);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    t.set_cell(core::StdVar::cluster, row, rows[i][0]);
    t.set_cell(core::StdVar::months, row, rows[i][1]);
    t.set_cell(core::StdVar::whz, row, rows[i][2]);
  }
  return t;
}

TEST(GroupBars, ClusterListGivesCodesLabelsAndSummaries) {
  const core::SurveyTable t =
      survey_with({{"3", "10", "-1"}, {"12", "20", "0.5"}, {"3", "30", "-2"}, {"12", "40", ""}});
  const std::string list = cluster_category_list(t);
  EXPECT_EQ(list, "CLUSTER {3] 3 ; 12] 12 ; }");
  const auto bars = group_bars(t, "WHZ", list, {});
  ASSERT_TRUE(bars);
  ASSERT_EQ(bars->size(), 2u);
  EXPECT_EQ((*bars)[0].label, "3 ");
  EXPECT_EQ((*bars)[0].n, 2);
  EXPECT_FLOAT_EQ((*bars)[0].mean, -1.5f);
  EXPECT_FLOAT_EQ((*bars)[0].sd, std::sqrt(0.5f));
  EXPECT_EQ((*bars)[1].label, "12 ");
  EXPECT_EQ((*bars)[1].n, 1);
}

TEST(GroupBars, AgeBandsCountAChildOnABoundOnce) {
  const core::SurveyTable t = survey_with(
      {{"1", "5", "1"}, {"1", "6", "2"}, {"1", "17.5", "3"}, {"1", "18", "4"}, {"1", "60", "5"}});
  const std::vector<std::string> lower = {"6", "18", "30", "42", "54"};
  const std::vector<std::string> labels = age_band_labels(lower, {"17", "29", "41", "53", "59"});
  EXPECT_EQ(labels, (std::vector<std::string>{"< 6", "6 to 17", "18 to 29", "30 to 41", "42 to 53",
                                              ">= 54"}));
  const std::string list = age_category_list(lower);
  EXPECT_EQ(list, "MONTHS {6;18;30;42;54;}");
  const auto bars = group_bars(t, "WHZ", list, labels);
  ASSERT_TRUE(bars);
  ASSERT_EQ(bars->size(), 6u);
  const long long expected_n[] = {1, 2, 1, 0, 0, 1};
  for (std::size_t k = 0; k < 6; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ((*bars)[k].n, expected_n[k]);
    EXPECT_EQ((*bars)[k].label, labels[k]);
  }
  EXPECT_FLOAT_EQ((*bars)[1].mean, 2.5f);
}

TEST(GroupBars, AMissingColumnGivesNoBars) {
  const core::SurveyTable t = survey_with({{"1", "5", "1"}});
  EXPECT_FALSE(group_bars(t, "BMI", "CLUSTER {1] 1 ; }", {}));
  EXPECT_FALSE(group_bars(t, "WHZ", "STRATUM {1] 1 ; }", {}));
}

TEST(MuacClasses, StackedBarsReachAHundredPercent) {
  std::vector<MuacBand> bands(6, MuacBand{"6 to 17", 10, 20});
  Surface s;
  draw_muac_classes(s, bands, "MUAC by age", "MONTHS {6;18;30;42;54;}", 115, 125);
  const Drawing& d = s.drawing();
  // Band 2: x = trunc(380 / 6 + 40) = 103, right trunc(103 + 63.33 - 14) = 152.
  const std::vector<Box> boxes = steps_of<Box>(d);
  const auto has_box = [&](Box b) {
    return std::find(boxes.begin(), boxes.end(), b) != boxes.end();
  };
  EXPECT_TRUE(has_box({103, 311, 152, 284, kRed, Fill::solid, true}));     // 310 - 25.5
  EXPECT_TRUE(has_box({103, 284, 152, 233, kYellow, Fill::solid, true}));  // 310 - 76.5
  EXPECT_TRUE(has_box({103, 233, 152, 55, kGreen, Fill::solid, true}));
  EXPECT_NE(text_named(d, "% >=125mm"), nullptr);
  EXPECT_NE(text_named(d, "% 115-125mm"), nullptr);
  EXPECT_NE(text_named(d, "% <115mm"), nullptr);
  EXPECT_TRUE(has_line(d, 27, 55, 33, 55));
  const Text* hundred = text_named(d, "100");
  ASSERT_NE(hundred, nullptr);
  EXPECT_EQ(hundred->y, 48);
}

TEST(CasesPerCluster, ThirtyClustersWithUpToSixCases) {
  // 30 clusters: counts 0..6 with tallies 3, 5, 8, 6, 4, 3, 1.
  std::vector<int> counts;
  const int tally[] = {3, 5, 8, 6, 4, 3, 1};
  for (int k = 0; k < 7; ++k)
    for (int i = 0; i < tally[k]; ++i) counts.push_back(k);
  const CasesPerCluster c = cases_per_cluster(counts);
  EXPECT_EQ(c.clusters, 30);
  EXPECT_EQ(c.highest, 8);
  for (int k = 0; k < 7; ++k) EXPECT_EQ(c.tally[k], tally[k]);
  for (int k = 7; k < 12; ++k) EXPECT_EQ(c.tally[k], 0);
  // mu = (5 + 16 + 18 + 16 + 15 + 6) / 30 = 76 / 30.
  EXPECT_NEAR(c.mean, 76.0 / 30, 1e-12);
  ASSERT_EQ(c.poisson.size(), 12u);
  EXPECT_NEAR(c.poisson[0], 30 * std::exp(-76.0 / 30), 1e-4);
  EXPECT_NEAR(c.poisson[2], 30 * std::exp(-76.0 / 30) * std::pow(76.0 / 30, 2) / 2, 1e-4);
  Surface s;
  draw_cases_per_cluster(s, c);
  const Drawing& d = s.drawing();
  // Bars: k = 0 from x = trunc(-400 / 12 + 84) = 50 to trunc(50 + 25.33) = 75; the k = 2 bar
  // reaches 310 - 270 = 40.
  const std::vector<Box> bars = red_boxes(d);
  ASSERT_EQ(bars.size(), 12u);
  EXPECT_EQ(bars[0], (Box{50, 310, 75, std::trunc(310 - 270.0 / 8 * 3), kRed, Fill::solid, true}));
  EXPECT_EQ(bars[2].y2, 40);
  EXPECT_EQ(bars[7].y2, 310);  // nothing tallied beyond 6
  // The first Poisson point: x = trunc(-400 / 12 + 96) = 62, y = trunc(310 - 270 / 8 x 30
  // e^(-76/30)) = trunc(310 - 80.41) = 229, a square of 8 units around it.
  const std::vector<Box> squares = steps_of<Box>(d);
  EXPECT_NE(std::find(squares.begin(), squares.end(),
                      Box{58, 233, 66, 225, kGreen, Fill::solid, true}),
            squares.end());
  // Poisson points continue to k = 11: the last at x = trunc(10 x 400 / 12 + 96) = 429.
  int green = 0;
  for (const Box& b : steps_of<Box>(d)) green += b.fill_colour == kGreen && b.x2 - b.x1 == 8;
  EXPECT_EQ(green, 13);  // 12 points and the legend square
  // The counts spread less than a Poisson's (v <= mu): no negative binomial, and no legend
  // entry for a curve that is not drawn.
  EXPECT_TRUE(c.negative_binomial.empty());
  EXPECT_EQ(text_named(d, "neg. binomial distribution"), nullptr);
  EXPECT_TRUE(svg_is_clean(d));
}

TEST(CasesPerCluster, ACountAboveTheClusterNumberIsNotTalliedButCounts) {
  const CasesPerCluster c = cases_per_cluster({0, 1, 5});
  EXPECT_EQ(c.tally[0], 1);
  EXPECT_EQ(c.tally[1], 1);
  EXPECT_EQ(c.tally[5], 0);
  EXPECT_DOUBLE_EQ(c.mean, 2);
  EXPECT_DOUBLE_EQ(c.variance, 7);  // (4 + 1 + 9) / 2
  // kappa = 4 / (7 - 2) = 0.8; q(0) = (1 + 2 / 0.8)^-0.8.
  ASSERT_EQ(c.negative_binomial.size(), 12u);
  EXPECT_NEAR(c.negative_binomial[0], 3 * std::pow(3.5, -0.8), 1e-5);
  EXPECT_NEAR(c.negative_binomial[1], 2 / 2.8 * 0.8 * 3 * std::pow(3.5, -0.8), 1e-5);
}

TEST(CasesPerCluster, UndefinedCasesDrawWithoutFailing) {
  struct Case {
    const char* what;
    std::vector<int> counts;
    bool negative_binomial;
    int bars;
  };
  const Case cases[] = {
      {"v <= mu: no negative binomial", {1, 1, 1, 1}, false, 12},
      {"mu = 0: no negative binomial", {0, 0, 0}, false, 12},
      {"every cluster above K: H = 0, no bars", {5, 7}, false, 0},
      {"one cluster: nothing", {3}, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CasesPerCluster values = cases_per_cluster(c.counts);
    EXPECT_EQ(!values.negative_binomial.empty(), c.negative_binomial);
    Surface s;
    draw_cases_per_cluster(s, values);
    EXPECT_EQ(static_cast<int>(red_boxes(s.drawing()).size()), c.bars);
    EXPECT_TRUE(svg_is_clean(s.drawing()));
  }
}

}  // namespace
}  // namespace olvar::graphs
