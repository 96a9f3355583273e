#pragma once
// The Ethiopian calendar: twelve months of 30 days and a thirteenth month, Pagume, of 5 days,
// 6 in a leap year. It is the Coptic calendar with another year count, so its new year, 1
// Meskerem, falls on 29 August of the Julian calendar (30 August before a Julian leap year):
// 11 September of the Gregorian calendar, 12 September before a Gregorian leap year, in the
// years 1900 to 2098 (12 and 13 September from 2100 on, when the Julian calendar falls one more
// day behind). Used to build the table ethiopian.dat that converts survey dates.

#include <optional>
#include <ostream>
#include <string>

namespace olvar::anthro {

struct EthiopianDate {
  int year = 1;
  int month = 1;  // 1 to 13; 13 is Pagume
  int day = 1;
};

inline constexpr int kPagume = 13;

// A year of which Pagume has 6 days: year mod 4 = 3 (the year before a Julian leap year ends
// in it).
bool is_ethiopian_leap_year(int year);
// Days in a month: 30, or 5 or 6 for Pagume.
int ethiopian_month_length(int year, int month);

// The day number (core/date_text.h: days from 1 January 1970, Gregorian) of an Ethiopian date;
// nullopt for a day that does not exist or a year before 1.
std::optional<int> day_number_of_ethiopian(const EthiopianDate& date);

// One line of ethiopian.dat: the Ethiopian date as d/m/yyyy without leading zeros, a tab and the
// Gregorian date of the same day, also as d/m/yyyy, day first whatever the system's order:
// "1/1/2016\t12/9/2023". The table is made before any system order is known; the conversion
// command reorders the Gregorian date into the system order.
std::string ethiopian_table_line(const EthiopianDate& date);

// Writes the lines of every day of the Ethiopian years first_year to last_year, each line
// ended by "\n". Returns the number of lines.
int write_ethiopian_table(std::ostream& out, int first_year, int last_year);

}  // namespace olvar::anthro
