#pragma once
// The cluster sampling table of the Planning page (`ClusterTable`) and the first stage of a
// two-stage cluster survey: clusters drawn with probability proportional to population size,
// systematically along the list of units, with reserve clusters.
//
// Table columns: 0 the unit's name, 1 its population (a whole number), 2 the clusters assigned
// ("1", "3,RC", "4,5", or empty). Row 0 holds the headings.
//
// With n clusters wanted, M = n + floor(n/10) + 1 draws are made: the interval is SI = T / M for a
// total population T, the random start RS = Random(SI rounded), and draw k falls into the unit in
// whose stretch of the cumulative population (k - 1) x SI + RS lies. Then M - n of the M draws are
// picked at random as reserve clusters ("RC"); the others are numbered 1 to n in table order.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/language_table.h"
#include "core/prompter.h"
#include "core/text_grid.h"
#include "planning/planning_random.h"

namespace olvar::planning {

inline constexpr int kClusterTableRows = 5000;  // row 0 the headings
inline constexpr int kClusterNameColumn = 0;
inline constexpr int kClusterPopulationColumn = 1;
inline constexpr int kClusterLabelColumn = 2;
inline constexpr std::string_view kReserveLabel = "RC";
// The draw numbers of the original table were three-digit texts: at most 999 draws.
inline constexpr int kMaxDraws = 999;
inline constexpr int kMaxClusters = 908;  // 908 + 90 + 1 = 999 draws

// Language entries of the cluster table.
inline constexpr core::LanguageEntry kUnitHeading{855};
inline constexpr core::LanguageEntry kPopulationHeading{856};
inline constexpr core::LanguageEntry kReassignQuestion{923};
inline constexpr std::string_view kClusterHeading = "Cluster";

// The number of draws, reserves included: 30 gives 34, 25 gives 28, 10 gives 12.
constexpr int draws_for(int clusters) { return clusters + clusters / 10 + 1; }

// PopSize_field: the total of column 1 over rows 1 and up, each cell read with the tolerant
// parse, rounded halves to even, and counted when above 0. Whole numbers are added exactly.
long long population_size(const core::TextGrid& table, char decimal_separator = '.');

// Writes the headings of row 0: Language entries 855 and 856, and "Cluster".
void set_cluster_table_headings(core::TextGrid& table, const core::LanguageTable& text);

// The grid's paste: tab-separated lines written into the table from (column, row) on, each line
// a row and each tab a column; what falls outside the table is left out. Line ends CR LF or LF;
// a final line end adds no row. Returns the last row written (0 when nothing was).
int paste_into_table(core::TextGrid& table, int column, int row, std::string_view text);

// The outcome of one draw over a list of unit populations.
struct ClusterDraw {
  int clusters = 0;                 // n
  int draws = 0;                    // M
  long long population = 0;         // T
  double interval = 0;              // SI
  std::uint32_t random_start = 0;   // RS
  std::vector<std::string> labels;  // per unit, in input order: "1", "3,RC", "" ...
};

// The draw on a list of populations (each 0 or more). Call check_draw() first: it names what
// makes a list unfit, and draw_clusters() assumes a fit one.
std::optional<std::string> check_draw(const std::vector<long long>& populations, int clusters);
ClusterDraw draw_clusters(const std::vector<long long>& populations, int clusters,
                          PlanningRandom& random);

// Reads the number of clusters (`Edit19`): a whole number from 1 to 908, else a message that says
// so.
struct ClusterCount {
  int clusters = 0;
  std::string problem;  // empty when the text was fit
};
ClusterCount read_cluster_count(std::string_view Edit19);

// The populations of the table's rows 1 and up, up to the last row with a population; an empty
// cell counts 0. A cell that is not a whole number of 0 or more gives a message naming its row.
struct TablePopulations {
  std::vector<long long> populations;
  std::string problem;
};
TablePopulations read_table_populations(const core::TextGrid& table);

enum class AssignOutcome { assigned, cancelled, refused };
struct AssignResult {
  AssignOutcome outcome = AssignOutcome::refused;
  std::string message;  // why it was refused
  std::uint32_t seed = 0;
  ClusterDraw draw;
};

// "Assign Cluster": checks the number of clusters and every population first (the table is left
// as it was when one is unfit, and the message says why); asks Language entry 923 when column 2
// already holds an assignment (No cancels); empties column 2 and fills it with the draw made from
// `seed`.
AssignResult assign_clusters(core::TextGrid& table, std::string_view Edit19, std::uint32_t seed,
                             const core::LanguageTable& text, core::Prompter& prompter);

}  // namespace olvar::planning
