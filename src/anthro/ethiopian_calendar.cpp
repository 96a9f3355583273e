#include "anthro/ethiopian_calendar.h"

#include "core/date_text.h"

namespace olvar::anthro {

namespace {

// E. M. Reingold and N. Dershowitz, Calendrical Calculations (3rd ed., Cambridge University
// Press, 2008), the chapter on the Coptic and Ethiopic calendars: the Ethiopic epoch is the
// fixed day R.D. 2796 (29 August 8 C.E., Julian), and
//   fixed-from-ethiopic(y, m, d) = epoch - 1 + 365 (y - 1) + floor(y / 4) + 30 (m - 1) + d.
// R.D. 1 is 1 January of year 1 in the proleptic Gregorian calendar, so 1 January 1970, the day
// number 0, is R.D. 719163.
constexpr long kEthiopicEpochRd = 2796;
constexpr long kRdOf1970 = 719163;

}  // namespace

bool is_ethiopian_leap_year(int year) { return ((year % 4) + 4) % 4 == 3; }

int ethiopian_month_length(int year, int month) {
  if (month >= 1 && month < kPagume) return 30;
  if (month == kPagume) return is_ethiopian_leap_year(year) ? 6 : 5;
  return 0;
}

std::optional<int> day_number_of_ethiopian(const EthiopianDate& date) {
  if (date.year < 1 || date.year > 9999) return std::nullopt;
  if (date.day < 1 || date.day > ethiopian_month_length(date.year, date.month)) {
    return std::nullopt;
  }
  const long year = date.year;
  const long rd =
      kEthiopicEpochRd - 1 + 365 * (year - 1) + year / 4 + 30L * (date.month - 1) + date.day;
  return static_cast<int>(rd - kRdOf1970);
}

std::string ethiopian_table_line(const EthiopianDate& date) {
  std::string line = std::to_string(date.day) + '/' + std::to_string(date.month) + '/' +
                     std::to_string(date.year) + '\t';
  if (const std::optional<int> day = day_number_of_ethiopian(date)) {
    const core::CivilDate gregorian = core::civil_date_of(*day);
    line += std::to_string(gregorian.day) + '/' + std::to_string(gregorian.month) + '/' +
            std::to_string(gregorian.year);
  }
  return line;
}

int write_ethiopian_table(std::ostream& out, int first_year, int last_year) {
  int lines = 0;
  for (int year = first_year; year <= last_year; ++year) {
    for (int month = 1; month <= kPagume; ++month) {
      const int days = ethiopian_month_length(year, month);
      for (int day = 1; day <= days; ++day) {
        out << ethiopian_table_line(EthiopianDate{year, month, day}) << '\n';
        ++lines;
      }
    }
  }
  return lines;
}

}  // namespace olvar::anthro
