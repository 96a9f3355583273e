#include "stats/sort_buffers.h"

#include <utility>

namespace olvar::stats {

namespace {

// Hoare's partition with the middle entry as pivot (Wirth, Algorithms + Data Structures =
// Programs, 2.3.3). The smaller part is sorted by recursion and the larger one by the loop, so
// the stack stays below log2(n) frames even on adversarial orders; the result is the one the
// doubly recursive form gives.
template <typename T, typename Less>
void quicksort(std::span<T> items, std::ptrdiff_t low, std::ptrdiff_t high, Less less) {
  while (low < high) {
    const auto pivot = items[static_cast<std::size_t>(low + (high - low) / 2)];
    std::ptrdiff_t i = low;
    std::ptrdiff_t j = high;
    do {
      while (less(items[static_cast<std::size_t>(i)], pivot)) ++i;
      while (less(pivot, items[static_cast<std::size_t>(j)])) --j;
      if (i <= j) {
        std::swap(items[static_cast<std::size_t>(i)], items[static_cast<std::size_t>(j)]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - low < high - i) {
      if (low < j) quicksort(items, low, j, less);
      low = i;
    } else {
      if (i < high) quicksort(items, i, high, less);
      high = j;
    }
  }
}

}  // namespace

void SortValueBuffer(std::span<ValueEntry> entries) {
  if (entries.size() < 2) return;
  quicksort(entries, 0, static_cast<std::ptrdiff_t>(entries.size()) - 1,
            [](const ValueEntry& a, const ValueEntry& b) { return a.key < b.key; });
}

void SortTextBuffer(std::span<std::string> texts) {
  if (texts.size() < 2) return;
  // std::string compares through char_traits<char>, which orders bytes as unsigned char.
  quicksort(texts, 0, static_cast<std::ptrdiff_t>(texts.size()) - 1,
            [](const std::string& a, const std::string& b) { return a < b; });
}

}  // namespace olvar::stats
