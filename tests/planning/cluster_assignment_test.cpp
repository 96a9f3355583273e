#include "planning/cluster_assignment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/scripted_prompter.h"

namespace olvar::planning {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

std::vector<std::string> split(const std::string& label) {
  std::vector<std::string> parts;
  std::stringstream in(label);
  for (std::string part; std::getline(in, part, ',');) parts.push_back(part);
  return parts;
}

core::LanguageTable language() {
  core::LanguageTable text;
  text.read_english("0855 Unit\n0856 Population\n0923 Assign again?\n");
  return text;
}

core::TextGrid table_of(const std::vector<std::pair<std::string, std::string>>& units) {
  core::TextGrid table(3, kClusterTableRows);
  for (std::size_t i = 0; i < units.size(); ++i) {
    table.set_cell(0, static_cast<int>(i) + 1, units[i].first);
    table.set_cell(1, static_cast<int>(i) + 1, units[i].second);
  }
  return table;
}

TEST(ClusterAssignment, DrawsIncludeReservesByTheRule) {
  EXPECT_EQ(draws_for(30), 34);
  EXPECT_EQ(draws_for(25), 28);
  EXPECT_EQ(draws_for(10), 12);
  EXPECT_EQ(draws_for(2), 3);
  EXPECT_EQ(draws_for(kMaxClusters), kMaxDraws);
}

TEST(ClusterAssignment, ThreeEqualVillagesEachGetOneDraw) {
  // n = 2: M = 3, SI = 2000, RS one of 0 ... 1999; whatever RS is, each village holds one
  // target, one of them becomes the reserve and the others read 1 and 2 in table order.
  for (std::uint32_t seed = 0; seed < 200; ++seed) {
    SCOPED_TRACE(seed);
    PlanningRandom random(seed);
    const ClusterDraw draw = draw_clusters({2000, 2000, 2000}, 2, random);
    EXPECT_EQ(draw.interval, 2000.0);
    EXPECT_LT(draw.random_start, 2000u);
    std::vector<std::string> numbered;
    int reserves = 0;
    for (const std::string& label : draw.labels) {
      ASSERT_EQ(split(label).size(), 1u) << label;
      if (label == "RC")
        ++reserves;
      else
        numbered.push_back(label);
    }
    EXPECT_EQ(reserves, 1);
    EXPECT_THAT(numbered, ElementsAre("1", "2"));
  }
}

TEST(ClusterAssignment, ALargeVillageReceivesSeveralClusters) {
  // 10 units; the first holds more than twice the interval (total 10,000, n = 10, M = 12,
  // SI = 833.3), so it receives at least two draws, numbered or reserve.
  PlanningRandom random(12345);
  const ClusterDraw draw =
      draw_clusters({2500, 1000, 1000, 800, 900, 700, 800, 900, 700, 700}, 10, random);
  EXPECT_GE(split(draw.labels[0]).size(), 3u);
  EXPECT_THAT(draw.labels[0], ::testing::MatchesRegex("([0-9]+|RC)(,([0-9]+|RC))+"));
}

// Probability proportional to size, over many seeds: each unit receives within one of
// population x M / T draws (reserves included), n draws are numbered 1 to n in table order and
// M - n are reserves.
TEST(ClusterAssignment, DrawsAreProportionalToSizeForEverySeed) {
  const std::vector<long long> populations = {5400, 120,  0,   3300, 870, 12000, 45,   2600,
                                              990,  7100, 310, 1500, 60,  4400,  2200, 800};
  long long total = 0;
  for (const long long p : populations) total += p;
  for (const int n : {30, 25, 10, 1, 60}) {
    const int m = draws_for(n);
    for (std::uint32_t seed = 0; seed < 3000; seed += 7) {
      SCOPED_TRACE(::testing::Message() << "n " << n << ", seed " << seed);
      PlanningRandom random(seed * 2654435761u);
      const ClusterDraw draw = draw_clusters(populations, n, random);
      int numbered = 0, reserves = 0, all = 0;
      for (std::size_t unit = 0; unit < populations.size(); ++unit) {
        const std::vector<std::string> labels =
            draw.labels[unit].empty() ? std::vector<std::string>{} : split(draw.labels[unit]);
        const double expected = static_cast<double>(populations[unit]) * m / total;
        ASSERT_LE(std::fabs(static_cast<double>(labels.size()) - expected), 1.0)
            << "unit " << unit << ": " << draw.labels[unit];
        for (const std::string& label : labels) {
          ++all;
          if (label == "RC") {
            ++reserves;
          } else {
            ASSERT_EQ(label, std::to_string(++numbered));  // 1, 2, ... in table order
          }
        }
      }
      ASSERT_EQ(all, m);
      ASSERT_EQ(numbered, n);
      ASSERT_EQ(reserves, m - n);
    }
  }
}

// A target that falls exactly on the end of a unit's stretch belongs to the next unit, even when
// the interval has no exact binary form. Populations 51 and 17, n = 25: T = 68, M = 28,
// SI = 68/28 = 2.4286 (rounded 2); seed 0 makes the generator's state 1, so RS = (2 x 1) >> 32 = 0.
// Draw k has the target (k - 1) x 68/28; draw 22 has 21 x 68/28 = 51, not below the first unit's
// cumulative population 51, so the first unit receives draws 1 to 21 (51/68 x 28 = 21, its exact
// share) and the second draws 22 to 28. Computed as 21 x 2.4285714... in binary the target
// comes out a hair below 51 and used to give the first unit a 22nd draw.
TEST(ClusterAssignment, ATargetOnAUnitBoundaryFallsIntoTheNextUnit) {
  PlanningRandom random(0);
  const ClusterDraw draw = draw_clusters({51, 17}, 25, random);
  ASSERT_EQ(draw.random_start, 0u);
  EXPECT_EQ(split(draw.labels[0]).size(), 21u) << draw.labels[0];
  EXPECT_EQ(split(draw.labels[1]).size(), 7u) << draw.labels[1];
}

TEST(ClusterAssignment, PopulationsTooLargeToAddUpAreRefused) {
  // Eleven units of 999,999,999,999,999,999 add up beyond the largest whole number: the draw
  // is refused as too large instead of wrapping round to a negative total.
  const std::vector<long long> populations(11, 999999999999999999LL);
  const std::optional<std::string> problem = check_draw(populations, 30);
  ASSERT_TRUE(problem.has_value());
  EXPECT_THAT(*problem, HasSubstr("too large"));
  std::vector<std::pair<std::string, std::string>> units(11, {"A", "999999999999999999"});
  EXPECT_GT(population_size(table_of(units)), 0);
}

TEST(ClusterAssignment, PopulationSizeCountsRoundedPositiveValues) {
  const core::TextGrid table =
      table_of({{"A", "2000"}, {"B", "1500.5"}, {"C", "-30"}, {"D", "x"}, {"E", ""}, {"F", "2,5"}});
  // 2000 + 1500 (1500.5 halves to even) + 2 (2,5 halves to even); -30 and x count nothing.
  EXPECT_EQ(population_size(table), 3502);
}

TEST(ClusterAssignment, FillsTheTableAndAsksBeforeDrawingAgain) {
  core::TextGrid table = table_of({{"A", "2000"}, {"B", ""}, {"C", "2000"}, {"D", "2000"}});
  const core::LanguageTable text = language();
  test::ScriptedPrompter prompter;
  const AssignResult first = assign_clusters(table, "2", 99, text, prompter);
  ASSERT_EQ(first.outcome, AssignOutcome::assigned) << first.message;
  EXPECT_EQ(first.seed, 99u);
  EXPECT_EQ(table.cell(2, 2), "");  // no population, no draw
  EXPECT_THAT(
      (std::vector<std::string>{std::string(table.cell(2, 1)), std::string(table.cell(2, 3)),
                                std::string(table.cell(2, 4))}),
      UnorderedElementsAre("1", "2", "RC"));
  const core::TextGrid before = table;

  prompter.yes_no_answers = {false};
  EXPECT_EQ(assign_clusters(table, "2", 5, text, prompter).outcome, AssignOutcome::cancelled);
  EXPECT_THAT(prompter.questions, ElementsAre("Assign again?"));
  EXPECT_EQ(table, before);

  // The same seed gives the same draw.
  prompter.yes_no_answers = {true};
  EXPECT_EQ(assign_clusters(table, "2", 99, text, prompter).outcome, AssignOutcome::assigned);
  EXPECT_EQ(table, before);
}

TEST(ClusterAssignment, UnfitInputIsRefusedWithTheTableUnchanged) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> units;
    const char* clusters;
    const char* message;
  };
  const Case cases[] = {
      {"clusters not a number", {{"A", "100"}}, "thirty", "\"thirty\" is not a whole number"},
      {"no clusters", {{"A", "100"}}, "0", "from 1 to 908"},
      {"too many for three-digit draw numbers", {{"A", "100"}}, "909", "from 1 to 908"},
      {"a decimal population", {{"A", "100"}, {"B", "12.5"}}, "2", "Row 2"},
      {"a negative population", {{"A", "-100"}}, "2", "Row 1"},
      {"no population at all", {{"A", "0"}, {"B", ""}}, "2", "no population"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    core::TextGrid table = table_of(c.units);
    table.set_cell(2, 1, "7");  // an earlier assignment that must survive
    const core::TextGrid before = table;
    test::ScriptedPrompter prompter;
    const AssignResult result = assign_clusters(table, c.clusters, 1, language(), prompter);
    EXPECT_EQ(result.outcome, AssignOutcome::refused);
    EXPECT_THAT(result.message, HasSubstr(c.message));
    EXPECT_EQ(table, before);
    EXPECT_TRUE(prompter.questions.empty());
  }
}

}  // namespace
}  // namespace olvar::planning

namespace olvar::planning {
namespace {

TEST(ClusterTablePaste, WritesTabSeparatedLinesFromTheCurrentCell) {
  core::TextGrid table(3, 4);
  EXPECT_EQ(paste_into_table(table, 0, 1, "Abu\t2000\r\nBora\t150\textra\r\nCala\t90\nDali\t5\n"),
            3);
  EXPECT_EQ(table.cell(0, 1), "Abu");
  EXPECT_EQ(table.cell(1, 2), "150");
  EXPECT_EQ(table.cell(2, 2), "extra");
  EXPECT_EQ(table.cell(0, 3), "Cala");  // Dali falls below the last row
  EXPECT_EQ(paste_into_table(table, 1, 2, "777"), 2);
  EXPECT_EQ(table.cell(1, 2), "777");
  EXPECT_EQ(table.cell(2, 2), "extra");
  EXPECT_EQ(paste_into_table(table, 0, 1, "\r\n"), 0);
  EXPECT_EQ(table.cell(0, 1), "Abu");
}

}  // namespace
}  // namespace olvar::planning
