#include "analysis/prevalence_values.h"

#include <gtest/gtest.h>

#include "core/standard_variables.h"

namespace olvar::analysis {
namespace {

using core::StdVar;

struct Child {
  const char* cluster;
  const char* sex;
  const char* edema;
  const char* muac;
  const char* whz;
};

core::TextGrid table_of(std::initializer_list<Child> children) {
  core::TextGrid t(core::kFirstUserColumn, static_cast<int>(children.size()) + 1);
  int row = 1;
  for (const Child& c : children) {
    t.set_cell(core::column(StdVar::cluster), row, c.cluster);
    t.set_cell(core::column(StdVar::sex), row, c.sex);
    t.set_cell(core::column(StdVar::edema), row, c.edema);
    t.set_cell(core::column(StdVar::muac), row, c.muac);
    t.set_cell(core::column(StdVar::whz), row, c.whz);
    ++row;
  }
  return t;
}

// Three clusters of unequal size (3, 2 and 4 rows):
//   r1 c1 m  WHZ -2.5            MUAC 120   wasting a b    MUAC a b
//   r2 c1 f  WHZ --  oedema      MUAC 0     wasting a c    MUAC a c (counted for its oedema)
//   r3 c1 m  WHZ 0.5             MUAC 130   no case        no case
//   r4 c2 f  WHZ -3.5            MUAC 0     wasting a c    not measured: not in n
//   r5 c2 m  WHZ 1.0             MUAC 114   no case        MUAC a c
//   r6 c3 f  WHZ blanked (flag)  MUAC --    not in n       not in n
//   r7 c3 m  WHZ -1.0            MUAC 125   no case        no case (125 is not below 125)
//   r8 c3 f  WHZ -2.0            MUAC 115   no case        MUAC a b (115 is moderate)
//   r9 c3 m  WHZ 3.5             MUAC 140   overweight a b no case
core::TextGrid fixture() {
  return table_of({{"1", "m", "n", "120", "-2.5"},
                   {"1", "f", "y", "0", ""},
                   {"1", "m", "n", "130", "0.5"},
                   {"2", "f", "n", "0", "-3.5"},
                   {"2", "m", "n", "114", "1.0"},
                   {"3", "f", "n", "", ""},
                   {"3", "m", "n", "125", "-1.0"},
                   {"3", "f", "n", "115", "-2.0"},
                   {"3", "m", "n", "140", "3.5"}});
}

TEST(PrevalenceValues, WastingByWhzWorkedByHand) {
  const PrevalenceValues v = prevalence_values(fixture(), PrevalenceFamily::whz_wasting, {});
  // n per cluster 3, 2, 3 = 8; a per cluster 2, 1, 0 = 3; b = 1 (r1); c = 2 (r2, r4).
  EXPECT_EQ(v.n, 8);
  EXPECT_EQ(v.a.count, 3);
  EXPECT_EQ(v.b.count, 1);
  EXPECT_EQ(v.c.count, 2);
  EXPECT_EQ(v.oedema, 1);
  EXPECT_DOUBLE_EQ(v.a.percent, 37.5);
  EXPECT_DOUBLE_EQ(v.oedema_percent, 12.5);
  EXPECT_EQ(v.clusters, 3);
  // Interval of a: p = 3/8, mean cluster size 8/3. Residuals (x - p m) / mbar:
  //   (2 - 1.125) * 3/8 = 0.328125, (1 - 0.75) * 3/8 = 0.09375, (0 - 1.125) * 3/8 = -0.421875;
  //   their squares sum to 0.29443359375, SE^2 = 0.29443359375 / (3 * 2) = 0.049072265625.
  // Logit: ln(0.375 / 0.625) = -0.5108256; half-width t(2) * sqrt(SE^2 / (p(1-p))^2)
  //   = 4.30265 * sqrt(0.049072265625 / 0.054931640625) = 4.0667061;
  //   limits 100 / (1 + e^-(logit -/+ half)) = 1.0176 % and 97.2237 %.
  EXPECT_NEAR(v.a.interval.lower, 1.01756, 1e-4);
  EXPECT_NEAR(v.a.interval.upper, 97.22366, 1e-4);
}

TEST(PrevalenceValues, MuacOfZeroIsNoMeasurement) {
  const PrevalenceValues v = prevalence_values(fixture(), PrevalenceFamily::muac, {});
  // n: r1 r2 r3 | r5 | r7 r8 r9 = 7 (r4's MUAC 0 and r6's empty MUAC are not present; r2 with
  // MUAC 0 counts for its oedema only). a: 2, 1, 1 = 4; b: r1, r8 = 2; c: r2, r5 = 2.
  EXPECT_EQ(v.n, 7);
  EXPECT_EQ(v.a.count, 4);
  EXPECT_EQ(v.b.count, 2);
  EXPECT_EQ(v.c.count, 2);
  // Interval of a: p = 4/7, mbar = 7/3, residuals (2 - 12/7), (1 - 4/7), (1 - 12/7) times 3/7
  //   = 6/49, 9/49, -15/49; squares sum 342/2401; SE^2 = 342/2401/6 = 0.0237401.
  //   Logit ln(4/3) = 0.2876821, half-width 4.30265 * sqrt(0.0237401) / (12/49) = 2.7070246;
  //   limits 8.1710 % and 95.2334 %.
  EXPECT_NEAR(v.a.interval.lower, 8.17096, 1e-4);
  EXPECT_NEAR(v.a.interval.upper, 95.23344, 1e-4);

  // A child with MUAC 0 and nothing else is in no MUAC family.
  const core::TextGrid only_zero = table_of({{"1", "m", "n", "0", ""}, {"2", "f", "n", "", ""}});
  for (PrevalenceFamily f : {PrevalenceFamily::muac, PrevalenceFamily::muac_or_whz})
    EXPECT_EQ(prevalence_values(only_zero, f, {}).n, 0);
}

TEST(PrevalenceValues, FamiliesSubsetsAndCutoffs) {
  struct Case {
    PrevalenceFamily family;
    PrevalenceInputs inputs;
    int n, a, b, c;
  };
  const Case cases[] = {
      // Overweight: r9 only (WHZ 3.5 is above 2 and above 3); the oedema child r2 is in n only.
      {PrevalenceFamily::whz_overweight, {}, 8, 1, 1, 0},
      // MUAC or WHZ: r6 is the only child out of n. a: r1 r2 r4 r5 r8; c: r2 r4 r5; b = a - c.
      {PrevalenceFamily::muac_or_whz, {}, 8, 5, 2, 3},
      // Boys only: r1 r3 r5 r7 r9 for wasting; r1 is the only case.
      {PrevalenceFamily::whz_wasting, {{}, SexSubset::boys, '.', {}}, 5, 1, 1, 0},
      // Girls: r2 r4 r8 (r6 has no WHZ).
      {PrevalenceFamily::whz_wasting, {{}, SexSubset::girls, '.', {}}, 3, 2, 0, 2},
      // Cut-offs 120 / 130 from the Options page: 120 and 125 become moderate, 114 and 115
      // severe, 130 is still no case.
      {PrevalenceFamily::muac, {{120.0, 130.0}, SexSubset::all, '.', {}}, 7, 5, 2, 3},
  };
  for (const Case& k : cases) {
    const PrevalenceValues v = prevalence_values(fixture(), k.family, k.inputs);
    SCOPED_TRACE(static_cast<int>(k.family));
    EXPECT_EQ(v.n, k.n);
    EXPECT_EQ(v.a.count, k.a);
    EXPECT_EQ(v.b.count, k.b);
    EXPECT_EQ(v.c.count, k.c);
  }
}

// One child at a time, each case definition on both sides of its bounds.
TEST(PrevalenceValues, OneChildCaseDefinitions) {
  struct Case {
    const char* what;
    PrevalenceFamily family;
    Child child;
    int n, a, b, c;
  };
  using F = PrevalenceFamily;
  const Case cases[] = {
      {"oedema without WHZ: in n, a and c", F::whz_wasting, {"1", "m", "y", "", ""}, 1, 1, 0, 1},
      {"WHZ -2.5 with oedema: a and c, not b",
       F::whz_wasting,
       {"1", "m", "y", "", "-2.5"},
       1,
       1,
       0,
       1},
      {"WHZ -3.0 is moderate", F::whz_wasting, {"1", "m", "n", "", "-3.0"}, 1, 1, 1, 0},
      {"WHZ -2.0 is no case", F::whz_wasting, {"1", "m", "n", "", "-2.0"}, 1, 0, 0, 0},
      {"MUAC 115 is moderate", F::muac, {"1", "m", "n", "115", ""}, 1, 1, 1, 0},
      {"MUAC 114 is severe", F::muac, {"1", "m", "n", "114", ""}, 1, 1, 0, 1},
      {"MUAC 125 is no case", F::muac, {"1", "m", "n", "125", ""}, 1, 0, 0, 0},
      {"MUAC 0 with oedema: counted for the oedema", F::muac, {"1", "m", "y", "0", ""}, 1, 1, 0, 1},
      {"WHZ 3.5: overweight a and b", F::whz_overweight, {"1", "m", "n", "", "3.5"}, 1, 1, 1, 0},
      {"WHZ 3.5 with oedema: neither", F::whz_overweight, {"1", "m", "y", "", "3.5"}, 1, 0, 0, 0},
      {"WHZ 2.0 is not above 2", F::whz_overweight, {"1", "m", "n", "", "2.0"}, 1, 0, 0, 0},
      {"MUAC 0 and WHZ -2.5: global by WHZ",
       F::muac_or_whz,
       {"1", "m", "n", "0", "-2.5"},
       1,
       1,
       1,
       0},
      {"MUAC 112 and WHZ -1: severe by MUAC",
       F::muac_or_whz,
       {"1", "m", "n", "112", "-1"},
       1,
       1,
       0,
       1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    const PrevalenceValues v = prevalence_values(table_of({k.child}), k.family, {});
    EXPECT_EQ(v.n, k.n);
    EXPECT_EQ(v.a.count, k.a);
    EXPECT_EQ(v.b.count, k.b);
    EXPECT_EQ(v.c.count, k.c);
  }
}

TEST(PrevalenceValues, UnusableClusterCodesAreLeftOutAndCounted) {
  const core::TextGrid t = table_of({{"1", "m", "n", "", "-2.5"},
                                     {"A", "m", "n", "", "-2.5"},
                                     {"1.5", "f", "n", "", "0"},
                                     {"", "f", "n", "", "-4"},
                                     {"1000", "f", "n", "", "0"}});
  const PrevalenceValues v = prevalence_values(t, PrevalenceFamily::whz_wasting, {});
  EXPECT_EQ(v.n, 1);
  EXPECT_EQ(v.rows_with_unusable_cluster, 3);
  EXPECT_TRUE(v.estimate.wilson);  // one cluster with data
  EXPECT_EQ(cluster_number("007"), 7);
  EXPECT_EQ(cluster_number("0"), 0);
}

}  // namespace
}  // namespace olvar::analysis
