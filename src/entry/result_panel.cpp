#include "entry/result_panel.h"

#include <algorithm>
#include <cmath>

#include "anthro/flags.h"
#include "core/text_conversions.h"

namespace olvar::entry {
namespace {

PercentileBar bar_of(const anthro::IndexResult& index, anthro::FlagIndex which,
                     anthro::Reference reference, const core::FlagParameters& flags,
                     char separator) {
  PercentileBar bar;
  bar.computed = index.computed();
  bar.outside_range = true;
  if (!bar.computed) {
    bar.z_text = "NA";
    return bar;
  }
  bar.percentile = std::clamp(index.percentile, 0.0, 100.0);
  bar.marker_x = bar.percentile * kPixelsPerPercentile;
  bar.percentile_text = core::format_fixed(index.percentile, 3, 1, separator);
  bar.z_text = core::format_fixed(index.z, 4, 2, separator);
  if (reference == anthro::Reference::nchs1977) {
    bar.pct_median_text = std::to_string(std::lround(index.pct_of_median)) + " ";
  }
  bar.outside_range =
      anthro::is_flagged(index.z, which, anthro::ExclusionMode::epi_info, 0.0, flags, separator);
  return bar;
}

}  // namespace

ResultPanel make_result_panel(const anthro::AnthroResult& result, double age_days,
                              anthro::Reference reference, const core::FlagParameters& flags,
                              char separator) {
  using anthro::FlagIndex;
  ResultPanel panel;
  panel.waz = bar_of(result.waz, FlagIndex::waz, reference, flags, separator);
  panel.haz = bar_of(result.haz, FlagIndex::haz, reference, flags, separator);
  panel.third_is_bmi_for_age =
      reference == anthro::Reference::who2006 && age_days >= kBmiForAgeFromDays;
  // BMI-for-age takes the place of weight-for-height, and with it the range that colours it.
  panel.whz = bar_of(panel.third_is_bmi_for_age ? result.baz : result.whz, FlagIndex::whz,
                     reference, flags, separator);
  panel.third_label = core::LanguageEntry{panel.third_is_bmi_for_age ? 922 : 844};
  panel.caption_reference =
      core::LanguageEntry{reference == anthro::Reference::who2006 ? 964 : 963};
  return panel;
}

}  // namespace olvar::entry
