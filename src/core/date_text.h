#pragma once
// Reading and writing date texts in the system order, and completing dates typed as digits only.
// Ages are differences of day numbers; a day number counts days from 1 January 1970 in the
// Gregorian calendar (earlier dates are negative).

#include <optional>
#include <string>
#include <string_view>

#include "core/date_conventions.h"

namespace olvar::core {

struct CivilDate {
  int year = 1970;
  int month = 1;  // 1 to 12
  int day = 1;    // 1 to 31
};

// The day number of a Gregorian date; nullopt for a day that does not exist (31 April,
// 29 February 1900) or a year outside 1 to 9999.
std::optional<int> day_number_of(const CivilDate& date);
// The Gregorian date of a day number.
CivilDate civil_date_of(int day_number);

// A two-digit year (0 to 99) lies in the hundred years that end kTwoDigitYearFutureSpan years
// after the current year: in 2026, "99" is 1999, "36" is 2036 and "37" is 1937. Survey dates and
// children's births are recent, so the window reaches only a little into the future.
inline constexpr int kTwoDigitYearFutureSpan = 10;
int full_year(int two_digit_year, int current_year);

// The day number of a date text in the system order with the system separator: three parts of
// digits, day and month of one or two digits, the year of four digits or of one or two (read
// with full_year). Spaces around the text and around each part are ignored. nullopt for
// anything else, for a day that does not exist and for an empty text. An order left unknown is
// read as day first. The current year is passed in so that no clock is read here.
std::optional<int> day_number(std::string_view date_text, const DateConventions& conventions,
                              int current_year);

// The text of a day number in the system order and separator, day and month with two digits,
// the year with four: "03.08.1994", "08/03/1994", "1994-08-03".
std::string date_text(int day_number, const DateConventions& conventions);

// Completes a date typed as digits only: five digits get a leading "0"; six digits are split
// 2-2-2 ("010199" -> "01.01.99"), eight digits 2-2-4 (4-2-2 in year-first order). Any other
// text, including one that holds a separator, comes back unchanged, so that a typed text is
// never garbled by separators inserted into the middle of it.
std::string complete_typed_date(std::string_view text, const DateConventions& conventions);

}  // namespace olvar::core
