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

// The same among the labels of the y axis (written from x = 3 or X0 - 27).
const Text* y_label(const Drawing& d, const std::string& value, double x) {
  for (const Step& step : d.steps) {
    if (const auto* t = std::get_if<Text>(&step); t && trimmed(t->text) == value && t->x == x)
      return t;
  }
  return nullptr;
}

TEST(Achsenskalierung, ZScoreGaussianAxesGetStepOneAndFive) {
  Surface s;
  Achsenskalierung(s, {310, 30, 45, 0, 5, -5});
  const Drawing& d = s.drawing();
  // x: step 1 (10 units, 5 < 10 <= 12), first tick at -4: 30 + (-4 + 5) x 40 = 70.
  EXPECT_TRUE(has_line(d, 70, 315, 70, 306));
  const Text* first = label(d, "-4");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->x, 52);  // 12 + 40
  EXPECT_EQ(first->y, 317);
  EXPECT_EQ(label(d, "-5"), nullptr);
  // y: step 5, labels 45, 40, ..., 5 from y = 34 down by 30 units each (270 / 45 x 5).
  struct Case {
    const char* value;
    double y;
  };
  for (const Case c : {Case{"45", 34}, Case{"40", 64}, Case{"25", 154}, Case{"5", 274}}) {
    SCOPED_TRACE(c.value);
    const Text* t = y_label(d, c.value, 3);  // X0 - 27
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->y, c.y);
    EXPECT_TRUE(has_line(d, 27, c.y + 6, 33, c.y + 6));
  }
  EXPECT_EQ(y_label(d, "0", 3), nullptr);
  EXPECT_EQ(y_label(d, "50", 3), nullptr);
}

TEST(Achsenskalierung, WithoutAFittingStepTheRangeIsCutInEqualParts) {
  Surface s;
  // y from 0 to 1.2: no step cuts it into 6 to 12 parts, so nine parts of 0.1333 (30 units).
  Achsenskalierung(s, {310, 30, 1.2, 0, 0, 0});
  const Drawing& d = s.drawing();
  const std::vector<Line> ticks = steps_of<Line>(d);
  ASSERT_EQ(ticks.size(), 9u);
  EXPECT_EQ(ticks[0].y1, 40);
  EXPECT_EQ(ticks[8].y1, 280);
  // 1 < R <= 10: one decimal; the top label is the maximum.
  const Text* top = label(d, "1.2");
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->x, 3);
  EXPECT_EQ(top->y, 34);
  EXPECT_NE(label(d, "0.1"), nullptr);  // 1.2 - 8 x 0.1333
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
