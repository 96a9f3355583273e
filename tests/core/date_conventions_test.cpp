#include "core/date_conventions.h"

#include <gtest/gtest.h>

namespace olvar::core {
namespace {

struct Case {
  const char* what;
  const char* text;
  DateOrder file_order;
  DateConventions system;
  const char* expected;
};

constexpr DateConventions kDmyPoint{DateOrder::dmy, '.', '.'};
constexpr DateConventions kMdySlash{DateOrder::mdy, '/', '.'};
constexpr DateConventions kYmdDash{DateOrder::ymd, '-', '.'};

TEST(ConvertDateFromFileOrder, ReordersAndUnifiesSeparators) {
  const Case cases[] = {
      {"mdy file on a dmy system", "12/31/2005", DateOrder::mdy, kDmyPoint, "31.12.2005"},
      {"same order keeps leading zeros", "03.08.1994", DateOrder::dmy, kDmyPoint, "03.08.1994"},
      {"same order, other separator", "03/08/1994", DateOrder::dmy, kDmyPoint, "03.08.1994"},
      {"dmy to mdy drops zeros of day and month", "03.08.1994", DateOrder::dmy, kMdySlash,
       "8/3/1994"},
      {"dmy to ymd", "03.08.1994", DateOrder::dmy, kYmdDash, "1994-8-3"},
      {"mdy to ymd", "08/03/1994", DateOrder::mdy, kYmdDash, "1994-8-3"},
      {"ymd to dmy keeps the year's zero", "1994-08-03", DateOrder::ymd, kDmyPoint, "3.8.1994"},
      {"ymd to mdy", "1994-08-03", DateOrder::ymd, kMdySlash, "8/3/1994"},
      {"two-digit year of a ymd file", "05-01-02", DateOrder::ymd, kDmyPoint, "2.1.05"},
      {"commas count as separators", "3,8,1994", DateOrder::dmy, kDmyPoint, "3.8.1994"},
      {"only separators read as empty", "//", DateOrder::dmy, kDmyPoint, ""},
      {"only separators after reordering", "//", DateOrder::mdy, kDmyPoint, ""},
      {"empty stays empty", "", DateOrder::dmy, kDmyPoint, ""},
      {"unknown system order keeps the text", "12/31/2005", DateOrder::mdy,
       DateConventions{DateOrder::unknown, '/', '.'}, "12/31/2005"},
      {"a year alone stays as read", "1994", DateOrder::mdy, kDmyPoint, "1994"},
      {"a word stays as read", "unknown", DateOrder::dmy, kMdySlash, "unknown"},
      {"a year-first date in a day-first file stays as read", "2020-03-02", DateOrder::dmy,
       kMdySlash, "2020-03-02"},
      {"a thirteenth month stays as read", "3/13/2020", DateOrder::dmy, kMdySlash, "3/13/2020"},
      {"two parts stay as read", "3/2020", DateOrder::mdy, kDmyPoint, "3/2020"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(convert_date_from_file_order(c.text, c.file_order, c.system), c.expected);
  }
}

struct DetectCase {
  const char* what;
  const char* text;
  DateOrder order;
  char separator;
};

TEST(DetectDateConventions, KnownFormsDecideTheOrder) {
  // Texts of 3 August 1994 as the short date formats of common locales write it.
  const DetectCase cases[] = {
      {"German d.m.yyyy", "3.8.1994", DateOrder::dmy, '.'},
      {"German dd.mm.yyyy", "03.08.1994", DateOrder::dmy, '.'},
      {"two-digit year with points", "03.08.94", DateOrder::dmy, '.'},
      {"French dd/mm/yyyy", "03/08/1994", DateOrder::dmy, '/'},
      {"British dd/mm/yy counts as day first", "03/08/94", DateOrder::dmy, '/'},
      {"Dutch d-m-yyyy", "3-8-1994", DateOrder::dmy, '-'},
      {"US m/d/yyyy", "8/3/1994", DateOrder::mdy, '/'},
      {"US mm/dd/yyyy", "08/03/1994", DateOrder::mdy, '/'},
      {"Swedish ISO", "1994-08-03", DateOrder::ymd, '-'},
      {"year first with points", "1994.08.03", DateOrder::ymd, '.'},
      {"year first with slashes", "1994/08/03", DateOrder::ymd, '/'},
      {"short year first", "94.08.03", DateOrder::ymd, '.'},
  };
  for (const DetectCase& c : cases) {
    SCOPED_TRACE(c.what);
    const DateConventions found = detect_date_conventions(c.text);
    EXPECT_EQ(found.order, c.order);
    EXPECT_EQ(found.separator, c.separator);
  }
}

TEST(DetectDateConventions, OtherFormsTakeTheOrderOfTheirNumbers) {
  const DetectCase cases[] = {
      {"C locale mm/dd/yy", "08/03/94", DateOrder::mdy, '/'},
      {"US with dashes", "08-03-1994", DateOrder::mdy, '-'},
      {"year first with blanks and a final point", "1994. 08. 03.", DateOrder::ymd, '.'},
      {"Japanese: characters between the numbers, no separator", "1994\xe5\xb9\xb4" "08\xe6\x9c\x88" "03\xe6\x97\xa5",
       DateOrder::ymd, '.'},
      {"point then dash: the dash wins", "03.08-1994", DateOrder::dmy, '-'},
      {"dash then slash: the slash wins", "1994-08/03", DateOrder::ymd, '/'},
  };
  for (const DetectCase& c : cases) {
    SCOPED_TRACE(c.what);
    const DateConventions found = detect_date_conventions(c.text);
    EXPECT_EQ(found.order, c.order);
    EXPECT_EQ(found.separator, c.separator);
  }
}

TEST(DetectDateConventions, UnusableTextsFallBackToDayFirst) {
  const DetectCase cases[] = {
      {"empty", "", DateOrder::dmy, '.'},
      {"month name keeps its separator", "03-Aug-94", DateOrder::dmy, '-'},
      {"other numbers", "04/09/1995", DateOrder::dmy, '/'},
      {"a number too long", "0000000000000000000003/8/1994", DateOrder::dmy, '/'},
      {"day twice", "3/3/1994", DateOrder::dmy, '/'},
      {"garbage", "\xff\x01%%%", DateOrder::dmy, '.'},
  };
  for (const DetectCase& c : cases) {
    SCOPED_TRACE(c.what);
    const DateConventions found = detect_date_conventions(c.text);
    EXPECT_EQ(found.order, c.order);
    EXPECT_EQ(found.separator, c.separator);
  }
}

TEST(DecimalSeparatorFromLocale, OnlyACommaGivesAComma) {
  EXPECT_EQ(decimal_separator_from_locale(","), ',');
  EXPECT_EQ(decimal_separator_from_locale("."), '.');
  EXPECT_EQ(decimal_separator_from_locale(""), '.');
  EXPECT_EQ(decimal_separator_from_locale("\xd9\xab"), '.');  // Arabic decimal separator
}

TEST(ConventionsFromLocale, CombinesDateAndDecimal) {
  const DateConventions german = conventions_from_locale({"03.08.1994", ","});
  EXPECT_EQ(german.order, DateOrder::dmy);
  EXPECT_EQ(german.separator, '.');
  EXPECT_EQ(german.decimal_separator, ',');
  // Whatever locale the machine has, start-up gets a usable order.
  const DateConventions here = conventions_from_locale(platform::system_locale_formats());
  EXPECT_NE(here.order, DateOrder::unknown);
}

TEST(DateOrderCode, RoundTrips) {
  for (DateOrder order : {DateOrder::dmy, DateOrder::mdy, DateOrder::ymd}) {
    EXPECT_EQ(order_from_code(order_code(order)), order);
  }
  EXPECT_EQ(order_from_code("xyz"), DateOrder::unknown);
  EXPECT_EQ(order_code(DateOrder::unknown), "");
}

}  // namespace
}  // namespace olvar::core
