#include "mortality/death_rates.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>

#include "core/text_conversions.h"

namespace olvar::mortality {

namespace {

std::string_view trim_leading(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

// The cluster number of a Cluster cell: its text, leading spaces removed, must be a number
// 1 ... 999 written in plain digits ("01" or "1 " name no cluster).
std::optional<int> cluster_number(std::string_view cell, bool allow_leading_spaces) {
  const std::string_view text = allow_leading_spaces ? trim_leading(cell) : cell;
  if (text.empty() || text.size() > 3 || text.front() == '0') return std::nullopt;
  if (!std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
    return std::nullopt;
  return std::stoi(std::string(text));
}

char lower_sex(std::string_view cell) {
  return cell.size() == 1 ? static_cast<char>(std::tolower(static_cast<unsigned char>(cell[0])))
                          : '\0';
}

long whole_or_zero(std::string_view text) { return read_whole_number(text).value_or(0); }

int round_half_even(double value) { return static_cast<int>(std::nearbyint(value)); }

}  // namespace

std::optional<long> read_whole_number(std::string_view text) {
  text = core::trim_spaces(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

RecallPeriod read_recall_period(std::string_view rd_hh) {
  RecallPeriod r;
  const std::optional<long> days = read_whole_number(rd_hh);
  if (days && *days > 0 && *days <= 100000) {
    r.days = static_cast<int>(*days);
  } else {
    r.message = "The recall period (days) \"" + std::string(rd_hh) +
                "\" is not a whole number above 0: no death rate can be computed. Enter the "
                "recall period on the Planning page.";
  }
  return r;
}

Rate rate_from_clusters(const std::vector<stats::ClusterRecord>& records, int recall_days,
                        const stats::PopulationCorrectionInputs& planning) {
  Rate r;
  // The rate is over every record: a cluster without person-time (a child born and died in a
  // cluster with no other child under five) still brings its deaths; it only takes no part in
  // the interval.
  for (const stats::ClusterRecord& c : records) {
    r.population += c.m;
    r.deaths += c.a;
    if (c.m > 0.0) ++r.clusters;
  }
  if (!(r.population > 0.0) || recall_days <= 0) return r;
  const double factor = 10000.0 / recall_days;
  r.computed = true;
  r.rate = r.deaths / r.population * factor;
  r.person_days = r.population * recall_days;
  r.design_effect = stats::DesignEffect(records);
  // A proportion of deaths of 1 or more has no interval: the logit is undefined and the score
  // interval would take the square root of a negative number.
  if (r.deaths >= r.population) {
    r.note = r.deaths > r.population
                 ? "interval cannot be computed: more deaths than person-equivalents"
                 : "interval cannot be computed: as many deaths as person-equivalents";
    r.design_effect = 1.0;
    return r;
  }
  const stats::ClusterEstimate e =
      stats::ClusterPrevalenceCI(records, stats::SurveyKind::mortality, planning);
  r.interval_available = true;
  r.correction = e.population_correction;
  r.lower = e.a.lower * factor / 100.0;
  r.upper = e.a.upper * factor / 100.0;
  return r;
}

std::string rate_text(const Rate& rate) {
  if (!rate.computed) return {};
  std::string text = core::format_fixed_trimmed(rate.rate, 4, 2);
  if (!rate.interval_available) return text + " (" + rate.note + ")";
  return text + " (" + core::format_fixed_trimmed(rate.lower, 4, 2) + "-" +
         core::format_fixed_trimmed(rate.upper, 4, 2) + ")";
}

std::string design_effect_text(const Rate& rate) {
  if (!rate.computed || !rate.interval_available) return {};
  return core::format_fixed_trimmed(rate.design_effect, 4, 2);
}

// ---- Household level ----

int last_household_row(const core::TextGrid& households) {
  for (int row = households.row_count() - 1; row >= kHouseholdFirstRow; --row) {
    if (!households.cell(1, row).empty() || !households.cell(2, row).empty()) return row;
  }
  return kHouseholdFirstRow - 1;
}

namespace {
// Results column j (1 ... 9) sums household column kSource[j - 1].
constexpr std::array<int, 9> kSource = {3, 5, 7, 4, 6, 8, 9, 10, 11};
}  // namespace

std::string households_left_out_text(int households) {
  return std::to_string(households) +
         " households left out because their Cluster is not a whole number from 1 to 999";
}

std::string persons_left_out_text(int persons) {
  return std::to_string(persons) +
         " persons left out because the Cluster of their household is not a whole number from 1 "
         "to 999";
}

int households_with_unusable_cluster(const core::TextGrid& households) {
  int left_out = 0;
  for (int row = kHouseholdFirstRow; row < households.row_count(); ++row) {
    if (cluster_number(households.cell(2, row), false)) continue;
    left_out += std::any_of(kSource.begin(), kSource.end(),
                            [&](int column) { return !households.cell(column, row).empty(); });
  }
  return left_out;
}

core::TextGrid household_results_table(const core::TextGrid& households) {
  core::TextGrid table(10, kResultsFirstRow + kMaxClusters);
  std::vector<std::array<std::optional<long>, 9>> sums(kMaxClusters + 1);
  for (int row = kHouseholdFirstRow; row < households.row_count(); ++row) {
    const std::optional<int> c = cluster_number(households.cell(2, row), false);
    if (!c) continue;
    for (int j = 0; j < 9; ++j) {
      const std::string_view cell = households.cell(kSource[j], row);
      if (cell.empty()) continue;
      sums[*c][j] = sums[*c][j].value_or(0) + whole_or_zero(cell);
    }
  }
  for (int c = 1; c <= kMaxClusters; ++c) {
    const int row = c + kResultsFirstRow - 1;
    table.set_cell(0, row, std::to_string(c));
    for (int j = 0; j < 9; ++j) {
      if (sums[c][j]) table.set_cell(j + 1, row, std::to_string(*sums[c][j]));
    }
  }
  return table;
}

HouseholdResults household_rates(const core::TextGrid& results_table, int recall_days,
                                 const stats::PopulationCorrectionInputs& planning) {
  HouseholdResults h;
  std::vector<stats::ClusterRecord> crude;
  std::vector<stats::ClusterRecord> under_five;
  for (int row = kResultsFirstRow; row < results_table.row_count(); ++row) {
    if (results_table.cell(1, row).empty()) continue;
    std::array<double, 10> c{};
    for (int j = 1; j <= 9; ++j) {
      const long v = whole_or_zero(results_table.cell(j, row));
      c[j] = static_cast<double>(v);
      h.totals[j - 1] += v;
    }
    ++h.clusters;
    // Person-equivalents: members now, plus half the deaths, minus half the births, plus half
    // those who left, minus half those who joined (each was present for about half the period).
    crude.push_back({"", c[1] + c[8] / 2 - c[7] / 2 + c[3] / 2 - c[2] / 2, c[8], 0, 0});
    under_five.push_back({"", c[4] + c[9] / 2 - c[7] / 2 + c[6] / 2 - c[5] / 2, c[9], 0, 0});
  }
  h.totals_shown = h.clusters > 1;
  h.crude = rate_from_clusters(crude, recall_days, planning);
  h.under_five = rate_from_clusters(under_five, recall_days, planning);
  return h;
}

// ---- Individual level ----

std::vector<AgeGroup> age_groups(AgeGrouping grouping, const core::OptionsPage& options) {
  std::vector<AgeGroup> groups;
  switch (grouping) {
    case AgeGrouping::five_years:
      for (int low = 0; low < 85; low += 5) groups.push_back({low, low + 4});
      groups.push_back({85, 120});
      break;
    case AgeGrouping::ten_years:
      for (int low = 0; low < 80; low += 10) groups.push_back({low, low + 9});
      groups.push_back({80, 120});
      break;
    case AgeGrouping::flexible: {
      const std::array<const std::string*, 12> bounds = {
          &options.ma01, &options.ma02, &options.ma03, &options.ma04, &options.ma05, &options.ma06,
          &options.ma07, &options.ma08, &options.ma09, &options.ma10, &options.ma11, &options.ma12};
      for (std::size_t i = 0; i < bounds.size(); i += 2) {
        const int low = round_half_even(core::parse_tolerant(*bounds[i]));
        // Only the lower bounds and the last upper bound are kept with a survey: the upper
        // bound of groups 1 to 5 is the next lower bound minus 1, so that a survey whose
        // groups were moved does not leave ages between two groups. A next lower bound that
        // cannot be read leaves the upper bound as the field holds it.
        int high = round_half_even(core::parse_tolerant(*bounds[i + 1]));
        if (i + 2 < bounds.size()) {
          const float next_low = core::parse_tolerant(*bounds[i + 2]);
          if (next_low != -99999.0f) high = round_half_even(next_low) - 1;
        }
        if (low < 0 || high < 0) break;
        groups.push_back({low, high});
      }
      break;
    }
  }
  return groups;
}

double person_weight(std::string_view joined, std::string_view left, std::string_view born,
                     std::string_view died) {
  int events = 0;
  for (const std::string_view cell : {joined, left, born, died}) {
    const std::string_view text = trim_leading(cell);
    if (text.empty()) continue;
    if (text != "y") return 0.0;
    ++events;
  }
  return events == 0 ? 1.0 : events == 1 ? 0.5 : 0.0;
}

PersonTotals& PersonTotals::operator+=(const PersonTotals& o) {
  population += o.population;
  males += o.males;
  females += o.females;
  joined += o.joined;
  left += o.left;
  born += o.born;
  died += o.died;
  return *this;
}

int last_individual_row(const core::TextGrid& individuals) {
  for (int row = individuals.row_count() - 1; row >= 1; --row) {
    for (int column = 2; column <= 4; ++column) {
      if (!individuals.cell(column, row).empty()) return row;
    }
  }
  return 0;
}

namespace {

struct Person {
  int cluster = 0;
  std::string_view sex, age, joined, left, born, died;
};

void add_person(PersonTotals& t, const Person& p) {
  if (!p.joined.empty()) ++t.joined;
  if (!p.left.empty()) ++t.left;
  if (!p.born.empty()) ++t.born;
  if (!p.died.empty()) ++t.died;
  const char sex = lower_sex(p.sex);
  if (sex != 'm' && sex != 'f') return;
  const double w = person_weight(p.joined, p.left, p.born, p.died);
  (sex == 'm' ? t.males : t.females) += w;
  t.population += w;
}

// Age in completed years, or nothing for an empty, unreadable or negative cell.
std::optional<long> person_age(std::string_view cell) {
  const std::optional<long> age = read_whole_number(cell);
  if (age && *age >= 0) return age;
  return std::nullopt;
}

template <typename Select>
std::map<int, PersonTotals> cluster_totals(const std::vector<Person>& persons, Select select) {
  std::map<int, PersonTotals> by_cluster;
  for (const Person& p : persons) {
    if (select(p)) add_person(by_cluster[p.cluster], p);
  }
  return by_cluster;
}

template <typename Select>
Rate subgroup_rate(const std::vector<Person>& persons, Select select, int recall_days,
                   const stats::PopulationCorrectionInputs& planning) {
  // Every cluster where the subgroup has a person goes in, also one where the subgroup has no
  // person-time (a person who joined and died, an infant born and died): its deaths count in
  // the rate, and rate_from_clusters leaves it out of the interval only.
  std::vector<stats::ClusterRecord> records;
  for (const auto& [cluster, t] : cluster_totals(persons, select)) {
    records.push_back({"", t.population, double(t.died), 0, 0});
  }
  return rate_from_clusters(records, recall_days, planning);
}

}  // namespace

IndividualResults individual_results(const core::TextGrid& individuals,
                                     const std::vector<AgeGroup>& groups, int recall_days,
                                     const stats::PopulationCorrectionInputs& planning) {
  IndividualResults r;
  r.groups = groups;
  std::vector<Person> persons;
  const int last = last_individual_row(individuals);
  for (int row = 1; row <= last; ++row) {
    for (int k = 1; k <= kPersons; ++k) {
      // Causes and locations count every person with a code, whatever the cluster or Died.
      const std::string_view code =
          trim_leading(individuals.cell(person_column(k, PersonField::cause), row));
      if (!code.empty() && code[0] >= '1' && code[0] <= '7') ++r.causes[code[0] - '1'];
      const std::string_view location =
          trim_leading(individuals.cell(person_column(k, PersonField::location), row));
      if (location.size() == 1 && location[0] >= '1' && location[0] <= '4')
        ++r.locations[location[0] - '1'];
    }
    const std::optional<int> c = cluster_number(individuals.cell(2, row), true);
    if (!c) {
      for (int k = 1; k <= kPersons; ++k) {
        for (const PersonField field : {sex, age, joined, left, born, died}) {
          if (!individuals.cell(person_column(k, field), row).empty()) {
            ++r.persons_with_unusable_cluster;
            break;
          }
        }
      }
      continue;
    }
    for (int k = 1; k <= kPersons; ++k) {
      persons.push_back({*c, individuals.cell(person_column(k, sex), row),
                         individuals.cell(person_column(k, age), row),
                         individuals.cell(person_column(k, joined), row),
                         individuals.cell(person_column(k, left), row),
                         individuals.cell(person_column(k, born), row),
                         individuals.cell(person_column(k, died), row)});
    }
  }

  const auto all = [](const Person&) { return true; };
  const auto aged = [](int low, int high) {
    return [low, high](const Person& p) {
      const std::optional<long> a = person_age(p.age);
      return a && low <= *a && *a <= high;
    };
  };
  r.crude = subgroup_rate(persons, all, recall_days, planning);
  r.under_five = subgroup_rate(persons, aged(0, 4), recall_days, planning);
  r.male = subgroup_rate(persons, [](const Person& p) { return lower_sex(p.sex) == 'm'; },
                         recall_days, planning);
  r.female = subgroup_rate(persons, [](const Person& p) { return lower_sex(p.sex) == 'f'; },
                           recall_days, planning);
  for (const AgeGroup& g : groups) {
    r.by_age_group.push_back(subgroup_rate(persons, aged(g.low, g.high), recall_days, planning));
  }

  for (const auto& [cluster, t] : cluster_totals(persons, all)) {
    if (t.empty()) continue;
    r.clusters.push_back({cluster, t});
    r.cluster_sum += t;
  }

  // Age-group table: each person in the last group that holds the age.
  r.age_table.assign(groups.size(), {});
  for (const Person& p : persons) {
    const std::optional<long> a = person_age(p.age);
    if (!a) continue;
    for (std::size_t g = groups.size(); g-- > 0;) {
      if (groups[g].low <= *a && *a <= groups[g].high) {
        add_person(r.age_table[g], p);
        break;
      }
    }
  }
  for (const PersonTotals& t : r.age_table) r.age_sum += t;

  if (r.cluster_sum.died > 0) {
    const double deaths = static_cast<double>(r.cluster_sum.died);
    for (std::size_t i = 0; i < 7; ++i) r.cause_percent[i] = r.causes[i] / deaths * 100.0;
    for (std::size_t i = 0; i < 4; ++i) r.location_percent[i] = r.locations[i] / deaths * 100.0;
  }
  return r;
}

stats::PopulationCorrection correction_state(const std::vector<const Rate*>& rates) {
  using stats::PopulationCorrection;
  const auto rank = [](PopulationCorrection c) {
    switch (c) {
      case PopulationCorrection::sample_exceeds_population: return 3;
      case PopulationCorrection::inputs_unreadable: return 2;
      case PopulationCorrection::applied: return 1;
      case PopulationCorrection::not_requested: return 0;
    }
    return 0;
  };
  PopulationCorrection worst = PopulationCorrection::not_requested;
  for (const Rate* r : rates) {
    if (rank(r->correction) > rank(worst)) worst = r->correction;
  }
  return worst;
}

std::vector<const Rate*> all_rates(const IndividualResults& results) {
  std::vector<const Rate*> rates = {&results.crude, &results.under_five, &results.male,
                                    &results.female};
  for (const Rate& r : results.by_age_group) rates.push_back(&r);
  return rates;
}

std::vector<SubgroupRate> rate_lines(const IndividualResults& results) {
  std::vector<SubgroupRate> lines = {{"crude death rate", results.crude},
                                     {"under-five death rate", results.under_five},
                                     {"Male", results.male},
                                     {"Female", results.female}};
  for (std::size_t g = 0; g < results.groups.size(); ++g) {
    lines.push_back({results.groups[g].label(), results.by_age_group[g]});
  }
  return lines;
}

}  // namespace olvar::mortality

#include "core/workspace.h"

namespace olvar::mortality {

std::string recall_period_text(const core::Workspace& workspace) {
  return workspace.planning.sm_d.empty() ? workspace.rd_hh : workspace.planning.sm_d;
}

std::string rate_table_text(const std::vector<SubgroupRate>& lines) {
  std::string out = "name\trate\tlower\tupper\tdesign effect\tdeaths\tperson-days\n";
  for (const SubgroupRate& line : lines) {
    const Rate& r = line.rate;
    out += line.name;
    if (r.computed) {
      const std::string lower =
          r.interval_available ? core::format_fixed_trimmed(r.lower, 4, 2) : "not computable";
      const std::string upper =
          r.interval_available ? core::format_fixed_trimmed(r.upper, 4, 2) : "not computable";
      out += "\t" + core::format_fixed_trimmed(r.rate, 4, 2) + "\t" + lower + "\t" + upper +
             "\t" + core::format_fixed_trimmed(r.design_effect, 4, 2) + "\t" +
             core::format_fixed_trimmed(r.deaths, 12, 0) + "\t" +
             core::format_fixed_trimmed(r.person_days, 12, 1);
    } else {
      out += "\t\t\t\t\t\t";
    }
    out += "\n";
  }
  return out;
}

}  // namespace olvar::mortality
