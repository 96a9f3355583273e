#pragma once
// The two data-entry sub-pages of the Death Rates page.
//
// Individual level: the entry form of one household (date, cluster, team, household number, the
// person grid of 20 persons and the additional variables) over the individual table, the cause
// and location labels, and the commands insert and delete row, take over household and cluster
// numbers, paste, transfer to the spreadsheet, add and delete variable, the plausibility report
// and save. Every change of the form is written back into the table's current row; every key
// typed into the person grid is checked (warnings only). Household level: the household table
// with the same row commands, take-over, paste, transfer and save.
//
// The logic is mortality/mortality_entry.h; these classes bind widgets to it.

#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "core/date_conventions.h"
#include "core/language_table.h"
#include "core/prompter.h"
#include "core/workspace.h"
#include "mortality/mortality_entry.h"

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTableView;

namespace olvar::ui {

class MortalityTableModel;
class PersonGridModel;
class AdditionalVariablesModel;

// What both entry pages need from the window around them.
struct MortalityEntryServices {
  core::Workspace* workspace = nullptr;
  const core::LanguageTable* text = nullptr;
  core::DateConventions dates;
  int current_year = 2026;
  int today = 0;  // day number the date picker starts with
  std::function<core::Prompter*()> prompter;
  std::function<void(std::string)> hand_to_spreadsheet;
  std::function<void()> changed;             // the survey was changed
  std::function<void()> save;                // the survey save
  std::function<void()> plausibility_report;  // the mortality plausibility report
  std::function<std::string()> clipboard_text;
};

class IndividualEntryPage : public QWidget {
  Q_OBJECT

 public:
  explicit IndividualEntryPage(MortalityEntryServices services, QWidget* parent = nullptr);

  // The table was replaced (file read, new survey, import): models and form anew.
  void reload();
  // Loads the form from the current row (when the Death Rates page is shown).
  void load_form();
  void set_current_row(int row);
  int current_row() const { return current_row_; }
  const mortality::HouseholdForm& form() const { return form_; }

  // The commands of the page's buttons.
  void insert_row();
  void delete_row();
  void take_over();
  void paste();
  void transfer();
  void add_variable();
  void delete_variable();
  // The command-line mode's limits: the take-over button hidden, saving disabled.
  void apply_mode(bool takeover_button, bool save_enabled);

  QTableView* person_grid() const { return persons_view_; }
  QTableView* table_view() const { return table_view_; }
  QTableView* additional_grid() const { return additional_view_; }
  QDateEdit* date_picker() const { return date_; }
  QComboBox* cluster_box() const { return cluster_; }
  QLineEdit* household_field() const { return hh_; }
  QPushButton* take_over_button() const { return take_over_; }
  QPushButton* save_button() const { return save_; }
  QPushButton* plausibility_button() const { return plausibility_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::string text(int entry) const;
  core::Prompter* prompter() const { return services_.prompter ? services_.prompter() : nullptr; }
  core::TextGrid& table() { return services_.workspace->mortality_individuals; }
  // Writes the form into the current row (`write form back`).
  void write_back();
  void form_control_changed();
  void table_changed(bool reshaped);
  // A key typed into the person grid outside an editor: checked, then put into the cell.
  bool person_key(int key, const QString& typed);
  void load_labels();

  MortalityEntryServices services_;
  mortality::HouseholdForm form_;
  int current_row_ = 1;
  bool loading_ = false;
  // The cell the user is typing into: the first key replaces its text, the next ones add.
  int typing_row_ = -1;
  int typing_column_ = -1;

  QDateEdit* date_ = nullptr;
  QComboBox* cluster_ = nullptr;
  QComboBox* team_ = nullptr;
  QLineEdit* hh_ = nullptr;
  QLineEdit* rd_i_ = nullptr;
  std::array<QLineEdit*, 7> cde_{};
  std::array<QLineEdit*, 4> lde_{};
  PersonGridModel* persons_model_ = nullptr;
  QTableView* persons_view_ = nullptr;
  AdditionalVariablesModel* additional_model_ = nullptr;
  QTableView* additional_view_ = nullptr;
  MortalityTableModel* table_model_ = nullptr;
  QTableView* table_view_ = nullptr;
  QPushButton* take_over_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* plausibility_ = nullptr;
};

class HouseholdEntryPage : public QWidget {
  Q_OBJECT

 public:
  explicit HouseholdEntryPage(MortalityEntryServices services, QWidget* parent = nullptr);

  void reload();
  void insert_row();
  void delete_row();
  void take_over();
  void paste();
  void transfer();
  void apply_mode(bool takeover_button, bool save_enabled);

  QTableView* table_view() const { return table_view_; }
  QPushButton* take_over_button() const { return take_over_; }
  QPushButton* save_button() const { return save_; }

 private:
  std::string text(int entry) const;
  core::Prompter* prompter() const { return services_.prompter ? services_.prompter() : nullptr; }
  core::TextGrid& table() { return services_.workspace->mortality_households; }
  int current_row() const;  // table row of the current cell, 2 when none
  void table_changed();

  MortalityEntryServices services_;
  QLineEdit* rd_hh_ = nullptr;
  MortalityTableModel* table_model_ = nullptr;
  QTableView* table_view_ = nullptr;
  QPushButton* take_over_ = nullptr;
  QPushButton* save_ = nullptr;
};

// Headings of the two data tables from the Language table (household: two heading rows).
core::TextGrid household_table_headings(const core::LanguageTable& text);
core::TextGrid individual_table_headings();

}  // namespace olvar::ui
