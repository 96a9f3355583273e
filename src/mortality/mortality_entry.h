#pragma once
// Data entry of the two mortality tables of the Death Rates page: the entry form of one
// household of the individual level (date, cluster, team, household number, 20 persons of 8
// cells, the additional variables), the check of every key typed into the person grid, and the
// commands of both data sub-pages: insert and delete a row, take over the households of the
// anthropometric survey, paste, add and delete an additional variable, and the tables as
// tab-separated text for the spreadsheet program.
//
// The form is a value: load it from a row, let the user change it, write it back. A failed key
// check is a warning only; the key still goes into the cell, since enumerators copy paper forms
// fast and refusing keys would lose what they typed.
//
//   HouseholdForm form;
//   load_household_form(workspace.mortality_individuals, row, dates, today_year, form);
//   if (auto warning = person_key_warning(form.persons[k - 1], column, key)) show(*warning);
//   form.persons[k - 1][column - 1] += key;
//   write_household_form(form, dates, row, workspace.mortality_individuals);

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/date_conventions.h"
#include "core/language_table.h"
#include "core/survey_table.h"
#include "core/text_grid.h"

namespace olvar::mortality {

// The tables hold at most this many rows (headings included), so that a stray paste cannot
// allocate without bound; the survey file keeps the used rows only.
inline constexpr int kMaxMortalityRows = 10000;
// The individual table holds at most this many columns (column 0 included): additional
// variables stop at table column 254.
inline constexpr int kMaxIndividualColumns = 255;
inline constexpr int kHouseholdColumns = 11;  // columns 1 to 11 of the household table
inline constexpr int kPersonCells = 8;        // Sex, Age, Joined, Left, Born, Died, Cause, Location

// Language entries of the key checks and questions of the entry pages.
inline constexpr core::LanguageEntry kDigitsOnly{800};
inline constexpr core::LanguageEntry kSexMOrF{801};
inline constexpr core::LanguageEntry kAskTakeOver{806};
inline constexpr core::LanguageEntry kEventYOnly{891};
inline constexpr core::LanguageEntry kEventsExclude{913};
inline constexpr core::LanguageEntry kAskPaste{933};
inline constexpr core::LanguageEntry kAddVariableCaption{876};
inline constexpr core::LanguageEntry kAddVariablePrompt{877};
inline constexpr core::LanguageEntry kAskDeleteVariable{879};

// The cells of one person in the person grid, column 1 (Sex) at index 0.
using PersonCellTexts = std::array<std::string, kPersonCells>;

// The entry form of the individual level (`i_mor_date`, `i_mor_cluster`, `i_mor_team`,
// `i_mor_hh`, `i_mor_entry`, row 1 of `i_mor_a_v`).
struct HouseholdForm {
  int date = 0;  // the date picker's day (core/date_text.h day number); it always holds a date
  std::string cluster, team, hh;
  std::array<PersonCellTexts, 20> persons;
  // One value per table column from 165 on (the additional variables).
  std::vector<std::string> additional;

  friend bool operator==(const HouseholdForm&, const HouseholdForm&) = default;
};

// Fills the form from row `row` of the individual table. A date cell that is empty or no valid
// date in the system order leaves the form's date as it was.
void load_household_form(const core::TextGrid& individuals, int row,
                         const core::DateConventions& dates, int current_year,
                         HouseholdForm& form);
// Rewrites row `row` from the form: the date as text in the system order, cluster, team and
// household number, the 20 persons and the additional variables the table has columns for.
void write_household_form(const HouseholdForm& form, const core::DateConventions& dates,
                          int row, core::TextGrid& individuals);

// The check of `key` typed into column `column` (1 Sex ... 8 Location) of a person whose cells
// are `person` before the key: nothing, or the Language entry of the warning. Enter, Tab and
// Backspace always pass.
//   Sex: "f" or "m" (801). Age, Cause, Location: digits (800). Joined, Left, Born, Died: "y"
//   (891); a "y" into Joined while Born holds "y", into Born while Joined does, into Left
//   while Died does or into Died while Left does: 913.
std::optional<core::LanguageEntry> person_key_warning(const PersonCellTexts& person, int column,
                                                      char key);

// The cell Enter or Tab moves to from (column, person): the next column, and from column 8
// column 1 of the next person; from column 8 of person 20 the cell stays.
struct PersonCell {
  int column = 1;  // 1 ... 8
  int person = 1;  // 1 ... 20
  friend bool operator==(const PersonCell&, const PersonCell&) = default;
};
PersonCell next_person_cell(PersonCell from);

// The individual row bound: the last used row (column 2, 3 or 4 filled) plus 2, or 3 when no
// row is used. The commands that walk the table stop there.
int individual_row_bound(const core::TextGrid& individuals);

// Insert an empty row at `row`, the rows below moving down by one, and delete row `row`, the
// rows below moving up. The household table moves columns 1 to 11 from row 2 on, the individual
// table all columns from 1 on, rows 1 up to the row bound + 4. Row numbers in column 0 stay. A
// table whose last rows are in use grows (up to kMaxMortalityRows) instead of losing a row;
// false when nothing was done (a row outside the data rows, or no room left).
bool insert_household_row(core::TextGrid& households, int row);
bool delete_household_row(core::TextGrid& households, int row);
bool insert_individual_row(core::TextGrid& individuals, int row);
bool delete_individual_row(core::TextGrid& individuals, int row);

// Take-over of household and cluster numbers from the anthropometric Survey table: the table's
// data is emptied, then every run of consecutive children with the same HH text gives one row
// (household page: HH, CLUSTER; individual page: SURVDATE, CLUSTER, TEAM, HH), so a household
// number that comes back after another household gives a second row. Returns the rows written.
int take_over_households(const core::SurveyTable& survey, core::TextGrid& households);
int take_over_individuals(const core::SurveyTable& survey, core::TextGrid& individuals);

// Pastes tab-separated lines (one per row, "\r\n" or "\n") into the table from (column, row)
// on, as a grid pastes: columns beyond the table's last are left out, rows grow the table up to
// kMaxMortalityRows (the household table: up to column 11). Returns the cells left out.
int paste_into_table(std::string_view text, int column, int row, int last_column,
                     core::TextGrid& table);

// Additional variables of the individual level: columns 165 and up, the name in row 0.
// Adds `name` (upper-cased, cut to 8 characters) at additional column `position` (0 for table
// column 165); a position past the named columns becomes the one after the last named column,
// so that names follow each other without gaps. The table gains a column; the columns from
// there on move one place to the right in all rows. Returns the table column, or nothing for
// an empty name or a table at its widest.
std::optional<int> add_additional_variable(core::TextGrid& individuals, int position,
                                           std::string_view name);
// Deletes additional column `position`: the columns to its right move one place left in all
// rows and the last column is emptied. False when there is no such column.
bool delete_additional_variable(core::TextGrid& individuals, int position);
// The names of the additional columns (table columns 165 and up), in order, empty names kept.
std::vector<std::string> additional_variable_names(const core::TextGrid& individuals);
// The name as it is stored: upper case, at most 8 characters, spaces around it removed.
std::string additional_variable_name(std::string_view typed);

// The tables as tab-separated text for the spreadsheet program: the household table from row 0
// to the last used household row, columns 1 to 11; the individual table from row 0 to the last
// used individual row, all columns from 1 on (an empty heading of columns 1 to 164 written as
// Date, Cluster, ... P20_location); every cell followed by a tab, every line by a line feed.
std::string household_table_text(const core::TextGrid& households);
std::string individual_table_text(const core::TextGrid& individuals);

// Gives the table at least `spare` empty rows after the last used row (up to
// kMaxMortalityRows) and numbers the data rows in column 0 from 1. Rows are only added.
void ensure_spare_household_rows(core::TextGrid& households, int spare = 100);
void ensure_spare_individual_rows(core::TextGrid& individuals, int spare = 100);

}  // namespace olvar::mortality
