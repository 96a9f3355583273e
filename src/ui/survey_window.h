#pragma once
// The survey window: the pages of one survey (Planning, Training, Data Entry Anthropometry,
// Results Anthropometry, Death Rates, Food Security, Options), the Files and Extras menus and the
// tool bar. It owns the Workspace and the Options page and composes one widget class per page;
// it wires what crosses pages (the reference switch, options applied to data entry, open and
// save) and runs the menu commands.

#include <QMainWindow>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "anthro/row_evaluation.h"
#include "core/options_page.h"
#include "core/workspace.h"
#include "document/document_buffer.h"
#include "document/office_hand_off.h"
#include "graphs/results_graph.h"
#include "platform/process_launcher.h"
#include "stats/cluster_estimate.h"
#include "ui/qt_prompter.h"
#include "workspace/app_context.h"

class QAction;
class QMenu;
class QTabWidget;
class QTableView;
class QRadioButton;

namespace olvar::entry {
class DataEntryController;
}  // namespace olvar::entry

namespace olvar::ui {

class UserGuide;

class DataEntryPage;
class DataTools;
class OptionsPageWidget;
class PlanningPageWidget;
class ReportEditorWindow;
class ResultPanelWidget;
class ResultsPage;
class SurveyTableModel;
class DeathRatesPage;
class FoodSecurityPage;
class TrainingPage;
class GraphWindow;
class GrowthChartWidget;

class SurveyWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `inputs` gives the program search and the system services the options reset uses.
  SurveyWindow(workspace::AppContext& app, const workspace::StartUpInputs& inputs,
               QWidget* parent = nullptr);
  ~SurveyWindow() override;

  // The commands of the Files menu. open_survey() and new_survey() ask about unsaved changes
  // first; they return whether they were carried out.
  bool open_survey(const std::filesystem::path& file);
  bool new_survey();
  bool save_survey();
  bool save_survey_as();
  void open_with_dialog();
  // Files > "Import Epi Info, dBase, CSV/TSV or XLSX File": a survey from a file of another
  // program, through the preview-and-map window; `file` given (dropped on the window) skips the
  // open dialog.
  void import_survey(const std::string& file = {});
  // The Death Rates page's roster import: the individual mortality table from a household
  // roster and its lists of persons who left and died, through the same window.
  void import_roster();
  // A file dropped on the window: a survey (.as) is opened, a data file (.csv, .tsv, .txt,
  // .xlsx, .rec, .dbf) imported, each after the question about unsaved changes. Returns
  // whether the file is one of those.
  bool take_dropped_file(const std::filesystem::path& file);
  void open_recent(int index);

  // What the window shows when it becomes active: headers, caption, reference, command line.
  void activate();

  core::Workspace& workspace() { return workspace_; }
  core::OptionsPage& options() { return options_; }
  QTabWidget* pages() const { return pages_; }
  UserGuide* guide() const { return guide_; }
  DataEntryPage* data_entry_page() const { return data_entry_page_; }
  QTabWidget* data_entry_tabs() const;
  QTableView* data_view() const;
  SurveyTableModel* survey_model() const;
  OptionsPageWidget* options_widget() const { return options_widget_; }
  PlanningPageWidget* planning_widget() const { return planning_widget_; }
  ReportEditorWindow& report_editor();
  ResultPanelWidget* result_panel() const;
  ResultsPage* results_page() const { return results_page_; }
  TrainingPage* training_page() const { return training_page_; }
  DeathRatesPage* death_rates_page() const { return death_rates_page_; }
  FoodSecurityPage* food_security_page() const { return food_security_page_; }
  // The data entry of the open survey; null only without the Language or the WHO table.
  entry::DataEntryController* entry() const;
  // Replaces the dialogs (tests script the answers).
  void set_prompter(core::Prompter* prompter);
  // Replaces the starting of the office program (tests record the commands instead).
  void set_launcher(std::unique_ptr<platform::ProcessLauncher> launcher) {
    launcher_ = std::move(launcher);
  }
  // The document the window last handed to the office program.
  const std::optional<document::HandOffResult>& last_hand_off() const { return last_hand_off_; }
  // The plausibility check of the open survey (Extras menu and the Data Entry button).
  void run_plausibility_check();
  // The results report of the open survey, handed to the word processor (menu "Report in
  // Word" and the Results page's "Report Word" buttons).
  void write_results_report();
  // A graph of the results page in the graph window (survey_window_graphs.cpp), under the
  // options in force; the window is made on first use. The results page's controls call it.
  void show_graph(graphs::GraphIndex index, graphs::GraphType type);
  GraphWindow* graph_window() const { return graph_window_.get(); }
  // The growth chart of the child under the cursor, beside the result panel.
  GrowthChartWidget* growth_chart() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void build_menus();
  void build_pages();
  DataEntryPage* build_data_entry_page();
  anthro::RowEvaluationSettings evaluation_settings(const core::Workspace& workspace) const;
  // The Planning page's small-population correction as the results page, the results report
  // and the death rates read it: one reading, so that they print the same intervals.
  stats::PopulationCorrectionInputs population_correction_inputs() const;
  void evaluate_row(core::Workspace& workspace, int row) const;
  void evaluate_all();
  bool ask_to_save_changes();  // Language entry 848; false when the user's save failed
  void reload_all();           // the tables were replaced or reshaped
  void refresh_caption();
  void refresh_recent_files();
  void page_changed(int index);
  void restart_results_visit();
  void save_options();
  // The Reset command of the Options page: the options and every control that mirrors them.
  void reset_options();
  void apply_mode(const workspace::WindowMode& mode);
  std::string today_text() const;
  std::string text(int entry) const;
  void mark_changed();
  // Writes a document (or, with `table`, a spreadsheet table) and opens it in the office program.
  void hand_off(const document::DocumentBuffer& document, bool table);
  // The mortality plausibility report of the individual level, to the word processor.
  void run_mortality_check();
  // The reference switch of both pages: every row evaluated again under the chosen reference.
  void choose_reference(char code);
  // Both pages' reference buttons and the WHO notice in step with the settings.
  void show_reference();

  workspace::AppContext& app_;
  const workspace::StartUpInputs& inputs_;
  core::Workspace workspace_;
  core::OptionsPage options_;
  bool filter_active_ = false;
  bool first_activation_ = true;
  QtPrompter qt_prompter_;
  core::Prompter* prompter_;

  QTabWidget* pages_ = nullptr;
  DataEntryPage* data_entry_page_ = nullptr;
  OptionsPageWidget* options_widget_ = nullptr;
  PlanningPageWidget* planning_widget_ = nullptr;
  std::unique_ptr<platform::ProcessLauncher> launcher_;
  std::optional<document::HandOffResult> last_hand_off_;
  QMenu* files_menu_ = nullptr;
  QMenu* extras_menu_ = nullptr;
  QAction* save_action_ = nullptr;
  std::array<QAction*, 4> recent_actions_{};
  std::array<QWidget*, 7> page_widgets_{};
  int current_page_ = -1;
  std::unique_ptr<ReportEditorWindow> editor_;
  ResultsPage* results_page_ = nullptr;
  TrainingPage* training_page_ = nullptr;
  DeathRatesPage* death_rates_page_ = nullptr;
  FoodSecurityPage* food_security_page_ = nullptr;
  DataTools* data_tools_ = nullptr;  // Sort, Filter, export, merge, double-entry check
  std::unique_ptr<GraphWindow> graph_window_;
  UserGuide* guide_ = nullptr;  // Help menu and F1 in every window of the program
};

}  // namespace olvar::ui
