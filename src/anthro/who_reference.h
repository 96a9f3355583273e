#pragma once
// The WHO reference table: the LMS records of anthro_who2005.dat (layout in who_table_layout.h),
// read once at start-up and never changed. Without the file the table is all zeros: the engine
// still runs, and every WHO index comes out not computed.

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "anthro/lms.h"
#include "anthro/who_table_layout.h"

namespace olvar::anthro {

inline constexpr const char* kWhoTableFileName = "anthro_who2005.dat";

// A table file that exists but cannot be used: wrong size, unreadable.
class WhoTableError : public std::runtime_error {
 public:
  WhoTableError(std::filesystem::path path, std::uintmax_t size_found, std::uintmax_t size_expected,
                const std::string& what);
  const std::filesystem::path& path() const { return path_; }
  std::uintmax_t size_found() const { return size_found_; }
  std::uintmax_t size_expected() const { return size_expected_; }

 private:
  std::filesystem::path path_;
  std::uintmax_t size_found_;
  std::uintmax_t size_expected_;
};

class WhoReference {
 public:
  // The all-zero table of a program folder without the file.
  WhoReference();
  // A table from the given records, the rest zero; tests build small tables this way.
  // More than kWhoRecordCount records is a programming error (std::invalid_argument).
  explicit WhoReference(std::vector<Lms> records);

  // Reads the table file. A missing file gives the all-zero table with found() false, so that
  // the caller can tell the user that WHO z-scores cannot be computed. A file of any other size
  // than 14,454 records, or one that cannot be read, throws WhoTableError rather than being
  // read in part; so does one whose content no WHO table holds (a value that is not finite, an
  // S not in (0, 0.5], a median outside the range of its block).
  static WhoReference load(const std::filesystem::path& path);

  // False when the table file was missing: every WHO index stays not computed.
  bool found() const { return found_; }

  // Record `index` of the file; zero outside the table.
  Lms record(int index) const {
    return index >= 0 && index < kWhoRecordCount ? entries_[index].lms : Lms{};
  }

  // lms_curve_points(record(index)), worked out once when the table is built: most lookups land
  // on a record, and the curve points are most of an index's arithmetic. Null outside the table.
  const CurvePoints* curve_points(int index) const {
    return index >= 0 && index < kWhoRecordCount ? &entries_[index].curve_points : nullptr;
  }

  // MUAC-for-age at each whole day of age up to kMuacDays - 1, interpolated from the monthly
  // table when the table is built (who_muac_lms gives the rule), with its curve points: a child's
  // age is mostly a whole number of days, and MUAC would otherwise need the nine power functions
  // for every child. Null for a day outside the range or below 3 months.
  static constexpr int kMuacDays = 1827;
  const Lms* muac_day_lms(bool girls, int day) const;
  const CurvePoints* muac_day_curve_points(bool girls, int day) const;

 private:
  // L, M, S beside their curve points, so that a lookup touches one place in memory.
  struct Entry {
    Lms lms;
    CurvePoints curve_points{};
    bool known = false;
  };
  void derive(std::vector<Lms> records);

  std::vector<Entry> entries_;
  std::vector<Entry> muac_days_;  // boys' days, then girls'
  bool found_ = false;
};

}  // namespace olvar::anthro
