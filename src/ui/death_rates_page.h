#pragma once
// The Death Rates page: the individual and household data tables and their two result
// sub-pages (rates with intervals and design effects, tables by cluster and age group, causes
// and locations of death), and the transfer of the individual results to the spreadsheet. The
// numbers come from mortality/; this page shows them.

#include <QWidget>
#include <functional>
#include <optional>

#include "workspace/app_context.h"
#include "core/prompter.h"
#include "core/text_grid.h"
#include "core/workspace.h"
#include "mortality/death_rates.h"
#include "platform/process_launcher.h"
#include "document/office_hand_off.h"

class QLabel;
class QRadioButton;
class QTabWidget;
class QTableView;

namespace olvar::ui {

class PyramidWindow;
class TextGridModel;
class MortalityTableModel;

class DeathRatesPage : public QWidget {
  Q_OBJECT

 public:
  DeathRatesPage(core::Workspace& workspace, workspace::AppContext& app, QWidget* parent = nullptr);

  void set_prompter(core::Prompter* prompter) { prompter_ = prompter; }
  void set_editor(std::function<document::ReportEditorOpener&()> editor) {
    editor_ = std::move(editor);
  }
  void set_launcher(platform::ProcessLauncher* launcher) { launcher_ = launcher; }
  std::function<void()> on_changed;

  // Writes missing headings and shows the tables again (a survey was read or a new one started).
  void reload();
  // Rebuilds the results of both levels from the tables (the result sub-pages run it when shown).
  void compute_results();
  // Household rates from the household results table as it stands (after a typed cluster total).
  void compute_household_rates();
  void transfer_to_spreadsheet();  // "Transfer tables to Excel"
  // "Pop. pyramid": switches to the five-year groups and opens a new pyramid window.
  PyramidWindow* open_pyramid();

  QTabWidget* sub_pages() const { return sub_pages_; }
  const std::optional<mortality::IndividualResults>& individual() const { return individual_; }
  QString crude_text() const;
  const std::optional<document::HandOffResult>& last_hand_off() const { return last_hand_off_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  mortality::AgeGrouping grouping() const;
  core::TextGrid labels() const;

  core::Workspace& workspace_;
  workspace::AppContext& app_;
  core::Prompter* prompter_ = nullptr;
  std::function<document::ReportEditorOpener&()> editor_;
  platform::SpawnProcessLauncher spawn_launcher_;
  platform::ProcessLauncher* launcher_ = &spawn_launcher_;
  std::optional<document::HandOffResult> last_hand_off_;
  std::optional<mortality::IndividualResults> individual_;
  int recall_days_ = 0;

  // Result grids shown by the views (rebuilt by compute_results).
  core::TextGrid household_results_;
  core::TextGrid rates_, causes_, age_groups_, clusters_;

  QTabWidget* sub_pages_ = nullptr;
  MortalityTableModel* individual_model_ = nullptr;
  MortalityTableModel* household_model_ = nullptr;
  MortalityTableModel* household_results_model_ = nullptr;
  TextGridModel* rates_model_ = nullptr;
  TextGridModel* causes_model_ = nullptr;
  TextGridModel* age_groups_model_ = nullptr;
  TextGridModel* clusters_model_ = nullptr;
  QRadioButton* flexible_ = nullptr;
  QRadioButton* five_ = nullptr;
  QRadioButton* ten_ = nullptr;
  QLabel* household_rates_label_ = nullptr;
  QLabel* individual_message_ = nullptr;
};

}  // namespace olvar::ui
