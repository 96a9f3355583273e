#include "analysis/analysis_settings.h"

#include <optional>

#include "core/text_conversions.h"

namespace olvar::analysis {

namespace {

std::string trimmed(const std::string& text) { return std::string(core::trim_spaces(text)); }

// A cut-off of the page: a number above 0, else the default (as saving the options stores it).
double cutoff(const std::string& text, double fallback, char separator) {
  const std::optional<float> v = core::parse_number(text, separator);
  return v && *v > 0.0f ? static_cast<double>(*v) : fallback;
}

std::string cutoff_text(const std::string& typed, double fallback, char separator) {
  const std::optional<float> v = core::parse_number(typed, separator);
  return v && *v > 0.0f ? trimmed(typed) : core::format_fixed_trimmed(fallback, 3, 0, separator);
}

}  // namespace

AnalysisSettings analysis_settings(const core::OptionsPage& o, char separator,
                                   const stats::PopulationCorrectionInputs& population_correction) {
  AnalysisSettings s;
  s.decimal_separator = separator;
  s.selection = {o.zr,
                 core::parse_tolerant(o.zrl, separator),
                 core::parse_tolerant(o.zrh, separator),
                 o.zh,
                 core::parse_tolerant(o.zhl, separator),
                 core::parse_tolerant(o.zhh, separator)};
  s.mode = o.exclusion;
  s.flags = o.flags;

  const std::array<const std::string*, 10> bounds = {&o.Edit2, &o.Edit3, &o.Edit4, &o.Edit5,
                                                     &o.Edit6, &o.Edit7, &o.Edit8, &o.Edit9,
                                                     &o.Edit10, &o.Edit11};
  const std::array<const std::string*, 10> expected = {&o.epc01, &o.epc02, &o.epc03, &o.epc04,
                                                       &o.epc05, &o.epc06, &o.epc07, &o.epc08,
                                                       &o.epc09, &o.epc10};
  for (std::size_t g = 0; g < 5; ++g) {
    s.age_groups[g] = {core::parse_tolerant(*bounds[2 * g], separator),
                       core::parse_tolerant(*bounds[2 * g + 1], separator)};
    s.age_lower_texts[g] = trimmed(*bounds[2 * g]);
    s.age_upper_texts[g] = trimmed(*bounds[2 * g + 1]);
    s.expected_boys[g] = core::parse_tolerant(*expected[2 * g], separator);
    s.expected_girls[g] = core::parse_tolerant(*expected[2 * g + 1], separator);
  }

  const MuacCutoffs defaults;
  s.muac = {cutoff(o.muac1, defaults.severe, separator),
            cutoff(o.muac2, defaults.moderate, separator)};
  s.muac_severe_text = cutoff_text(o.muac1, defaults.severe, separator);
  s.muac_moderate_text = cutoff_text(o.muac2, defaults.moderate, separator);

  s.population_correction = population_correction;
  return s;
}

}  // namespace olvar::analysis
