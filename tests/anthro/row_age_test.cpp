#include "anthro/row_age.h"

#include <gtest/gtest.h>

#include "anthro/month_length.h"
#include "core/date_conventions.h"

namespace olvar::anthro {
namespace {

using core::DateConventions;
using core::DateOrder;
using core::StdVar;

constexpr DateConventions kDmyPoint{DateOrder::dmy, '.', '.'};
constexpr DateConventions kDmyComma{DateOrder::dmy, '.', ','};
constexpr DateConventions kMdySlash{DateOrder::mdy, '/', '.'};
constexpr int kThisYear = 2026;

struct Case {
  const char* what;
  DateConventions conventions;
  const char* survdate;
  const char* birthdat;
  const char* months;
  double age_days;             // expected; kMissingAge for none
  const char* months_after;    // MONTHS after the evaluation
  const char* survdate_after;  // SURVDATE after the evaluation
};

// 15.06.2004 to 15.06.2006 is 730 days (2005 and 2006 have no 29 February after the start):
// 730 / 30.4375 = 23.983..., written " 23.98"; the age then is 23.98 * 30.4375 = 729.89125.
// 1.1.1997 to 1.1.1999 is also 730 days. 12 months are 12 * 30.4375 = 365.25 days.
// 1.1.2006 back to 1.1.2004 is -731 days (2004 is a leap year): -731 / 30.4375 = -24.016...,
// written "-24.02", giving -24.02 * 30.4375 = -731.10875.
const Case kCases[] = {
    {"both dates: the age passes through the two-decimal MONTHS", kDmyPoint, "15.06.2006",
     "15.06.2004", "", 729.89125, " 23.98", "15.06.2006"},
    {"both dates overwrite a typed MONTHS", kDmyPoint, "15.06.2006", "15.06.2004", "7", 729.89125,
     " 23.98", "15.06.2006"},
    {"month-first system", kMdySlash, "06/15/2006", "06/15/2004", "", 729.89125, " 23.98",
     "06/15/2006"},
    {"decimal comma in MONTHS", kDmyComma, "15.06.2006", "15.06.2004", "", 729.89125, " 23,98",
     "15.06.2006"},
    {"typed 10199 is completed to 1 January 1999", kDmyPoint, "10199", "1.1.1997", "", 729.89125,
     " 23.98", "01.01.99"},
    {"MONTHS with BIRTHDAT empty", kDmyPoint, "15.06.2006", "", "12", 365.25, "12", "15.06.2006"},
    {"MONTHS with both dates empty", kDmyPoint, "", "", "12", 365.25, "12", ""},
    {"MONTHS serves when only the survey date is unreadable", kDmyPoint, "15.6", "", "12", 365.25,
     "12", "15.6"},
    {"an invalid BIRTHDAT leaves the typed MONTHS in force", kDmyPoint, "15.06.2006",
     "31.02.2004", "12", 365.25, "12", "15.06.2006"},
    {"an invalid SURVDATE with a BIRTHDAT leaves the typed MONTHS in force", kDmyPoint,
     "15/06/2006", "15.06.2004", "12", 365.25, "12", "15/06/2006"},
    {"a short BIRTHDAT that is no date leaves the typed MONTHS in force", kDmyPoint, "15.06.2006",
     "2004", "12", 365.25, "12", "15.06.2006"},
    {"an invalid BIRTHDAT without MONTHS gives no age", kDmyPoint, "15.06.2006", "31.02.2004", "",
     kMissingAge, "", "15.06.2006"},
    {"nothing given", kDmyPoint, "", "", "", kMissingAge, "", ""},
    {"only a survey date", kDmyPoint, "15.06.2006", "", "", kMissingAge, "", "15.06.2006"},
    {"an unreadable MONTHS gives no age", kDmyPoint, "", "", "abc", kMissingAge, "abc", ""},
    {"birth after the survey stays negative", kDmyPoint, "1.1.2004", "1.1.2006", "", -731.10875,
     "-24.02", "1.1.2004"},
};

TEST(AgeOfRow, FollowsTheOrderOfTheRules) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    core::SurveyTable table;
    table.set_cell(StdVar::survdate, 1, c.survdate);
    table.set_cell(StdVar::birthdat, 1, c.birthdat);
    table.set_cell(StdVar::months, 1, c.months);
    const double age = age_of_row(table, 1, c.conventions, kThisYear);
    // MONTHS is read as a single-precision number: 23.98f differs from 23.98 by 5e-7.
    EXPECT_NEAR(age, c.age_days, 1e-4);
    EXPECT_EQ(table.cell(StdVar::months, 1), c.months_after);
    EXPECT_EQ(table.cell(StdVar::survdate, 1), c.survdate_after);
  }
}

TEST(AgeOfRow, CompletesATypedBirthDateAndWritesItBack) {
  core::SurveyTable table;
  table.set_cell(StdVar::survdate, 1, "150606");
  table.set_cell(StdVar::birthdat, 1, "150604");
  EXPECT_NEAR(age_of_row(table, 1, kDmyPoint, kThisYear), 729.89125, 1e-4);
  EXPECT_EQ(table.cell(StdVar::survdate, 1), "15.06.06");
  EXPECT_EQ(table.cell(StdVar::birthdat, 1), "15.06.04");
}

TEST(AgeOfRow, ASeparatorOnlyDateFromAFileCountsAsEmpty) {
  // The file reader turns "//" into an empty text, so MONTHS gives the age.
  core::SurveyTable table;
  table.set_cell(StdVar::survdate, 1, "15.06.2006");
  table.set_cell(StdVar::birthdat, 1,
                 core::convert_date_from_file_order("//", DateOrder::mdy, kDmyPoint));
  table.set_cell(StdVar::months, 1, "12");
  EXPECT_NEAR(age_of_row(table, 1, kDmyPoint, kThisYear), 365.25, 1e-4);
}

TEST(FillMonthsFromAge, FillsOnlyAnEmptyMonthsFromAPositiveAge) {
  struct PanelCase {
    const char* what;
    double age_days;
    const char* months;
    bool written;
    const char* months_after;
  };
  const PanelCase cases[] = {
      {"positive age, empty MONTHS", 730.0, "", true, " 23.98"},
      {"MONTHS already filled", 730.0, "5", false, "5"},
      {"missing age", kMissingAge, "", false, ""},
      {"age zero", 0.0, "", false, ""},
  };
  for (const PanelCase& c : cases) {
    SCOPED_TRACE(c.what);
    core::SurveyTable table;
    table.set_cell(StdVar::months, 1, c.months);
    EXPECT_EQ(fill_months_from_age(table, 1, c.age_days, kDmyPoint), c.written);
    EXPECT_EQ(table.cell(StdVar::months, 1), c.months_after);
  }
}

}  // namespace
}  // namespace olvar::anthro
