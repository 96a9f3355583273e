#pragma once
// The result panel of the Data View: the indices of the current child as three percentile bars
// with a marker, the percentile and the z-score, and for NCHS the percent of median. A plain
// value; the window draws it.

#include <string>

#include "anthro/measurement.h"
#include "core/flag_parameters.h"
#include "core/language_table.h"

namespace olvar::entry {

// Geometry of a bar in pixels: 0 to 100 percentile points over 150 pixels.
inline constexpr int kBarWidth = 150;
inline constexpr int kBarHeight = 17;
inline constexpr double kPixelsPerPercentile = 1.5;

struct PercentileBar {
  bool computed = false;        // false: the index is missing ("NA")
  double percentile = 0.0;      // 0 to 100
  double marker_x = 0.0;        // the diamond's centre, pixels from the bar's left edge
  std::string percentile_text;  // fixed number format (3, 1); empty when missing
  std::string z_text;           // fixed number format (4, 2), or "NA"
  std::string pct_median_text;  // NCHS only: the rounded percent and a blank; else empty
  bool outside_range = false;   // outside its Epi Info 6 range (a missing index counts so)
};

struct ResultPanel {
  PercentileBar waz, haz, whz;
  // The third bar shows BMI-for-age instead of weight-for-height (WHO, age of 1856 days or
  // more); its label is entry 922 then, else 844.
  bool third_is_bmi_for_age = false;
  core::LanguageEntry third_label{844};
  // The frame caption: entry 1078 followed by 964 (WHO) or 963 (NCHS).
  core::LanguageEntry caption_start{1078};
  core::LanguageEntry caption_reference{964};
};

// Age from which the WHO panel shows BMI-for-age: five years and a little over a month, where
// the weight-for-height standard ends for most children (1856 days).
inline constexpr double kBmiForAgeFromDays = 1856.0;

// The panel for one evaluated row. `flags` gives the Epi Info 6 ranges that colour the z-scores.
ResultPanel make_result_panel(const anthro::AnthroResult& result, double age_days,
                              anthro::Reference reference, const core::FlagParameters& flags,
                              char decimal_separator = '.');

}  // namespace olvar::entry
