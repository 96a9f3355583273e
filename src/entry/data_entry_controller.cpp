#include "entry/data_entry_controller.h"

#include <algorithm>
#include <cctype>

#include "anthro/corrections.h"
#include "anthro/row_age.h"
#include "core/cell_text.h"
#include "core/hidden_columns.h"
#include "core/options_page.h"
#include "core/standard_variables.h"
#include "core/text_conversions.h"
#include "core/variable_columns.h"

namespace olvar::entry {
namespace {

using core::column;
using core::LanguageEntry;
using core::StdVar;

constexpr LanguageEntry kOedemaCorrectionQuestion{1075};
constexpr LanguageEntry kNotAUserColumnToAdd{878};
constexpr LanguageEntry kNewVariableName{877};
constexpr LanguageEntry kConfirmDeleteVariable{879};
constexpr LanguageEntry kNotAUserColumnToDelete{880};
constexpr LanguageEntry kIdNotFound{852};
constexpr LanguageEntry kConfirmPaste{933};
constexpr LanguageEntry kTextMadeHoldable{1471};

// The go-to-ID prompt is a literal of the page, not a Language entry.
constexpr std::string_view kAskId = "Please enter the ID";

// Passes every question and message on and lists it in the update, so the window knows what
// the user has already seen.
class RecordingPrompter : public core::Prompter {
 public:
  RecordingPrompter(core::Prompter& inner, std::vector<std::string>& log)
      : inner_(inner), log_(log) {}
  void inform(std::string_view message) override {
    log_.emplace_back(message);
    inner_.inform(message);
  }
  bool ask_yes_no(std::string_view question) override {
    log_.emplace_back(question);
    return inner_.ask_yes_no(question);
  }
  std::optional<std::string> ask_text(std::string_view question,
                                      std::string_view suggestion) override {
    log_.emplace_back(question);
    return inner_.ask_text(question, suggestion);
  }
  std::optional<std::string> choose_file(std::string_view caption, std::string_view filter,
                                         bool for_saving) override {
    log_.emplace_back(caption);
    return inner_.choose_file(caption, filter, for_saving);
  }

 private:
  core::Prompter& inner_;
  std::vector<std::string>& log_;
};

std::string lower_case(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool set_if_different(core::SurveyTable& table, StdVar variable, int row, std::string_view text) {
  if (table.cell(variable, row) == text) return false;
  table.set_cell(variable, row, text);
  return true;
}

void add_row(EntryUpdate& update, int row) {
  if (std::find(update.rows.begin(), update.rows.end(), row) == update.rows.end()) {
    update.rows.push_back(row);
  }
}

}  // namespace

bool normalise_pasted_codes(core::SurveyTable& table, int row, bool oedema_yn) {
  bool changed = false;
  const std::string sex = lower_case(core::trim_spaces(table.cell(StdVar::sex, row)));
  if (sex == "1" || sex == "m" || sex == "male") {
    changed |= set_if_different(table, StdVar::sex, row, "m");
  } else if (sex == "2" || sex == "0" || sex == "f" || sex == "female") {
    changed |= set_if_different(table, StdVar::sex, row, "f");
  }
  // Under the graded coding "1" is grade 1 and "0" no oedema: they stay as pasted.
  if (oedema_yn) {
    const std::string_view edema = core::trim_spaces(table.cell(StdVar::edema, row));
    if (edema == "1") changed |= set_if_different(table, StdVar::edema, row, "y");
    if (edema == "0") changed |= set_if_different(table, StdVar::edema, row, "n");
  }
  return changed;
}

DataEntryController::DataEntryController(core::Workspace& workspace,
                                         const EntryEnvironment& environment,
                                         core::Prompter& prompter, EntrySettings settings)
    : workspace_(workspace),
      environment_(environment),
      prompter_(prompter),
      settings_(std::move(settings)) {
  Plausibility_TableClick(workspace_, plausibility_rules(), marks_);
  history_.reset(workspace_);
}

anthro::RowEvaluationSettings DataEntryController::evaluation_settings() const {
  anthro::RowEvaluationSettings s;
  s.reference = settings_.reference;
  s.extra_columns_shown = workspace_.extra_columns_shown;
  s.clothes_weight_g = workspace_.options.Edit26;
  s.conventions = environment_.conventions;
  s.current_year = environment_.current_year;
  return s;
}

PlausibilityRules DataEntryController::plausibility_rules() const {
  return {environment_.conventions, environment_.current_year};
}

TypingRules DataEntryController::typing_rules() const {
  return {environment_.conventions, workspace_.extra_columns_shown, workspace_.options.oedema_yn};
}

anthro::AnthroResult DataEntryController::evaluate_row(int row) {
  return anthro::Anthropometrie_Line(workspace_.survey, row, evaluation_settings(),
                                     environment_.who);
}

void DataEntryController::check_row(int row, EntryUpdate& update) {
  marks_.set_row(row, LinePlausibility(workspace_, row, plausibility_rules()));
  add_row(update, row);
}

void DataEntryController::recheck_all(EntryUpdate& update) {
  Plausibility_TableClick(workspace_, plausibility_rules(), marks_);
  update.whole_table = true;
}

void DataEntryController::tell(LanguageEntry entry, EntryUpdate& update) {
  RecordingPrompter(prompter_, update.messages).inform(environment_.text.text(entry));
}

EntryUpdate DataEntryController::finish(EntryUpdate update) {
  history_.note(workspace_);
  update.current = current_;
  return update;
}

int DataEntryController::next_visible_column(int col) const {
  ++col;
  while (core::is_column_hidden(workspace_, col)) ++col;
  return col;
}

int DataEntryController::first_empty_column(int row) const {
  const core::SurveyTable& table = workspace_.survey;
  for (int k = 1; k <= table.last_named_column(); ++k) {
    if (core::is_column_hidden(workspace_, k)) continue;
    if (k >= column(StdVar::waz) && k <= column(StdVar::whz)) continue;  // written by evaluation
    if (table.cell(k, row).empty()) return k;
  }
  return 1;
}

void DataEntryController::trim_codes(int row) {
  core::SurveyTable& table = workspace_.survey;
  std::vector<StdVar> codes = {StdVar::sex, StdVar::edema};
  if (workspace_.extra_columns_shown) {
    codes.push_back(StdVar::measure);
    codes.push_back(StdVar::clothes);
  }
  for (const StdVar variable : codes) {
    const std::string trimmed(core::trim_spaces(table.cell(variable, row)));
    set_if_different(table, variable, row, trimmed);
  }
}

EntryUpdate DataEntryController::select_cell(CellPosition cell) {
  const core::SurveyTable& table = workspace_.survey;
  current_.column = std::clamp(cell.column, 1, std::max(1, table.column_count() - 1));
  current_.row = std::clamp(cell.row, 1, std::max(1, table.row_count() - 1));
  EntryUpdate update;
  result_panel(&update);
  return finish(std::move(update));
}

TypedCharacter DataEntryController::type_character(char key) {
  TypedCharacter typed = check_typed_character(current_.column, key, typing_rules());
  if (!typed.warning) return typed;
  const std::string& message = environment_.text.text(*typed.warning);
  if (typing_warning_) {
    typing_warning_(message);
  } else {
    prompter_.inform(message);
  }
  return typed;
}

EntryUpdate DataEntryController::edit_cell(CellPosition cell, std::string_view text) {
  EntryUpdate update;
  core::SurveyTable& table = workspace_.survey;
  // Row 0 holds the names (edited in the Variable View), column 0 the row numbers.
  if (cell.row < 1 || cell.column < 1 || !table.contains(cell.column, cell.row)) {
    return finish(std::move(update));
  }
  current_ = cell;
  // A line break, a TAB or a leading 0xA5 would split the survey file on the next save.
  if (core::file_can_hold(text)) {
    table.set_cell(cell.column, cell.row, text);
  } else {
    table.set_cell(cell.column, cell.row, core::holdable_text(text));
    tell(kTextMadeHoldable, update);
  }
  workspace_.changed = true;
  evaluate_row(cell.row);
  check_row(cell.row, update);
  return finish(std::move(update));
}

ResultPanel DataEntryController::result_panel(EntryUpdate* update) {
  core::SurveyTable& table = workspace_.survey;
  const int row = current_.row;
  const anthro::AnthroResult result = evaluate_row(row);
  const double age =
      anthro::age_of_row(table, row, environment_.conventions, environment_.current_year);
  if (age > 0) anthro::fill_months_from_age(table, row, age, environment_.conventions);
  EntryUpdate ignored;
  check_row(row, update ? *update : ignored);
  return make_result_panel(result, age, settings_.reference, settings_.flags,
                           environment_.conventions.decimal_separator);
}

int DataEntryController::skipped_column() const {
  return column(workspace_.options.age_by_months ? StdVar::birthdat : StdVar::months);
}

std::string DataEntryController::skipped_column_reason() const {
  if (workspace_.options.age_by_months) {
    return "BIRTHDAT is skipped while typing: the age is entered in months (Options page, age "
           "entry). A date of birth typed here still gives the age.";
  }
  return "MONTHS is skipped while typing: the age comes from the date of birth (Options page, "
         "age entry). Without a date of birth, an age typed here in months is used.";
}

EntryUpdate DataEntryController::enter() {
  EntryUpdate update;
  core::SurveyTable& table = workspace_.survey;
  const int left_row = current_.row;
  int row = left_row;
  int col = next_visible_column(current_.column);
  const char separator = environment_.conventions.decimal_separator;

  // The age is typed one way or the other; the cursor passes over the column not used.
  if (workspace_.options.age_by_months && col == column(StdVar::birthdat)) {
    col = column(StdVar::months);
  } else if (!workspace_.options.age_by_months && col == column(StdVar::months)) {
    col = column(StdVar::weight);
  }

  if (col == column(StdVar::edema)) {  // HEIGHT was just left
    if (anthro::HeightCorrection(table, row, separator)) evaluate_row(row);
  } else if (col == column(StdVar::muac)) {  // EDEMA was just left
    RecordingPrompter asking(prompter_, update.messages);
    if (anthro::EdemaCorrection(table, row, settings_.oedema_correction,
                                environment_.text.text(kOedemaCorrectionQuestion), asking,
                                separator)) {
      evaluate_row(row);
    }
  } else if (col == column(StdVar::waz)) {  // the z-scores are written, never typed
    col = next_visible_column(column(StdVar::whz));
  }

  if (col > table.last_named_column() || col >= table.column_count()) {
    if (!table.cell(StdVar::survdate, row + 1).empty()) {
      ++row;
      col = 1;
    } else {
      start_new_row(update);
      row = current_.row;
      col = 1;
    }
  }

  if (col == 1) {
    if (table.ensure_spare_rows()) update.whole_table = true;
    table.renumber_rows();
    if (table.cell(StdVar::survdate, row + 1).empty()) col = first_empty_column(row);
  }
  current_ = {col, row};

  trim_codes(left_row);
  check_row(left_row, update);
  if (row != left_row) check_row(row, update);
  return finish(std::move(update));
}

void DataEntryController::start_new_row(EntryUpdate& update) {
  core::SurveyTable& table = workspace_.survey;
  int target = 1;
  while (target < table.row_count() &&
         !(table.cell(StdVar::id, target).empty() && table.cell(StdVar::sex, target).empty())) {
    ++target;
  }
  if (table.row_count() < core::kMaxRows) {
    table.resize(table.column_count(), table.row_count() + 1);
    update.whole_table = true;
  }
  target = std::min(target, table.row_count() - 1);
  table.renumber_rows();

  if (target > 1) {
    const core::OptionsPage& options = workspace_.options;
    const int above = target - 1;
    // Only empty cells are filled: a value already typed in the new row is never replaced.
    const auto fill = [&](StdVar variable, bool on, bool count_up) {
      if (!on || !table.cell(variable, target).empty()) return;
      const std::string_view previous = table.cell(variable, above);
      if (previous.empty()) return;
      if (!count_up) {
        table.set_cell(variable, target, previous);
        return;
      }
      // A number that is not whole cannot be counted on; the cell stays for the user to type.
      if (const std::optional<int> n = core::parse_whole_number(previous)) {
        table.set_cell(variable, target, std::to_string(static_cast<long long>(*n) + 1));
      }
    };
    fill(StdVar::id, options.autofill_id, true);
    fill(StdVar::hh, options.autofill_hh, true);
    fill(StdVar::cluster, options.autofill_cluster, false);
    fill(StdVar::team, options.autofill_team, false);
    fill(StdVar::survdate, options.autofill_survdate, false);
  }
  current_ = {1, target};
  workspace_.changed = true;
  check_row(target, update);
}

EntryUpdate DataEntryController::new_row() {
  EntryUpdate update;
  start_new_row(update);
  return finish(std::move(update));
}

EntryUpdate DataEntryController::insert_row() {
  EntryUpdate update;
  core::SurveyTable& table = workspace_.survey;
  const int at = current_.row;
  if (at < 1 || at >= table.row_count()) return finish(std::move(update));
  if (table.row_count() >= core::kMaxRows) {
    // A full table gives up its last row only when it is empty: no child is pushed out.
    if (!table.row_is_empty(table.row_count() - 1)) return finish(std::move(update));
    table.erase_rows(table.row_count() - 1, 1);
  }
  table.insert_rows(at, 1);
  table.renumber_rows();
  workspace_.changed = true;
  recheck_all(update);
  return finish(std::move(update));
}

EntryUpdate DataEntryController::delete_rows(std::optional<std::pair<int, int>> selection) {
  EntryUpdate update;
  core::SurveyTable& table = workspace_.survey;
  int first = current_.row;
  int last = current_.row;
  if (selection) {
    first = std::min(selection->first, selection->second);
    last = std::max(selection->first, selection->second);
  }
  first = std::max(first, 1);
  last = std::min(last, table.row_count() - 1);
  if (first > last) return finish(std::move(update));
  {
    RecordingPrompter asking(prompter_, update.messages);
    const std::string question =
        first == last ? "Delete row " + std::to_string(first) + " with all its values?"
                      : "Delete rows " + std::to_string(first) + " to " + std::to_string(last) +
                            " with all their values?";
    if (!asking.ask_yes_no(question)) return finish(std::move(update));
  }
  const int rows = table.row_count();
  table.erase_rows(first, last - first + 1);
  table.resize(table.column_count(), rows);  // the table keeps its length: empty rows at the end
  table.renumber_rows();
  current_.row = std::min(current_.row, table.row_count() - 1);
  workspace_.changed = true;
  recheck_all(update);
  return finish(std::move(update));
}

EntryUpdate DataEntryController::add_variable() {
  EntryUpdate update;
  if (current_.column < core::kFirstUserColumn) {
    tell(kNotAUserColumnToAdd, update);
    return finish(std::move(update));
  }
  RecordingPrompter asking(prompter_, update.messages);
  const std::optional<std::string> name =
      asking.ask_text(environment_.text.text(kNewVariableName), "");
  if (!name) return finish(std::move(update));
  if (core::add_variable(workspace_, current_.column, *name) == core::AddVariableOutcome::added) {
    update.columns_changed = true;
    recheck_all(update);
  }
  return finish(std::move(update));
}

EntryUpdate DataEntryController::delete_variable() {
  EntryUpdate update;
  const core::SurveyTable& table = workspace_.survey;
  const int col = current_.column;
  if (col < core::kFirstUserColumn || col >= table.column_count() || table.cell(col, 0).empty()) {
    tell(kNotAUserColumnToDelete, update);
    return finish(std::move(update));
  }
  RecordingPrompter asking(prompter_, update.messages);
  const std::string question =
      std::string(table.cell(col, 0)) + " " + environment_.text.text(kConfirmDeleteVariable);
  if (!asking.ask_yes_no(question)) return finish(std::move(update));
  if (core::delete_variable(workspace_, col)) {
    update.columns_changed = true;
    recheck_all(update);
  }
  return finish(std::move(update));
}

EntryUpdate DataEntryController::go_first() {
  current_.row = 1;
  return finish({});
}

EntryUpdate DataEntryController::go_last() {
  const core::SurveyTable& table = workspace_.survey;
  int row = 1;
  while (row < table.row_count() &&
         !(table.cell(StdVar::survdate, row).empty() && table.cell(StdVar::cluster, row).empty())) {
    ++row;
  }
  current_.row = std::clamp(row - 1, 1, std::max(1, table.row_count() - 1));
  return finish({});
}

EntryUpdate DataEntryController::go_to_id() {
  EntryUpdate update;
  RecordingPrompter asking(prompter_, update.messages);
  const std::optional<std::string> answer = asking.ask_text(kAskId, "");
  if (!answer) return finish(std::move(update));
  const std::string_view wanted = core::trim_spaces(*answer);
  const core::SurveyTable& table = workspace_.survey;
  for (int row = 1; row < table.row_count(); ++row) {
    if (core::trim_spaces(table.cell(StdVar::id, row)) == wanted && !wanted.empty()) {
      current_.row = row;
      return finish(std::move(update));
    }
  }
  tell(kIdNotFound, update);
  return finish(std::move(update));
}

EntryUpdate DataEntryController::paste(std::string_view clipboard_text) {
  EntryUpdate update;
  {
    RecordingPrompter asking(prompter_, update.messages);
    if (!asking.ask_yes_no(environment_.text.text(kConfirmPaste))) return finish(std::move(update));
  }
  // Lines of TAB-separated cells; a spreadsheet ends the block with a line break.
  std::vector<std::vector<std::string_view>> lines;
  while (!clipboard_text.empty()) {
    const std::size_t end = clipboard_text.find('\n');
    std::string_view line = clipboard_text.substr(0, end);
    clipboard_text =
        end == std::string_view::npos ? std::string_view() : clipboard_text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<std::string_view> cells;
    while (true) {
      const std::size_t tab = line.find('\t');
      cells.push_back(line.substr(0, tab));
      if (tab == std::string_view::npos) break;
      line.remove_prefix(tab + 1);
    }
    lines.push_back(std::move(cells));
  }
  core::SurveyTable& table = workspace_.survey;
  const int first_col = std::max(current_.column, 1);
  const int first_row = std::max(current_.row, 1);
  int wanted_cols = table.column_count();
  for (const auto& cells : lines) {
    wanted_cols = std::max(wanted_cols, first_col + static_cast<int>(cells.size()));
  }
  const int cols = std::min(wanted_cols, core::kMaxColumns);
  const int rows = std::min(std::max(table.row_count(), first_row + static_cast<int>(lines.size())),
                            core::kMaxRows);
  const int old_cols = table.column_count();
  table.resize(cols, rows);
  bool made_holdable = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int row = first_row + static_cast<int>(i);
    if (row >= rows) break;
    for (std::size_t j = 0; j < lines[i].size(); ++j) {
      const int col = first_col + static_cast<int>(j);
      if (col >= cols) break;
      // A lone CR inside a line or a leading 0xA5 would split the survey file on the next save.
      if (core::file_can_hold(lines[i][j])) {
        table.set_cell(col, row, lines[i][j]);
      } else {
        table.set_cell(col, row, core::holdable_text(lines[i][j]));
        made_holdable = true;
      }
    }
  }
  if (made_holdable) tell(kTextMadeHoldable, update);
  table.ensure_spare_rows();
  // Room for more variables after the pasted block, as after reading a file.
  table.resize(table.column_count() > 244 ? core::kMaxColumns : table.column_count() + 10,
               table.row_count());
  table.renumber_rows();
  const int last = table.last_used_row();
  for (int row = 1; row <= last; ++row) {
    normalise_pasted_codes(table, row, workspace_.options.oedema_yn);
  }
  anthro::evaluate_all_rows(table, evaluation_settings(), environment_.who);
  workspace_.changed = true;
  update.columns_changed = table.column_count() != old_cols;
  recheck_all(update);
  return finish(std::move(update));
}

namespace {

struct Block {
  int first_column, last_column, first_row, last_row;
  bool empty() const { return first_column > last_column || first_row > last_row; }
};

// The block between two corners, kept inside the data cells of the table.
Block block_of(const core::SurveyTable& table, CellPosition a, CellPosition b) {
  return {std::max(std::min(a.column, b.column), 1),
          std::min(std::max(a.column, b.column), table.column_count() - 1),
          std::max(std::min(a.row, b.row), 1),
          std::min(std::max(a.row, b.row), table.row_count() - 1)};
}

}  // namespace

EntryUpdate DataEntryController::clear_cells(CellPosition corner, CellPosition opposite_corner) {
  EntryUpdate update;
  core::SurveyTable& table = workspace_.survey;
  const Block block = block_of(table, corner, opposite_corner);
  if (block.empty()) return finish(std::move(update));
  bool cleared = false;
  for (int row = block.first_row; row <= block.last_row; ++row) {
    bool row_cleared = false;
    for (int column = block.first_column; column <= block.last_column; ++column) {
      if (table.cell(column, row).empty()) continue;
      table.set_cell(column, row, "");
      row_cleared = true;
    }
    if (!row_cleared) continue;
    evaluate_row(row);
    cleared = true;
  }
  if (!cleared) return finish(std::move(update));
  workspace_.changed = true;
  recheck_all(update);
  return finish(std::move(update));
}

std::string DataEntryController::copy_cells(CellPosition corner,
                                            CellPosition opposite_corner) const {
  const core::SurveyTable& table = workspace_.survey;
  const Block block = block_of(table, corner, opposite_corner);
  std::string text;
  if (block.empty()) return text;
  for (int row = block.first_row; row <= block.last_row; ++row) {
    for (int column = block.first_column; column <= block.last_column; ++column) {
      if (column > block.first_column) text += '\t';
      text += table.cell(column, row);
    }
    text += "\r\n";
  }
  return text;
}

EntryUpdate DataEntryController::evaluate_all() {
  EntryUpdate update;
  anthro::evaluate_all_rows(workspace_.survey, evaluation_settings(), environment_.who);
  recheck_all(update);
  // The z-scores now follow other settings (a reference switch, saved options): undoing an
  // earlier edit would bring back those of the old ones, so the history starts again here.
  history_.reset(workspace_);
  return finish(std::move(update));
}

EntryUpdate DataEntryController::check_all() {
  EntryUpdate update;
  recheck_all(update);
  return finish(std::move(update));
}

EntryUpdate DataEntryController::undo() { return after_history_step(history_.undo(workspace_)); }

EntryUpdate DataEntryController::redo() { return after_history_step(history_.redo(workspace_)); }

EntryUpdate DataEntryController::after_history_step(bool moved) {
  EntryUpdate update;
  if (!moved) return finish(std::move(update));
  workspace_.changed = true;
  update.columns_changed = true;  // a variable may have come back or gone
  // The cursor stays where it was when that cell is still in the table.
  current_.row = std::clamp(current_.row, 1, std::max(1, workspace_.survey.row_count() - 1));
  current_.column =
      std::clamp(current_.column, 1, std::max(1, workspace_.survey.column_count() - 1));
  recheck_all(update);
  return finish(std::move(update));
}

}  // namespace olvar::entry
