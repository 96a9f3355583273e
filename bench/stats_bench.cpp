// The statistics every report computes on the analysis table, at the 65,535-row limit of a
// survey: the summary of one z-score column and the Shapiro-Wilk test of its values.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/text_grid.h"
#include "stats/cluster_estimate.h"
#include "stats/column_summary.h"
#include "stats/shape_statistics.h"
#include "stats/shapiro_wilk.h"

namespace {

constexpr int kRows = 65'535;
constexpr int kWhz = 15;

// An analysis table of kRows children in 30 clusters with WHZ written with three decimals, as
// row evaluation writes it; one cell in 40 is empty (not computed or excluded).
olvar::core::TextGrid analysis_table() {
  olvar::core::TextGrid grid(20, kRows + 1);
  grid.set_cell(kWhz, 0, "WHZ");
  std::mt19937 random(42);
  std::normal_distribution<double> whz(-0.8, 1.1);
  char text[32];
  for (int row = 1; row <= kRows; ++row) {
    grid.set_cell(2, row, std::to_string(1 + row % 30));
    if (row % 40 == 0) continue;
    std::snprintf(text, sizeof text, "%.3f", whz(random));
    grid.set_cell(kWhz, row, text);
  }
  return grid;
}

void BM_ColumnSummaryWhz(benchmark::State& state) {
  const olvar::core::TextGrid grid = analysis_table();
  for (auto _ : state) {
    benchmark::DoNotOptimize(olvar::stats::DeskripStatCont(grid, kWhz));
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ColumnSummaryWhz)->Unit(benchmark::kMillisecond);

void BM_ShapiroWilk(benchmark::State& state) {
  std::mt19937 random(42);
  std::normal_distribution<double> whz(-0.8, 1.1);
  std::vector<double> values(kRows);
  for (double& v : values) v = whz(random);
  for (auto _ : state) {
    benchmark::DoNotOptimize(olvar::stats::ShapiroWilkW(values));  // sorts its own copy
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ShapiroWilk)->Unit(benchmark::kMillisecond);

// The plausibility report's path for one index: present values from the table, then the test.
void BM_ShapiroWilkFromTable(benchmark::State& state) {
  const olvar::core::TextGrid grid = analysis_table();
  for (auto _ : state) {
    benchmark::DoNotOptimize(olvar::stats::ShapiroWilkW(olvar::stats::present_values(grid, kWhz)));
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ShapiroWilkFromTable)->Unit(benchmark::kMillisecond);

void BM_ClusterSummaryAndDesignEffect(benchmark::State& state) {
  const olvar::core::TextGrid grid = analysis_table();
  for (auto _ : state) {
    const auto records = olvar::stats::Cluster_Zusammenfassung(grid, kWhz, -2.0);
    benchmark::DoNotOptimize(olvar::stats::DesignEffect(records));
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ClusterSummaryAndDesignEffect)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
