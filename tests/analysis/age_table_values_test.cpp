#include "analysis/age_table_values.h"

#include <gtest/gtest.h>

#include "core/standard_variables.h"

namespace olvar::analysis {
namespace {

using core::StdVar;

struct Child {
  const char* months;
  const char* edema;
  const char* muac;
  const char* whz;
};

core::TextGrid table_of(std::initializer_list<Child> children) {
  core::TextGrid t(core::kFirstUserColumn, static_cast<int>(children.size()) + 1);
  int row = 1;
  for (const Child& c : children) {
    t.set_cell(core::column(StdVar::cluster), row, "1");
    t.set_cell(core::column(StdVar::months), row, c.months);
    t.set_cell(core::column(StdVar::edema), row, c.edema);
    t.set_cell(core::column(StdVar::muac), row, c.muac);
    t.set_cell(core::column(StdVar::whz), row, c.whz);
    ++row;
  }
  return t;
}

const std::vector<AgeGroup> kGroups = {{6, 17}, {18, 29}, {30, 41}, {42, 53}, {54, 59}};

// Group bounds: lower <= MONTHS < upper + 1, so 17.9 is in 6-17 and 59.5 in 54-59; 60 and 5.9
// are in no group and not in the whole range.
core::TextGrid fixture() {
  return table_of({{"6", "n", "0", "-3.5"},
                   {"17.9", "n", "124", "-2.5"},
                   {"18", "y", "0", ""},
                   {"59.5", "y", "", "-2.5"},
                   {"60", "n", "110", "0"},
                   {"5.9", "n", "110", "0"},
                   {"", "n", "110", "-4"}});
}

TEST(AgeTableValues, WhzGroupsAndWholeRange) {
  const auto t = age_table_values(fixture(), AgeTableFamily::whz, kGroups, {});
  ASSERT_EQ(t.size(), 6u);
  struct Expected { int n, c1, c2, c3, oedema; };
  const Expected expected[] = {{2, 1, 1, 0, 0}, {1, 0, 0, 0, 1}, {0, 0, 0, 0, 0},
                               {0, 0, 0, 0, 0}, {1, 0, 1, 0, 1}, {4, 1, 2, 0, 2}};
  for (std::size_t g = 0; g < 6; ++g) {
    SCOPED_TRACE(g);
    EXPECT_EQ(t[g].n, expected[g].n);
    EXPECT_EQ(t[g].category[0].count, expected[g].c1);
    EXPECT_EQ(t[g].category[1].count, expected[g].c2);
    EXPECT_EQ(t[g].category[2].count, expected[g].c3);
    EXPECT_EQ(t[g].oedema.count, expected[g].oedema);
  }
  EXPECT_DOUBLE_EQ(t[5].group.lower, 6.0);
  EXPECT_DOUBLE_EQ(t[5].group.upper, 59.0);
  EXPECT_DOUBLE_EQ(t[5].category[1].percent, 50.0);
  EXPECT_DOUBLE_EQ(t[1].oedema.percent, 100.0);
}

TEST(AgeTableValues, MuacOfZeroIsNotCounted) {
  // Whole range: the 6-month child's MUAC 0 is no measurement; the two oedema children count
  // in n without a category; 124 is moderate.
  const auto t = age_table_values(fixture(), AgeTableFamily::muac, kGroups, {});
  EXPECT_EQ(t[5].n, 3);
  EXPECT_EQ(t[5].category[0].count, 0);
  EXPECT_EQ(t[5].category[1].count, 1);
  EXPECT_EQ(t[5].oedema.count, 2);
  EXPECT_EQ(t[0].n, 1);
}

}  // namespace
}  // namespace olvar::analysis
