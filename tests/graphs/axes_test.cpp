// Axis scaling and labelling of the results page's graphs: the documented tick positions.
#include "graphs/axes.h"

#include <gtest/gtest.h>

#include "display_list_steps.h"

namespace olvar::graphs {
namespace {

using test::has_line;
using test::steps_of;
using test::text_named;

std::string trimmed(const std::string& s) {
  const auto b = s.find_first_not_of(' ');
  return b == std::string::npos ? "" : s.substr(b);
}

// The label whose text, without its padding, is `value`.
const Text* label(const Drawing& d, const std::string& value) {
  for (const Step& step : d.steps) {
    if (const auto* t = std::get_if<Text>(&step); t && trimmed(t->text) == value) return t;
  }
  return nullptr;
}

// The same among the labels of the y axis (left of it, not on the x axis's label line).
const Text* y_label(const Drawing& d, const std::string& value) {
  for (const Step& step : d.steps) {
    if (const auto* t = std::get_if<Text>(&step); t && trimmed(t->text) == value && t->y != 317)
      return t;
  }
  return nullptr;
}

TEST(Achsenskalierung, ZScoreGaussianAxesGetStepOneAndFive) {
  Surface s;
  Achsenskalierung(s, {310, 30, 45, 0, 5, -5});
  const Drawing& d = s.drawing();
  // x: step 1 (10 parts), a tick on every whole z from -5 at x = 30 to 5 at x = 430, each label
  // centred under its tick.
  EXPECT_TRUE(has_line(d, 30, 315, 30, 306));
  EXPECT_TRUE(has_line(d, 70, 315, 70, 306));
  EXPECT_TRUE(has_line(d, 430, 315, 430, 306));
  for (const char* value : {"-5", "-4", "0", "5"}) {
    SCOPED_TRACE(value);
    const Text* t = label(d, value);
    ASSERT_NE(t, nullptr);
    const double tick = 30 + (std::stod(value) + 5) * 40;
    EXPECT_NEAR(t->x + text_width(t->text) / 2, tick, 1);
    EXPECT_EQ(t->y, 317);
  }
  EXPECT_EQ(label(d, "6"), nullptr);  // nothing beyond the range (and the picture)
  // y: step 5, from 0 at the x axis to 45 at y = 40, 30 units apart (270 / 45 x 5); each label
  // ends left of its tick and stands 6 units above it.
  struct Case {
    const char* value;
    double y;
  };
  for (const Case c : {Case{"45", 40}, Case{"40", 70}, Case{"25", 160}, Case{"0", 310}}) {
    SCOPED_TRACE(c.value);
    EXPECT_TRUE(has_line(d, 27, c.y, 33, c.y));
    const Text* t = y_label(d, c.value);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->y, c.y - 6);
    EXPECT_LE(t->x + text_width(t->text), 27);
  }
  EXPECT_EQ(label(d, "50"), nullptr);
}

TEST(Achsenskalierung, RangesWithoutAWholeStepGetRoundDecimalSteps) {
  Surface s;
  // y from 0 to 1.2: step 0.1, thirteen ticks 0.0 ... 1.2, 22.5 units apart, one decimal.
  Achsenskalierung(s, {310, 30, 1.2, 0, 0, 0});
  const Drawing& d = s.drawing();
  const std::vector<Line> ticks = steps_of<Line>(d);
  ASSERT_EQ(ticks.size(), 13u);
  EXPECT_EQ(ticks.front().y1, 310);  // 0.0 at the x axis
  EXPECT_EQ(ticks.back().y1, 40);    // 1.2 at the top
  EXPECT_NE(label(d, "1.2"), nullptr);
  EXPECT_NE(label(d, "0.1"), nullptr);
  EXPECT_NE(label(d, "0.0"), nullptr);
  EXPECT_EQ(label(d, "-0.0"), nullptr);
}

TEST(Achsenskalierung, AZeroRangeGetsNoTicks) {
  Surface s;
  Achsenskalierung(s, {310, 30, 0, 0, 0, 0});
  EXPECT_EQ(s.drawing().steps.size(), 1u);  // the cleared surface only
}

TEST(Achsenskalierung, ProbabilityPlotLeavesOutTheLabelsWhereTheAxesCross) {
  Surface s;
  AxisScaling axes{175, 230, 5, -5, 5, -5};
  axes.probability_plot = true;
  Achsenskalierung(s, axes);
  const Drawing& d = s.drawing();
  EXPECT_TRUE(has_line(d, 230, 180, 230, 171));  // the tick of 0 is drawn
  int zeros = 0;
  for (const Text& t : steps_of<Text>(d)) zeros += trimmed(t.text) == "0";
  EXPECT_EQ(zeros, 0);
  EXPECT_NE(label(d, "-4"), nullptr);
  EXPECT_NE(label(d, "5"), nullptr);
}

TEST(Achsenbeschriftung, PlacesTitleCountAndAxisTexts) {
  Surface s;
  Achsenbeschriftung(s, {"Weight-for-height", "WHZ", "CLUSTER {1] 1 ; }", 412, false, "Boys"});
  const Drawing& d = s.drawing();
  const Text* title = text_named(d, "Weight-for-height");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->x, 164);  // (459 - 7.65 x 17) / 2 = 164.5
  EXPECT_EQ(title->y, 10);
  EXPECT_TRUE(title->bold);
  EXPECT_EQ(title->size, 12);
  const Text* count = text_named(d, "(n = 412)");
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->x, 35);
  EXPECT_EQ(count->y, 28);
  const Text* y_text = text_named(d, "WHZ");
  ASSERT_NE(y_text, nullptr);
  EXPECT_EQ(y_text->x, 10);
  const Text* x_text = text_named(d, "CLUSTER ");
  ASSERT_NE(x_text, nullptr);
  EXPECT_EQ(x_text->x, 209);  // 225 - 2 x 8
  EXPECT_EQ(x_text->y, 329);
}

TEST(Achsenbeschriftung, NoCountForTheBoysTitleAndNoXTextWithoutASpace) {
  Surface s;
  Achsenbeschriftung(s, {"WHZ of Boys", "", "ALL", 20, true, "Boys"});
  const Drawing& d = s.drawing();
  EXPECT_EQ(text_named(d, "(n = 20)"), nullptr);
  EXPECT_EQ(text_named(d, "ALL"), nullptr);
  // The Gaussian curve's three white strips come first.
  const std::vector<Box> boxes = steps_of<Box>(d);
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[1], (Box{2, 2, 448, 35, kWhite, Fill::solid, false}));
  EXPECT_EQ(boxes[2], (Box{31, 2, 60, 54, kWhite, Fill::solid, false}));
  EXPECT_EQ(boxes[3], (Box{2, 331, 448, 344, kWhite, Fill::solid, false}));
}

}  // namespace
}  // namespace olvar::graphs
