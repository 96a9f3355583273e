#pragma once
// The mortality plausibility report: a read-only quality check of the individual mortality
// table (missing and contradictory entries, duplicate households, unusual births and deaths,
// households per cluster, an age histogram, sex and age ratio tests of the children and
// dispersion tests between households and clusters). One builder computes the figures as plain
// values; the report lays out the RTF text of the document buffer from them, and tests and other
// callers read the values without parsing any text. The caller closes the document and hands it
// to the word processor.
//
//   const MortalityCheckValues v = mortality_check_values(ws.mortality_individuals);
//   if (v.under_five) print(v.under_five->sex.p);
//   std::string rtf = mortality::mortality_plausibility_report(v, text);
//   rtf += document::rtf::kDocumentEnd;

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/language_table.h"
#include "core/text_grid.h"
#include "stats/chi_square.h"
#include "stats/dispersion.h"

namespace olvar::mortality {

inline constexpr int kOldestAgeShown = 70;  // the histogram's last bar: "Age < 70"

// Households of one cluster number (1 ... 999), and how many of them have a child under five.
struct ClusterHouseholds {
  int cluster = 0;
  long households = 0;
  long with_child = 0;
};

// The children of an age span, split at an age into younger and older, by sex, tested against
// a sex ratio of one and against the share of younger children the span expects.
struct ChildRatios {
  long younger_boys = 0, older_boys = 0, younger_girls = 0, older_girls = 0;
  double expected_younger = 0.0;  // expected number of younger children, both sexes
  double expected_older = 0.0;
  stats::ChiSquareTest sex;      // boys against girls
  stats::ChiSquareTest age;      // younger against older
  stats::ChiSquareTest age_sex;  // the four groups of age and sex

  long boys() const { return younger_boys + older_boys; }
  long girls() const { return younger_girls + older_girls; }
  // Boys per girl, and younger per older child; none when the denominator is 0.
  std::optional<double> sex_ratio() const;
  std::optional<double> age_ratio() const;
};

struct MortalityCheckValues {
  int last_row = 1;  // the last table row examined (rows 1 ... last_row)

  // Rows of the table, in order. A row is named once per person it concerns in
  // `persons_with_sex_or_age_missing` (a household with two such persons is named twice).
  std::vector<int> households_with_key_missing;  // Cluster, Team or HH empty
  std::vector<int> persons_with_sex_or_age_missing;
  std::vector<int> births_aged_one_or_more;

  // Groups of two or more rows that agree on the key (Cluster, Team, HH), on the household
  // members, and on both: each group in row order, the groups in the order of their first row.
  // Groups, not pairs: thousands of copies of one household make one group, not millions of
  // pairs.
  std::vector<std::vector<int>> same_key, same_members, same_key_and_members;

  std::vector<int> two_or_more_births;  // rows
  std::vector<int> three_or_more_deaths;

  // Cluster numbers with at least one household, in increasing order. Only a Cluster cell that
  // is exactly the digits of a number 1 ... 999 counts.
  std::vector<ClusterHouseholds> households_by_cluster;

  // Persons by age rounded to whole years, [1] ... [kOldestAgeShown]; [0] is unused.
  std::array<long, kOldestAgeShown + 1> persons_by_age{};

  // Children with a whole-year age and sex m/f: under five split at 2 years, under ten split at
  // 5 years; none when the span has no such child.
  std::optional<ChildRatios> under_five, under_ten;

  // Index of dispersion of the household size and of the under-fives per household, over the
  // households (at least two); none when not computable.
  std::optional<stats::Dispersion> household_size, under_fives_per_household;
  // Index of dispersion of deaths, under-five deaths and births over the distinct Cluster texts
  // (at least two).
  std::optional<stats::Dispersion> deaths_by_cluster, under_five_deaths_by_cluster,
      births_by_cluster;
};

// The last row to examine: searching upwards from the second-last row, the first row with a
// Cluster, Team or HH cell; 1 when there is none.
int last_checked_row(const core::TextGrid& individuals);

MortalityCheckValues mortality_check_values(const core::TextGrid& individuals);

std::string mortality_plausibility_report(const MortalityCheckValues& values,
                                          const core::LanguageTable& text);

// Both steps at once, for the callers that only want the document.
std::string mortality_plausibility_report(const core::TextGrid& individuals,
                                          const core::LanguageTable& text);

}  // namespace olvar::mortality
