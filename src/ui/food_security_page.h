#pragma once
// The Food Security page: the household economy model. Four sub-pages: "Overview" (wealth
// groups, start month), "Household data for reference year", "Seasonal data for reference year"
// and "Data for years with shock" (the model's graph and its spreadsheet report), with the HEA
// file commands and the two windows of the household page (check of entered data, graph of the
// income sources). The tables and all computing live in foodsecurity/; this page shows them.

#include <QWidget>
#include <functional>
#include <optional>

#include "workspace/app_context.h"
#include "core/prompter.h"
#include "foodsecurity/hea_tables.h"
#include "foodsecurity/shock_model.h"
#include "platform/process_launcher.h"
#include "document/office_hand_off.h"
#include "ui/document_shelf.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QTableView;
class QTableWidget;
class QTabWidget;

namespace olvar::ui {

class DrawingWidget;
class FoodGridModel;

class FoodSecurityPage : public QWidget {
  Q_OBJECT

 public:
  explicit FoodSecurityPage(workspace::AppContext& app, QWidget* parent = nullptr);
  ~FoodSecurityPage() override;

  void set_prompter(core::Prompter* prompter) { prompter_ = prompter; }
  void set_editor(std::function<document::ReportEditorOpener&()> editor) {
    editor_ = std::move(editor);
  }
  void set_launcher(platform::ProcessLauncher* launcher);

  // The commands of the buttons.
  void reset_to_default();  // "Reset to default HEA"
  void open_hea();          // "Open HEA"
  bool save_hea();          // "Save HEA" / "Save data"; whether the tables were saved
  void insert_row();        // "Insert Row" at the household table's current row
  void delete_row();        // "Delete Row"
  QWidget* open_check_window();   // "Check of entered data"
  QWidget* open_income_graph();   // "Graph for sources of income"
  void copy_graph();        // "Clipboard" of the shock-year page
  void excel_report();      // "Excel Report"

  // Whether the tables were edited since they were read or saved.
  bool has_unsaved_changes() const { return saved_ && state_.tables != *saved_; }
  // Asks whether to save edited tables before they are left or replaced (Exit, Open HEA, Reset
  // to default): false when the user cancels or the save fails.
  bool settle_unsaved_changes();

  // Reads a HEA file into the tables; a broken file is reported and changes nothing.
  bool read_file(const std::filesystem::path& path);
  // Shows the table sub-pages again after the tables changed.
  void reload();

  foodsecurity::FoodSecurity& state() { return state_; }
  QTabWidget* sub_pages() const { return sub_pages_; }
  QTableView* household_view() const { return household_view_; }
  QListWidget* group_list() const { return group_list_; }
  QCheckBox* asset_sale() const { return asset_sale_; }
  DrawingWidget* graph() const { return graph_; }
  const foodsecurity::ModelResults& results() const { return results_; }
  const std::optional<document::HandOffResult>& last_hand_off() const { return last_hand_off_; }
  DocumentShelf shelf;  // set by the window

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void sub_page_opened(int index);
  void open_shock_page();
  void run_model();
  void inform(std::string_view message);
  std::filesystem::path default_file() const;
  void load_wealth_groups();

  workspace::AppContext& app_;
  core::Prompter* prompter_ = nullptr;
  std::function<document::ReportEditorOpener&()> editor_;
  platform::SpawnProcessLauncher spawn_launcher_;
  platform::ProcessLauncher* launcher_ = &spawn_launcher_;
  std::optional<document::HandOffResult> last_hand_off_;

  foodsecurity::FoodSecurity state_;
  std::optional<foodsecurity::HeaTables> saved_;  // the tables as last read or saved
  foodsecurity::ModelResults results_;
  bool filling_ = false;  // the widgets are being filled from the tables, not edited

  QTabWidget* sub_pages_ = nullptr;
  QTableWidget* wealth_groups_ = nullptr;
  QComboBox* start_month_ = nullptr;
  QTableView* household_view_ = nullptr;
  QTableView* seasonal_view_ = nullptr;
  QTableView* shock_view_ = nullptr;
  FoodGridModel* household_model_ = nullptr;
  FoodGridModel* seasonal_model_ = nullptr;
  FoodGridModel* shock_model_ = nullptr;
  QListWidget* group_list_ = nullptr;
  QCheckBox* asset_sale_ = nullptr;
  DrawingWidget* graph_ = nullptr;
};

}  // namespace olvar::ui
