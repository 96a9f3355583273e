#pragma once
// Builds the individual mortality table from a household roster and its lists of persons who
// left and who died during the recall period (comma-separated text with a heading line, values
// optionally in double quotes), one table row per household of at most 20 persons; a larger
// household continues on the next row with the same cluster, team and household number.
//
// Columns read (by heading; others are ignored):
//   roster: KEY, sex_roster, age_years, joined, birth, cluster_id; optional today, enum
//   left:   KEY, sex_left, age_left, join_left, birth_left; optional today, enum, cluster_id
//   died:   KEY, sex_died, age_died, join_died, birth_died; optional death_cause,
//           death_location, today, enum, cluster_id
// KEY names the household; households are numbered 1, 2, ... in order of first appearance.
// Sex m/f as given; "y" in joined/birth marks Joined/Born; every left person has Left "y",
// every dead person Died "y". Cause codes 1 (illness), 2 (injury/trauma), 97 (other) become
// "3", "2" and "4"; location codes 1, 2, 3, 97 become "1", "2", "3", "4"; other codes "1".
// `today` (DD-Mon-YY) becomes the interview date in the system date order.

#include <optional>
#include <string>
#include <string_view>

#include "core/date_conventions.h"
#include "core/text_grid.h"

namespace olvar::mortality {

struct RosterImport {
  core::TextGrid individuals;  // empty on error
  int households = 0;
  int persons = 0;
  std::string error;  // names the file and the missing column or bad line
};

RosterImport import_roster(std::string_view roster_csv, std::string_view left_csv,
                           std::string_view died_csv, const core::DateConventions& dates);

// Writes the headings of the individual table: Date, Cluster, Team, HH, P1_sex ... P20_location.
void write_individual_headings(core::TextGrid& individuals);

}  // namespace olvar::mortality
