#include "foodsecurity/hea_tables.h"

#include <algorithm>
#include <cctype>

#include "core/text_conversions.h"

namespace olvar::foodsecurity {

namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

double amount(const core::TextGrid& grid, int column, int row) {
  return core::parse_tolerant_or_zero(grid.cell(column, row));
}

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool contains_ignoring_case(std::string_view text, std::string_view part) {
  if (part.size() > text.size()) return false;
  for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
    if (equal_ignoring_case(text.substr(at, part.size()), part)) return true;
  }
  return false;
}

bool begins_with_ignoring_case(std::string_view text, std::string_view part) {
  return text.size() >= part.size() && equal_ignoring_case(text.substr(0, part.size()), part);
}

bool hea_data_loaded(const HeaTables& tables) { return !tables.household.cell(0, 2).empty(); }

std::vector<std::string> selectable_wealth_groups(const FoodSecurity& state) {
  std::vector<std::string> names;
  for (const std::string& name : state.wealth_groups) {
    if (name.empty()) break;
    names.push_back(name);
  }
  return names;
}

std::vector<std::string> household_wealth_groups(const HeaTables& tables) {
  std::vector<std::string> names;
  for (int column = kFirstGroupColumn; column < tables.household.column_count(); ++column) {
    const std::string name(tables.household.cell(column, 1));
    if (name.empty()) break;
    names.push_back(name);
  }
  return names;
}

}  // namespace olvar::foodsecurity
