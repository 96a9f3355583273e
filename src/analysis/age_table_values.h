#pragma once
// An age table of one index: for each age group of the Options page and for the whole range,
// the children counted and how many fall into each of three categories and have oedema. Plain
// values; the results report lays them out.
//
//   const auto rows = age_table_values(whz.table, AgeTableFamily::whz, groups, {});
//   for (const AgeGroupValues& g : rows) if (g.n > 0) print(g.category[0].count, ...);

#include <array>
#include <functional>
#include <vector>

#include "core/text_grid.h"
#include "analysis/prevalence_values.h"

namespace olvar::analysis {

enum class AgeTableFamily {
  whz,             // n: WHZ or oedema; categories WHZ < -3, -3 <= WHZ < -2, WHZ >= -2
  waz,             // n: WAZ; the same categories on WAZ
  haz,             // n: HAZ; the same categories on HAZ
  muac,            // n: MUAC or oedema; MUAC < severe, severe <= MUAC < moderate, >= moderate
  whz_overweight,  // n: WHZ or oedema; WHZ > 2 no oedema, WHZ > 3 no oedema, none
};

// One age group in months: a child belongs when lower <= MONTHS < upper + 1.
struct AgeGroup {
  double lower = 0.0;
  double upper = 0.0;
};

struct CountAndPercent {
  int count = 0;
  double percent = 0.0;  // count / n x 100; 0 when n is 0
};

struct AgeGroupValues {
  AgeGroup group;
  int n = 0;
  std::array<CountAndPercent, 3> category;
  CountAndPercent oedema;
};

// One entry per group followed by the whole range (first lower to last upper bound). The
// categories count present values only, whatever the oedema; a MUAC of 0 or empty is absent.
std::vector<AgeGroupValues> age_table_values(const core::TextGrid& table, AgeTableFamily family,
                                             const std::vector<AgeGroup>& groups,
                                             const PrevalenceInputs& inputs);
// The same over a table parsed once (parsed_rows.h).
std::vector<AgeGroupValues> age_table_values(const ParsedRows& rows, AgeTableFamily family,
                                             const std::vector<AgeGroup>& groups,
                                             const PrevalenceInputs& inputs);

// How one row counts in an age table: in n or not, its categories and its oedema.
struct RowCategories {
  bool counted = false;
  std::array<bool, 3> in{};
  bool oedema = false;
};

// The same table for a categorisation the families above do not name (the weight-for-height
// percent of median of the results report): `classify` is asked about every row with a readable
// MONTHS whose SEX belongs to the subset.
std::vector<AgeGroupValues> age_table_of_rows(const core::TextGrid& table,
                                              const std::vector<AgeGroup>& groups, SexSubset sex,
                                              char decimal_separator,
                                              const std::function<RowCategories(int row)>& classify);
std::vector<AgeGroupValues> age_table_of_rows(const ParsedRows& rows,
                                              const std::vector<AgeGroup>& groups, SexSubset sex,
                                              const std::function<RowCategories(int row)>& classify);

}  // namespace olvar::analysis
