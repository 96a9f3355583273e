#pragma once
// How the user's system writes dates and decimals, detected once at start-up and handed down.
// Survey files store dates in the order of the system that wrote them; the reader converts them.

#include <string>
#include <string_view>

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

// Converts a date text written in `file_order` into the system order and separator: the
// separators are unified, leading zeros dropped as the file order requires, the parts
// reordered; a text of separators only ("//", "..", ",,") becomes empty. With an unknown
// system or file order the text keeps its order (only the separators are unified).
std::string convert_date_from_file_order(std::string_view text, DateOrder file_order,
                                         const DateConventions& system);

}  // namespace olvar::core
