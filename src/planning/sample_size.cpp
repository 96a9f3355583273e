#include "planning/sample_size.h"

#include <cmath>
#include <optional>

#include "core/text_conversions.h"
#include "planning/whole_numbers.h"

namespace olvar::planning {

namespace {

// Beyond this a result has no whole-number text (and means nothing as a sample size).
constexpr double kLargestResult = 1e15;

struct Field {
  const char* caption;
  std::string core::PlanningPage::*member;
};

constexpr Field kFields[] = {
    {"Estimated prevalence (%)", &core::PlanningPage::sc_b},
    {"Desired precision (%)", &core::PlanningPage::sc_c},
    {"Design effect", &core::PlanningPage::sc_d},
    {"Average household size", &core::PlanningPage::sc_e},
    {"Children under five (%)", &core::PlanningPage::sc_f},
    {"Non-response households (%)", &core::PlanningPage::sc_g},
    {"Estimated death rate per 10,000 per day", &core::PlanningPage::sm_a},
    {"Desired precision per 10,000 per day", &core::PlanningPage::sm_b},
    {"Design effect (mortality)", &core::PlanningPage::sm_c},
    {"Recall period in days", &core::PlanningPage::sm_d},
    {"Average household size (mortality)", &core::PlanningPage::sm_e},
    {"Non-response households (%, mortality)", &core::PlanningPage::sm_f},
};

// The inputs read with the program's tolerant parse; nullopt for a text that is not a number,
// which makes the computation fail as a division by zero would.
std::optional<double> read(const std::string& text, char decimal_separator) {
  const std::optional<float> value = core::parse_number(text, decimal_separator);
  if (!value) return std::nullopt;
  return static_cast<double>(*value);
}

bool usable(double value) { return std::isfinite(value) && std::fabs(value) < kLargestResult; }

// Puts n and households into the two outputs, or empties both when either failed.
void show(std::optional<double> persons, std::optional<double> households, std::string& persons_out,
          std::string& households_out) {
  if (!persons || !households || !usable(*persons) || !usable(*households)) {
    persons_out.clear();
    households_out.clear();
    return;
  }
  persons_out = whole_number_text(*persons);
  households_out = whole_number_text(*households);
}

bool population_correction(const PlanningSession& session) {
  return session.small_population && session.population_size > kSmallestPopulationSize;
}

}  // namespace

void sc_aChange(const core::PlanningPage& page, PlanningSession& session) {
  SampleSizeOutputs& out = session.outputs;
  const bool all_given = !page.sc_b.empty() && !page.sc_c.empty() && !page.sc_d.empty() &&
                         !page.sc_e.empty() && !page.sc_f.empty() && !page.sc_g.empty();
  if (!all_given) {
    out.Panel7.clear();
    if (page.sc_b.empty() || page.sc_c.empty() || page.sc_d.empty()) out.Panel2.clear();
    return;
  }
  const char sep = session.decimal_separator;
  const auto prevalence = read(page.sc_b, sep), precision = read(page.sc_c, sep),
             design_effect = read(page.sc_d, sep), household_size = read(page.sc_e, sep),
             under_five = read(page.sc_f, sep), non_response = read(page.sc_g, sep);
  if (!prevalence || !precision || !design_effect || !household_size || !under_five ||
      !non_response) {
    show(std::nullopt, std::nullopt, out.Panel2, out.Panel7);
    return;
  }
  const double p = *prevalence / 100.0;
  const double d = *precision / 100.0;
  double n = z_squared(page.cluster_sampling) * *design_effect * p * (1.0 - p) / (d * d);
  // Finite population correction over the children of the population: its under-five share,
  // of whom 90% are of measuring age.
  if (population_correction(session) && *under_five > 0) {
    const double children = static_cast<double>(session.population_size) * *under_five / 100.0 *
                            kUnderFiveMeasuredShare;
    n = n / ((n - 1.0) / children + 1.0);
  }
  const double children_per_household =
      *household_size * *under_five / 100.0 * kUnderFiveMeasuredShare;
  const double households = n / ((1.0 - *non_response / 100.0) * children_per_household);
  show(n, households, out.Panel2, out.Panel7);
}

void sm_aChange(const core::PlanningPage& page, PlanningSession& session) {
  SampleSizeOutputs& out = session.outputs;
  const bool first_four =
      !page.sm_a.empty() && !page.sm_b.empty() && !page.sm_c.empty() && !page.sm_d.empty();
  if (!first_four || page.sm_e.empty() || page.sm_f.empty()) {
    out.Panel10.clear();
    if (!first_four) out.Panel3.clear();
    return;
  }
  const char sep = session.decimal_separator;
  const auto death_rate = read(page.sm_a, sep), precision = read(page.sm_b, sep),
             design_effect = read(page.sm_c, sep), recall_days = read(page.sm_d, sep),
             household_size = read(page.sm_e, sep), non_response = read(page.sm_f, sep);
  if (!death_rate || !precision || !design_effect || !recall_days || !household_size ||
      !non_response) {
    show(std::nullopt, std::nullopt, out.Panel3, out.Panel10);
    return;
  }
  // Rates are per 10,000 persons per day; over the recall period each person contributes
  // sm_d person-days.
  double n = z_squared(page.cluster_sampling) * *design_effect * *death_rate * 10000.0 /
             (*precision * *precision * *recall_days);
  if (population_correction(session)) {
    const double population = static_cast<double>(session.population_size);
    n = n / ((n - 1.0) / population + 1.0);
  }
  const double households = n / (*household_size * (1.0 - *non_response / 100.0));
  show(n, households, out.Panel3, out.Panel10);
}

void recompute_sample_sizes(const core::PlanningPage& page, PlanningSession& session) {
  sc_aChange(page, session);
  sm_aChange(page, session);
}

void SamplingRandomClick(core::PlanningPage& page, bool cluster_sampling,
                         PlanningSession& session) {
  page.cluster_sampling = cluster_sampling;
  const char* design_effect = cluster_sampling ? "1.5" : "1";
  page.sc_d = design_effect;
  page.sm_c = design_effect;
  recompute_sample_sizes(page, session);
}

void csps1Click(bool ticked, const core::PlanningPage& page, PlanningSession& session,
                const core::LanguageTable& text, core::Prompter& prompter) {
  if (session.population_size > kSmallestPopulationSize) {
    session.csps1 = ticked;
    session.small_population = ticked;
    recompute_sample_sizes(page, session);
    return;
  }
  // Taking the tick away needs no population size, so it is not refused.
  if (ticked) prompter.inform(text.text(kNoPopulationForCorrection));
  session.csps1 = false;
  session.small_population = false;
  recompute_sample_sizes(page, session);
}

std::vector<std::string> unreadable_inputs(const core::PlanningPage& page, char decimal_separator) {
  std::vector<std::string> problems;
  for (const Field& field : kFields) {
    const std::string& text = page.*field.member;
    if (!text.empty() && !core::parse_number(text, decimal_separator)) {
      problems.push_back(std::string(field.caption) + ": \"" + text + "\" is not a number");
    }
  }
  return problems;
}

}  // namespace olvar::planning
