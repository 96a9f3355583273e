#include "reports/weighted_analysis.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <span>

#include "core/standard_variables.h"
#include "core/text_conversions.h"
#include "analysis/analysis_table.h"
#include "analysis/prevalence_values.h"

namespace olvar::reports {

namespace {

using core::StdVar;

constexpr int col(StdVar v) { return core::column(v); }
constexpr int kMaxCluster = 999;

// Ages of the "Total" rows, and the part of a month an age group's upper bound reaches into.
constexpr double kTotalLow = -0.0001;
constexpr double kTotalHigh = 216.0;
constexpr double kUpperBoundReach = 0.9999999;

constexpr std::array<WeightedIndex, 3> kIndices = {WeightedIndex::whz, WeightedIndex::haz,
                                                   WeightedIndex::waz};

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

// One data row as every cell of the tables reads it, parsed once.
struct Child {
  int row = 0;
  int cluster = 0;  // 1 ... 999
  int code = 0;     // which CLUSTER text (without regard to case), index into the codes
  char sex = 0;     // 'm', 'f' or 0
  double w = 1.0;
  float months = 0.0f;
  std::array<std::optional<float>, 3> z;  // WHZ, HAZ, WAZ as kIndices orders them
  bool oedema = false;
};

struct ClusterCode {
  std::string text;
  int cluster = 0;
};

// Which children one table line covers.
struct Selection {
  char sex = 0;   // 0: both
  int code = -1;  // -1: every cluster
  double low = kTotalLow;
  double high = kTotalHigh;
  bool covers(const Child& c) const {
    if (sex != 0 && c.sex != sex) return false;
    if (code >= 0 && c.code != code) return false;
    return c.months >= low && c.months <= high;
  }
};

// Σw of eligible children and of cases per cluster for each cell of one line, filled in one
// pass over the children (what checking every row once per cell gives, cell by cell).
struct LineTally {
  std::array<double, kMaxCluster + 1> eligible_with_oedema{};  // WHZ cells below -3 and -2
  std::array<double, kMaxCluster + 1> eligible{};              // children with a present z
  std::array<std::array<double, kMaxCluster + 1>, 5> cases{};
  std::array<bool, kMaxCluster + 1> seen{};  // a child of the line is in the cluster
};

class WeightedBuilder {
 public:
  WeightedBuilder(const core::SurveyTable& survey, const core::OptionsPage& options,
                  const WeightedAnalysisInputs& inputs)
      : inputs_(inputs) {
    analysis::AnalysisOptions analysis;
    analysis.selection = {options.zr, options.zrl, options.zrh,
                          options.zh, options.zhl, options.zhh};
    analysis.mode = options.exclusion;
    analysis.flags = options.flags;
    analysis.decimal_separator = inputs.decimal_separator;
    read_children(survey, analysis::RemoveAllNonPlausible_Zscores(survey, analysis).table);
    const std::array<const std::string*, 10> bounds = {
        &options.Edit2, &options.Edit3, &options.Edit4, &options.Edit5, &options.Edit6,
        &options.Edit7, &options.Edit8, &options.Edit9, &options.Edit10, &options.Edit11};
    for (std::size_t g = 0; g < 5; ++g) {
      groups_[g] = {"(" + *bounds[2 * g] + "-" + *bounds[2 * g + 1] + ")",
                    number(*bounds[2 * g]), number(*bounds[2 * g + 1]) + kUpperBoundReach};
    }
  }

  WeightedAnalysis build() {
    WeightedAnalysis result;
    result.who_reference = inputs_.who_reference;
    result.rows_with_unusable_cluster = unusable_;
    for (int s = 0; s < 4; ++s) {
      WeightedSet& set = result.sets[static_cast<std::size_t>(s)];
      set.number = s + 1;
      const char sex = s == 1 ? 'm' : s == 2 ? 'f' : 0;
      for (std::size_t i = 0; i < kIndices.size(); ++i) {
        WeightedTable& table = set.tables[i];
        table.index = kIndices[i];
        table.rows.push_back(line("Total", i, Selection{sex}));
        if (s < 3) {
          for (const Group& g : groups_)
            table.rows.push_back(line(g.label, i, Selection{sex, -1, g.low, g.high}));
        } else {
          for (const int code : codes_in_cluster_order())
            table.rows.push_back(line(codes_[static_cast<std::size_t>(code)].text, i,
                                      Selection{0, code}));
        }
      }
    }
    return result;
  }

 private:
  struct Group {
    std::string label;
    double low = 0.0;
    double high = 0.0;
  };

  double number(std::string_view text) const {
    return core::parse_tolerant(text, inputs_.decimal_separator);
  }

  void progress(const std::string& text) const {
    if (inputs_.show_progress) inputs_.show_progress(text);
  }

  void read_children(const core::SurveyTable& survey, const core::TextGrid& table) {
    const char separator = inputs_.decimal_separator;
    const std::array<int, 3> z_columns = {col(StdVar::whz), col(StdVar::haz), col(StdVar::waz)};
    for (int row = 1; row < table.row_count(); ++row) {
      const std::string_view cluster_text = table.cell(col(StdVar::cluster), row);
      if (cluster_text.empty()) continue;
      Child c;
      c.row = row;
      c.cluster = analysis::cluster_number(cluster_text);
      if (c.cluster == 0) {
        ++unusable_;
        continue;
      }
      const auto known = std::find_if(codes_.begin(), codes_.end(), [&](const ClusterCode& k) {
        return k.cluster == c.cluster && equal_ignoring_case(k.text, cluster_text);
      });
      c.code = static_cast<int>(known - codes_.begin());
      if (known == codes_.end()) codes_.push_back({std::string(cluster_text), c.cluster});
      const std::string_view sex = table.cell(col(StdVar::sex), row);
      if (equal_ignoring_case(sex, "m")) c.sex = 'm';
      if (equal_ignoring_case(sex, "f")) c.sex = 'f';
      // The weight is read from the Survey table: the analysis table need not carry the last
      // column, and WTFACTOR is the last one of a survey without variables of its own.
      const float w = core::parse_tolerant(survey.cell(col(StdVar::wtfactor), row), separator);
      c.w = w < 0.0f ? 1.0 : w;  // missing and unreadable texts parse as -99999
      c.months = core::parse_tolerant(table.cell(col(StdVar::months), row), separator);
      for (std::size_t i = 0; i < 3; ++i) {
        const std::string_view text = table.cell(z_columns[i], row);
        if (text.empty()) continue;
        const float z = core::parse_tolerant(text, separator);
        if (z > -20.0f && z < 20.0f) c.z[i] = z;
      }
      c.oedema = equal_ignoring_case(table.cell(col(StdVar::edema), row), "y");
      children_.push_back(c);
    }
  }

  // The cluster codes of the data, by cluster number; equal numbers in order of appearance.
  std::vector<int> codes_in_cluster_order() const {
    std::vector<int> order(codes_.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      return codes_[static_cast<std::size_t>(a)].cluster <
             codes_[static_cast<std::size_t>(b)].cluster;
    });
    return order;
  }

  WeightedRow line(std::string label, std::size_t index, const Selection& selection) {
    const std::string caption = "Calculation of Line: " + std::to_string(++line_number_);
    progress(caption);
    const bool whz = kIndices[index] == WeightedIndex::whz;
    tally_ = LineTally{};
    std::vector<int> clusters;  // clusters with a child in this line
    std::vector<std::pair<double, double>> weighted_z;  // (w, z) of the children with a z
    int next_report = 1000;
    for (const Child& c : children_) {
      if (c.row >= next_report) {
        progress(caption + ", Case No " + std::to_string(c.row));
        next_report = (c.row / 1000 + 1) * 1000;
      }
      if (!selection.covers(c)) continue;
      const std::optional<float> z = c.z[index];
      const bool oedema_counts = whz && c.oedema;
      if (!z && !oedema_counts) continue;
      const auto at = static_cast<std::size_t>(c.cluster);
      if (!tally_.seen[at]) {
        tally_.seen[at] = true;
        clusters.push_back(c.cluster);
      }
      tally_.eligible_with_oedema[at] += c.w;
      // Below -3 and -2: the z-score, or for WHZ oedema whatever the z-score.
      if ((z && *z < -3.0f) || oedema_counts) tally_.cases[0][at] += c.w;
      if ((z && *z < -2.0f) || oedema_counts) tally_.cases[1][at] += c.w;
      if (!z) continue;
      tally_.eligible[at] += c.w;
      weighted_z.emplace_back(c.w, *z);
      if (whz) {
        if (*z > 1.0f) tally_.cases[2][at] += c.w;
        if (*z > 2.0f) tally_.cases[3][at] += c.w;
        if (*z > 3.0f) tally_.cases[4][at] += c.w;
      }
    }
    std::sort(clusters.begin(), clusters.end());

    WeightedRow row;
    row.label = std::move(label);
    // The cells below -3 and -2 count the children with oedema for WHZ; every other cell and
    // the N of HAZ and WAZ only children with a present z-score.
    const auto& below_base = whz ? tally_.eligible_with_oedema : tally_.eligible;
    for (const int k : clusters) row.n += below_base[static_cast<std::size_t>(k)];
    append_cells(row, clusters, below_base, {0, 1});
    if (whz) append_cells(row, clusters, tally_.eligible, {2, 3, 4});
    row.mean = weighted_mean(weighted_z);
    return row;
  }

  // Estimates up to three cells that share one denominator as ClusterPrevalenceCI does, with
  // Σw in place of counts and without finite population correction.
  void append_cells(WeightedRow& row, const std::vector<int>& clusters,
                    const std::array<double, kMaxCluster + 1>& base,
                    std::initializer_list<int> cells) const {
    std::vector<stats::ClusterRecord> records;
    records.reserve(clusters.size());
    for (const int k : clusters) {
      const auto at = static_cast<std::size_t>(k);
      stats::ClusterRecord r;
      r.m = base[at];
      const int* cell = cells.begin();
      r.a = tally_.cases[static_cast<std::size_t>(cell[0])][at];
      r.b = tally_.cases[static_cast<std::size_t>(cell[1])][at];
      if (cells.size() > 2) r.c = tally_.cases[static_cast<std::size_t>(cell[2])][at];
      records.push_back(r);
    }
    const stats::ClusterEstimate e =
        stats::ClusterPrevalenceCI(records, stats::SurveyKind::anthropometry);
    double total_m = 0.0;
    std::array<double, 3> total_x{};
    for (const stats::ClusterRecord& r : records) {
      if (!(r.m > 0.0)) continue;
      total_m += r.m;
      total_x[0] += r.a;
      total_x[1] += r.b;
      total_x[2] += r.c;
    }
    const std::array<const stats::IndicatorInterval*, 3> intervals = {&e.a, &e.b, &e.c};
    for (std::size_t i = 0; i < cells.size(); ++i) {
      WeightedPrevalence p;
      p.sum_w = total_m;
      p.cases_w = total_x[i];
      if (total_m > 0.0) {
        p.percent = 100.0 * total_x[i] / total_m;
        p.interval = *intervals[i];
      }
      row.cells.push_back(p);
    }
  }

  static WeightedMean weighted_mean(std::span<const std::pair<double, double>> values) {
    WeightedMean m;
    double sum_wz = 0.0;
    for (const auto& [w, z] : values) {
      m.sum_w += w;
      sum_wz += w * z;
    }
    if (!(m.sum_w > 0.0)) return m;
    m.mean = sum_wz / m.sum_w;
    if (m.sum_w > 1.0) {
      double squares = 0.0;
      for (const auto& [w, z] : values) squares += w * (z - m.mean) * (z - m.mean);
      m.sd = std::sqrt(squares / (m.sum_w - 1.0));
    }
    return m;
  }

  const WeightedAnalysisInputs& inputs_;
  std::vector<Child> children_;
  std::vector<ClusterCode> codes_;
  std::array<Group, 5> groups_;
  int unusable_ = 0;
  int line_number_ = 0;
  LineTally tally_;
};

const char* index_title(WeightedIndex index) {
  switch (index) {
    case WeightedIndex::whz:
      return "Weight-for-length/height (%)";
    case WeightedIndex::haz:
      return "Length/height-for-age (%)";
    case WeightedIndex::waz:
      return "Weight-for-age (%)";
  }
  return "";
}

}  // namespace

WeightedAnalysis weighted_analysis_values(const core::SurveyTable& survey,
                                          const core::OptionsPage& options,
                                          const WeightedAnalysisInputs& inputs) {
  // The builder's tally is large; it lives on the heap, not on the caller's stack.
  auto builder = std::make_unique<WeightedBuilder>(survey, options, inputs);
  return builder->build();
}

document::DocumentBuffer weighted_analysis_table(const WeightedAnalysis& values,
                                                 const core::LanguageTable& text,
                                                 char decimal_separator) {
  const auto fixed = [&](double v, int precision, int decimals) {
    return core::format_fixed(v, precision, decimals, decimal_separator);
  };
  const auto trimmed = [&](double v, int precision, int decimals) {
    return core::format_fixed_trimmed(v, precision, decimals, decimal_separator);
  };
  constexpr std::array<const char*, 4> kSetTitles = {
      "Set 1: Sexes combined", "Set 2: Males", "Set 3: Females",
      "Set 4: Overall, sexes combined by cluster"};
  constexpr std::array<const char*, 5> kWhzColumns = {"% < -3SD", "% < -2SD", "% > +1SD",
                                                      "% > +2SD", "% > +3SD"};

  document::DocumentBuffer out;
  out << "Nutritional survey standard analysis (weighting factors included in the analysis)\n"
         "Detailed tables with 95% confidence intervals*\n\n";
  for (const WeightedSet& set : values.sets) {
    out << kSetTitles[static_cast<std::size_t>(set.number - 1)] << "\n\n";
    for (const WeightedTable& table : set.tables) {
      const std::size_t cells = table.index == WeightedIndex::whz ? 5 : 2;
      out << (set.number == 4 ? "Cluster" : "Age groups") << "\tN\t" << index_title(table.index)
          << "\n\t";
      for (std::size_t c = 0; c < cells; ++c) out << "\t" << kWhzColumns[c] << "\t(95% CI)";
      out << "\tMean\xB1SD\n";
      for (const WeightedRow& row : table.rows) {
        out << row.label << "\t" << trimmed(row.n, 12, 0) << "\t";
        for (const WeightedPrevalence& p : row.cells) {
          if (p.empty()) {
            out << "\t\t";
            continue;
          }
          out << fixed(p.percent, 6, 1) << " % \t" << fixed(p.interval.lower, 6, 1) << " - "
              << fixed(p.interval.upper, 6, 1) << "\t";
        }
        if (!row.mean.empty())
          out << trimmed(row.mean.mean, 12, 2) << "\xB1" << trimmed(row.mean.sd, 12, 2);
        out << "\n";
      }
    }
  }
  out << "*) Values are based on " << text.text(values.who_reference ? 964 : 963) << "\n"
      << "For each indicator all children are included in the evaluation with a plausible "
         "z-score (defined under Options, for surveys to be submitted to WHO global database "
         "please use the WHO flags).\n"
      << "Percentages below median based on weight-dependent indicators are defined as <-3 SD "
         "or oedema, and <-2 SD or oedema. Oedema cases are not used to derive mean and SD of "
         "z-scores.\n"
      << "If clusters are available a SUDAAN procedure is used for the calculation of the 95% "
         "CI, if not the Wilson score interval assuming random sampling.\n";
  if (values.rows_with_unusable_cluster > 0) {
    out << text.text(kUnusableClusterEntry) << " "
        << std::to_string(values.rows_with_unusable_cluster) << "\n";
  }
  return out;
}

}  // namespace olvar::reports
