#pragma once
// Bytes the benchmark programs hold on the heap, counted by their own operator new and delete
// (peak_memory.cpp, linked into every benchmark program), so that each benchmark can report the
// memory an operation needs beside its time, whatever the allocator keeps for itself.

#include <benchmark/benchmark.h>

#include <cstddef>

namespace olvar::bench {

// Bytes allocated through operator new and not yet freed.
std::size_t bytes_in_use();
// Starts a new peak at the bytes in use now.
void reset_peak();
// The highest bytes_in_use() since the last reset_peak().
std::size_t peak_bytes();

inline double megabytes(std::size_t bytes) { return static_cast<double>(bytes) / 1e6; }

// Reports "peak_MB": the most memory in use during the benchmark above what was in use when
// this object was made (make it after the fixture, just before the timed loop).
class PeakMemoryCounter {
 public:
  explicit PeakMemoryCounter(benchmark::State& state) : state_(state), base_(bytes_in_use()) {
    reset_peak();
  }
  ~PeakMemoryCounter() {
    const std::size_t peak = peak_bytes();
    state_.counters["peak_MB"] = megabytes(peak > base_ ? peak - base_ : 0);
  }
  PeakMemoryCounter(const PeakMemoryCounter&) = delete;
  PeakMemoryCounter& operator=(const PeakMemoryCounter&) = delete;

 private:
  benchmark::State& state_;
  std::size_t base_;
};

}  // namespace olvar::bench
