#pragma once
// The Results Anthropometry page: the reference buttons, the index, grouping and exclusion
// buttons, the graph type list, the result lines (memo `TR`) and the commands Graph, Clipboard
// and Report in Word. The lines come from reports/results_page; this page only shows them.
//
// The window calls entered() and left() as the page is shown and left: entry sorts the survey
// by CLUSTER (after saving the scratch copy "noname.as"), leaving restores the order.

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/language_table.h"
#include "core/options_page.h"
#include "core/workspace.h"
#include "graphs/display_list.h"
#include "reports/results_page.h"
#include "reports/results_page_visit.h"
#include "stats/cluster_estimate.h"

class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class QLabel;

namespace olvar::core {
class Prompter;
}

namespace olvar::ui {

class DrawingWidget;

// The graph the user asked for: the grouping of the page and the item of the graph type list
// (for All and Sex: 0 Gaussian curve, 1 cumulative distribution, 2 probability plot; for
// Cluster and Age: 0 group means or MUAC classes, 1 and up the cases-per-cluster definitions).
struct GraphChoice {
  reports::ResultsGrouping grouping = reports::ResultsGrouping::all;
  int item = 0;
  int entry = 0;  // the Language entry of the item's text
};

class ResultsPage : public QWidget {
  Q_OBJECT

 public:
  ResultsPage(core::Workspace& workspace, core::OptionsPage& options,
              const core::LanguageTable& text, char decimal_separator, QWidget* parent = nullptr);

  void set_prompter(core::Prompter* prompter) { prompter_ = prompter; }

  // Set by the window.
  std::function<void(char reference)> on_choose_reference;  // WHO_Button3 / NCHS_Button3
  std::function<void()> on_exclusion_changed;               // the Options page shows the new mode
  std::function<void()> on_report_in_word;                  // SpeedButton5 / BitBtn2 "Report Word"
  std::function<void(reports::ResultsIndex, GraphChoice)> on_show_graph;
  // The graph for the controls as set, drawn on the page itself (nullopt: none for them).
  std::function<std::optional<graphs::Drawing>(reports::ResultsIndex, GraphChoice)> draw_graph;
  // The Planning page's small-population correction, read at every computation.
  std::function<stats::PopulationCorrectionInputs()> planning_inputs;
  // Where "noname.as" is written on entry; empty: not written.
  std::filesystem::path scratch_folder;
  core::DateConventions dates;

  // The page is shown: scratch copy, sort by CLUSTER in `order` (the one the sort window chose
  // last), lines computed for the controls.
  void entered(char reference, core::SortOrder order);
  // The page is left: the table back in its order. Returns true when the rows must be
  // evaluated again (the reference was switched on the page).
  bool left(char reference);
  bool visiting() const { return visit_.has_value(); }
  // Another survey replaced the table (open, new): the order of entry no longer applies.
  void forget_visit() { visit_.reset(); }

  // `RadioButton3Click`: graph type list, analysis, result lines, for the controls as set.
  void refresh();
  // The reference buttons and the exclusion buttons as the settings and options hold them.
  void show_reference(bool who);
  void show_exclusion();

  reports::ResultsIndex index() const;
  reports::ResultsGrouping grouping() const;
  GraphChoice graph_choice() const;
  // The lines now in the memo (Windows-1252), 1-based line k at k - 1.
  const std::vector<std::string>& lines() const { return lines_; }
  // `ClipboardButtonClick`: the lines and the graph shown to the clipboard (text and picture).
  void copy_to_clipboard();
  // The graph on the page for the controls as set: drawn again on entry and at every change of
  // index, grouping, graph type or exclusion, so it never shows a stale picture.
  void redraw_graph();
  // The graph now on the page; nullptr when none is shown.
  const graphs::Drawing* shown_graph() const;

 private:
  void choose_exclusion(core::ExclusionMode mode);
  void fill_graph_types();
  QString text(int entry) const;

  core::Workspace& workspace_;
  core::OptionsPage& options_;
  const core::LanguageTable& language_;
  char decimal_separator_;
  core::Prompter* prompter_ = nullptr;
  std::optional<reports::ResultsPageVisit> visit_;
  std::vector<std::string> lines_;
  std::vector<int> graph_entries_;  // Language entries of the graph type list's items

  QRadioButton* who_button_ = nullptr;
  QRadioButton* nchs_button_ = nullptr;
  QRadioButton* index_buttons_[4] = {};      // WAZ, HAZ, WHZ, MUAC
  QRadioButton* grouping_buttons_[4] = {};   // All, Sex, Cluster, Age
  QRadioButton* exclusion_buttons_[3] = {};  // excl_vv, excl_pc, excl_ne
  QComboBox* graph_type_ = nullptr;
  // Available only once the window bound what they call.
  QPushButton* graph_button_ = nullptr;
  QPushButton* report_button_ = nullptr;
  QToolButton* report_speed_button_ = nullptr;
  QPlainTextEdit* memo_ = nullptr;
  DrawingWidget* graph_view_ = nullptr;
  bool graph_shown_ = false;
};

}  // namespace olvar::ui
