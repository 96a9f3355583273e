#include "graphs/cluster_cases.h"

#include <unordered_map>

#include "anthro/measurement.h"
#include "core/text_conversions.h"
#include "stats/dispersion.h"

namespace olvar::graphs {

namespace {

using core::StdVar;

constexpr std::size_t kMaxClusters = 999;

std::optional<float> z_of(const core::TextGrid& table, int column, int row) {
  const std::string_view text = table.cell(column, row);
  if (text.empty()) return std::nullopt;
  const auto z = core::parse_number(text);
  if (!z || anthro::is_missing_z(*z)) return std::nullopt;
  return z;
}

std::size_t at(CaseDefinition d) { return static_cast<std::size_t>(d); }

}  // namespace

std::vector<int> ClusterCases::of(CaseDefinition definition) const {
  std::vector<int> out;
  out.reserve(counts.size());
  for (const auto& c : counts) out.push_back(c[at(definition)]);
  return out;
}

ClusterCases Praev_calc(const core::SurveyTable& survey, analysis::AnalysisOptions options) {
  options.mode = anthro::ExclusionMode::kandu;
  ClusterCases cases;
  std::unordered_map<std::string, std::size_t> index_of;
  const int team = core::column(StdVar::team), cluster = core::column(StdVar::cluster);
  const int edema = core::column(StdVar::edema);
  for (const StdVar index : {StdVar::whz, StdVar::haz, StdVar::waz}) {
    const int z_column = core::column(index);
    const analysis::AnalysisTable analysis =
        analysis::SG6_uebergabe(survey, options, -1, z_column, "");
    const core::TextGrid& t = analysis.table;
    for (int row = 1; row < t.row_count(); ++row) {
      if (t.cell(team, row).empty()) continue;
      const std::string code(t.cell(cluster, row));
      auto found = index_of.find(code);
      if (found == index_of.end()) {
        if (cases.clusters.size() >= kMaxClusters) continue;
        found = index_of.emplace(code, cases.clusters.size()).first;
        cases.clusters.push_back(code);
        cases.counts.push_back({});
      }
      auto& c = cases.counts[found->second];
      const auto z = z_of(t, z_column, row);
      if (index == StdVar::whz) {
        const std::string_view e = t.cell(edema, row);
        const bool oedema = e == "y" || e == "Y";
        if (!z && !oedema) continue;
        const bool below2 = z && *z < -2, below3 = z && *z < -3;
        c[at(CaseDefinition::whz_below_2)] += below2;
        c[at(CaseDefinition::whz_below_3)] += below3;
        c[at(CaseDefinition::oedema)] += oedema;
        c[at(CaseDefinition::gam)] += below2 || oedema;
        c[at(CaseDefinition::sam)] += below3 || oedema;
      } else if (z) {
        const CaseDefinition below2 =
            index == StdVar::haz ? CaseDefinition::haz_below_2 : CaseDefinition::waz_below_2;
        c[at(below2)] += *z < -2;
        c[at(below2) + 1] += *z < -3;
      }
    }
  }
  return cases;
}

std::vector<std::string> PoissonCheck(const ClusterCases& cases) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < kCaseDefinitions; ++i) {
    std::vector<double> counts;
    for (const auto& c : cases.counts) counts.push_back(c[i]);
    const auto d = stats::index_of_dispersion(counts);
    if (!d) continue;  // no cases, or fewer than two clusters
    std::string line = std::string(kCaseLabels[i]) + ": ";
    if (line.size() < 10) line.resize(10, ' ');
    lines.push_back(line + "ID=" + core::format_fixed(d->index, 3, 2) +
                    " (p=" + core::format_fixed(d->p, 4, 3) + ")");
  }
  return lines;
}

std::vector<std::string> cases_memo(const ClusterCases& cases, const core::LanguageTable& text) {
  std::vector<std::string> lines = {text.text(37), ""};
  for (std::string& line : PoissonCheck(cases)) lines.push_back(std::move(line));
  lines.push_back("");
  lines.push_back(text.text(45));
  lines.push_back(text.text(46));
  return lines;
}

}  // namespace olvar::graphs
