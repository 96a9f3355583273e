#pragma once
// Every graph of the "Results Anthropometry" page, chosen by index and graph type and drawn from
// a survey: the one call the desktop's graph window and `olvar-cli graph` make.
//
//   const GraphResult g = draw_results_graph({workspace, analysis, texts}, GraphIndex::whz,
//                                            GraphType::gaussian);
//   write(svg_of(g.drawing));  if (g.notice) tell(text(*g.notice));

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/language_table.h"
#include "core/workspace.h"
#include "graphs/display_list.h"
#include "graphs/graph_texts.h"
#include "analysis/analysis_table.h"

namespace olvar::graphs {

enum class GraphIndex { waz, haz, whz, muac };

// The page's groupings with their graph types folded into one choice.
enum class GraphType {
  gaussian,  // grouping All
  cumulative,
  probability,
  gaussian_by_sex,  // grouping Sex: girls, then boys on the same picture
  cumulative_by_sex,
  probability_by_sex,
  cluster_means,  // grouping Cluster, item 0
  age_means,      // grouping Age; for MUAC the MUAC classes by age band
  cases_below_2,  // grouping Cluster, items 1 and up: clusters by number of cases
  cases_below_3,
  cases_oedema,  // WHZ only
  cases_gam,     // WHZ only
  cases_sam,     // WHZ only
};
inline constexpr GraphType kGraphTypes[] = {
    GraphType::gaussian,        GraphType::cumulative,        GraphType::probability,
    GraphType::gaussian_by_sex, GraphType::cumulative_by_sex, GraphType::probability_by_sex,
    GraphType::cluster_means,   GraphType::age_means,         GraphType::cases_below_2,
    GraphType::cases_below_3,   GraphType::cases_oedema,      GraphType::cases_gam,
    GraphType::cases_sam};

enum class Grouping { all, sex, cluster, age };

// The graph type the page's combo box `Graphtype` selects: item `item` of the list the page
// shows for the index and grouping. nullopt for an item the list does not hold.
std::optional<GraphType> graph_type_for_page(GraphIndex index, Grouping grouping, int item);
// Whether the page offers the graph for the index (MUAC has no probability plot and no
// cases-per-cluster graphs; HAZ and WAZ have only the two cut-offs).
bool graph_offered(GraphIndex index, GraphType type);

// Names of the command line: "gaussian", "cumulative-sex", "cluster", "age", "cases-gam", ...
std::string_view graph_type_name(GraphType type);
std::optional<GraphType> graph_type_named(std::string_view name);
std::string_view graph_index_name(GraphIndex index);                 // "WAZ", "HAZ", "WHZ", "MUAC"
std::optional<GraphIndex> graph_index_named(std::string_view name);  // "whz", "WHZ", ...

struct GraphInputs {
  const core::Workspace& workspace;   // the Survey table and the Options page (age groups, MUAC)
  analysis::AnalysisOptions analysis;  // exclusion, flag bounds and row selection in force
  GraphTexts texts;
};

struct GraphResult {
  Drawing drawing;
  std::string title;
  // The result memo's lines that go with the graph (group means and cases per cluster);
  // nullopt where the memo keeps what it shows.
  std::optional<std::vector<std::string>> memo;
  // A message for the user (Language entry 804: too few distinct values for a curve).
  std::optional<core::LanguageEntry> notice;
};

// Draws the graph. A type the page does not offer for the index draws the axes of an empty
// surface only; callers check graph_offered first.
GraphResult draw_results_graph(const GraphInputs& inputs, GraphIndex index, GraphType type);

}  // namespace olvar::graphs
