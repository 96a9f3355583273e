#include "planning/planning_random.h"

#include <chrono>

#include "planning/whole_numbers.h"

namespace olvar::planning {

std::uint32_t seed_from_time_of_day() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const auto since_midnight = now - floor<days>(now);
  return static_cast<std::uint32_t>(duration_cast<milliseconds>(since_midnight).count());
}

std::optional<std::uint32_t> parse_seed(std::string_view text) {
  const std::optional<long long> value = parse_whole_number(text);
  if (!value || *value < 0 || *value > 4294967295LL) return std::nullopt;
  return static_cast<std::uint32_t>(*value);
}

}  // namespace olvar::planning
