#include "anthro/ethiopian_calendar.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "anthro/ethiopian_conversion.h"
#include "core/date_text.h"
#include "support/test_paths.h"

namespace olvar::anthro {
namespace {

struct Case {
  const char* what;
  EthiopianDate ethiopian;
  core::CivilDate gregorian;
};

TEST(EthiopianCalendar, MatchesKnownDates) {
  const Case cases[] = {
      {"new year 2016 before the leap year 2024", {2016, 1, 1}, {2023, 9, 12}},
      {"new year 2012 before the leap year 2020", {2012, 1, 1}, {2019, 9, 12}},
      {"new year 2017 after 2024", {2017, 1, 1}, {2024, 9, 11}},
      {"Pagume 6 of the leap year 2015 ends it", {2015, kPagume, 6}, {2023, 9, 11}},
      {"Genna, 29 Tahsas 2017, is 7 January", {2017, 4, 29}, {2025, 1, 7}},
      {"after a Pagume of 6 days Genna is 28 Tahsas", {2016, 4, 28}, {2024, 1, 7}},
      {"battle of Adwa, 23 Yekatit 1888", {1888, 6, 23}, {1896, 3, 1}},
      {"Ginbot 20, 1983", {1983, 9, 20}, {1991, 5, 28}},
      {"first year of the table", {1900, 1, 1}, {1907, 9, 12}},
      {"new year 2092 before the Julian leap year 2100", {2092, 1, 1}, {2099, 9, 12}},
      // From March 2100 the Julian calendar runs 14 days behind, no longer 13: 29 August
      // (Julian) is then 12 September.
      {"new year 2093 after the Gregorian 2100 has no leap day", {2093, 1, 1}, {2100, 9, 12}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(day_number_of_ethiopian(c.ethiopian), core::day_number_of(c.gregorian));
  }
}

bool is_gregorian_leap_year(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

TEST(EthiopianCalendar, NewYearIsElevenOrTwelveSeptemberFrom1900To2098) {
  // Ethiopian year y begins in Gregorian year y + 7, on 12 September when year y + 8 is a
  // Gregorian leap year, else on 11 September. The rule ends with 2098: 2100 is a leap year of
  // the Julian calendar only, so the new year of 2099 falls on 12 September as well.
  for (int year = 1900; year <= 2091; ++year) {
    SCOPED_TRACE(year);
    const int day = is_gregorian_leap_year(year + 8) ? 12 : 11;
    EXPECT_EQ(day_number_of_ethiopian({year, 1, 1}), core::day_number_of({year + 7, 9, day}));
  }
}

TEST(EthiopianCalendar, RejectsDaysThatDoNotExist) {
  const EthiopianDate cases[] = {{2016, kPagume, 6}, {2015, kPagume, 7}, {2016, 1, 31},
                                 {2016, 14, 1},      {2016, 0, 1},       {2016, 1, 0},
                                 {0, 1, 1}};
  for (const EthiopianDate& c : cases) {
    SCOPED_TRACE(std::to_string(c.day) + "/" + std::to_string(c.month) + "/" +
                 std::to_string(c.year));
    EXPECT_FALSE(day_number_of_ethiopian(c).has_value());
  }
}

TEST(EthiopianTableText, WritesEveryDayOnceInOrder) {
  std::ostringstream out;
  const int lines = write_ethiopian_table(out, 2015, 2016);
  // 2015 is a leap year (2015 mod 4 = 3): 366 + 365 days.
  EXPECT_EQ(lines, 731);
  std::istringstream in(out.str());
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "1/1/2015\t11/9/2022");  // 2023 is no leap year
  std::optional<int> previous;
  int count = 0;
  const core::DateConventions day_first_slash{core::DateOrder::dmy, '/', '.'};
  for (in.seekg(0); std::getline(in, line); ++count) {
    const auto tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos);
    const auto day = core::day_number(line.substr(tab + 1), day_first_slash, 2026);
    ASSERT_TRUE(day.has_value()) << line;
    if (previous) {
      EXPECT_EQ(*day, *previous + 1) << line;
    }
    previous = day;
  }
  EXPECT_EQ(count, 731);
}

TEST(EthiopianTableFile, IsBuiltWithTheYears1900To2100) {
  const auto table = EthiopianTable::read(test::build_data_path("ethiopian.dat"));
  ASSERT_TRUE(table.has_value());
  // 201 years of 365 days and 50 leap days (1903, 1907, ..., 2099): below the 100,000 lines
  // the program reads.
  EXPECT_EQ(table->size(), 73'415u);
  ASSERT_NE(table->gregorian("1/1/2016"), nullptr);
  EXPECT_EQ(*table->gregorian("1/1/2016"), "12/9/2023");
  ASSERT_NE(table->gregorian("5/13/2100"), nullptr);
  EXPECT_EQ(*table->gregorian("5/13/2100"), "11/9/2108");
  EXPECT_EQ(table->gregorian("1/1/1899"), nullptr);
}

}  // namespace
}  // namespace olvar::anthro
