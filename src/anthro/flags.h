#pragma once
// The flag rules that keep impossible z-scores out of every analysis: Epi Info 6 flags (fixed
// ranges around the reference mean 0), Kandu flags (a window around the survey's observed mean)
// or no exclusion. The bounds live as the texts of their edit boxes on the Options page and are
// read afresh at every test, so an edit takes effect at once.

#include <optional>
#include <string>

namespace olvar::anthro {

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

// The three indices the flag rules apply to.
enum class FlagIndex { waz, haz, whz };

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
};

// Whether z must be excluded from analysis. Epi Info 6: low > z or z > high. Kandu:
// mean + low offset > z or z > mean + high offset, `observed_mean` being the mean of the index
// over the analysis table. A value on a bound stays. Bounds are read with the tolerant number
// parse, so a text that is not a number acts as -99999.
//   is_flagged(5.001f, FlagIndex::whz, ExclusionMode::epi_info, 0.0, FlagParameters{}) == true
bool is_flagged(float z, FlagIndex index, ExclusionMode mode, double observed_mean,
                const FlagParameters& parameters, char decimal_separator = '.');

// The parameters as saving the options leaves them: a Kandu low offset of magnitude above 10
// becomes "-3", a high offset of magnitude above 10 becomes "3" (a text that is not a number
// counts as -99999, so it is reset too). The Epi Info ranges are kept as typed.
FlagParameters with_offsets_checked(FlagParameters parameters, char decimal_separator = '.');

}  // namespace olvar::anthro
