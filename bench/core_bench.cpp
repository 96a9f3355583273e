// The text conversions run for every cell of every survey read, evaluated and written.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "core/text_conversions.h"

namespace {

std::vector<std::string> sample_cells(std::size_t count) {
  std::mt19937 random(42);
  std::uniform_real_distribution<float> weight(3.0f, 30.0f);
  std::vector<std::string> cells;
  for (std::size_t i = 0; i < count; ++i) {
    std::string text = std::to_string(weight(random));
    text.resize(text.find('.') + 2);  // one decimal, as typed
    if (i % 3 == 0) text[text.find('.')] = ',';
    if (i % 50 == 0) text = "";
    cells.push_back(text);
  }
  return cells;
}

void BM_ParseTolerant(benchmark::State& state) {
  const auto cells = sample_cells(4096);
  for (auto _ : state) {
    for (const auto& cell : cells) benchmark::DoNotOptimize(olvar::core::parse_tolerant(cell));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(cells.size()));
}
BENCHMARK(BM_ParseTolerant);

void BM_FormatFixedZscore(benchmark::State& state) {
  std::mt19937 random(42);
  std::normal_distribution<float> z(-0.8f, 1.1f);
  std::vector<float> values(4096);
  for (float& v : values) v = z(random);
  for (auto _ : state) {
    for (float v : values) benchmark::DoNotOptimize(olvar::core::format_fixed(v, 4, 3));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}
BENCHMARK(BM_FormatFixedZscore);

}  // namespace

BENCHMARK_MAIN();
