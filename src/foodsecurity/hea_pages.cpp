#include "foodsecurity/hea_pages.h"

#include <algorithm>

#include "core/text_conversions.h"

namespace olvar::foodsecurity {

namespace {

void copy_cells(const core::TextGrid& from, int from_row, core::TextGrid& to, int to_row,
                int first_column, int last_column) {
  for (int column = first_column; column <= last_column; ++column) {
    to.set_cell(column, to_row, std::string(from.cell(column, from_row)));
  }
}

void clear_row(core::TextGrid& grid, int row) {
  for (int column = 0; column < grid.column_count(); ++column) grid.set_cell(column, row, "");
}

std::vector<std::string> names_of(const core::TextGrid& grid, int column,
                                  const std::vector<int>& rows) {
  std::vector<std::string> names;
  for (const int row : rows) names.emplace_back(grid.cell(column, row));
  return names;
}

// The item rows of a household section found by its heading (case ignored, from row 1).
std::vector<std::string> household_items(const core::TextGrid& household,
                                         std::string_view heading, int from_row = 1,
                                         bool ignore_case = true) {
  const auto row = find_heading(household, heading, from_row, ignore_case);
  if (!row) return {};
  return names_of(household, 1, section_items(household, *row));
}

// The row of `grid` from `from_row` whose column 0 equals `text`.
std::optional<int> find_equal(const core::TextGrid& grid, std::string_view text, int from_row,
                              int to_row) {
  for (int row = from_row; row <= to_row && row < grid.row_count(); ++row) {
    if (grid.cell(0, row) == text) return row;
  }
  return std::nullopt;
}

// Takes over columns first..last into `row` from every old row in [from, to] whose column 0
// equals the name (the last match wins, as each overwrites the one before).
void take_over(const core::TextGrid& old, int from, int to, core::TextGrid& grid, int row,
               int first_column, int last_column) {
  const std::string name(grid.cell(0, row));
  for (int r = from; r <= to && r < old.row_count(); ++r) {
    if (r >= 0 && old.cell(0, r) == name) copy_cells(old, r, grid, row, first_column, last_column);
  }
}

// The item rows of an old block: from `first` down to the first row with an empty column 0.
int block_end(const core::TextGrid& old, int first) {
  int row = first;
  while (row < old.row_count() && !old.cell(0, row).empty()) ++row;
  return row - 1;
}

}  // namespace

std::optional<int> find_item_row(const core::TextGrid& grid, int column, std::string_view name,
                                 int first_row, int last_row,
                                 const std::vector<std::string>& taken) {
  if (name.empty()) return std::nullopt;
  last_row = std::min(last_row, grid.row_count() - 1);
  for (int row = first_row; row <= last_row; ++row) {
    if (grid.cell(column, row) == name) return row;
  }
  for (int row = first_row; row <= last_row; ++row) {
    const std::string_view candidate = grid.cell(column, row);
    if (!begins_with_ignoring_case(candidate, name)) continue;
    if (std::find(taken.begin(), taken.end(), candidate) != taken.end()) continue;
    return row;
  }
  return std::nullopt;
}

std::optional<int> find_heading(const core::TextGrid& grid, std::string_view heading, int from_row,
                                bool ignore_case) {
  for (int row = std::max(from_row, 0); row < grid.row_count(); ++row) {
    const std::string_view text = grid.cell(0, row);
    if (ignore_case ? contains_ignoring_case(text, heading) : contains(text, heading)) return row;
  }
  return std::nullopt;
}

std::vector<int> section_items(const core::TextGrid& grid, int heading_row) {
  std::vector<int> rows;
  for (int row = heading_row + 1; row < grid.row_count() && grid.cell(0, row).empty(); ++row) {
    rows.push_back(row);
  }
  return rows;
}

bool is_heading_row(const core::TextGrid& household, int row) {
  return !household.cell(0, row).empty();
}

void rebuild_household_page(FoodSecurity& state) {
  core::TextGrid& household = state.tables.household;
  const int last_column = household.column_count() - 2;
  int column = kFirstGroupColumn;
  for (const std::string& name : state.wealth_groups) {
    if (name.empty()) continue;
    if (column > last_column) break;
    household.set_cell(column++, 1, name);
  }
  const int groups_end = column;
  for (; column <= last_column; ++column) household.set_cell(column, 1, "");

  const struct {
    std::string_view heading, unit;
  } units[] = {{"Food Income", "kg"}, {"Food Stocks", "kg"}, {"Cash Income", "units"},
               {"Assets", "units"}};
  for (const auto& [heading, unit] : units) {
    const auto row = find_heading(household, heading, 1, true);
    if (!row) continue;
    for (int c = kFirstGroupColumn; c <= last_column; ++c) {
      household.set_cell(c, *row, c < groups_end ? unit : "");
    }
  }
}

bool rebuild_seasonal_page(HeaTables& tables) {
  const core::TextGrid& household = tables.household;
  const auto food = find_heading(household, "Food Income", 1, true);
  const auto cash = find_heading(household, "Cash Income", 1, true);
  if (!food || !cash) return false;
  const std::vector<std::string> food_items = names_of(household, 1, section_items(household, *food));
  const std::vector<std::string> cash_items = names_of(household, 1, section_items(household, *cash));

  core::TextGrid& seasonal = tables.seasonal;
  core::TextGrid work(seasonal.column_count(), seasonal.row_count());
  int row = 1;
  work.set_cell(0, row++, "Food Income");
  for (const std::string& name : food_items) work.set_cell(1, row++, name);
  ++row;
  work.set_cell(0, row++, "Cash Income");
  for (const std::string& name : cash_items) work.set_cell(1, row++, name);

  // Every item keeps its own percentages; the "begins with" fallback never takes a row that
  // belongs by its exact name to another item.
  std::vector<std::string> all_items = food_items;
  all_items.insert(all_items.end(), cash_items.begin(), cash_items.end());
  for (int r = 1; r < work.row_count(); ++r) {
    const std::string name(work.cell(1, r));
    if (name.empty()) continue;
    std::vector<std::string> others;
    for (const std::string& item : all_items) {
      if (item != name) others.push_back(item);
    }
    const auto old = find_item_row(seasonal, 1, name, 1, seasonal.row_count() - 1, others);
    // The name stays the household's, so the row keeps matching its item on the next rebuild.
    if (old) copy_cells(seasonal, *old, work, r, 2, work.column_count() - 1);
  }
  for (int r = 1; r < seasonal.row_count(); ++r) copy_cells(work, r, seasonal, r, 0, seasonal.column_count() - 1);
  recompute_row_totals(seasonal);
  return true;
}

void recompute_row_totals(core::TextGrid& seasonal) {
  for (int row = 1; row < seasonal.row_count(); ++row) {
    double sum = 0;
    for (int column = 2; column <= 13; ++column) {
      const double value = amount(seasonal, column, row);
      if (value > 0) sum += value;
    }
    if (sum == 0) continue;
    std::string text = core::format_fixed(sum, 12, 0);
    if (text.size() < 13) text.insert(0, 13 - text.size(), ' ');
    seasonal.set_cell(14, row, text);
  }
}

void set_start_month(FoodSecurity& state, int month) {
  month = ((month % 12) + 12) % 12;
  state.start_month = month;
  for (int i = 0; i < 12; ++i) {
    const std::string_view name = kMonthNames[(month + i) % 12];
    state.tables.seasonal.set_cell(2 + i, 0, name);
    for (const int offset : {1, 13, 25}) state.tables.shock.set_cell(offset + i, 2, name);
  }
}

bool insert_household_row(core::TextGrid& household, int row) {
  if (row < 5) return false;
  if (row >= household.row_count()) return true;
  for (int r = household.row_count() - 2; r > row; --r) {
    copy_cells(household, r - 1, household, r, 0, household.column_count() - 1);
  }
  clear_row(household, row);
  return true;
}

bool delete_household_row(core::TextGrid& household, int row) {
  if (row < 5 || row >= household.row_count() || is_heading_row(household, row)) return false;
  for (int r = row; r <= household.row_count() - 2; ++r) {
    copy_cells(household, r + 1, household, r, 0, household.column_count() - 1);
  }
  return true;
}

void rebuild_shock_table(HeaTables& tables) {
  const core::TextGrid& household = tables.household;
  core::TextGrid& shock = tables.shock;
  const core::TextGrid old = shock;
  for (int row = 3; row < shock.row_count(); ++row) clear_row(shock, row);
  const int last_old = old.row_count() - 1;

  // Purchase foods: the food income items marked "#".
  std::vector<std::string> purchase;
  if (const auto food = find_equal(household, "Food Income", 4, household.row_count() - 1)) {
    for (const int row : section_items(household, *food)) {
      const std::string name(household.cell(1, row));
      if (contains(name, "#")) purchase.push_back(name);
    }
  }
  const int f = static_cast<int>(purchase.size());
  const auto old_diet = find_equal(old, "% of these foods in the diet", 4, last_old);
  shock.set_cell(0, 3, "Price of food to be purchased per kg");
  shock.set_cell(0, 4 + f, "% of these foods in the diet");
  for (int i = 0; i < f; ++i) {
    shock.set_cell(0, 4 + i, purchase[i]);
    shock.set_cell(0, 5 + f + i, purchase[i]);
    if (old_diet) {
      const int old_f = *old_diet - 4;
      take_over(old, 4, *old_diet - 1, shock, 4 + i, 1, 37);
      take_over(old, *old_diet + 1, *old_diet + old_f, shock, 5 + f + i, 1, 37);
    }
  }

  const std::vector<std::string> food_items = household_items(household, "Food Income");
  const std::vector<std::string> cash_items = household_items(household, "Cash Income");
  const std::vector<std::string> asset_items = household_items(household, "Assets");
  const int p = static_cast<int>(food_items.size());
  const int q = static_cast<int>(cash_items.size());
  const int a = 2 * f + 12 + p + q;

  const auto write_block = [&](std::string_view label, int heading_row,
                               const std::vector<std::string>& items, int first_item) {
    shock.set_cell(0, heading_row, label);
    const auto old_heading = find_heading(old, label, 0, false);
    const bool found = old_heading && *old_heading < old.row_count() - 3;
    const int old_first = found ? *old_heading + 2 : 0;
    const int old_last = found ? block_end(old, old_first) : -1;
    for (std::size_t i = 0; i < items.size(); ++i) {
      const int row = first_item + static_cast<int>(i);
      shock.set_cell(0, row, items[i]);
      if (found) take_over(old, old_first, old_last, shock, row, 1, 8);
    }
  };
  write_block("Food income in %", 2 * f + 7, food_items, 2 * f + 9);
  shock.set_cell(1, 2 * f + 8, "Year 1");
  shock.set_cell(2, 2 * f + 8, "Year 2");
  write_block("Cash income in %", 2 * f + 10 + p, cash_items, 2 * f + 12 + p);
  shock.set_cell(3, 2 * f + 10 + p, "Prices in");
  const char* years[] = {"Year 1", "Year 2", "Year 1", "Year 2"};
  for (int i = 0; i < 4; ++i) shock.set_cell(1 + i, 2 * f + 11 + p, years[i]);

  // The gifts block moves with the items. Without one in the old table an empty block is laid
  // out, rather than taking rows that hold prices or captions for gifts.
  std::optional<int> gifts;
  for (int row = old.row_count() - 2; row >= 2; --row) {
    if (contains(old.cell(0, row), "Additional gifts")) {
      gifts = row;
      break;
    }
  }
  if (gifts) {
    for (int i = 0; i < 4; ++i) copy_cells(old, *gifts + i, shock, a + 1 + i, 0, 24);
  } else {
    shock.set_cell(0, a + 1, "Additional gifts");
  }
  copy_cells(shock, 2, shock, a + 2, 1, 24);

  shock.set_cell(0, a + 7, "Assets to be sold to meet deficit");
  shock.set_cell(1, a + 8, "% to be sold in:");
  shock.set_cell(3, a + 8, "Prices in:");
  shock.set_cell(0, a + 9, "Type");
  for (int i = 0; i < 4; ++i) shock.set_cell(1 + i, a + 9, years[i]);
  const auto old_type = find_equal(old, "Type", 3, last_old);
  const int old_first = old_type ? *old_type + 1 : 0;
  const int old_last = old_type ? block_end(old, old_first) : -1;
  for (std::size_t i = 0; i < asset_items.size(); ++i) {
    const int row = a + 10 + static_cast<int>(i);
    shock.set_cell(0, row, asset_items[i]);
    if (old_type) take_over(old, old_first, old_last, shock, row, 1, 8);
  }
}

}  // namespace olvar::foodsecurity
