#include "reports/results_report_values.h"

#include <algorithm>
#include <optional>

#include "core/standard_variables.h"
#include "core/text_conversions.h"
#include "stats/cluster_estimate.h"
#include "stats/column_summary.h"

namespace olvar::reports {

namespace {

using core::StdVar;

int col(StdVar v) { return core::column(v); }

// Filled, readable and above -20: the analysis table has blanked what the exclusion rejects.
std::optional<double> present_z(std::string_view text, char separator) {
  const std::optional<float> v = core::parse_number(text, separator);
  if (!v || !(*v > -20.0f)) return std::nullopt;
  return *v;
}

// A MUAC of 0, empty or unreadable is no measurement.
std::optional<double> present_muac(std::string_view text, char separator) {
  const std::optional<float> v = core::parse_number(text, separator);
  if (!v || !(*v > 0.0f)) return std::nullopt;
  return *v;
}

bool member(const analysis::AgeGroup& g, double months) { return g.contains(months); }

MeanValues mean_values(const analysis::AnalysisTable& analysis, StdVar index) {
  MeanValues m;
  const stats::ColumnSummary s = stats::DeskripStatCont(analysis.table, col(index));
  m.n = static_cast<int>(s.n);
  m.mean = s.mean;
  m.sd = s.sd;
  m.design_effect =
      stats::DesignEffect(stats::Cluster_Zusammenfassung(analysis.table, col(index), -2.0));
  m.missing = analysis.missing_z;
  m.excluded = analysis.excluded_z;
  return m;
}

void sex_families(ReferenceValues& v, const analysis::ParsedRows& table, analysis::PrevalenceFamily family,
                  const char* all, const char* boys, const char* girls,
                  const analysis::PrevalenceInputs& inputs) {
  analysis::PrevalenceInputs in = inputs;
  in.sex = analysis::SexSubset::all;
  v.families[all] = analysis::prevalence_values(table, family, in);
  in.sex = analysis::SexSubset::boys;
  v.families[boys] = analysis::prevalence_values(table, family, in);
  in.sex = analysis::SexSubset::girls;
  v.families[girls] = analysis::prevalence_values(table, family, in);
}

std::array<AgeSexCounts, 6> age_sex_distribution(const core::TextGrid& table,
                                                 const ReportInputs& in) {
  std::array<AgeSexCounts, 6> out{};
  if (in.groups.empty()) return out;
  const analysis::AgeGroup whole{in.groups.front().lower, in.groups.back().upper};
  for (int row = 1; row < table.row_count(); ++row) {
    const std::string_view sex = table.cell(col(StdVar::sex), row);
    if (sex != "m" && sex != "f") continue;
    const std::optional<float> months =
        core::parse_number(table.cell(col(StdVar::months), row), in.decimal_separator);
    if (!months) continue;
    auto add = [&](AgeSexCounts& c) { (sex == "m" ? c.boys : c.girls) += 1; };
    for (std::size_t g = 0; g < in.groups.size() && g < 5; ++g)
      if (member(in.groups[g], *months)) add(out[g]);
    if (member(whole, *months)) add(out[5]);
  }
  return out;
}

// Oedema against severe wasting over the rows with CLUSTER filled. A WHZ the exclusion blanked
// comes back from the row's own evaluation, so that every child with a computable WHZ is placed;
// a child without one is left out unless it has oedema.
OedemaWasting oedema_and_wasting(const core::TextGrid& table, const core::SurveyTable& survey,
                                 char sep) {
  OedemaWasting w;
  for (int row = 1; row < table.row_count(); ++row) {
    if (table.cell(col(StdVar::cluster), row).empty()) continue;
    const bool oedema = table.cell(col(StdVar::edema), row) == "y";
    std::string_view text = table.cell(col(StdVar::whz), row);
    if (text.empty()) text = survey.cell(col(StdVar::whz), row);
    const std::optional<float> z = core::parse_number(text, sep);
    const bool computable = z && *z > -20.0f && *z < 20.0f;
    if (!computable && !oedema) continue;
    const bool severe = computable && *z < -3.0f;
    if (oedema) {
      (severe ? w.oedema_severe : w.oedema_only) += 1;
    } else {
      (severe ? w.severe_only : w.neither) += 1;
    }
  }
  return w;
}

OverlapValues overlap_of(const core::TextGrid& table, const ReportInputs& in) {
  OverlapValues o;
  const char sep = in.decimal_separator;
  for (int row = 1; row < table.row_count(); ++row) {
    const std::string_view code = table.cell(col(StdVar::cluster), row);
    if (code.empty() || analysis::cluster_number(code) == 0) continue;
    const bool oedema = table.cell(col(StdVar::edema), row) == "y";
    const auto muac = present_muac(table.cell(col(StdVar::muac), row), sep);
    const auto whz = present_z(table.cell(col(StdVar::whz), row), sep);
    if (!muac && !whz && !oedema) continue;
    ++o.n;
    if (oedema) {
      ++o.oedema;
      continue;
    }
    const double m = muac.value_or(145.0);
    const double z = whz.value_or(0.0);
    const bool muac_severe = m < in.muac.severe, whz_severe = z < -3.0;
    const bool muac_moderate = m < in.muac.moderate, whz_moderate = z < -2.0;
    o.muac_severe_only += muac_severe && !whz_severe;
    o.whz_severe_only += !muac_severe && whz_severe;
    o.both_severe += muac_severe && whz_severe;
    o.muac_moderate_only += muac_moderate && !whz_moderate;
    o.whz_moderate_only += !muac_moderate && whz_moderate;
    o.both_moderate += muac_moderate && whz_moderate;
  }
  return o;
}

}  // namespace

ReportInputs report_inputs(const core::OptionsPage& options, char decimal_separator,
                           const stats::PopulationCorrectionInputs& planning) {
  ReportInputs in;
  in.analysis = analysis::analysis_settings(options, decimal_separator, planning);
  in.decimal_separator = decimal_separator;
  in.muac = in.analysis.muac;
  in.muac_severe_text = in.analysis.muac_severe_text;
  in.muac_moderate_text = in.analysis.muac_moderate_text;
  in.groups = in.analysis.age_groups;
  for (std::size_t g = 0; g < 5; ++g) in.group_labels[g] = in.analysis.age_group_label(g);
  return in;
}

EvaluatedSurvey evaluate_for_report(const core::SurveyTable& survey,
                                    const anthro::RowEvaluationSettings& settings,
                                    const anthro::WhoReference& who) {
  EvaluatedSurvey e{survey, {}};
  evaluate_for_report(e, settings, who);
  return e;
}

void evaluate_for_report(EvaluatedSurvey& e, const anthro::RowEvaluationSettings& settings,
                         const anthro::WhoReference& who) {
  e.whz_percent_of_median.assign(static_cast<std::size_t>(e.survey.row_count()), 0.0);
  for (int row = 1; row < e.survey.row_count(); ++row) {
    const anthro::AnthroResult r = anthro::Anthropometrie_Line(e.survey, row, settings, who);
    e.whz_percent_of_median[static_cast<std::size_t>(row)] = r.whz.pct_of_median;
  }
}

ReferenceValues Write_Report_values(const EvaluatedSurvey& evaluated, const ReportInputs& in) {
  analysis::AnalysisTable scratch;
  return Write_Report_values(evaluated, in, scratch);
}

ReferenceValues Write_Report_values(const EvaluatedSurvey& evaluated, const ReportInputs& in,
                                    analysis::AnalysisTable& work) {
  ReferenceValues v;
  const char sep = in.decimal_separator;
  const analysis::PrevalenceInputs all{in.muac, analysis::SexSubset::all, sep,
                                         in.analysis.population_correction};
  const core::SurveyTable& survey = evaluated.survey;

  // One analysis table at a time, its cells reused: first for WHZ (with the MUAC families, which
  // no exclusion touches), then for WAZ, then for HAZ.
  analysis::SG6_uebergabe(survey, in.analysis, analysis::Transfer::excluding(StdVar::whz), work);
  const core::TextGrid& t = work.table;
  analysis::ParsedRows rows = analysis::parse_rows(t, sep, analysis::kParseMonths | analysis::kParseMuac | analysis::kParseWhz);
  v.age_sex = age_sex_distribution(t, in);

  sex_families(v, rows, analysis::PrevalenceFamily::whz_wasting, "#02", "#03", "#04", all);
  // Weight-for-height as percent of the reference median, for the rows whose WHZ survived the
  // exclusion or that have oedema.
  const auto percent_of = [&](int row) -> std::optional<double> {
    const bool oedema = rows.oedema[static_cast<std::size_t>(row)];
    if (t.cell(col(StdVar::whz), row).empty() && !oedema) return std::nullopt;
    const std::size_t r = static_cast<std::size_t>(row);
    return r < evaluated.whz_percent_of_median.size() ? evaluated.whz_percent_of_median[r] : 0.0;
  };
  v.families["#07"] = analysis::prevalence_of_rows(rows, analysis::SexSubset::all,
                                                     in.analysis.population_correction, [&](int row) {
    analysis::RowCase k;
    const auto pct = percent_of(row);
    if (!pct) return k;
    const bool oedema = rows.oedema[static_cast<std::size_t>(row)];
    const bool measured = *pct > 0.0;
    k.counted = measured || oedema;
    k.oedema = oedema;
    k.a = (measured && *pct < 80.0) || oedema;
    k.b = !oedema && *pct >= 70.0 && *pct < 80.0;
    k.c = (measured && *pct < 70.0) || oedema;
    return k;
  });
  v.age_tables["#05"] = analysis::age_table_values(rows, analysis::AgeTableFamily::whz, in.groups, all);
  v.age_tables["#08"] = analysis::age_table_of_rows(rows, in.groups, analysis::SexSubset::all, [&](int row) {
    analysis::RowCategories k;
    const std::size_t r = static_cast<std::size_t>(row);
    k.oedema = rows.oedema[r];
    k.counted = analysis::ParsedRows::present(rows.whz[r]) || k.oedema;
    const auto pct = percent_of(row);
    if (pct && *pct > 0.0) k.in = {*pct < 70.0, *pct >= 70.0 && *pct < 80.0, *pct >= 80.0};
    return k;
  });
  sex_families(v, rows, analysis::PrevalenceFamily::whz_overweight, "#26", "#27", "#28", all);
  v.age_tables["#29"] = analysis::age_table_values(rows, analysis::AgeTableFamily::whz_overweight, in.groups, all);
  v.oedema_wasting = oedema_and_wasting(t, survey, sep);
  v.means[static_cast<int>(MeanIndex::whz)] = mean_values(work, StdVar::whz);
  // MUAC is never excluded, and the WHZ table keeps every MUAC: the MUAC families read it. The
  // combined families take their WHZ from it too, with the exclusion already applied (the Kandu
  // window lies around the mean of the unfiltered WHZ, as the transfer computes it).
  sex_families(v, rows, analysis::PrevalenceFamily::muac, "#22", "#23", "#24", all);
  v.age_tables["#25"] = analysis::age_table_values(rows, analysis::AgeTableFamily::muac, in.groups, all);
  sex_families(v, rows, analysis::PrevalenceFamily::muac_or_whz, "#30", "#31", "#32", all);
  v.overlap = overlap_of(t, in);

  analysis::SG6_uebergabe(survey, in.analysis, analysis::Transfer::excluding(StdVar::waz), work);
  rows = analysis::parse_rows(work.table, sep, analysis::kParseMonths | analysis::kParseWaz);
  sex_families(v, rows, analysis::PrevalenceFamily::waz, "#09", "#10", "#11", all);
  v.age_tables["#12"] = analysis::age_table_values(rows, analysis::AgeTableFamily::waz, in.groups, all);
  v.means[static_cast<int>(MeanIndex::waz)] = mean_values(work, StdVar::waz);

  analysis::SG6_uebergabe(survey, in.analysis, analysis::Transfer::excluding(StdVar::haz), work);
  rows = analysis::parse_rows(work.table, sep, analysis::kParseMonths | analysis::kParseHaz);
  sex_families(v, rows, analysis::PrevalenceFamily::haz, "#13", "#14", "#15", all);
  v.age_tables["#16"] = analysis::age_table_values(rows, analysis::AgeTableFamily::haz, in.groups, all);
  v.means[static_cast<int>(MeanIndex::haz)] = mean_values(work, StdVar::haz);
  return v;
}

stats::PopulationCorrection ReferenceValues::population_correction() const {
  const auto wasting = families.find("#02");
  return wasting == families.end() ? stats::PopulationCorrection::not_requested
                                   : wasting->second.estimate.population_correction;
}

int ReferenceValues::rows_with_unusable_cluster() const {
  int most = 0;
  for (const auto& [prefix, values] : families)
    most = std::max(most, values.rows_with_unusable_cluster);
  return most;
}

}  // namespace olvar::reports
