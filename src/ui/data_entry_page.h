#pragma once
// The Data Entry Anthropometry page: the Data View (the survey grid with the result panel beside
// it), the Variable View, the command bar (rows, variables, moves, paste, plausibility report,
// reference buttons and the WHO disclaimer). It owns the data entry controller of the open survey
// and shows what each of its commands changed; the survey window composes it and gives it what
// lies beyond the page (the caption, the reference switch of both pages, the report).

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "anthro/row_evaluation.h"
#include "core/options_page.h"
#include "core/prompter.h"
#include "core/workspace.h"
#include "workspace/app_context.h"

class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableView;
class QToolBar;

namespace olvar::entry {
class DataEntryController;
struct EntryUpdate;
struct CellPosition;
struct EntrySettings;
}  // namespace olvar::entry

namespace olvar::ui {

class GrowthChartWidget;
class ResultPanelWidget;
class SurveyTableModel;
class TextGridModel;

class DataEntryPage : public QWidget {
  Q_OBJECT

 public:
  // What the page asks of the window around it.
  struct Services {
    // The survey's changed mark or size changed: the window caption follows.
    std::function<void()> refresh_caption;
    // Evaluates one row again (a cell written while there is no controller).
    std::function<void(core::Workspace&, int row)> evaluate_row;
    // The "Plausibility report" button.
    std::function<void()> plausibility_report;
    // The WHO and NCHS buttons: the reference of both pages changes.
    std::function<void(char reference)> choose_reference;
    // Commands of other tools shown in the page's command bar (Sort, Filter, export).
    std::function<void(QToolBar*)> add_tool_buttons;
    // How rows are evaluated now (the growth chart draws the child under the cursor with it).
    std::function<anthro::RowEvaluationSettings()> evaluation_settings;
  };

  // Reads the settings' reference and the options when it builds a controller; `prompter`
  // asks the controller's questions.
  DataEntryPage(core::Workspace& workspace, workspace::AppContext& app,
                const core::OptionsPage& options, core::Prompter* prompter, Services services,
                QWidget* parent = nullptr);
  ~DataEntryPage() override;

  // The controller asks through the prompter it was given: a new one is built.
  void set_prompter(core::Prompter* prompter);
  // The data entry of the survey now in the Workspace: a new controller, every mark computed.
  void reset_entry();
  // The settings of data entry (reference, oedema correction, flags) were changed elsewhere.
  void apply_settings();
  // Runs one command of the Data View and repaints what it changed.
  void run(const std::function<entry::EntryUpdate(entry::DataEntryController&)>& command);
  // The page is shown: the hidden columns and every row's marks as they stand now.
  void entered();
  // Every mark computed again and the grid shown again (options saved, dates converted).
  void check_all();
  // Shows the tables again (a survey was read, saved or reshaped).
  void reload();
  // Shows the survey grid again after the core changed its cells.
  void reload_survey();
  void apply_hidden_columns();
  // The headings of the survey grid were written again.
  void refresh_headings();
  // The page's reference buttons and the WHO notice.
  void show_reference(bool who);
  // A new survey: its first row, with nothing of the previous child in the panel.
  void go_to_first_row();

  // The data entry of the open survey; null only when no controller could be built.
  entry::DataEntryController* entry() const { return entry_.get(); }
  QTabWidget* tabs() const { return tabs_; }
  QTableView* data_view() const { return data_view_; }
  SurveyTableModel* survey_model() const { return survey_model_; }
  ResultPanelWidget* result_panel() const { return result_panel_; }
  GrowthChartWidget* growth_chart() const { return growth_chart_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* build_commands();
  entry::EntrySettings entry_settings() const;
  void show_entry_update(const entry::EntryUpdate& update);
  void move_cursor_to(int column, int row);
  // Says why the cursor's column is passed over while typing, when it is the skipped one.
  void show_skip_note(int column);
  void refresh_result_panel();
  void mark_changed();
  void tab_changed(int index);
  // The Paste command of the page (also Ctrl+V on the grid).
  void paste_clipboard();
  // The rows of a selection of more than one row; none means the current row.
  std::optional<std::pair<int, int>> selected_rows() const;
  // The selected block of the grid as two corners in table cells; the current cell without one.
  std::pair<entry::CellPosition, entry::CellPosition> selected_block() const;
  std::string text(int entry) const;

  core::Workspace& workspace_;
  workspace::AppContext& app_;
  const core::OptionsPage& options_;
  core::Prompter* prompter_;
  Services services_;
  std::unique_ptr<entry::DataEntryController> entry_;
  int current_tab_ = 0;

  QTabWidget* tabs_ = nullptr;
  QTableView* data_view_ = nullptr;
  QTableView* variable_view_ = nullptr;
  SurveyTableModel* survey_model_ = nullptr;
  TextGridModel* variables_model_ = nullptr;
  ResultPanelWidget* result_panel_ = nullptr;
  GrowthChartWidget* growth_chart_ = nullptr;  // under the result panel
  QRadioButton* who_button_ = nullptr;
  QRadioButton* nchs_button_ = nullptr;
  QPushButton* disclaimer_button_ = nullptr;  // shown while WHO is selected
  QLabel* disclaimer_ = nullptr;
  QLabel* skip_note_ = nullptr;  // under the grid, while the cursor is in the skipped column
};

}  // namespace olvar::ui
