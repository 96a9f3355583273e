#include "mortality/mortality_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "mortality/death_rates.h"

namespace olvar::mortality {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// Every cited entry reads "[N]", so a test can find the list that follows it.
core::LanguageTable marker_texts() {
  std::string lines;
  for (int n : {1, 45, 48, 49, 51, 52, 53, 54, 55, 58, 59, 81, 898})
    lines += std::to_string(10000 + n).substr(1) + " [" + std::to_string(n) + "]\n";
  for (int n = 1182; n <= 1212; ++n) lines += std::to_string(n) + " [" + std::to_string(n) + "]\n";
  core::LanguageTable table;
  table.read_english(lines);
  return table;
}

struct Person {
  std::string sex, age, born, died;
};

void put_household(core::TextGrid& grid, int row, const std::string& cluster,
                   const std::string& hh, const std::vector<Person>& persons) {
  grid.set_cell(2, row, cluster);
  grid.set_cell(3, row, "1");
  grid.set_cell(4, row, hh);
  for (int k = 1; k <= static_cast<int>(persons.size()); ++k) {
    const Person& p = persons[static_cast<std::size_t>(k - 1)];
    grid.set_cell(person_column(k, sex), row, p.sex);
    grid.set_cell(person_column(k, age), row, p.age);
    grid.set_cell(person_column(k, born), row, p.born);
    grid.set_cell(person_column(k, died), row, p.died);
  }
}

// The text between the marker of entry `number` and the next "\par".
std::string list_after(const std::string& doc, int number) {
  const std::string marker = "[" + std::to_string(number) + "]";
  const auto at = doc.find(marker);
  if (at == std::string::npos) return "<absent>";
  const auto from = at + marker.size();
  return doc.substr(from, doc.find("\\par", from) - from);
}

using Groups = std::vector<std::vector<int>>;
using ::testing::ElementsAre;
using ::testing::Optional;

TEST(MortalityCheckValues, NamesMissingContradictoryDuplicateAndUnusualHouseholds) {
  core::TextGrid grid(170, 20);
  put_household(grid, 1, "1", "1", {{"m", "30", "", ""}, {"f", "1", "y", ""}});
  put_household(grid, 2, "1", "1", {{"m", "31", "", ""}});           // same key only
  put_household(grid, 3, "2", "5", {{"m", "", "", ""}, {"f", "", "", ""}});  // two half persons
  put_household(grid, 4, "2", "5", {{"m", "", "", ""}, {"f", "", "", ""}});  // identical to 3
  put_household(grid, 5, "3", "7",
                {{"f", "0", "y", ""}, {"m", "0", "y", ""}, {"m", "40", "", "y"},
                 {"m", "50", "", "y"}, {"f", "60", "", "y"}});
  grid.set_cell(3, 6, "1");  // cluster and household number missing
  const MortalityCheckValues v = mortality_check_values(grid);

  EXPECT_EQ(v.last_row, 6);
  EXPECT_THAT(v.households_with_key_missing, ElementsAre(6));
  EXPECT_THAT(v.persons_with_sex_or_age_missing, ElementsAre(3, 3, 4, 4));
  EXPECT_THAT(v.births_aged_one_or_more, ElementsAre(1));  // age 0 in row 5 is fine
  EXPECT_EQ(v.same_key, (Groups{{1, 2}, {3, 4}}));
  EXPECT_EQ(v.same_members, (Groups{{3, 4}}));
  EXPECT_EQ(v.same_key_and_members, (Groups{{3, 4}}));
  EXPECT_THAT(v.two_or_more_births, ElementsAre(5));
  EXPECT_THAT(v.three_or_more_deaths, ElementsAre(5));

  // The lists are laid out after their headings, separated by ", " and with no separator left
  // at the end.
  const std::string doc = mortality_plausibility_report(v, marker_texts());
  EXPECT_EQ(list_after(doc, 1184), "3, 3, 4, 4");
  EXPECT_EQ(list_after(doc, 1187), "1 and 2, 3 and 4");
  EXPECT_THAT(doc, Not(HasSubstr(", \\")));
}

// Copies of one household are a group, not every pair of them: 8,000 copies would otherwise
// make 32 million pairs. Up to four rows are still named as their pairs.
TEST(MortalityCheckValues, ManyCopiesOfAHouseholdAreOneGroup) {
  core::TextGrid grid(170, 40);
  for (int row = 1; row <= 30; ++row) put_household(grid, row, "1", "7", {{"m", "30", "", ""}});
  put_household(grid, 31, "2", "8", {{"f", "20", "", ""}});
  put_household(grid, 32, "2", "8", {{"f", "20", "", ""}});
  put_household(grid, 33, "2", "8", {{"f", "20", "", ""}});
  const MortalityCheckValues v = mortality_check_values(grid);
  ASSERT_EQ(v.same_key_and_members.size(), 2u);
  EXPECT_EQ(v.same_key_and_members[0].size(), 30u);
  EXPECT_EQ(v.same_key_and_members[1], (std::vector<int>{31, 32, 33}));
  const std::string doc = mortality_plausibility_report(v, marker_texts());
  EXPECT_EQ(list_after(doc, 1189),
            "31 and 32, 31 and 33, 32 and 33, (30 households: 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, "
            "12, 13, 14, 15, 16, 17, 18, 19, 20 and 10 more)");
}

TEST(MortalityCheckValues, EmptyTableNamesRowOneAndLeavesTheTestsOut) {
  const MortalityCheckValues v = mortality_check_values(core::TextGrid(170, 10));
  EXPECT_THAT(v.households_with_key_missing, ElementsAre(1));
  EXPECT_TRUE(v.persons_with_sex_or_age_missing.empty());
  EXPECT_FALSE(v.under_five || v.under_ten);
  EXPECT_FALSE(v.household_size || v.deaths_by_cluster);

  const std::string doc = mortality_plausibility_report(v, marker_texts());
  EXPECT_THAT(doc, HasSubstr("Age < 70 : \\par "));
  EXPECT_THAT(doc, Not(HasSubstr("[59]")));
  EXPECT_THAT(doc, Not(HasSubstr("[1205]")));
  EXPECT_THAT(doc, Not(HasSubstr("[1208]")));
}

TEST(MortalityCheckValues, RatioTestsOfTheChildren) {
  // Under five: 3 boys aged 1, 3 girls aged 3. Expected 6 x 0.411765 = 2.47059 younger and
  // 6 x 0.588235 = 3.52941 older:
  //   sex: (3 - 3)^2 / 3 x 2 = 0, p = 1
  //   age: (3 - 2.47059)^2 / 2.47059 + (3 - 3.52941)^2 / 3.52941 = 0.11345 + 0.07941 = 0.19286
  //   age and sex: (3 - 1.23530)^2 / 1.23530 + (0 - 1.23530)^2 / 1.23530
  //              + (0 - 1.76471)^2 / 1.76471 + (3 - 1.76471)^2 / 1.76471
  //              = 2.52100 + 1.23530 + 1.76471 + 0.86471 = 6.38572, p = 0.0115 (1 df)
  core::TextGrid grid(170, 10);
  put_household(grid, 1, "1", "1", {{"m", "1", "", ""}, {"m", "1", "", ""}, {"m", "1", "", ""}});
  put_household(grid, 2, "1", "2", {{"f", "3", "", "y"}, {"f", "3", "", ""}, {"f", "3", "", ""}});
  const MortalityCheckValues v = mortality_check_values(grid);
  ASSERT_TRUE(v.under_five);
  const ChildRatios& u5 = *v.under_five;
  EXPECT_EQ(u5.younger_boys, 3);
  EXPECT_EQ(u5.older_girls, 3);
  EXPECT_THAT(u5.sex_ratio(), Optional(1.0));
  EXPECT_THAT(u5.age_ratio(), Optional(1.0));
  EXPECT_DOUBLE_EQ(u5.sex.statistic, 0.0);
  EXPECT_DOUBLE_EQ(u5.sex.p, 1.0);
  EXPECT_NEAR(u5.age.statistic, 0.19286, 1e-4);
  EXPECT_NEAR(u5.age_sex.statistic, 6.38572, 1e-4);
  EXPECT_NEAR(u5.age_sex.p, 0.0115, 1e-4);
  // Under ten, split at five years: all six children are younger; no older child, no age ratio.
  ASSERT_TRUE(v.under_ten);
  EXPECT_EQ(v.under_ten->younger_boys + v.under_ten->younger_girls, 6);
  EXPECT_EQ(v.under_ten->age_ratio(), std::nullopt);

  const std::string doc = mortality_plausibility_report(v, marker_texts());
  EXPECT_THAT(doc, HasSubstr("[59] 1.00 (U5) \\tab p-value = 1.000 [54]"));
  EXPECT_THAT(doc, HasSubstr("[55] - (U10)"));
}

TEST(MortalityCheckValues, ClusterNumbersAndClusterTextsCompareExactly) {
  core::TextGrid grid(170, 10);
  put_household(grid, 1, "1", "1", {{"m", "1", "", ""}, {"m", "40", "", ""}});
  put_household(grid, 2, "1 ", "2", {{"f", "3", "", "y"}, {"f", "30", "", ""}});
  put_household(grid, 3, "01", "3", {{"f", "30", "", ""}});
  put_household(grid, 4, "1", "4", {{"f", "30", "", "y"}});
  const MortalityCheckValues v = mortality_check_values(grid);
  // Only "1" is cluster number 1: "1 " and "01" are not its digits.
  ASSERT_EQ(v.households_by_cluster.size(), 1u);
  EXPECT_EQ(v.households_by_cluster[0].cluster, 1);
  EXPECT_EQ(v.households_by_cluster[0].households, 2);
  EXPECT_EQ(v.households_by_cluster[0].with_child, 1);
  // Between clusters, each distinct text is a cluster of its own: deaths 1, 1, 0 over "1",
  // "1 ", "01": mean 2/3, variance 1/3, index 0.5, chi-square 1 on 2 degrees of freedom.
  ASSERT_TRUE(v.deaths_by_cluster);
  EXPECT_EQ(v.deaths_by_cluster->clusters, 3);
  EXPECT_DOUBLE_EQ(v.deaths_by_cluster->index, 0.5);
  EXPECT_FALSE(v.births_by_cluster);  // no births: nothing to judge

  const std::string doc = mortality_plausibility_report(v, marker_texts());
  EXPECT_THAT(doc, HasSubstr("1\t\t2\t\t1\t\t\t\t50.0\\par "));
  EXPECT_THAT(doc, HasSubstr("[1208]0.50 (p="));
  EXPECT_THAT(doc, Not(HasSubstr("[1211]")));
}

TEST(MortalityCheckValues, HistogramScalesBarsToAtMost65Characters) {
  core::TextGrid grid(170, 10);
  for (int row = 1; row <= 4; ++row) {
    std::vector<Person> persons(row == 4 ? 6 : 20, Person{"f", "30", "", ""});
    put_household(grid, row, "1", std::to_string(row), persons);
  }
  grid.set_cell(person_column(1, age), 5, "2,5");
  grid.set_cell(person_column(1, sex), 5, "m");
  grid.set_cell(2, 5, "1");
  const MortalityCheckValues v = mortality_check_values(grid);
  EXPECT_EQ(v.persons_by_age[30], 66);
  EXPECT_EQ(v.persons_by_age[2], 1);  // 2.5 rounds half to even

  // 66 persons need a scale of 2: 33 characters; the single person of age 2.5 gives half a
  // character, rounded to none.
  const std::string doc = mortality_plausibility_report(v, marker_texts());
  EXPECT_THAT(doc, HasSubstr("Age < 30 : " + std::string(33, '#') + "\\par "));
  EXPECT_THAT(doc, HasSubstr("Age < 2  : \\par "));
}

TEST(MortalityCheckValues, DecimalCommaAgeCountsInTheHistogramButNotInTheRatios) {
  core::TextGrid grid(170, 10);
  // The second person's age is absurd but must not overflow: an adult, in no ratio.
  put_household(grid, 1, "1", "1", {{"m", "2,5", "", ""}, {"f", "9223372036854775807", "", ""}});
  const MortalityCheckValues v = mortality_check_values(grid);
  EXPECT_EQ(v.persons_by_age[2], 1);
  EXPECT_FALSE(v.under_five);  // no whole-year age: no child
  ASSERT_EQ(v.households_by_cluster.size(), 1u);
  EXPECT_EQ(v.households_by_cluster[0].with_child, 1);  // a child among the households
}

}  // namespace
}  // namespace olvar::mortality

namespace olvar::mortality {
namespace {

// Household 1 of cluster 1 has 25 persons: 20 on row 1 and 5 on row 2 with the same key, as the
// roster import writes it. Household 2 of cluster 1 is entered twice (rows 3 and 4). Row 5 has
// household 3 with a full row but a different HH on the next row, and row 6 repeats the key of
// row 5 after a row that is not full.
TEST(MortalityCheckValues, AHouseholdOfMoreThan20PersonsCountsOnce) {
  core::TextGrid grid(170, 20);
  std::vector<Person> twenty(20, Person{"m", "30", "", ""});
  twenty[0] = {"f", "2", "y", ""};
  put_household(grid, 1, "1", "1", twenty);
  put_household(grid, 2, "1", "1",
                {{"f", "3", "y", ""}, {"m", "4", "", "y"}, {"m", "50", "", "y"},
                 {"f", "60", "", "y"}, {"f", "61", "", ""}});
  put_household(grid, 3, "1", "2", {{"m", "30", "", ""}, {"f", "28", "", ""}});
  put_household(grid, 4, "1", "2", {{"m", "30", "", ""}, {"f", "28", "", ""}});
  put_household(grid, 5, "2", "3", std::vector<Person>(20, Person{"m", "30", "", ""}));
  put_household(grid, 6, "2", "4", {{"f", "40", "", ""}});
  put_household(grid, 7, "2", "4", {{"f", "41", "", ""}});
  const MortalityCheckValues v = mortality_check_values(grid);

  EXPECT_EQ(v.same_key, (Groups{{3, 4}, {6, 7}}));
  EXPECT_EQ(v.same_members, (Groups{{3, 4}}));
  ASSERT_EQ(v.households_by_cluster.size(), 2u);
  EXPECT_EQ(v.households_by_cluster[0].households, 3);  // rows 1+2, 3, 4
  EXPECT_EQ(v.households_by_cluster[0].with_child, 1);  // the children of rows 1 and 2: once
  EXPECT_EQ(v.households_by_cluster[1].households, 3);  // rows 5, 6, 7
  // The births and deaths of the two rows are the household's: two births, three deaths.
  EXPECT_THAT(v.two_or_more_births, ElementsAre(1));
  EXPECT_THAT(v.three_or_more_deaths, ElementsAre(1));
  // Sizes 25, 2, 2, 20, 1, 1: the dispersion is that of six households, not seven.
  const std::vector<double> sizes = {25, 2, 2, 20, 1, 1};
  ASSERT_TRUE(v.household_size.has_value());
  EXPECT_DOUBLE_EQ(v.household_size->index, stats::index_of_dispersion(sizes)->index);
}

}  // namespace
}  // namespace olvar::mortality
