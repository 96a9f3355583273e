#pragma once
// Where each WHO growth table sits in anthro_who2005.dat. The file is a flat run of 14,454 LMS
// records addressed by position; each table has a boys' block followed at once by a girls' block
// of the same size, one record per key step. Shared by the generator in tools/ and the reader, so
// that both agree on one layout. Header only, no dependencies.

#include <array>

namespace olvar::anthro {

enum class WhoTable {
  weight_for_age_days,    // WHO Child Growth Standards 2006, 0 to 1856 days
  length_for_age_days,    // length/height-for-age, 0 to 1856 days
  weight_for_length,      // 45.0 to 110.0 cm by 0.1 cm
  weight_for_height,      // 65.0 to 120.0 cm by 0.1 cm
  bmi_for_age_days,       // 0 to 1856 days
  weight_for_age_months,  // WHO growth reference 2007, 61 to 120 months
  height_for_age_months,  // 61 to 228 months
  bmi_for_age_months,     // 61 to 228 months
  muac_for_age_months,    // 3 to 60 months
};

struct WhoBlockLayout {
  WhoTable table;
  int boys_first;    // record number of the boys' first key; the girls' block follows
  int count;         // records per sex
  double first_key;  // key of the first record (days, cm or months)
  double key_step;   // key distance between neighbouring records
};

inline constexpr std::array<WhoBlockLayout, 9> kWhoLayout = {{
    {WhoTable::weight_for_age_days, 0, 1857, 0.0, 1.0},
    {WhoTable::length_for_age_days, 3714, 1857, 0.0, 1.0},
    {WhoTable::weight_for_length, 7428, 651, 45.0, 0.1},
    {WhoTable::weight_for_height, 8730, 551, 65.0, 0.1},
    {WhoTable::bmi_for_age_days, 9832, 1857, 0.0, 1.0},
    {WhoTable::weight_for_age_months, 13546, 60, 61.0, 1.0},
    {WhoTable::height_for_age_months, 13666, 168, 61.0, 1.0},
    {WhoTable::bmi_for_age_months, 14002, 168, 61.0, 1.0},
    {WhoTable::muac_for_age_months, 14338, 58, 3.0, 1.0},
}};

inline constexpr int kWhoRecordCount = 14454;
inline constexpr int kWhoRecordBytes = 24;  // three little-endian IEEE 754 doubles L, M, S

constexpr const WhoBlockLayout& who_layout(WhoTable table) {
  return kWhoLayout[static_cast<int>(table)];
}

// First record and size of one sex's block.
struct WhoBlock {
  int first = 0;
  int count = 0;
  constexpr int last() const { return first + count - 1; }
};

constexpr WhoBlock who_block(WhoTable table, bool girls) {
  const WhoBlockLayout& b = who_layout(table);
  return {girls ? b.boys_first + b.count : b.boys_first, b.count};
}

// The blocks tile the file without gaps or overlaps, in the order of WhoTable.
constexpr bool who_layout_is_contiguous() {
  int next = 0;
  for (int i = 0; i < static_cast<int>(kWhoLayout.size()); ++i) {
    const WhoBlockLayout& b = kWhoLayout[i];
    if (static_cast<int>(b.table) != i || b.boys_first != next) return false;
    next += 2 * b.count;
  }
  return next == kWhoRecordCount;
}
static_assert(who_layout_is_contiguous());
static_assert(who_block(WhoTable::muac_for_age_months, true).last() == kWhoRecordCount - 1);

}  // namespace olvar::anthro
