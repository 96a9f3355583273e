// The survey window's graph window: a graph of the results page drawn from the open survey.

#include "core/survey_sort.h"
#include "graphs/results_graph.h"
#include "ui/busy_cursor.h"
#include "ui/graph_window.h"
#include "ui/survey_window.h"

namespace olvar::ui {

void SurveyWindow::show_graph(graphs::GraphIndex index, graphs::GraphType type) {
  if (app_.text == nullptr || !graphs::graph_offered(index, type)) return;
  const BusyCursor busy;
  const char separator = app_.dates.decimal_separator;
  analysis::AnalysisOptions analysis;
  analysis.selection = {options_.zr, options_.zrl, options_.zrh,
                        options_.zh, options_.zhl, options_.zhh};
  analysis.mode = options_.exclusion;
  analysis.flags = options_.flags;
  analysis.decimal_separator = separator;
  const graphs::GraphTexts texts{*app_.text,
                                 app_.settings.reference == core::kReferenceNchs
                                     ? anthro::Reference::nchs1977
                                     : anthro::Reference::who2006,
                                 options_.exclusion};
  // The graphs read the Options page as shown (age groups, MUAC cut-offs); the cluster graphs
  // take the clusters in the order the results page sorts the survey by CLUSTER.
  core::Workspace survey = workspace_;
  survey.options = options_;
  if (type == graphs::GraphType::cluster_means) {
    core::SortSurvey(survey, core::column(core::StdVar::cluster), std::nullopt, app_.sort_order,
                     separator);
  }
  const graphs::GraphResult graph =
      graphs::draw_results_graph({survey, analysis, texts}, index, type);
  if (!graph_window_) graph_window_ = std::make_unique<GraphWindow>(*app_.text, prompter_, this);
  graph_window_->set_prompter(prompter_);
  graph_window_->set_protected_file(workspace_.file_name);
  graph_window_->show_graph(graph.drawing, graph.title,
                            graph.memo.value_or(std::vector<std::string>{}));
  graph_window_->show();
  graph_window_->raise();
  if (graph.notice) prompter_->inform(app_.text->text(*graph.notice));
}

}  // namespace olvar::ui
