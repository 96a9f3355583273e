#pragma once
// The survey window: the pages of one survey (Planning, Training, Data Entry Anthropometry,
// Results Anthropometry, Death Rates, Food Security, Options), the Files and Extras menus and the
// tool bar. It owns the Workspace and the Options page; every command reads the controls, calls
// the core and shows what comes back.

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
#include "platform/process_launcher.h"
#include "ui/qt_prompter.h"
#include "workspace/app_context.h"

class QAction;
class QMenu;
class QTabWidget;
class QTableView;
class QRadioButton;
class QPushButton;
class QLabel;

namespace olvar::entry {
class DataEntryController;
struct EntryUpdate;
struct CellPosition;
struct EntrySettings;
}  // namespace olvar::entry

namespace olvar::ui {

class OptionsPageWidget;
class PlanningPageWidget;
class ReportEditorWindow;
class ResultPanelWidget;
class SurveyTableModel;
class TextGridModel;
class DeathRatesPage;
class FoodSecurityPage;
class TrainingPage;

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
  // Files > "Import EPI Info File": a survey from an Epi Info, dBase or delimited file.
  void import_survey();
  void open_recent(int index);

  // What the window shows when it becomes active: headers, caption, reference, command line.
  void activate();

  core::Workspace& workspace() { return workspace_; }
  core::OptionsPage& options() { return options_; }
  QTabWidget* pages() const { return pages_; }
  QTabWidget* data_entry_tabs() const { return data_entry_tabs_; }
  QTableView* data_view() const { return data_view_; }
  SurveyTableModel* survey_model() const { return survey_model_; }
  OptionsPageWidget* options_widget() const { return options_widget_; }
  PlanningPageWidget* planning_widget() const { return planning_widget_; }
  ReportEditorWindow& report_editor();
  ResultPanelWidget* result_panel() const { return result_panel_; }
  TrainingPage* training_page() const { return training_page_; }
  DeathRatesPage* death_rates_page() const { return death_rates_page_; }
  FoodSecurityPage* food_security_page() const { return food_security_page_; }
  // The data entry of the open survey; null only without the Language or the WHO table.
  entry::DataEntryController* entry() const { return entry_.get(); }
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

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build_menus();
  void build_pages();
  QWidget* build_data_entry_page();
  QWidget* build_results_page();
  QWidget* build_entry_commands();
  // The data entry of the survey now in workspace_: a new controller, every mark computed.
  void reset_entry();
  entry::EntrySettings entry_settings() const;
  // Runs one command of the Data View and repaints what it changed.
  void run_entry(const std::function<entry::EntryUpdate(entry::DataEntryController&)>& command);
  void show_entry_update(const entry::EntryUpdate& update);
  void move_cursor_to(int column, int row);
  void refresh_result_panel();
  std::optional<std::pair<int, int>> selected_rows() const;
  QWidget* grid_page(core::TextGrid& grid, bool headings_in_row0);
  anthro::RowEvaluationSettings evaluation_settings(const core::Workspace& workspace) const;
  void evaluate_row(core::Workspace& workspace, int row) const;
  void evaluate_all();
  bool ask_to_save_changes();  // Language entry 848; false when the user's save failed
  void reload_all();           // the tables were replaced or reshaped
  void apply_hidden_columns();
  void refresh_caption();
  void refresh_recent_files();
  void page_changed(int index);
  void data_entry_tab_changed(int index);
  void save_options();
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
  // The Paste command of the Data Entry page (also Ctrl+V on the grid).
  void paste_clipboard();
  // The selected block of the grid as two corners in table cells; the current cell without one.
  std::pair<entry::CellPosition, entry::CellPosition> selected_block() const;

  workspace::AppContext& app_;
  const workspace::StartUpInputs& inputs_;
  core::Workspace workspace_;
  core::OptionsPage options_;
  bool filter_active_ = false;
  bool first_activation_ = true;
  QtPrompter qt_prompter_;
  core::Prompter* prompter_;

  QTabWidget* pages_ = nullptr;
  QTabWidget* data_entry_tabs_ = nullptr;
  QTableView* data_view_ = nullptr;
  QTableView* variable_view_ = nullptr;
  SurveyTableModel* survey_model_ = nullptr;
  TextGridModel* variables_model_ = nullptr;
  std::vector<TextGridModel*> grid_models_;
  OptionsPageWidget* options_widget_ = nullptr;
  PlanningPageWidget* planning_widget_ = nullptr;
  std::unique_ptr<platform::ProcessLauncher> launcher_;
  std::optional<document::HandOffResult> last_hand_off_;
  QRadioButton* who_button_ = nullptr;  // Results page
  QRadioButton* nchs_button_ = nullptr;
  QRadioButton* entry_who_button_ = nullptr;  // Data Entry page
  QRadioButton* entry_nchs_button_ = nullptr;
  QPushButton* disclaimer_button_ = nullptr;  // shown while WHO is selected
  QLabel* disclaimer_ = nullptr;
  QMenu* files_menu_ = nullptr;
  QMenu* extras_menu_ = nullptr;
  QAction* save_action_ = nullptr;
  std::array<QAction*, 4> recent_actions_{};
  std::array<QWidget*, 7> page_widgets_{};
  int current_page_ = -1;
  int current_data_tab_ = 0;
  std::unique_ptr<ReportEditorWindow> editor_;
  std::unique_ptr<entry::DataEntryController> entry_;
  ResultPanelWidget* result_panel_ = nullptr;
  TrainingPage* training_page_ = nullptr;
  DeathRatesPage* death_rates_page_ = nullptr;
  FoodSecurityPage* food_security_page_ = nullptr;
};

}  // namespace olvar::ui
