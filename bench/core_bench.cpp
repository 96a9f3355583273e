// The text conversions run for every cell of every survey read, evaluated and written.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "core/standard_variables.h"
#include "core/text_conversions.h"
#include "core/variable_columns.h"
#include "core/workspace.h"

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

// A survey filled to `rows` rows (header included) with ten variables per child.
olvar::core::Workspace filled_workspace(int rows) {
  using olvar::core::StdVar;
  olvar::core::Workspace ws;
  ws.survey.resize(ws.survey.column_count(), rows);
  for (int row = 1; row < rows; ++row) {
    ws.survey.set_cell(StdVar::survdate, row, "10/12/2026");
    ws.survey.set_cell(StdVar::cluster, row, std::to_string(row % 30 + 1));
    ws.survey.set_cell(StdVar::team, row, "2");
    ws.survey.set_cell(StdVar::id, row, std::to_string(row));
    ws.survey.set_cell(StdVar::hh, row, std::to_string(row / 3));
    ws.survey.set_cell(StdVar::sex, row, row % 2 ? "m" : "f");
    ws.survey.set_cell(StdVar::months, row, "23.5");
    ws.survey.set_cell(StdVar::weight, row, "10.2");
    ws.survey.set_cell(StdVar::height, row, "82.4");
    ws.survey.set_cell(StdVar::waz, row, "-1.235");
  }
  ws.survey.renumber_rows();
  return ws;
}

// The reset that precedes every file read, from a survey at the row limit.
void BM_ResetFromFullTable(benchmark::State& state) {
  const olvar::core::Workspace full = filled_workspace(olvar::core::kMaxRows);
  for (auto _ : state) {
    state.PauseTiming();
    olvar::core::Workspace ws = full;
    state.ResumeTiming();
    olvar::core::reset_to_new_table(ws, "10/12/2026");
    benchmark::DoNotOptimize(ws.survey.row_count());
  }
}
BENCHMARK(BM_ResetFromFullTable)->Unit(benchmark::kMillisecond);

// Moving the cursor to a new row of a long survey: growth by 100 rows, then the common call that
// finds enough spare rows.
void BM_EnsureSpareRows(benchmark::State& state) {
  const bool grows = state.range(0) != 0;
  const int used = grows ? olvar::core::kMaxRows - 150 : olvar::core::kMaxRows - 200;
  olvar::core::Workspace ws = filled_workspace(used);
  ws.survey.resize(ws.survey.column_count(), grows ? used + 50 : olvar::core::kMaxRows);
  for (auto _ : state) {
    if (grows) {
      state.PauseTiming();
      olvar::core::SurveyTable table = ws.survey;
      state.ResumeTiming();
      benchmark::DoNotOptimize(table.ensure_spare_rows());
    } else {
      benchmark::DoNotOptimize(ws.survey.ensure_spare_rows());
    }
  }
}
BENCHMARK(BM_EnsureSpareRows)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Adding and deleting a user variable in a survey at the row limit.
void BM_AddAndDeleteVariable(benchmark::State& state) {
  olvar::core::Workspace ws = filled_workspace(olvar::core::kMaxRows);
  for (auto _ : state) {
    olvar::core::add_variable(ws, 20, "VACC");
    olvar::core::delete_variable(ws, 20);
  }
}
BENCHMARK(BM_AddAndDeleteVariable)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
