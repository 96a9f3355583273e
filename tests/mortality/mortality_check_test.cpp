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

TEST(MortalityPlausibilityReport, ListsMissingContradictoryDuplicateAndUnusualHouseholds) {
  core::TextGrid grid(170, 20);
  put_household(grid, 1, "1", "1", {{"m", "30", "", ""}, {"f", "1", "y", ""}});
  put_household(grid, 2, "1", "1", {{"m", "31", "", ""}});           // same key only
  put_household(grid, 3, "2", "5", {{"m", "", "", ""}, {"f", "", "", ""}});  // two half persons
  put_household(grid, 4, "2", "5", {{"m", "", "", ""}, {"f", "", "", ""}});  // identical to 3
  put_household(grid, 5, "3", "7",
                {{"f", "0", "y", ""}, {"m", "0", "y", ""}, {"m", "40", "", "y"},
                 {"m", "50", "", "y"}, {"f", "60", "", "y"}});
  grid.set_cell(3, 6, "1");  // cluster and household number missing
  const std::string doc = mortality_plausibility_report(grid, marker_texts());

  EXPECT_EQ(list_after(doc, 1183), "6");
  EXPECT_EQ(list_after(doc, 1184), "3, 3, 4, 4");
  EXPECT_EQ(list_after(doc, 1185), "1");  // born with age 1; age 0 in row 5 is fine
  EXPECT_EQ(list_after(doc, 1187), "1 and 2, 3 and 4");
  EXPECT_EQ(list_after(doc, 1188), "3 and 4");
  EXPECT_EQ(list_after(doc, 1189), "3 and 4");
  EXPECT_EQ(list_after(doc, 1191), "5");
  EXPECT_EQ(list_after(doc, 1192), "5");
  EXPECT_THAT(doc, Not(HasSubstr(", \\")));
}

TEST(MortalityPlausibilityReport, EmptyTableNamesRowOneAndLeavesTheTestsOut) {
  const std::string doc = mortality_plausibility_report(core::TextGrid(170, 10), marker_texts());
  EXPECT_EQ(list_after(doc, 1183), "1");
  EXPECT_EQ(list_after(doc, 1184), "");
  EXPECT_THAT(doc, HasSubstr("Age < 70 : \\par "));
  EXPECT_THAT(doc, Not(HasSubstr("[59]")));
  EXPECT_THAT(doc, Not(HasSubstr("[1205]")));
  EXPECT_THAT(doc, Not(HasSubstr("[1208]")));
}

TEST(MortalityPlausibilityReport, SexRatioOfEqualNumbersAndClusterTextsCompareExactly) {
  core::TextGrid grid(170, 10);
  put_household(grid, 1, "1", "1", {{"m", "1", "", ""}, {"m", "1", "", ""}, {"m", "1", "", ""}});
  put_household(grid, 2, "1 ", "2", {{"f", "3", "", "y"}, {"f", "3", "", ""}, {"f", "3", "", ""}});
  const std::string doc = mortality_plausibility_report(grid, marker_texts());
  // Three boys and three girls: ratio 1.00, chi-square 0, p = 1.
  EXPECT_THAT(doc, HasSubstr("[59] 1.00 (U5) \\tab p-value = 1.000 [54]"));
  // "1 " is not cluster number 1 but is a cluster text of its own.
  EXPECT_THAT(doc, HasSubstr("1\t\t1\t\t1\t\t\t\t100.0\\par "));
  EXPECT_THAT(doc, HasSubstr("[1208]"));
}

TEST(MortalityPlausibilityReport, HistogramScalesBarsToAtMost65Characters) {
  core::TextGrid grid(170, 10);
  for (int row = 1; row <= 4; ++row) {
    std::vector<Person> persons(row == 4 ? 6 : 20, Person{"f", "30", "", ""});
    put_household(grid, row, "1", std::to_string(row), persons);
  }
  grid.set_cell(person_column(1, age), 5, "2,5");
  grid.set_cell(person_column(1, sex), 5, "m");
  grid.set_cell(2, 5, "1");
  const std::string doc = mortality_plausibility_report(grid, marker_texts());
  EXPECT_THAT(doc, HasSubstr("Age < 30 : " + std::string(33, '#') + "\\par "));
  // With s = 2 the single person of age 2.5 gives half a character, rounded to none.
  EXPECT_THAT(doc, HasSubstr("Age < 2  : \\par "));
}

TEST(MortalityPlausibilityReport, DecimalCommaAgeCountsInTheHistogramButNotInTheRatios) {
  core::TextGrid grid(170, 10);
  put_household(grid, 1, "1", "1", {{"m", "2,5", "", ""}});
  const std::string doc = mortality_plausibility_report(grid, marker_texts());
  EXPECT_THAT(doc, HasSubstr("Age < 2  : #\\par "));  // 2.5 rounds half to even
  EXPECT_THAT(doc, Not(HasSubstr("[59]")));              // no whole-year age: no child
  EXPECT_THAT(doc, HasSubstr("1\t\t1\t\t1\t\t\t\t100.0\\par "));  // a child in section 5
}

}  // namespace
}  // namespace olvar::mortality
