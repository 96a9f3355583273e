#include "training/standardisation.h"

#include <algorithm>
#include <cmath>

#include "core/text_conversions.h"
#include "document/rtf.h"
#include "training/training_grid.h"

namespace olvar::training {

namespace {

struct Limits {
  float good, acceptable, poor;
};

Grade grade_below(double value, const Limits& limits) {
  const float v = static_cast<float>(value);
  if (v <= limits.good) return Grade::good;
  if (v <= limits.acceptable) return Grade::acceptable;
  if (v <= limits.poor) return Grade::poor;
  return Grade::reject;
}

double ratio(double numerator, double divisor) { return divisor == 0 ? 0 : numerator / divisor; }
double percent_of(double tem, double mean) { return ratio(tem, mean) * 100; }
// R in %; 0 when the SD is 0.
double reliability(double tem, double sd) {
  return sd == 0 ? 0 : (1 - (tem * tem) / (sd * sd)) * 100;
}
// The square root of a sum of squares that rounding may leave slightly below zero when the
// observers agree exactly.
double root_of(double sum) { return sum > 0 ? std::sqrt(sum) : 0; }

// Two measurements of one child by one observer.
struct Pair {
  double x1 = 0, x2 = 0;
};

// measurements[j][i]: observer j (0 the supervisor), child i.
using Measurements = std::vector<std::vector<Pair>>;

std::string fixed(double value, int precision, int decimals, char separator) {
  return core::format_fixed_trimmed(value, precision, decimals, separator);
}

}  // namespace

int first_offset(Kind kind) {
  switch (kind) {
    case Kind::weight:
      return 1;
    case Kind::height:
      return 3;
    case Kind::muac:
      return 5;
  }
  return 1;
}

std::string_view kind_name(Kind kind) {
  switch (kind) {
    case Kind::weight:
      return "Weight";
    case Kind::height:
      return "Height";
    case Kind::muac:
      return "MUAC";
  }
  return "";
}

std::string_view kind_unit(Kind kind) {
  switch (kind) {
    case Kind::weight:
      return "kg";
    case Kind::height:
      return "cm";
    case Kind::muac:
      return "mm";
  }
  return "";
}

Grade tem_grade(Kind kind, double tem, bool team) {
  switch (kind) {
    case Kind::weight:
      return grade_below(tem, team ? Limits{0.10f, 0.21f, 0.24f} : Limits{0.04f, 0.10f, 0.21f});
    case Kind::height:
      return grade_below(tem, team ? Limits{0.5f, 1.0f, 1.5f} : Limits{0.4f, 0.6f, 1.0f});
    case Kind::muac:
      return grade_below(tem, Limits{2.0f, 2.7f, 3.3f});
  }
  return Grade::reject;
}

Grade r_grade(double r_percent) {
  const float r = static_cast<float>(r_percent);
  if (r >= 99.0f) return Grade::good;
  if (r >= 95.0f) return Grade::acceptable;
  if (r >= 90.0f) return Grade::poor;
  return Grade::reject;
}

Grade bias_grade(Kind kind, double bias) {
  const double b = std::fabs(bias);
  switch (kind) {
    case Kind::weight:
      return grade_below(b, {0.04f, 0.10f, 0.21f});
    case Kind::height:
      return grade_below(b, {0.4f, 0.8f, 1.4f});
    case Kind::muac:
      return grade_below(b, {1.0f, 2.0f, 3.0f});
  }
  return Grade::reject;
}

std::string_view tem_verdict(Grade grade) {
  constexpr std::string_view texts[] = {"TEM good", "TEM acceptable", "TEM poor", "TEM reject"};
  return texts[static_cast<int>(grade)];
}
std::string_view r_verdict(Grade grade) {
  constexpr std::string_view texts[] = {"R value good", "R value acceptable", "R value poor",
                                        "R value reject"};
  return texts[static_cast<int>(grade)];
}
std::string_view bias_verdict(Grade grade) {
  constexpr std::string_view texts[] = {"Bias good", "Bias acceptable", "Bias poor", "Bias reject"};
  return texts[static_cast<int>(grade)];
}

StandardisationTable standardise(const core::TextGrid& grid, Kind kind, char decimal_separator) {
  StandardisationTable table;
  table.kind = kind;
  const int o = first_offset(kind);
  const int q = children_used(grid, o);
  table.children = q;
  if (q == 0) return table;

  // The supervisor takes part whenever he has values (q > 0); the enumerators when their first
  // measurement of child 1 is filled.
  std::vector<int> groups = {0};
  for (int g = 1; g <= kEnumerators; ++g) {
    if (!grid.cell(group_column(g) + o - 1, kFirstChildRow).empty()) groups.push_back(g);
  }
  const int K = static_cast<int>(groups.size());
  const int E = K - 1;  // enumerators

  Measurements x(groups.size(), std::vector<Pair>(static_cast<std::size_t>(q)));
  for (std::size_t j = 0; j < groups.size(); ++j) {
    ObserverRow row;
    row.group = groups[j];
    const int column = group_column(groups[j]) + o - 1;
    row.name = std::string(grid.cell(group_column(groups[j]), 0));
    for (int i = 0; i < q; ++i) {
      const int grid_row = kFirstChildRow + i;
      for (int k = 0; k < 2; ++k) {
        const std::string_view cell = grid.cell(column + k, grid_row);
        if (!core::parse_number(cell, decimal_separator)) ++row.missing;
      }
      x[j][i] = {core::parse_tolerant_or_zero(grid.cell(column, grid_row), decimal_separator),
                 core::parse_tolerant_or_zero(grid.cell(column + 1, grid_row), decimal_separator)};
    }
    table.observers.push_back(std::move(row));
  }

  // Observer rows.
  std::vector<double> tem(groups.size());
  for (std::size_t j = 0; j < groups.size(); ++j) {
    ObserverRow& row = table.observers[j];
    double sum = 0, squared_differences = 0;
    for (const Pair& p : x[j]) {
      sum += p.x1 + p.x2;
      squared_differences += (p.x1 - p.x2) * (p.x1 - p.x2);
      row.max = std::max(row.max, std::fabs(p.x1 - p.x2));
    }
    row.mean = sum / (2.0 * q);
    double deviations = 0;
    for (const Pair& p : x[j]) {
      deviations += (p.x1 - row.mean) * (p.x1 - row.mean) + (p.x2 - row.mean) * (p.x2 - row.mean);
    }
    row.sd = std::sqrt(deviations / (2.0 * q - 1));
    row.tem = std::sqrt(squared_differences / (2.0 * q));
    tem[j] = row.tem;
    row.tem_percent = percent_of(row.tem, row.mean);
    row.r = reliability(row.tem, row.sd);

    // Biases against the supervisor and against the median of all 2K values of each child (the
    // K-th smallest, the lower of the two middle values).
    double from_supervisor = 0, from_median = 0;
    std::vector<double> values(2 * groups.size());
    for (int i = 0; i < q; ++i) {
      const double own = (x[j][i].x1 + x[j][i].x2) / 2;
      from_supervisor += std::fabs(own - (x[0][i].x1 + x[0][i].x2) / 2);
      for (std::size_t k = 0; k < groups.size(); ++k) {
        values[2 * k] = x[k][i].x1;
        values[2 * k + 1] = x[k][i].x2;
      }
      std::nth_element(values.begin(), values.begin() + (K - 1), values.end());
      from_median += std::fabs(own - values[static_cast<std::size_t>(K - 1)]);
    }
    row.bias_supervisor = from_supervisor / q;
    row.bias_median = from_median / q;
  }

  // Means and SDs of the first and second measurements over the enumerators, and of all values.
  double sum1 = 0, sum2 = 0, sum_all = 0;
  for (std::size_t j = 0; j < groups.size(); ++j) {
    for (const Pair& p : x[j]) {
      if (j > 0) {
        sum1 += p.x1;
        sum2 += p.x2;
      }
      sum_all += p.x1 + p.x2;
    }
  }
  const double enumerator_values = static_cast<double>(E) * q;
  const double m1 = ratio(sum1, enumerator_values);
  const double m2 = ratio(sum2, enumerator_values);
  const double m_all = sum_all / (2.0 * K * q);
  const double m_e = (m1 + m2) / 2;
  double dev1 = 0, dev2 = 0, dev_all = 0, dev_e = 0;
  for (std::size_t j = 0; j < groups.size(); ++j) {
    for (const Pair& p : x[j]) {
      if (j > 0) {
        dev1 += (p.x1 - m1) * (p.x1 - m1);
        dev2 += (p.x2 - m2) * (p.x2 - m2);
        dev_e += (p.x1 - m_e) * (p.x1 - m_e) + (p.x2 - m_e) * (p.x2 - m_e);
      }
      dev_all += (p.x1 - m_all) * (p.x1 - m_all) + (p.x2 - m_all) * (p.x2 - m_all);
    }
  }
  // With one enumerator and one child the denominators below are 0: the SD is then 0.
  const double s1 = E >= 1 ? std::sqrt(ratio(dev1, enumerator_values - 1)) : 0;
  const double s2 = E >= 1 ? std::sqrt(ratio(dev2, enumerator_values - 1)) : 0;
  const double s_all = std::sqrt(ratio(dev_all, 2.0 * K * q - 1));
  const double s_e = E >= 1 ? std::sqrt(ratio(dev_e, 2.0 * q * E - 1)) : 0;

  // Inter-observer TEM of the first (k = 0) or second (k = 1) measurements over observers
  // `first` ... K - 1: Σ_children [Σ x² - (Σ x)² / n] / ((n - 1) q).
  const auto inter_tem = [&](std::size_t first, int k) {
    const int n = K - static_cast<int>(first);
    if (n < 2) return 0.0;
    double bracket = 0;
    for (int i = 0; i < q; ++i) {
      double s = 0, ss = 0;
      for (std::size_t j = first; j < groups.size(); ++j) {
        const double v = k == 0 ? x[j][i].x1 : x[j][i].x2;
        s += v;
        ss += v * v;
      }
      bracket += ss - s * s / n;
    }
    return root_of(bracket / ((n - 1.0) * q));
  };
  const double tem1 = inter_tem(1, 0), tem2 = inter_tem(1, 1);
  const double tem_s1 = inter_tem(0, 0), tem_s2 = inter_tem(0, 1);

  double intra_enumerators = 0, intra_all = 0;
  for (std::size_t j = 0; j < groups.size(); ++j) {
    intra_all += tem[j] * tem[j];
    if (j > 0) intra_enumerators += tem[j] * tem[j];
  }
  const double tem_total =
      root_of((E >= 1 ? intra_enumerators / E : 0) + (tem1 * tem1 + tem2 * tem2) / 2);
  const double tem_total_sup = root_of(intra_all / K + (tem_s1 * tem_s1 + tem_s2 * tem_s2) / 2);

  const std::string labels[kSummaryRows] = {"enum inter 1st", "enum inter 2nd", "inter enum + sup",
                                            "TOTAL intra+inter", "TOTAL+ sup"};
  auto& s = table.summary;
  s[0] = {labels[0], E, true, m1, s1, tem1, percent_of(tem1, m1), reliability(tem1, s1)};
  s[1] = {labels[1], E, true, m2, s2, tem2, percent_of(tem2, m2), reliability(tem2, s2)};
  s[2] = {labels[2],
          K,
          true,
          m_all,
          s_all,
          (tem_s1 + tem_s2) / 2,
          (percent_of(tem_s1, m1) + percent_of(tem_s2, m2)) / 2,
          (reliability(tem_s1, s1) + reliability(tem_s2, s2)) / 2};
  s[3] = {labels[3],
          E,
          false,
          0,
          0,
          tem_total,
          percent_of(tem_total, m_e),
          reliability(tem_total, s_e)};
  s[4] = {labels[4],
          K,
          false,
          0,
          0,
          tem_total_sup,
          percent_of(tem_total_sup, m_all),
          reliability(tem_total_sup, s_all)};
  return table;
}

namespace {

void append_kind(std::string& out, const core::TextGrid& grid, Kind kind, char separator) {
  const std::string name(kind_name(kind));
  const std::string u(kind_unit(kind));
  out += name +
         "\t\tsubjects\tmean\tSD\tmax\tTechnical error\tTEM/mean\tCoef of reliability"
         "\tBias from superv\tBias from median\t\t\tFrom\tFrom\n";
  out += "\t\t#\t" + u + "\t" + u + "\t" + u + "\tTEM (" + u + ")\tTEM (%)\tR (%)\tBias (" + u +
         ")\tBias (" + u + ")\t\t\tSupervisor\tMedian\n";

  const StandardisationTable table = standardise(grid, kind, separator);
  if (table.children == 0) return;
  const std::string q = std::to_string(table.children);
  for (const ObserverRow& row : table.observers) {
    out += "\t" + row.name + "\t" + q + "\t";
    out += fixed(row.mean, 5, 1, separator) + "\t" + fixed(row.sd, 5, 1, separator) + "\t";
    out += fixed(row.max, 6, 2, separator) + "\t" + fixed(row.tem, 6, 2, separator) + "\t";
    out += fixed(row.tem_percent, 5, 1, separator) + "\t" + fixed(row.r, 5, 1, separator) + "\t";
    out += fixed(row.bias_supervisor, 5, 2, separator) + "\t" +
           fixed(row.bias_median, 5, 2, separator) + "\t";
    out += std::string(tem_verdict(tem_grade(kind, row.tem, false))) + "\t";
    out += std::string(r_verdict(r_grade(row.r))) + "\t";
    out += std::string(bias_verdict(bias_grade(kind, row.bias_supervisor))) + "\t";
    out += std::string(bias_verdict(bias_grade(kind, row.bias_median))) + "\t";
    if (row.missing > 0) {
      out += std::to_string(row.missing) +
             (row.missing == 1 ? " missing value read as 0" : " missing values read as 0");
    }
    out += "\n";
  }
  for (const SummaryValues& row : table.summary) {
    out += "\t" + row.label + "\t" + std::to_string(row.observers) + "x" + q + "\t";
    if (row.has_mean) {
      out += fixed(row.mean, 5, 1, separator) + "\t" + fixed(row.sd, 5, 1, separator) + "\t-\t";
    } else {
      out += "-\t-\t-\t";
    }
    out += fixed(row.tem, 6, 2, separator) + "\t" + fixed(row.tem_percent, 5, 1, separator) + "\t" +
           fixed(row.r, 5, 1, separator) + "\t";
    out += "-\t-\t";
    out += std::string(tem_verdict(tem_grade(kind, row.tem, true))) + "\t";
    out += std::string(r_verdict(r_grade(row.r))) + "\t";
    out += "\t\t\n";  // a summary row has no biases, so no bias verdicts
  }
  out += "\n";
}

constexpr std::string_view kCutOffTable =
    "Suggested cut-off points for acceptability of measurements\n"
    "Parameter\t\tMUAC mm\tWeight Kg\tHeight cm\n"
    "individual\tgood\t<2.0\t<0.04\t<0.4\n"
    "TEM\tacceptable\t<2.7\t<0.10\t<0.6\n"
    "(intra)\tpoor\t<3.3\t<0.21\t<1.0\n"
    "\treject\t>3.3\t>0.21\t>1.0\n"
    "Team TEM\tgood\t<2.0\t<0.10\t<0.5\n"
    "(intra+inter)\tacceptable\t<2.7\t<0.21\t<1.0\n"
    "and Total\tpoor\t<3.3\t<0.24\t<1.5\n"
    "\treject\t>3.3\t>0.24\t>1.5\n"
    "R value\tgood\t>99\t>99\t>99\n"
    "\tacceptable\t>95\t>95\t>95\n"
    "\tpoor\t>90\t>90\t>90\n"
    "\treject\t<90\t<90\t<90\n"
    "Bias\tgood\t<1\t<0.04\t<0.4\n"
    "\tacceptable\t<2\t<0.10\t<0.8\n"
    "\tpoor\t<3\t<0.21\t<1.4\n"
    "\treject\t>3\t>0.21\t>1.4\n";

}  // namespace

std::string new_report_text(const core::TextGrid& grid, char decimal_separator) {
  std::string out = "Standardisation test results\t\t\t\t\tPrecision\t\t\t\tAccuracy\t\tOUTCOME\n";
  for (const Kind kind : kKinds) append_kind(out, grid, kind, decimal_separator);
  out += kCutOffTable;
  return out;
}

namespace {

// Sums above this come from a missing value (read as -99999) and print "Error".
constexpr double kErrorLimit = 100000;

std::string sum_text(double sum, char separator) {
  return core::format_fixed(sum, 6, 2, separator);
}

void append_previous_section(std::string& out, const core::TextGrid& grid, Kind kind,
                             char separator) {
  const int o = first_offset(kind);
  out += "\\b ";
  out += kind_name(kind);
  out += ": \\b0\\par\\par ";
  out += "\\tqc\\tx2556\\tqc\\tx4687\\tqc\\tx6818\\tqc\\tx8238 ";
  out += "\\tab Precision: \\tab Accuracy: \\tab No. +/- \\tab No. +/- \\par ";
  out += "\\tab Sum of Square \\tab Sum of Square \\tab Precision \\tab Accuracy \\par ";
  switch (kind) {
    case Kind::weight:
      out += "\\tab [W1-W2] \\tab [Enum.(W1+W2)- \\par ";
      out += "\\tab\\tab (Superv.(W1+W2)] \\par\\par ";
      break;
    case Kind::height:
      out += "\\tab [H1-H2] \\tab [Enum.(H1+H2)- \\par ";
      out += "\\tab\\tab Superv.(H1+H2)] \\par\\par ";
      break;
    case Kind::muac:
      out += "\\tab [MUAC1-MUAC2] \\tab [Enum.(MUAC1+MUAC2)- \\par ";
      out += "\\tab\\tab Superv.(MUAC1+MUAC2] \\par\\par ";
      break;
  }
  const int q = children_used(grid, o);
  if (q == 0) return;

  const auto value = [&](int group, int k, int child) {
    return static_cast<double>(core::parse_tolerant(
        grid.cell(group_column(group) + o - 1 + k, kFirstChildRow + child), separator));
  };
  double ss_s = 0;
  int plus = 0, minus = 0;
  for (int i = 0; i < q; ++i) {
    const double d = value(0, 0, i) - value(0, 1, i);
    ss_s += d * d;
    plus += d > 0;
    minus += d < 0;
  }
  out += "Supervisor \\tab ";
  if (ss_s > kErrorLimit) {
    out += "Error";
  } else {
    out += sum_text(ss_s, separator) + "\\tab\\tab " + std::to_string(plus) + "/" +
           std::to_string(minus);
  }
  out += " \\par ";

  for (int g = 1; g <= kEnumerators; ++g) {
    if (grid.cell(group_column(g) + o - 1, kFirstChildRow).empty()) continue;
    double ss_e = 0, ss_a = 0;
    int p_plus = 0, p_minus = 0, a_plus = 0, a_minus = 0;
    for (int i = 0; i < q; ++i) {
      const double d = value(g, 0, i) - value(g, 1, i);
      ss_e += d * d;
      p_plus += d > 0;
      p_minus += d < 0;
      const double a = (value(g, 0, i) + value(g, 1, i)) - (value(0, 0, i) + value(0, 1, i));
      ss_a += a * a;
      a_plus += a > 0;
      a_minus += a < 0;
    }
    // Compared in single precision, so that a sum exactly twice the supervisor's is "OK".
    const auto judged = [&](double sum, double factor) {
      if (sum > kErrorLimit) return std::string("Error");
      const bool ok = static_cast<float>(factor * ss_s) >= static_cast<float>(sum);
      return sum_text(sum, separator) + (ok ? " OK" : " POOR");
    };
    out += "Enumerator " + std::to_string(g) + "\\tab " + judged(ss_e, 2) + "\\tab " +
           judged(ss_a, 3) + "\\tab " + std::to_string(p_plus) + "/" + std::to_string(p_minus) +
           "\\tab " + std::to_string(a_plus) + "/" + std::to_string(a_minus) + " \\par ";
  }
  out += "\\par\\par ";
}

}  // namespace

std::string previous_report_text(const core::TextGrid& grid, const core::LanguageTable& text,
                                 char decimal_separator) {
  std::string out(document::rtf::kHeaderWithMargins);
  out += text.text(kPreviousReportTitle);
  out += "\\b0\\fs24\\par\\par\\par ";
  out += previous_report_sections(grid, text, decimal_separator);
  return out;
}

std::string previous_report_sections(const core::TextGrid& grid, const core::LanguageTable& text,
                                     char decimal_separator) {
  std::string out;
  for (const Kind kind : kKinds) append_previous_section(out, grid, kind, decimal_separator);
  for (int k = 0; k < 3; ++k) out += text.text(kPreviousReportNotes[k]) + " \\par ";
  out += text.text(kPreviousReportNotes[3]);
  out += "\\par\\pard\\par ";
  return out;
}

void replace_supervisor_values(core::TextGrid& grid, char decimal_separator) {
  for (int row = kFirstChildRow; row <= kLastChildRow && row < grid.row_count(); ++row) {
    for (int offset = 0; offset < kGroupWidth; ++offset) {
      double sum = 0;
      int filled = 0;
      for (int g = 1; g <= kEnumerators; ++g) {
        const std::string_view cell = grid.cell(group_column(g) + offset, row);
        if (cell.empty()) continue;
        sum += core::parse_tolerant(cell, decimal_separator);
        ++filled;
      }
      const int supervisor_column = group_column(0) + offset;
      if (sum > 0) {
        grid.set_cell(supervisor_column, row,
                      core::format_fixed_trimmed(sum / filled, 4, 1, decimal_separator));
      } else {
        grid.set_cell(supervisor_column, row, "");
      }
    }
  }
}

}  // namespace olvar::training
