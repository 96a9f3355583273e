#pragma once
// The pseudo-random generator of the Planning page's draws (cluster assignment, random number
// table). A linear congruential generator on a 32-bit state, so that a draw made with a known
// seed can be repeated to the number by anyone who audits it:
//
//   state <- state x 134775813 + 1 (mod 2^32);   Random(N) = upper 32 bits of N x state
//
//   PlanningRandom random(seed_from_time_of_day());
//   const std::uint32_t start = random.next(interval);  // 0 .. interval - 1

#include <cstdint>
#include <optional>
#include <string_view>

namespace olvar::planning {

class PlanningRandom {
 public:
  explicit PlanningRandom(std::uint32_t seed) : state_(seed) {}

  // A whole number from 0 to range - 1 (0 for a range of 0). Advances the state first.
  std::uint32_t next(std::uint32_t range) {
    state_ = state_ * 134775813u + 1u;  // unsigned arithmetic wraps modulo 2^32
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(range) * state_) >> 32);
  }

  std::uint32_t state() const { return state_; }

 private:
  std::uint32_t state_;
};

// The default seed: milliseconds since midnight of the system's UTC clock.
std::uint32_t seed_from_time_of_day();

// A seed typed by the user: a whole number from 0 to 4294967295, blanks around it allowed.
// nullopt for anything else.
std::optional<std::uint32_t> parse_seed(std::string_view text);

}  // namespace olvar::planning
