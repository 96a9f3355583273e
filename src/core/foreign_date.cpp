#include "core/foreign_date.h"

#include <array>
#include <cmath>
#include <string>

namespace olvar::core {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A letter folded to lower-case ASCII ("É", "é" -> "e", "û" -> "u"); 0 for anything else.
char folded_letter(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  if (c >= 'a' && c <= 'z') return static_cast<char>(c);
  switch (c) {
    case 0xE9: case 0xC9: case 0xE8: case 0xC8: case 0xEA: case 0xCA: return 'e';
    case 0xFB: case 0xDB: case 0xF9: case 0xD9: return 'u';
    case 0xE2: case 0xC2: case 0xE0: case 0xC0: return 'a';
    case 0xF4: case 0xD4: return 'o';
    default: return 0;
  }
}

// The text without a time of day after the date: "2019-08-07T10:32:00.000+03",
// "07/08/2019 10:32".
std::string_view without_time(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return text;
  const std::size_t cut = text.find_last_of(" T", colon);
  return cut == std::string_view::npos ? text : text.substr(0, cut);
}

// Runs of digits and runs of letters (folded); everything else separates them. A UTF-8
// accented letter (0xC3 and a second byte) folds as its Windows-1252 form does.
std::vector<std::string> tokens_of(std::string_view text) {
  std::vector<std::string> tokens;
  std::string current;
  bool current_digits = false;
  const auto close = [&] {
    if (!current.empty()) tokens.push_back(std::move(current));
    current.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (is_digit(text[i])) {
      if (!current_digits) close();
      current_digits = true;
      current += text[i];
      continue;
    }
    char letter = folded_letter(c);
    if (letter == 0 && c == 0xC3 && i + 1 < text.size()) {
      letter = folded_letter(static_cast<unsigned char>(text[i + 1] + 0x40));
      if (letter != 0) ++i;
    }
    if (letter != 0) {
      if (current_digits) close();
      current_digits = false;
      current += letter;
      continue;
    }
    close();
  }
  close();
  return tokens;
}

bool all_digits(const std::string& token) { return !token.empty() && is_digit(token.front()); }

// The month a word names: an English or French month name, or the start of one of at least
// three letters that fits one month only ("aug", "sept", "juil", "fevr", "dec"); 0 otherwise.
int month_of_word(const std::string& word) {
  static constexpr std::array<std::array<std::string_view, 2>, 12> kNames = {{
      {"january", "janvier"},  {"february", "fevrier"}, {"march", "mars"},
      {"april", "avril"},      {"may", "mai"},          {"june", "juin"},
      {"july", "juillet"},     {"august", "aout"},      {"september", "septembre"},
      {"october", "octobre"},  {"november", "novembre"}, {"december", "decembre"},
  }};
  if (word.size() < 3) return 0;
  int found = 0;
  for (int m = 0; m < 12; ++m) {
    for (const std::string_view name : kNames[static_cast<std::size_t>(m)]) {
      if (name.substr(0, word.size()) != word) continue;
      if (found != 0 && found != m + 1) return 0;  // "jui": June or July
      found = m + 1;
    }
  }
  return found;
}

// A part of one or two digits, or -1.
int small_number(const std::string& token) {
  if (!all_digits(token) || token.size() > 2) return -1;
  return std::stoi(token);
}

// A year of four digits, or one or two placed by full_year; -1 otherwise.
int year_of(const std::string& token, int current_year) {
  if (!all_digits(token)) return -1;
  if (token.size() == 4) return std::stoi(token);
  if (token.size() <= 2) return full_year(std::stoi(token), current_year);
  return -1;
}

std::optional<CivilDate> checked(int year, int month, int day) {
  if (year < 0 || month < 0 || day < 0) return std::nullopt;
  const CivilDate date{year, month, day};
  if (!day_number_of(date)) return std::nullopt;
  return date;
}

// Three numbers of which none is a year of four digits in front: the order places them.
std::optional<CivilDate> numbers_in_order(const std::string& a, const std::string& b,
                                          const std::string& c, DateOrder order,
                                          int current_year) {
  if (order == DateOrder::ymd) {
    if (c.size() == 4) return std::nullopt;
    return checked(year_of(a, current_year), small_number(b), small_number(c));
  }
  if (order == DateOrder::mdy) {
    return checked(year_of(c, current_year), small_number(a), small_number(b));
  }
  return checked(year_of(c, current_year), small_number(b), small_number(a));
}

// Eight or six digits without separators: "07082019", "20190807", "070819".
std::optional<CivilDate> packed_digits(const std::string& digits, DateOrder order,
                                       int current_year) {
  if (digits.size() == 8) {
    const bool year_first = order == DateOrder::ymd;
    const std::string a = year_first ? digits.substr(0, 4) : digits.substr(0, 2);
    const std::string b = year_first ? digits.substr(4, 2) : digits.substr(2, 2);
    const std::string c = year_first ? digits.substr(6, 2) : digits.substr(4, 4);
    if (year_first) return checked(std::stoi(a), small_number(b), small_number(c));
    return numbers_in_order(a, b, c, order, current_year);
  }
  if (digits.size() == 6) {
    return numbers_in_order(digits.substr(0, 2), digits.substr(2, 2), digits.substr(4, 2), order,
                            current_year);
  }
  return std::nullopt;
}

// Five digits, with a time of day as a fraction or not ("43684", "43684.4375"): a serial day of
// a spreadsheet, which is how a date cell arrives that was exported as a number.
std::optional<CivilDate> serial_text(std::string_view text) {
  std::size_t digits = 0;
  while (digits < text.size() && is_digit(text[digits])) ++digits;
  if (digits != 5) return std::nullopt;
  if (digits < text.size()) {
    if (text[digits] != '.' || digits + 1 == text.size()) return std::nullopt;
    for (std::size_t i = digits + 1; i < text.size(); ++i) {
      if (!is_digit(text[i])) return std::nullopt;
    }
  }
  const std::optional<int> day = day_number_of_serial(std::stoi(std::string(text.substr(0, 5))));
  if (!day) return std::nullopt;
  return civil_date_of(*day);
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<int> day_number_of_serial(double serial) {
  if (!(serial >= 1.0) || serial >= 2958466.0) return std::nullopt;
  const int whole = static_cast<int>(std::floor(serial));
  // The spreadsheets count a 29 February 1900 that never was: serial 60. Days before it are
  // one day later in their count than in the calendar.
  if (whole == 60) return std::nullopt;
  constexpr int kSerialOf1970 = 25569;
  return whole < 60 ? whole - kSerialOf1970 + 1 : whole - kSerialOf1970;
}

std::optional<CivilDate> read_foreign_date(std::string_view text, DateOrder order,
                                           int current_year) {
  text = trimmed(text);
  if (text.empty()) return std::nullopt;
  if (const std::optional<CivilDate> serial = serial_text(text)) return serial;
  const std::vector<std::string> tokens = tokens_of(without_time(text));
  if (tokens.size() == 1 && all_digits(tokens[0])) {
    return packed_digits(tokens[0], order, current_year);
  }
  if (tokens.size() != 3) return std::nullopt;
  const std::string& a = tokens[0];
  const std::string& b = tokens[1];
  const std::string& c = tokens[2];
  const bool numbers = all_digits(a) && all_digits(b) && all_digits(c);
  if (numbers) {
    if (a.size() == 4) return checked(std::stoi(a), small_number(b), small_number(c));
    return numbers_in_order(a, b, c, order, current_year);
  }
  // A month written as a word stands where it is written: "7 Aug 2019", "Aug 7, 2019",
  // "2019 Aug 7".
  if (!all_digits(a) && all_digits(b) && all_digits(c)) {
    return checked(year_of(c, current_year), month_of_word(a), small_number(b));
  }
  if (all_digits(a) && !all_digits(b) && all_digits(c)) {
    const int month = month_of_word(b);
    if (month == 0) return std::nullopt;
    if (a.size() == 4) return checked(std::stoi(a), month, small_number(c));
    // "07-Aug-19": a name between two short numbers is read day first in every order, as the
    // phone data-collection tools write it; year first with a short year is not seen.
    return checked(year_of(c, current_year), month, small_number(a));
  }
  return std::nullopt;
}

DateOrderGuess guess_date_order(const std::vector<std::string_view>& texts, DateOrder fallback,
                                int current_year) {
  if (fallback == DateOrder::unknown) fallback = DateOrder::dmy;
  constexpr std::array<DateOrder, 3> kOrders = {DateOrder::dmy, DateOrder::mdy, DateOrder::ymd};
  std::array<int, 3> readable{};
  DateOrderGuess guess;
  for (const std::string_view text : texts) {
    if (trimmed(text).empty()) continue;
    ++guess.texts;
    for (std::size_t k = 0; k < kOrders.size(); ++k) {
      readable[k] += read_foreign_date(text, kOrders[k], current_year).has_value();
    }
  }
  int best = 0;
  for (const int count : readable) best = std::max(best, count);
  // Among the orders that read the most dates, the fallback when it is one of them, else the
  // first of day, month and year first.
  int winners = 0;
  bool fallback_wins = false;
  for (std::size_t k = kOrders.size(); k-- > 0;) {
    if (readable[k] != best) continue;
    ++winners;
    guess.order = kOrders[k];
    fallback_wins = fallback_wins || kOrders[k] == fallback;
  }
  guess.from_data = winners == 1 && best > 0;
  if (fallback_wins && !guess.from_data) guess.order = fallback;
  for (std::size_t k = 0; k < kOrders.size(); ++k) {
    if (kOrders[k] == guess.order) guess.readable = readable[k];
  }
  return guess;
}

}  // namespace olvar::core
