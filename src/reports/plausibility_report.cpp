#include "reports/plausibility_report.h"

#include "workspace/survey_options_sync.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <span>
#include <string>
#include <unordered_map>

#include "anthro/flags.h"
#include "anthro/month_length.h"
#include "core/date_text.h"
#include "core/standard_variables.h"
#include "core/survey_file.h"
#include "core/survey_sort.h"
#include "core/text_conversions.h"
#include "reports/analysis_table.h"
#include "stats/column_summary.h"
#include "stats/dispersion.h"
#include "stats/distributions.h"
#include "stats/shape_statistics.h"
#include "stats/shapiro_wilk.h"
#include "stats/sort_buffers.h"

namespace olvar::reports {

// The report is written with the document module's vocabulary.
using document::DocumentBuffer;
using document::HandOffOutcome;
using document::HandOffResult;
using document::HandOffServices;
using document::OutputFolders;
using document::OutputSettings;
namespace rtf = document::rtf;

namespace {

using core::StdVar;
using Rows = std::vector<int>;

constexpr int col(StdVar v) { return core::column(v); }

// A z-score of magnitude 20 or more is no z-score (99 marks an index not computed).
constexpr float kZLimit = 20.0f;

std::string marker(int criterion, char side) {
  std::string m(1, kCriterionMarker);
  m += std::to_string(criterion);
  m += side;
  return m;
}

std::string marked(int criterion, std::string_view value) {
  return marker(criterion, 'a') + std::string(value) + marker(criterion, 'b');
}

// Texts from the survey go into the document as text: the RTF specials are escaped, and a
// section sign is written as its hex escape so that it can never be taken for a value marker.
std::string esc(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += c;
    } else if (c == kCriterionMarker) {
      out += "\\'a7";
    } else {
      out += c;
    }
  }
  return out;
}

std::string pad_right(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string pad_left(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

std::string trim(std::string_view text) { return std::string(core::trim_spaces(text)); }

// The bars of the histograms: one "#" per unit, the unit chosen so that the longest bar has at
// most 65 characters.
int bar_unit(std::span<const int> counts) {
  const int largest = counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
  return largest / 65 + 1;
}

std::string bar(int count, int unit) {
  const double length = std::nearbyint(static_cast<double>(count) / unit);
  return std::string(static_cast<std::size_t>(std::max(0.0, length)), '#');
}

// A whole number as the Options page holds one ("6"), a fraction with its decimals.
std::string bound_text(double value) {
  if (value == std::floor(value)) return std::to_string(static_cast<long long>(value));
  return core::format_fixed_trimmed(value, 6, 2);
}

struct AgeGroups {
  std::array<double, 5> lower{};
  std::array<double, 5> upper{};
  std::array<double, 5> expected_boys{};
  std::array<double, 5> expected_girls{};
};

class PlausibilityBuilder {
 public:
  PlausibilityBuilder(const core::Workspace& workspace, const PlausibilityContext& context)
      : context_(context), workspace_(workspace) {
    separator_ = context.evaluation.conventions.decimal_separator;
    analysis_options_.selection = {context.options.zr, context.options.zrl, context.options.zrh,
                                   context.options.zh, context.options.zhl, context.options.zhh};
    analysis_options_.flags = context.options.flags;
    analysis_options_.decimal_separator = separator_;
    const core::OptionsPage& o = context.options;
    const std::array<const std::string*, 10> bounds = {&o.Edit2,  &o.Edit3, &o.Edit4, &o.Edit5,
                                                       &o.Edit6,  &o.Edit7, &o.Edit8, &o.Edit9,
                                                       &o.Edit10, &o.Edit11};
    const std::array<const std::string*, 10> epc = {&o.epc01, &o.epc02, &o.epc03, &o.epc04,
                                                    &o.epc05, &o.epc06, &o.epc07, &o.epc08,
                                                    &o.epc09, &o.epc10};
    for (int g = 0; g < 5; ++g) {
      groups_.lower[g] = number(*bounds[2 * g]);
      groups_.upper[g] = number(*bounds[2 * g + 1]);
      groups_.expected_boys[g] = number(*epc[2 * g]);
      groups_.expected_girls[g] = number(*epc[2 * g + 1]);
    }
  }

  PlausibilityReport build();

 private:
  const std::string& T(int entry) const { return context_.text.text(entry); }
  double number(std::string_view text) const { return core::parse_tolerant(text, separator_); }
  std::string_view cell(StdVar v, int row) const { return survey().cell(col(v), row); }
  const core::SurveyTable& survey() const { return workspace_.survey; }
  std::string fmt(double value, int precision, int decimals) const {
    return core::format_fixed(value, precision, decimals, separator_);
  }
  void caption(std::string_view text) const {
    if (context_.show_caption) context_.show_caption(text);
  }
  AnalysisOptions options_with(anthro::ExclusionMode mode) const {
    AnalysisOptions o = analysis_options_;
    o.mode = mode;
    return o;
  }
  // A z-score present for the statistics: filled and of magnitude below 20.
  std::optional<float> z_value(const core::TextGrid& table, int column, int row) const {
    const std::string_view text = table.cell(column, row);
    if (text.empty()) return std::nullopt;
    const float z = core::parse_tolerant(text, separator_);
    if (!(z > -kZLimit && z < kZLimit)) return std::nullopt;
    return z;
  }
  std::optional<double> months(const core::TextGrid& table, int row) const {
    const std::string_view text = table.cell(col(StdVar::months), row);
    if (text.empty()) return std::nullopt;
    const float m = core::parse_tolerant(text, separator_);
    if (m == core::kUnreadable) return std::nullopt;
    return m;
  }
  bool any_of_first_columns(int row) const {
    for (int c = 1; c <= 12; ++c)
      if (!survey().cell(c, row).empty()) return true;
    return false;
  }
  bool flagged(float z, anthro::FlagIndex index, double mean) const {
    return anthro::is_flagged(z, index, anthro::ExclusionMode::kandu, mean, context_.options.flags,
                              separator_);
  }

  void preparation();
  void summary_table();
  void duplicates();
  void MissingData();
  void missing_birth_dates();
  void values_out_of_range();
  void flagged_zscores();
  void age_distribution();
  void age_ratio();
  void AgeSex_SG6(std::string_view title, const core::TextGrid& table, const Rows& rows,
                  bool with_marker);
  void month_of_birth();
  void DigitPreference(StdVar measure, int label_entry, int criterion);
  void SD_SW_SK();
  void clustering();
  void Praev_calc();
  void PoissonCheck();
  std::string Timepoints(const core::TextGrid& table, const Rows& rows, double mean) const;
  void team_analysis();
  void scoring(PlausibilityReport& report);
  const core::TextGrid& with_exclusion(int column, anthro::ExclusionMode mode);

  std::array<int, 10> digit_counts(StdVar measure, const Rows& rows) const;
  std::string digit_text(StdVar measure, int row) const;

  const PlausibilityContext& context_;
  core::Workspace workspace_;  // the working copy: WHO z-scores, sorted for the clustering
  char separator_ = '.';
  AnalysisOptions analysis_options_;
  AgeGroups groups_;
  DocumentBuffer out_;
  Rows data_rows_;  // 1 ... last used row
  // Means of the indices over all rows (single precision, as every flag test reads them).
  float mean_waz_ = 0, mean_haz_ = 0, mean_whz_ = 0;
  // The analysis table without exclusion, and one z-score column of it with the exclusion of a
  // mode applied (what rebuilding the analysis table for that column and mode gives there).
  AnalysisTable base_;
  core::TextGrid excluded_;
  // Observed means of the z-score columns of base_, worked out once per rebuild.
  std::array<std::optional<double>, 16> observed_means_;
  void rebuild_base() {
    SG6_uebergabe(survey(), options_with(anthro::ExclusionMode::none), -1, -1, "", base_);
    observed_means_ = {};
  }
  // Per-cluster counts of the nine indicators.
  std::vector<std::string> clusters_;
  std::vector<std::array<double, 9>> cluster_counts_;
};

// ---------------------------------------------------------------------------------------------

void PlausibilityBuilder::preparation() {
  caption("Calculation of Plausibility Check");
  if (!context_.writable_folder.empty()) {
    core::write_file_with_backup(
        context_.writable_folder / "noname.as",
        core::survey_file_bytes(workspace_, context_.evaluation.conventions));
  }
  anthro::RowEvaluationSettings who_settings = context_.evaluation;
  who_settings.reference = anthro::Reference::who2006;
  anthro::evaluate_all_rows(workspace_.survey, who_settings, context_.who);

  const int last = survey().last_used_row();
  data_rows_.resize(static_cast<std::size_t>(std::max(0, last)));
  std::iota(data_rows_.begin(), data_rows_.end(), 1);

  std::string name = workspace_.file_name;
  const std::size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name = name.substr(slash + 1);
  out_ << rtf::kHeaderFixedWidthTables << T(893) << " " << esc(name) << " \\fs24\\par\\par "
       << T(16) << " " << T(964) << "\\b0\\par " << T(61) << " \\par\\par\\par\\b ";
}

void PlausibilityBuilder::summary_table() {
  out_ << T(62) << " \\par\\par\\b0\\f3\\fs16\\lang2057 " << T(63) << " \\b0\\par\\par ";
  for (int entry = 64; entry <= 69; ++entry)
    out_ << T(entry) << (entry % 2 == 0 ? " \\par " : " \\par\\par ");
  const std::string spaces(40, ' ');
  const std::string scale_dps = "0     2         4        10        ";
  const std::string scale_sd = "0     5         10       20        ";
  const std::string scale_shape = "0     1         3         5        ";
  struct Line {
    std::vector<int> labels;
    std::string scale;
    int criterion;
    std::string_view before;
  };
  const std::array<Line, 7> lines = {{{{70}, scale_dps, 4, ""},
                                      {{71}, scale_dps, 5, ""},
                                      {{1154}, scale_dps, 0, ""},
                                      {{72, 1155, 1153}, scale_sd, 6, ""},
                                      {{73}, scale_shape, 7, ""},
                                      {{74}, scale_shape, 8, ""},
                                      {{75}, scale_shape, 9, "p="}}};
  for (const Line& line : lines) {
    for (const int label : line.labels) out_ << T(label) << " \\par ";
    const std::string n = std::to_string(line.criterion);
    out_ << spaces << line.scale << "&" << n << "b (" << line.before << "&" << n
         << "a) \\par\\par ";
  }
  out_ << T(77) << " \\par "
       << "\\plain\\lang1031\\par " << T(78) << " \\par\\par\\par ";
}

// ---------------------------------------------------------------------------------------------

}  // namespace

std::vector<DuplicatePair> find_duplicate_rows(const core::TextGrid& table, int last_row) {
  // Each row's cells are hashed (the first without its leading blanks), the rows sorted by
  // hash, and only rows of equal hash compared cell by cell: linear work apart from the sort.
  // Cells are compared one by one, so rows whose texts differ only in where one cell ends and
  // the next begins ("1","23" and "12","3") are not taken as equal.
  const auto cell_text = [&](int c, int row) {
    std::string_view text = table.cell(c, row);
    if (c == 1) text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
    return text;
  };
  struct Entry {
    std::uint64_t hash;
    int row;
    bool operator<(const Entry& o) const { return hash != o.hash ? hash < o.hash : row < o.row; }
  };
  std::vector<Entry> entries;
  const int last = std::min(last_row, table.row_count() - 1);
  for (int row = 1; row <= last; ++row) {
    std::uint64_t hash = 1469598103934665603ULL;  // FNV-1a
    bool any = false;
    for (int c = 1; c < table.column_count(); ++c) {
      const std::string_view text = cell_text(c, row);
      any = any || !text.empty();
      for (const char ch : text) hash = (hash ^ static_cast<unsigned char>(ch)) * 1099511628211ULL;
      hash = (hash ^ 0x1FU) * 1099511628211ULL;  // cell boundary
    }
    if (any) entries.push_back({hash, row});
  }
  std::sort(entries.begin(), entries.end());
  const auto equal_rows = [&](int a, int b) {
    for (int c = 1; c < table.column_count(); ++c)
      if (cell_text(c, a) != cell_text(c, b)) return false;
    return true;
  };
  std::vector<DuplicatePair> pairs;
  for (std::size_t begin = 0; begin < entries.size();) {
    std::size_t end = begin + 1;
    while (end < entries.size() && entries[end].hash == entries[begin].hash) ++end;
    // Rows of one hash, in row order, split into classes of equal rows (collisions are rare).
    std::vector<std::vector<int>> classes;
    for (std::size_t i = begin; i < end; ++i) {
      const int row = entries[i].row;
      auto it = std::find_if(classes.begin(), classes.end(),
                             [&](const std::vector<int>& c) { return equal_rows(c.front(), row); });
      if (it == classes.end())
        classes.push_back({row});
      else
        it->push_back(row);
    }
    for (const std::vector<int>& rows : classes)
      for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t j = i + 1; j < rows.size(); ++j) pairs.emplace_back(rows[i], rows[j]);
    begin = end;
  }
  std::sort(pairs.begin(), pairs.end());
  return pairs;
}

namespace {

void PlausibilityBuilder::duplicates() {
  const std::vector<DuplicatePair> pairs =
      find_duplicate_rows(survey(), data_rows_.empty() ? 0 : data_rows_.back());
  if (pairs.empty()) {
    out_ << "\\b " << T(80) << " \\b0\\par ";
    return;
  }
  out_ << "\\b " << T(79) << " \\b0\\par\\par ";
  for (const auto& [i, j] : pairs) {
    out_ << "Line=" << std::to_string(j) << "/ID=" << esc(cell(StdVar::id, j))
         << " with Line=" << std::to_string(i) << "/ID=" << esc(cell(StdVar::id, i)) << " \\par ";
  }
}

void PlausibilityBuilder::MissingData() {
  std::string texts;
  for (const StdVar v : {StdVar::sex, StdVar::months, StdVar::weight, StdVar::height}) {
    std::string list;
    for (const int row : data_rows_) {
      if (!any_of_first_columns(row) || !cell(v, row).empty()) continue;
      list += "Line=" + std::to_string(row) + "/ID=" + esc(cell(StdVar::id, row)) + ", ";
    }
    if (list.empty()) continue;
    list.resize(list.size() - 2);
    texts += esc(survey().cell(col(v), 0)) + ": " + list + "\\par ";
  }
  if (!texts.empty()) out_ << "\\par\\par\\b " << T(1) << " \\b0\\par\\par " << texts;
}

void PlausibilityBuilder::missing_birth_dates() {
  int rows = 0;
  int missing = 0;
  for (const int row : data_rows_) {
    if (!any_of_first_columns(row)) continue;
    ++rows;
    if (cell(StdVar::birthdat, row).empty()) ++missing;
  }
  const double percent = rows > 0 ? std::nearbyint(100.0 * missing / rows) : 0.0;
  out_ << "\\par\\par\\b " << T(32) << ": " << std::to_string(static_cast<int>(percent))
       << " % \\b0\\par ";
}

void PlausibilityBuilder::values_out_of_range() {
  std::string age_list;
  std::string height_list;
  const double low = groups_.lower[0];
  const double high = groups_.upper[4] + 1;
  for (const int row : data_rows_) {
    const std::string line = "Line=" + std::to_string(row) + "/ID=" + esc(cell(StdVar::id, row));
    if (const auto m = months(survey(), row); m && (*m < low || *m >= high))
      age_list += line + ": " + fmt(*m, 4, 2) + " mo \\par ";
    const std::string_view h_text = cell(StdVar::height, row);
    if (h_text.empty()) continue;
    const float h = core::parse_tolerant(h_text, separator_);
    if (h == core::kUnreadable) continue;
    const std::string_view sex = cell(StdVar::sex, row);
    const bool out = (sex == "m" && (h < 49 || h > 145)) || (sex == "f" && (h < 49 || h > 137));
    if (out) height_list += line + ": " + fmt(h, 4, 2) + " cm \\par ";
  }
  if (age_list.empty() && height_list.empty()) return;
  out_ << "\\par\\par\\b " << T(2) << " \\b0\\par\\par ";
  if (!age_list.empty())
    out_ << esc(survey().cell(col(StdVar::months), 0)) << ": \\par " << age_list;
  if (!height_list.empty())
    out_ << esc(survey().cell(col(StdVar::height), 0)) << ": \\par " << height_list;
}

void PlausibilityBuilder::flagged_zscores() {
  const core::FlagParameters& f = context_.options.flags;
  out_ << "\\par\\par\\b " << T(894) << " (" << f.whz_ol << " " << T(35) << " " << f.whz_oh
       << " for " << T(1109) << ", " << f.haz_ol << " " << T(35) << " " << f.haz_oh << " for "
       << T(1110) << ", " << f.waz_ol << " " << T(35) << " " << f.waz_oh << " for " << T(1111)
       << ", " << T(38) << "): \\b0\\par\\par ";

  const int whz = col(StdVar::whz), haz = col(StdVar::haz), waz = col(StdVar::waz);
  std::array<double, 3> sums{};
  std::array<int, 3> n{};
  const std::array<int, 3> columns = {whz, haz, waz};
  for (const int row : data_rows_) {
    for (int i = 0; i < 3; ++i) {
      if (const auto z = z_value(survey(), columns[i], row)) {
        sums[i] += *z;
        ++n[i];
      }
    }
  }
  mean_whz_ = n[0] ? static_cast<float>(sums[0] / n[0]) : 0.0f;
  mean_haz_ = n[1] ? static_cast<float>(sums[1] / n[1]) : 0.0f;
  mean_waz_ = n[2] ? static_cast<float>(sums[2] / n[2]) : 0.0f;

  std::array<int, 3> flagged_count{};
  const std::array<anthro::FlagIndex, 3> indices = {anthro::FlagIndex::whz, anthro::FlagIndex::haz,
                                                    anthro::FlagIndex::waz};
  const std::array<float, 3> means = {mean_whz_, mean_haz_, mean_waz_};
  for (const int row : data_rows_) {
    if (cell(StdVar::sex, row).empty()) continue;
    std::array<bool, 3> is{};
    std::array<float, 3> z{};
    for (int i = 0; i < 3; ++i) {
      const std::string_view text = survey().cell(columns[i], row);
      z[i] = text.empty() ? core::kUnreadable : core::parse_tolerant(text, separator_);
      is[i] = !text.empty() && z[i] != core::kUnreadable && flagged(z[i], indices[i], means[i]);
      if (is[i]) ++flagged_count[i];
    }
    if (!is[0] && !is[1] && !is[2]) continue;
    std::string line =
        "Line=" + std::to_string(row) + "/ID=" + esc(cell(StdVar::id, row)) + ":  \\tab ";
    if (is[0]) line += "\\b " + T(1109) + " (" + esc(survey().cell(whz, row)) + ")\\b0, ";
    if (is[1]) line += T(1110) + " (" + esc(survey().cell(haz, row)) + "), ";
    if (is[2]) line += T(1111) + " (" + esc(survey().cell(waz, row)) + "), ";
    line.resize(line.size() - 2);
    // The measurement most likely at fault: the one the flagged indices share, or, with one
    // index flagged, the one whose other index lies further from its mean.
    const auto dev = [&](int i) { return std::fabs(z[i] - means[i]); };
    int remark = 0;
    if (is[0] && !is[1] && !is[2])
      remark = dev(1) > dev(2) ? 897 : 895;
    else if (!is[0] && is[1] && !is[2])
      remark = dev(0) > dev(2) ? 897 : 896;
    else if (!is[0] && !is[1] && is[2])
      remark = dev(0) > dev(1) ? 895 : 896;
    else if (is[0] && is[1] && !is[2])
      remark = 897;
    else if (!is[0] && is[1] && is[2])
      remark = 896;
    else if (is[0] && !is[1] && is[2])
      remark = 895;
    if (remark != 0) line += ", " + T(remark);
    out_ << line << " \\par ";
  }
  const auto percent = [&](int i) {
    return n[i] > 0 ? fmt(100.0 * flagged_count[i] / n[i], 3, 1) : std::string();
  };
  out_ << "\\par " << T(3) << T(1109) << ": " << marked(1, percent(0)) << " %, " << T(1110) << ": "
       << percent(1) << " %, " << T(1111) << ": " << percent(2) << " %    \\par ";
}

void PlausibilityBuilder::age_distribution() {
  out_ << "\\par\\par\\b " << T(898) << " \\b0\\par\\par ";
  std::array<int, 73> counts{};
  for (const int row : data_rows_) {
    const auto m = months(survey(), row);
    if (!m) continue;
    const double month = std::nearbyint(*m);
    if (month >= 1 && month <= 72) ++counts[static_cast<std::size_t>(month)];
  }
  int first = 0, last = 0;
  for (int m = 1; m <= 72; ++m) {
    if (counts[m] == 0) continue;
    if (first == 0) first = m;
    last = m;
  }
  if (first == 0) return;
  // Bars of up to 65 characters fit a line only in the small fixed-width font.
  const int unit = bar_unit(counts);
  out_ << rtf::kFixedWidthOn;
  for (int m = std::min(first, 6); m <= last; ++m)
    out_ << "Month " << pad_right(std::to_string(m), 3) << ": " << bar(counts[m], unit) << "\\par ";
  out_ << rtf::kFixedWidthOff;
}

void PlausibilityBuilder::age_ratio() {
  int a = 0, b = 0;
  for (const int row : data_rows_) {
    const auto m = months(survey(), row);
    if (!m) continue;
    if (*m >= 6 && *m < 30)
      ++a;
    else if (*m >= 30 && *m < 60)
      ++b;
  }
  if (b == 0) return;
  const double expected_a = (a + b) * 0.85 / 1.85;
  const double expected_b = (a + b) / 1.85;
  const double chi = (a - expected_a) * (a - expected_a) / expected_a +
                     (b - expected_b) * (b - expected_b) / expected_b;
  const double p = stats::ChiSquareUpperP(1, chi);
  out_ << "\\par " << T(4) << " " << fmt(static_cast<double>(a) / b, 3, 2) << " " << T(5)
       << ": \\par p-value = " << marked(3, fmt(p, 4, 3)) << " " << T(p < 0.05 ? 48 : 49)
       << " \\par ";
}

void PlausibilityBuilder::AgeSex_SG6(std::string_view title, const core::TextGrid& table,
                                     const Rows& rows, bool with_marker) {
  std::array<int, 5> boys{}, girls{};
  int all_boys = 0, all_girls = 0;
  const double low = groups_.lower[0], high = groups_.upper[4] + 1;
  for (const int row : rows) {
    const auto m = months(table, row);
    if (!m) continue;
    const std::string_view sex = table.cell(col(StdVar::sex), row);
    const bool boy = sex == "m", girl = sex == "f";
    if (!boy && !girl) continue;
    for (int g = 0; g < 5; ++g) {
      if (*m >= groups_.lower[g] && *m < groups_.upper[g] + 1) (boy ? boys : girls)[g]++;
    }
    if (*m >= low && *m < high) (boy ? all_boys : all_girls)++;
  }
  std::array<double, 5> width{}, e_boys_all{}, e_girls_all{}, e_boys{}, e_girls{};
  double B = 0, G = 0;
  for (int g = 0; g < 5; ++g) {
    width[g] = groups_.upper[g] - groups_.lower[g] + 1;
    B += groups_.expected_boys[g] * width[g];
    G += groups_.expected_girls[g] * width[g];
  }
  const double N = all_boys + all_girls;
  for (int g = 0; g < 5; ++g) {
    const double wb = groups_.expected_boys[g] * width[g],
                 wg = groups_.expected_girls[g] * width[g];
    e_boys_all[g] = B + G > 0 ? N * wb / (B + G) : 0.0;
    e_girls_all[g] = B + G > 0 ? N * wg / (B + G) : 0.0;
    e_boys[g] = B > 0 ? wb / B * all_boys : 0.0;
    e_girls[g] = G > 0 ? wg / G * all_girls : 0.0;
  }
  const double exp_boys = B + G > 0 ? N * B / (B + G) : 0.0;
  const double exp_girls = B + G > 0 ? N * G / (B + G) : 0.0;

  const auto observed = [&](int count, double expected) {
    std::string text = pad_left(
        std::to_string(count) + "/" + core::format_fixed_trimmed(expected, 6, 0, separator_), 9);
    const std::string ratio =
        expected > 0 ? " (" + core::format_fixed_trimmed(count / expected, 4, 1, separator_) + ")"
                     : "";
    return text + pad_right(ratio, 10);
  };
  const std::string dashes = std::string(85, '-') + " \\par ";
  out_ << "\\par\\b " << title << " \\b0\\par\\par " << rtf::kFixedWidthOn << T(50) << " \\par "
       << dashes;
  const auto row_line = [&](double lower, double upper, double w, int b, double eb, int gi,
                            double eg, std::string total) {
    std::string age =
        pad_right(bound_text(lower), 3) + T(35) + " " + bound_text(upper) + "    " + fmt(w, 2, 0);
    std::string line = pad_right(age, 19) + observed(b, eb) + observed(gi, eg) + total;
    if (gi > 0) line += fmt(static_cast<double>(b) / gi, 4, 2);
    out_ << line << " \\par ";
  };
  for (int g = 0; g < 5; ++g) {
    const double expected_total = e_boys_all[g] + e_girls_all[g];
    row_line(groups_.lower[g], groups_.upper[g], width[g], boys[g], e_boys[g], girls[g], e_girls[g],
             observed(boys[g] + girls[g], expected_total));
  }
  out_ << dashes;
  row_line(low, groups_.upper[4], high - low, all_boys, exp_boys, all_girls, exp_girls,
           std::string(19, ' '));
  out_ << rtf::kFixedWidthOff << "\\par " << T(51) << " \\par ";

  std::string p_text;
  double p = 1.0;
  if (exp_boys > 0 && exp_girls > 0) {
    const double chi = (all_boys - exp_boys) * (all_boys - exp_boys) / exp_boys +
                       (all_girls - exp_girls) * (all_girls - exp_girls) / exp_girls;
    p = stats::ChiSquareUpperP(1, chi);
    p_text = fmt(p, 4, 3);
  }
  out_ << "\\par " << T(59) << " p-value = " << (with_marker ? marked(2, p_text) : p_text);
  if (!p_text.empty()) out_ << " " << T(p >= 0.05 ? 54 : (all_boys <= all_girls ? 53 : 52));

  const auto term = [](double o, double e) { return e > 0 ? (o - e) * (o - e) / e : 0.0; };
  double chi_all = 0, chi_boys = 0, chi_girls = 0, chi_both = 0;
  for (int g = 0; g < 5; ++g) {
    chi_all += term(boys[g] + girls[g], e_boys_all[g] + e_girls_all[g]);
    chi_boys += term(boys[g], e_boys[g]);
    chi_girls += term(girls[g], e_girls[g]);
    chi_both += term(boys[g], e_boys_all[g]) + term(girls[g], e_girls_all[g]);
  }
  const std::array<std::pair<int, double>, 4> tests = {
      {{55, chi_all}, {56, chi_boys}, {57, chi_girls}, {58, chi_both}}};
  for (const auto& [label, chi] : tests) {
    if (!(chi > 0)) continue;
    const double pt = stats::ChiSquareUpperP(4, chi);
    out_ << "\\par " << T(label) << " p-value = " << fmt(pt, 4, 3) << " " << T(pt < 0.05 ? 48 : 49);
  }
  out_ << "\\par ";
}

void PlausibilityBuilder::month_of_birth() {
  out_ << "\\par\\par\\b " << T(1213) << " \\b0\\par\\par ";
  const core::DateConventions& dates = context_.evaluation.conventions;
  std::array<int, 12> counts{};
  for (const int row : data_rows_) {
    int month = 0;
    const std::string_view birth = cell(StdVar::birthdat, row);
    if (!birth.empty()) {
      // The month is the middle part of the text, or the first in month-day-year order.
      const std::size_t first = birth.find(dates.separator);
      const std::size_t second =
          first == std::string::npos ? std::string::npos : birth.find(dates.separator, first + 1);
      if (second == std::string::npos) continue;
      const std::string_view part = dates.order == core::DateOrder::mdy
                                   ? birth.substr(0, first)
                                   : birth.substr(first + 1, second - first - 1);
      month = std::atoi(trim(part).c_str());
    } else {
      const auto m = months(survey(), row);
      const std::string_view survdate = cell(StdVar::survdate, row);
      if (!m || survdate.empty() || *m != std::floor(*m)) continue;
      const auto day = core::day_number(survdate, dates, context_.evaluation.current_year);
      if (!day) continue;
      const int birth_day = *day - static_cast<int>(std::nearbyint(*m * anthro::kDaysPerMonth));
      month = core::civil_date_of(birth_day).month;
    }
    if (month >= 1 && month <= 12) ++counts[static_cast<std::size_t>(month - 1)];
  }
  static constexpr std::array<std::string_view, 12> kNames = {
      "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int unit = bar_unit(counts);
  out_ << rtf::kFixedWidthOn;
  for (int m = 0; m < 12; ++m) out_ << kNames[m] << ": " << bar(counts[m], unit) << "\\par ";
  out_ << rtf::kFixedWidthOff;
}

std::string PlausibilityBuilder::digit_text(StdVar measure, int row) const {
  const std::string_view text = cell(measure, row);
  if (measure != StdVar::muac) return std::string(text);
  const float value = core::parse_tolerant_empty_zero(text, separator_);
  if (!(value > 0)) return {};
  return core::format_fixed_trimmed(value / 10.0, 6, 1, separator_);
}

std::array<int, 10> PlausibilityBuilder::digit_counts(StdVar measure, const Rows& rows) const {
  std::array<int, 10> counts{};
  for (const int row : rows) {
    const std::string text = digit_text(measure, row);
    if (text.empty()) continue;  // only measured children count
    int digit = 0;
    const std::size_t at = text.find(separator_);
    if (at != std::string::npos && at + 1 < text.size() && text[at + 1] >= '0' &&
        text[at + 1] <= '9')
      digit = text[at + 1] - '0';
    ++counts[static_cast<std::size_t>(digit)];
  }
  return counts;
}

struct DigitScore {
  int n = 0;
  double chi = 0;
  double dps = 0;
};

DigitScore digit_score(const std::array<int, 10>& counts) {
  DigitScore s;
  s.n = std::accumulate(counts.begin(), counts.end(), 0);
  if (s.n == 0) return s;
  const double e = s.n / 10.0;
  for (const int c : counts) s.chi += (c - e) * (c - e) / e;
  // Digit preference score: 100 * sqrt(chi-square / (N * (k - 1))) with k = 10 digits, which
  // does not grow with the sample size as the chi-square itself does.
  s.dps = s.chi > 0 ? 100.0 * std::sqrt(s.chi / (9.0 * s.n)) : 0.0;
  return s;
}

void PlausibilityBuilder::DigitPreference(StdVar measure, int label_entry, int criterion) {
  out_ << "\\par\\par\\b " << T(1163) << " " << T(label_entry) << ": \\b0\\par\\par ";
  const std::array<int, 10> counts = digit_counts(measure, data_rows_);
  const int unit = bar_unit(counts);
  out_ << rtf::kFixedWidthOn;
  for (int d = 0; d < 10; ++d)
    out_ << "Digit ." << pad_right(std::to_string(d), 3) << ": " << bar(counts[d], unit)
         << "\\par ";
  out_ << rtf::kFixedWidthOff;
  const DigitScore s = digit_score(counts);
  // A measure nobody took has no score: its value stays empty and scores nothing.
  out_ << "\\par " << T(1164) << ": \\b " << marked(criterion, s.n > 0 ? fmt(s.dps, 5, 0) : "")
       << "\\b0  " << T(47) << " \\par ";
  if (s.chi > 0) {
    const double p = stats::ChiSquareUpperP(9, s.chi);
    out_ << T(1156) << " " << fmt(p, 4, 3) << " " << (p < 0.05 ? T(48) : std::string())
         << " \\par ";
  }
}

void PlausibilityBuilder::SD_SW_SK() {
  constexpr std::array<anthro::ExclusionMode, 3> kModes = {
      anthro::ExclusionMode::none, anthro::ExclusionMode::epi_info, anthro::ExclusionMode::kandu};
  const std::array<std::pair<StdVar, int>, 3> indices = {
      {{StdVar::whz, 1109}, {StdVar::haz, 1110}, {StdVar::waz, 1111}}};
  struct Fields {
    std::array<std::string, 4> sd_rows;  // SD and the three percentages
    std::string shapiro, skew, kurt;
  };
  std::array<std::array<Fields, 3>, 3> fields;  // [index][mode]
  const bool any_mean = mean_whz_ != 0 || mean_haz_ != 0 || mean_waz_ != 0;
  for (int i = 0; i < 3; ++i) {
    const int column = col(indices[i].first);
    for (int m = 0; m < 3; ++m) {
      const core::TextGrid& table = with_exclusion(column, kModes[m]);
      const stats::ColumnSummary s = stats::DeskripStatCont(table, column);
      Fields& f = fields[i][m];
      const bool scored = i == 0 && m == 2;
      const std::string sd = s.n >= 2 ? fmt(s.sd, 4, 2) : std::string();
      f.sd_rows[0] = scored ? marked(6, sd) : sd;
      f.sd_rows[0] = pad_left("", 17 - std::min<std::size_t>(17, sd.size())) + f.sd_rows[0];
      if (s.sd > 1) {
        f.sd_rows[1] = pad_left(fmt(s.pct_below_minus2, 4, 1) + "%", 17);
        f.sd_rows[2] = pad_left(fmt(stats::NormalPercentBelow(s.sd, s.mean, -2), 4, 1) + "%", 17);
        f.sd_rows[3] = pad_left(fmt(stats::NormalPercentBelow(1, s.mean, -2), 4, 1) + "%", 17);
      } else {
        for (int r = 1; r < 4; ++r) f.sd_rows[r] = std::string(17, ' ');
      }
      const std::vector<double> values = stats::present_values(table, column);
      if (any_mean && values.size() >= 3) {
        f.shapiro = pad_left("p=" + fmt(stats::ShapiroWilkW(values).p, 5, 3), 17);
      } else {
        f.shapiro = std::string(17, ' ');
      }
      std::string skew, kurt;
      if (s.n >= 4) {
        if (const auto sk = stats::skewness_kurtosis(values, s.mean, s.sd)) {
          skew = fmt(sk->skewness, 5, 2);
          kurt = fmt(sk->excess_kurtosis, 5, 2);
        }
      }
      const std::string skew_pad(17 - std::min<std::size_t>(17, skew.size()), ' ');
      const std::string kurt_pad(17 - std::min<std::size_t>(17, kurt.size()), ' ');
      f.skew = skew_pad + (scored ? marked(7, skew) : skew);
      f.kurt = kurt_pad + (scored ? marked(8, kurt) : kurt);
    }
  }
  out_ << "\\par\\par\\b " << T(82) << "\\b0\\par\\par " << rtf::kFixedWidthOn;
  for (const int heading : {83, 84, 85}) out_ << "\\b " << T(heading) << "\\b0\\par ";
  const auto row = [&](std::string label, const std::array<Fields, 3>& per_mode, auto field) {
    out_ << pad_right(std::move(label), 31);
    for (const Fields& f : per_mode) out_ << field(f);
    out_ << "\\par ";
  };
  for (int i = 0; i < 3; ++i) {
    out_ << "\\par\\b " << T(indices[i].second) << "\\b0\\par ";
    row(T(900), fields[i], [](const Fields& f) { return f.sd_rows[0]; });
    out_ << T(901) << "\\par " << T(887) << "\\par ";
    for (int r = 1; r < 4; ++r)
      row(T(901 + r), fields[i], [r](const Fields& f) { return f.sd_rows[r]; });
  }
  out_ << "\\par\\b " << T(9) << "\\b0\\par ";
  for (int i = 0; i < 3; ++i)
    row(T(indices[i].second), fields[i], [](const Fields& f) { return f.shapiro; });
  out_ << T(86) << "\\par ";
  out_ << "\\par\\b " << T(1157) << "\\b0\\par ";
  for (int i = 0; i < 3; ++i)
    row(T(indices[i].second), fields[i], [](const Fields& f) { return f.skew; });
  for (const int e : {1041, 40, 41, 42, 43, 44}) out_ << T(e) << "\\par ";
  out_ << "\\par\\b " << T(1158) << "\\b0\\par ";
  for (int i = 0; i < 3; ++i)
    row(T(indices[i].second), fields[i], [](const Fields& f) { return f.kurt; });
  for (const int e : {911, 87, 908, 909, 910}) out_ << T(e) << "\\par ";
  out_ << rtf::kFixedWidthOff;
}

void PlausibilityBuilder::Praev_calc() {
  clusters_.clear();
  cluster_counts_.clear();
  std::unordered_map<std::string, std::size_t> index_of;
  const std::array<StdVar, 3> order = {StdVar::whz, StdVar::haz, StdVar::waz};
  const core::TextGrid& t = base_.table;
  for (const StdVar index : order) {
    const core::TextGrid& z_table = with_exclusion(col(index), anthro::ExclusionMode::kandu);
    for (const int row : data_rows_) {
      if (t.cell(col(StdVar::team), row).empty()) continue;
      const std::string_view code = t.cell(col(StdVar::cluster), row);
      auto [it, added] = index_of.try_emplace(std::string(code), clusters_.size());
      if (added) {
        clusters_.emplace_back(code);
        cluster_counts_.push_back({});
      }
      std::array<double, 9>& c = cluster_counts_[it->second];
      const auto z = z_value(z_table, col(index), row);
      if (index == StdVar::whz) {
        const std::string_view edema = t.cell(col(StdVar::edema), row);
        const bool oedema = edema == "y" || edema == "Y";
        if (!z && !oedema) continue;
        const bool below2 = z && *z < -2, below3 = z && *z < -3;
        c[0] += below2;
        c[1] += below3;
        c[2] += oedema;
        c[3] += below2 || oedema;
        c[4] += below3 || oedema;
      } else if (z) {
        const std::size_t at = index == StdVar::haz ? 5 : 7;
        c[at] += *z < -2;
        c[at + 1] += *z < -3;
      }
    }
  }
}

void PlausibilityBuilder::PoissonCheck() {
  static constexpr std::array<std::string_view, 9> kLabels = {"WHZ < -2", "WHZ < -3", "Oedema",
                                                              "GAM",      "SAM",      "HAZ < -2",
                                                              "HAZ < -3", "WAZ < -2", "WAZ < -3"};
  for (std::size_t i = 0; i < kLabels.size(); ++i) {
    std::vector<double> counts;
    counts.reserve(cluster_counts_.size());
    for (const auto& c : cluster_counts_) counts.push_back(c[i]);
    const auto d = stats::index_of_dispersion(counts);
    const std::string id = d ? fmt(d->index, 3, 2) : "";
    const std::string p = d ? fmt(d->p, 4, 3) : "";
    out_ << pad_right(std::string(kLabels[i]) + ": ", 10) << "ID=" << id
         << " (p=" << (i == 0 ? marked(9, p) : p) << ")\\par ";
  }
}

void PlausibilityBuilder::clustering() {
  caption("Sorting datatable");
  core::SortSurvey(workspace_, col(StdVar::cluster), col(StdVar::id), core::SortOrder::ascending,
                   separator_);
  rebuild_base();
  Praev_calc();
  if (clusters_.size() <= 1) return;
  out_ << "\\par\\par\\b " << T(37) << "\\b0\\par\\par "
       << "\\f3\\fs20\\lang2057 ";
  PoissonCheck();
  out_ << rtf::kFixedWidthOff << "\\par " << T(88) << " \\par "
       << "\\par " << T(45) << " " << T(46) << "\\par\\par ";
}

std::string PlausibilityBuilder::Timepoints(const core::TextGrid& table, const Rows& rows,
                                            double mean) const {
  constexpr int kMaxTimepoints = 99;
  std::unordered_map<std::string, int> children_of;
  std::array<std::vector<double>, kMaxTimepoints + 1> values;
  for (const int row : rows) {
    if (table.cell(col(StdVar::team), row).empty()) continue;
    const int k = ++children_of[std::string(table.cell(col(StdVar::cluster), row))];
    if (k > kMaxTimepoints) continue;
    if (const auto z = z_value(table, col(StdVar::whz), row)) values[k].push_back(*z);
  }
  int points = 0;
  double n_total = 0;
  for (int k = 1; k <= kMaxTimepoints; ++k) {
    if (values[k].size() >= 2) {
      ++points;
      n_total += static_cast<double>(values[k].size());
    }
  }
  if (points == 0) return {};
  const double average_n = n_total / points;
  std::string text =
      "\\f3\\fs16\\lang2057 Time                                             SD for WHZ \\par "
      "point                 0.8 0.9 1.0 1.1 1.2 1.3 1.4 1.5 1.6 1.7 1.8 1.9 2.0 2.1 2.2 2.3 "
      "\\par ";
  for (int k = 1; k <= kMaxTimepoints; ++k) {
    const std::vector<double>& v = values[k];
    if (v.size() < 2) continue;
    const double n = static_cast<double>(v.size());
    const double m = std::accumulate(v.begin(), v.end(), 0.0) / n;
    double ss = 0;
    int f = 0;
    for (const double z : v) {
      ss += (z - m) * (z - m);
      if (flagged(static_cast<float>(z), anthro::FlagIndex::whz, mean)) ++f;
    }
    const double sd = std::sqrt(ss / (n - 1));
    const double length = std::clamp(std::nearbyint((sd - 0.8) * 42), 0.0, 64.0);
    const char c = n > 0.8 * average_n ? '#' : (n > 0.4 * average_n ? 'O' : '~');
    std::string n_text = std::to_string(v.size());
    if (n_text.size() < 2) n_text.insert(0, "0");
    std::string k_text = std::to_string(k);
    if (k_text.size() < 2) k_text.insert(0, "0");
    text += k_text + ": " + fmt(sd, 4, 2) + " (n=" + n_text + ", f=" + std::to_string(f) + ")  " +
            std::string(static_cast<std::size_t>(length), c) + " \\par ";
  }
  text += "\\par " + T(60) + " \\par\\par\\plain\\lang1031 ";
  return text;
}

void PlausibilityBuilder::team_analysis() {
  caption("Team analysis");
  std::vector<std::string> teams;
  {
    std::unordered_map<std::string, bool> seen;
    for (const int row : data_rows_) {
      const std::string_view team = cell(StdVar::team, row);
      if (team.empty()) continue;
      std::string code(team.substr(0, 7));
      if (seen.emplace(code, true).second) teams.push_back(std::move(code));
    }
  }
  stats::SortTextBuffer(teams);
  if (teams.size() <= 1) {
    out_ << T(914) << "\\par ";
    return;
  }
  std::vector<Rows> team_rows(teams.size());
  for (const int row : data_rows_) {
    const std::string_view team = cell(StdVar::team, row);
    if (team.empty()) continue;
    const auto it = std::lower_bound(
        teams.begin(), teams.end(), team.substr(0, 7),
        [](std::string_view a, std::string_view b) {
          return std::lexicographical_compare(
              a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
              });
        });
    team_rows[static_cast<std::size_t>(it - teams.begin())].push_back(row);
  }

  out_ << "\\par\\par\\b\\fs28 " << T(915) << " \\fs24\\b0\\par ";
  // No blank before the tabs: "Team " in bold reaches past the first default tab stop.
  out_ << "\\par\\b Team\\tab\\tab ";
  for (const std::string& t : teams) out_ << esc(t) << " \\tab ";
  out_ << " \\b0\\par n = \\tab\\tab ";
  for (const Rows& r : team_rows) out_ << std::to_string(r.size()) << " \\tab ";
  out_ << "\\par ";

  // Flagged percentages, age ratio and sex ratio per team.
  const std::array<std::tuple<int, int, anthro::FlagIndex, float>, 3> indices = {
      {{1109, col(StdVar::whz), anthro::FlagIndex::whz, mean_whz_},
       {1110, col(StdVar::haz), anthro::FlagIndex::haz, mean_haz_},
       {1111, col(StdVar::waz), anthro::FlagIndex::waz, mean_waz_}}};
  out_ << "\\b " << T(3) << "\\b0\\par ";
  for (const auto& [label, column, index, mean] : indices) {
    out_ << T(label) << ":\\tab ";
    for (const Rows& rows : team_rows) {
      int n = 0, f = 0;
      for (const int row : rows) {
        const auto z = z_value(survey(), column, row);
        if (!z) continue;
        ++n;
        if (!cell(StdVar::sex, row).empty() && flagged(*z, index, mean)) ++f;
      }
      out_ << "\\tab "
           << (n > 0 ? core::format_fixed_trimmed(100.0 * f / n, 4, 1, separator_) : "");
    }
    out_ << "\\par ";
  }
  std::string age_row = "\\tab ", sex_row = "\\tab ";
  for (const Rows& rows : team_rows) {
    int a = 0, b = 0, boys = 0, girls = 0;
    for (const int row : rows) {
      if (const auto m = months(survey(), row)) {
        if (*m >= 6 && *m < 30)
          ++a;
        else if (*m >= 30 && *m < 60)
          ++b;
      }
      const std::string_view sex = cell(StdVar::sex, row);
      boys += sex == "m";
      girls += sex == "f";
    }
    age_row += "\\tab " + (b > 0 ? fmt(static_cast<double>(a) / b, 3, 2) : std::string());
    sex_row +=
        "\\tab " + (girls > 0 ? fmt(static_cast<double>(boys) / girls, 3, 2) : std::string());
  }
  out_ << "\\b " << T(4) << "\\b0\\par " << age_row << "\\par ";
  out_ << "\\b " << T(6) << "\\b0\\par " << sex_row << "\\par ";

  // Digit preference per team.
  const std::array<std::pair<StdVar, int>, 3> measures = {
      {{StdVar::weight, 916}, {StdVar::height, 917}, {StdVar::muac, 946}}};
  for (const auto& [measure, heading] : measures) {
    std::vector<std::array<int, 10>> counts;
    for (const Rows& rows : team_rows) counts.push_back(digit_counts(measure, rows));
    out_ << "\\b " << T(heading) << " (%): \\b0\\par ";
    for (int d = 0; d < 10; ++d) {
      out_ << "." << pad_right(std::to_string(d), 3) << ": \\tab\\tab ";
      for (const auto& c : counts) {
        const int n = std::accumulate(c.begin(), c.end(), 0);
        out_ << (n > 0 ? fmt(100.0 * c[d] / n, 3, 0) : std::string()) << " \\tab ";
      }
      out_ << "\\par ";
    }
    out_ << "DPS: \\tab\\tab ";
    for (const auto& c : counts) {
      const DigitScore s = digit_score(c);
      out_ << (s.n > 0 ? fmt(s.dps, 3, 0) : std::string()) << " \\tab ";
    }
    out_ << " \\par " << T(91) << " \\par ";
  }

  // SD of WHZ and HAZ per team, without exclusion.
  const core::TextGrid& plain = base_.table;
  for (const auto& [column, heading] :
       std::array<std::pair<int, int>, 2>{{{col(StdVar::whz), 899}, {col(StdVar::haz), 905}}}) {
    // Labels short enough that the values start at the second default tab stop, in line with
    // the team codes above them.
    std::array<std::string, 4> lines = {"SD \\tab\\tab ", "obs \\tab\\tab ", "calc \\tab\\tab ",
                                        "SD1 \\tab\\tab "};
    for (const Rows& rows : team_rows) {
      std::vector<double> v;
      for (const int row : rows)
        if (const auto z = z_value(plain, column, row)) v.push_back(*z);
      const double n = static_cast<double>(v.size());
      std::array<std::string, 4> values;
      if (v.size() >= 2) {
        const double mean = std::accumulate(v.begin(), v.end(), 0.0) / n;
        double ss = 0;
        int below = 0;
        for (const double z : v) {
          ss += (z - mean) * (z - mean);
          below += z < -2;
        }
        const double sd = std::sqrt(ss / (n - 1));
        values[0] = fmt(sd, 4, 2);
        if (sd > 1) {
          values[1] = fmt(100.0 * below / n, 4, 1);
          values[2] = fmt(stats::NormalPercentBelow(sd, mean, -2), 4, 1);
          values[3] = fmt(stats::NormalPercentBelow(1, mean, -2), 4, 1);
        }
      }
      for (int r = 0; r < 4; ++r) lines[r] += values[r] + " \\tab ";
    }
    out_ << "\\par\\b " << T(heading) << "\\b0\\par ";
    for (const std::string& line : lines) out_ << line << "\\par ";
  }

  // Age and sex distribution, then the time points, per team.
  const double mean_all = stats::DeskripStatCont(plain, col(StdVar::whz)).mean;
  out_ << "\\par\\par\\b " << T(92) << "\\b0\\par ";
  for (std::size_t t = 0; t < teams.size(); ++t)
    AgeSex_SG6("Team " + std::to_string(t + 1) + ":", plain, team_rows[t], false);
  out_ << "\\par\\par\\b " << T(93) << "\\b0\\par\\par ";
  for (std::size_t t = 0; t < teams.size(); ++t) {
    out_ << "\\b Team: " << std::to_string(t + 1) << "\\b0\\par\\par ";
    out_ << Timepoints(plain, team_rows[t], mean_all);
  }
  out_ << T(914) << "\\par ";
}

// Rebuilding the whole analysis table for each index and mode would copy every cell of the
// survey fifteen times; the exclusion touches only the one z-score column, so that column alone
// is filled here, by the rule the analysis table applies: the observed mean is taken over the
// selected rows, and each value the flag test rejects is left out.
const core::TextGrid& PlausibilityBuilder::with_exclusion(int column, anthro::ExclusionMode mode) {
  const core::TextGrid& base = base_.table;
  if (excluded_.column_count() <= column || excluded_.row_count() != base.row_count())
    excluded_ = core::TextGrid(std::max(column + 1, col(StdVar::whz) + 1), base.row_count());
  excluded_.clear_column(column);
  std::optional<double>& mean = observed_means_[static_cast<std::size_t>(column)];
  if (!mean) mean = stats::DeskripStatCont(base, column).mean;
  const double observed_mean = *mean;
  const anthro::FlagIndex index = column == col(StdVar::waz)   ? anthro::FlagIndex::waz
                                  : column == col(StdVar::haz) ? anthro::FlagIndex::haz
                                                               : anthro::FlagIndex::whz;
  const anthro::FlagTest flag_test(index, mode, observed_mean, context_.options.flags, separator_);
  for (int row = 1; row < base.row_count(); ++row) {
    const std::string_view text = base.cell(column, row);
    if (text.empty()) continue;
    const float z = core::parse_tolerant(text, separator_);
    if (flag_test.flagged(z)) continue;
    excluded_.set_cell(column, row, text);
  }
  return excluded_;
}

// ---------------------------------------------------------------------------------------------

void replace_all(std::string& text, std::string_view from, std::string_view to) {
  std::size_t at = 0;
  while ((at = text.find(from, at)) != std::string::npos) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
}

void replace_first(std::string& text, std::string_view from, std::string_view to) {
  const std::size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
}

void PlausibilityBuilder::scoring(PlausibilityReport& report) {
  std::string text = out_.text();
  int total = 0;
  for (int n = 0; n < kCriterionCount; ++n) {
    std::string value;
    const std::size_t open = text.find(marker(n, 'a'));
    if (open != std::string::npos) {
      const std::size_t from = open + marker(n, 'a').size();
      const std::size_t close = text.find(marker(n, 'b'), from);
      if (close != std::string::npos)
        value = trim(std::string_view(text).substr(from, close - from));
    }
    const int points = criterion_points(n, value);
    report.criteria[static_cast<std::size_t>(n)] = {value, points};
    total += points;
    const std::string id = std::to_string(n);
    // Skewness and kurtosis are scored on their magnitude, and their summary lines say so
    // ("absolute value"): the summary shows that magnitude, the detailed table the sign.
    const bool by_magnitude = (n == 7 || n == 8) && value.starts_with('-');
    replace_all(text, "&" + id + "a", by_magnitude ? value.substr(1) : value);
    replace_all(text, "&" + id + "b", "\\b " + std::to_string(points) + "\\b0 ");
  }
  report.total = total;
  report.grade_entry = grade_entry(total);
  replace_first(text, "&10a", "\\b " + std::to_string(total) + "\\b0 ");
  replace_first(text, "&10a", std::to_string(total));
  replace_first(text, "&10b", T(report.grade_entry));
  // The markers are no text of the report.
  std::string cleaned;
  cleaned.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kCriterionMarker && i + 2 < text.size() && text[i + 1] >= '0' &&
        text[i + 1] <= '9' && (text[i + 2] == 'a' || text[i + 2] == 'b')) {
      i += 2;
      continue;
    }
    cleaned += text[i];
  }
  report.document.assign(std::move(cleaned));
}

PlausibilityReport PlausibilityBuilder::build() {
  preparation();
  summary_table();
  duplicates();
  MissingData();
  missing_birth_dates();
  values_out_of_range();
  flagged_zscores();
  age_distribution();
  age_ratio();
  rebuild_base();
  AgeSex_SG6(T(81), base_.table, data_rows_, true);
  month_of_birth();
  DigitPreference(StdVar::weight, 1165, 4);
  DigitPreference(StdVar::height, 1166, 5);
  DigitPreference(StdVar::muac, 1167, 0);
  SD_SW_SK();
  clustering();
  {
    const double mean = stats::DeskripStatCont(base_.table, col(StdVar::whz)).mean;
    const std::string timepoints = Timepoints(base_.table, data_rows_, mean);
    if (!timepoints.empty()) {
      out_ << "\\par\\b " << T(89) << "\\b0\\par " << T(90) << " \\par\\par\\b0 " << timepoints;
    }
  }
  team_analysis();
  PlausibilityReport report;
  scoring(report);
  caption("Finalization of report");
  return report;
}

}  // namespace

int criterion_points(int criterion, std::string_view printed_value) {
  std::string text = trim(printed_value);
  if (text.empty()) return 0;
  std::replace(text.begin(), text.end(), ',', '.');
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || !std::isfinite(v)) return 0;
  switch (criterion) {
    case 1:
      return v <= 2.5 ? 0 : v <= 5 ? 5 : v <= 7.5 ? 10 : 20;
    case 2:
    case 3:
      return v > 0.1 ? 0 : v > 0.05 ? 2 : v > 0.001 ? 4 : 10;
    case 0:
    case 4:
    case 5:
      return v <= 7 ? 0 : v <= 12 ? 2 : v <= 20 ? 4 : 10;
    case 6:
      if (v > 0.9 && v < 1.1) return 0;
      if ((v >= 1.1 && v < 1.15) || (v > 0.85 && v <= 0.9)) return 5;
      if ((v >= 1.15 && v < 1.2) || (v > 0.8 && v <= 0.85)) return 10;
      return 20;
    case 7:
    case 8: {
      const double a = std::fabs(v);
      return a < 0.2 ? 0 : a < 0.4 ? 1 : a < 0.6 ? 3 : 5;
    }
    case 9:
      return v > 0.05 ? 0 : v > 0.01 ? 1 : v > 0.001 ? 3 : 5;
    default:
      return 0;
  }
}

int grade_entry(int total) {
  if (total <= 9) return 1159;
  if (total <= 14) return 1160;
  if (total <= 24) return 1161;
  return 1162;
}

core::OptionsPage report_options(const core::SettingsRecord& settings,
                                 const core::Workspace& workspace, char decimal_separator) {
  core::OptionsPage options = core::Options_New(settings, decimal_separator);
  workspace::show_survey_options(options, workspace.options);
  return options;
}

PlausibilityReport Plausibility(const core::Workspace& workspace,
                                const PlausibilityContext& context) {
  PlausibilityBuilder builder(workspace, context);
  return builder.build();
}

HandOffResult run_plausibility_mode(const core::Workspace& workspace,
                                    const PlausibilityContext& context,
                                    const OutputSettings& settings, const OutputFolders& folders,
                                    HandOffServices& services) {
  const PlausibilityReport report = Plausibility(workspace, context);
  return WriteReportDocument(report.document, settings, folders, services);
}

}  // namespace olvar::reports
