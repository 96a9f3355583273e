#include "calculator/statistical_calculator.h"

#include <cmath>
#include <variant>

#include "core/text_conversions.h"

namespace olvar::calculator {

namespace {

// Significant digits of the numbers written: enough that the decimals always decide.
constexpr int kPrecision = 15;
// Width of a category's label in a category tail: its text, "]" and a blank.
constexpr std::size_t kLabelWidth = 60;
// Normal deviate of a two-sided 95% interval of a mean.
constexpr double kZ95 = 1.96;

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

  // A summary after `start`: a continuous one after start + `joint`, counts as a category line.
  std::string summary_line(const std::string& start, std::string_view joint,
                           const Summary& summary) const {
    if (const auto* s = std::get_if<stats::ColumnSummary>(&summary)) {
      return start + std::string(joint) + continuous_tail(*s);
    }
    return category_line(start, std::get<stats::CategoryCounts>(summary));
  }

 private:
  char separator_;
};

class Layout {
 public:
  Layout(const CalculatorValues& values, char separator) : v_(values), write_(separator) {}

  std::vector<std::string> run() {
    lines_.emplace_back(kResultsLine);
    if (!v_.variable_chosen) {
      lines_.emplace_back("Choose a variable in the box \"Variable\".");
      return std::move(lines_);
    }
    for (const int pair : v_.incomplete_ranges) {
      lines_.push_back("Range " + std::to_string(pair) +
                       " is left out: it needs both a \"from\" and a \"to\" value.");
    }
    for (const PassValues& pass : v_.passes) {
      if (pass.bounds_unreadable) {
        lines_.push_back("Range " + std::to_string(pass.range) + " (from " + pass.bounds.from +
                         " to " + pass.bounds.to +
                         ") is left out: its bounds are not both numbers.");
        continue;
      }
      pass_lines(pass);
      if (pass.range == 0 && v_.prevalence) prevalence_lines(*v_.prevalence);
    }
    return std::move(lines_);
  }

 private:
  void pass_lines(const PassValues& pass) {
    const std::string& main = v_.main_variable;
    const bool all = pass.range == 0;
    if (pass.descriptive) {
      const std::string label = all ? "all" : pass.bounds.from + " to " + pass.bounds.to;
      // A summary of numbers names the pass; counts of categories do not.
      const bool continuous = std::holds_alternative<stats::ColumnSummary>(*pass.descriptive);
      lines_.push_back(write_.summary_line(
          "Descriptive statistics " + main + (continuous ? " (" + label + "): " : ""), "",
          *pass.descriptive));
    }
    for (const CrossingValues& crossing : pass.crossings) {
      const std::string& y = crossing.variable;
      if (v_.main_kind == VariableKind::continuous) {
        const std::string header =
            main + " vs. " + y + ": " +
            (all ? std::string("(all): ")
                 : "(from " + pass.bounds.from + " to " + pass.bounds.to + "): ");
        if (crossing.selected) {
          lines_.push_back(write_.summary_line(header, "", *crossing.selected));
        }
        continue;
      }
      if (crossing.by_category.empty()) {
        lines_.push_back("Cross table " + main + " with " + y + ": no values of " + main);
        continue;
      }
      lines_.push_back("Cross table " + main + " with " + y);
      for (const CategorySummary& category : crossing.by_category) {
        lines_.push_back(write_.summary_line(category.category, ": ", category.summary));
      }
    }
  }

  std::string start(const std::string& variable, const PrevalenceCondition& condition) const {
    const std::string rate = "Prevalence rate " + variable;
    if (const auto* c = std::get_if<CutoffCondition>(&condition)) {
      return rate + " " + c->op + " " + c->cutoff;
    }
    if (const auto* r = std::get_if<RangeCondition>(&condition)) {
      return rate + " (from " + r->range.from + " to " + r->range.to + ")";
    }
    if (const auto* c = std::get_if<CategoryCondition>(&condition)) return rate + "=" + c->category;
    return rate;
  }

  std::string figures(const PrevalenceFigures& f) const {
    return write_.fixed(f.percent, 1) + " % (" + std::to_string(f.cases) + " of " +
           std::to_string(f.n) + "); 95% confidence interval: (" + write_.fixed(f.lower, 1) +
           " - " + write_.fixed(f.upper, 1) +
           ");  Design Effect: " + write_.fixed(f.design_effect, 2);
  }

  static std::string reason(NoPrevalence why, const std::string& variable) {
    switch (why) {
      case NoPrevalence::no_operator:
        return "choose an operator (<, >, <=, >=) for the cut-off.";
      case NoPrevalence::unknown_operator:
        return "the operator must be one of <, >, <=, >=.";
      case NoPrevalence::no_cutoff:
        return "give a cut-off value.";
      case NoPrevalence::cutoff_not_a_number:
        return "the cut-off value is not a number.";
      case NoPrevalence::range_not_numbers:
        return "the range needs a number in both boxes.";
      case NoPrevalence::no_values:
        break;
      case NoPrevalence::cluster_categories:
        return "give a cut-off or a range for the cluster number.";
    }
    return "no values of " + variable + " in clusters 1 to " + std::to_string(kMaxClusters);
  }

  void prevalence_lines(const PrevalenceValues& p) {
    if (p.unplaced > 0) {
      lines_.push_back("Prevalence rate " + p.variable + ": " + std::to_string(p.unplaced) +
                       " record(s) whose CLUSTER is not a whole number from 1 to " +
                       std::to_string(kMaxClusters) + " are left out.");
    }
    for (const PrevalenceRate& rate : p.rates) {
      const auto* f = std::get_if<PrevalenceFigures>(&rate.result);
      lines_.push_back(start(p.variable, rate.condition) + ": " +
                       (f ? figures(*f) : reason(std::get<NoPrevalence>(rate.result), p.variable)));
    }
  }

  const CalculatorValues& v_;
  Writer write_;
  std::vector<std::string> lines_;
};

}  // namespace

analysis::AnalysisOptions analysis_options(const core::OptionsPage& options,
                                          char decimal_separator) {
  analysis::AnalysisOptions o;
  o.selection = {options.zr, options.zrl, options.zrh, options.zh, options.zhl, options.zhh};
  o.mode = options.exclusion;
  o.flags = options.flags;
  o.decimal_separator = decimal_separator;
  return o;
}

std::vector<std::string> calculator_lines(const CalculatorValues& values, char decimal_separator) {
  return Layout(values, decimal_separator).run();
}

std::vector<std::string> calculator_messages(const CalculatorValues& values) {
  if (values.too_many_categories) return {std::string(kTooManyCases)};
  return {};
}

CalculatorResult Calculate(const core::SurveyTable& survey, const analysis::AnalysisOptions& options,
                           const CalculatorInputs& inputs) {
  const CalculatorValues values = calculator_values(survey, options, inputs);
  return {calculator_lines(values, options.decimal_separator), calculator_messages(values)};
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
