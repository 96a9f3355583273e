#include "anthro/flags.h"

#include <string_view>

#include "core/text_conversions.h"

namespace olvar::anthro {
namespace {

struct BoundTexts {
  const std::string& low;
  const std::string& high;
};

BoundTexts epi_info_range(const FlagParameters& p, FlagIndex index) {
  switch (index) {
    case FlagIndex::waz:
      return {p.waz_l, p.waz_h};
    case FlagIndex::haz:
      return {p.haz_l, p.haz_h};
    case FlagIndex::whz:
      break;
  }
  return {p.whz_l, p.whz_h};
}

BoundTexts kandu_offsets(const FlagParameters& p, FlagIndex index) {
  switch (index) {
    case FlagIndex::waz:
      return {p.waz_ol, p.waz_oh};
    case FlagIndex::haz:
      return {p.haz_ol, p.haz_oh};
    case FlagIndex::whz:
      break;
  }
  return {p.whz_ol, p.whz_oh};
}

}  // namespace

bool is_flagged(float z, FlagIndex index, ExclusionMode mode, double observed_mean,
                const FlagParameters& parameters, char decimal_separator) {
  // z is held in single precision (read from a three-decimal cell), so the bounds are brought to
  // the same precision: a z equal to a bound at that precision stays.
  switch (mode) {
    case ExclusionMode::epi_info: {
      const BoundTexts b = epi_info_range(parameters, index);
      const float low = core::parse_tolerant(b.low, decimal_separator);
      const float high = core::parse_tolerant(b.high, decimal_separator);
      return low > z || z > high;
    }
    case ExclusionMode::kandu: {
      const BoundTexts b = kandu_offsets(parameters, index);
      const auto low =
          static_cast<float>(observed_mean + core::parse_tolerant(b.low, decimal_separator));
      const auto high =
          static_cast<float>(observed_mean + core::parse_tolerant(b.high, decimal_separator));
      return low > z || z > high;
    }
    case ExclusionMode::none:
      break;
  }
  return false;
}

}  // namespace olvar::anthro
