#include "mortality/household_rows.h"

#include "mortality/death_rates.h"

namespace olvar::mortality {

bool continues_household(const core::TextGrid& individuals, int row) {
  constexpr int kHouseholdColumn = 4;
  if (row < 2 || !individuals.contains(kHouseholdColumn, row)) return false;
  if (individuals.cell(kHouseholdColumn, row).empty()) return false;
  for (int column = 1; column <= kHouseholdColumn; ++column) {
    if (individuals.cell(column, row) != individuals.cell(column, row - 1)) return false;
  }
  return !individuals.cell(person_column(kPersons, PersonField::sex), row - 1).empty() ||
         !individuals.cell(person_column(kPersons, PersonField::age), row - 1).empty();
}

}  // namespace olvar::mortality
