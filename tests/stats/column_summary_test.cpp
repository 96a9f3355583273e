#include "stats/column_summary.h"

#include <gtest/gtest.h>

#include <vector>

#include <cmath>

#include "analysis_table_fixture.h"

namespace olvar::stats {
namespace {

using testing::AnalysisTable;

struct SummaryCase {
  const char* what;
  std::initializer_list<const char*> whz;
  std::int64_t n;
  double mean, sd, min, max, median, below2, below3, above2;
};

// Expected values by hand: mean = sum / n, SD with n - 1, median at position ceil(n/2) of the
// sorted values, shares strictly beyond the cut-offs.
TEST(DeskripStatCont, SummarisesTheWhzColumn) {
  const SummaryCase kCases[] = {
      {"every cell missing or unreadable", {"", "abc", "  ", "-99999"}, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      // A single value is its own median (the old rule left it at 0).
      {"one value", {"", "-1.25"}, 1, -1.25, 0, -1.25, -1.25, -1.25, 0, 0, 0},
      // 1..5: mean 3, SD sqrt(10/4) = 1.5811388, median the third value.
      {"odd count", {"5", "1", "4", "2", "3"}, 5, 3, std::sqrt(2.5), 1, 5, 3, 0, 0, 60},
      // 1..4: mean 2.5, SD sqrt(5/3) = 1.2909944, median the lower middle value 2.
      {"even count", {"4", "3", "2", "1"}, 4, 2.5, std::sqrt(5.0 / 3.0), 1, 4, 2, 0, 0, 50},
      // -2 and -3 are not below themselves, 2 is not above 2: below -2 are -3.5, -3, -2.5
      // (3 of 8), below -3 only -3.5 (1 of 8), above +2 2.5 and 3 (2 of 8). Sum -3.5, mean
      // -0.4375; sum of squares 50.75 - 8 * 0.4375^2 = 49.21875 about the mean, SD
      // sqrt(49.21875 / 7). Median: fourth of the sorted eight, -2.
      {"shares beyond the cut-offs",
       {"-3.5", "-3", "-2.5", "-2", "0", "2", "2.5", "3"}, 8, -0.4375,
       std::sqrt(49.21875 / 7.0), -3.5, 3, -2, 37.5, 12.5, 25},
      // Either decimal separator reads; a typed -99999 is the missing mark, not a value.
      {"decimal comma and sentinel", {"-1,5", "0.5", "-99999", "x1"}, 2, -0.5, std::sqrt(2.0),
       -1.5, 0.5, -1.5, 0, 0, 0},
  };
  for (const SummaryCase& c : kCases) {
    SCOPED_TRACE(c.what);
    AnalysisTable t;
    t.add_whz(c.whz);
    const ColumnSummary s = DeskripStatCont(t.grid(), AnalysisTable::kWhz);
    EXPECT_EQ(s.n, c.n);
    EXPECT_NEAR(s.mean, c.mean, 1e-6);
    EXPECT_NEAR(s.sd, c.sd, 1e-6);
    EXPECT_NEAR(s.min, c.min, 1e-6);
    EXPECT_NEAR(s.max, c.max, 1e-6);
    EXPECT_NEAR(s.median, c.median, 1e-6);
    EXPECT_NEAR(s.pct_below_minus2, c.below2, 1e-9);
    EXPECT_NEAR(s.pct_below_minus3, c.below3, 1e-9);
    EXPECT_NEAR(s.pct_above_plus2, c.above2, 1e-9);
  }
}

TEST(DeskripStatCont, ReadsOnlyTheRowsTheFilterSelects) {
  AnalysisTable t;
  t.add().team("1").months("6").whz("-1");
  t.add().team("2").months("59.99").whz("-2");
  t.add().team("2 ").months("60").whz("-3");  // trailing blank: not team "2"
  t.add().team("").months("").whz("-4");
  t.add().team("2").months("x").whz("-5");
  struct Case { const char* what; RowFilter filter; std::int64_t n; double mean; };
  const Case kCases[] = {
      {"every row", RowFilter::all_rows(), 5, -3},
      // Bounds included; an empty or unreadable filter cell fails any range.
      {"months 6 to 59.99", RowFilter::range(AnalysisTable::kMonths, 6.0f, 59.99f), 2, -1.5},
      {"months 59.99 to 100", RowFilter::range(AnalysisTable::kMonths, 59.99f, 100.0f), 2, -2.5},
      {"team 2, exact text", RowFilter::equal_text(AnalysisTable::kTeam, "2"), 2, -3.5},
      {"team 2 with its blank", RowFilter::equal_text(AnalysisTable::kTeam, "2 "), 1, -3},
      {"empty text selects nothing", RowFilter::equal_text(AnalysisTable::kTeam, ""), 0, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    const ColumnSummary s = DeskripStatCont(t.grid(), AnalysisTable::kWhz, c.filter);
    EXPECT_EQ(s.n, c.n);
    EXPECT_NEAR(s.mean, c.mean, 1e-9);
  }
}

TEST(DeskripStatCont, SummarisesMoreValuesThanTheOldBufferHeld) {
  // 120,000 values 1 ... 120,000 in descending order: beyond both the 65,535 of the old median
  // sort and the 100,000 of the old value buffer. Median at position 60,000 is 60,000.
  core::TextGrid grid(16, 120'001);
  for (int row = 1; row <= 120'000; ++row) {
    grid.set_cell(AnalysisTable::kWhz, row, std::to_string(120'001 - row));
  }
  const ColumnSummary s = DeskripStatCont(grid, AnalysisTable::kWhz);
  EXPECT_EQ(s.n, 120'000);
  EXPECT_EQ(s.median, 60'000.0);
  EXPECT_NEAR(s.mean, 60'000.5, 1e-6);
  EXPECT_EQ(s.min, 1.0);
  EXPECT_EQ(s.max, 120'000.0);
}


// 2, 4, 4, 4, 5, 5, 7, 9: mean 5, squares about it 32, sample SD sqrt(32 / 7) = 2.13809.
TEST(MeanSd, SampleSdOfPlainValues) {
  const std::vector<double> values = {2, 4, 4, 4, 5, 5, 7, 9};
  const MeanSd m = mean_sd(values);
  EXPECT_EQ(m.n, 8);
  EXPECT_DOUBLE_EQ(m.mean, 5.0);
  EXPECT_NEAR(m.sd, 2.138090, 1e-6);
  const std::vector<float> one = {1.5f};
  EXPECT_EQ(mean_sd(one).sd, 0.0);  // a single value has no spread
  EXPECT_EQ(mean_sd(std::vector<double>{}).n, 0);
}

}  // namespace
}  // namespace olvar::stats
