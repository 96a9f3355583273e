#pragma once
// What the z-score engine reads and what it gives back. A caller fills a Measurement, runs the
// engine for the selected reference and reads the AnthroResult; nothing carries over between
// evaluations.

#include <array>
#include <cmath>
#include <cstdint>

namespace olvar::anthro {

// The reference selector: one setting for the whole program.
enum class Reference { who2006, nchs1977 };

inline constexpr float kNotComputed = 99.0f;  // an index the engine did not compute
// Every consumer treats a z-score of magnitude 20 or more as missing (NaN too).
constexpr bool is_missing_z(float z) { return !(z > -20.0f && z < 20.0f); }

// A measurement read from text in the engine's whole units: value x factor rounded to the
// nearest integer (halves away from zero). Absurd values are held inside the 32-bit range, where
// no index accepts them, instead of overflowing.
inline std::int32_t engine_units(float value, double factor) {
  const double scaled = std::round(static_cast<double>(value) * factor);
  if (!(scaled > -2.0e9)) return -2'000'000'000;  // NaN too
  if (scaled > 2.0e9) return 2'000'000'000;
  return static_cast<std::int32_t>(scaled);
}

struct Measurement {
  char sex = ' ';                     // 'm', 'f' (or 'w'); anything else = not given
  std::int32_t weight_g = 0;          // grams
  std::int32_t height_cm_x1000 = 0;   // length or height in cm times 1000
  std::int32_t muac_mm_x100 = 0;      // MUAC in mm times 100
  char position = ' ';                // 'l' lying, 'h' standing, anything else = not given
  char oedema = ' ';                  // 'y' = bilateral oedema
  char clothes = ' ';                 // 'y' = weighed with clothes
  std::int32_t clothes_weight_g = 0;  // subtracted when clothes is 'y' and at least 1 g
  double age_days = -1.0;             // negative = missing
};

// The WHO curve points are the reference values at z = -3, -2, -1.88, -1.036, 0, 1.036, 1.88,
// 2, 3; the NCHS ones are P3, P50 and P97 in the first three places.
inline constexpr std::array<double, 9> kWhoCurveZ = {-3.0,  -2.0, -1.88, -1.036, 0.0,
                                                     1.036, 1.88, 2.0,   3.0};

struct IndexResult {
  float z = kNotComputed;
  double percentile = 0.0;     // 0 to 100; 0 when not computed
  double pct_of_median = 0.0;  // 0 when not computed
  std::array<double, 9> curve_points{};
  bool computed() const { return !is_missing_z(z); }
};

struct AnthroResult {
  IndexResult waz, haz, whz, baz, muacz;
  float bmi = 0.0f;                     // kg/m^2; 0 when not computed
  char position = ' ';                  // measuring position after the engine's rules
  std::int32_t effective_weight_g = 0;  // weight after the clothes correction
};

}  // namespace olvar::anthro
