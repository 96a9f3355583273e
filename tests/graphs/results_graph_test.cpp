// Every graph of the results page drawn from a real survey, the page's graph-type list, and the
// growth chart. With OLVAR_GRAPH_DUMP set to a folder, the pictures and the survey are written
// there for a person to look at.
#include "graphs/results_graph.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/survey_file.h"
#include "display_list_steps.h"
#include "graphs/growth_chart.h"
#include "graphs/svg_renderer.h"
#include "real_survey.h"

namespace olvar::graphs {
namespace {

using test::steps_of;
using test::text_named;

struct RealData : ::testing::Test {
  static void SetUpTestSuite() {
    text = new core::LanguageTable(core::LanguageTable::load(olvar::test::build_data_path("")));
    who = new anthro::WhoReference(
        anthro::WhoReference::load(olvar::test::build_data_path("anthro_who2005.dat")));
    survey = new core::Workspace(test::mwana_survey(*who));
  }
  static void TearDownTestSuite() {
    delete survey;
    delete who;
    delete text;
  }
  static core::LanguageTable* text;
  static anthro::WhoReference* who;
  static core::Workspace* survey;

  GraphInputs inputs(core::ExclusionMode mode = core::ExclusionMode::kandu) const {
    analysis::AnalysisOptions analysis;
    analysis.mode = mode;
    return {*survey, analysis, {*text, anthro::Reference::who2006, mode}};
  }
};
core::LanguageTable* RealData::text = nullptr;
anthro::WhoReference* RealData::who = nullptr;
core::Workspace* RealData::survey = nullptr;

void dump(const std::string& name, const Drawing& drawing) {
  const char* folder = std::getenv("OLVAR_GRAPH_DUMP");
  if (folder == nullptr) return;
  std::ofstream(std::filesystem::path(folder) / (name + ".svg"), std::ios::binary)
      << svg_of(drawing);
}

bool svg_is_clean(const Drawing& d) {
  const std::string svg = svg_of(d);
  return svg.find("nan") == std::string::npos && svg.find("inf") == std::string::npos;
}

TEST_F(RealData, EveryOfferedGraphOfEveryIndexDraws) {
  ASSERT_TRUE(who->found());
  if (const char* folder = std::getenv("OLVAR_GRAPH_DUMP")) {
    core::DateConventions dates;
    std::ofstream(std::filesystem::path(folder) / "mwana.as", std::ios::binary)
        << core::survey_file_bytes(*survey, dates);
  }
  int drawn = 0;
  for (const GraphIndex index :
       {GraphIndex::waz, GraphIndex::haz, GraphIndex::whz, GraphIndex::muac}) {
    for (const GraphType type : kGraphTypes) {
      if (!graph_offered(index, type)) continue;
      const std::string name =
          std::string(graph_index_name(index)) + "_" + std::string(graph_type_name(type));
      SCOPED_TRACE(name);
      const GraphResult g = draw_results_graph(inputs(), index, type);
      EXPECT_FALSE(g.title.empty());
      EXPECT_GT(g.drawing.steps.size(), 5u);  // MUAC's Gaussian curve has axes only
      EXPECT_TRUE(svg_is_clean(g.drawing));
      dump(name, g.drawing);
      ++drawn;
    }
  }
  EXPECT_EQ(drawn, 4 * 8 - 2 + 5 + 2 + 2);  // 8 each but MUAC's two probability plots; cases
}

TEST_F(RealData, ClusterMeansHaveABarAndAMemoLinePerCluster) {
  const GraphResult g = draw_results_graph(inputs(), GraphIndex::whz, GraphType::cluster_means);
  ASSERT_TRUE(g.memo);
  // 58 clusters: title, empty line, one line each.
  EXPECT_EQ(g.memo->size(), 60u);
  EXPECT_EQ((*g.memo)[2].rfind("Cluster 101 :", 0), 0u);
  int bars = 0;
  for (const Box& b : steps_of<Box>(g.drawing)) bars += b.fill_colour == kRed;
  EXPECT_EQ(bars, 58);
}

TEST_F(RealData, MuacByAgeShowsSixClassBarsAndKeepsTheMemo) {
  const GraphResult g = draw_results_graph(inputs(), GraphIndex::muac, GraphType::age_means);
  EXPECT_FALSE(g.memo);
  int green = 0;
  for (const Box& b : steps_of<Box>(g.drawing)) green += b.fill_colour == kGreen && b.y2 == 55;
  EXPECT_EQ(green, 6);
  EXPECT_NE(text_named(g.drawing, ">= 54"), nullptr);
}

TEST_F(RealData, CasesGraphMemoListsTheDispersionOfEachDefinition) {
  const GraphResult g = draw_results_graph(inputs(), GraphIndex::whz, GraphType::cases_gam);
  ASSERT_TRUE(g.memo);
  EXPECT_EQ(g.memo->front(), text->text(37));
  EXPECT_EQ(g.memo->back(), text->text(46));
  bool gam = false;
  for (const std::string& line : *g.memo) gam = gam || line.rfind("GAM:      ID=", 0) == 0;
  EXPECT_TRUE(gam);
}

TEST_F(RealData, BySexCountsEachSeriesInItsLegend) {
  const GraphResult g = draw_results_graph(inputs(), GraphIndex::whz, GraphType::cumulative_by_sex);
  const GraphResult all = draw_results_graph(inputs(), GraphIndex::whz, GraphType::cumulative);
  // The count of a legend text "Girls (576)".
  const auto count = [](const Drawing& d, const std::string& series) {
    for (const Text& t : steps_of<Text>(d)) {
      if (t.text.rfind(series + " (", 0) == 0) return std::stoi(t.text.substr(series.size() + 2));
    }
    return -1;
  };
  const int girls = count(g.drawing, text->text(835)), boys = count(g.drawing, text->text(834));
  EXPECT_GT(girls, 400);
  EXPECT_GT(boys, 400);
  // Every child of the survey has a sex: the two series make up all children.
  const Text* n = nullptr;
  for (const Text& t : steps_of<Text>(all.drawing))
    if (t.text.rfind("(n = ", 0) == 0) n = text_named(all.drawing, t.text);
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->text, "(n = " + std::to_string(girls + boys) + ")");
  int red = 0, blue = 0;
  for (const Ellipse& e : steps_of<Ellipse>(g.drawing)) {
    red += e.fill_colour == kRed;
    blue += e.fill_colour == kBlue;
  }
  EXPECT_GT(red, 100);  // one dot per value, repeated pixels painted once
  EXPECT_LE(red, girls);
  EXPECT_GT(blue, 100);
  EXPECT_LE(blue, boys);
}

TEST(GraphTypeForPage, FollowsThePageList) {
  struct Case {
    GraphIndex index;
    Grouping grouping;
    int item;
    std::optional<GraphType> type;
  };
  const Case cases[] = {
      {GraphIndex::whz, Grouping::all, 2, GraphType::probability},
      {GraphIndex::muac, Grouping::all, 2, std::nullopt},
      {GraphIndex::muac, Grouping::sex, 1, GraphType::cumulative_by_sex},
      {GraphIndex::whz, Grouping::cluster, 0, GraphType::cluster_means},
      {GraphIndex::whz, Grouping::cluster, 5, GraphType::cases_sam},
      {GraphIndex::haz, Grouping::cluster, 2, GraphType::cases_below_3},
      {GraphIndex::haz, Grouping::cluster, 3, std::nullopt},
      {GraphIndex::muac, Grouping::cluster, 1, std::nullopt},
      {GraphIndex::waz, Grouping::age, 0, GraphType::age_means},
      {GraphIndex::waz, Grouping::age, 1, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(graph_index_name(c.index)) + " item " + std::to_string(c.item));
    EXPECT_EQ(graph_type_for_page(c.index, c.grouping, c.item), c.type);
  }
  for (const GraphType type : kGraphTypes) EXPECT_EQ(graph_type_named(graph_type_name(type)), type);
}

TEST_F(RealData, GrowthChartsMarkTheChildOnTheCurves) {
  int drawn = 0;
  for (const int row : {1, 2, 40}) {
    const auto child = child_of_row(survey->survey, row, anthro::RowEvaluationSettings{});
    ASSERT_TRUE(child);
    for (const GrowthChartKind kind :
         {GrowthChartKind::weight_for_age, GrowthChartKind::height_for_age,
          GrowthChartKind::weight_for_height}) {
      const GrowthChart chart = growth_chart(*child, kind, anthro::Reference::who2006, *who, *text);
      EXPECT_TRUE(chart.child);
      EXPECT_TRUE(chart.z);
      EXPECT_TRUE(svg_is_clean(chart.drawing));
      dump("growth_" + std::to_string(row) + "_" + std::to_string(static_cast<int>(kind)),
           chart.drawing);
      ++drawn;
    }
  }
  EXPECT_EQ(drawn, 9);
}

TEST_F(RealData, GrowthChartCurvesAreTheReferenceAtTheirSd) {
  // The WHO tables (weianthro, lenanthro, wflanthro). Boys' weight-for-age at 0 days: L 0.3487,
  // M 3.3464, S 0.14602, so -2 SD = 3.3464 (1 - 2 x 0.3487 x 0.14602)^(1 / 0.3487) = 2.4593 kg.
  struct Case {
    const char* what;
    GrowthChartKind kind;
    char sex, position;
    double x, sd, value;
  };
  const Case cases[] = {
      {"weight-for-age median at birth", GrowthChartKind::weight_for_age, 'm', ' ', 0, 0, 3.3464},
      {"weight-for-age -2 SD at birth", GrowthChartKind::weight_for_age, 'm', ' ', 0, -2, 2.4593},
      {"girls' length at 730 days", GrowthChartKind::height_for_age, 'f', ' ', 730, 0, 86.4008},
      {"girls' height at 731 days", GrowthChartKind::height_for_age, 'f', ' ', 731, 0, 85.7299},
      {"girls' weight-for-length at 80 cm", GrowthChartKind::weight_for_height, 'f', 'l', 80, 0,
       10.0891},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto v =
        curve_value(c.kind, c.sex, c.position, c.x, c.sd, anthro::Reference::who2006, *who);
    ASSERT_TRUE(v);
    EXPECT_NEAR(*v, c.value, 1e-3);
  }
  // NCHS: the median is P50 itself.
  const auto nchs_median = curve_value(GrowthChartKind::weight_for_age, 'm', ' ', 365.25, 0,
                                       anthro::Reference::nchs1977, *who);
  ASSERT_TRUE(nchs_median);
  EXPECT_NEAR(*nchs_median, 10.2, 0.3);
}

TEST_F(RealData, GrowthChartOfAChildWithoutMeasurementsSaysSo) {
  anthro::Measurement nobody;
  const GrowthChart chart = growth_chart(nobody, GrowthChartKind::weight_for_height,
                                         anthro::Reference::who2006, *who, *text);
  EXPECT_FALSE(chart.child);
  EXPECT_NE(text_named(chart.drawing, text->text(1410)), nullptr);
  EXPECT_TRUE(svg_is_clean(chart.drawing));
}

}  // namespace
}  // namespace olvar::graphs
