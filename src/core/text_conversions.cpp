#include "core/text_conversions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
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

// Most cells hold short decimals ("12.5", "-1.234"). With at most 7 digits the digits form an
// integer below 2^24 and the power of ten (at most 10^7) is exact in single precision, so one
// correctly rounded IEEE division gives the correctly rounded value (Clinger, "How to read
// floating point numbers accurately", 1990). Anything else goes the general way: nullopt.
std::optional<float> parse_short_decimal(std::string_view text, char decimal_separator) {
  constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f};
  std::size_t i = 0;
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    ++i;
  }
  std::int32_t digits = 0;
  int digit_count = 0;
  int decimals = 0;
  bool separator_seen = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (is_digit(c)) {
      if (++digit_count > 7) return std::nullopt;
      digits = digits * 10 + (c - '0');
      if (separator_seen) ++decimals;
    } else if (c == decimal_separator && !separator_seen) {
      separator_seen = true;
    } else {
      return std::nullopt;
    }
  }
  if (digit_count == 0) return std::nullopt;
  const float value = static_cast<float>(digits) / kPowersOfTen[decimals];
  return negative ? -value : value;
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

// The shortest round-trip digits of a value: value = 0.d1d2d3... x 10^point. Read straight from
// the scientific form of std::to_chars, "[-]d[.ddd]e(+|-)xx".
struct Decimal {
  bool negative = false;
  char digits[24];  // '0'..'9'; 17 suffice for a double; a zero value is the single digit '0'
  int count = 0;
  int point = 0;  // position of the decimal point relative to the first digit
};

template <typename Float>
Decimal shortest_decimal(Float value) {
  Decimal d;
  char text[48];
  const char* end =
      std::to_chars(text, text + sizeof text, value, std::chars_format::scientific).ptr;
  const char* p = text;
  if (*p == '-') {
    d.negative = true;
    ++p;
  }
  for (; p != end && *p != 'e'; ++p) {
    if (*p != '.') d.digits[d.count++] = *p;
  }
  int exponent = 0;
  if (p != end) {
    ++p;  // 'e'
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    for (; p != end; ++p) exponent = exponent * 10 + (*p - '0');
    if (negative) exponent = -exponent;
  }
  d.point = exponent + 1;
  return d;
}

// The common case without the shortest text: scale by a power of ten in double arithmetic and
// round. The shortest text of a value lies within half a unit in the last place of it, and the
// product adds at most one double rounding error, so the answer is the same as rounding the
// shortest text unless the scaled value lies that close to a tie, or the value that close to a
// power of ten (where the count of integer digits could differ). Those cases, zero, very small
// and very large values return false and take the exact path below.
template <typename Float>
bool format_fixed_fast(Float value, int precision, int decimals, char decimal_separator, bool pad,
                       std::string& out) {
  // 10^-3 .. 10^18, indexed by exponent + 3.
  static constexpr double kPowers[] = {1e-3, 1e-2, 1e-1, 1e0,  1e1,  1e2,  1e3,  1e4,
                                       1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11, 1e12,
                                       1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
  constexpr double kRelative = 2.0 * std::numeric_limits<Float>::epsilon() + 1e-15;
  const double x = std::fabs(static_cast<double>(value));
  if (!(x >= 1e-3 && x < 1e9) || decimals > 9) return false;

  int point = -2;  // integer digits: 10^(point-1) <= x < 10^point
  while (x >= kPowers[point + 3]) ++point;
  const double lower = kPowers[point + 2];
  const double upper = kPowers[point + 3];
  if (x - lower <= x * kRelative || upper - x <= x * kRelative) return false;

  const int keep = std::min(precision, point + decimals);  // significant digits kept
  const int scale = keep - point;                          // decimals actually rounded at
  if (keep <= 0 || keep > 15 || scale < 0) return false;
  const double scaled = x * kPowers[scale + 3];
  const double whole = std::floor(scaled);
  const double fraction = scaled - whole;
  if (std::fabs(fraction - 0.5) <= scaled * kRelative + 1e-12) return false;
  auto n = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);

  char digits[24];  // n, least significant digit first
  int count = 0;
  const bool minus = value < 0 && n != 0;
  do {
    digits[count++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0);
  const int integer_digits = std::max(count - scale, 1);
  const int length = (minus ? 1 : 0) + integer_digits + (decimals > 0 ? 1 + decimals : 0);
  const int padding = pad && length <= precision ? precision + 1 - length : 0;
  out.assign(static_cast<std::size_t>(padding + length), ' ');
  char* o = out.data() + padding;
  if (minus) *o++ = '-';
  // Digit k of n (counting from the most significant position of the integer part) or '0'.
  for (int k = integer_digits - 1; k >= 0; --k) *o++ = k + scale < count ? digits[k + scale] : '0';
  if (decimals > 0) {
    *o++ = decimal_separator;
    for (int k = scale - 1; k >= 0; --k) *o++ = k < count ? digits[k] : '0';
    for (int k = scale; k < decimals; ++k) *o++ = '0';
  }
  return true;
}

// Builds the text in place in one string of the final length: z-scores and months fit the
// small-string buffer, so the common call allocates nothing.
template <typename Float>
std::string format_fixed_impl(Float value, int precision, int decimals, char decimal_separator,
                              bool pad) {
  if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
  decimals = std::max(decimals, 0);
  precision = std::max(precision, 1);
  if (std::string out; format_fixed_fast(value, precision, decimals, decimal_separator, pad, out)) {
    return out;
  }
  const Decimal d = shortest_decimal(value);
  const bool zero = d.count == 1 && d.digits[0] == '0';

  // Digits kept: up to `precision` significant digits and up to `decimals` decimals, whichever
  // cuts sooner, rounded half away from zero at the cut.
  const int keep = zero ? -1 : std::min(precision, d.point + decimals);
  char kept[sizeof d.digits + 1];
  int count = 0;
  int point = d.point;
  if (keep >= 0) {
    count = std::min(keep, d.count);
    std::copy(d.digits, d.digits + count, kept);
    if (keep < d.count && d.digits[keep] >= '5') {
      // Here count == keep: carry from the last kept digit.
      int k = count - 1;
      while (k >= 0 && kept[k] == '9') kept[k--] = '0';
      if (k >= 0) {
        ++kept[k];
      } else {
        // 999.. rounded up to 1000..: one more integer digit.
        std::copy_backward(kept, kept + count, kept + count + 1);
        kept[0] = '1';
        ++count;
        ++point;
      }
    }
  }
  const bool all_zero = std::all_of(kept, kept + count, [](char c) { return c == '0'; });

  const bool minus = d.negative && !all_zero;
  const bool integer_zero = point <= 0 || count == 0;
  const int length =
      (minus ? 1 : 0) + (integer_zero ? 1 : point) + (decimals > 0 ? 1 + decimals : 0);
  const int padding = pad && length <= precision ? precision + 1 - length : 0;
  std::string out(static_cast<std::size_t>(padding + length), ' ');
  char* o = out.data() + padding;
  if (minus) *o++ = '-';
  if (integer_zero) {
    *o++ = '0';
  } else {
    for (int k = 0; k < point; ++k) *o++ = k < count ? kept[k] : '0';
  }
  if (decimals > 0) {
    *o++ = decimal_separator;
    for (int k = 0; k < decimals; ++k) {
      const int digit_index = point + k;  // index into kept of this decimal place
      *o++ = digit_index >= 0 && digit_index < count ? kept[digit_index] : '0';
    }
  }
  return out;
}

}  // namespace

std::optional<float> parse_standard(std::string_view text, char decimal_separator) {
  if (const std::optional<float> quick = parse_short_decimal(text, decimal_separator)) return quick;
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
  // Reports read every z-score and measurement cell several times: the common short decimal
  // without blanks around it is read here at once, the same way parse_standard would read it.
  if (!text.empty() && text.front() != ' ' && text.back() != ' ') {
    if (const std::optional<float> quick = parse_short_decimal(text, decimal_separator)) return quick;
  }
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
