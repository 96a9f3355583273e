#include "reports/results_page.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_map>

#include "core/standard_variables.h"
#include "core/text_conversions.h"

namespace olvar::reports {

namespace {

using core::StdVar;

constexpr int kLineCount = 28;
constexpr std::size_t kMaxClusterCodes = 999;

// Language entries of the page.
constexpr int kTitleEntry = 809;                  // "Results for" + index
constexpr int kSubsetEntry[3] = {815, 816, 817};  // all, boys, girls count-line labels
constexpr int kOedemaEntry = 828;
constexpr int kMeanEntry = 866;
constexpr int kDesignEffectEntry = 829;
constexpr int kMissingEntry = 830;
constexpr int kExcludedEntry = 831;
constexpr int kNoteEntry = 832;
// Line 28 while the small-population correction is ticked: that it is in the intervals, or why
// it is not.
constexpr int kCorrectionEntry = 30;
constexpr int kCorrectionExceedsEntry = 1352;    // sample larger than the population
constexpr int kCorrectionUnreadableEntry = 1353;  // a Planning page field is not a number
constexpr int kCorrectionNoClustersEntry = 1354;  // fewer than two clusters: Wilson intervals

int correction_entry(stats::PopulationCorrection state) {
  switch (state) {
    case stats::PopulationCorrection::applied:
      return kCorrectionEntry;
    case stats::PopulationCorrection::sample_exceeds_population:
      return kCorrectionExceedsEntry;
    case stats::PopulationCorrection::inputs_unreadable:
      return kCorrectionUnreadableEntry;
    case stats::PopulationCorrection::not_requested:
      break;
  }
  return kCorrectionNoClustersEntry;
}
constexpr int kMuacByAgeEntry = 31;

// The present value of an index: a MUAC above 0 (0 or empty means "not measured"), a z-score
// that reads and lies within +-20 (beyond is the engine's "not computed").
std::optional<double> present_value(std::string_view text, ResultsIndex index, char separator) {
  const std::optional<float> v = core::parse_number(text, separator);
  if (!v) return std::nullopt;
  if (index == ResultsIndex::muac) {
    if (!(*v > 0.0f)) return std::nullopt;
  } else if (!(*v > -20.0f && *v < 20.0f)) {
    return std::nullopt;
  }
  return *v;
}

stats::RowFilter present_filter(ResultsIndex index) {
  const int column = index_column(index);
  if (index == ResultsIndex::muac) {
    return stats::RowFilter::range(column, std::nextafter(0.0f, 1.0f),
                                   std::numeric_limits<float>::max());
  }
  return stats::RowFilter::range(column, std::nextafter(-20.0f, 0.0f), std::nextafter(20.0f, 0.0f));
}

analysis::PrevalenceFamily family_of(ResultsIndex index) {
  switch (index) {
    case ResultsIndex::waz:
      return analysis::PrevalenceFamily::waz;
    case ResultsIndex::haz:
      return analysis::PrevalenceFamily::haz;
    case ResultsIndex::whz:
      return analysis::PrevalenceFamily::whz_wasting;
    case ResultsIndex::muac:
      return analysis::PrevalenceFamily::muac;
  }
  return analysis::PrevalenceFamily::whz_wasting;
}

// Running mean and SD (Welford), so that a group of any size sums without loss.
struct MeanAccumulator {
  int n = 0;
  double mean = 0.0;
  double m2 = 0.0;
  void add(double x) {
    ++n;
    const double delta = x - mean;
    mean += delta / n;
    m2 += delta * (x - mean);
  }
  GroupMean result(std::string label) const {
    return {std::move(label), n, n > 0 ? mean : 0.0, n > 1 ? std::sqrt(m2 / (n - 1)) : 0.0};
  }
};

std::string_view without_trailing_spaces(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Design effect of MUAC below the moderate cut-off, by distinct cluster text as the by-cluster
// summary of the z-scores counts, but over measured MUACs only: a MUAC of 0 is no child with
// MUAC and never a case.
double muac_design_effect(const core::TextGrid& table, double moderate, char separator) {
  std::unordered_map<std::string, std::size_t> index_of;
  std::vector<stats::ClusterRecord> records;
  const int cluster = core::column(StdVar::cluster);
  const int muac = core::column(StdVar::muac);
  for (int row = 1; row < table.row_count(); ++row) {
    const std::string_view code = table.cell(cluster, row);
    if (code.empty()) continue;
    const auto value = present_value(table.cell(muac, row), ResultsIndex::muac, separator);
    auto [it, added] = index_of.try_emplace(std::string(code), records.size());
    if (added) records.push_back({std::string(code)});
    if (!value) continue;
    records[it->second].m += 1.0;
    if (*value < moderate) records[it->second].a += 1.0;
  }
  return stats::DesignEffect(records);
}

// The MUAC classes of one age band with their cluster intervals.
analysis::PrevalenceValues muac_band_values(const core::TextGrid& table, const MuacAgeBand& band,
                                  const ResultsPageInputs& in) {
  const char sep = in.analysis.decimal_separator;
  analysis::PrevalenceValues v;
  std::vector<stats::ClusterRecord> records(kMaxClusterCodes + 1);
  for (int row = 1; row < table.row_count(); ++row) {
    const std::string_view code = table.cell(core::column(StdVar::cluster), row);
    if (code.empty()) continue;
    const std::optional<float> months =
        core::parse_number(table.cell(core::column(StdVar::months), row), sep);
    if (!months || !(band.lower <= *months && *months < band.upper)) continue;
    const auto m =
        present_value(table.cell(core::column(StdVar::muac), row), ResultsIndex::muac, sep);
    if (!m) continue;
    const int cluster = analysis::cluster_number(code);
    if (cluster == 0) {
      ++v.rows_with_unusable_cluster;
      continue;
    }
    const bool a = *m < in.muac.severe;
    const bool c = *m >= in.muac.moderate;
    const bool b = !a && !c;
    stats::ClusterRecord& r = records[static_cast<std::size_t>(cluster)];
    r.m += 1.0;
    r.a += a;
    r.b += b;
    r.c += c;
    v.clusters = std::max(v.clusters, cluster);
    ++v.n;
    v.a.count += a;
    v.b.count += b;
    v.c.count += c;
  }
  records.erase(records.begin());
  records.resize(static_cast<std::size_t>(v.clusters));
  v.estimate = stats::ClusterPrevalenceCI(records, stats::SurveyKind::anthropometry,
                                          in.analysis.population_correction);
  for (auto [value, interval] : {std::pair{&v.a, &v.estimate.a}, std::pair{&v.b, &v.estimate.b},
                                 std::pair{&v.c, &v.estimate.c}}) {
    value->percent = v.n > 0 ? value->count * 100.0 / v.n : 0.0;
    value->interval = *interval;
  }
  return v;
}

// Group means by the distinct CLUSTER codes of the Survey table, in order of first appearance.
std::vector<GroupMean> cluster_means(const core::SurveyTable& survey, const core::TextGrid& table,
                                     ResultsIndex index, char separator) {
  std::vector<std::string> codes;
  std::unordered_map<std::string, std::size_t> position;
  const int cluster = core::column(StdVar::cluster);
  for (int row = 1; row < survey.row_count() && codes.size() < kMaxClusterCodes; ++row) {
    const std::string code(core::trim_spaces(survey.cell(cluster, row)));
    if (code.empty()) continue;
    if (position.try_emplace(code, codes.size()).second) codes.push_back(code);
  }
  std::vector<MeanAccumulator> sums(codes.size());
  const int column = index_column(index);
  for (int row = 1; row < table.row_count(); ++row) {
    const auto it = position.find(std::string(without_trailing_spaces(table.cell(cluster, row))));
    if (it == position.end()) continue;
    if (const auto v = present_value(table.cell(column, row), index, separator)) {
      sums[it->second].add(*v);
    }
  }
  std::vector<GroupMean> out;
  for (std::size_t k = 0; k < codes.size(); ++k) out.push_back(sums[k].result(codes[k] + " "));
  return out;
}

std::vector<GroupMean> age_means(const core::TextGrid& table, const std::vector<analysis::AgeGroup>& groups,
                                 ResultsIndex index, char separator) {
  const std::vector<MuacAgeBand> bands = age_bands(groups);
  std::vector<MeanAccumulator> sums(bands.size());
  const int column = index_column(index);
  for (int row = 1; row < table.row_count(); ++row) {
    const std::optional<float> months =
        core::parse_number(table.cell(core::column(StdVar::months), row), separator);
    if (!months) continue;
    const auto v = present_value(table.cell(column, row), index, separator);
    if (!v) continue;
    for (std::size_t k = 0; k < bands.size(); ++k) {
      if (bands[k].lower <= *months && *months < bands[k].upper) sums[k].add(*v);
    }
  }
  std::vector<GroupMean> out;
  for (std::size_t k = 0; k < bands.size(); ++k) out.push_back(sums[k].result(bands[k].label));
  return out;
}

std::string whole(double value) { return core::format_fixed_trimmed(value, 15, 0); }

// A bound of an age group as typed on the Options page, without decimals when it is whole.
std::string bound_text(double value) {
  return value == std::floor(value) ? whole(value) : core::format_fixed_trimmed(value, 15, 2);
}

std::string fixed(double value, int precision, int decimals, char separator) {
  return core::format_fixed(value, precision, decimals, separator);
}

std::string right3(int value) {
  std::string s = std::to_string(value);
  if (s.size() < 3) s.insert(0, 3 - s.size(), ' ');
  return s;
}

}  // namespace

std::string_view index_name(ResultsIndex index) {
  switch (index) {
    case ResultsIndex::waz:
      return "WAZ";
    case ResultsIndex::haz:
      return "HAZ";
    case ResultsIndex::whz:
      return "WHZ";
    case ResultsIndex::muac:
      return "MUAC";
  }
  return "WHZ";
}

int index_column(ResultsIndex index) {
  switch (index) {
    case ResultsIndex::waz:
      return core::column(StdVar::waz);
    case ResultsIndex::haz:
      return core::column(StdVar::haz);
    case ResultsIndex::whz:
      return core::column(StdVar::whz);
    case ResultsIndex::muac:
      return core::column(StdVar::muac);
  }
  return core::column(StdVar::whz);
}

ResultsPageInputs results_page_inputs(const core::OptionsPage& options,
                                      const stats::PopulationCorrectionInputs& planning,
                                      char decimal_separator) {
  ResultsPageInputs in;
  in.analysis = analysis::analysis_settings(options, decimal_separator, planning);
  in.muac = in.analysis.muac;
  in.age_groups = in.analysis.age_groups;
  return in;
}

std::vector<MuacAgeBand> age_bands(const std::vector<analysis::AgeGroup>& groups) {
  std::vector<analysis::AgeGroup> used;
  for (const analysis::AgeGroup& g : groups) {
    if (g.lower >= 0.0) used.push_back(g);  // a negative lower bound switches a group off
  }
  std::vector<MuacAgeBand> bands;
  if (used.empty()) return bands;
  const double infinity = std::numeric_limits<double>::infinity();
  bands.push_back({"< " + bound_text(used.front().lower), -infinity, used.front().lower, {}});
  for (std::size_t k = 0; k + 1 < used.size(); ++k) {
    bands.push_back({bound_text(used[k].lower) + " to " + bound_text(used[k].upper),
                     used[k].lower,
                     used[k + 1].lower,
                     {}});
  }
  bands.push_back({">= " + bound_text(used.back().lower), used.back().lower, infinity, {}});
  return bands;
}

ResultsPageValues results_page_values(const core::SurveyTable& survey,
                                      const ResultsPageInputs& in) {
  ResultsPageValues v;
  v.index = in.index;
  v.grouping = in.grouping;
  v.correction_ticked = in.analysis.population_correction.csps1;
  const char sep = in.analysis.decimal_separator;
  const int column = index_column(in.index);
  const analysis::AnalysisTable analysis = analysis::SG6_uebergabe(survey, in.analysis, analysis::Transfer::excluding_column(column));
  const core::TextGrid& table = analysis.table;
  v.missing_z = analysis.missing_z;
  v.excluded_z = analysis.excluded_z;

  if (in.grouping == ResultsGrouping::cluster) {
    v.group_means = cluster_means(survey, table, in.index, sep);
    return v;
  }
  if (in.grouping == ResultsGrouping::age && in.index != ResultsIndex::muac) {
    v.group_means = age_means(table, in.age_groups, in.index, sep);
    return v;
  }
  if (in.grouping == ResultsGrouping::age) {
    v.muac_bands = age_bands(in.age_groups);
    for (MuacAgeBand& band : v.muac_bands) {
      band.values = muac_band_values(table, band, in);
      if (band.values.estimate.population_correction != stats::PopulationCorrection::not_requested)
        v.population_correction = band.values.estimate.population_correction;
      v.rows_with_unusable_cluster += band.values.rows_with_unusable_cluster;
    }
    return v;
  }

  analysis::PrevalenceInputs prevalence{in.muac, analysis::SexSubset::all, sep,
                                            in.analysis.population_correction};
  const analysis::SexSubset subsets[3] = {analysis::SexSubset::all, analysis::SexSubset::boys, analysis::SexSubset::girls};
  for (int k = 0; k < 3; ++k) {
    prevalence.sex = subsets[k];
    v.subsets[k] = analysis::prevalence_values(table, family_of(in.index), prevalence);
  }
  v.population_correction = v.subsets[0].estimate.population_correction;
  v.rows_with_unusable_cluster = v.subsets[0].rows_with_unusable_cluster;

  // The oedema share is that of the wasting family (WHZ present or oedema) of this table; for
  // MUAC that of the MUAC family, whose children are those with MUAC or oedema.
  if (in.index == ResultsIndex::whz || in.index == ResultsIndex::muac) {
    v.oedema = v.subsets[0].oedema;
    v.oedema_n = v.subsets[0].n;
    v.oedema_percent = v.subsets[0].oedema_percent;
  } else if (in.index == ResultsIndex::waz) {
    prevalence.sex = analysis::SexSubset::all;
    const analysis::PrevalenceValues w = analysis::prevalence_values(table, analysis::PrevalenceFamily::whz_wasting, prevalence);
    v.oedema = w.oedema;
    v.oedema_n = w.n;
    v.oedema_percent = w.oedema_percent;
  }

  v.summary = stats::DeskripStatCont(table, column, present_filter(in.index));
  v.design_effect = in.index == ResultsIndex::muac
                        ? muac_design_effect(table, in.muac.moderate, sep)
                        : stats::DesignEffect(stats::Cluster_Zusammenfassung(table, column, -2.0));
  return v;
}

std::string write_over(std::string line, std::size_t column, std::string_view insert) {
  const std::size_t from = column > 0 ? column - 1 : 0;
  bool blank = true;
  for (std::size_t k = from; k < column + insert.size() && k < line.size(); ++k) {
    if (line[k] != ' ') blank = false;
  }
  if (!blank) return line + " " + std::string(insert);
  if (line.size() < column + insert.size()) line.resize(column + insert.size(), ' ');
  line.replace(column, insert.size(), insert);
  return line;
}

std::string count_line(std::string_view label, int n, const analysis::IndicatorValue& value, char separator) {
  std::string s(label);
  s += right3(n) + "): (" + right3(value.count) + ") " + fixed(value.percent, 3, 1, separator) +
       "% (" + fixed(value.interval.lower, 3, 1, separator) + "-" +
       fixed(value.interval.upper, 3, 1, separator) + " 95% CI)";
  return s;
}

std::vector<std::string> MainTextResults(const ResultsPageValues& v, const ResultsPageInputs& in,
                                         const core::LanguageTable& language) {
  std::vector<std::string> lines(kLineCount - 1);
  const auto set = [&lines](int line, std::string text) { lines[line - 1] = std::move(text); };
  const auto text = [&language](int entry) { return language.text(entry); };
  const char sep = in.analysis.decimal_separator;
  const std::string name(index_name(v.index));
  const std::string severe = whole(in.muac.severe);
  const std::string moderate = whole(in.muac.moderate);

  if (v.grouping == ResultsGrouping::cluster ||
      (v.grouping == ResultsGrouping::age && v.index != ResultsIndex::muac)) {
    // The group-means memo: the graph's title, an empty line, one line per bar.
    const bool by_cluster = v.grouping == ResultsGrouping::cluster;
    const int titles[4] = {by_cluster ? 870 : 873, by_cluster ? 871 : 874, by_cluster ? 872 : 875,
                           by_cluster ? 1081 : 1082};
    std::vector<std::string> memo{text(titles[static_cast<int>(v.index)]), ""};
    for (const GroupMean& g : v.group_means) {
      std::string head = std::string(by_cluster ? "Cluster" : "Age") + " " + g.label + ":";
      if (head.size() < 20) head.resize(20, ' ');
      memo.push_back(head + fixed(g.mean, 4, 2, sep) + " \xB1" + fixed(g.sd, 4, 2, sep) +
                     " (n=" + std::to_string(g.n) + ")");
    }
    return memo;
  }

  if (v.grouping == ResultsGrouping::age) {  // MUAC classes by age band
    set(1, text(kMuacByAgeEntry));
    set(3, "MUAC < " + severe + " mm");
    set(11, "MUAC >= " + severe + ", MUAC < " + moderate + " mm");
    set(19, "MUAC >= " + moderate + " mm");
    for (std::size_t k = 0; k < v.muac_bands.size() && k < 6; ++k) {
      const MuacAgeBand& band = v.muac_bands[k];
      if (band.values.n < 2) continue;
      std::string label = band.label;
      if (label.size() < 9) label.resize(9, ' ');
      label += "(";
      const int line = static_cast<int>(k);
      set(4 + line, count_line(label, band.values.n, band.values.a, sep));
      set(12 + line, count_line(label, band.values.n, band.values.b, sep));
      set(20 + line, count_line(label, band.values.n, band.values.c, sep));
    }
  } else if (v.index == ResultsIndex::muac) {
    set(1, text(kTitleEntry) + " MUAC:");
    set(3, text(810));
    set(4, "MUAC < " + moderate + " mm or edema");
    set(9, text(818));
    set(10, "MUAC < " + moderate + " and MUAC >= " + severe + " mm");
    set(15, text(823));
    set(16, "MUAC < " + severe + " mm or edema");
  } else {
    const int k = v.index == ResultsIndex::whz ? 0 : v.index == ResultsIndex::waz ? 1 : 2;
    const bool whz = v.index == ResultsIndex::whz;
    set(1, text(kTitleEntry) + " " + name + ":");
    set(3, text(810 + k));
    set(4, text(whz ? 813 : 814));
    set(9, text(818 + k));
    set(10, text(whz ? 821 : 822));
    set(15, text(823 + k));
    set(16, text(whz ? 826 : 827));
  }

  if (v.grouping != ResultsGrouping::age) {
    for (int s = 0; s < 3; ++s) {
      const analysis::PrevalenceValues& p = v.subsets[s];
      if (p.n <= 1) continue;
      const std::string label = text(kSubsetEntry[s]);
      set(5 + s, count_line(label, p.n, p.a, sep));
      set(11 + s, count_line(label, p.n, p.b, sep));
      set(17 + s, count_line(label, p.n, p.c, sep));
    }
    if (v.index != ResultsIndex::haz && v.oedema_n > 1) {
      set(21, write_over(text(kOedemaEntry) + " " + fixed(v.oedema_percent, 3, 1, sep) + "%", 12,
                         "(n=" + std::to_string(v.oedema) + ")"));
    }
    if (v.summary.n > 0) {
      const bool muac = v.index == ResultsIndex::muac;
      const std::string head =
          text(kMeanEntry) + " of " + name + (muac ? "           : " : "            : ");
      const std::string figures =
          muac ? fixed(v.summary.mean, 4, 1, sep) + "\xB1" + fixed(v.summary.sd, 3, 1, sep)
               : fixed(v.summary.mean, 3, 2, sep) + "\xB1" + fixed(v.summary.sd, 3, 2, sep);
      set(22, write_over(head + figures, 15, "(n=" + std::to_string(v.summary.n) + ")"));
    }
    if (v.design_effect > 0.0) {
      set(23, v.index == ResultsIndex::muac
                  ? text(kDesignEffectEntry) + " MUAC <" + moderate +
                        "mm :   " + fixed(v.design_effect, 3, 2, sep)
                  : text(kDesignEffectEntry) + " " + name +
                        " < -2    : " + fixed(v.design_effect, 3, 2, sep));
    }
    if (v.index != ResultsIndex::muac) {
      set(24, text(kMissingEntry) + " " + std::to_string(v.missing_z));
      set(25, text(kExcludedEntry) + " " + std::to_string(v.excluded_z));
      set(26, text(kNoteEntry));
    }
  }
  if (v.correction_ticked) {
    lines.resize(kLineCount);
    set(28, text(correction_entry(v.population_correction)));
  }
  if (v.rows_with_unusable_cluster > 0) {
    lines.resize(kLineCount);
    lines.push_back(text(analysis::kLeftOutForClusterEntry) + " " +
                    std::to_string(v.rows_with_unusable_cluster));
  }
  return lines;
}

}  // namespace olvar::reports
