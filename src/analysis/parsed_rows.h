#pragma once
// The cells of an analysis table that the prevalence families and age tables read, parsed once.
// A report counts some twenty families over the same table; reading each cell once instead of
// once per family keeps a survey at the row limit quick.
//
//   const ParsedRows rows = parse_rows(analysis.table, '.');
//   prevalence_values(rows, PrevalenceFamily::whz_wasting, inputs);

#include <cmath>
#include <cstdint>
#include <vector>

#include "core/text_grid.h"

namespace olvar::analysis {

struct ParsedRows {
  static constexpr int kNoCluster = -1;  // CLUSTER empty
  // Per row (index = row; row 0 the headings): the cluster number 1 ... 999, 0 for a CLUSTER that
  // is not such a number, kNoCluster when empty.
  std::vector<std::int16_t> cluster;
  std::vector<char> sex;     // 'm' for "m", 'f' for "f", 0 otherwise
  std::vector<bool> oedema;  // EDEMA is "y"
  // NaN where a value is absent: MONTHS unreadable; MUAC empty, unreadable or not above 0
  // (no measurement); a z-score empty, unreadable or not above -20.
  std::vector<float> months, muac, waz, haz, whz;

  int row_count() const { return static_cast<int>(cluster.size()); }
  static bool present(float v) { return !std::isnan(v); }
};

// Which measurement columns to read; CLUSTER, SEX and EDEMA are always read. A column not read
// stays absent in every row.
enum ParsedColumn : unsigned {
  kParseMonths = 1,
  kParseMuac = 2,
  kParseWaz = 4,
  kParseHaz = 8,
  kParseWhz = 16,
  kParseAll = 31
};

ParsedRows parse_rows(const core::TextGrid& table, char decimal_separator,
                      unsigned columns = kParseAll);

}  // namespace olvar::analysis
