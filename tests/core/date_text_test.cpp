#include "core/date_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace olvar::core {
namespace {

constexpr DateConventions kDmyPoint{DateOrder::dmy, '.', '.'};
constexpr DateConventions kMdySlash{DateOrder::mdy, '/', '.'};
constexpr DateConventions kYmdDash{DateOrder::ymd, '-', '.'};
constexpr int kThisYear = 2026;

TEST(DayNumberOf, CountsDaysFromThe1970Epoch) {
  struct Case {
    const char* what;
    CivilDate date;
    int expected;
  };
  // 1994-08-03: 24 years of 365 days plus 6 leap days (1972 ... 1992) = 8766, plus 214 days
  // into 1994 (31+28+31+30+31+30+31 + 2) = 8980.
  const Case cases[] = {
      {"epoch", {1970, 1, 1}, 0},
      {"day before the epoch", {1969, 12, 31}, -1},
      {"3 August 1994", {1994, 8, 3}, 8980},
      {"29 February of a leap year", {2004, 2, 29}, 12477},  // 34 years, 8 leap days, +59
      {"2000 is a leap year", {2000, 2, 29}, 11016},         // 30 years, 7 leap days, +59
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(day_number_of(c.date).has_value());
    EXPECT_EQ(*day_number_of(c.date), c.expected);
    const CivilDate back = civil_date_of(c.expected);
    EXPECT_EQ(back.year, c.date.year);
    EXPECT_EQ(back.month, c.date.month);
    EXPECT_EQ(back.day, c.date.day);
  }
}

TEST(DayNumberOf, RejectsDaysThatDoNotExist) {
  const CivilDate cases[] = {{2005, 2, 29}, {1900, 2, 29}, {2006, 4, 31},
                             {2006, 13, 1}, {2006, 0, 10}, {2006, 1, 0},
                             {2006, 1, 32}, {0, 1, 1},     {10000, 1, 1}};
  for (const CivilDate& c : cases) {
    SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" +
                 std::to_string(c.day));
    EXPECT_FALSE(day_number_of(c).has_value());
  }
}

TEST(FullYear, TwoDigitYearsLieInTheHundredYearsEndingTenYearsAhead) {
  struct Case {
    int two_digits;
    int current_year;
    int expected;
  };
  const Case cases[] = {
      {99, 2026, 1999}, {0, 2026, 2000}, {26, 2026, 2026}, {36, 2026, 2036},
      {37, 2026, 1937}, {5, 1998, 2005}, {9, 1998, 1909},  {8, 1998, 2008},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.two_digits);
    EXPECT_EQ(full_year(c.two_digits, c.current_year), c.expected);
  }
}

TEST(DayNumber, ReadsTheThreeOrders) {
  struct Case {
    const char* what;
    const char* text;
    DateConventions conventions;
    CivilDate expected;
  };
  const Case cases[] = {
      {"day first", "15.06.2006", kDmyPoint, {2006, 6, 15}},
      {"without leading zeros", "3.8.1994", kDmyPoint, {1994, 8, 3}},
      {"two-digit year", "01.01.99", kDmyPoint, {1999, 1, 1}},
      {"two-digit year of this century", "01.01.05", kDmyPoint, {2005, 1, 1}},
      {"month first", "12/31/2005", kMdySlash, {2005, 12, 31}},
      {"year first", "1994-08-03", kYmdDash, {1994, 8, 3}},
      {"year first, short year", "94-8-3", kYmdDash, {1994, 8, 3}},
      {"spaces around the text and the parts", " 3. 8. 1994 ", kDmyPoint, {1994, 8, 3}},
      {"leap day", "29.02.2004", kDmyPoint, {2004, 2, 29}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto found = day_number(c.text, c.conventions, kThisYear);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found, day_number_of(c.expected));
  }
}

TEST(DayNumber, RejectsTextsThatAreNoDate) {
  struct Case {
    const char* what;
    const char* text;
    DateConventions conventions;
  };
  const Case cases[] = {
      {"empty", "", kDmyPoint},
      {"separators only", "..", kDmyPoint},
      {"separators only, slashes", "//", kMdySlash},
      {"another separator than the system's", "15/06/2006", kDmyPoint},
      {"two parts", "15.06", kDmyPoint},
      {"four parts", "15.06.2006.1", kDmyPoint},
      {"no leap day in 2005", "29.02.2005", kDmyPoint},
      {"31 April", "31.04.2006", kDmyPoint},
      {"month 13", "01.13.2006", kDmyPoint},
      {"day first read in a month-first system", "31/12/2005", kMdySlash},
      {"three-digit year", "01.01.199", kDmyPoint},
      {"five-digit year", "01.01.19999", kDmyPoint},
      {"letters", "1a.01.2006", kDmyPoint},
      {"sign", "+1.01.2006", kDmyPoint},
      {"day of three digits", "001.01.2006", kDmyPoint},
      {"year zero", "01.01.0000", kDmyPoint},
      {"digits only", "010199", kDmyPoint},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(day_number(c.text, c.conventions, kThisYear).has_value());
  }
}

TEST(DayNumber, SurvivesGarbageOfAnyLength) {
  std::mt19937 random(20061506);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 64);
  const std::string alphabet = "0123456789./- ";
  for (int i = 0; i < 20000; ++i) {
    std::string text(static_cast<std::size_t>(length(random)), ' ');
    for (char& c : text) {
      // Half of the texts use date characters only, so that many come close to a date.
      c = i % 2 == 0 ? static_cast<char>(byte(random))
                     : alphabet[static_cast<std::size_t>(byte(random)) % alphabet.size()];
    }
    for (const DateConventions& conventions : {kDmyPoint, kMdySlash, kYmdDash}) {
      const auto found = day_number(text, conventions, kThisYear);
      if (found) {
        const std::string written = date_text(*found, conventions);
        EXPECT_EQ(day_number(written, conventions, kThisYear), found) << text;
      }
      complete_typed_date(text, conventions);
    }
  }
  EXPECT_FALSE(day_number(std::string(1'000'000, '9'), kDmyPoint, kThisYear).has_value());
}

TEST(DateText, WritesTheSystemOrderWithFullYears) {
  const int day = *day_number_of({1994, 8, 3});
  EXPECT_EQ(date_text(day, kDmyPoint), "03.08.1994");
  EXPECT_EQ(date_text(day, kMdySlash), "08/03/1994");
  EXPECT_EQ(date_text(day, kYmdDash), "1994-08-03");
  EXPECT_EQ(date_text(day, DateConventions{DateOrder::unknown, '.', '.'}), "03.08.1994");
  EXPECT_EQ(day_number(date_text(day, kMdySlash), kMdySlash, kThisYear), day);
}

TEST(CompleteTypedDate, InsertsSeparatorsIntoDigitShorthand) {
  struct Case {
    const char* what;
    const char* typed;
    DateConventions conventions;
    const char* expected;
  };
  const Case cases[] = {
      {"five digits get a leading zero", "10199", kDmyPoint, "01.01.99"},
      {"six digits", "150606", kDmyPoint, "15.06.06"},
      {"six digits, month first", "123105", kMdySlash, "12/31/05"},
      {"six digits, year first", "990101", kYmdDash, "99-01-01"},
      {"eight digits", "15062006", kDmyPoint, "15.06.2006"},
      {"eight digits, year first", "20060615", kYmdDash, "2006-06-15"},
      {"a text with the separator stays", "1.1.99", kDmyPoint, "1.1.99"},
      {"a text with another separator stays", "01/01/99", kDmyPoint, "01/01/99"},
      {"letters stay", "abcde", kDmyPoint, "abcde"},
      {"four digits stay", "1999", kDmyPoint, "1999"},
      {"seven digits stay", "1011999", kDmyPoint, "1011999"},
      {"empty stays", "", kDmyPoint, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(complete_typed_date(c.typed, c.conventions), c.expected);
  }
}

TEST(CompleteTypedDate, TypedShorthandReadsAsTheDateMeant) {
  // 10199 typed on a day-first system is 1 January 1999.
  const std::string completed = complete_typed_date("10199", kDmyPoint);
  EXPECT_EQ(day_number(completed, kDmyPoint, kThisYear), day_number_of({1999, 1, 1}));
}

}  // namespace
}  // namespace olvar::core
