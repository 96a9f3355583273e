#pragma once
// The exclusion mode and the flag parameters as the Options page holds them. They sit here, below
// the z-score code, because the Options page and the settings record (both in this module) carry
// them; the flag test itself lives with the indices (anthro/flags.h), which re-exports these names.

#include <optional>
#include <string>

namespace olvar::core {

// The exclusion mode of the settings record; each has a one-character code.
enum class ExclusionMode { epi_info, kandu, none };

inline constexpr ExclusionMode kDefaultExclusionMode = ExclusionMode::none;

// 'v' Epi Info 6, 'p' Kandu, 'n' none.
constexpr char exclusion_mode_code(ExclusionMode mode) {
  switch (mode) {
    case ExclusionMode::epi_info:
      return 'v';
    case ExclusionMode::kandu:
      return 'p';
    case ExclusionMode::none:
      return 'n';
  }
  return 'n';
}

// The mode of a code; nullopt for any other character (the caller decides the fallback,
// normally kDefaultExclusionMode).
constexpr std::optional<ExclusionMode> exclusion_mode_from_code(char code) {
  switch (code) {
    case 'v':
      return ExclusionMode::epi_info;
    case 'p':
      return ExclusionMode::kandu;
    case 'n':
      return ExclusionMode::none;
    default:
      return std::nullopt;
  }
}

// The flag parameters as the Options page holds them: texts of the edit boxes named after the
// fields. The Epi Info ranges start at these defaults at every start-up and are never stored;
// the Kandu offsets are stored with each survey and come back to -3 and 3 for a new survey.
struct FlagParameters {
  // Epi Info 6 ranges: flagged below low or above high.
  std::string waz_l = "-6", waz_h = "5";
  std::string haz_l = "-6", haz_h = "6";
  std::string whz_l = "-5", whz_h = "5";
  // Kandu offsets from the observed mean.
  std::string waz_ol = "-3", waz_oh = "3";
  std::string haz_ol = "-3", haz_oh = "3";
  std::string whz_ol = "-3", whz_oh = "3";

  friend bool operator==(const FlagParameters&, const FlagParameters&) = default;
};

// The Kandu offsets back to -3 and 3, as for a new survey; the Epi Info ranges stay.
inline void reset_kandu_offsets(FlagParameters& parameters) {
  const FlagParameters defaults;
  parameters.waz_ol = defaults.waz_ol, parameters.waz_oh = defaults.waz_oh;
  parameters.haz_ol = defaults.haz_ol, parameters.haz_oh = defaults.haz_oh;
  parameters.whz_ol = defaults.whz_ol, parameters.whz_oh = defaults.whz_oh;
}

// The parameters as saving the options leaves them: a Kandu low offset of magnitude above 10
// becomes "-3", a high offset of magnitude above 10 becomes "3" (a text that is not a number
// counts as -99999, so it is reset too). The Epi Info ranges are kept as typed.
FlagParameters with_offsets_checked(FlagParameters parameters, char decimal_separator = '.');

}  // namespace olvar::core
