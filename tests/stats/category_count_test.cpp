#include "stats/category_count.h"

#include <gtest/gtest.h>

#include "analysis_table_fixture.h"

namespace olvar::stats {
namespace {

using testing::AnalysisTable;

TEST(SplitCodeList, KeepsEachPieceBeforeASemicolonWithoutItsFirstCharacter) {
  EXPECT_EQ(split_code_list("{1] ; 2] ; 12] ; }"),
            (std::vector<std::string>{"1] ", "2] ", "12] "}));
  EXPECT_EQ(split_code_list("{y] ; n] ; }"), (std::vector<std::string>{"y] ", "n] "}));
  EXPECT_TRUE(split_code_list("{}").empty());
  EXPECT_TRUE(split_code_list("").empty());
}

TEST(DeskripStatDiscret, CountsRowsPerCode) {
  AnalysisTable t;
  // SEX codes in column 6, teams for the filter.
  const char* sexes[] = {"1", "2", "12", "1", "", "3", "1"};
  const char* teams[] = {"1", "1", "2", "2", "2", "2", "1"};
  for (int i = 0; i < 7; ++i) t.add().cell(6, sexes[i]).team(teams[i]);
  struct Case {
    const char* what;
    RowFilter filter;
    std::vector<std::int64_t> counts;  // entries "1]", "2]", "12]"
    std::int64_t n;
  };
  const Case kCases[] = {
      // "1" must not count as "12]" and "12" not as "1]"; "3" matches no entry and the empty
      // cell is skipped: n = 6 - 1.
      {"every row", RowFilter::all_rows(), {3, 1, 1}, 5},
      {"team 2", RowFilter::equal_text(AnalysisTable::kTeam, "2"), {1, 0, 1}, 2},
      {"teams 1 to 1", RowFilter::range(AnalysisTable::kTeam, 1.0f, 1.0f), {2, 1, 0}, 3},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    const CategoryCounts r = DeskripStatDiscret(t.grid(), 6, "{1] ; 2] ; 12] ; }", c.filter);
    ASSERT_EQ(r.categories.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(r.categories[i].count, c.counts[i]) << i;
    EXPECT_EQ(r.n, c.n);
  }
}

}  // namespace
}  // namespace olvar::stats
