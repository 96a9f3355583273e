#include "graphs/results_graph.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

#include "core/text_conversions.h"
#include "graphs/cluster_cases.h"
#include "graphs/distribution_graph.h"
#include "graphs/group_graph.h"
#include "analysis/age_table_values.h"
#include "analysis/prevalence_values.h"

namespace olvar::graphs {

namespace {

using core::StdVar;

struct Named {
  GraphType type;
  std::string_view name;
};
constexpr std::array<Named, 13> kNames = {{
    {GraphType::gaussian, "gaussian"},
    {GraphType::cumulative, "cumulative"},
    {GraphType::probability, "probability"},
    {GraphType::gaussian_by_sex, "gaussian-sex"},
    {GraphType::cumulative_by_sex, "cumulative-sex"},
    {GraphType::probability_by_sex, "probability-sex"},
    {GraphType::cluster_means, "cluster"},
    {GraphType::age_means, "age"},
    {GraphType::cases_below_2, "cases-below-2"},
    {GraphType::cases_below_3, "cases-below-3"},
    {GraphType::cases_oedema, "cases-oedema"},
    {GraphType::cases_gam, "cases-gam"},
    {GraphType::cases_sam, "cases-sam"},
}};

int column_of(GraphIndex index) {
  switch (index) {
    case GraphIndex::waz:
      return core::column(StdVar::waz);
    case GraphIndex::haz:
      return core::column(StdVar::haz);
    case GraphIndex::whz:
      return core::column(StdVar::whz);
    case GraphIndex::muac:
      return core::column(StdVar::muac);
  }
  return core::column(StdVar::whz);
}

bool is_cases(GraphType type) {
  return type == GraphType::cases_below_2 || type == GraphType::cases_below_3 ||
         type == GraphType::cases_oedema || type == GraphType::cases_gam ||
         type == GraphType::cases_sam;
}

// Titles: the distributions (this program's entries), the groupings Cluster and Age.
int distribution_title(GraphIndex index) { return 1400 + static_cast<int>(index); }
int cluster_title(GraphIndex index) {
  constexpr std::array<int, 4> kEntries = {870, 871, 872, 1081};
  return kEntries[static_cast<std::size_t>(index)];
}
int age_title(GraphIndex index) {
  constexpr std::array<int, 4> kEntries = {873, 874, 875, 1082};
  return kEntries[static_cast<std::size_t>(index)];
}

analysis::AnalysisTable analysis_table(const GraphInputs& in, GraphIndex index) {
  // MUAC has no flag rule: the table is only copied (with the row selection).
  const int z_column = index == GraphIndex::muac ? -1 : column_of(index);
  return analysis::SG6_uebergabe(in.workspace.survey, in.analysis, -1, z_column, "");
}

// The present values of the index, for everyone or one sex. A MUAC of 0 is no measurement;
// a z-score of magnitude 20 or more is missing, like an empty or blanked cell.
std::vector<double> values_of(const core::TextGrid& table, GraphIndex index,
                              std::optional<analysis::SexSubset> sex) {
  const int column = column_of(index);
  const int sex_column = core::column(StdVar::sex);
  std::vector<double> values;
  for (int row = 1; row < table.row_count(); ++row) {
    const std::string_view text = table.cell(column, row);
    if (text.empty()) continue;
    if (sex && !analysis::in_sex_subset(table.cell(sex_column, row), *sex)) continue;
    const auto value = core::parse_number(text);
    if (!value) continue;
    if (index == GraphIndex::muac ? !(*value > 0) : anthro::is_missing_z(*value)) continue;
    values.push_back(*value);
  }
  return values;
}

GraphResult distribution(const GraphInputs& in, GraphIndex index, DistributionType type,
                         bool by_sex) {
  GraphResult result;
  result.title = in.texts(distribution_title(index));
  const analysis::AnalysisTable table = analysis_table(in, index);
  Surface surface;
  const std::string variable(graph_index_name(index));
  if (!by_sex) {
    result.notice = draw_distribution(
        surface, type,
        {values_of(table.table, index, std::nullopt), Series::none, result.title, variable},
        in.texts);
  } else {
    // Girls first, with the frame; the boys on top.
    DistributionInput girls{values_of(table.table, index, analysis::SexSubset::girls), Series::girls,
                            result.title, variable};
    DistributionInput boys{values_of(table.table, index, analysis::SexSubset::boys), Series::boys,
                           result.title, variable};
    girls.show_count = boys.show_count = false;
    const auto girls_notice = draw_distribution(surface, type, girls, in.texts);
    const auto boys_notice = draw_distribution(surface, type, boys, in.texts);
    result.notice = girls_notice ? girls_notice : boys_notice;
  }
  result.drawing = std::move(surface).drawing();
  return result;
}

std::vector<std::string> lower_bounds(const core::OptionsPage& o) {
  return {o.Edit2, o.Edit4, o.Edit6, o.Edit8, o.Edit10};
}
std::vector<std::string> upper_bounds(const core::OptionsPage& o) {
  return {o.Edit3, o.Edit5, o.Edit7, o.Edit9, o.Edit11};
}

double number_or(const std::string& text, double fallback) {
  const auto value = core::parse_number(text);
  return value && *value > 0 ? *value : fallback;
}

// The MUAC classes of the six age bands: below the first group, each of groups 1 to 4, and
// from the fifth group's start on.
std::vector<MuacBand> muac_bands(const GraphInputs& in, const core::TextGrid& table,
                                 const std::vector<std::string>& labels) {
  const core::OptionsPage& o = in.workspace.options;
  const auto bound = [](const std::string& text) {
    return static_cast<double>(core::parse_number(text).value_or(0));
  };
  const std::vector<std::string> lower = lower_bounds(o), upper = upper_bounds(o);
  std::vector<analysis::AgeGroup> groups = {{-1e9, bound(lower[0]) - 1}};
  for (std::size_t k = 0; k < 4; ++k) groups.push_back({bound(lower[k]), bound(upper[k])});
  groups.push_back({bound(lower[4]), 100000});
  analysis::PrevalenceInputs inputs;
  inputs.muac = {number_or(o.muac1, 115), number_or(o.muac2, 125)};
  inputs.decimal_separator = in.analysis.decimal_separator;
  const std::vector<analysis::AgeGroupValues> values =
      analysis::age_table_values(table, analysis::AgeTableFamily::muac, groups, inputs);
  std::vector<MuacBand> bands;
  for (std::size_t k = 0; k < groups.size() && k < values.size(); ++k) {
    bands.push_back({k < labels.size() ? labels[k] : std::string(), values[k].category[0].percent,
                     values[k].category[1].percent});
  }
  return bands;
}

GraphResult group_means(const GraphInputs& in, GraphIndex index, bool by_cluster) {
  GraphResult result;
  result.title = in.texts(by_cluster ? cluster_title(index) : age_title(index));
  const analysis::AnalysisTable table = analysis_table(in, index);
  const core::OptionsPage& o = in.workspace.options;
  const std::vector<std::string> labels = age_band_labels(lower_bounds(o), upper_bounds(o));
  const std::string list =
      by_cluster ? cluster_category_list(in.workspace.survey) : age_category_list(lower_bounds(o));
  Surface surface;
  if (index == GraphIndex::muac && !by_cluster) {
    draw_muac_classes(surface, muac_bands(in, table.table, labels), result.title, list,
                      static_cast<int>(std::lround(number_or(o.muac1, 115))),
                      static_cast<int>(std::lround(number_or(o.muac2, 125))));
  } else {
    const std::string variable(graph_index_name(index));
    const auto bars = group_bars(table.table, variable, list, labels);
    if (bars) {
      draw_group_means(surface, *bars, result.title, variable, list);
      result.memo = group_means_memo(*bars, result.title, by_cluster ? "Cluster" : "Age");
    } else {
      draw_group_axes(surface, result.title, variable, list);
    }
  }
  result.drawing = std::move(surface).drawing();
  return result;
}

CaseDefinition definition_of(GraphIndex index, GraphType type) {
  switch (type) {
    case GraphType::cases_below_3:
      return index == GraphIndex::haz   ? CaseDefinition::haz_below_3
             : index == GraphIndex::waz ? CaseDefinition::waz_below_3
                                        : CaseDefinition::whz_below_3;
    case GraphType::cases_oedema:
      return CaseDefinition::oedema;
    case GraphType::cases_gam:
      return CaseDefinition::gam;
    case GraphType::cases_sam:
      return CaseDefinition::sam;
    default:
      return index == GraphIndex::haz   ? CaseDefinition::haz_below_2
             : index == GraphIndex::waz ? CaseDefinition::waz_below_2
                                        : CaseDefinition::whz_below_2;
  }
}

GraphResult cases(const GraphInputs& in, GraphIndex index, GraphType type) {
  GraphResult result;
  result.title = "Distribution of cases in clusters";
  const ClusterCases table = Praev_calc(in.workspace.survey, in.analysis);
  Surface surface;
  draw_cases_per_cluster(surface, cases_per_cluster(table.of(definition_of(index, type))));
  result.memo = cases_memo(table, in.texts.text);
  result.drawing = std::move(surface).drawing();
  return result;
}

}  // namespace

std::optional<GraphType> graph_type_for_page(GraphIndex index, Grouping grouping, int item) {
  if (item < 0) return std::nullopt;
  switch (grouping) {
    case Grouping::all:
    case Grouping::sex: {
      const int items = index == GraphIndex::muac ? 2 : 3;
      if (item >= items) return std::nullopt;
      const int by_sex = grouping == Grouping::sex ? 3 : 0;
      return kGraphTypes[item + by_sex];
    }
    case Grouping::age:
      if (item == 0) return GraphType::age_means;
      return std::nullopt;
    case Grouping::cluster: {
      if (item == 0) return GraphType::cluster_means;
      const int items = index == GraphIndex::whz ? 5 : index == GraphIndex::muac ? 0 : 2;
      if (item > items) return std::nullopt;
      return kGraphTypes[7 + item];
    }
  }
  return std::nullopt;
}

bool graph_offered(GraphIndex index, GraphType type) {
  if (index == GraphIndex::muac) {
    return !is_cases(type) && type != GraphType::probability &&
           type != GraphType::probability_by_sex;
  }
  if (index != GraphIndex::whz) {
    return type != GraphType::cases_oedema && type != GraphType::cases_gam &&
           type != GraphType::cases_sam;
  }
  return true;
}

std::string_view graph_type_name(GraphType type) {
  for (const Named& n : kNames) {
    if (n.type == type) return n.name;
  }
  return {};
}

std::optional<GraphType> graph_type_named(std::string_view name) {
  for (const Named& n : kNames) {
    if (n.name == name) return n.type;
  }
  return std::nullopt;
}

std::string_view graph_index_name(GraphIndex index) {
  constexpr std::array<std::string_view, 4> kIndexNames = {"WAZ", "HAZ", "WHZ", "MUAC"};
  return kIndexNames[static_cast<std::size_t>(index)];
}

std::optional<GraphIndex> graph_index_named(std::string_view name) {
  for (const GraphIndex index :
       {GraphIndex::waz, GraphIndex::haz, GraphIndex::whz, GraphIndex::muac}) {
    const std::string_view upper = graph_index_name(index);
    if (name.size() == upper.size() &&
        std::equal(name.begin(), name.end(), upper.begin(),
                   [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; }))
      return index;
  }
  return std::nullopt;
}

GraphResult draw_results_graph(const GraphInputs& inputs, GraphIndex index, GraphType type) {
  if (!graph_offered(index, type)) return {Surface().drawing(), "", std::nullopt, std::nullopt};
  switch (type) {
    case GraphType::gaussian:
      return distribution(inputs, index, DistributionType::gaussian, false);
    case GraphType::cumulative:
      return distribution(inputs, index, DistributionType::cumulative, false);
    case GraphType::probability:
      return distribution(inputs, index, DistributionType::probability, false);
    case GraphType::gaussian_by_sex:
      return distribution(inputs, index, DistributionType::gaussian, true);
    case GraphType::cumulative_by_sex:
      return distribution(inputs, index, DistributionType::cumulative, true);
    case GraphType::probability_by_sex:
      return distribution(inputs, index, DistributionType::probability, true);
    case GraphType::cluster_means:
      return group_means(inputs, index, true);
    case GraphType::age_means:
      return group_means(inputs, index, false);
    default:
      return cases(inputs, index, type);
  }
}

}  // namespace olvar::graphs
