#include "mortality/pyramid.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "graphs/svg_renderer.h"

namespace olvar::mortality {
namespace {

using ::testing::HasSubstr;

std::vector<graphs::Box> bars(const graphs::Drawing& d) {
  std::vector<graphs::Box> out;
  for (const graphs::Step& step : d.steps) {
    const auto* box = std::get_if<graphs::Box>(&step);
    if (box && box->fill_colour != graphs::kWhite) out.push_back(*box);
  }
  return out;
}

TEST(Pyramid, BarWidthsAreSharesOfTheTotalAt25UnitsPerPercent) {
  // 10 males aged 0-4 out of 100: 10% -> 250 units, reaching the left 10% tick at x = 55.
  std::vector<double> males(18, 0.0), females(18, 0.0);
  males[0] = 10.0;
  females[17] = 90.0;
  const auto b = bars(population_pyramid(males, females));
  ASSERT_EQ(b.size(), 36u);
  EXPECT_EQ(b[0].x1, 55);   // row 1 male bar: 305 - 250
  EXPECT_EQ(b[0].y1, 327);  // directly on the base line: 327 ... 345
  EXPECT_EQ(b[0].y2, 345);
  EXPECT_EQ(b[35].y1, 21);  // 85+ between 21 and 39
  EXPECT_EQ(b[35].x1, 305 + 2250);  // not clipped

  // 0.5 out of 1000: 1.25 units, drawn as 1.
  std::vector<double> m2(18, 0.0), f2(18, 0.0);
  m2[3] = 0.5;
  f2[3] = 999.5;
  EXPECT_EQ(bars(population_pyramid(m2, f2))[6].x1, 304);
}

TEST(Pyramid, EmptyTableGivesAxesAndLabelsWithoutBars) {
  const auto d = population_pyramid(std::vector<double>(18, 0.0), std::vector<double>(18, 0.0));
  EXPECT_TRUE(bars(d).empty());
  const std::string svg = graphs::svg_of(d);
  EXPECT_THAT(svg, HasSubstr(">Population Pyramid</text>"));
  EXPECT_THAT(svg, HasSubstr(">% of Total Population</text>"));
  EXPECT_THAT(svg, HasSubstr("<line x1=\"305\" y1=\"20\" x2=\"305\" y2=\"345\""));
  // Scaled for print: the whole picture seven times as large.
  EXPECT_THAT(graphs::svg_of(d, 7), HasSubstr("width=\"4291\" height=\"2583\""));
}

}  // namespace
}  // namespace olvar::mortality
