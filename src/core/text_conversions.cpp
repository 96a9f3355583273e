#include "core/text_conversions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace olvar::core {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Checks the grammar [+-] digits [sep digits] [(e|E) [+-] digits] with at least one digit in the
// mantissa, and copies it with "." as separator into `out` (for from_chars). Returns the length
// written, or 0 when the text does not follow the grammar or does not fit.
std::size_t to_canonical(std::string_view text, char decimal_separator, char* out,
                         std::size_t capacity) {
  std::size_t i = 0;
  std::size_t n = 0;
  const std::size_t size = text.size();
  if (size == 0 || size >= capacity) return 0;
  if (text[i] == '+' || text[i] == '-') {
    if (text[i] == '-') out[n++] = '-';
    ++i;
  }
  bool mantissa_digits = false;
  bool separator_seen = false;
  for (; i < size; ++i) {
    const char c = text[i];
    if (is_digit(c)) {
      mantissa_digits = true;
      out[n++] = c;
    } else if (c == decimal_separator && !separator_seen) {
      separator_seen = true;
      out[n++] = '.';
    } else {
      break;
    }
  }
  if (!mantissa_digits) return 0;
  if (i < size && (text[i] == 'e' || text[i] == 'E')) {
    out[n++] = 'e';
    ++i;
    if (i < size && (text[i] == '+' || text[i] == '-')) out[n++] = text[i++];
    bool exponent_digits = false;
    for (; i < size && is_digit(text[i]); ++i) {
      exponent_digits = true;
      out[n++] = text[i];
    }
    if (!exponent_digits) return 0;
  }
  if (i != size) return 0;
  return n;
}

// The power of ten of the first significant digit of a canonical number text plus one (so 5 gives
// 1, 0.05 gives -1); 0 for a zero mantissa. Only the sign of the answer matters to the caller.
long decimal_magnitude(std::string_view canonical) {
  long leading = 0;        // digits before the point, after leading zeros
  long zeros_after = 0;    // zeros right after the point before the first significant digit
  bool before_point = true;
  bool significant = false;
  std::size_t i = canonical.front() == '-' ? 1 : 0;
  for (; i < canonical.size() && canonical[i] != 'e'; ++i) {
    const char c = canonical[i];
    if (c == '.') {
      before_point = false;
    } else if (before_point) {
      if (c != '0' || significant) {
        significant = true;
        ++leading;
      }
    } else if (!significant) {
      if (c == '0') {
        ++zeros_after;
      } else {
        significant = true;
      }
    }
  }
  if (!significant) return 0;
  long exponent = 0;
  if (i < canonical.size()) {
    // Exponents beyond any float are clamped: only the sign of the sum matters.
    bool negative = false;
    ++i;
    if (i < canonical.size() && (canonical[i] == '+' || canonical[i] == '-')) {
      negative = canonical[i] == '-';
      ++i;
    }
    for (; i < canonical.size(); ++i) exponent = std::min(exponent * 10 + (canonical[i] - '0'), 1000000L);
    if (negative) exponent = -exponent;
  }
  const long magnitude = leading > 0 ? leading : -zeros_after;
  return std::clamp(magnitude, -2000000L, 2000000L) + exponent;
}

std::optional<float> parse_trimmed(std::string_view text, char decimal_separator) {
  if (auto value = parse_standard(text, decimal_separator)) return value;
  // Second try: swap the first comma for a point, or the first point for a comma.
  std::array<char, 128> swapped{};
  if (text.size() >= swapped.size()) {
    // Long texts are never numbers the program writes; still honour the rule exactly.
    std::string copy(text);
    const auto comma = copy.find(',');
    if (comma != std::string::npos) {
      copy[comma] = '.';
    } else if (const auto point = copy.find('.'); point != std::string::npos) {
      copy[point] = ',';
    } else {
      return std::nullopt;
    }
    return parse_standard(copy, decimal_separator);
  }
  text.copy(swapped.data(), text.size());
  const std::string_view original = text;
  if (const auto comma = original.find(','); comma != std::string_view::npos) {
    swapped[comma] = '.';
  } else if (const auto point = original.find('.'); point != std::string_view::npos) {
    swapped[point] = ',';
  } else {
    return std::nullopt;
  }
  return parse_standard(std::string_view(swapped.data(), text.size()), decimal_separator);
}

// Decimal digits of a value in its shortest round-trip form: value = 0.d1d2d3... x 10^point.
struct Decimal {
  bool negative = false;
  std::array<char, 48> digits{};  // '0'..'9', no leading zero unless the value is zero
  int count = 0;
  int point = 0;  // position of the decimal point relative to the first digit
};

template <typename Float>
Decimal shortest_decimal(Float value) {
  Decimal d;
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::scientific);
  const std::string_view text(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
  std::size_t i = 0;
  if (text[i] == '-') {
    d.negative = true;
    ++i;
  }
  for (; i < text.size() && text[i] != 'e'; ++i) {
    if (is_digit(text[i])) d.digits[static_cast<std::size_t>(d.count++)] = text[i];
  }
  int exponent = 0;
  if (i < text.size()) {
    std::from_chars(text.data() + i + 1 + (text[i + 1] == '+' ? 1 : 0),
                    text.data() + text.size(), exponent);
  }
  d.point = exponent + 1;
  return d;
}

template <typename Float>
std::string format_fixed_impl(Float value, int precision, int decimals, char decimal_separator,
                              bool pad) {
  if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
  decimals = std::max(decimals, 0);
  precision = std::max(precision, 1);
  Decimal d = shortest_decimal(value);
  const bool zero = d.count == 1 && d.digits[0] == '0';

  // Digits kept: up to `precision` significant digits and up to `decimals` decimals, whichever
  // cuts sooner. `keep` counts digits of d.digits that survive (may be <= 0).
  int keep = zero ? 0 : std::min(precision, d.point + decimals);
  // Round half away from zero at the cut.
  std::array<char, 400> fixed_digits{};  // digits of the rounded value, most significant first
  int point = d.point;
  int count = 0;
  if (keep < 0 || zero) {
    count = 0;
  } else {
    const bool round_up = keep < d.count && d.digits[static_cast<std::size_t>(keep)] >= '5';
    count = std::min(keep, d.count);
    for (int k = 0; k < count; ++k) fixed_digits[static_cast<std::size_t>(k)] = d.digits[static_cast<std::size_t>(k)];
    if (round_up) {
      int k = keep - 1;
      // keep may exceed count only when no rounding happens, so here keep <= count.
      while (k >= 0 && fixed_digits[static_cast<std::size_t>(k)] == '9') {
        fixed_digits[static_cast<std::size_t>(k)] = '0';
        --k;
      }
      if (k >= 0) {
        ++fixed_digits[static_cast<std::size_t>(k)];
      } else {
        // 999.. rounded up to 1000..: shift right by one.
        for (int j = count; j > 0; --j) fixed_digits[static_cast<std::size_t>(j)] = fixed_digits[static_cast<std::size_t>(j - 1)];
        fixed_digits[0] = '1';
        ++count;
        ++point;
      }
    }
  }
  bool all_zero = true;
  for (int k = 0; k < count; ++k) all_zero = all_zero && fixed_digits[static_cast<std::size_t>(k)] == '0';

  std::string out;
  if (d.negative && !all_zero) out.push_back('-');
  // Integer part.
  if (point <= 0 || count == 0) {
    out.push_back('0');
  } else {
    for (int k = 0; k < point; ++k) out.push_back(k < count ? fixed_digits[static_cast<std::size_t>(k)] : '0');
  }
  if (decimals > 0) {
    out.push_back(decimal_separator);
    for (int k = 0; k < decimals; ++k) {
      const int digit_index = point + k;  // index into fixed_digits of this decimal place
      const bool inside = digit_index >= 0 && digit_index < count;
      out.push_back(inside ? fixed_digits[static_cast<std::size_t>(digit_index)] : '0');
    }
  }
  if (pad && static_cast<int>(out.size()) <= precision) {
    out.insert(0, static_cast<std::size_t>(precision + 1 - static_cast<int>(out.size())), ' ');
  }
  return out;
}

}  // namespace

std::optional<float> parse_standard(std::string_view text, char decimal_separator) {
  std::array<char, 128> buffer{};
  std::string long_buffer;  // only for texts too long for the stack buffer (leading zeros)
  char* canonical = buffer.data();
  std::size_t capacity = buffer.size();
  if (text.size() >= capacity) {
    long_buffer.assign(text.size() + 1, '\0');
    canonical = long_buffer.data();
    capacity = long_buffer.size();
  }
  const std::size_t length = to_canonical(text, decimal_separator, canonical, capacity);
  if (length == 0) return std::nullopt;
  float value = 0.0f;
  const auto result = std::from_chars(canonical, canonical + length, value);
  if (result.ec == std::errc()) return value;
  if (result.ec != std::errc::result_out_of_range) return std::nullopt;
  // Out of range is either too large (a failure) or too small (a number that reads as zero).
  if (decimal_magnitude(std::string_view(canonical, length)) > 0) return std::nullopt;
  return std::string_view(canonical, length).front() == '-' ? -0.0f : 0.0f;
}

std::string_view trim_spaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::optional<float> parse_number(std::string_view text, char decimal_separator) {
  const std::string_view trimmed = trim_spaces(text);
  if (trimmed.empty()) return std::nullopt;
  return parse_trimmed(trimmed, decimal_separator);
}

float parse_tolerant(std::string_view text, char decimal_separator) {
  return parse_number(text, decimal_separator).value_or(kUnreadable);
}

float parse_tolerant_empty_zero(std::string_view text, char decimal_separator) {
  if (text.empty()) return 0.0f;
  return parse_tolerant(text, decimal_separator);
}

float parse_tolerant_or_zero(std::string_view text, char decimal_separator) {
  return parse_number(text, decimal_separator).value_or(0.0f);
}

void normalise_decimal(std::string& text, char decimal_separator) {
  if (decimal_separator == ',') {
    for (char& c : text) {
      if (c == '.') c = ',';
    }
  } else {
    for (char& c : text) {
      if (c == ',') c = decimal_separator;
    }
  }
}

std::string normalised_decimal(std::string_view text, char decimal_separator) {
  std::string copy(text);
  normalise_decimal(copy, decimal_separator);
  return copy;
}

std::string format_fixed(float value, int precision, int decimals, char decimal_separator) {
  return format_fixed_impl(value, precision, decimals, decimal_separator, true);
}

std::string format_fixed(double value, int precision, int decimals, char decimal_separator) {
  return format_fixed_impl(value, precision, decimals, decimal_separator, true);
}

std::string format_fixed_trimmed(double value, int precision, int decimals,
                                 char decimal_separator) {
  return format_fixed_impl(value, precision, decimals, decimal_separator, false);
}

}  // namespace olvar::core
