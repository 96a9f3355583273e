#include "reports/plausibility_report.h"

#include "workspace/survey_options_sync.h"

#include <algorithm>
#include <array>
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
#include "analysis/analysis_table.h"
#include "stats/chi_square.h"
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

constexpr int kMaxTimepoints = 99;

std::string trim(std::string_view text) { return std::string(core::trim_spaces(text)); }

struct AgeGroups {
  std::array<double, 5> lower{};
  std::array<double, 5> upper{};
  std::array<double, 5> expected_boys{};
  std::array<double, 5> expected_girls{};
};

AgeGroups age_groups(const analysis::AnalysisSettings& settings) {
  AgeGroups groups;
  for (std::size_t g = 0; g < 5; ++g) {
    groups.lower[g] = settings.age_groups[g].lower;
    groups.upper[g] = settings.age_groups[g].upper;
    groups.expected_boys[g] = settings.expected_boys[g];
    groups.expected_girls[g] = settings.expected_girls[g];
  }
  return groups;
}

DigitValues digit_values(const std::array<int, 10>& counts) {
  DigitValues s;
  s.counts = counts;
  s.n = std::accumulate(counts.begin(), counts.end(), 0);
  if (s.n == 0) return s;
  const double e = s.n / 10.0;
  for (const int c : counts) s.chi += (c - e) * (c - e) / e;
  // Digit preference score: 100 * sqrt(chi-square / (N * (k - 1))) with k = 10 digits, which
  // does not grow with the sample size as the chi-square itself does.
  s.dps = s.chi > 0 ? 100.0 * std::sqrt(s.chi / (9.0 * s.n)) : 0.0;
  return s;
}

// Computes every figure of the report on a working copy of the survey, section by section in
// the order the report shows them (the clustering sorts the copy, and what follows reads it
// sorted).
class PlausibilityBuilder {
 public:
  PlausibilityBuilder(const core::Workspace& workspace, const PlausibilityContext& context)
      : context_(context), workspace_(workspace) {
    separator_ = context.evaluation.conventions.decimal_separator;
    analysis_options_ = analysis::analysis_settings(context.options, separator_);
    groups_ = age_groups(analysis_options_);
  }

  PlausibilityValues build();

 private:
  double number(std::string_view text) const { return core::parse_tolerant(text, separator_); }
  std::string_view cell(StdVar v, int row) const { return survey().cell(col(v), row); }
  const core::SurveyTable& survey() const { return workspace_.survey; }
  RowRef ref(int row) const { return {row, std::string(cell(StdVar::id, row))}; }
  std::string fmt(double value, int precision, int decimals) const {
    return core::format_fixed(value, precision, decimals, separator_);
  }
  void caption(std::string_view text) const {
    if (context_.show_caption) context_.show_caption(text);
  }
  analysis::AnalysisOptions options_with(anthro::ExclusionMode mode) const {
    analysis::AnalysisOptions o = analysis_options_;
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
  void duplicates();
  void MissingData();
  void missing_birth_dates();
  void values_out_of_range();
  void flagged_zscores();
  void age_distribution();
  void age_ratio();
  AgeSexValues AgeSex_SG6(const core::TextGrid& table, const Rows& rows) const;
  void month_of_birth();
  std::array<int, 10> digit_counts(StdVar measure, const Rows& rows) const;
  std::string digit_text(StdVar measure, int row) const;
  void SD_SW_SK();
  void clustering();
  void Praev_calc();
  Timepoints timepoints(const core::TextGrid& table, const Rows& rows, double mean) const;
  void team_analysis();
  void scoring();
  const core::TextGrid& with_exclusion(int column, anthro::ExclusionMode mode);

  const PlausibilityContext& context_;
  core::Workspace workspace_;  // the working copy: WHO z-scores, sorted for the clustering
  char separator_ = '.';
  analysis::AnalysisOptions analysis_options_;
  AgeGroups groups_;
  PlausibilityValues v_;
  Rows data_rows_;  // 1 ... last used row
  // The analysis table without exclusion, and one z-score column of it with the exclusion of a
  // mode applied (what rebuilding the analysis table for that column and mode gives there).
  analysis::AnalysisTable base_;
  core::TextGrid excluded_;
  // Observed means of the z-score columns of base_, worked out once per rebuild.
  std::array<std::optional<double>, 16> observed_means_;
  void rebuild_base() {
    analysis::SG6_uebergabe(survey(), options_with(anthro::ExclusionMode::none),
                            analysis::Transfer::copy(), base_);
    observed_means_ = {};
  }
};

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
  v_.file_name = std::move(name);
}

}  // namespace

std::vector<std::vector<int>> find_duplicate_groups(const core::TextGrid& table, int last_row) {
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
  std::vector<std::vector<int>> groups;
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
    for (std::vector<int>& rows : classes)
      if (rows.size() > 1) groups.push_back(std::move(rows));
    begin = end;
  }
  std::sort(groups.begin(), groups.end());
  return groups;
}

std::vector<DuplicatePair> find_duplicate_rows(const core::TextGrid& table, int last_row) {
  std::vector<DuplicatePair> pairs;
  for (const std::vector<int>& rows : find_duplicate_groups(table, last_row))
    for (std::size_t i = 0; i < rows.size(); ++i)
      for (std::size_t j = i + 1; j < rows.size(); ++j) pairs.emplace_back(rows[i], rows[j]);
  std::sort(pairs.begin(), pairs.end());
  return pairs;
}

namespace {

void PlausibilityBuilder::duplicates() {
  std::vector<DuplicatePair> pairs;
  for (const std::vector<int>& rows :
       find_duplicate_groups(survey(), data_rows_.empty() ? 0 : data_rows_.back())) {
    if (rows.size() > kLargestDuplicateGroupAsPairs) {
      std::vector<RowRef>& group = v_.duplicate_groups.emplace_back();
      for (const int row : rows) group.push_back(ref(row));
      continue;
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
      for (std::size_t j = i + 1; j < rows.size(); ++j) pairs.emplace_back(rows[i], rows[j]);
  }
  std::sort(pairs.begin(), pairs.end());
  for (const auto& [i, j] : pairs) v_.duplicates.emplace_back(ref(j), ref(i));
}

void PlausibilityBuilder::MissingData() {
  for (const StdVar v : {StdVar::sex, StdVar::months, StdVar::weight, StdVar::height}) {
    MissingColumn column{std::string(survey().cell(col(v), 0)), {}};
    for (const int row : data_rows_) {
      if (!any_of_first_columns(row) || !cell(v, row).empty()) continue;
      column.rows.push_back(ref(row));
    }
    if (!column.rows.empty()) v_.missing.push_back(std::move(column));
  }
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
  v_.missing_birth_dates_percent = static_cast<int>(percent);
}

void PlausibilityBuilder::values_out_of_range() {
  v_.months_heading = std::string(survey().cell(col(StdVar::months), 0));
  v_.height_heading = std::string(survey().cell(col(StdVar::height), 0));
  const double low = groups_.lower[0];
  const double high = groups_.upper[4] + 1;
  for (const int row : data_rows_) {
    if (const auto m = months(survey(), row); m && (*m < low || *m >= high))
      v_.ages_out_of_range.push_back({ref(row), *m});
    const std::string_view h_text = cell(StdVar::height, row);
    if (h_text.empty()) continue;
    const float h = core::parse_tolerant(h_text, separator_);
    if (h == core::kUnreadable) continue;
    const std::string_view sex = cell(StdVar::sex, row);
    const bool out = (sex == "m" && (h < 49 || h > 145)) || (sex == "f" && (h < 49 || h > 137));
    if (out) v_.heights_out_of_range.push_back({ref(row), h});
  }
}

void PlausibilityBuilder::flagged_zscores() {
  FlaggedZscores& f = v_.flagged;
  const std::array<int, 3> columns = {col(StdVar::whz), col(StdVar::haz), col(StdVar::waz)};
  std::array<double, 3> sums{};
  for (const int row : data_rows_) {
    for (int i = 0; i < 3; ++i) {
      if (const auto z = z_value(survey(), columns[i], row)) {
        sums[i] += *z;
        ++f.n[i];
      }
    }
  }
  for (int i = 0; i < 3; ++i) f.mean[i] = f.n[i] ? static_cast<float>(sums[i] / f.n[i]) : 0.0f;

  const std::array<anthro::FlagIndex, 3> indices = {anthro::FlagIndex::whz, anthro::FlagIndex::haz,
                                                    anthro::FlagIndex::waz};
  // Which indices of a row are flagged, with the parsed values the remark compares.
  const auto flags_of = [&](int row, std::array<float, 3>& z) {
    std::array<bool, 3> is{};
    for (int i = 0; i < 3; ++i) {
      const std::string_view text = survey().cell(columns[i], row);
      z[i] = text.empty() ? core::kUnreadable : core::parse_tolerant(text, separator_);
      is[i] = !text.empty() && z[i] != core::kUnreadable && flagged(z[i], indices[i], f.mean[i]);
    }
    return is;
  };
  // Counted first, so that the list of flagged children is allocated once: a survey with many
  // flags would otherwise copy it over and over as it grows.
  Rows flagged_rows;
  for (const int row : data_rows_) {
    if (cell(StdVar::sex, row).empty()) continue;
    std::array<float, 3> z{};
    const std::array<bool, 3> is = flags_of(row, z);
    for (int i = 0; i < 3; ++i) f.flagged[i] += is[i];
    if (is[0] || is[1] || is[2]) flagged_rows.push_back(row);
  }
  f.children.reserve(flagged_rows.size());
  for (const int row : flagged_rows) {
    std::array<float, 3> z{};
    const std::array<bool, 3> is = flags_of(row, z);
    FlaggedChild child{ref(row), is, {}, 0};
    for (int i = 0; i < 3; ++i) child.z_text[i] = std::string(survey().cell(columns[i], row));
    // The measurement most likely at fault: the one the flagged indices share, or, with one
    // index flagged, the one whose other index lies further from its mean.
    const auto dev = [&](int i) { return std::fabs(z[i] - f.mean[i]); };
    if (is[0] && !is[1] && !is[2])
      child.remark_entry = dev(1) > dev(2) ? 897 : 895;
    else if (!is[0] && is[1] && !is[2])
      child.remark_entry = dev(0) > dev(2) ? 897 : 896;
    else if (!is[0] && !is[1] && is[2])
      child.remark_entry = dev(0) > dev(1) ? 895 : 896;
    else if (is[0] && is[1] && !is[2])
      child.remark_entry = 897;
    else if (!is[0] && is[1] && is[2])
      child.remark_entry = 896;
    else if (is[0] && !is[1] && is[2])
      child.remark_entry = 895;
    f.children.push_back(std::move(child));
  }
}

void PlausibilityBuilder::age_distribution() {
  for (const int row : data_rows_) {
    const auto m = months(survey(), row);
    if (!m) continue;
    const double month = std::nearbyint(*m);
    if (month >= 1 && month <= 72) ++v_.children_by_month[static_cast<std::size_t>(month)];
  }
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
  const stats::ChiSquareTest test = stats::chi_square_test(
      std::array{static_cast<double>(a), static_cast<double>(b)},
      std::array{expected_a, expected_b}, 1);
  v_.age_ratio = AgeRatio{a, b, static_cast<double>(a) / b, test.p};
}

AgeSexValues PlausibilityBuilder::AgeSex_SG6(const core::TextGrid& table, const Rows& rows) const {
  AgeSexValues s;
  const double low = groups_.lower[0], high = groups_.upper[4] + 1;
  for (const int row : rows) {
    const auto m = months(table, row);
    if (!m) continue;
    const std::string_view sex = table.cell(col(StdVar::sex), row);
    const bool boy = sex == "m", girl = sex == "f";
    if (!boy && !girl) continue;
    for (int g = 0; g < 5; ++g) {
      if (*m >= groups_.lower[g] && *m < groups_.upper[g] + 1) (boy ? s.boys : s.girls)[g]++;
    }
    if (*m >= low && *m < high) (boy ? s.all_boys : s.all_girls)++;
  }
  double B = 0, G = 0;
  for (int g = 0; g < 5; ++g) {
    s.width[g] = groups_.upper[g] - groups_.lower[g] + 1;
    B += groups_.expected_boys[g] * s.width[g];
    G += groups_.expected_girls[g] * s.width[g];
  }
  const double N = s.all_boys + s.all_girls;
  for (int g = 0; g < 5; ++g) {
    const double wb = groups_.expected_boys[g] * s.width[g],
                 wg = groups_.expected_girls[g] * s.width[g];
    s.expected_boys_all[g] = B + G > 0 ? N * wb / (B + G) : 0.0;
    s.expected_girls_all[g] = B + G > 0 ? N * wg / (B + G) : 0.0;
    s.expected_boys[g] = B > 0 ? wb / B * s.all_boys : 0.0;
    s.expected_girls[g] = G > 0 ? wg / G * s.all_girls : 0.0;
  }
  s.expected_all_boys = B + G > 0 ? N * B / (B + G) : 0.0;
  s.expected_all_girls = B + G > 0 ? N * G / (B + G) : 0.0;
  const double eb = s.expected_all_boys, eg = s.expected_all_girls;
  if (eb > 0 && eg > 0) {
    s.sex_ratio_p = stats::chi_square_test(std::array{static_cast<double>(s.all_boys),
                                                      static_cast<double>(s.all_girls)},
                                           std::array{eb, eg}, 1)
                        .p;
  }
  const auto term = [](double o, double e) { return e > 0 ? (o - e) * (o - e) / e : 0.0; };
  for (int g = 0; g < 5; ++g) {
    s.chi[0] += term(s.boys[g] + s.girls[g], s.expected_boys_all[g] + s.expected_girls_all[g]);
    s.chi[1] += term(s.boys[g], s.expected_boys[g]);
    s.chi[2] += term(s.girls[g], s.expected_girls[g]);
    s.chi[3] += term(s.boys[g], s.expected_boys_all[g]) + term(s.girls[g], s.expected_girls_all[g]);
  }
  return s;
}

// Ages in months beyond this (a thousand years) give no month of birth.
constexpr double kMonthsOfALongLife = 12000.0;

void PlausibilityBuilder::month_of_birth() {
  const core::DateConventions& dates = context_.evaluation.conventions;
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
      // An age beyond any lifetime (a slip of many digits) has no birth day in the calendar,
      // and its day count would not fit the day numbers.
      if (!(std::fabs(*m) <= kMonthsOfALongLife)) continue;
      const int birth_day = *day - static_cast<int>(std::nearbyint(*m * anthro::kDaysPerMonth));
      month = core::civil_date_of(birth_day).month;
    }
    if (month >= 1 && month <= 12) ++v_.births_by_month[static_cast<std::size_t>(month - 1)];
  }
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

void PlausibilityBuilder::SD_SW_SK() {
  constexpr std::array<anthro::ExclusionMode, 3> kModes = {
      anthro::ExclusionMode::none, anthro::ExclusionMode::epi_info, anthro::ExclusionMode::kandu};
  const std::array<StdVar, 3> indices = {StdVar::whz, StdVar::haz, StdVar::waz};
  v_.any_mean = v_.flagged.mean[0] != 0 || v_.flagged.mean[1] != 0 || v_.flagged.mean[2] != 0;
  for (int i = 0; i < 3; ++i) {
    const int column = col(indices[i]);
    for (int m = 0; m < 3; ++m) {
      const core::TextGrid& table = with_exclusion(column, kModes[m]);
      const stats::ColumnSummary s = stats::DeskripStatCont(table, column);
      ShapeValues& shape = v_.shape[i][m];
      shape.n = s.n;
      shape.mean = s.mean;
      shape.sd = s.sd;
      shape.pct_below_minus2 = s.pct_below_minus2;
      const std::vector<double> values = stats::present_values(table, column);
      if (v_.any_mean && values.size() >= 3) shape.shapiro_p = stats::ShapiroWilkW(values).p;
      if (s.n >= 4) shape.shape = stats::skewness_kurtosis(values, s.mean, s.sd);
    }
  }
}

void PlausibilityBuilder::Praev_calc() {
  ClusteringValues& c = v_.clustering;
  std::unordered_map<std::string, std::size_t> index_of;
  const std::array<StdVar, 3> order = {StdVar::whz, StdVar::haz, StdVar::waz};
  const core::TextGrid& t = base_.table;
  for (const StdVar index : order) {
    const core::TextGrid& z_table = with_exclusion(col(index), anthro::ExclusionMode::kandu);
    for (const int row : data_rows_) {
      if (t.cell(col(StdVar::team), row).empty()) continue;
      const std::string_view code = t.cell(col(StdVar::cluster), row);
      auto [it, added] = index_of.try_emplace(std::string(code), c.clusters.size());
      if (added) {
        c.clusters.emplace_back(code);
        c.counts.push_back({});
      }
      std::array<double, 9>& n = c.counts[it->second];
      const auto z = z_value(z_table, col(index), row);
      if (index == StdVar::whz) {
        const std::string_view edema = t.cell(col(StdVar::edema), row);
        const bool oedema = edema == "y" || edema == "Y";
        if (!z && !oedema) continue;
        const bool below2 = z && *z < -2, below3 = z && *z < -3;
        n[0] += below2;
        n[1] += below3;
        n[2] += oedema;
        n[3] += below2 || oedema;
        n[4] += below3 || oedema;
      } else if (z) {
        const std::size_t at = index == StdVar::haz ? 5 : 7;
        n[at] += *z < -2;
        n[at + 1] += *z < -3;
      }
    }
  }
}

void PlausibilityBuilder::clustering() {
  caption("Sorting datatable");
  core::SortSurvey(workspace_, col(StdVar::cluster), col(StdVar::id), context_.sort_order,
                   separator_);
  rebuild_base();
  Praev_calc();
  ClusteringValues& c = v_.clustering;
  if (c.clusters.size() <= 1) return;
  for (std::size_t i = 0; i < c.dispersion.size(); ++i) {
    std::vector<double> counts;
    counts.reserve(c.counts.size());
    for (const auto& n : c.counts) counts.push_back(n[i]);
    c.dispersion[i] = stats::index_of_dispersion(counts);
  }
}

Timepoints PlausibilityBuilder::timepoints(const core::TextGrid& table, const Rows& rows,
                                           double mean) const {
  std::unordered_map<std::string, int> children_of;
  std::array<std::vector<double>, kMaxTimepoints + 1> values;
  for (const int row : rows) {
    if (table.cell(col(StdVar::team), row).empty()) continue;
    const int k = ++children_of[std::string(table.cell(col(StdVar::cluster), row))];
    if (k > kMaxTimepoints) continue;
    if (const auto z = z_value(table, col(StdVar::whz), row)) values[k].push_back(*z);
  }
  Timepoints result;
  double n_total = 0;
  for (int k = 1; k <= kMaxTimepoints; ++k) {
    const std::vector<double>& v = values[k];
    if (v.size() < 2) continue;
    n_total += static_cast<double>(v.size());
    const stats::MeanSd m = stats::mean_sd(v);
    int f = 0;
    for (const double z : v)
      if (flagged(static_cast<float>(z), anthro::FlagIndex::whz, mean)) ++f;
    result.points.push_back({k, static_cast<int>(v.size()), m.sd, f});
  }
  if (!result.points.empty()) result.average_n = n_total / static_cast<double>(result.points.size());
  return result;
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
  if (teams.size() <= 1) return;
  v_.teams.resize(teams.size());
  std::vector<Rows> team_rows(teams.size());
  for (std::size_t t = 0; t < teams.size(); ++t) v_.teams[t].code = teams[t];
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

  const std::array<std::pair<int, anthro::FlagIndex>, 3> indices = {
      {{col(StdVar::whz), anthro::FlagIndex::whz},
       {col(StdVar::haz), anthro::FlagIndex::haz},
       {col(StdVar::waz), anthro::FlagIndex::waz}}};
  const core::TextGrid& plain = base_.table;
  const double mean_all = stats::DeskripStatCont(plain, col(StdVar::whz)).mean;
  for (std::size_t t = 0; t < teams.size(); ++t) {
    TeamValues& team = v_.teams[t];
    const Rows& rows = team_rows[t];
    team.children = static_cast<int>(rows.size());
    // Flagged percentages, with the means over all children.
    for (std::size_t i = 0; i < 3; ++i) {
      const auto& [column, index] = indices[i];
      int n = 0, f = 0;
      for (const int row : rows) {
        const auto z = z_value(survey(), column, row);
        if (!z) continue;
        ++n;
        if (!cell(StdVar::sex, row).empty() && flagged(*z, index, v_.flagged.mean[i])) ++f;
      }
      if (n > 0) team.flagged_percent[i] = 100.0 * f / n;
    }
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
    if (b > 0) team.age_ratio = static_cast<double>(a) / b;
    if (girls > 0) team.sex_ratio = static_cast<double>(boys) / girls;
    const std::array<StdVar, 3> measures = {StdVar::weight, StdVar::height, StdVar::muac};
    for (std::size_t i = 0; i < 3; ++i) team.digits[i] = digit_values(digit_counts(measures[i], rows));
    // SD of WHZ and HAZ without exclusion.
    const std::array<int, 2> sd_columns = {col(StdVar::whz), col(StdVar::haz)};
    for (std::size_t i = 0; i < 2; ++i) {
      std::vector<double> z_values;
      for (const int row : rows)
        if (const auto z = z_value(plain, sd_columns[i], row)) z_values.push_back(*z);
      if (z_values.size() < 2) continue;
      const stats::MeanSd m = stats::mean_sd(z_values);
      const auto below = std::count_if(z_values.begin(), z_values.end(),
                                       [](double z) { return z < -2; });
      team.sd[i] = {m.sd, m.mean, 100.0 * static_cast<double>(below) / static_cast<double>(m.n)};
    }
    team.age_sex = AgeSex_SG6(plain, rows);
    team.timepoints = timepoints(plain, rows, mean_all);
  }
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

// Each criterion is scored on its value as the report prints it (so a flagged-WHZ percentage of
// 2.54, printed 2.5, scores 0), in the formats of the criteria table.
void PlausibilityBuilder::scoring() {
  std::array<std::string, kCriterionCount> printed;
  if (const auto p = v_.flagged.percent(kWhz)) printed[1] = fmt(*p, 3, 1);
  if (v_.age_sex.sex_ratio_p) printed[2] = fmt(*v_.age_sex.sex_ratio_p, 4, 3);
  if (v_.age_ratio) printed[3] = fmt(v_.age_ratio->p, 4, 3);
  const std::array<int, 3> digit_criteria = {4, 5, 0};
  for (std::size_t i = 0; i < 3; ++i)
    if (v_.digits[i].n > 0) printed[digit_criteria[i]] = fmt(v_.digits[i].dps, 5, 0);
  const ShapeValues& whz_kandu = v_.shape[kWhz][2];
  if (whz_kandu.n >= 2) printed[6] = fmt(whz_kandu.sd, 4, 2);
  if (whz_kandu.shape) {
    printed[7] = fmt(whz_kandu.shape->skewness, 5, 2);
    printed[8] = fmt(whz_kandu.shape->excess_kurtosis, 5, 2);
  }
  if (v_.clustering.clusters.size() > 1 && v_.clustering.dispersion[0])
    printed[9] = fmt(v_.clustering.dispersion[0]->p, 4, 3);
  v_.total = 0;
  v_.criteria_computed = 0;
  for (int n = 0; n < kCriterionCount; ++n) {
    const std::string value = trim(printed[static_cast<std::size_t>(n)]);
    const int points = criterion_points(n, value);
    const bool computed = printed_number(value).has_value();
    v_.criteria[static_cast<std::size_t>(n)] = {value, points, computed};
    v_.total += points;
    v_.criteria_computed += computed;
  }
  v_.grade_entry = grade_entry(v_.total);
}

PlausibilityValues PlausibilityBuilder::build() {
  preparation();
  duplicates();
  MissingData();
  missing_birth_dates();
  values_out_of_range();
  flagged_zscores();
  age_distribution();
  age_ratio();
  rebuild_base();
  v_.age_sex = AgeSex_SG6(base_.table, data_rows_);
  month_of_birth();
  v_.digits[0] = digit_values(digit_counts(StdVar::weight, data_rows_));
  v_.digits[1] = digit_values(digit_counts(StdVar::height, data_rows_));
  v_.digits[2] = digit_values(digit_counts(StdVar::muac, data_rows_));
  SD_SW_SK();
  clustering();
  v_.timepoints = timepoints(base_.table, data_rows_,
                             stats::DeskripStatCont(base_.table, col(StdVar::whz)).mean);
  team_analysis();
  scoring();
  return std::move(v_);
}

// ---------------------------------------------------------------------------------------------
// Layout: the RTF document from the values.

// Texts from the survey go into the document as text: the RTF specials are escaped, and a
// section sign is written as its hex escape.
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

void replace_all(std::string& text, std::string_view from, std::string_view to) {
  std::size_t at = 0;
  while ((at = text.find(from, at)) != std::string::npos) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
}

// Removes every `placeholder` of a value that could not be computed, together with the
// parenthesis it stands in on its line ("&9b (p=&9a)" keeps "&9b"); a placeholder outside a
// parenthesis is removed alone.
void remove_value_placeholder(std::string& text, std::string_view placeholder) {
  for (std::size_t at; (at = text.find(placeholder)) != std::string::npos;) {
    std::size_t from = at;
    std::size_t to = at + placeholder.size();
    const std::size_t open = text.rfind('(', at);
    const std::size_t close = text.find(')', to);
    const auto plain = [&](std::size_t a, std::size_t b) {
      const std::string_view between = std::string_view(text).substr(a, b - a);
      return between.find_first_of("()\\") == std::string_view::npos;
    };
    if (open != std::string::npos && close != std::string::npos && plain(open + 1, at) &&
        plain(to, close)) {
      from = open;
      to = close + 1;
      if (from > 0 && text[from - 1] == ' ') --from;
    }
    text.erase(from, to - from);
  }
}

void replace_first(std::string& text, std::string_view from, std::string_view to) {
  const std::size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
}

std::string line_ref(const RowRef& r) { return "Line=" + std::to_string(r.row) + "/ID=" + esc(r.id); }

class PlausibilityLayout {
 public:
  PlausibilityLayout(const PlausibilityValues& values, const PlausibilityContext& context)
      : v_(values), context_(context) {
    separator_ = context.evaluation.conventions.decimal_separator;
    groups_ = age_groups(analysis::analysis_settings(context.options, separator_));
  }

  DocumentBuffer write();

 private:
  const std::string& T(int entry) const { return context_.text.text(entry); }
  std::string fmt(double value, int precision, int decimals) const {
    return core::format_fixed(value, precision, decimals, separator_);
  }

  void header();
  void summary_table();
  void duplicates();
  void MissingData();
  void values_out_of_range();
  void flagged_zscores();
  void age_distribution();
  void age_ratio();
  void AgeSex_SG6(std::string_view title, const AgeSexValues& s);
  void month_of_birth();
  void DigitPreference(const DigitValues& d, int label_entry);
  void SD_SW_SK();
  void clustering();
  std::string Timepoints(const reports::Timepoints& t) const;
  void team_analysis();

  const PlausibilityValues& v_;
  const PlausibilityContext& context_;
  char separator_ = '.';
  AgeGroups groups_;
  DocumentBuffer out_;
};

void PlausibilityLayout::header() {
  out_ << rtf::kHeaderFixedWidthTables << T(893) << " " << esc(v_.file_name)
       << " \\fs24\\par\\par " << T(16) << " " << T(964) << "\\b0\\par " << T(61)
       << " \\par\\par\\par\\b ";
}

// The summary's placeholders ("&" N "a" for a value, "&" N "b" for its points, "&10a" twice and
// "&10b" for the total and the grade) stand in Language texts and in the scale lines; they are
// filled here, in the summary alone, so that no text of the survey is ever taken for one.
void PlausibilityLayout::summary_table() {
  std::string text = T(62) + " \\par\\par\\b0\\f3\\fs16\\lang2057 " + T(63) + " \\b0\\par\\par ";
  for (int entry = 64; entry <= 69; ++entry)
    text += T(entry) + (entry % 2 == 0 ? " \\par " : " \\par\\par ");
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
    for (const int label : line.labels) text += T(label) + " \\par ";
    const std::string n = std::to_string(line.criterion);
    text += spaces + line.scale + "&" + n + "b (" + std::string(line.before) + "&" + n +
            "a) \\par\\par ";
  }
  // The grade of a score that covers only some criteria says less than it seems to: the
  // verdict says so in the same paragraph.
  std::string caveat;
  if (v_.criteria_computed < kCriterionCount) {
    caveat = " " + T(kScoreCoversComputedEntry) + " " + std::to_string(v_.criteria_computed) +
             " / " + std::to_string(kCriterionCount);
  }
  text += T(77) + " \\par " + "\\plain\\lang1031\\par " + T(78) + caveat + " \\par\\par\\par ";

  for (int n = 0; n < kCriterionCount; ++n) {
    const CriterionScore& c = v_.criteria[static_cast<std::size_t>(n)];
    const std::string id = std::to_string(n);
    if (!c.computed) {
      // No value to show: the value's parenthesis goes, and the points give way to a plain
      // "not computed", so that an empty value never reads as a faultless 0 points.
      remove_value_placeholder(text, "&" + id + "a");
      replace_all(text, "&" + id + "b", "\\b " + T(kCriterionNotComputedEntry) + "\\b0 ");
      continue;
    }
    // Skewness and kurtosis are scored on their magnitude, and their summary lines say so
    // ("absolute value"): the summary shows that magnitude, the detailed table the sign.
    const bool by_magnitude = (n == 7 || n == 8) && c.value.starts_with('-');
    replace_all(text, "&" + id + "a", by_magnitude ? c.value.substr(1) : c.value);
    replace_all(text, "&" + id + "b", "\\b " + std::to_string(c.points) + "\\b0 ");
  }
  replace_first(text, "&10a", "\\b " + std::to_string(v_.total) + "\\b0 ");
  replace_first(text, "&10a", std::to_string(v_.total));
  replace_first(text, "&10b", T(v_.grade_entry));
  out_ << text;
}

void PlausibilityLayout::duplicates() {
  if (v_.duplicates.empty() && v_.duplicate_groups.empty()) {
    out_ << "\\b " << T(80) << " \\b0\\par ";
    return;
  }
  out_ << "\\b " << T(79) << " \\b0\\par\\par ";
  for (const auto& [later, earlier] : v_.duplicates)
    out_ << line_ref(later) << " with " << line_ref(earlier) << " \\par ";
  // A large group is one line: its first row, the next ones up to a limit, and its size.
  constexpr std::size_t kRowsNamed = 20;
  for (const std::vector<RowRef>& group : v_.duplicate_groups) {
    out_ << line_ref(group.front()) << " with ";
    const std::size_t named = std::min(group.size(), kRowsNamed);
    for (std::size_t i = 1; i < named; ++i) out_ << (i > 1 ? ", " : "") << line_ref(group[i]);
    if (named < group.size()) out_ << " and " << std::to_string(group.size() - named) << " more";
    out_ << " (" << std::to_string(group.size()) << " identical lines) \\par ";
  }
}

void PlausibilityLayout::MissingData() {
  std::string texts;
  for (const MissingColumn& column : v_.missing) {
    std::string list;
    for (const RowRef& r : column.rows) list += line_ref(r) + ", ";
    list.resize(list.size() - 2);
    texts += esc(column.heading) + ": " + list + "\\par ";
  }
  if (!texts.empty()) out_ << "\\par\\par\\b " << T(1) << " \\b0\\par\\par " << texts;
  out_ << "\\par\\par\\b " << T(32) << ": " << std::to_string(v_.missing_birth_dates_percent)
       << " % \\b0\\par ";
}

void PlausibilityLayout::values_out_of_range() {
  if (v_.ages_out_of_range.empty() && v_.heights_out_of_range.empty()) return;
  out_ << "\\par\\par\\b " << T(2) << " \\b0\\par\\par ";
  if (!v_.ages_out_of_range.empty()) {
    out_ << esc(v_.months_heading) << ": \\par ";
    for (const OutOfRangeValue& a : v_.ages_out_of_range)
      out_ << line_ref(a.child) << ": " << fmt(a.value, 4, 2) << " mo \\par ";
  }
  if (!v_.heights_out_of_range.empty()) {
    out_ << esc(v_.height_heading) << ": \\par ";
    for (const OutOfRangeValue& h : v_.heights_out_of_range)
      out_ << line_ref(h.child) << ": " << fmt(h.value, 4, 2) << " cm \\par ";
  }
}

void PlausibilityLayout::flagged_zscores() {
  const core::FlagParameters& f = context_.options.flags;
  out_ << "\\par\\par\\b " << T(894) << " (" << f.whz_ol << " " << T(35) << " " << f.whz_oh
       << " for " << T(1109) << ", " << f.haz_ol << " " << T(35) << " " << f.haz_oh << " for "
       << T(1110) << ", " << f.waz_ol << " " << T(35) << " " << f.waz_oh << " for " << T(1111)
       << ", " << T(38) << "): \\b0\\par\\par ";
  for (const FlaggedChild& c : v_.flagged.children) {
    std::string line = line_ref(c.child) + ":  \\tab ";
    if (c.flagged[kWhz]) line += "\\b " + T(1109) + " (" + esc(c.z_text[kWhz]) + ")\\b0, ";
    if (c.flagged[kHaz]) line += T(1110) + " (" + esc(c.z_text[kHaz]) + "), ";
    if (c.flagged[kWaz]) line += T(1111) + " (" + esc(c.z_text[kWaz]) + "), ";
    line.resize(line.size() - 2);
    if (c.remark_entry != 0) line += ", " + T(c.remark_entry);
    out_ << line << " \\par ";
  }
  const auto percent = [&](int i) {
    const auto p = v_.flagged.percent(i);
    return p ? fmt(*p, 3, 1) : std::string();
  };
  out_ << "\\par " << T(3) << T(1109) << ": " << percent(kWhz) << " %, " << T(1110) << ": "
       << percent(kHaz) << " %, " << T(1111) << ": " << percent(kWaz) << " %    \\par ";
}

void PlausibilityLayout::age_distribution() {
  out_ << "\\par\\par\\b " << T(898) << " \\b0\\par\\par ";
  const std::array<int, 73>& counts = v_.children_by_month;
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

void PlausibilityLayout::age_ratio() {
  if (!v_.age_ratio) return;
  const AgeRatio& r = *v_.age_ratio;
  out_ << "\\par " << T(4) << " " << fmt(r.ratio, 3, 2) << " " << T(5)
       << ": \\par p-value = " << fmt(r.p, 4, 3) << " " << T(r.p < 0.05 ? 48 : 49) << " \\par ";
}

void PlausibilityLayout::AgeSex_SG6(std::string_view title, const AgeSexValues& s) {
  const double low = groups_.lower[0], high = groups_.upper[4] + 1;
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
    const double expected_total = s.expected_boys_all[g] + s.expected_girls_all[g];
    row_line(groups_.lower[g], groups_.upper[g], s.width[g], s.boys[g], s.expected_boys[g],
             s.girls[g], s.expected_girls[g], observed(s.boys[g] + s.girls[g], expected_total));
  }
  out_ << dashes;
  row_line(low, groups_.upper[4], high - low, s.all_boys, s.expected_all_boys, s.all_girls,
           s.expected_all_girls, std::string(19, ' '));
  out_ << rtf::kFixedWidthOff << "\\par " << T(51) << " \\par ";

  out_ << "\\par " << T(59) << " p-value = ";
  if (s.sex_ratio_p) {
    const double p = *s.sex_ratio_p;
    out_ << fmt(p, 4, 3) << " " << T(p >= 0.05 ? 54 : (s.all_boys <= s.all_girls ? 53 : 52));
  }
  const std::array<int, 4> labels = {55, 56, 57, 58};
  for (std::size_t i = 0; i < 4; ++i) {
    if (!(s.chi[i] > 0)) continue;
    const double pt = stats::ChiSquareUpperP(4, s.chi[i]);
    out_ << "\\par " << T(labels[i]) << " p-value = " << fmt(pt, 4, 3) << " "
         << T(pt < 0.05 ? 48 : 49);
  }
  out_ << "\\par ";
}

void PlausibilityLayout::month_of_birth() {
  out_ << "\\par\\par\\b " << T(1213) << " \\b0\\par\\par ";
  static constexpr std::array<std::string_view, 12> kNames = {
      "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int unit = bar_unit(v_.births_by_month);
  out_ << rtf::kFixedWidthOn;
  for (int m = 0; m < 12; ++m)
    out_ << kNames[m] << ": " << bar(v_.births_by_month[m], unit) << "\\par ";
  out_ << rtf::kFixedWidthOff;
}

void PlausibilityLayout::DigitPreference(const DigitValues& d, int label_entry) {
  out_ << "\\par\\par\\b " << T(1163) << " " << T(label_entry) << ": \\b0\\par\\par ";
  const int unit = bar_unit(d.counts);
  out_ << rtf::kFixedWidthOn;
  for (int i = 0; i < 10; ++i)
    out_ << "Digit ." << pad_right(std::to_string(i), 3) << ": " << bar(d.counts[i], unit)
         << "\\par ";
  out_ << rtf::kFixedWidthOff;
  // A measure nobody took has no score: its value stays empty and scores nothing.
  out_ << "\\par " << T(1164) << ": \\b " << (d.n > 0 ? fmt(d.dps, 5, 0) : "") << "\\b0  "
       << T(47) << " \\par ";
  if (d.chi > 0) {
    const double p = stats::ChiSquareUpperP(9, d.chi);
    out_ << T(1156) << " " << fmt(p, 4, 3) << " " << (p < 0.05 ? T(48) : std::string())
         << " \\par ";
  }
}

void PlausibilityLayout::SD_SW_SK() {
  const std::array<int, 3> labels = {1109, 1110, 1111};
  struct Fields {
    std::array<std::string, 4> sd_rows;  // SD and the three percentages
    std::string shapiro, skew, kurt;
  };
  std::array<std::array<Fields, 3>, 3> fields;  // [index][mode]
  for (int i = 0; i < 3; ++i) {
    for (int m = 0; m < 3; ++m) {
      const ShapeValues& s = v_.shape[i][m];
      Fields& f = fields[i][m];
      f.sd_rows[0] = pad_left(s.n >= 2 ? fmt(s.sd, 4, 2) : std::string(), 17);
      if (s.sd > 1) {
        f.sd_rows[1] = pad_left(fmt(s.pct_below_minus2, 4, 1) + "%", 17);
        f.sd_rows[2] = pad_left(fmt(stats::NormalPercentBelow(s.sd, s.mean, -2), 4, 1) + "%", 17);
        f.sd_rows[3] = pad_left(fmt(stats::NormalPercentBelow(1, s.mean, -2), 4, 1) + "%", 17);
      } else {
        for (int r = 1; r < 4; ++r) f.sd_rows[r] = std::string(17, ' ');
      }
      f.shapiro = s.shapiro_p ? pad_left("p=" + fmt(*s.shapiro_p, 5, 3), 17) : std::string(17, ' ');
      f.skew = pad_left(s.shape ? fmt(s.shape->skewness, 5, 2) : std::string(), 17);
      f.kurt = pad_left(s.shape ? fmt(s.shape->excess_kurtosis, 5, 2) : std::string(), 17);
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
    out_ << "\\par\\b " << T(labels[i]) << "\\b0\\par ";
    row(T(900), fields[i], [](const Fields& f) { return f.sd_rows[0]; });
    out_ << T(901) << "\\par " << T(887) << "\\par ";
    for (int r = 1; r < 4; ++r)
      row(T(901 + r), fields[i], [r](const Fields& f) { return f.sd_rows[r]; });
  }
  out_ << "\\par\\b " << T(9) << "\\b0\\par ";
  for (int i = 0; i < 3; ++i)
    row(T(labels[i]), fields[i], [](const Fields& f) { return f.shapiro; });
  out_ << T(86) << "\\par ";
  out_ << "\\par\\b " << T(1157) << "\\b0\\par ";
  for (int i = 0; i < 3; ++i) row(T(labels[i]), fields[i], [](const Fields& f) { return f.skew; });
  for (const int e : {1041, 40, 41, 42, 43, 44}) out_ << T(e) << "\\par ";
  out_ << "\\par\\b " << T(1158) << "\\b0\\par ";
  for (int i = 0; i < 3; ++i) row(T(labels[i]), fields[i], [](const Fields& f) { return f.kurt; });
  for (const int e : {911, 87, 908, 909, 910}) out_ << T(e) << "\\par ";
  out_ << rtf::kFixedWidthOff;
}

void PlausibilityLayout::clustering() {
  if (v_.clustering.clusters.size() <= 1) return;
  static constexpr std::array<std::string_view, 9> kLabels = {"WHZ < -2", "WHZ < -3", "Oedema",
                                                              "GAM",      "SAM",      "HAZ < -2",
                                                              "HAZ < -3", "WAZ < -2", "WAZ < -3"};
  out_ << "\\par\\par\\b " << T(37) << "\\b0\\par\\par "
       << "\\f3\\fs20\\lang2057 ";
  for (std::size_t i = 0; i < kLabels.size(); ++i) {
    const std::optional<stats::Dispersion>& d = v_.clustering.dispersion[i];
    out_ << pad_right(std::string(kLabels[i]) + ": ", 10) << "ID=" << (d ? fmt(d->index, 3, 2) : "")
         << " (p=" << (d ? fmt(d->p, 4, 3) : "") << ")\\par ";
  }
  out_ << rtf::kFixedWidthOff << "\\par " << T(88) << " \\par "
       << "\\par " << T(45) << " " << T(46) << "\\par\\par ";
}

std::string PlausibilityLayout::Timepoints(const reports::Timepoints& t) const {
  if (t.points.empty()) return {};
  std::string text =
      "\\f3\\fs16\\lang2057 Time                                             SD for WHZ \\par "
      "point                 0.8 0.9 1.0 1.1 1.2 1.3 1.4 1.5 1.6 1.7 1.8 1.9 2.0 2.1 2.2 2.3 "
      "\\par ";
  for (const Timepoint& p : t.points) {
    const double n = p.n;
    const double length = std::clamp(std::nearbyint((p.sd - 0.8) * 42), 0.0, 64.0);
    const char c = n > 0.8 * t.average_n ? '#' : (n > 0.4 * t.average_n ? 'O' : '~');
    std::string n_text = std::to_string(p.n);
    if (n_text.size() < 2) n_text.insert(0, "0");
    std::string k_text = std::to_string(p.k);
    if (k_text.size() < 2) k_text.insert(0, "0");
    text += k_text + ": " + fmt(p.sd, 4, 2) + " (n=" + n_text + ", f=" + std::to_string(p.flagged) +
            ")  " + std::string(static_cast<std::size_t>(length), c) + " \\par ";
  }
  text += "\\par " + T(60) + " \\par\\par\\plain\\lang1031 ";
  return text;
}

void PlausibilityLayout::team_analysis() {
  if (v_.teams.size() <= 1) {
    out_ << T(914) << "\\par ";
    return;
  }
  out_ << "\\par\\par\\b\\fs28 " << T(915) << " \\fs24\\b0\\par ";
  // No blank before the tabs: "Team " in bold reaches past the first default tab stop.
  out_ << "\\par\\b Team\\tab\\tab ";
  for (const TeamValues& t : v_.teams) out_ << esc(t.code) << " \\tab ";
  out_ << " \\b0\\par n = \\tab\\tab ";
  for (const TeamValues& t : v_.teams) out_ << std::to_string(t.children) << " \\tab ";
  out_ << "\\par ";

  // Flagged percentages, age ratio and sex ratio per team.
  const std::array<int, 3> labels = {1109, 1110, 1111};
  out_ << "\\b " << T(3) << "\\b0\\par ";
  for (std::size_t i = 0; i < 3; ++i) {
    out_ << T(labels[i]) << ":\\tab ";
    for (const TeamValues& t : v_.teams) {
      const std::optional<double>& p = t.flagged_percent[i];
      out_ << "\\tab " << (p ? core::format_fixed_trimmed(*p, 4, 1, separator_) : "");
    }
    out_ << "\\par ";
  }
  std::string age_row = "\\tab ", sex_row = "\\tab ";
  for (const TeamValues& t : v_.teams) {
    age_row += "\\tab " + (t.age_ratio ? fmt(*t.age_ratio, 3, 2) : std::string());
    sex_row += "\\tab " + (t.sex_ratio ? fmt(*t.sex_ratio, 3, 2) : std::string());
  }
  out_ << "\\b " << T(4) << "\\b0\\par " << age_row << "\\par ";
  out_ << "\\b " << T(6) << "\\b0\\par " << sex_row << "\\par ";

  // Digit preference per team.
  const std::array<int, 3> headings = {916, 917, 946};
  for (std::size_t i = 0; i < 3; ++i) {
    out_ << "\\b " << T(headings[i]) << " (%): \\b0\\par ";
    for (int d = 0; d < 10; ++d) {
      out_ << "." << pad_right(std::to_string(d), 3) << ": \\tab\\tab ";
      for (const TeamValues& t : v_.teams) {
        const DigitValues& c = t.digits[i];
        out_ << (c.n > 0 ? fmt(100.0 * c.counts[d] / c.n, 3, 0) : std::string()) << " \\tab ";
      }
      out_ << "\\par ";
    }
    out_ << "DPS: \\tab\\tab ";
    for (const TeamValues& t : v_.teams)
      out_ << (t.digits[i].n > 0 ? fmt(t.digits[i].dps, 3, 0) : std::string()) << " \\tab ";
    out_ << " \\par " << T(91) << " \\par ";
  }

  // SD of WHZ and HAZ per team, without exclusion.
  const std::array<int, 2> sd_headings = {899, 905};
  for (std::size_t i = 0; i < 2; ++i) {
    // Labels short enough that the values start at the second default tab stop, in line with
    // the team codes above them.
    std::array<std::string, 4> lines = {"SD \\tab\\tab ", "obs \\tab\\tab ", "calc \\tab\\tab ",
                                        "SD1 \\tab\\tab "};
    for (const TeamValues& t : v_.teams) {
      const TeamSd& s = t.sd[i];
      std::array<std::string, 4> values;
      if (s.sd) {
        values[0] = fmt(*s.sd, 4, 2);
        if (*s.sd > 1) {
          values[1] = fmt(s.pct_below_minus2, 4, 1);
          values[2] = fmt(stats::NormalPercentBelow(*s.sd, s.mean, -2), 4, 1);
          values[3] = fmt(stats::NormalPercentBelow(1, s.mean, -2), 4, 1);
        }
      }
      for (int r = 0; r < 4; ++r) lines[r] += values[r] + " \\tab ";
    }
    out_ << "\\par\\b " << T(sd_headings[i]) << "\\b0\\par ";
    for (const std::string& line : lines) out_ << line << "\\par ";
  }

  // Age and sex distribution, then the time points, per team.
  out_ << "\\par\\par\\b " << T(92) << "\\b0\\par ";
  for (std::size_t t = 0; t < v_.teams.size(); ++t)
    AgeSex_SG6("Team " + std::to_string(t + 1) + ":", v_.teams[t].age_sex);
  out_ << "\\par\\par\\b " << T(93) << "\\b0\\par\\par ";
  for (std::size_t t = 0; t < v_.teams.size(); ++t) {
    out_ << "\\b Team: " << std::to_string(t + 1) << "\\b0\\par\\par ";
    out_ << Timepoints(v_.teams[t].timepoints);
  }
  out_ << T(914) << "\\par ";
}

DocumentBuffer PlausibilityLayout::write() {
  header();
  summary_table();
  duplicates();
  MissingData();
  values_out_of_range();
  flagged_zscores();
  age_distribution();
  age_ratio();
  AgeSex_SG6(T(81), v_.age_sex);
  month_of_birth();
  DigitPreference(v_.digits[0], 1165);
  DigitPreference(v_.digits[1], 1166);
  DigitPreference(v_.digits[2], 1167);
  SD_SW_SK();
  clustering();
  if (const std::string timepoints = Timepoints(v_.timepoints); !timepoints.empty()) {
    out_ << "\\par\\b " << T(89) << "\\b0\\par " << T(90) << " \\par\\par\\b0 " << timepoints;
  }
  team_analysis();
  return std::move(out_);
}

}  // namespace

std::optional<double> printed_number(std::string_view printed_value) {
  std::string text = trim(printed_value);
  if (text.empty()) return std::nullopt;
  std::replace(text.begin(), text.end(), ',', '.');
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || !std::isfinite(v)) return std::nullopt;
  return v;
}

int criterion_points(int criterion, std::string_view printed_value) {
  const std::optional<double> number = printed_number(printed_value);
  if (!number) return 0;
  const double v = *number;
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

PlausibilityValues plausibility_values(const core::Workspace& workspace,
                                       const PlausibilityContext& context) {
  PlausibilityBuilder builder(workspace, context);
  return builder.build();
}

document::DocumentBuffer plausibility_document(const PlausibilityValues& values,
                                               const PlausibilityContext& context) {
  return PlausibilityLayout(values, context).write();
}

PlausibilityReport Plausibility(const core::Workspace& workspace,
                                const PlausibilityContext& context) {
  PlausibilityReport report;
  // The builder's tables (the survey's working copy, the analysis table) are released only
  // once the document is laid out: the memory is then reused as one piece by the next report
  // instead of being handed back to the system and faulted in again.
  PlausibilityBuilder builder(workspace, context);
  report.values = builder.build();
  report.document = plausibility_document(report.values, context);
  report.criteria = report.values.criteria;
  report.total = report.values.total;
  report.grade_entry = report.values.grade_entry;
  if (context.show_caption) context.show_caption("Finalization of report");
  return report;
}

HandOffResult run_plausibility_mode(const core::Workspace& workspace,
                                    const PlausibilityContext& context,
                                    const OutputSettings& settings, const OutputFolders& folders,
                                    HandOffServices& services) {
  const PlausibilityReport report = Plausibility(workspace, context);
  return WriteReportDocument(report.document, settings, folders, services);
}

}  // namespace olvar::reports
