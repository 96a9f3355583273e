#pragma once
// The two sorting routines of the statistics: values with two companion fields that travel with
// them (a row number, a code), and short texts (team codes). Both are the classic quicksort with
// the middle entry as pivot, so entries with equal keys end in the order the reports have always
// shown them; neither is stable, and callers must not expect it to be.

#include <cstdint>
#include <span>
#include <string>

namespace olvar::stats {

struct ValueEntry {
  float key = 0.0f;
  std::int32_t first = 0;  // companion fields: moved with the key, never compared
  std::int32_t second = 0;
};

// Sorts the entries ascending by key, in place. Any number of entries.
void SortValueBuffer(std::span<ValueEntry> entries);

// Sorts the texts ascending by byte-wise comparison (bytes as unsigned values; a text that is a
// prefix of another comes first), in place. Any number of texts, of any length.
void SortTextBuffer(std::span<std::string> texts);

}  // namespace olvar::stats
