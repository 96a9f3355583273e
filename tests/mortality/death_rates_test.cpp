#include "mortality/death_rates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace olvar::mortality {
namespace {

struct PersonCells {
  std::string sex{}, age{}, joined{}, left{}, born{}, died{}, cause{}, location{};
};

// An individual table with one household per entry: cluster and persons.
core::TextGrid individual_table(
    const std::vector<std::pair<std::string, std::vector<PersonCells>>>& households) {
  core::TextGrid t(170, 20);
  int row = 1;
  for (const auto& [cluster, persons] : households) {
    t.set_cell(2, row, cluster);
    t.set_cell(3, row, "1");
    t.set_cell(4, row, std::to_string(row));
    for (std::size_t i = 0; i < persons.size(); ++i) {
      const int k = static_cast<int>(i) + 1;
      const PersonCells& p = persons[i];
      const std::string* cells[] = {&p.sex,  &p.age, &p.joined, &p.left,
                                    &p.born, &p.died, &p.cause, &p.location};
      for (int f = 0; f < 8; ++f) t.set_cell(person_column(k, PersonField(f)), row, *cells[f]);
    }
    ++row;
  }
  return t;
}

TEST(RecallPeriod, OnlyAWholeNumberAboveZeroIsAccepted) {
  EXPECT_EQ(read_recall_period("90").days, 90);
  EXPECT_EQ(read_recall_period(" 93 ").days, 93);
  for (const char* bad : {"", "0", "-5", "9.5", "90 days", "abc"}) {
    const RecallPeriod r = read_recall_period(bad);
    EXPECT_FALSE(r.days) << bad;
    EXPECT_NE(r.message.find("recall period"), std::string::npos) << bad;
    EXPECT_NE(r.message.find(std::string("\"") + bad + "\""), std::string::npos) << bad;
  }
}

TEST(PersonWeight, PresentCountsOneOneEventHalfElseNothing) {
  struct Case { const char *j, *l, *b, *d; double weight; };
  for (const Case& c : std::vector<Case>{{"", "", "", "", 1.0},
                                         {"y", "", "", "", 0.5},
                                         {"", "  y", "", "", 0.5},
                                         {"", "", "", "y", 0.5},
                                         {"y", "", "", "y", 0.0},
                                         {"", "", "", "Y", 0.0},
                                         {"", "", "n", "", 0.0}}) {
    EXPECT_EQ(person_weight(c.j, c.l, c.b, c.d), c.weight)
        << c.j << "|" << c.l << "|" << c.b << "|" << c.d;
  }
}

TEST(AgeGroups, FixedChoicesAndFlexibleBoundsFromTheOptions) {
  core::OptionsPage options;
  const auto five = age_groups(AgeGrouping::five_years, options);
  ASSERT_EQ(five.size(), 18u);
  EXPECT_EQ(five[16].label(), "80-84");
  EXPECT_EQ(five[17].label(), "85-120");
  const auto ten = age_groups(AgeGrouping::ten_years, options);
  ASSERT_EQ(ten.size(), 9u);
  EXPECT_EQ(ten[8].label(), "80-120");

  // Only ma05 moved, as a survey file keeps it (the upper bounds are not stored): group 2
  // ends at 15 - 1 = 14, so ages 12 to 14 still fall into a group.
  options.ma05 = "15";
  options.ma09 = "x";  // unreadable: the list ends before group 5
  const auto flexible = age_groups(AgeGrouping::flexible, options);
  ASSERT_EQ(flexible.size(), 4u);
  EXPECT_EQ(flexible[0].label(), "0-4");
  EXPECT_EQ(flexible[1].label(), "5-14");
  EXPECT_EQ(flexible[2].label(), "15-17");
}

// One cluster with 100 members now, 3 joined, 4 left, 1 birth and 2 deaths:
// n = 100 + 2/2 - 1/2 + 4/2 - 3/2 = 101 person-equivalents; with a 90-day recall period the
// crude rate is 2 / 101 * 10000 / 90 = 2.2002 per 10,000 per day. One cluster only: the
// totals row is not shown and the interval is the score interval.
TEST(HouseholdRates, WorkedClusterOf101PersonEquivalents) {
  core::TextGrid households(12, 10);
  const std::vector<std::string> row = {"1", "7", "100", "20", "3", "1", "4", "0", "1", "2", "1"};
  for (int c = 1; c <= 11; ++c) households.set_cell(c, 2, row[c - 1]);
  const core::TextGrid table = household_results_table(households);
  EXPECT_EQ(table.cell(1, 8), "100");  // cluster 7 in row 8
  EXPECT_EQ(table.cell(8, 8), "2");
  EXPECT_EQ(table.cell(1, 2), "");     // cluster 1 has no household

  const HouseholdResults r = household_rates(table, 90);
  EXPECT_EQ(r.clusters, 1);
  EXPECT_FALSE(r.totals_shown);
  EXPECT_DOUBLE_EQ(r.crude.population, 101.0);
  EXPECT_NEAR(r.crude.rate, 2.0 / 101.0 * 10000.0 / 90.0, 1e-12);
  EXPECT_EQ(rate_text(r.crude).substr(0, 6), "2.20 (");
  EXPECT_DOUBLE_EQ(r.crude.person_days, 101.0 * 90.0);
  // Under five: 20 + 1/2 - 1/2 + 0/2 - 1/2 = 19.5 person-equivalents, 1 death.
  EXPECT_DOUBLE_EQ(r.under_five.population, 19.5);
  EXPECT_DOUBLE_EQ(r.under_five.deaths, 1.0);
}

// A cluster whose only child under five was born and died: under five n = 0 + 1/2 (death)
// - 1/2 (birth) = 0 person-equivalents, y = 1 death. Cluster 2 has 2 children now, no death.
// The death still counts: N = 0 + 2 = 2, D = 1, rate 1 / 2 * 10000 / 90 = 55.56; the empty
// cluster only takes no part in the interval.
TEST(HouseholdRates, DeathsOfAClusterWithoutPersonTimeStillCount) {
  core::TextGrid households(12, 10);
  const std::vector<std::vector<std::string>> rows = {
      {"1", "1", "5", "0", "0", "0", "0", "0", "1", "1", "1"},
      {"2", "2", "5", "2", "0", "0", "0", "0", "0", "0", "0"}};
  for (int r = 0; r < 2; ++r)
    for (int c = 1; c <= 11; ++c) households.set_cell(c, 2 + r, rows[r][c - 1]);
  const HouseholdResults h = household_rates(household_results_table(households), 90);
  EXPECT_DOUBLE_EQ(h.under_five.population, 2.0);
  EXPECT_DOUBLE_EQ(h.under_five.deaths, 1.0);
  EXPECT_NEAR(h.under_five.rate, 1.0 / 2.0 * 10000.0 / 90.0, 1e-9);
  EXPECT_EQ(h.under_five.clusters, 1);
}

TEST(HouseholdRates, ClustersAreMatchedByTheirPlainDigitsAndEmptyCellsStayEmpty) {
  core::TextGrid households(12, 10);
  households.set_cell(2, 2, "01");  // no cluster number
  households.set_cell(3, 2, "50");
  households.set_cell(2, 3, "2");
  households.set_cell(10, 3, "1");  // deaths, but no members-now cell
  const core::TextGrid table = household_results_table(households);
  for (int row = 2; row < table.row_count(); ++row) EXPECT_EQ(table.cell(1, row), "") << row;
  EXPECT_EQ(table.cell(8, 3), "1");
  EXPECT_FALSE(household_rates(table, 90).crude.computed);
  // The household "01" is in no cluster row; the one of cluster 2 is.
  EXPECT_EQ(households_with_unusable_cluster(households), 1);
  households.set_cell(3, 4, "7");  // members now, no cluster at all
  households.set_cell(2, 5, "x");  // a cluster text without any count: no household
  EXPECT_EQ(households_with_unusable_cluster(households), 2);
}

// Two clusters, recall period 90 days (factor 10000 / 90):
//   cluster 1: m 30 (1), f 2 (1), m 1 died (0.5), f 40 joined (0.5), "x" 20 (not a sex: 0)
//              population 3, deaths 1; under five 1.5 with 1 death
//   cluster 2: m 25 (1), f 3 (1), f 60 died "Y" (0, a death), m 10 joined and died (0, joined
//              and a death); population 2, deaths 2; under five 1, no death
// Crude: 3 / 5 * 111.11 = 66.67. Under five: 1 / 2.5 * 111.11 = 44.44; design effect with
// x = (1.5, 1), y = (1, 0): r = 0.4, cluster variance 2 * (0.16 * 3.25 + 1 - 0.8 * 1.5) / 6.25
// = 0.1024 against 0.4 * 0.6 / 2.5 = 0.096, so 1.0667.
TEST(IndividualRates, WorkedTwoClusterSurvey) {
  const core::TextGrid t = individual_table(
      {{"1", {{"m", "30"}, {"f", "2"}, {"m", "1", "", "", "", "y", "12", "1"},
              {"f", "40", "y"}, {"x", "20"}}},
       {"2", {{"m", "25"}, {"F", "3"}, {"f", "60", "", "", "", "Y", "3", "12"},
              {"m", "10", "y", "", "", "y", "7", "4"}}}});
  core::OptionsPage options;
  const IndividualResults r =
      individual_results(t, age_groups(AgeGrouping::flexible, options), 90);
  const double f = 10000.0 / 90.0;
  EXPECT_DOUBLE_EQ(r.crude.population, 5.0);
  EXPECT_DOUBLE_EQ(r.crude.deaths, 3.0);
  EXPECT_NEAR(r.crude.rate, 0.6 * f, 1e-9);
  EXPECT_DOUBLE_EQ(r.crude.person_days, 450.0);
  EXPECT_NEAR(r.under_five.rate, 0.4 * f, 1e-9);
  EXPECT_NEAR(r.under_five.design_effect, 0.1024 / 0.096, 1e-9);
  EXPECT_EQ(design_effect_text(r.under_five), "1.07");
  EXPECT_LT(r.under_five.lower, r.under_five.rate);
  EXPECT_GT(r.under_five.upper, r.under_five.rate);
  EXPECT_DOUBLE_EQ(r.male.population, 2.5);
  EXPECT_DOUBLE_EQ(r.female.population, 2.5);

  ASSERT_EQ(r.clusters.size(), 2u);
  EXPECT_EQ(r.cluster_sum.joined, 2);
  EXPECT_EQ(r.cluster_sum.died, 3);
  // Default flexible groups 0-4, 5-11, 12-17, 18-49, 50-64, 65-120.
  ASSERT_EQ(r.age_table.size(), 6u);
  EXPECT_DOUBLE_EQ(r.age_table[0].population, 2.5);
  EXPECT_EQ(r.age_table[0].died, 1);
  EXPECT_DOUBLE_EQ(r.age_table[1].population, 0.0);  // the boy aged 10: joined and died
  EXPECT_EQ(r.age_table[1].died, 1);
  EXPECT_EQ(r.age_table[4].died, 1);
  EXPECT_DOUBLE_EQ(r.age_sum.population, 5.0);
  // The under-five line is shown whatever the grouping.
  const IndividualResults ten =
      individual_results(t, age_groups(AgeGrouping::ten_years, options), 90);
  EXPECT_DOUBLE_EQ(ten.under_five.rate, r.under_five.rate);
  EXPECT_EQ(rate_lines(ten)[1].name, "under-five death rate");

  // Cause "12" counts as cause 1; location "12" as none.
  EXPECT_EQ(r.causes[0], 1);
  EXPECT_EQ(r.causes[2], 1);
  EXPECT_EQ(r.causes[6], 1);
  EXPECT_EQ(r.locations[0], 1);
  EXPECT_EQ(r.locations[3], 1);
  EXPECT_EQ(r.locations[1] + r.locations[2], 0);
  EXPECT_NEAR(r.cause_percent[0], 100.0 / 3.0, 1e-9);
}

// Persons whose household has no cluster number 1 ... 999 are in no rate: they are counted so
// that the caller can say how many were left out.
TEST(IndividualRates, PersonsWithoutAClusterNumberAreCounted) {
  const core::TextGrid t = individual_table({{"1", {{"m", "30"}, {"f", "2", "", "", "", "y"}}},
                                             {"", {{"m", "30"}, {"f", "20"}}},
                                             {"2a", {{"", "", "", "", "", "y"}}},
                                             {"1000", {{"m", "4"}, {"f", "5"}, {"m", "6"}}}});
  const IndividualResults r =
      individual_results(t, age_groups(AgeGrouping::five_years, core::OptionsPage{}), 90);
  EXPECT_EQ(r.persons_with_unusable_cluster, 6);
  EXPECT_DOUBLE_EQ(r.crude.population, 1.5);
  EXPECT_DOUBLE_EQ(r.crude.deaths, 1.0);
  EXPECT_EQ(individual_results(individual_table({{"3", {{"m", "30"}}}}),
                               age_groups(AgeGrouping::five_years, core::OptionsPage{}), 90)
                .persons_with_unusable_cluster,
            0);
}

TEST(IndividualRates, MoreDeathsThanPersonEquivalentsHasNoInterval) {
  // A subgroup of one man who died (0.5) and one who left and died (0): 2 deaths for 0.5.
  const core::TextGrid t = individual_table(
      {{"1", {{"m", "70", "", "", "", "y"}, {"m", "72", "", "y", "", "y"}, {"f", "30"}}},
       {"2", {{"f", "30"}}}});
  const IndividualResults r =
      individual_results(t, age_groups(AgeGrouping::ten_years, core::OptionsPage{}), 90);
  EXPECT_TRUE(r.male.computed);
  EXPECT_FALSE(r.male.interval_available);
  EXPECT_NE(rate_text(r.male).find("more deaths than person-equivalents"), std::string::npos);
  EXPECT_EQ(design_effect_text(r.male), "");
  EXPECT_TRUE(r.crude.interval_available);
}

// A subgroup without person-time in a cluster (a man of 70 who joined and died, an infant born
// and died: each weighs 0) still brings its deaths to every rate it belongs to, so that the age
// groups and the sexes add up to the crude rate's deaths.
//   cluster 1: m 70 joined+died (0), f 30 (1), m 3 (1)
//   cluster 2: m 72 (1), m 80 (1), f 2 (1), f 35 (1)
//   cluster 3: f 0 born+died (0), m 40 (1)
TEST(IndividualRates, DeathsOfASubgroupWithoutPersonTimeInTheirClusterStillCount) {
  const core::TextGrid t = individual_table(
      {{"1", {{"m", "70", "y", "", "", "y"}, {"f", "30"}, {"m", "3"}}},
       {"2", {{"m", "72"}, {"m", "80"}, {"f", "2"}, {"f", "35"}}},
       {"3", {{"f", "0", "", "", "y", "y"}, {"m", "40"}}}});
  // Default flexible groups 0-4, 5-11, 12-17, 18-49, 50-64, 65-120.
  const IndividualResults r =
      individual_results(t, age_groups(AgeGrouping::flexible, core::OptionsPage{}), 90);
  struct Case {
    const char* what;
    const Rate& rate;
    double deaths;
    double population;
  };
  const Case cases[] = {
      {"crude", r.crude, 2, 7},       {"under five", r.under_five, 1, 2},
      {"male", r.male, 1, 4},         {"female", r.female, 1, 3},
      {"0-4", r.by_age_group[0], 1, 2}, {"65-120", r.by_age_group[5], 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_DOUBLE_EQ(c.rate.deaths, c.deaths);
    EXPECT_DOUBLE_EQ(c.rate.population, c.population);
    EXPECT_NEAR(c.rate.rate, c.deaths / c.population * 10000.0 / 90.0, 1e-9);
  }
  double group_deaths = 0.0;
  for (const Rate& g : r.by_age_group) group_deaths += g.deaths;
  EXPECT_DOUBLE_EQ(group_deaths, r.crude.deaths);
  EXPECT_DOUBLE_EQ(r.male.deaths + r.female.deaths, r.crude.deaths);
  // The age-group table agrees with the rates.
  EXPECT_EQ(r.age_table[5].died, 1);
  // The cluster without person-time of 65-120 takes no part in its interval.
  EXPECT_EQ(r.by_age_group[5].clusters, 1);
}

TEST(IndividualRates, ClusterNumberingDoesNotChangeTheDesignEffect) {
  auto survey = [](const std::string& a, const std::string& b, const std::string& c) {
    return individual_table({{a, {{"m", "30", "", "", "", "y"}, {"f", "20"}, {"f", "3"}}},
                             {b, {{"m", "30"}, {"f", "20"}, {"f", "3"}, {"m", "4"}}},
                             {c, {{"m", "30", "", "", "", "y"}, {"m", "1", "", "", "", "y"}}}});
  };
  const auto groups = age_groups(AgeGrouping::five_years, core::OptionsPage{});
  const IndividualResults dense = individual_results(survey("1", "2", "3"), groups, 90);
  const IndividualResults sparse = individual_results(survey("5", "40", "900"), groups, 90);
  EXPECT_DOUBLE_EQ(dense.crude.design_effect, sparse.crude.design_effect);
  EXPECT_GT(dense.crude.design_effect, 1.0);
  EXPECT_DOUBLE_EQ(dense.crude.lower, sparse.crude.lower);
}

}  // namespace
}  // namespace olvar::mortality

namespace olvar::mortality {
namespace {

// The Planning page's small-population correction narrows the interval by f = 1 - Panel3 /
// PopSize_field; a sample above the population leaves it uncorrected and says so.
TEST(SmallPopulationCorrection, PlanningInputsNarrowTheInterval) {
  const std::vector<stats::ClusterRecord> records = {
      {"", 400, 3, 0, 0}, {"", 350, 1, 0, 0}, {"", 420, 6, 0, 0}};
  const Rate plain = rate_from_clusters(records, 90);
  ASSERT_TRUE(plain.interval_available);
  EXPECT_EQ(plain.correction, stats::PopulationCorrection::not_requested);

  stats::PopulationCorrectionInputs planning;
  planning.csps1 = true;
  planning.PopSize_field = "2000";
  planning.Panel3 = "1170";
  const Rate corrected = rate_from_clusters(records, 90, planning);
  EXPECT_EQ(corrected.correction, stats::PopulationCorrection::applied);
  EXPECT_DOUBLE_EQ(corrected.rate, plain.rate);
  EXPECT_GT(corrected.lower, plain.lower);
  EXPECT_LT(corrected.upper, plain.upper);

  planning.Panel3 = "2500";
  const Rate exceeds = rate_from_clusters(records, 90, planning);
  EXPECT_EQ(exceeds.correction, stats::PopulationCorrection::sample_exceeds_population);
  EXPECT_DOUBLE_EQ(exceeds.lower, plain.lower);
  EXPECT_EQ(correction_state({&plain, &corrected, &exceeds}),
            stats::PopulationCorrection::sample_exceeds_population);
  EXPECT_EQ(correction_state({&plain, &corrected}), stats::PopulationCorrection::applied);
}

}  // namespace
}  // namespace olvar::mortality
