#pragma once
// Sample sizes of the Planning page: how many children an anthropometric survey and how many
// persons a mortality survey must include, and how many households that means. Recomputed on
// every change of an input, of the sampling kind and of the small-population correction.
//
// The inputs are the page's edit boxes (core::PlanningPage, stored in the survey file); the
// outputs and the correction switch are not stored and live in PlanningSession.

#include <string>
#include <string_view>
#include <vector>

#include "core/language_table.h"
#include "core/prompter.h"
#include "core/workspace.h"

namespace olvar::planning {

// Squared standard scores: 1.96 for a simple random sample; 2.045 for a cluster sample, the t
// value of 29 degrees of freedom for the usual 30 clusters.
inline constexpr double kZSquaredRandom = 3.8416;
inline constexpr double kZSquaredCluster = 4.182025;
constexpr double z_squared(bool cluster_sampling) {
  return cluster_sampling ? kZSquaredCluster : kZSquaredRandom;
}

// Children under five as counted in a household listing: 90% of the under-five share, since
// children below 6 months are not measured.
inline constexpr double kUnderFiveMeasuredShare = 0.9;

// A population size up to this many persons counts as none.
inline constexpr long long kSmallestPopulationSize = 100;

// Language entry: the correction needs a population size above 100.
inline constexpr core::LanguageEntry kNoPopulationForCorrection{94};

// The read-only outputs, whole numbers as text or empty.
struct SampleSizeOutputs {
  std::string Panel2;   // children to be included
  std::string Panel7;   // households for the children
  std::string Panel3;   // persons to be included (mortality)
  std::string Panel10;  // households for the persons
};

// What the Planning page holds besides the stored fields; none of it is saved with the survey.
struct PlanningSession {
  SampleSizeOutputs outputs;
  bool csps1 = false;             // the check box "Correction small population size"
  bool small_population = false;  // the switch the formulas read; set only by csps1Click
  long long population_size = 0;  // PopSize_field, the total of the cluster sampling table
  char decimal_separator = '.';
};

// Anthropometric sample size (`sc_aChange`): Panel2 and Panel7 from sc_b ... sc_g.
// With every input given: n = z^2 x sc_d x p(1 - p) / d^2, corrected for a small population when
// the switch is on, households = n / ((1 - sc_g/100) x sc_e x sc_f/100 x 0.9), each rounded
// halves to even. With an input empty, Panel7 is emptied and Panel2 too unless sc_b, sc_c and
// sc_d are given (it keeps its value then). Any arithmetic failure (a division by zero, a text
// that is not a number) empties both.
void sc_aChange(const core::PlanningPage& page, PlanningSession& session);

// Mortality sample size (`sm_aChange`): Panel3 and Panel10 from sm_a ... sm_f.
// n = z^2 x sm_c x sm_a x 10000 / (sm_b^2 x sm_d), corrected for a small population when the
// switch is on, households = n / (sm_e x (1 - sm_f/100)); the same emptying rules.
void sm_aChange(const core::PlanningPage& page, PlanningSession& session);

// Both, as when the page is shown.
void recompute_sample_sizes(const core::PlanningPage& page, PlanningSession& session);

// The sampling kind change (`SamplingRandomClick`): random sampling sets both design effects to
// "1" (the page locks them), cluster sampling to "1.5"; then both sample sizes are recomputed.
void SamplingRandomClick(core::PlanningPage& page, bool cluster_sampling, PlanningSession& session);

// The correction box clicked (`csps1Click`), `ticked` its new state. With a population size above
// 100 the switch follows the box and the sample sizes are recomputed. Ticking it without one shows
// Language entry 94, removes the tick and leaves the switch off.
void csps1Click(bool ticked, const core::PlanningPage& page, PlanningSession& session,
                const core::LanguageTable& text, core::Prompter& prompter);

// Why an output is empty, for the page and the command-line tool: one line per input that is
// not a number ("Estimated prevalence (%): \"2o\" is not a number"); empty when all read.
std::vector<std::string> unreadable_inputs(const core::PlanningPage& page,
                                           char decimal_separator = '.');

}  // namespace olvar::planning
