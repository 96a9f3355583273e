#include "calculator/statistical_calculator.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "core/standard_variables.h"
#include "core/text_conversions.h"
#include "stats/category_count.h"
#include "stats/cluster_estimate.h"
#include "stats/column_summary.h"

namespace olvar::calculator {

namespace {

using core::StdVar;

constexpr int kClusterColumn = core::column(StdVar::cluster);
// Significant digits of the numbers written: enough that the decimals always decide.
constexpr int kPrecision = 15;
// Bounds of the pass "all": they take every non-empty cell, text that is not a number included.
constexpr float kAllLow = -1e16f;
constexpr float kAllHigh = 1e16f - 2.0f;
// Width of a category's label in a category tail: its text, "]" and a blank.
constexpr std::size_t kLabelWidth = 60;
// Normal deviate of a two-sided 95% interval of a mean.
constexpr double kZ95 = 1.96;

std::optional<float> number(std::string_view text, char separator) {
  const float v = core::parse_tolerant(text, separator);
  if (v == core::kUnreadable) return std::nullopt;
  return v;
}

class Writer {
 public:
  explicit Writer(char separator) : separator_(separator) {}

  std::string fixed(double value, int decimals) const {
    return std::string(
        core::trim_spaces(core::format_fixed(value, kPrecision, decimals, separator_)));
  }
  // Minimum, maximum and median are values of cells: written from their single-precision value,
  // so that a cell -2.345 reads -2.35 as typed, not from its binary neighbour below.
  std::string cell_value(double value, int decimals) const {
    return std::string(core::trim_spaces(
        core::format_fixed(static_cast<float>(value), kPrecision, decimals, separator_)));
  }

  std::string continuous_tail(const stats::ColumnSummary& s) const {
    if (s.n == 0) return " (n=0); no values";
    std::string t = " (n=" + std::to_string(s.n) + "); mean\xB1SD: " + fixed(s.mean, 2) + " \xB1 " +
                    fixed(s.sd, 2) + "; range: (" + cell_value(s.min, 2) + " - " +
                    cell_value(s.max, 2) + ")";
    // The interval is written as computed: a negative lower limit is a true limit of a
    // z-score mean, and writing it as 0 would turn intervals such as -0.61 to -0.35 backwards.
    const double half_width = kZ95 * s.sd / std::sqrt(static_cast<double>(s.n));
    t += "; 95% CI: (" + fixed(s.mean - half_width, 2) + " - " + fixed(s.mean + half_width, 2) +
         ") ";
    t += "; median: " + cell_value(s.median, 2);
    return t;
  }

  std::string category_tail(const stats::CategoryCounts& c) const {
    std::string t;
    for (const stats::CategoryCount& category : c.categories) {
      std::string label = category.entry + " ";
      if (label.size() > kLabelWidth) label.resize(kLabelWidth);
      t += label + " (n= " + std::to_string(category.count) + ") " +
           fixed(static_cast<double>(category.count) / static_cast<double>(c.n) * 100.0, 1) +
           " %; ";
    }
    return t;
  }

  // A category line: start + " (n=" + n + "); " + tail, or the start with "no values".
  std::string category_line(const std::string& start, const stats::CategoryCounts& c) const {
    if (c.n == 0) return start + " (n=0); no values";
    return start + " (n=" + std::to_string(c.n) + "); " + category_tail(c);
  }

 private:
  char separator_;
};

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

struct Pass {
  bool all = true;
  int pair = 0;  // 1 ... 5 for a range pass
  std::string from_text, to_text;
};

class Calculation {
 public:
  Calculation(const core::SurveyTable& survey, const reports::AnalysisOptions& options,
              const CalculatorInputs& inputs)
      : survey_(survey), options_(options), in_(inputs), write_(options.decimal_separator) {}

  CalculatorResult run() {
    result_.lines.emplace_back(kResultsLine);
    const int main = in_.main_column;
    if (!valid_column(main)) {
      result_.lines.emplace_back("Choose a variable in the box \"Variable\".");
      return std::move(result_);
    }
    const reports::AnalysisTable base = reports::RemoveAllNonPlausible_Zscores(survey_, options_);

    std::vector<Pass> passes = {Pass{}};
    for (int i = 0; i < kRangePairs; ++i) {
      const RangeBoxes& r = in_.ranges[static_cast<std::size_t>(i)];
      if (r.takes_part()) {
        passes.push_back({false, i + 1, r.from, r.to});
      } else if (!r.from.empty() || !r.to.empty()) {
        result_.lines.push_back("Range " + std::to_string(i + 1) +
                                " is left out: it needs both a \"from\" and a \"to\" value.");
      }
    }
    for (const Pass& pass : passes) {
      if (pass.all) {
        run_pass(pass, base.table, kAllLow, kAllHigh);
        if (valid_column(in_.prevalence.column)) prevalence(base.table);
        continue;
      }
      const std::optional<float> from = number(pass.from_text, separator());
      const std::optional<float> to = number(pass.to_text, separator());
      if (!from || !to) {
        result_.lines.push_back("Range " + std::to_string(pass.pair) + " (from " + pass.from_text +
                                " to " + pass.to_text +
                                ") is left out: its bounds are not both numbers.");
        continue;
      }
      core::TextGrid table = base.table;
      blank_outside(table, *from, *to);
      run_pass(pass, table, *from, *to);
    }
    return std::move(result_);
  }

 private:
  char separator() const { return options_.decimal_separator; }
  bool valid_column(int column) const { return column >= 1 && column < survey_.column_count(); }
  std::string name(int column) const { return std::string(survey_.cell(column, 0)); }

  void message(std::string_view text) {
    const auto& m = result_.messages;
    if (std::find(m.begin(), m.end(), text) == m.end()) result_.messages.emplace_back(text);
  }

  CategoryList categories(const core::TextGrid& table, int column) {
    CategoryList list = category_list(table, column);
    if (list.too_many) message(kTooManyCases);
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

  void run_pass(const Pass& pass, const core::TextGrid& table, float low, float high) {
    const int main = in_.main_column;
    const bool main_continuous = in_.main_kind == VariableKind::continuous;
    const CategoryList list_a = categories(table, main);

    if (in_.descriptive) {
      const std::string label = pass.all ? "all" : pass.from_text + " to " + pass.to_text;
      if (main_continuous) {
        result_.lines.push_back("Descriptive statistics " + name(main) + " (" + label + "): " +
                                write_.continuous_tail(stats::DeskripStatCont(table, main)));
      } else {
        const stats::CategoryCounts c = stats::DeskripStatDiscret(table, main, entries_of(list_a));
        result_.lines.push_back(write_.category_line("Descriptive statistics " + name(main), c));
      }
    }

    for (const CrossingChoice& crossing : in_.crossings) {
      const int y = crossing.column;
      if (!valid_column(y)) continue;
      const bool y_continuous = crossing.kind == VariableKind::continuous;
      const CategoryList list_b = y_continuous ? CategoryList{} : categories(table, y);
      if (main_continuous) {
        const std::string header =
            name(main) + " vs. " + name(y) + ": " +
            (pass.all ? std::string("(all): ")
                      : "(from " + pass.from_text + " to " + pass.to_text + "): ");
        const stats::RowFilter selected = value_range(main, low, high);
        if (y_continuous) {
          result_.lines.push_back(
              header + write_.continuous_tail(stats::DeskripStatCont(table, y, selected)));
        } else {
          result_.lines.push_back(write_.category_line(
              header, stats::DeskripStatDiscret(table, y, entries_of(list_b), selected)));
        }
        continue;
      }
      if (list_a.codes.empty()) {
        result_.lines.push_back("Cross table " + name(main) + " with " + name(y) +
                                ": no values of " + name(main));
        continue;
      }
      result_.lines.push_back("Cross table " + name(main) + " with " + name(y));
      const std::vector<std::string> entries_b = entries_of(list_b);
      for (const std::string& a : list_a.codes) {
        const stats::RowFilter selected = stats::RowFilter::equal_text(main, a);
        if (y_continuous) {
          result_.lines.push_back(
              a + ": " + write_.continuous_tail(stats::DeskripStatCont(table, y, selected)));
        } else {
          result_.lines.push_back(
              write_.category_line(a, stats::DeskripStatDiscret(table, y, entries_b, selected)));
        }
      }
    }
  }

  // --- Prevalence ---------------------------------------------------------------------------

  struct Tally {
    int clusters = 1;                 // M: the largest cluster number, at least 1
    std::vector<int> cluster_of_row;  // 0: the record has no cluster 1 ... 999
    std::vector<double> n;            // records with a value, per cluster 1 ... M
    int unplaced = 0;                 // records with a value whose CLUSTER cannot be placed
  };

  Tally tally(const core::TextGrid& table, int column) const {
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
      if (c > 0 && has_prevalence_value(table, column, row))
        t.n[static_cast<std::size_t>(c)] += 1.0;
    }
    return t;
  }

  static bool has_prevalence_value(const core::TextGrid& table, int column, int row) {
    const std::string_view text = table.cell(column, row);
    return text.find_last_not_of(' ') != std::string::npos;
  }

  // The tail of a prevalence line for the cases per cluster, or nullopt without any record that
  // has a value.
  std::optional<std::string> estimate(const Tally& t, const std::vector<double>& cases) const {
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
    if (!(total_n > 0.0)) return std::nullopt;
    // No finite population correction here: the calculator knows nothing of the sampling frame.
    const stats::ClusterEstimate e =
        stats::ClusterPrevalenceCI(records, stats::SurveyKind::anthropometry);
    const double deff = stats::DesignEffect(records);
    return write_.fixed(100.0 * total_a / total_n, 1) + " % (" +
           std::to_string(static_cast<long long>(total_a)) + " of " +
           std::to_string(static_cast<long long>(total_n)) + "); 95% confidence interval: (" +
           write_.fixed(e.a.lower, 1) + " - " + write_.fixed(e.a.upper, 1) +
           ");  Design Effect: " + write_.fixed(deff, 2);
  }

  template <typename IsCase>
  std::vector<double> count_cases(const core::TextGrid& table, const Tally& t,
                                  IsCase is_case) const {
    std::vector<double> cases(t.n.size(), 0.0);
    for (int row = 1; row < table.row_count(); ++row) {
      const int c = t.cluster_of_row[static_cast<std::size_t>(row)];
      if (c > 0 && is_case(row)) cases[static_cast<std::size_t>(c)] += 1.0;
    }
    return cases;
  }

  void prevalence_line(const std::string& start, const Tally& t, const std::vector<double>& cases,
                       int column) {
    const std::optional<std::string> tail = estimate(t, cases);
    result_.lines.push_back(start + ": " +
                            (tail ? *tail
                                  : "no values of " + name(column) + " in clusters 1 to " +
                                        std::to_string(kMaxClusters)));
  }

  void prevalence(const core::TextGrid& table) {
    const PrevalenceChoice& p = in_.prevalence;
    const int column = p.column;
    const std::string& variable = name(column);
    const Tally t = tally(table, column);
    if (t.unplaced > 0) {
      result_.lines.push_back("Prevalence rate " + variable + ": " + std::to_string(t.unplaced) +
                              " record(s) whose CLUSTER is not a whole number from 1 to " +
                              std::to_string(kMaxClusters) + " are left out.");
    }
    const auto value = [&](int row) { return number(table.cell(column, row), separator()); };

    const bool cutoff_given = !p.op.empty() || !p.cutoff.empty();
    const bool range_given = !p.range.from.empty() || !p.range.to.empty();
    if (cutoff_given) {
      const std::string start = "Prevalence rate " + variable + " " + p.op + " " + p.cutoff;
      const std::optional<float> cut = number(p.cutoff, separator());
      const bool known_op = p.op == "<" || p.op == ">" || p.op == "<=" || p.op == ">=";
      if (p.op.empty()) {
        result_.lines.push_back(start + ": choose an operator (<, >, <=, >=) for the cut-off.");
      } else if (!known_op) {
        result_.lines.push_back(start + ": the operator must be one of <, >, <=, >=.");
      } else if (p.cutoff.empty()) {
        result_.lines.push_back(start + ": give a cut-off value.");
      } else if (!cut) {
        result_.lines.push_back(start + ": the cut-off value is not a number.");
      } else {
        const std::string op = p.op;
        const float c = *cut;
        prevalence_line(start, t,
                        count_cases(table, t,
                                    [&](int row) {
                                      const std::optional<float> v = value(row);
                                      if (!v) return false;
                                      if (op == "<") return *v < c;
                                      if (op == "<=") return *v <= c;
                                      if (op == ">") return *v > c;
                                      return *v >= c;
                                    }),
                        column);
      }
    }
    if (range_given) {
      const std::string start =
          "Prevalence rate " + variable + " (from " + p.range.from + " to " + p.range.to + ")";
      const std::optional<float> from = number(p.range.from, separator());
      const std::optional<float> to = number(p.range.to, separator());
      if (!from || !to) {
        result_.lines.push_back(start + ": the range needs a number in both boxes.");
      } else {
        prevalence_line(start, t,
                        count_cases(table, t,
                                    [&](int row) {
                                      const std::optional<float> v = value(row);
                                      return v && *from <= *v && *v <= *to;
                                    }),
                        column);
      }
    }
    if (cutoff_given || range_given) return;

    // Category mode: one line per category; the cluster number itself has no categories of
    // interest, only a cut-off or a range.
    if (column == kClusterColumn) {
      result_.lines.push_back("Prevalence rate " + variable +
                              ": give a cut-off or a range for the cluster number.");
      return;
    }
    const CategoryList list = categories(table, column);
    if (list.codes.empty()) {
      result_.lines.push_back("Prevalence rate " + variable + ": no values of " + variable +
                              " in clusters 1 to " + std::to_string(kMaxClusters));
      return;
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
      prevalence_line("Prevalence rate " + variable + "=" + list.codes[i], t, cases[i], column);
    }
  }

  const core::SurveyTable& survey_;
  const reports::AnalysisOptions& options_;
  const CalculatorInputs& in_;
  Writer write_;
  CalculatorResult result_;
};

}  // namespace

reports::AnalysisOptions analysis_options(const core::OptionsPage& options,
                                          char decimal_separator) {
  reports::AnalysisOptions o;
  o.selection = {options.zr, options.zrl, options.zrh, options.zh, options.zhl, options.zhh};
  o.mode = options.exclusion;
  o.flags = options.flags;
  o.decimal_separator = decimal_separator;
  return o;
}

CalculatorResult Calculate(const core::SurveyTable& survey, const reports::AnalysisOptions& options,
                           const CalculatorInputs& inputs) {
  return Calculation(survey, options, inputs).run();
}

std::string export_text(const std::vector<std::string>& lines, std::string_view heading) {
  std::string text(heading);
  text += "\n\n";
  for (std::size_t i = 1; i < lines.size() && !lines[i].empty(); ++i) {
    text += lines[i];
    text += '\n';
  }
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ';' && i + 1 < text.size() && text[i + 1] == ' ') {
      out += '\t';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace olvar::calculator
