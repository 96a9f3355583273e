// The text conversions run for every cell of every survey read, evaluated and written.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/survey_file.h"
#include "core/survey_sort.h"
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

// The largest survey the table holds: 65,534 children, the 19 standard and 10 user variables.
olvar::core::Workspace full_survey() {
  using olvar::core::StdVar;
  olvar::core::Workspace w;
  olvar::core::SurveyTable& t = w.survey;
  constexpr int kChildren = olvar::core::kMaxRows - 1;
  t.resize(olvar::core::kFirstUserColumn + 10, olvar::core::kMaxRows);
  for (int k = 0; k < 10; ++k)
    t.set_cell(olvar::core::kFirstUserColumn + k, 0, "VAR" + std::to_string(k));
  std::mt19937 random(42);
  std::uniform_int_distribution<int> cluster(1, 30);
  std::uniform_real_distribution<float> weight(6.0f, 20.0f);
  std::normal_distribution<float> z(-0.8f, 1.1f);
  for (int row = 1; row <= kChildren; ++row) {
    t.set_cell(StdVar::survdate, row, "12.03.2006");
    t.set_cell(StdVar::cluster, row, std::to_string(cluster(random)));
    t.set_cell(StdVar::team, row, "1");
    t.set_cell(StdVar::id, row, std::to_string(row));
    t.set_cell(StdVar::hh, row, std::to_string(row / 2));
    t.set_cell(StdVar::sex, row, row % 2 ? "m" : "f");
    t.set_cell(StdVar::birthdat, row, "01.05.2003");
    t.set_cell(StdVar::months, row, "34.40");
    t.set_cell(StdVar::weight, row, olvar::core::format_fixed_trimmed(weight(random), 4, 1));
    t.set_cell(StdVar::height, row, "93.1");
    t.set_cell(StdVar::edema, row, "n");
    t.set_cell(StdVar::muac, row, "142");
    for (StdVar v : {StdVar::waz, StdVar::haz, StdVar::whz}) {
      t.set_cell(v, row, olvar::core::format_fixed(z(random), 4, 3));
    }
    for (int k = 0; k < 10; ++k) {
      t.set_cell(olvar::core::kFirstUserColumn + k, row, std::to_string((row * (k + 3)) % 97));
    }
  }
  t.renumber_rows();
  return w;
}

constexpr olvar::core::DateConventions kDmy{olvar::core::DateOrder::dmy, '.', '.'};

// Row evaluation is left out (no evaluator): it belongs to the z-score engine's benchmarks.
void BM_ReadSurveyFile65535(benchmark::State& state) {
  const std::string bytes = olvar::core::survey_file_bytes(full_survey(), kDmy);
  olvar::core::SurveyReadContext context;
  context.dates = kDmy;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        olvar::core::read_survey_bytes(bytes, "bench.as", olvar::core::Workspace{}, context));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_ReadSurveyFile65535)->Unit(benchmark::kMillisecond);

void BM_SurveyFileBytes65535(benchmark::State& state) {
  const olvar::core::Workspace w = full_survey();
  for (auto _ : state) benchmark::DoNotOptimize(olvar::core::survey_file_bytes(w, kDmy));
}
BENCHMARK(BM_SurveyFileBytes65535)->Unit(benchmark::kMillisecond);

// The whole save to disk: bytes, temporary file, backup and rename.
void BM_SaveSurveyFile65535(benchmark::State& state) {
  const olvar::core::Workspace w = full_survey();
  const auto file = std::filesystem::temp_directory_path() / "olvar_bench_save.as";
  for (auto _ : state) {
    olvar::core::write_file_with_backup(file, olvar::core::survey_file_bytes(w, kDmy));
  }
  std::filesystem::remove(file);
  std::filesystem::remove(std::filesystem::path(file).replace_extension(".bak"));
}
BENCHMARK(BM_SaveSurveyFile65535)->Unit(benchmark::kMillisecond);

void BM_SortSurvey65535ByClusterThenId(benchmark::State& state) {
  const olvar::core::Workspace original = full_survey();
  for (auto _ : state) {
    state.PauseTiming();
    olvar::core::Workspace w = original;
    state.ResumeTiming();
    olvar::core::SortSurvey(w, olvar::core::column(olvar::core::StdVar::cluster),
                            olvar::core::column(olvar::core::StdVar::id),
                            olvar::core::SortOrder::descending);
    benchmark::DoNotOptimize(w);
  }
}
BENCHMARK(BM_SortSurvey65535ByClusterThenId)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
