#include "planning/cluster_assignment.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_set>

#include "core/text_conversions.h"
#include "planning/whole_numbers.h"

namespace olvar::planning {

namespace {

// Random(N) takes a 32-bit range: the rounded interval must fit.
constexpr double kLargestInterval = 4294967295.0;
// No fit total exceeds this (an interval of at most 2^32 over at most 999 draws), so sums are
// stopped here before they could overflow; it also keeps the walk's whole-number products
// (draw number x total) far inside the range of long long.
constexpr long long kLargestTotal = 4294967296LL * kMaxDraws;

// a + b for non-negative values, held at the largest value instead of overflowing.
long long saturating_add(long long a, long long b) {
  return a > std::numeric_limits<long long>::max() - b ? std::numeric_limits<long long>::max()
                                                       : a + b;
}

}  // namespace

long long population_size(const core::TextGrid& table, char decimal_separator) {
  long long total = 0;
  for (int row = 1; row < table.row_count(); ++row) {
    const std::string_view cell = table.cell(kClusterPopulationColumn, row);
    if (cell.empty()) continue;
    if (const std::optional<long long> whole = parse_whole_number(cell)) {
      if (*whole > 0) total = saturating_add(total, *whole);
      continue;
    }
    const float value = core::parse_tolerant(cell, decimal_separator);
    if (value <= 0) continue;
    // A value beyond the range of long long (a float reaches 3.4e38) holds the total at its top.
    const double rounded = round_half_even(value);
    total = rounded >= 9.2e18 ? std::numeric_limits<long long>::max()
                              : saturating_add(total, static_cast<long long>(rounded));
  }
  return total;
}

void set_cluster_table_headings(core::TextGrid& table, const core::LanguageTable& text) {
  table.set_cell(kClusterNameColumn, 0, text.text(kUnitHeading));
  table.set_cell(kClusterPopulationColumn, 0, text.text(kPopulationHeading));
  table.set_cell(kClusterLabelColumn, 0, kClusterHeading);
}

int paste_into_table(core::TextGrid& table, int column, int row, std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  if (text.empty()) return 0;  // an empty clipboard erases nothing
  int last = 0;
  for (int r = row; !text.empty() || r == row; ++r) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (r >= table.row_count()) break;
    for (int c = column;; ++c) {
      const std::size_t tab = line.find('\t');
      if (table.contains(c, r)) {
        table.set_cell(c, r, line.substr(0, tab));
        last = r;
      }
      if (tab == std::string_view::npos) break;
      line.remove_prefix(tab + 1);
    }
    if (text.empty()) break;
  }
  return last;
}

std::optional<std::string> check_draw(const std::vector<long long>& populations, int clusters) {
  if (clusters < 1 || clusters > kMaxClusters) {
    return "The number of clusters must be from 1 to " + std::to_string(kMaxClusters) + ".";
  }
  long long total = 0;
  bool too_large = false;
  for (const long long p : populations) {
    if (p < 0) return std::string("A population cannot be below 0.");
    if (p > kLargestTotal - total) too_large = true;
    if (!too_large) total += p;
  }
  if (too_large) {
    return std::string("The total population is too large for the draw.");
  }
  if (total <= 0) {
    return std::string("The table has no population: list the units with their populations first.");
  }
  if (round_half_even(static_cast<double>(total) / draws_for(clusters)) > kLargestInterval) {
    return "The total population " + std::to_string(total) + " is too large for the draw.";
  }
  return std::nullopt;
}

ClusterDraw draw_clusters(const std::vector<long long>& populations, int clusters,
                          PlanningRandom& random) {
  ClusterDraw result;
  result.clusters = clusters;
  result.draws = draws_for(clusters);
  for (const long long p : populations) result.population += p;
  result.interval = static_cast<double>(result.population) / result.draws;
  result.random_start = random.next(static_cast<std::uint32_t>(round_half_even(result.interval)));

  // Systematic selection along the cumulative population C: draw k lands in the unit whose
  // stretch holds (k - 1) x SI + RS. With SI = T / M the test (k - 1) x SI + RS < C is made in
  // whole numbers, (k - 1) x T + RS x M < C x M, so that a target falling exactly on the end of a
  // unit's stretch goes to the next unit as it should; in floating point (k - 1) x SI can come out
  // a hair below that end and give the unit one draw more than its share. check_draw() keeps
  // T within kLargestTotal, so these products stay far from overflow.
  std::vector<std::vector<int>> draws_of_unit(populations.size());
  const long long draws = result.draws;
  const long long start = static_cast<long long>(result.random_start) * draws;
  long long cumulative = 0;
  int next_draw = 1;
  for (std::size_t unit = 0; unit < populations.size(); ++unit) {
    cumulative += populations[unit];
    while (next_draw <= result.draws &&
           (next_draw - 1) * result.population + start < cumulative * draws) {
      draws_of_unit[unit].push_back(next_draw++);
    }
  }

  // Reserve clusters: M - n distinct draw numbers among 1 to M.
  std::unordered_set<int> reserves;
  while (static_cast<int>(reserves.size()) < result.draws - clusters) {
    reserves.insert(static_cast<int>(random.next(static_cast<std::uint32_t>(result.draws))) + 1);
  }

  int cluster_number = 0;
  result.labels.resize(populations.size());
  for (std::size_t unit = 0; unit < populations.size(); ++unit) {
    std::string& label = result.labels[unit];
    for (const int draw : draws_of_unit[unit]) {
      if (!label.empty()) label += ',';
      label += reserves.count(draw) ? std::string(kReserveLabel) : std::to_string(++cluster_number);
    }
  }
  return result;
}

ClusterCount read_cluster_count(std::string_view Edit19) {
  ClusterCount count;
  const std::optional<long long> value = parse_whole_number(Edit19);
  if (!value || *value < 1 || *value > kMaxClusters) {
    count.problem = "Number of clusters: \"" + std::string(Edit19) +
                    "\" is not a whole number from 1 to " + std::to_string(kMaxClusters) + ".";
    return count;
  }
  count.clusters = static_cast<int>(*value);
  return count;
}

TablePopulations read_table_populations(const core::TextGrid& table) {
  TablePopulations result;
  int last = 0;
  for (int row = 1; row < table.row_count(); ++row) {
    if (!table.cell(kClusterPopulationColumn, row).empty()) last = row;
  }
  for (int row = 1; row <= last; ++row) {
    const std::string_view cell = table.cell(kClusterPopulationColumn, row);
    if (cell.empty()) {
      result.populations.push_back(0);
      continue;
    }
    const std::optional<long long> value = parse_whole_number(cell);
    if (!value || *value < 0) {
      result.problem = "Row " + std::to_string(row) + ": the population \"" + std::string(cell) +
                       "\" is not a whole number of 0 or more.";
      return result;
    }
    result.populations.push_back(*value);
  }
  return result;
}

AssignResult assign_clusters(core::TextGrid& table, std::string_view Edit19, std::uint32_t seed,
                             const core::LanguageTable& text, core::Prompter& prompter) {
  AssignResult result;
  result.seed = seed;
  const ClusterCount count = read_cluster_count(Edit19);
  if (!count.problem.empty()) {
    result.message = count.problem;
    return result;
  }
  const TablePopulations units = read_table_populations(table);
  if (!units.problem.empty()) {
    result.message = units.problem;
    return result;
  }
  if (const std::optional<std::string> problem = check_draw(units.populations, count.clusters)) {
    result.message = *problem;
    return result;
  }
  bool assigned_before = false;
  for (int row = 1; row < table.row_count() && !assigned_before; ++row) {
    assigned_before = !table.cell(kClusterLabelColumn, row).empty();
  }
  if (assigned_before && !prompter.ask_yes_no(text.text(kReassignQuestion))) {
    result.outcome = AssignOutcome::cancelled;
    return result;
  }
  for (int row = 1; row < table.row_count(); ++row) table.set_cell(kClusterLabelColumn, row, "");
  PlanningRandom random(seed);
  result.draw = draw_clusters(units.populations, count.clusters, random);
  for (std::size_t i = 0; i < result.draw.labels.size(); ++i) {
    table.set_cell(kClusterLabelColumn, static_cast<int>(i) + 1, result.draw.labels[i]);
  }
  result.outcome = AssignOutcome::assigned;
  return result;
}

}  // namespace olvar::planning
