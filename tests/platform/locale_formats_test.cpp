#include "platform/locale_formats.h"

#include <gtest/gtest.h>

#include <clocale>

namespace olvar::platform {
namespace {

struct Case {
  const char* locale;
  const char* short_date;  // glibc's short date format (D_FMT) applied to 3 August 1994
  const char* decimal_point;
};

TEST(LocaleFormats, CLocaleWritesMonthFirstWithATwoDigitYear) {
  for (const char* name : {"C", "POSIX", "C.UTF-8"}) {
    SCOPED_TRACE(name);
    const auto formats = locale_formats(name);
    ASSERT_TRUE(formats.has_value());
    EXPECT_EQ(formats->short_date_of_3_august_1994, "08/03/94");  // %m/%d/%y
    EXPECT_EQ(formats->decimal_point, ".");
  }
}

TEST(LocaleFormats, InstalledLocalesGiveTheirOwnForms) {
  // Locales are optional on a build machine; those missing are skipped.
  const Case cases[] = {
      {"en_US.UTF-8", "08/03/1994", "."},  // %m/%d/%Y
      {"de_DE.UTF-8", "03.08.1994", ","},  // %d.%m.%Y
      {"fr_FR.UTF-8", "03/08/1994", ","},  // %d/%m/%Y
      {"sv_SE.UTF-8", "1994-08-03", ","},  // %Y-%m-%d
  };
  int found = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.locale);
    const auto formats = locale_formats(c.locale);
    if (!formats) continue;
    ++found;
    EXPECT_EQ(formats->short_date_of_3_august_1994, c.short_date);
    EXPECT_EQ(formats->decimal_point, c.decimal_point);
  }
  if (found == 0) GTEST_SKIP() << "none of the locales is installed";
}

TEST(LocaleFormats, MissingLocaleGivesNothing) {
  EXPECT_FALSE(locale_formats("xx_NOWHERE.UTF-8").has_value());
}

TEST(LocaleFormats, LeavesTheProcessLocaleAlone) {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  system_locale_formats();
  locale_formats("C.UTF-8");
  EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
}

TEST(TodayLocalDate, IsAPlausibleDate) {
  const LocalDate today = today_local_date();
  EXPECT_GE(today.year, 2020);
  EXPECT_GE(today.month, 1);
  EXPECT_LE(today.month, 12);
  EXPECT_GE(today.day, 1);
  EXPECT_LE(today.day, 31);
}

}  // namespace
}  // namespace olvar::platform
