#include "planning/whole_numbers.h"

#include <cmath>

#include "core/text_conversions.h"

namespace olvar::planning {

std::optional<long long> parse_whole_number(std::string_view text) {
  text = core::trim_spaces(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 18) return std::nullopt;
  long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

double round_half_even(double value) {
  const double rounded = std::round(value);  // halves away from zero
  if (std::fabs(value - std::trunc(value)) == 0.5) return 2.0 * std::round(value / 2.0);
  return rounded;
}

std::string whole_number_text(double value) {
  const long long whole = static_cast<long long>(round_half_even(value));
  return std::to_string(whole);
}

}  // namespace olvar::planning
