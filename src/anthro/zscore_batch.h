#pragma once
// z-scores for a comma-separated file of children (quoted fields, line ends and byte order mark
// as core/csv_reader.h reads them), one record at a time, so that a file of any size runs in
// constant memory. The same engine call as row evaluation, with the measurements
// rounded the same way.
//
// Input: a header line naming the columns (any order, case ignored): sex (m/f or 1/2),
// age_days (decimal, empty = missing), weight_kg, height_cm, measure (l, h or empty),
// oedema (y, n or empty), muac_mm. Missing optional columns count as empty; other columns pass
// through unchanged. A record with more or fewer fields than the header is left out and
// counted (its fields cannot be matched to their columns). Output: each input record as it stands, then waz,haz,whz,baz,muacz (three decimals, empty
// when not computed) and, for NCHS, wam,ham,whm (percent of median, two decimals).

#include <cstdint>
#include <iosfwd>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "anthro/measurement.h"
#include "anthro/who_reference.h"

namespace olvar::anthro {

// The input cannot be used at all (no header, a required column missing).
class ZscoreBatchError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A record whose number of fields is not the header's: its fields cannot be told apart (a
// comma too many, a field missing, a record cut short), so it is left out of the output.
struct SkippedRecord {
  std::int64_t line = 0;  // 1-based line where the record starts
  std::size_t fields = 0;
};

struct ZscoreBatchSummary {
  std::int64_t rows = 0;                 // records written with their z-scores
  std::int64_t rows_without_zscore = 0;  // rows for which no index could be computed
  // Why fields could not be used: "weight_kg is not a number" -> rows.
  std::map<std::string, std::int64_t> unreadable_fields;
  std::size_t header_fields = 0;
  std::int64_t rows_skipped = 0;  // records left out for their number of fields
  // The first kListedSkips of them, in input order.
  static constexpr std::size_t kListedSkips = 20;
  std::vector<SkippedRecord> skipped;
  // One line for standard error: "1000 rows; 3 without any z-score (2 weight_kg is not a
  // number, 1 sex is not m, f, 1 or 2)".
  std::string describe() const;
  // One line per listed skipped record ("line 7: 8 fields where the header has 7; the record
  // was left out"), then how many more there were.
  std::vector<std::string> skipped_lines() const;
};

// Reads `in` to its end and writes the result to `out`. Throws ZscoreBatchError when the header
// lacks sex, weight_kg or height_cm, and std::ios_base::failure-like ZscoreBatchError when
// writing fails.
ZscoreBatchSummary run_zscore_batch(std::istream& in, std::ostream& out, Reference reference,
                                    const WhoReference& who);

}  // namespace olvar::anthro
