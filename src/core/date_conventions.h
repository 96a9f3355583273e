#pragma once
// How the user's system writes dates and decimals, detected once at start-up and handed down.
// Survey files store dates in the order of the system that wrote them; the reader converts them.

#include <string>
#include <string_view>

#include "platform/locale_formats.h"

namespace olvar::core {

// The system date order; `unknown` when the system short date format matched no known form.
enum class DateOrder { unknown, dmy, mdy, ymd };

struct DateConventions {
  DateOrder order = DateOrder::dmy;
  char separator = '.';          // '.', '-' or '/'
  char decimal_separator = '.';  // '.' or ','
};

// "dmy", "mdy", "ymd", or "" for unknown.
std::string_view order_code(DateOrder order);
// The order of a three-letter code; unknown for anything else.
DateOrder order_from_code(std::string_view code);

// The date order and separator of the system, from the text its short date format gives for
// 3 August 1994 (platform/locale_formats.h produces that text). A text that matches one of the
// forms the program knows ("03.08.1994", "8/3/1994", "1994-08-03", ...) decides the order;
// otherwise the order of the year, month and day numbers in the text decides it, so that the
// C locale's "08/03/94" still gives "mdy". A text without those three numbers (month names,
// garbage) gives "dmy": the program always has a usable order. The separator is the last of
// ".", "-", "/" that the text contains, "." when it contains none. The decimal separator is
// left at its default; see decimal_separator_from_locale().
DateConventions detect_date_conventions(std::string_view system_text_of_3_august_1994);

// The decimal separator for the locale's decimal point text: ',' for ",", '.' for anything
// else (the tables know only these two).
char decimal_separator_from_locale(std::string_view decimal_point);

// Both at once, as start-up needs them:
//   conventions_from_locale(platform::system_locale_formats())
DateConventions conventions_from_locale(const platform::LocaleFormats& formats);

// Converts a date text written in `file_order` into the system order and separator: the
// separators are unified, leading zeros dropped as the file order requires, the parts
// reordered; a text of separators only ("//", "..", ",,") becomes empty. With an unknown
// system or file order the text keeps its order (only the separators are unified). A text that
// is no date in the file order (not three parts of digits, or a day or month out of range)
// stays exactly as read.
std::string convert_date_from_file_order(std::string_view text, DateOrder file_order,
                                         const DateConventions& system);

}  // namespace olvar::core
