#include "core/foreign_date.h"

#include <gtest/gtest.h>

#include <string>

namespace olvar::core {
namespace {

constexpr int kYear = 2026;

struct DateCase {
  const char* text;
  DateOrder order;
  int year, month, day;  // 0 0 0: no date
};

TEST(ReadForeignDate, ReadsTheFormsFilesWriteAndRefusesWhatIsNoDate) {
  const DateCase cases[] = {
      // The three orders with every separator, two- and four-digit years.
      {"07/08/2019", DateOrder::dmy, 2019, 8, 7},
      {"07.08.2019", DateOrder::dmy, 2019, 8, 7},
      {"7-8-19", DateOrder::dmy, 2019, 8, 7},
      {"07 08 2019", DateOrder::dmy, 2019, 8, 7},
      {"08/07/2019", DateOrder::mdy, 2019, 8, 7},
      {"8.7.19", DateOrder::mdy, 2019, 8, 7},
      {"19-08-07", DateOrder::ymd, 2019, 8, 7},
      {"2019/8/7", DateOrder::ymd, 2019, 8, 7},
      // A four-digit year in front is year, month, day whatever the order.
      {"2019-08-07", DateOrder::dmy, 2019, 8, 7},
      {"2019-08-07", DateOrder::mdy, 2019, 8, 7},
      // A four-digit year at the end is no year-first date.
      {"07/08/2019", DateOrder::ymd, 0, 0, 0},
      {"07-Aug-19", DateOrder::ymd, 2019, 8, 7},
      // Month names and abbreviations, English and French, any case, with or without accents
      // (Windows-1252 and UTF-8).
      {"07-Aug-19", DateOrder::dmy, 2019, 8, 7},
      {"07-Aug-19", DateOrder::mdy, 2019, 8, 7},
      {"15-May-15", DateOrder::dmy, 2015, 5, 15},
      {"7 August 2019", DateOrder::dmy, 2019, 8, 7},
      {"Aug 7, 2019", DateOrder::dmy, 2019, 8, 7},
      {"7 ao\xFBt 2019", DateOrder::dmy, 2019, 8, 7},
      {"7 ao\xC3\xBBt 2019", DateOrder::dmy, 2019, 8, 7},
      {"7 aout 2019", DateOrder::dmy, 2019, 8, 7},
      {"1er", DateOrder::dmy, 0, 0, 0},
      {"3 f\xE9vr. 2020", DateOrder::dmy, 2020, 2, 3},
      {"3 FEVRIER 2020", DateOrder::dmy, 2020, 2, 3},
      {"12 d\xE9" "c 2018", DateOrder::dmy, 2018, 12, 12},
      {"14 juil. 2019", DateOrder::dmy, 2019, 7, 14},
      {"1 mai 2019", DateOrder::dmy, 2019, 5, 1},
      {"2 Sept 2019", DateOrder::dmy, 2019, 9, 2},
      {"2019-Aug-07", DateOrder::dmy, 2019, 8, 7},
      {"1 jui 2019", DateOrder::dmy, 0, 0, 0},  // June or July
      {"1 xyz 2019", DateOrder::dmy, 0, 0, 0},
      // Without separators; a time of day after the date.
      {"07082019", DateOrder::dmy, 2019, 8, 7},
      {"20190807", DateOrder::ymd, 2019, 8, 7},
      {"070819", DateOrder::dmy, 2019, 8, 7},
      {"2019-08-07T10:32:00.000+03:00", DateOrder::dmy, 2019, 8, 7},
      {"07/08/2019 10:32", DateOrder::dmy, 2019, 8, 7},
      // Spreadsheet serial days (43684 is 7 August 2019; 59 is 28 February 1900).
      {"43684", DateOrder::dmy, 2019, 8, 7},
      {"43684.4375", DateOrder::mdy, 2019, 8, 7},
      {"43684.", DateOrder::dmy, 0, 0, 0},
      // Impossible dates and no dates.
      {"31/04/2019", DateOrder::dmy, 0, 0, 0},
      {"29.02.2019", DateOrder::dmy, 0, 0, 0},
      {"29.02.2020", DateOrder::dmy, 2020, 2, 29},
      {"13/13/2019", DateOrder::dmy, 0, 0, 0},
      {"08/13/2019", DateOrder::dmy, 0, 0, 0},
      {"2019", DateOrder::dmy, 0, 0, 0},
      {"7/8", DateOrder::dmy, 0, 0, 0},
      {"7/8/219", DateOrder::dmy, 0, 0, 0},
      {"1/2/3/4", DateOrder::dmy, 0, 0, 0},
      {"", DateOrder::dmy, 0, 0, 0},
      {"  ", DateOrder::dmy, 0, 0, 0},
      {"NA", DateOrder::dmy, 0, 0, 0},
  };
  for (const DateCase& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " " + std::string(order_code(c.order)));
    const std::optional<CivilDate> date = read_foreign_date(c.text, c.order, kYear);
    if (c.year == 0) {
      EXPECT_FALSE(date.has_value());
      continue;
    }
    ASSERT_TRUE(date.has_value());
    EXPECT_EQ(date->year, c.year);
    EXPECT_EQ(date->month, c.month);
    EXPECT_EQ(date->day, c.day);
  }
}

TEST(ReadForeignDate, SerialDaysKeepTheSpreadsheetsCount) {
  EXPECT_EQ(day_number_of_serial(25569), 0);   // 1 January 1970
  EXPECT_EQ(day_number_of_serial(61), day_number_of(CivilDate{1900, 3, 1}));
  EXPECT_EQ(day_number_of_serial(59), day_number_of(CivilDate{1900, 2, 28}));
  EXPECT_EQ(day_number_of_serial(1), day_number_of(CivilDate{1900, 1, 1}));
  EXPECT_FALSE(day_number_of_serial(60));  // the 29 February 1900 that never was
  EXPECT_FALSE(day_number_of_serial(0));
  EXPECT_FALSE(day_number_of_serial(-3));
  EXPECT_EQ(day_number_of_serial(2958465), day_number_of(CivilDate{9999, 12, 31}));
  EXPECT_FALSE(day_number_of_serial(2958466));
}

TEST(GuessDateOrder, ADayAbove12DecidesAndAmbiguousDatesKeepTheFallback) {
  struct GuessCase {
    const char* what;
    std::vector<std::string_view> texts;
    DateOrder fallback;
    DateOrder order;
    bool from_data;
  };
  const GuessCase cases[] = {
      {"a day above 12 first", {"01/02/2019", "13/02/2019"}, DateOrder::mdy, DateOrder::dmy, true},
      {"a day above 12 second", {"01/02/2019", "02/13/2019"}, DateOrder::dmy, DateOrder::mdy,
       true},
      {"two-digit year in front", {"98-08-27", "19-02-01"}, DateOrder::dmy, DateOrder::ymd, true},
      {"all ambiguous: the fallback", {"01/02/2019", "03/04/2019"}, DateOrder::mdy,
       DateOrder::mdy, false},
      {"month names read alike", {"07-Aug-19", "24-Jul-19"}, DateOrder::mdy, DateOrder::mdy,
       false},
      {"ISO dates read alike", {"2019-08-07"}, DateOrder::ymd, DateOrder::ymd, false},
      {"a fallback that reads less loses", {"15-08-19"}, DateOrder::mdy, DateOrder::dmy, false},
      {"no dates", {"", " "}, DateOrder::unknown, DateOrder::dmy, false},
      {"one stray text does not decide against the rest",
       {"13/02/2019", "14/02/2019", "02/13/2019"}, DateOrder::mdy, DateOrder::dmy, true},
  };
  for (const GuessCase& c : cases) {
    SCOPED_TRACE(c.what);
    const DateOrderGuess guess = guess_date_order(c.texts, c.fallback, kYear);
    EXPECT_EQ(guess.order, c.order);
    EXPECT_EQ(guess.from_data, c.from_data);
  }
}

}  // namespace
}  // namespace olvar::core
