#include "core/date_text.h"

#include <array>
#include <chrono>
#include <cstdio>

namespace olvar::core {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string_view trim_blanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The value of a part of 1 to max_digits digits; -1 for anything else.
int digits_value(std::string_view part, std::size_t max_digits) {
  if (part.empty() || part.size() > max_digits) return -1;
  int value = 0;
  for (const char c : part) {
    if (!is_digit(c)) return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool all_digits(std::string_view text) {
  for (const char c : text) {
    if (!is_digit(c)) return false;
  }
  return true;
}

}  // namespace

std::optional<int> day_number_of(const CivilDate& date) {
  if (date.year < 1 || date.year > 9999) return std::nullopt;
  if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31) return std::nullopt;
  const std::chrono::year_month_day ymd{std::chrono::year{date.year},
                                        std::chrono::month{static_cast<unsigned>(date.month)},
                                        std::chrono::day{static_cast<unsigned>(date.day)}};
  if (!ymd.ok()) return std::nullopt;
  return static_cast<int>(std::chrono::sys_days{ymd}.time_since_epoch().count());
}

CivilDate civil_date_of(int day_number) {
  const std::chrono::year_month_day ymd{std::chrono::sys_days{std::chrono::days{day_number}}};
  return CivilDate{static_cast<int>(ymd.year()), static_cast<int>(unsigned{ymd.month()}),
                   static_cast<int>(unsigned{ymd.day()})};
}

int full_year(int two_digit_year, int current_year) {
  const int last = current_year + kTwoDigitYearFutureSpan;
  int year = last - (last % 100) + two_digit_year;  // the candidate in the last year's century
  if (year > last) year -= 100;
  return year;
}

std::optional<int> day_number(std::string_view date_text, const DateConventions& conventions,
                              int current_year) {
  const std::string_view text = trim_blanks(date_text);
  const char sep = conventions.separator;
  const auto first = text.find(sep);
  if (first == std::string_view::npos) return std::nullopt;
  const auto second = text.find(sep, first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  if (text.find(sep, second + 1) != std::string_view::npos) return std::nullopt;

  const std::array<std::string_view, 3> parts = {
      trim_blanks(text.substr(0, first)), trim_blanks(text.substr(first + 1, second - first - 1)),
      trim_blanks(text.substr(second + 1))};
  // Positions of day, month and year among the three parts.
  int d = 0, m = 1, y = 2;
  if (conventions.order == DateOrder::mdy) d = 1, m = 0, y = 2;
  if (conventions.order == DateOrder::ymd) d = 2, m = 1, y = 0;

  const int day = digits_value(parts[d], 2);
  const int month = digits_value(parts[m], 2);
  const std::string_view year_part = parts[y];
  int year = -1;
  if (year_part.size() <= 2) {
    const int short_year = digits_value(year_part, 2);
    if (short_year >= 0) year = full_year(short_year, current_year);
  } else if (year_part.size() == 4) {
    year = digits_value(year_part, 4);
  }
  if (day < 0 || month < 0 || year < 0) return std::nullopt;
  return day_number_of(CivilDate{year, month, day});
}

std::string date_text(int day_number, const DateConventions& conventions) {
  const CivilDate date = civil_date_of(day_number);
  char day[8], month[8], year[16];
  std::snprintf(day, sizeof day, "%02d", date.day);
  std::snprintf(month, sizeof month, "%02d", date.month);
  std::snprintf(year, sizeof year, "%04d", date.year);
  const char sep = conventions.separator;
  switch (conventions.order) {
    case DateOrder::mdy:
      return std::string(month) + sep + day + sep + year;
    case DateOrder::ymd:
      return std::string(year) + sep + month + sep + day;
    case DateOrder::dmy:
    case DateOrder::unknown:
      break;
  }
  return std::string(day) + sep + month + sep + year;
}

std::string complete_typed_date(std::string_view text, const DateConventions& conventions) {
  if (text.empty() || !all_digits(text)) return std::string(text);
  std::string digits(text);
  if (digits.size() == 5) digits.insert(0, 1, '0');
  const char sep = conventions.separator;
  if (digits.size() == 6) {
    return digits.substr(0, 2) + sep + digits.substr(2, 2) + sep + digits.substr(4);
  }
  if (digits.size() == 8) {
    if (conventions.order == DateOrder::ymd) {
      return digits.substr(0, 4) + sep + digits.substr(4, 2) + sep + digits.substr(6);
    }
    return digits.substr(0, 2) + sep + digits.substr(2, 2) + sep + digits.substr(4);
  }
  return std::string(text);
}

}  // namespace olvar::core
