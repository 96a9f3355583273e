#pragma once
// What the user's locale says about dates and decimals, in the form the core detects its date
// conventions from: the short date text of a fixed day and the decimal point. Read through a
// locale object of its own, so the process-wide locale (and with it every stream and printf in
// the program) is left as it is.

#include <optional>
#include <string>
#include <string_view>

namespace olvar::platform {

struct LocaleFormats {
  std::string short_date_of_3_august_1994;  // the locale's short date format (LC_TIME) applied
  std::string decimal_point;                // LC_NUMERIC's decimal point, "." or ","
};

// The formats of a named locale ("de_DE.UTF-8", "C"); nullopt when that locale is not
// installed. An empty name means the user's environment (LC_ALL, LC_TIME, LC_NUMERIC, LANG).
std::optional<LocaleFormats> locale_formats(std::string_view locale_name);

// The formats of the user's environment; those of the C locale when the environment names a
// locale that is not installed, so that start-up always gets an answer.
LocaleFormats system_locale_formats();

// Today's date in local time, for the current year of two-digit years and for dates the
// program fills in itself.
struct LocalDate {
  int year = 1970;
  int month = 1;
  int day = 1;
};
LocalDate today_local_date();

}  // namespace olvar::platform
