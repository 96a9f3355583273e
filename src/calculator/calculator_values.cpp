#include "calculator/calculator_values.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "core/options_page.h"
#include "core/standard_variables.h"
#include "core/text_conversions.h"
#include "stats/cluster_estimate.h"

namespace olvar::calculator {

namespace {

using core::StdVar;

constexpr int kClusterColumn = core::column(StdVar::cluster);
// Bounds of the pass "all": they take every non-empty cell, text that is not a number included.
constexpr float kAllLow = -1e16f;
constexpr float kAllHigh = 1e16f - 2.0f;

std::optional<float> number(std::string_view text, char separator) {
  const float v = core::parse_tolerant(text, separator);
  if (v == core::kUnreadable) return std::nullopt;
  return v;
}

// The distinct non-empty texts of a column in order of first appearance, at most 999.
struct CategoryList {
  std::vector<std::string> codes;
  bool too_many = false;
};

CategoryList category_list(const core::TextGrid& table, int column) {
  CategoryList list;
  std::unordered_set<std::string> seen;
  for (int row = 1; row < table.row_count(); ++row) {
    const std::string text(table.cell(column, row));
    if (text.empty() || seen.contains(text)) continue;
    if (static_cast<int>(list.codes.size()) == kMaxCategories) {
      list.too_many = true;
      break;
    }
    seen.insert(text);
    list.codes.push_back(text);
  }
  return list;
}

// The entries of the category count: each code followed by "]", so that "1" and "10" stay apart.
std::vector<std::string> entries_of(const CategoryList& list) {
  std::vector<std::string> entries;
  entries.reserve(list.codes.size());
  for (const std::string& code : list.codes) entries.push_back(code + "]");
  return entries;
}

// The records whose `column` cell is non-empty with a value from `low` to `high`. The filter
// reads the bounds 0 and 0 as "no range"; the nearest number below zero keeps the range [0, 0]
// in force and selects the same cells.
stats::RowFilter value_range(int column, float low, float high) {
  if (low == 0.0f && high == 0.0f) low = -std::numeric_limits<float>::denorm_min();
  return stats::RowFilter::range(column, low, high);
}

// Records per cluster for the prevalence. The cluster count runs to the largest cluster number
// of any placed record; clusters without a record holding a value take no part in the interval
// or the design effect.
struct Tally {
  int clusters = 1;                 // M: the largest cluster number, at least 1
  std::vector<int> cluster_of_row;  // 0: the record has no cluster 1 ... 999
  std::vector<double> n;            // records with a value, per cluster 1 ... M
  int unplaced = 0;                 // records with a value whose CLUSTER cannot be placed
};

bool has_prevalence_value(const core::TextGrid& table, int column, int row) {
  const std::string_view text = table.cell(column, row);
  return text.find_last_not_of(' ') != std::string::npos;
}

Tally tally(const core::TextGrid& table, int column) {
  Tally t;
  t.cluster_of_row.assign(static_cast<std::size_t>(table.row_count()), 0);
  for (int row = 1; row < table.row_count(); ++row) {
    const std::string_view text = table.cell(kClusterColumn, row);
    if (text.empty()) continue;
    const std::optional<int> c = core::parse_whole_number(text);
    if (!c || *c < 1 || *c > kMaxClusters) {
      if (has_prevalence_value(table, column, row)) ++t.unplaced;
      continue;
    }
    t.cluster_of_row[static_cast<std::size_t>(row)] = *c;
    t.clusters = std::max(t.clusters, *c);
  }
  t.n.assign(static_cast<std::size_t>(t.clusters) + 1, 0.0);
  for (int row = 1; row < table.row_count(); ++row) {
    const int c = t.cluster_of_row[static_cast<std::size_t>(row)];
    if (c > 0 && has_prevalence_value(table, column, row)) t.n[static_cast<std::size_t>(c)] += 1.0;
  }
  return t;
}

template <typename IsCase>
std::vector<double> count_cases(const core::TextGrid& table, const Tally& t, IsCase is_case) {
  std::vector<double> cases(t.n.size(), 0.0);
  for (int row = 1; row < table.row_count(); ++row) {
    const int c = t.cluster_of_row[static_cast<std::size_t>(row)];
    if (c > 0 && is_case(row)) cases[static_cast<std::size_t>(c)] += 1.0;
  }
  return cases;
}

// The figures for the cases per cluster, or no_values without any record that has a value.
std::variant<PrevalenceFigures, NoPrevalence> estimate(const Tally& t,
                                                       const std::vector<double>& cases) {
  std::vector<stats::ClusterRecord> records;
  double total_n = 0.0;
  double total_a = 0.0;
  for (int c = 1; c <= t.clusters; ++c) {
    const double n = t.n[static_cast<std::size_t>(c)];
    const double a = cases[static_cast<std::size_t>(c)];
    records.push_back({"", n, a, 0.0, 0.0});
    total_n += n;
    total_a += a;
  }
  if (!(total_n > 0.0)) return NoPrevalence::no_values;
  // No finite population correction here: the calculator knows nothing of the sampling frame.
  const stats::ClusterEstimate e =
      stats::ClusterPrevalenceCI(records, stats::SurveyKind::anthropometry);
  PrevalenceFigures f;
  f.cases = static_cast<int>(total_a);
  f.n = static_cast<int>(total_n);
  f.percent = 100.0 * total_a / total_n;
  f.lower = e.a.lower;
  f.upper = e.a.upper;
  f.design_effect = stats::DesignEffect(records);
  return f;
}

class Builder {
 public:
  Builder(const core::SurveyTable& survey, const analysis::AnalysisOptions& options,
          const CalculatorInputs& inputs)
      : survey_(survey), options_(options), in_(inputs) {}

  CalculatorValues run() {
    const int main = in_.main_column;
    if (!valid_column(main)) return std::move(v_);
    v_.variable_chosen = true;
    v_.main_variable = name(main);
    v_.main_kind = in_.main_kind;
    const analysis::AnalysisTable base = analysis::RemoveAllNonPlausible_Zscores(survey_, options_);

    for (int i = 0; i < kRangePairs; ++i) {
      const RangeBoxes& r = in_.ranges[static_cast<std::size_t>(i)];
      if (!r.takes_part() && (!r.from.empty() || !r.to.empty())) {
        v_.incomplete_ranges.push_back(i + 1);
      }
    }
    v_.passes.push_back(pass(PassValues{}, base.table, kAllLow, kAllHigh));
    if (valid_column(in_.prevalence.column)) v_.prevalence = prevalence(base.table);

    for (int i = 0; i < kRangePairs; ++i) {
      const RangeBoxes& r = in_.ranges[static_cast<std::size_t>(i)];
      if (!r.takes_part()) continue;
      PassValues p;
      p.range = i + 1;
      p.bounds = r;
      const std::optional<float> from = number(r.from, separator());
      const std::optional<float> to = number(r.to, separator());
      if (!from || !to) {
        p.bounds_unreadable = true;
        v_.passes.push_back(std::move(p));
        continue;
      }
      core::TextGrid table = base.table;
      blank_outside(table, *from, *to);
      v_.passes.push_back(pass(std::move(p), table, *from, *to));
    }
    return std::move(v_);
  }

 private:
  char separator() const { return options_.decimal_separator; }
  bool valid_column(int column) const { return column >= 1 && column < survey_.column_count(); }
  std::string name(int column) const { return std::string(survey_.cell(column, 0)); }

  CategoryList categories(const core::TextGrid& table, int column) {
    CategoryList list = category_list(table, column);
    if (list.too_many) v_.too_many_categories = true;
    return list;
  }

  // A range pass reads the main variable's cells in the Survey table: a record whose cell is a
  // number outside the range is blanked in full; a cell that is not a number keeps its record.
  void blank_outside(core::TextGrid& table, float from, float to) const {
    const int main = in_.main_column;
    for (int row = 1; row < survey_.row_count() && row < table.row_count(); ++row) {
      const std::optional<float> v = number(survey_.cell(main, row), separator());
      if (!v || (from <= *v && *v <= to)) continue;
      for (int column = 0; column < table.column_count(); ++column) table.set_cell(column, row, "");
    }
  }

  Summary summary(const core::TextGrid& table, int column, bool continuous,
                  const CategoryList& list,
                  const stats::RowFilter& filter = stats::RowFilter::all_rows()) const {
    if (continuous) return stats::DeskripStatCont(table, column, filter);
    return stats::DeskripStatDiscret(table, column, entries_of(list), filter);
  }

  PassValues pass(PassValues p, const core::TextGrid& table, float low, float high) {
    const int main = in_.main_column;
    const bool main_continuous = in_.main_kind == VariableKind::continuous;
    // The main variable's categories are listed even when it is read as numbers, so that a
    // variable of too many distinct values is reported either way.
    const CategoryList list_a = categories(table, main);
    if (in_.descriptive) p.descriptive = summary(table, main, main_continuous, list_a);

    for (const CrossingChoice& crossing : in_.crossings) {
      const int y = crossing.column;
      if (!valid_column(y)) continue;
      const bool y_continuous = crossing.kind == VariableKind::continuous;
      const CategoryList list_b = y_continuous ? CategoryList{} : categories(table, y);
      CrossingValues c;
      c.variable = name(y);
      if (main_continuous) {
        c.selected = summary(table, y, y_continuous, list_b, value_range(main, low, high));
      } else {
        for (const std::string& a : list_a.codes) {
          c.by_category.push_back(
              {a, summary(table, y, y_continuous, list_b, stats::RowFilter::equal_text(main, a))});
        }
      }
      p.crossings.push_back(std::move(c));
    }
    return p;
  }

  PrevalenceValues prevalence(const core::TextGrid& table) {
    const PrevalenceChoice& p = in_.prevalence;
    const int column = p.column;
    PrevalenceValues out;
    out.variable = name(column);
    const Tally t = tally(table, column);
    out.unplaced = t.unplaced;
    const auto value = [&](int row) { return number(table.cell(column, row), separator()); };

    const bool cutoff_given = !p.op.empty() || !p.cutoff.empty();
    const bool range_given = !p.range.from.empty() || !p.range.to.empty();
    if (cutoff_given) {
      PrevalenceRate rate{CutoffCondition{p.op, p.cutoff}, NoPrevalence::no_values};
      const std::optional<float> cut = number(p.cutoff, separator());
      const bool known_op = p.op == "<" || p.op == ">" || p.op == "<=" || p.op == ">=";
      if (p.op.empty()) {
        rate.result = NoPrevalence::no_operator;
      } else if (!known_op) {
        rate.result = NoPrevalence::unknown_operator;
      } else if (p.cutoff.empty()) {
        rate.result = NoPrevalence::no_cutoff;
      } else if (!cut) {
        rate.result = NoPrevalence::cutoff_not_a_number;
      } else {
        const std::string& op = p.op;
        const float c = *cut;
        rate.result = estimate(t, count_cases(table, t, [&](int row) {
                                 const std::optional<float> v = value(row);
                                 if (!v) return false;
                                 if (op == "<") return *v < c;
                                 if (op == "<=") return *v <= c;
                                 if (op == ">") return *v > c;
                                 return *v >= c;
                               }));
      }
      out.rates.push_back(std::move(rate));
    }
    if (range_given) {
      PrevalenceRate rate{RangeCondition{p.range}, NoPrevalence::range_not_numbers};
      const std::optional<float> from = number(p.range.from, separator());
      const std::optional<float> to = number(p.range.to, separator());
      if (from && to) {
        rate.result = estimate(t, count_cases(table, t, [&](int row) {
                                 const std::optional<float> v = value(row);
                                 return v && *from <= *v && *v <= *to;
                               }));
      }
      out.rates.push_back(std::move(rate));
    }
    if (cutoff_given || range_given) return out;

    // Category mode: one rate per category; the cluster number itself has no categories of
    // interest, only a cut-off or a range.
    if (column == kClusterColumn) {
      out.rates.push_back({WholeVariable{}, NoPrevalence::cluster_categories});
      return out;
    }
    CategoryList list = categories(table, column);
    // A text of blanks is no value: its records are not in n, so it cannot be a category of
    // cases either (it would count cases outside the denominator).
    std::erase_if(list.codes, [](const std::string& code) {
      return code.find_last_not_of(' ') == std::string::npos;
    });
    if (list.codes.empty()) {
      out.rates.push_back({WholeVariable{}, NoPrevalence::no_values});
      return out;
    }
    // One pass over the records sorts each into its category; each category's tally follows.
    std::unordered_map<std::string, std::size_t> index_of;
    for (std::size_t i = 0; i < list.codes.size(); ++i) index_of.emplace(list.codes[i], i);
    std::vector<std::vector<double>> cases(list.codes.size(), std::vector<double>(t.n.size(), 0.0));
    for (int row = 1; row < table.row_count(); ++row) {
      const int c = t.cluster_of_row[static_cast<std::size_t>(row)];
      if (c == 0) continue;
      const auto found = index_of.find(std::string(table.cell(column, row)));
      if (found != index_of.end()) cases[found->second][static_cast<std::size_t>(c)] += 1.0;
    }
    for (std::size_t i = 0; i < list.codes.size(); ++i) {
      out.rates.push_back({CategoryCondition{list.codes[i]}, estimate(t, cases[i])});
    }
    return out;
  }

  const core::SurveyTable& survey_;
  const analysis::AnalysisOptions& options_;
  const CalculatorInputs& in_;
  CalculatorValues v_;
};

}  // namespace

CalculatorValues calculator_values(const core::SurveyTable& survey,
                                   const analysis::AnalysisOptions& options,
                                   const CalculatorInputs& inputs) {
  return Builder(survey, options, inputs).run();
}

}  // namespace olvar::calculator
