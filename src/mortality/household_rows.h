#pragma once
// The rows of the individual mortality table that belong to one household. A row holds at most
// kPersons persons; a larger household goes on in the rows below it with the same date, Cluster,
// Team and HH (the roster import writes it so, and so does an enumerator who runs out of
// columns). Counts of households, their sizes and the duplicate check take such rows together.

#include "core/text_grid.h"

namespace olvar::mortality {

// Whether row `row` (from 2) goes on with the household of the row above: the same date,
// Cluster, Team and HH, HH filled, and the row above full (its last person has a sex or an age).
bool continues_household(const core::TextGrid& individuals, int row);

}  // namespace olvar::mortality
