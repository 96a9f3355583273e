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
      {"a text without separators gets empty parts", "1994", DateOrder::mdy, kDmyPoint, ".1994."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(convert_date_from_file_order(c.text, c.file_order, c.system), c.expected);
  }
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
