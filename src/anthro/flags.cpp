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

FlagTest::FlagTest(FlagIndex index, ExclusionMode mode, double observed_mean,
                   const FlagParameters& parameters, char decimal_separator) {
  switch (mode) {
    case ExclusionMode::epi_info: {
      const BoundTexts b = epi_info_range(parameters, index);
      low_ = core::parse_tolerant(b.low, decimal_separator);
      high_ = core::parse_tolerant(b.high, decimal_separator);
      active_ = true;
      break;
    }
    case ExclusionMode::kandu: {
      const BoundTexts b = kandu_offsets(parameters, index);
      low_ = static_cast<float>(observed_mean + core::parse_tolerant(b.low, decimal_separator));
      high_ = static_cast<float>(observed_mean + core::parse_tolerant(b.high, decimal_separator));
      active_ = true;
      break;
    }
    case ExclusionMode::none:
      break;
  }
}

bool is_flagged(float z, FlagIndex index, ExclusionMode mode, double observed_mean,
                const FlagParameters& parameters, char decimal_separator) {
  return FlagTest(index, mode, observed_mean, parameters, decimal_separator).flagged(z);
}

}  // namespace olvar::anthro
