#include "mortality/mortality_entry.h"

#include <algorithm>
#include <cctype>

#include "core/date_text.h"
#include "core/text_conversions.h"
#include "mortality/death_rates.h"
#include "mortality/roster_import.h"

namespace olvar::mortality {

namespace {

constexpr int kIndividualFirstRow = 1;
constexpr int kMaxNameLength = 8;

int person_cell_column(int person, int column) { return 8 * person + column - 4; }

// Grows the table to `rows` rows at most kMaxMortalityRows; false when it cannot hold them.
bool make_room(core::TextGrid& table, int rows) {
  if (rows <= table.row_count()) return true;
  if (rows > kMaxMortalityRows) return false;
  table.resize(table.column_count(), rows);
  return true;
}

void number_rows(core::TextGrid& table, int first_row) {
  for (int row = first_row; row < table.row_count(); ++row) {
    table.set_cell(0, row, std::to_string(row - first_row + 1));
  }
}

// Makes row `row` part of the table, adding a block of numbered rows when it is not; false when
// the table is at its largest.
bool grow_for(core::TextGrid& table, int row, int first_row) {
  if (row < table.row_count()) return true;
  if (row >= kMaxMortalityRows) return false;
  make_room(table, std::min(kMaxMortalityRows, row + 100));
  number_rows(table, first_row);
  return true;
}

void copy_row(core::TextGrid& table, int from, int to, int first_column, int last_column) {
  for (int c = first_column; c <= last_column; ++c) {
    table.set_cell(c, to, std::string(table.cell(c, from)));
  }
}

void clear_row(core::TextGrid& table, int row, int first_column, int last_column) {
  for (int c = first_column; c <= last_column; ++c) table.set_cell(c, row, "");
}

// Whether any cell of columns first ... last of the row holds text.
bool row_in_use(const core::TextGrid& table, int row, int first_column, int last_column) {
  for (int c = first_column; c <= last_column; ++c) {
    if (!table.cell(c, row).empty()) return true;
  }
  return false;
}

// The last row of the table holding any text in the columns, or first_row - 1.
int last_row_in_use(const core::TextGrid& table, int first_row, int first_column,
                    int last_column) {
  for (int row = table.row_count() - 1; row >= first_row; --row) {
    if (row_in_use(table, row, first_column, last_column)) return row;
  }
  return first_row - 1;
}

// Moves the rows row ... last down by one (last + 1 receives last), then empties row.
void shift_down(core::TextGrid& table, int row, int last, int first_column, int last_column) {
  for (int r = last + 1; r > row; --r) copy_row(table, r - 1, r, first_column, last_column);
  clear_row(table, row, first_column, last_column);
}

// Moves the rows row + 1 ... last + 1 up by one, then empties row last + 1.
void shift_up(core::TextGrid& table, int row, int last, int first_column, int last_column) {
  for (int r = row; r <= last; ++r) copy_row(table, r + 1, r, first_column, last_column);
  clear_row(table, last + 1, first_column, last_column);
}

// Walks the Survey table and calls start(row, rows written so far), which says whether it wrote
// a row, for the first child of every run of rows with the same HH text (row 1 compared with
// the heading). The walk ends at the last child: the empty row after it would only add a
// household without values.
template <typename Start>
int walk_households(const core::SurveyTable& survey, Start start) {
  const int hh = core::column(core::StdVar::hh);
  const int last = survey.last_used_row();
  int rows = 0;
  for (int r = 1; r <= last; ++r) {
    if (survey.cell(hh, r) != survey.cell(hh, r - 1)) {
      if (start(r, rows)) ++rows;
    }
  }
  return rows;
}

}  // namespace

void load_household_form(const core::TextGrid& individuals, int row,
                         const core::DateConventions& dates, int current_year,
                         HouseholdForm& form) {
  if (const std::optional<int> day = core::day_number(individuals.cell(1, row), dates,
                                                       current_year)) {
    form.date = *day;
  }
  form.cluster = individuals.cell(2, row);
  form.team = individuals.cell(3, row);
  form.hh = individuals.cell(4, row);
  for (int k = 1; k <= kPersons; ++k) {
    for (int c = 1; c <= kPersonCells; ++c) {
      form.persons[k - 1][c - 1] = individuals.cell(person_cell_column(k, c), row);
    }
  }
  form.additional.assign(
      static_cast<std::size_t>(std::max(0, individuals.column_count() - kFirstAdditionalColumn)),
      std::string());
  for (std::size_t j = 0; j < form.additional.size(); ++j) {
    form.additional[j] = individuals.cell(kFirstAdditionalColumn + static_cast<int>(j), row);
  }
}

void write_household_form(const HouseholdForm& form, const core::DateConventions& dates,
                          int row, core::TextGrid& individuals) {
  if (row < kIndividualFirstRow || row >= individuals.row_count()) return;
  individuals.set_cell(1, row, core::date_text(form.date, dates));
  individuals.set_cell(2, row, form.cluster);
  individuals.set_cell(3, row, form.team);
  individuals.set_cell(4, row, form.hh);
  for (int k = 1; k <= kPersons; ++k) {
    for (int c = 1; c <= kPersonCells; ++c) {
      individuals.set_cell(person_cell_column(k, c), row, form.persons[k - 1][c - 1]);
    }
  }
  for (std::size_t j = 0; j < form.additional.size(); ++j) {
    individuals.set_cell(kFirstAdditionalColumn + static_cast<int>(j), row, form.additional[j]);
  }
}

std::optional<core::LanguageEntry> person_key_warning(const PersonCellTexts& person, int column,
                                                      char key) {
  if (key == '\r' || key == '\n' || key == '\t' || key == '\b') return std::nullopt;
  const auto holds_y = [&](int c) { return person[static_cast<std::size_t>(c - 1)] == "y"; };
  switch (column) {
    case 1:
      if (key != 'f' && key != 'm') return kSexMOrF;
      return std::nullopt;
    case 2:
    case 7:
    case 8:
      if (!std::isdigit(static_cast<unsigned char>(key))) return kDigitsOnly;
      return std::nullopt;
    case 3:
    case 4:
    case 5:
    case 6: {
      if (key != 'y') return kEventYOnly;
      // Joined (3) excludes Born (5); Left (4) excludes Died (6).
      const int excluded = column <= 4 ? column + 2 : column - 2;
      if (holds_y(excluded)) return kEventsExclude;
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

PersonCell next_person_cell(PersonCell from) {
  if (from.column < kPersonCells) return {from.column + 1, from.person};
  if (from.person < kPersons) return {1, from.person + 1};
  return from;
}

int individual_row_bound(const core::TextGrid& individuals) {
  const int last = last_individual_row(individuals);
  return last == 0 ? 3 : last + 2;
}

bool insert_household_row(core::TextGrid& households, int row) {
  if (row < kHouseholdFirstRow || row >= households.row_count()) return false;
  const int last = last_row_in_use(households, kHouseholdFirstRow, 1, kHouseholdColumns);
  if (last >= households.row_count() - 1) {
    if (!make_room(households, households.row_count() + 100)) return false;
    number_rows(households, kHouseholdFirstRow);
  }
  shift_down(households, row, std::max(last, row), 1, kHouseholdColumns);
  return true;
}

bool delete_household_row(core::TextGrid& households, int row) {
  if (row < kHouseholdFirstRow || row >= households.row_count()) return false;
  const int last = last_row_in_use(households, kHouseholdFirstRow, 1, kHouseholdColumns);
  shift_up(households, row, std::max(last, row), 1, kHouseholdColumns);
  return true;
}

bool insert_individual_row(core::TextGrid& individuals, int row) {
  if (row < kIndividualFirstRow || row >= individuals.row_count()) return false;
  const int last_column = individuals.column_count() - 1;
  // Rows below the last household may hold persons typed before their household number.
  const int last = std::max(individual_row_bound(individuals) + 3,
                            last_row_in_use(individuals, kIndividualFirstRow, 1, last_column));
  if (last + 1 >= individuals.row_count()) {
    if (!make_room(individuals, std::min(kMaxMortalityRows, last + 102))) return false;
    if (last + 1 >= individuals.row_count()) return false;
    number_rows(individuals, kIndividualFirstRow);
  }
  shift_down(individuals, row, std::max(last, row), 1, last_column);
  return true;
}

bool delete_individual_row(core::TextGrid& individuals, int row) {
  if (row < kIndividualFirstRow || row >= individuals.row_count()) return false;
  const int last_column = individuals.column_count() - 1;
  const int last = std::max(individual_row_bound(individuals) + 4,
                            last_row_in_use(individuals, kIndividualFirstRow, 1, last_column));
  shift_up(individuals, row, std::max(last, row), 1, last_column);
  return true;
}

int take_over_households(const core::SurveyTable& survey, core::TextGrid& households) {
  for (int row = kHouseholdFirstRow; row < households.row_count(); ++row) {
    clear_row(households, row, 1, kHouseholdColumns);
  }
  return walk_households(survey, [&](int r, int written) {
    const int row = kHouseholdFirstRow + written;
    if (!grow_for(households, row, kHouseholdFirstRow)) return false;
    households.set_cell(1, row, survey.cell(core::StdVar::hh, r));
    households.set_cell(2, row, survey.cell(core::StdVar::cluster, r));
    return true;
  });
}

int take_over_individuals(const core::SurveyTable& survey, core::TextGrid& individuals) {
  const int last_column = individuals.column_count() - 1;
  for (int row = kIndividualFirstRow; row < individuals.row_count(); ++row) {
    clear_row(individuals, row, 1, last_column);
  }
  return walk_households(survey, [&](int r, int written) {
    const int row = kIndividualFirstRow + written;
    if (!grow_for(individuals, row, kIndividualFirstRow)) return false;
    individuals.set_cell(1, row, survey.cell(core::StdVar::survdate, r));
    individuals.set_cell(2, row, survey.cell(core::StdVar::cluster, r));
    individuals.set_cell(3, row, survey.cell(core::StdVar::team, r));
    individuals.set_cell(4, row, survey.cell(core::StdVar::hh, r));
    return true;
  });
}

int paste_into_table(std::string_view text, int column, int row, int last_column,
                     core::TextGrid& table) {
  column = std::max(column, 1);
  row = std::max(row, 1);
  last_column = std::min(last_column, table.column_count() - 1);
  // A spreadsheet ends the block with a line break: it gives no row of its own.
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  int left_out = 0;
  int r = row;
  while (true) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const bool has_room = make_room(table, r + 1);
    int c = column;
    while (true) {
      const std::size_t tab = line.find('\t');
      const std::string_view value = line.substr(0, tab);
      if (has_room && c <= last_column) {
        table.set_cell(c, r, value);
      } else if (!value.empty()) {
        ++left_out;
      }
      ++c;
      if (tab == std::string_view::npos) break;
      line.remove_prefix(tab + 1);
    }
    ++r;
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return left_out;
}

std::string additional_variable_name(std::string_view typed) {
  std::string name(core::trim_spaces(typed));
  for (char& ch : name) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
  return name;
}

std::vector<std::string> additional_variable_names(const core::TextGrid& individuals) {
  std::vector<std::string> names;
  for (int c = kFirstAdditionalColumn; c < individuals.column_count(); ++c) {
    names.emplace_back(individuals.cell(c, 0));
  }
  return names;
}

std::optional<int> add_additional_variable(core::TextGrid& individuals, int position,
                                           std::string_view typed) {
  const std::string name = additional_variable_name(typed);
  if (name.empty() || individuals.column_count() >= kMaxIndividualColumns) return std::nullopt;
  if (individuals.column_count() < kFirstAdditionalColumn) {
    individuals.resize(kFirstAdditionalColumn, individuals.row_count());
  }
  int last_named = -1;
  for (int c = individuals.column_count() - 1; c >= kFirstAdditionalColumn; --c) {
    if (!individuals.cell(c, 0).empty()) {
      last_named = c - kFirstAdditionalColumn;
      break;
    }
  }
  position = std::clamp(position, 0, last_named + 1);
  const int column = kFirstAdditionalColumn + position;
  individuals.insert_column(column);
  individuals.set_cell(column, 0, name);
  return column;
}

bool delete_additional_variable(core::TextGrid& individuals, int position) {
  const int column = kFirstAdditionalColumn + position;
  if (position < 0 || column >= individuals.column_count()) return false;
  const int columns = individuals.column_count();
  individuals.erase_column(column);
  // The table keeps its width: an empty column comes in at the right.
  individuals.insert_column(columns - 1);
  return true;
}

std::string household_table_text(const core::TextGrid& households) {
  std::string out;
  const int last = last_household_row(households);
  for (int row = 0; row <= last; ++row) {
    for (int c = 1; c <= kHouseholdColumns; ++c) {
      out += households.cell(c, row);
      out += '\t';
    }
    out += '\n';
  }
  return out;
}

std::string individual_table_text(const core::TextGrid& individuals) {
  // A table whose heading row is empty (a new survey) is headed Date, Cluster, ... all the same.
  core::TextGrid headings(kFirstAdditionalColumn, 1);
  write_individual_headings(headings);
  std::string out;
  const int last = last_individual_row(individuals);
  for (int row = 0; row <= last; ++row) {
    for (int c = 1; c < individuals.column_count(); ++c) {
      const std::string_view cell = individuals.cell(c, row);
      out += row == 0 && cell.empty() ? headings.cell(c, 0) : cell;
      out += '\t';
    }
    out += '\n';
  }
  return out;
}

void ensure_spare_household_rows(core::TextGrid& households, int spare) {
  const int last = last_row_in_use(households, kHouseholdFirstRow, 1, households.column_count() - 1);
  const int wanted = std::min(kMaxMortalityRows, last + 1 + spare);
  if (wanted > households.row_count()) {
    households.resize(std::max(households.column_count(), kHouseholdColumns + 1), wanted);
  }
  number_rows(households, kHouseholdFirstRow);
}

void ensure_spare_individual_rows(core::TextGrid& individuals, int spare) {
  const int last =
      last_row_in_use(individuals, kIndividualFirstRow, 1, individuals.column_count() - 1);
  const int wanted = std::min(kMaxMortalityRows, last + 1 + spare);
  if (wanted > individuals.row_count()) {
    individuals.resize(std::max(individuals.column_count(), kFirstAdditionalColumn), wanted);
  }
  number_rows(individuals, kIndividualFirstRow);
}

}  // namespace olvar::mortality
