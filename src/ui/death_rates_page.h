#pragma once
// The Death Rates page: the individual and household data tables and their two result
// sub-pages (rates with intervals and design effects, tables by cluster and age group, causes
// and locations of death), and the transfer of the individual results to the spreadsheet. The
// numbers come from mortality/; this page shows them.

#include <QWidget>
#include <functional>
#include <optional>

#include "workspace/app_context.h"
#include "workspace/command_line_mode.h"
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
class IndividualEntryPage;
class HouseholdEntryPage;

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
  std::function<void()> on_save;                // the survey save (both data sub-pages)
  std::function<void()> on_plausibility_report;  // the mortality plausibility report
  std::function<void()> on_import_roster;        // "Import household roster..."
  // The Planning page's small-population correction inputs the intervals honour.
  std::function<stats::PopulationCorrectionInputs()> population_correction;

  // The command-line mode's limits: the take-over buttons hidden, the save buttons disabled.
  void apply_mode(const workspace::WindowMode& mode);

  // Writes missing headings and shows the tables again (a survey was read or a new one started).
  void reload();
  // Rebuilds the results of both levels from the tables (the result sub-pages run it when shown).
  void compute_results();
  // Household rates from the household results table as it stands (after a typed cluster total);
  // returns the state of the small-population correction.
  stats::PopulationCorrection compute_household_rates();
  void transfer_to_spreadsheet();  // "Transfer tables to Excel"
  // "Pop. pyramid": switches to the five-year groups and opens a new pyramid window.
  PyramidWindow* open_pyramid();

  QTabWidget* sub_pages() const { return sub_pages_; }
  IndividualEntryPage* individual_entry() const { return individual_entry_; }
  HouseholdEntryPage* household_entry() const { return household_entry_; }
  const std::optional<mortality::IndividualResults>& individual() const { return individual_; }
  QString crude_text() const;
  const std::optional<document::HandOffResult>& last_hand_off() const { return last_hand_off_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Language entries of the page's own texts.
  static constexpr int kClusterEntry = 846;
  static constexpr int kPopulationEntry = 1087;
  static constexpr int kAllEntry = 1047;
  static constexpr int kJoinedEntry = 1088;
  static constexpr int kLeftEntry = 1089;
  static constexpr int kBirthsEntry = 1062;
  static constexpr int kMalesEntry = 99;
  static constexpr int kFemalesEntry = 100;
  static constexpr int kDeathsEntry = 1063;
  static constexpr int kCorrectionUnreadableEntry = 1465;

  mortality::AgeGrouping grouping() const;
  core::TextGrid labels() const;
  std::string text(int entry) const;
  core::TextGrid household_results_headings() const;
  stats::PopulationCorrectionInputs correction_inputs() const;
  void tell_population_correction(stats::PopulationCorrection state);
  void hand_to_spreadsheet(std::string table);

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
  IndividualEntryPage* individual_entry_ = nullptr;
  HouseholdEntryPage* household_entry_ = nullptr;
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
