#pragma once
// The flag rules that keep impossible z-scores out of every analysis: Epi Info 6 flags (fixed
// ranges around the reference mean 0), Kandu flags (a window around the survey's observed mean)
// or no exclusion. The bounds live as the texts of their edit boxes on the Options page and are
// read afresh at every test, so an edit takes effect at once.

#include "core/flag_parameters.h"

namespace olvar::anthro {

// The exclusion mode and the flag parameters belong to the Options page (core); the names are
// the same here so that flag code reads as before.
using core::exclusion_mode_code;
using core::exclusion_mode_from_code;
using core::ExclusionMode;
using core::FlagParameters;
using core::kDefaultExclusionMode;
using core::with_offsets_checked;

// The three indices the flag rules apply to.
enum class FlagIndex { waz, haz, whz };

// Whether z must be excluded from analysis. Epi Info 6: low > z or z > high. Kandu:
// mean + low offset > z or z > mean + high offset, `observed_mean` being the mean of the index
// over the analysis table. A value on a bound stays. Bounds are read with the tolerant number
// parse, so a text that is not a number acts as -99999.
//   is_flagged(5.001f, FlagIndex::whz, ExclusionMode::epi_info, 0.0, FlagParameters{}) == true
bool is_flagged(float z, FlagIndex index, ExclusionMode mode, double observed_mean,
                const FlagParameters& parameters, char decimal_separator = '.');

// The same test with its bounds read once, for loops over every row of a table:
// FlagTest(...).flagged(z) == is_flagged(z, ...).
class FlagTest {
 public:
  FlagTest(FlagIndex index, ExclusionMode mode, double observed_mean,
           const FlagParameters& parameters, char decimal_separator = '.');
  bool flagged(float z) const { return active_ && (low_ > z || z > high_); }

 private:
  bool active_ = false;
  float low_ = 0;
  float high_ = 0;
};

}  // namespace olvar::anthro
