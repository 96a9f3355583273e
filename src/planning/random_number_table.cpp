#include "planning/random_number_table.h"

#include <cmath>
#include <unordered_set>

#include "core/text_conversions.h"
#include "planning/whole_numbers.h"

namespace olvar::planning {

namespace {

// Random(N) takes a 32-bit range.
constexpr double kLargestRange = 4294967295.0;

}  // namespace

long long distinct_rounded_values(double from, long long count) {
  // Adding a whole number i keeps the fraction of A: unless that fraction is exactly one half,
  // rounding moves every candidate by the same amount and all N values stay distinct.
  const double whole = std::floor(from);
  if (from - whole != 0.5) return count;
  // A = a + 0.5: candidate i + a + 0.5 rounds to the even one of a + i and a + i + 1, so the
  // values are the even numbers from a to a + N.
  const long long a = static_cast<long long>(whole);
  const long long last = a + count;
  const auto floor_half = [](long long x) { return x >= 0 ? x / 2 : -((-x + 1) / 2); };
  return floor_half(last) - floor_half(a - 1);
}

RandomNumberDraw draw_random_numbers(const RandomNumberInputs& inputs, PlanningRandom& random,
                                     char decimal_separator) {
  RandomNumberDraw result;
  const auto bound = [&](const std::string& text, const char* caption) -> std::optional<double> {
    if (text.empty()) return -1.0;
    const std::optional<float> value = core::parse_number(text, decimal_separator);
    if (!value) {
      result.message = std::string(caption) + ": \"" + text + "\" is not a number.";
      return std::nullopt;
    }
    return static_cast<double>(*value);
  };
  const std::optional<double> a = bound(inputs.Edit14, "Range from");
  if (!a) return result;
  const std::optional<double> b = bound(inputs.Edit16, "to");
  if (!b) return result;
  if (inputs.Edit15.empty()) {
    result.message_entry = kInvalidRandomNumberInput.number;
    return result;
  }
  const std::optional<long long> k = parse_whole_number(inputs.Edit15);
  if (!k) {
    result.message = "Numbers: \"" + inputs.Edit15 + "\" is not a whole number.";
    return result;
  }
  const double range = round_half_even(*b - *a) + 1.0;
  if (!(*a >= 0) || !(*b >= 0) || *k <= 0 || !(range > 0) || static_cast<double>(*k) > range) {
    result.message_entry = kInvalidRandomNumberInput.number;
    return result;
  }
  if (range > kLargestRange) {
    result.message = "The range is too wide: at most 4294967295 numbers.";
    return result;
  }
  if (*k > kMaxRandomNumbers) {
    result.message = "At most " + std::to_string(kMaxRandomNumbers) + " numbers can be drawn.";
    return result;
  }
  const long long n = static_cast<long long>(range);
  const long long distinct = distinct_rounded_values(*a, n);
  if (*k > distinct) {
    result.message = "The range from " + inputs.Edit14 + " to " + inputs.Edit16 + " holds only " +
                     std::to_string(distinct) +
                     " different whole numbers once rounded: please ask for at most " +
                     std::to_string(distinct) + ", or give whole numbers as bounds.";
    return result;
  }
  std::unordered_set<long long> seen;
  result.numbers.reserve(static_cast<std::size_t>(*k));
  while (static_cast<long long>(result.numbers.size()) < *k) {
    const double candidate = static_cast<double>(random.next(static_cast<std::uint32_t>(n))) + *a;
    const long long value = static_cast<long long>(round_half_even(candidate));
    if (seen.insert(value).second) result.numbers.push_back(value);
  }
  return result;
}

document::DocumentBuffer random_number_document(const RandomNumberInputs& inputs,
                                               const std::vector<long long>& numbers) {
  document::DocumentBuffer doc;
  doc << document::rtf::kHeaderWithoutMargins << R"(Random Number table \b0\fs24\par \par )";
  doc << "Range: " << inputs.Edit14 << " to " << inputs.Edit16 << ", Number: " << inputs.Edit15
      << R"(\par\par )";
  for (const long long number : numbers) doc << std::to_string(number) << "\t";
  doc << R"(\par\pard\par )";
  return doc;
}

}  // namespace olvar::planning
