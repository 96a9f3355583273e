#include "core/date_conventions.h"

#include <algorithm>
#include <array>
#include <vector>

namespace olvar::core {

namespace {

void replace_all(std::string& text, char from, char to) {
  std::replace(text.begin(), text.end(), from, to);
}

void drop_one_leading_zero(std::string& part) {
  if (!part.empty() && part.front() == '0') part.erase(0, 1);
}

struct KnownForm {
  std::string_view text;
  DateOrder order;
};

// The short date texts of 3 August 1994 the program recognises, in the order they are tried.
// "03/08/94" counts as day first although it could be read either way.
constexpr std::array<KnownForm, 17> kKnownForms = {{
    {"3.8.1994", DateOrder::dmy},    {"03.08.1994", DateOrder::dmy},
    {"03.8.1994", DateOrder::dmy},   {"3.08.1994", DateOrder::dmy},
    {"03.08.94", DateOrder::dmy},    {"3/08/1994", DateOrder::dmy},
    {"03/08/1994", DateOrder::dmy},  {"3/8/1994", DateOrder::dmy},
    {"03/08/94", DateOrder::dmy},    {"03-08-1994", DateOrder::dmy},
    {"3-8-1994", DateOrder::dmy},    {"8/3/1994", DateOrder::mdy},
    {"08/03/1994", DateOrder::mdy},  {"1994.08.03", DateOrder::ymd},
    {"94.08.03", DateOrder::ymd},    {"1994/08/03", DateOrder::ymd},
    {"1994-08-03", DateOrder::ymd},
}};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The order of the numbers 3 (day), 8 (month) and 1994 or 94 (year) in a text that holds
// exactly these three numbers; unknown otherwise. Digit runs longer than four are no part of
// a date of 1994, which also keeps the arithmetic below from overflowing.
DateOrder order_from_numbers(std::string_view text) {
  std::string letters;  // 'd', 'm', 'y' in the order found
  std::size_t i = 0;
  while (i < text.size()) {
    if (!is_digit(text[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && is_digit(text[end])) ++end;
    if (end - i > 4) return DateOrder::unknown;
    int value = 0;
    for (std::size_t k = i; k < end; ++k) value = value * 10 + (text[k] - '0');
    if (value == 3) {
      letters += 'd';
    } else if (value == 8) {
      letters += 'm';
    } else if (value == 1994 || value == 94) {
      letters += 'y';
    } else {
      return DateOrder::unknown;
    }
    i = end;
  }
  if (letters == "dmy") return DateOrder::dmy;
  if (letters == "mdy") return DateOrder::mdy;
  if (letters == "ymd") return DateOrder::ymd;
  return DateOrder::unknown;
}

}  // namespace

DateConventions detect_date_conventions(std::string_view system_text_of_3_august_1994) {
  const std::string_view text = system_text_of_3_august_1994;
  DateConventions conventions;
  conventions.order = DateOrder::unknown;
  for (const KnownForm& form : kKnownForms) {
    if (text == form.text) {
      conventions.order = form.order;
      break;
    }
  }
  if (conventions.order == DateOrder::unknown) conventions.order = order_from_numbers(text);
  // An unusable order would leave every date unreadable; day first is the most common order.
  if (conventions.order == DateOrder::unknown) conventions.order = DateOrder::dmy;

  conventions.separator = '.';
  for (const char candidate : {'.', '-', '/'}) {
    if (text.find(candidate) != std::string_view::npos) conventions.separator = candidate;
  }
  return conventions;
}

char decimal_separator_from_locale(std::string_view decimal_point) {
  return decimal_point == "," ? ',' : '.';
}

DateConventions conventions_from_locale(const platform::LocaleFormats& formats) {
  DateConventions conventions = detect_date_conventions(formats.short_date_of_3_august_1994);
  conventions.decimal_separator = decimal_separator_from_locale(formats.decimal_point);
  return conventions;
}

std::string_view order_code(DateOrder order) {
  switch (order) {
    case DateOrder::dmy: return "dmy";
    case DateOrder::mdy: return "mdy";
    case DateOrder::ymd: return "ymd";
    case DateOrder::unknown: break;
  }
  return "";
}

DateOrder order_from_code(std::string_view code) {
  if (code == "dmy") return DateOrder::dmy;
  if (code == "mdy") return DateOrder::mdy;
  if (code == "ymd") return DateOrder::ymd;
  return DateOrder::unknown;
}

namespace {

// Three parts of digits joined by `sep`, whose day and month (by `order`) are in range.
bool is_date_in_order(std::string_view date, char sep, DateOrder order) {
  std::array<int, 3> value{};
  std::size_t part = 0;
  std::size_t digits = 0;
  for (const char c : date) {
    if (c == sep) {
      if (digits == 0 || ++part > 2) return false;
      digits = 0;
      continue;
    }
    if (c < '0' || c > '9' || ++digits > 4) return false;
    value[part] = value[part] * 10 + (c - '0');
  }
  if (part != 2 || digits == 0) return false;
  const int day = value[order == DateOrder::dmy ? 0 : order == DateOrder::mdy ? 1 : 2];
  const int month = value[order == DateOrder::dmy ? 1 : order == DateOrder::mdy ? 0 : 1];
  return day >= 1 && day <= 31 && month >= 1 && month <= 12;
}

}  // namespace

std::string convert_date_from_file_order(std::string_view text, DateOrder file_order,
                                         const DateConventions& system) {
  const char sep = system.separator;
  std::string date(text);
  // Separator unification: the first of ",", ".", "-", "/" that gives the system separator.
  for (const char candidate : {',', '.', '-', '/'}) {
    if (date.find(sep) != std::string::npos) break;
    replace_all(date, candidate, sep);
  }

  if (date == "//" || date == ".." || date == ",,") return {};
  // A text that is no date in the file's order ("unknown", a year-first date in a day-first
  // file) stays exactly as read: moving its parts around would only garble it.
  if (file_order != DateOrder::unknown && !is_date_in_order(date, sep, file_order)) {
    return std::string(text);
  }

  if (file_order != system.order && file_order != DateOrder::unknown &&
      system.order != DateOrder::unknown) {
    const auto first = date.find(sep);
    const auto second = first == std::string::npos ? std::string::npos : date.find(sep, first + 1);
    std::array<std::string, 3> part;
    part[0] = date.substr(0, first);
    if (first != std::string::npos) {
      part[1] = date.substr(first + 1, second == std::string::npos ? std::string::npos
                                                                   : second - first - 1);
    }
    if (second != std::string::npos) part[2] = date.substr(second + 1);

    if (file_order != DateOrder::ymd) drop_one_leading_zero(part[0]);
    drop_one_leading_zero(part[1]);
    if (file_order != DateOrder::dmy) drop_one_leading_zero(part[2]);

    // Positions (0-based) of the file's parts in the system's order.
    std::array<int, 3> take{0, 1, 2};
    using O = DateOrder;
    if (file_order == O::dmy && system.order == O::mdy) take = {1, 0, 2};
    if (file_order == O::dmy && system.order == O::ymd) take = {2, 1, 0};
    if (file_order == O::mdy && system.order == O::dmy) take = {1, 0, 2};
    if (file_order == O::mdy && system.order == O::ymd) take = {2, 0, 1};
    if (file_order == O::ymd && system.order == O::dmy) take = {2, 1, 0};
    if (file_order == O::ymd && system.order == O::mdy) take = {1, 2, 0};
    date = part[take[0]] + sep + part[take[1]] + sep + part[take[2]];
  }

  if (date == "//" || date == ".." || date == ",,") date.clear();
  return date;
}

}  // namespace olvar::core
