#pragma once
// Crude and under-five death rates per 10,000 persons per day from the two mortality tables of
// the Death Rates page, with 95% intervals and design effects for a cluster sample.
//
// Household level: one row per household with head counts; its cluster sums form the household
// results table (editable by the user), from which the rates are computed. Individual level:
// one row per household with up to 20 persons; each person counts 1 person-equivalent when
// present through the whole recall period and 0.5 with exactly one event (joined, left, born
// or died). Rates, intervals and design effects come from the cluster estimators.
//
//   const RecallPeriod recall = read_recall_period(workspace.rd_hh);
//   if (!recall.days) show(recall.message);
//   const IndividualResults r = individual_results(workspace.mortality_individuals,
//                                                  age_groups(AgeGrouping::five_years, opts),
//                                                  *recall.days);

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/options_page.h"
#include "core/text_grid.h"
#include "stats/cluster_estimate.h"

namespace olvar::mortality {

// Columns of a person in the individual table: person k (1 ... 20) starts at column 8k - 3.
inline constexpr int kPersons = 20;
inline constexpr int kFirstAdditionalColumn = 165;
enum PersonField { sex = 0, age, joined, left, born, died, cause, location };
constexpr int person_column(int person, PersonField field) { return 8 * person - 3 + field; }

// Columns of the household mortality table (data rows from row 2).
inline constexpr int kHouseholdFirstRow = 2;

// A whole number as the death rates read it: spaces around it allowed, an optional sign, digits
// only. Empty, "2.5" or "abc" give nothing.
std::optional<long> read_whole_number(std::string_view text);

// The recall period in days, R of the rate factor 10000 / R. A text that is not a whole number
// above 0 gives no days and a message naming the field and its text.
struct RecallPeriod {
  std::optional<int> days;
  std::string message;
};
RecallPeriod read_recall_period(std::string_view rd_hh);

// One rate with its interval. `computed` is false without person-time; `interval_available` is
// false when there are more deaths than person-equivalents (a proportion above 1 has no
// interval), and `note` says why.
struct Rate {
  bool computed = false;
  bool interval_available = false;
  double rate = 0.0;   // per 10,000 persons per day
  double lower = 0.0;  // 95% limits, same unit
  double upper = 0.0;
  double design_effect = 1.0;
  double deaths = 0.0;
  double population = 0.0;  // person-equivalents
  double person_days = 0.0;
  int clusters = 0;  // clusters with person-time
  std::string note;
  // Whether the small-population correction of the Planning page was applied to the interval;
  // the caller shows Language entry 94 once when the sample exceeds the population.
  stats::PopulationCorrection correction = stats::PopulationCorrection::not_requested;
};

// The rate, interval and design effect of deaths (a) over person-equivalents (m) of the
// records, one per cluster; the rate is over all records, the interval and the design effect
// leave out records with m <= 0.
Rate rate_from_clusters(const std::vector<stats::ClusterRecord>& records, int recall_days,
                        const stats::PopulationCorrectionInputs& planning = {});

// "0.45 (0.31-0.65)": the fixed number format (4, 2) without padding. Without an interval the
// rate is followed by the note; without a rate the text is empty.
std::string rate_text(const Rate& rate);
std::string design_effect_text(const Rate& rate);

// ---- Household level ----

// The household results table: two heading rows, then cluster c in row c + 1 (c = 1 ... 999)
// holding in columns 1 to 9 the sums of the household table's columns 3, 5, 7, 4, 6, 8, 9, 10,
// 11 (members now, joined, left; under five: members now, joined, left, births; deaths, deaths
// under five) over the household rows whose Cluster text is c in digits. A sum cell stays empty
// when every household cell it adds is empty. Heading cells are left to the caller.
inline constexpr int kMaxClusters = 999;
inline constexpr int kResultsFirstRow = 2;
core::TextGrid household_results_table(const core::TextGrid& households);
// The household rows (from row 2) with a count filled whose Cluster is not such a number (empty
// included): the results table has no row for them, so their persons are in no rate.
int households_with_unusable_cluster(const core::TextGrid& households);
// What the user is told of them: "N households left out because their Cluster is not a whole
// number from 1 to 999", and the same of the persons of the individual level.
std::string households_left_out_text(int households);
std::string persons_left_out_text(int persons);

struct HouseholdResults {
  int clusters = 0;              // rows counted (members now not empty)
  std::array<long, 9> totals{};  // column sums of the counted rows
  bool totals_shown = false;     // more than one cluster counted
  Rate crude;
  Rate under_five;
};
// Rates from the household results table as the grid holds it (rows 2 ... from the cells,
// whole numbers, 0 for anything else); a row counts when its column 1 is not empty.
HouseholdResults household_rates(const core::TextGrid& results_table, int recall_days,
                                 const stats::PopulationCorrectionInputs& planning = {});

// ---- Individual level ----

struct AgeGroup {
  int low = 0;
  int high = 0;
  std::string label() const { return std::to_string(low) + "-" + std::to_string(high); }
};
enum class AgeGrouping { flexible, five_years, ten_years };
// The age groups of a choice; the flexible groups come from the Options page's mortality bounds
// `ma01` ... `ma12`, the list ending before the first group with an unreadable or negative bound.
std::vector<AgeGroup> age_groups(AgeGrouping grouping, const core::OptionsPage& options);

// Population weight of one person from the cells Joined, Left, Born, Died: 1 with no event, 0.5
// with exactly one event written "y", 0 otherwise.
double person_weight(std::string_view joined, std::string_view left, std::string_view born,
                     std::string_view died);

// A row of the cluster and age-group tables: person-equivalents and event counts.
struct PersonTotals {
  double population = 0.0;
  double males = 0.0;
  double females = 0.0;
  long joined = 0, left = 0, born = 0, died = 0;
  bool empty() const {
    return population == 0.0 && males == 0.0 && females == 0.0 && joined == 0 && left == 0 &&
           born == 0 && died == 0;
  }
  PersonTotals& operator+=(const PersonTotals& other);
};

struct ClusterTotals {
  int cluster = 0;
  PersonTotals totals;
};

struct SubgroupRate {
  std::string name;  // "Overall", "Male", "Female", an age-group label
  Rate rate;
};

struct IndividualResults {
  std::vector<AgeGroup> groups;
  Rate crude;                          // all persons
  Rate under_five;                     // persons aged 0-4 years, whatever the grouping
  Rate male, female;
  std::vector<Rate> by_age_group;      // one per group
  std::vector<ClusterTotals> clusters; // all persons, clusters with any person, in number order
  PersonTotals cluster_sum;
  std::vector<PersonTotals> age_table; // one per group
  PersonTotals age_sum;
  std::array<long, 7> causes{};        // persons with cause code 1 ... 7
  std::array<long, 4> locations{};     // persons with location code 1 ... 4
  std::array<double, 7> cause_percent{};
  std::array<double, 4> location_percent{};
  // Persons (any of sex, age, joined, left, born or died filled) in rows whose Cluster is not a
  // whole number 1 ... 999, empty included: they are in no rate and no table above.
  int persons_with_unusable_cluster = 0;
};
IndividualResults individual_results(const core::TextGrid& individuals,
                                     const std::vector<AgeGroup>& groups, int recall_days,
                                     const stats::PopulationCorrectionInputs& planning = {});

// The worst state of the small-population correction over the rates: a sample larger than the
// population before unreadable inputs before applied before not requested.
stats::PopulationCorrection correction_state(const std::vector<const Rate*>& rates);
std::vector<const Rate*> all_rates(const IndividualResults& results);

// The lines of the rates as the results pages show them: crude death rate, under-five death
// rate, then male, female and one per age group (individual level only).
std::vector<SubgroupRate> rate_lines(const IndividualResults& results);

// Last used individual row: the highest row with column 2, 3 or 4 filled; 0 when none.
int last_individual_row(const core::TextGrid& individuals);
// Last used household row: the highest row from row 2 with column 1 or 2 filled; 1 when none.
int last_household_row(const core::TextGrid& households);

}  // namespace olvar::mortality

namespace olvar::core { struct Workspace; }

namespace olvar::mortality {

// The recall period the rates use: the Planning page's recall period (`sm_d`) when it is
// filled, as showing the Death Rates page copies it into `rd_hh`, else `rd_hh` as stored.
std::string recall_period_text(const core::Workspace& workspace);

// The rates as tab-separated lines: a heading line "name, rate, lower, upper, design effect,
// deaths, person-days", then one line per rate. A rate without person-time has only its name;
// one without an interval says "not computable" in both limits.
std::string rate_table_text(const std::vector<SubgroupRate>& lines);

}  // namespace olvar::mortality
