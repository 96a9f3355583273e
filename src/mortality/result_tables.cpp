#include "mortality/result_tables.h"

#include <array>
#include <vector>

#include "core/text_conversions.h"
#include "mortality/household_rows.h"

namespace olvar::mortality {

namespace {

std::string one_decimal(double v) { return core::format_fixed_trimmed(v, 12, 1); }

void write_totals_row(core::TextGrid& g, int row, const std::string& label,
                      const PersonTotals& t) {
  g.set_cell(0, row, label);
  g.set_cell(1, row, one_decimal(t.population));
  g.set_cell(2, row, one_decimal(t.males));
  g.set_cell(3, row, one_decimal(t.females));
  g.set_cell(4, row, std::to_string(t.joined));
  g.set_cell(5, row, std::to_string(t.left));
  g.set_cell(6, row, std::to_string(t.born));
  g.set_cell(7, row, std::to_string(t.died));
}

core::TextGrid person_grid(const std::string& first_heading, int rows) {
  core::TextGrid g(8, rows + 2);
  const std::array<const char*, 8> headings = {"",     "Population", "Male", "Female",
                                               "Joined", "Left",     "Born", "Died"};
  for (int c = 0; c < 8; ++c) g.set_cell(c, 0, headings[c]);
  g.set_cell(0, 0, first_heading);
  return g;
}

}  // namespace

core::TextGrid rates_grid(const IndividualResults& r) {
  core::TextGrid g(3, 7 + static_cast<int>(r.groups.size()));
  g.set_cell(0, 0, "Persons");
  g.set_cell(1, 0, "Crude Death Rate (95% CI)");
  g.set_cell(2, 0, "Design Effect");
  const auto line = [&](int row, const std::string& label, const Rate* rate) {
    g.set_cell(0, row, label);
    if (rate == nullptr) return;
    g.set_cell(1, row, rate_text(*rate));
    g.set_cell(2, row, design_effect_text(*rate));
  };
  line(1, "Overall", &r.crude);
  line(2, "Under five (0-4)", &r.under_five);
  line(3, "Sex", nullptr);
  line(4, "Male", &r.male);
  line(5, "Female", &r.female);
  line(6, "Years", nullptr);
  for (std::size_t i = 0; i < r.groups.size(); ++i) {
    line(7 + static_cast<int>(i), r.groups[i].label(), &r.by_age_group[i]);
  }
  return g;
}

core::TextGrid cluster_grid(const IndividualResults& r) {
  core::TextGrid g = person_grid("Cluster", static_cast<int>(r.clusters.size()));
  int row = 1;
  for (const ClusterTotals& c : r.clusters) {
    write_totals_row(g, row++, std::to_string(c.cluster), c.totals);
  }
  write_totals_row(g, row, "Sum:", r.cluster_sum);
  return g;
}

core::TextGrid age_group_grid(const IndividualResults& r) {
  core::TextGrid g = person_grid("Years", static_cast<int>(r.groups.size()));
  int row = 1;
  for (std::size_t i = 0; i < r.groups.size(); ++i) {
    write_totals_row(g, row++, r.groups[i].label(), r.age_table[i]);
  }
  write_totals_row(g, row, "Sum:", r.age_sum);
  return g;
}

core::TextGrid causes_grid(const IndividualResults& r, const core::TextGrid& labels) {
  core::TextGrid g(4, 8);
  g.set_cell(0, 0, "Cause of death");
  g.set_cell(1, 0, "%");
  g.set_cell(2, 0, "Location of death");
  g.set_cell(3, 0, "%");
  for (int i = 0; i < 7; ++i) {
    g.set_cell(0, i + 1, std::to_string(i + 1) + "] " + std::string(labels.cell(0, i)));
    g.set_cell(1, i + 1, one_decimal(r.cause_percent[i]));
  }
  for (int i = 0; i < 4; ++i) {
    g.set_cell(2, i + 1, std::to_string(i + 1) + "] " + std::string(labels.cell(0, 7 + i)));
    g.set_cell(3, i + 1, one_decimal(r.location_percent[i]));
  }
  return g;
}

core::TextGrid cause_labels(const std::string* const (&labels)[11]) {
  core::TextGrid g(1, 11);
  for (int i = 0; i < 11; ++i) g.set_cell(0, i, *labels[i]);
  return g;
}

void write_household_headings(core::TextGrid& h) {
  const std::array<const char*, 12> row0 = {"",       "Household", "Cluster", "Members now",
                                            "",       "Joined",    "",        "Left",
                                            "",       "Births",    "Deaths",  ""};
  const std::array<const char*, 12> row1 = {"", "", "", "all", "< 5", "all", "< 5", "all", "< 5",
                                            "", "all", "< 5"};
  for (int c = 0; c < 12; ++c) {
    h.set_cell(c, 0, row0[c]);
    h.set_cell(c, 1, row1[c]);
  }
}

void write_household_results_headings(core::TextGrid& t) {
  const std::array<const char*, 10> row0 = {"Cluster", "Population", "", "", "< 5", "", "",
                                            "",        "Deaths",     ""};
  const std::array<const char*, 10> row1 = {"", "now", "joined", "left", "now", "joined",
                                            "left", "births", "all", "< 5"};
  for (int c = 0; c < 10; ++c) {
    t.set_cell(c, 0, row0[c]);
    t.set_cell(c, 1, row1[c]);
  }
}

Transfer individual_transfer_text(const core::TextGrid& individuals,
                                  const IndividualResults& r, const core::TextGrid& labels,
                                  int recall_days, const TransferTexts& texts) {
  Transfer t;
  const int last = last_individual_row(individuals);
  long households = 0, with_children = 0, children = 0;
  bool household_has_child = false;
  for (int row = 1; row <= last; ++row) {
    bool has_child = false;
    for (int k = 1; k <= kPersons; ++k) {
      const std::string_view age = individuals.cell(person_column(k, PersonField::age), row);
      if (age.empty()) continue;
      const std::optional<long> years = read_whole_number(age);
      if (!years) {
        t.error = "Row " + std::to_string(row) + ", person " + std::to_string(k) +
                  ": the age \"" + std::string(age) +
                  "\" is not a whole number of years; correct it before the transfer.";
        return t;
      }
      if (*years < 5) {
        has_child = true;
        ++children;
      }
    }
    // A household of more than kPersons persons counts once, with a child on any of its rows.
    if (continues_household(individuals, row)) {
      if (has_child && !household_has_child) ++with_children;
      household_has_child = household_has_child || has_child;
      continue;
    }
    household_has_child = has_child;
    if (individuals.cell(person_column(1, PersonField::sex), row).empty()) continue;
    ++households;
    if (has_child) ++with_children;
  }
  const double population = r.age_sum.population;
  const auto indicator = [&](const std::string& label, const std::string& value) {
    t.text += label + "\t" + value + "\n";
  };
  const auto per_10000 = [&](long count) {
    return population > 0 && recall_days > 0
               ? core::format_fixed_trimmed(count * 10000.0 / recall_days / population, 5, 2)
               : std::string("0");
  };
  t.text += texts.title + "\n" + texts.level + "\n\n" + texts.indicators + "\n\n";
  indicator(texts.households, std::to_string(households));
  indicator(texts.with_children, std::to_string(with_children));
  indicator(texts.household_size,
            core::format_fixed_trimmed(households > 0 ? population / households : 0.0, 5, 1));
  indicator(texts.population, core::format_fixed_trimmed(population, 5, 1));
  indicator(texts.clusters, std::to_string(r.crude.clusters));
  indicator(texts.children,
            core::format_fixed_trimmed(population > 0 ? children * 100.0 / population : 0.0, 5, 1));
  indicator(texts.birth_rate, per_10000(r.age_sum.born));
  indicator(texts.in_migration, per_10000(r.age_sum.joined));
  indicator(texts.out_migration, per_10000(r.age_sum.left));
  t.text += "\n" + texts.death_rates + "\n\n";
  const auto write_grid = [&](const core::TextGrid& g, bool apostrophe) {
    for (int row = 0; row < g.row_count(); ++row) {
      t.text += (apostrophe && row > 0 ? "'" : "") + std::string(g.cell(0, row)) + "\t";
      for (int c = 1; c < g.column_count(); ++c) t.text += std::string(g.cell(c, row)) + "\t";
      t.text += "\n";
    }
    t.text += "\n";
  };
  write_grid(rates_grid(r), true);
  write_grid(causes_grid(r, labels), false);
  t.text += texts.tables + "\n\n" + texts.age_table + "\n\n";
  write_grid(age_group_grid(r), true);
  t.text += texts.cluster_table + "\n\n";
  write_grid(cluster_grid(r), false);
  return t;
}

}  // namespace olvar::mortality
