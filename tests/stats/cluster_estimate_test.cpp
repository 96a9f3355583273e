#include "stats/cluster_estimate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis_table_fixture.h"

namespace olvar::stats {
namespace {

std::vector<ClusterRecord> clusters(const std::vector<double>& m, const std::vector<double>& a) {
  std::vector<ClusterRecord> records;
  for (std::size_t i = 0; i < m.size(); ++i) records.push_back({"", m[i], a[i], 0.0, 0.0});
  return records;
}

// A small survey worked by hand. Four clusters of 5, 10, 15 and 20 children with 1, 1, 3 and 5
// wasted: M = 50, A = 10, p = 0.2, mean cluster size 12.5.
//   residuals u = (a - p m) / 12.5 = (1-1, 1-2, 3-3, 5-4) / 12.5 = 0, -0.08, 0, 0.08; mean 0
//   SS = 2 * 0.0064 = 0.0128;  SE = sqrt(0.0128 / (4 * 3)) = 0.0326599
//   t = t(0.975, 3) = 3.18245
//   L = ln(0.2 / 0.8) = -1.3862944;  V = SE^2 / (0.2 * 0.8)^2 = 0.00106667 / 0.0256 = 0.0416667
//   t sqrt(V) = 3.18245 * 0.2041241 = 0.6496149
//   lower = 100 / (1 + e^(1.3862944 + 0.6496149)) = 100 / (1 + 7.659213) = 11.5484 %
//   upper = 100 / (1 + e^(1.3862944 - 0.6496149)) = 100 / (1 + 2.088988) = 32.3731 %
// The second indicator counts every child (p = 1) and the third none: the logit of either is
// infinite, so their intervals collapse onto the estimate, 100-100 and 0-0; an interval of 0-0
// beside a prevalence of 100 % would not contain its estimate.
TEST(ClusterPrevalenceCI, LogitIntervalOfAHandWorkedSurvey) {
  std::vector<ClusterRecord> records = clusters({5, 10, 15, 20}, {1, 1, 3, 5});
  for (ClusterRecord& r : records) r.b = r.m;
  const ClusterEstimate e = ClusterPrevalenceCI(records, SurveyKind::anthropometry);
  EXPECT_EQ(e.k, 4);
  EXPECT_FALSE(e.wilson);
  EXPECT_EQ(e.t, 3.18245);
  EXPECT_NEAR(e.a.se, 0.0326599, 1e-7);
  EXPECT_NEAR(e.a.lower, 11.5484, 1e-4);
  EXPECT_NEAR(e.a.upper, 32.3731, 1e-4);
  EXPECT_EQ(e.b.lower, 100.0);
  EXPECT_EQ(e.b.upper, 100.0);
  EXPECT_EQ(e.c.lower, 0.0);
  EXPECT_EQ(e.c.upper, 0.0);
  EXPECT_EQ(e.population_correction, PopulationCorrection::not_requested);
}

TEST(ClusterPrevalenceCI, EvenClustersCollapseTheInterval) {
  // 30 clusters of 30 children with 3 cases each: p = 10 %, every residual 0, SE 0.
  const ClusterEstimate e = ClusterPrevalenceCI(
      clusters(std::vector<double>(30, 30.0), std::vector<double>(30, 3.0)),
      SurveyKind::anthropometry);
  EXPECT_EQ(e.k, 30);
  EXPECT_NEAR(e.a.se, 0.0, 1e-15);
  EXPECT_NEAR(e.a.lower, 10.0, 1e-9);
  EXPECT_NEAR(e.a.upper, 10.0, 1e-9);
}

TEST(ClusterPrevalenceCI, OneClusterGetsTheWilsonInterval) {
  // The score interval of Wilson (1927; Newcombe 1998, Statistics in Medicine 17, 857-872,
  // method 3) for 10 of 100 by hand, z = 1.96: centre 0.1 + 3.8416/200 = 0.119208, half-width
  // 1.96 sqrt((0.09 + 3.8416/400)/100) = 0.0618578, both divided by 1 + 3.8416/100 = 1.038416:
  // 5.5229 % to 17.4367 %.
  // No case in 100: 0 to 3.8416 / 103.8416 = 3.6995 %.
  std::vector<ClusterRecord> one = {{"1", 100.0, 10.0, 0.0, 100.0}};
  const ClusterEstimate e = ClusterPrevalenceCI(one, SurveyKind::anthropometry);
  EXPECT_TRUE(e.wilson);
  EXPECT_EQ(e.k, 1);
  EXPECT_EQ(e.t, 1.96);
  EXPECT_NEAR(e.a.lower, 5.5229, 1e-4);
  EXPECT_NEAR(e.a.upper, 17.4367, 1e-4);
  EXPECT_EQ(e.b.lower, 0.0);
  EXPECT_NEAR(e.b.upper, 3.6995, 1e-4);
  // Every child a case: 100 - 3.6995 to 100 (the Wilson interval is symmetric in p, 1 - p).
  EXPECT_NEAR(e.c.lower, 96.3005, 1e-4);
  EXPECT_NEAR(e.c.upper, 100.0, 1e-9);
}

TEST(ClusterPrevalenceCI, EmptyClustersTakeNoPart) {
  // A zero-sized cluster between two real ones leaves k = 2 (t on 1 df); no data at all leaves
  // every limit 0.
  std::vector<ClusterRecord> records = clusters({10, 0, 10}, {1, 0, 3});
  const ClusterEstimate e = ClusterPrevalenceCI(records, SurveyKind::anthropometry);
  EXPECT_EQ(e.k, 2);
  EXPECT_EQ(e.t, 12.7062);
  const ClusterEstimate none = ClusterPrevalenceCI(clusters({0, 0}, {0, 0}), SurveyKind::mortality);
  EXPECT_EQ(none.k, 0);
  EXPECT_FALSE(none.wilson);
  EXPECT_EQ(none.a.lower, 0.0);
  EXPECT_EQ(none.a.upper, 0.0);
}

TEST(ClusterPrevalenceCI, TUsesClustersMinusOneDegreesOfFreedom) {
  struct Case { int clusters; double t; };
  constexpr Case kCases[] = {{2, 12.7062}, {31, 2.04227}, {301, 1.9679}, {302, 1.96}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.clusters);
    std::vector<ClusterRecord> records;
    for (int i = 0; i < c.clusters; ++i) records.push_back({"", 20.0, i % 2 ? 2.0 : 4.0, 0, 0});
    EXPECT_EQ(ClusterPrevalenceCI(records, SurveyKind::anthropometry).t, c.t);
  }
}

TEST(ClusterPrevalenceCI, FinitePopulationCorrection) {
  const std::vector<ClusterRecord> records = clusters({5, 10, 15, 20}, {1, 1, 3, 5});
  const double se = 0.0326599;  // uncorrected, from the hand-worked survey above
  struct Case {
    const char* what;
    SurveyKind kind;
    PopulationCorrectionInputs planning;
    PopulationCorrection outcome;
    double factor;
  };
  const Case kCases[] = {
      {"box not ticked", SurveyKind::anthropometry, {false, "10000", "20", "450", "900"},
       PopulationCorrection::not_requested, 1.0},
      // Children: 10000 * 20 % * 0.9 = 1800 eligible; f = 1 - 450 / 1800 = 0.75.
      {"children", SurveyKind::anthropometry, {true, "10000", "20", "450", "900"},
       PopulationCorrection::applied, 0.75},
      // Deaths: f = 1 - 900 / 10000 = 0.91.
      {"mortality", SurveyKind::mortality, {true, "10000", "20", "450", "900"},
       PopulationCorrection::applied, 0.91},
      // 2000 children planned out of 1800 eligible: f < 0, so no correction and a message.
      {"sample larger than the population", SurveyKind::anthropometry,
       {true, "10000", "20", "2000", "900"}, PopulationCorrection::sample_exceeds_population, 1.0},
      // A typed population of 0 cannot hold the sample: f = -inf, the same message.
      {"population of 0", SurveyKind::mortality, {true, "0", "20", "450", "900"},
       PopulationCorrection::sample_exceeds_population, 1.0},
      {"no children under five", SurveyKind::anthropometry, {true, "10000", "0", "450", "900"},
       PopulationCorrection::sample_exceeds_population, 1.0},
      {"nothing planned out of nothing", SurveyKind::mortality, {true, "0", "20", "450", "0"},
       PopulationCorrection::inputs_unreadable, 1.0},
      {"negative population", SurveyKind::mortality, {true, "-500", "20", "450", "900"},
       PopulationCorrection::inputs_unreadable, 1.0},
      // Nothing planned: f = 1, nothing to correct.
      {"sample of 0", SurveyKind::mortality, {true, "10000", "20", "450", "0"},
       PopulationCorrection::applied, 1.0},
      // An empty field parses as -99999, which would make f larger than 1 and widen the
      // interval unnoticed; it is refused instead.
      {"population not typed", SurveyKind::anthropometry, {true, "", "20", "450", "900"},
       PopulationCorrection::inputs_unreadable, 1.0},
      {"sample not typed", SurveyKind::anthropometry, {true, "10000", "20", "", "900"},
       PopulationCorrection::inputs_unreadable, 1.0},
      {"decimal comma", SurveyKind::anthropometry, {true, "10000", "20,0", "450", "900"},
       PopulationCorrection::applied, 0.75},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    const ClusterEstimate e = ClusterPrevalenceCI(records, c.kind, c.planning);
    EXPECT_EQ(e.population_correction, c.outcome);
    EXPECT_NEAR(e.correction_factor, c.factor, 1e-12);
    EXPECT_NEAR(e.a.se, se * std::sqrt(c.factor), 1e-7);
  }
  // Without clusters the Wilson interval has no correction to apply.
  std::vector<ClusterRecord> one = {{"1", 100.0, 10.0, 0.0, 0.0}};
  EXPECT_EQ(ClusterPrevalenceCI(one, SurveyKind::anthropometry,
                                {true, "10000", "20", "2000", "900"})
                .population_correction,
            PopulationCorrection::not_requested);
}

TEST(DesignEffect, RatioOfClusterToSimpleRandomVariance) {
  struct Case { const char* what; std::vector<double> m, a; double deff; };
  const Case kCases[] = {
      // X = 20, Y = 4, r = 0.2, Sxx = 200, Syy = 16, Sxy = 40: cluster variance
      // 2/1 * (0.04 * 200 + 16 - 0.4 * 40) / 400 = 0.04; SRS variance 0.2 * 0.8 / 20 = 0.008.
      {"cases in one of two clusters", {10, 10}, {0, 4}, 5.0},
      // The hand-worked survey: r = 0.2, Sxx = 750, Syy = 36, Sxy = 160: cluster variance
      // 4/3 * (0.04 * 750 + 36 - 0.4 * 160) / 2500 = 4/3 * 2 / 2500 = 0.00106667; SRS variance
      // 0.16 / 50 = 0.0032; ratio 0.333 is below 1 and reported as 1.
      {"evener than chance", {5, 10, 15, 20}, {1, 1, 3, 5}, 1.0},
      {"one cluster", {30}, {3}, 1.0},
      {"no case", {30, 30}, {0, 0}, 1.0},
      {"every child a case", {30, 30}, {30, 30}, 1.0},
      {"no children", {0, 0}, {0, 0}, 1.0},
      // X = 60, Y = 12, r = 0.2, Sxx = 1200, Syy = 104, Sxy = 240: cluster variance
      // 3/2 * (48 + 104 - 96) / 3600 = 0.0233333; SRS variance 0.16 / 60 = 0.00266667: 8.75.
      {"clustered cases", {20, 20, 20}, {0, 2, 10}, 8.75},
      // The same three clusters numbered 1, 3 and 5: the empty records 2 and 4 hold no data and
      // change nothing (counted, they would give 5/4 instead of 3/2: 7.29).
      {"numbering gaps do not count", {20, 0, 20, 0, 20}, {0, 0, 2, 0, 10}, 8.75},
      {"one cluster with data among empty ones", {0, 30, 0}, {0, 3, 0}, 1.0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_NEAR(DesignEffect(clusters(c.m, c.a)), c.deff, 1e-9);
  }
}

TEST(ClusterZusammenfassung, CountsChildrenAndCasesPerClusterText) {
  testing::AnalysisTable t;
  t.add().cluster("3").whz("-2.5");
  t.add().cluster("1").whz("-1");
  t.add().cluster("3").whz("");       // no value: not counted
  t.add().cluster("").whz("-3");      // no cluster: not counted
  t.add().cluster("03").whz("-2.1");  // a different text from "3"
  t.add().cluster("1").whz("-2");     // -2 is not below -2
  t.add().cluster("3").whz("-25");    // implausible: a child but no case
  t.add().cluster("1").whz("abc");    // unreadable: a child but no case
  const std::vector<ClusterRecord> r =
      Cluster_Zusammenfassung(t.grid(), testing::AnalysisTable::kWhz, -2.0);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].code, "3");
  EXPECT_EQ(r[0].m, 2.0);
  EXPECT_EQ(r[0].a, 1.0);
  EXPECT_EQ(r[1].code, "1");
  EXPECT_EQ(r[1].m, 3.0);
  EXPECT_EQ(r[1].a, 0.0);
  EXPECT_EQ(r[2].code, "03");
  EXPECT_EQ(r[2].m, 1.0);
  EXPECT_EQ(r[2].a, 1.0);
}

}  // namespace
}  // namespace olvar::stats
