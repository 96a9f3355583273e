#pragma once
// Dates as other programs and people write them in the files we import: day, month and year in
// any of the three orders, separated by "/", ".", "-", "," or blanks, years of two or four
// digits, months as numbers or as English or French names and abbreviations ("07-Aug-19",
// "7 août 2019", "2019-08-07", "Aug 7, 2019"), a time of day after the date
// ("2019-08-07T10:32:00"), and spreadsheet serial numbers ("43684" for 7 August 2019).
// Texts are in Windows-1252, as every cell is; UTF-8 accents are read as well.
//
//   const DateOrderGuess guess = guess_date_order(texts, system_order, current_year);
//   std::optional<CivilDate> date = read_foreign_date("7 août 2019", guess.order, 2026);

#include <optional>
#include <string_view>
#include <vector>

#include "core/date_conventions.h"
#include "core/date_text.h"

namespace olvar::core {

// The date of a text. The order says where day, month and year stand when they are all numbers:
// a year of four digits in front always starts a year-month-day date, and in the year-first
// order a four-digit year at the end is no date. A month name stands where it is written, the
// year after it unless it has four digits in front ("07-Aug-19", "Aug 7, 2019",
// "2019-Aug-07"), whatever the order. nullopt for
// an empty text, a text that is no date and a day that does not exist (31 April).
std::optional<CivilDate> read_foreign_date(std::string_view text, DateOrder order,
                                           int current_year);

// The order of the dates of a file, guessed from the dates themselves: the order under which
// most of them can be read (a day above 12 rules out the orders that take it for a month).
struct DateOrderGuess {
  DateOrder order = DateOrder::dmy;
  // The dates decided it; false when they read alike under several orders (or there were none)
  // and `order` is the fallback.
  bool from_data = false;
  int readable = 0;  // texts that read as dates under `order`
  int texts = 0;     // non-empty texts looked at
};
DateOrderGuess guess_date_order(const std::vector<std::string_view>& texts, DateOrder fallback,
                                int current_year);

// A spreadsheet serial day (1 = 1 January 1900, with the spreadsheets' 29 February 1900) as a
// day number; nullopt outside 1 January 1900 to 31 December 9999.
std::optional<int> day_number_of_serial(double serial);

}  // namespace olvar::core
