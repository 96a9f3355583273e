#pragma once
// The Data Entry Anthropometry page without its widgets: typing, the cursor's moves, the row and
// variable commands, pasting, the go-to buttons, the plausibility marks and the result panel.
// The window forwards each user action to one call and repaints what the returned EntryUpdate
// names; questions and messages go through the Prompter (and are listed in the update too).
//
// Editing one cell evaluates and checks that row only: a survey of thousands of children stays
// responsive while typing. The commands that move rows or columns recompute every mark.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "anthro/measurement.h"
#include "anthro/row_evaluation.h"
#include "anthro/who_reference.h"
#include "core/date_conventions.h"
#include "core/flag_parameters.h"
#include "core/language_table.h"
#include "core/prompter.h"
#include "core/workspace.h"
#include "entry/edit_history.h"
#include "entry/line_plausibility.h"
#include "entry/result_panel.h"
#include "entry/typed_character.h"

namespace olvar::entry {

struct CellPosition {
  int column = 1;
  int row = 1;
  friend bool operator==(const CellPosition&, const CellPosition&) = default;
};

// What a call changed, for the window to repaint.
struct EntryUpdate {
  CellPosition current;               // the cursor after the call
  std::vector<int> rows;              // rows whose cells or marks changed
  bool whole_table = false;           // rows moved, the shape or every mark changed
  bool columns_changed = false;       // columns were inserted or removed: headers too
  std::vector<std::string> messages;  // what was shown or asked through the Prompter, in order
};

// The process-wide things the page reads; they outlive the controller.
struct EntryEnvironment {
  const core::LanguageTable& text;
  const anthro::WhoReference& who;
  core::DateConventions conventions;
  int current_year = 0;
};

// Settings of the settings record the page reads; the window passes them again when they change.
struct EntrySettings {
  anthro::Reference reference = anthro::Reference::who2006;
  bool oedema_correction = false;  // automatic oedema weight correction
  core::FlagParameters flags;      // Epi Info 6 ranges colour the result panel
};

class DataEntryController {
 public:
  DataEntryController(core::Workspace& workspace, const EntryEnvironment& environment,
                      core::Prompter& prompter, EntrySettings settings = {});

  const CellPosition& current() const { return current_; }
  const CellMarks& marks() const { return marks_; }
  bool is_marked(int column, int row) const { return marks_.is_marked(column, row); }
  void set_settings(const EntrySettings& settings) { settings_ = settings; }
  const EntrySettings& settings() const { return settings_; }

  // A click into the grid (`sd_dayChange`): the cursor moves there and the panel is refreshed.
  EntryUpdate select_cell(CellPosition cell);

  // A key typed into the current cell (`PGKeyPress`): what goes into the cell. A failed check
  // shows its message; the character still goes in.
  TypedCharacter type_character(char key);
  // How the message of a failed check is shown: the enumerator types on from the paper form, so
  // the window shows it without taking the keys that follow. Without one, the prompter informs.
  void set_typing_warning(std::function<void(const std::string&)> warn) {
    typing_warning_ = std::move(warn);
  }

  // The cell's new text after a key or a finished edit: the row is evaluated and checked, the
  // survey marked changed. The current cell follows the edited one.
  EntryUpdate edit_cell(CellPosition cell, std::string_view text);

  // A pull-down editor opened or the Delete key released: the survey counts as changed.
  void mark_changed() { workspace_.changed = true; }
  // What typed keys and the pull-down editors depend on: the date and decimal conventions,
  // the extra columns shown and the oedema coding of the survey.
  TypingRules typing_rules() const;

  // Enter, Tab or the released right arrow: the cursor moves on with the skips, corrections
  // and new rows of the page.
  EntryUpdate enter();

  // The column the cursor passes over because the age is typed the other way: MONTHS when the
  // age comes from the date of birth, BIRTHDAT when it is typed in months.
  int skipped_column() const;
  // Why it is passed over, for the user who clicks into it.
  std::string skipped_column_reason() const;

  // The result panel of the current row; evaluates it and fills an empty MONTHS from the age.
  ResultPanel result_panel(EntryUpdate* update = nullptr);

  // `NewDataClick`: the first row with empty ID and SEX becomes current, auto-filled from the
  // row above as the options say.
  EntryUpdate new_row();
  // `InsertRowClick`: an empty row at the current row, the rows from there one lower.
  EntryUpdate insert_row();
  // `deletebClick`: removes rows `first` to `last` (a selection), or the current row, once the
  // user has confirmed it (the children's measurements go with the rows).
  EntryUpdate delete_rows(std::optional<std::pair<int, int>> selection = std::nullopt);
  // `AddVariableClick` and `DeleteVariableClick` at the current column.
  EntryUpdate add_variable();
  EntryUpdate delete_variable();
  // "<<", ">>" and "ID".
  EntryUpdate go_first();
  EntryUpdate go_last();
  EntryUpdate go_to_id();
  // `ApasteClick`: the clipboard text (lines of TAB-separated cells) at the current cell.
  EntryUpdate paste(std::string_view clipboard_text);

  // Delete or Backspace on a block of cells (two opposite corners): its cells emptied, their rows
  // evaluated again. The row numbers in column 0 are not the user's to clear.
  EntryUpdate clear_cells(CellPosition corner, CellPosition opposite_corner);
  // The block as a spreadsheet takes it: cells separated by TAB, each row ended by a line break.
  std::string copy_cells(CellPosition corner, CellPosition opposite_corner) const;

  // Every row evaluated again, then every mark: after an option save or a reference switch.
  EntryUpdate evaluate_all();
  // `Plausibility_TableClick`: every mark recomputed (after a file read, on return to the Data
  // View).
  EntryUpdate check_all();

  // Ctrl+Z and Ctrl+Y: the Survey table and the Variable View as they were before the last
  // change of cells, rows or variables (at least 100 steps), and that change again.
  EntryUpdate undo();
  EntryUpdate redo();
  bool can_undo() const { return history_.can_undo(); }
  bool can_redo() const { return history_.can_redo(); }

 private:
  anthro::RowEvaluationSettings evaluation_settings() const;
  PlausibilityRules plausibility_rules() const;
  anthro::AnthroResult evaluate_row(int row);
  void check_row(int row, EntryUpdate& update);
  void recheck_all(EntryUpdate& update);
  void tell(core::LanguageEntry entry, EntryUpdate& update);
  int next_visible_column(int column) const;
  int first_empty_column(int row) const;
  void trim_codes(int row);
  void start_new_row(EntryUpdate& update);
  // Every command ends here: the cursor goes into the update and a change becomes a step of the
  // edit history.
  EntryUpdate finish(EntryUpdate update);
  EntryUpdate after_history_step(bool moved);

  core::Workspace& workspace_;
  EntryEnvironment environment_;  // a copy: its tables are references that outlive the page
  core::Prompter& prompter_;
  EntrySettings settings_;
  CellPosition current_;
  CellMarks marks_;
  EditHistory history_;
  std::function<void(const std::string&)> typing_warning_;
};

// The SEX and EDEMA codes a pasted block may carry, as the program writes them: SEX "1", "M" or
// "male" -> "m", "2", "0", "F" or "female" -> "f"; with the y/n coding EDEMA "1" -> "y" and
// "0" -> "n". Returns whether a cell changed.
bool normalise_pasted_codes(core::SurveyTable& table, int row, bool oedema_yn);

}  // namespace olvar::entry
