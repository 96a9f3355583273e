#pragma once
// The Options page as the analysis reads it, read once into numbers: the row selection, the
// exclusion mode and its bounds, the five age groups, the MUAC cut-offs with the texts the
// outputs print, the expected proportions of the plausibility check and the small-population
// correction inputs. Every output (results page, results report, plausibility report, weighted
// analysis, calculator, export, batch analysis, graphs) takes this value, so one survey gives
// the same numbers everywhere.
//
//   const AnalysisSettings settings = analysis_settings(workspace.options, ',', planning);
//   AnalysisTable whz = SG6_uebergabe(survey, settings, Transfer::excluding(StdVar::whz));

#include <array>
#include <string>
#include <vector>

#include "analysis/age_table_values.h"
#include "analysis/prevalence_values.h"
#include "anthro/flags.h"
#include "core/options_page.h"
#include "stats/cluster_estimate.h"

namespace olvar::analysis {

// Row selection of the Options page: the age range (months) and the height range (cm), each on
// or off, bounds included. A bound that does not read as a number is -99999, as the tolerant
// parse gives it, so an unreadable lower bound lets every row pass it.
struct AnalysisSelection {
  bool zr = false;
  float zrl = 6.0f;
  float zrh = 59.99f;
  bool zh = false;
  float zhl = 67.0f;
  float zhh = 110.0f;
};

// The value reading substitutes for a bound that is not a number (the tolerant parse's).
inline constexpr double kUnreadableBound = -99999.0;

// A default value is what the default Options page reads as.
struct AnalysisSettings {
  AnalysisSelection selection;
  anthro::ExclusionMode mode = anthro::kDefaultExclusionMode;
  anthro::FlagParameters flags;
  char decimal_separator = '.';

  // Age groups 1 to 5 (`Edit2`-`Edit3` ... `Edit10`-`Edit11`), always five. A child belongs to a
  // group when lower <= MONTHS < upper + 1 (AgeGroup::contains); an unreadable bound is
  // kUnreadableBound, and a group with a negative lower bound is switched off where the outputs
  // list groups by their lower bounds.
  std::vector<AgeGroup> age_groups = {{6, 17}, {18, 29}, {30, 41}, {42, 53}, {54, 59}};
  std::array<std::string, 5> age_lower_texts = {"6", "18", "30", "42", "54"};  // as typed, trimmed
  std::array<std::string, 5> age_upper_texts = {"17", "29", "41", "53", "59"};

  // `muac1` and `muac2`: a text that is not a number above 0 takes the default 115 / 125 mm.
  MuacCutoffs muac;
  std::string muac_severe_text = "115";  // the cut-offs as printed: as typed, or the default
  std::string muac_moderate_text = "125";

  // Expected relative numbers of boys (`epc01`, `epc03`, ...) and girls (`epc02`, `epc04`, ...)
  // per age group, for the plausibility check's age ratio.
  std::array<double, 5> expected_boys = {1000, 965, 945, 930, 920};
  std::array<double, 5> expected_girls = {1000, 965, 945, 930, 920};

  // The small-population correction (`csps1` and the Planning page's sizes).
  stats::PopulationCorrectionInputs population_correction;

  // "lower-upper" of group g (0 ... 4) as the page shows it.
  std::string age_group_label(std::size_t g) const {
    return age_lower_texts[g] + "-" + age_upper_texts[g];
  }
};

// The name the transfer's callers used before the settings held more than the transfer needs.
using AnalysisOptions = AnalysisSettings;

// The one reading of the Options page. Numbers are read with the decimal separator of the
// system (a decimal comma is read where the system uses one).
AnalysisSettings analysis_settings(const core::OptionsPage& options, char decimal_separator,
                                   const stats::PopulationCorrectionInputs& population_correction = {});

}  // namespace olvar::analysis
