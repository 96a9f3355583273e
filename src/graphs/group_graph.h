#pragma once
// The group graphs of the results page for the groupings Cluster and Age (`GrafikZeichnenDiscret`):
// the mean of the index per cluster or age band with a whisker of one SD, the MUAC classes by
// age band, and the number of clusters with 0, 1, 2, ... cases against the Poisson and negative
// binomial expectations. Each draw function paints on the 449 x 345 surface; the text lines
// that go with a graph into the result memo come back as values.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text_grid.h"
#include "graphs/surface.h"

namespace olvar::graphs {

// One bar of the group-means graph (single precision, as the bars have always been kept).
struct GroupBar {
  std::string label;  // at most 60 characters
  long long n = 0;
  float mean = 0;
  float sd = 0;
};

// The category list of the grouping Cluster: "CLUSTER {" then "c] c ; " for each distinct
// CLUSTER text of the survey in order of first appearance (at most 999), then "}".
std::string cluster_category_list(const core::TextGrid& survey);
// The category list of the grouping Age: "MONTHS {", the lower bound and ";" of each age group
// whose lower bound is not negative, "}". With the default groups "MONTHS {6;18;30;42;54;}".
std::string age_category_list(const std::vector<std::string>& lower_bounds);
// The six age-band labels of the five age groups (lower L, upper U): "< L1", "L1 to U1", ...,
// "L4 to U4", ">= L5".
std::vector<std::string> age_band_labels(const std::vector<std::string>& lower_bounds,
                                         const std::vector<std::string>& upper_bounds);

// The bars of a category list over the analysis table: the column named by the list's first
// word gives the categories, the column headed `variable` the values. nullopt when either column
// is missing from the table's header row. Age bars take their labels from `age_labels`.
std::optional<std::vector<GroupBar>> group_bars(const core::TextGrid& analysis,
                                                std::string_view variable,
                                                std::string_view category_list,
                                                const std::vector<std::string>& age_labels);

// The group-means graph: axes, bars scaled to the largest mean + SD (a zero line when some mean
// is negative), whiskers, labels and counts. Without a bar or without any spread (P + N not
// above 1e-7) only the axes and their texts.
void draw_group_means(Surface& surface, const std::vector<GroupBar>& bars, const std::string& title,
                      const std::string& variable, const std::string& category_list);
// Axes and texts only: the graph when a column is missing.
void draw_group_axes(Surface& surface, const std::string& title, const std::string& y_text,
                     const std::string& category_list);
// The memo of the group-means graph: the title, an empty line, then one line per bar.
std::vector<std::string> group_means_memo(const std::vector<GroupBar>& bars,
                                          const std::string& title,
                                          const std::string& grouping_caption);

// The shares (percent of the band's children) below the severe cut-off and between the
// cut-offs, for one age band; the rest of the bar, up to 100%, is at or above the moderate one.
struct MuacBand {
  std::string label;
  double severe_percent = 0;
  double moderate_percent = 0;
  long long children = -1;  // the band's children (MUAC or oedema); 0 draws no bar
};
void draw_muac_classes(Surface& surface, const std::vector<MuacBand>& bands,
                       const std::string& title, const std::string& category_list,
                       int severe_cutoff_mm, int moderate_cutoff_mm);

// The cases-per-cluster graph from the count of one case definition in each cluster. Returns
// what it drew so tests and the memo can read it; with fewer than two clusters nothing is drawn.
struct CasesPerCluster {
  int clusters = 0;            // K
  std::vector<int> tally;      // T(k), k = 0 ... 11: clusters with exactly k cases (k < K)
  int highest = 0;             // H, the largest T(k)
  double mean = 0;             // mu
  double variance = 0;         // v (K - 1)
  std::vector<float> poisson;  // K p(k), k = 0 ... 11
  // K q(k), k = 0 ... 11; empty where the negative binomial is undefined (v <= mu or mu = 0)
  std::vector<float> negative_binomial;
};
CasesPerCluster cases_per_cluster(const std::vector<int>& counts);
void draw_cases_per_cluster(Surface& surface, const CasesPerCluster& cases);

}  // namespace olvar::graphs
