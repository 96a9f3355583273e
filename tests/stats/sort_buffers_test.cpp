#include "stats/sort_buffers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace olvar::stats {
namespace {

std::vector<std::int32_t> companions(const std::vector<ValueEntry>& entries) {
  std::vector<std::int32_t> out;
  for (const ValueEntry& e : entries) out.push_back(e.first);
  return out;
}

TEST(SortValueBuffer, PlacesEqualKeysAsTheMiddlePivotQuicksortDoes) {
  // Keys 2, 1, 2, 1 with companions 1, 2, 3, 4, by hand: pivot key 1 (entry 2); entry 1 (2) and
  // entry 4 (1) swap, the scan meets at entry 2; the left part is sorted, the right part
  // {2 (3), 2 (1)} swaps once. Result companions 4, 2, 1, 3.
  std::vector<ValueEntry> entries = {{2.0f, 1, 10}, {1.0f, 2, 20}, {2.0f, 3, 30}, {1.0f, 4, 40}};
  SortValueBuffer(entries);
  EXPECT_EQ(companions(entries), (std::vector<std::int32_t>{4, 2, 1, 3}));
  for (const ValueEntry& e : entries) EXPECT_EQ(e.second, e.first * 10);  // moved together
}

TEST(SortValueBuffer, SortsLargeAndAdversarialInputs) {
  struct Case { const char* what; std::vector<float> keys; };
  std::vector<float> random_keys(100'000);
  std::mt19937 random(3);
  std::uniform_int_distribution<int> digit(-300, 300);  // many ties, as z-scores have
  for (float& k : random_keys) k = static_cast<float>(digit(random)) / 100.0f;
  std::vector<float> ascending(100'000), descending(100'000), equal(100'000, -1.5f);
  for (int i = 0; i < 100'000; ++i) {
    ascending[static_cast<std::size_t>(i)] = static_cast<float>(i);
    descending[static_cast<std::size_t>(i)] = static_cast<float>(-i);
  }
  const Case kCases[] = {{"random with ties", random_keys}, {"ascending", ascending},
                         {"descending", descending}, {"all equal", equal}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    std::vector<ValueEntry> entries;
    for (std::size_t i = 0; i < c.keys.size(); ++i) {
      entries.push_back({c.keys[i], static_cast<std::int32_t>(i), 0});
    }
    SortValueBuffer(entries);
    EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(),
                               [](const ValueEntry& a, const ValueEntry& b) { return a.key < b.key; }));
    for (const ValueEntry& e : entries) {
      ASSERT_EQ(e.key, c.keys[static_cast<std::size_t>(e.first)]);  // companions kept
    }
  }
  std::vector<ValueEntry> none;
  SortValueBuffer(none);
}

TEST(SortTextBuffer, OrdersBytesUnsignedAndPrefixesFirst) {
  std::vector<std::string> texts = {"B", "a", "AB", "\xE9t\xE9", "A", "", "10", "9", "1"};
  SortTextBuffer(texts);
  EXPECT_EQ(texts, (std::vector<std::string>{"", "1", "10", "9", "A", "AB", "B", "a",
                                             "\xE9t\xE9"}));
}

}  // namespace
}  // namespace olvar::stats
