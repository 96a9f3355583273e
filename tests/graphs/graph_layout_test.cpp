// The group graphs at the sizes real surveys reach (1, 12, 30 and 60 clusters): no two bars
// overlap, every text lies inside the picture and clear of every other, and the axes count in
// round steps. The room of a text is the layout's own generous estimate (surface.h), so a pass
// here means the painted labels stay apart in any serif face.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "display_list_steps.h"
#include "graphs/axes.h"
#include "graphs/group_graph.h"

namespace olvar::graphs {
namespace {

using test::steps_of;

struct Room {
  double x1, y1, x2, y2;
  std::string text;
};

Room room_of(const Text& t) {
  return {t.x, t.y, t.x + text_width(t.text, t.size), t.y + text_height(t.size), t.text};
}

bool intersect(const Room& a, const Room& b) {
  return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
}

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

// Every text inside the picture, no two intersecting.
void expect_texts_apart(const Drawing& d) {
  const std::vector<Text> texts = steps_of<Text>(d);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const Room a = room_of(texts[i]);
    EXPECT_GE(a.x1, 0) << a.text;
    EXPECT_GE(a.y1, 0) << a.text;
    EXPECT_LE(a.x2, d.width) << a.text;
    EXPECT_LE(a.y2, d.height) << a.text;
    for (std::size_t j = i + 1; j < texts.size(); ++j) {
      const Room b = room_of(texts[j]);
      EXPECT_FALSE(intersect(a, b))
          << "\"" << a.text << "\" at (" << a.x1 << ", " << a.y1 << ") and \"" << b.text
          << "\" at (" << b.x1 << ", " << b.y1 << ")";
    }
  }
}

bool round_step(double step) {
  const double power = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
  const double mantissa = step / power;
  return std::abs(mantissa - 1) < 1e-6 || std::abs(mantissa - 2) < 1e-6 ||
         std::abs(mantissa - 5) < 1e-6;
}

// The labels of the y axis (the numbers left of it at x 30) go in one round step, never "-0".
void expect_round_y_ticks(const Drawing& d) {
  std::vector<double> values;
  for (const Text& t : steps_of<Text>(d)) {
    if (room_of(t).x2 > 30 || t.y < 30 ||
        t.text.find_first_not_of(" -.0123456789") != std::string::npos)
      continue;
    const std::string label = trimmed(t.text);
    values.push_back(std::stod(label));
    EXPECT_FALSE(label[0] == '-' && values.back() == 0) << label;
  }
  ASSERT_GE(values.size(), 2u);
  std::sort(values.begin(), values.end());
  const double step = values[1] - values[0];
  EXPECT_TRUE(round_step(step)) << step;
  for (std::size_t k = 1; k < values.size(); ++k) {
    EXPECT_NEAR(values[k] - values[k - 1], step, step * 1e-6);
    EXPECT_NEAR(values[k] / step, std::round(values[k] / step), 1e-6) << values[k];
  }
}

void expect_bars_apart(const Drawing& d, std::size_t bars) {
  std::vector<Box> red;
  for (const Box& b : steps_of<Box>(d))
    if (b.fill_colour == kRed) red.push_back(b);
  ASSERT_EQ(red.size(), bars);
  for (std::size_t k = 0; k < red.size(); ++k) {
    EXPECT_LT(std::max(red[k].x1, red[k].x2), d.width) << k;
    if (k + 1 < red.size()) {
      EXPECT_LT(std::max(red[k].x1, red[k].x2), std::min(red[k + 1].x1, red[k + 1].x2))
          << "bars " << k + 1 << " and " << k + 2;
    }
  }
}

// Means as real clusters have them: mostly below zero, one cluster in a few above, SD about 1.
std::vector<GroupBar> clusters(int count, double offset) {
  std::vector<GroupBar> bars;
  for (int k = 1; k <= count; ++k) {
    const float mean = static_cast<float>(offset + 0.4 * std::sin(k * 1.7));
    bars.push_back({std::to_string(k), 20 + (k * 37) % 81, mean, 0.9f + 0.01f * (k % 20)});
  }
  return bars;
}

TEST(GroupMeansLayout, BarsLabelsAndTicksAtEverySurveySize) {
  struct Case {
    const char* shape;
    double offset;  // added to every mean: all below zero, both signs, all above
  };
  for (const int count : {1, 12, 30, 60}) {
    for (const Case c : {Case{"below zero", -1.1}, Case{"both signs", -0.1}, Case{"above", 1.4}}) {
      SCOPED_TRACE(std::to_string(count) + " clusters, means " + c.shape);
      Surface s;
      const std::vector<GroupBar> bars = clusters(count, c.offset);
      draw_group_means(s, bars, "Mean WHZ by cluster", "WHZ", "CLUSTER {1] 1 ; }");
      const Drawing& d = s.drawing();
      expect_bars_apart(d, bars.size());
      expect_texts_apart(d);
      expect_round_y_ticks(d);
      // The first cluster is always named, and no cluster number is shown twice.
      std::vector<std::string> names;
      for (const Text& t : steps_of<Text>(d))
        if (t.y == 317) names.push_back(t.text);
      ASSERT_FALSE(names.empty());
      EXPECT_EQ(names.front(), "1");
      EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
    }
  }
}

TEST(GroupMeansLayout, CountsStandBesideTheirBarsWhereTheyFitAndNowhereElse) {
  struct Case {
    int clusters;
    bool counts_shown;
  };
  for (const Case c : {Case{1, true}, Case{12, true}, Case{30, false}, Case{60, false}}) {
    SCOPED_TRACE(c.clusters);
    Surface s;
    draw_group_means(s, clusters(c.clusters, -0.6), "Mean WHZ by cluster", "WHZ",
                     "CLUSTER {1] 1 ; }");
    int counts = 0;
    for (const Text& t : steps_of<Text>(s.drawing())) counts += t.text.rfind("n=", 0) == 0;
    EXPECT_EQ(counts, c.counts_shown ? c.clusters : 0);
  }
}

TEST(AxisTicks, RoundStepsForAnyRange) {
  struct Case {
    double low, high;
  };
  for (const Case c : {Case{0, 1.2}, Case{-1.23, 0.37}, Case{0, 45}, Case{-2.6, 0}, Case{0, 7},
                       Case{-0.05, 0.3}, Case{0, 523}, Case{-3.1, 3.4}}) {
    SCOPED_TRACE(std::to_string(c.low) + " to " + std::to_string(c.high));
    Surface s;
    Achsenskalierung(s, {310, 30, c.high, c.low, 0, 0});
    expect_round_y_ticks(s.drawing());
    expect_texts_apart(s.drawing());
  }
}

TEST(CasesPerClusterLayout, ScaleLegendAndTextsAtEverySurveySize) {
  for (const int count : {12, 30, 60}) {
    for (const bool spread : {false, true}) {
      SCOPED_TRACE(std::to_string(count) + (spread ? " clusters, spread" : " clusters, even"));
      std::vector<int> cases;
      // Even: every cluster 2 or 3 cases (variance below the mean: no negative binomial).
      // Spread: many clusters without a case and a few with many.
      for (int k = 0; k < count; ++k)
        cases.push_back(spread ? (k % 4 == 0 ? 6 + k % 5 : 0) : 2 + k % 2);
      const CasesPerCluster c = cases_per_cluster(cases);
      Surface s;
      draw_cases_per_cluster(s, c);
      const Drawing& d = s.drawing();
      expect_texts_apart(d);
      expect_round_y_ticks(d);
      EXPECT_EQ(test::text_named(d, "neg. binomial distribution") != nullptr,
                !c.negative_binomial.empty());
      // Every expected point lies in the plot, under its top at y = 40.
      for (const Box& b : steps_of<Box>(d)) {
        if (b.fill_colour == kGreen || b.fill_colour == kBlue) {
          EXPECT_GE(std::min(b.y1, b.y2), 40 - 4 - 1e-9);
        }
      }
    }
  }
}

TEST(MuacClassesLayout, ABandWithoutChildrenDrawsNoBar) {
  const std::vector<MuacBand> bands = {{"< 6", 0, 0, 0},       {"6 to 17", 5, 10, 40},
                                       {"18 to 29", 0, 0, 0},  {"30 to 41", 2, 8, 60},
                                       {"42 to 53", 1, 4, 55}, {">= 54", 0, 0, 0}};
  Surface s;
  draw_muac_classes(s, bands, "MUAC classes by age", "MONTHS {6;18;30;42;54;}", 115, 125);
  const Drawing& d = s.drawing();
  int green = 0;
  // The green part of a bar reaches the top of the plot (y 55); the legend's mark stays above.
  for (const Box& b : steps_of<Box>(d))
    green += b.fill_colour == kGreen && std::min(b.y1, b.y2) == 55;
  EXPECT_EQ(green, 3);
  for (const char* label : {"< 6", "18 to 29", ">= 54"})
    EXPECT_NE(test::text_named(d, label), nullptr);
  expect_texts_apart(d);
}

}  // namespace
}  // namespace olvar::graphs
