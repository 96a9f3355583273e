// The text conversions run for every cell of every survey read, evaluated and written; the
// Survey table's memory, copy and shape changes at the row limit; reading survey files.

#include <algorithm>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/standard_variables.h"
#include "core/survey_file.h"
#include "core/survey_sort.h"
#include "core/text_conversions.h"
#include "core/variable_columns.h"
#include "core/workspace.h"
#include "peak_memory.h"

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
  olvar::bench::PeakMemoryCounter memory(state);
  for (auto _ : state) {
    olvar::core::add_variable(ws, 20, "VACC");
    olvar::core::delete_variable(ws, 20);
  }
}
BENCHMARK(BM_AddAndDeleteVariable)->Unit(benchmark::kMillisecond);

// A full Survey table: 65,535 rows of 30 columns (row numbers, the 19 standard variables and
// 10 user variables) with the texts a survey holds. "table_MB" is the heap the table holds; the
// timed part is a copy of the whole table.
olvar::core::SurveyTable full_table_30() {
  using olvar::core::StdVar;
  olvar::core::SurveyTable t;
  t.resize(30, olvar::core::kMaxRows);
  for (int k = 0; k < 10; ++k) t.set_cell(20 + k, 0, "VAR" + std::to_string(k));
  std::mt19937 random(42);
  std::normal_distribution<float> z(-0.8f, 1.1f);
  for (int row = 1; row < olvar::core::kMaxRows; ++row) {
    t.set_cell(StdVar::survdate, row, "12.03.2026");
    t.set_cell(StdVar::cluster, row, std::to_string(row % 30 + 1));
    t.set_cell(StdVar::team, row, std::to_string(row % 10 + 1));
    t.set_cell(StdVar::id, row, std::to_string(row));
    t.set_cell(StdVar::hh, row, std::to_string(row / 3));
    t.set_cell(StdVar::sex, row, row % 2 ? "m" : "f");
    t.set_cell(StdVar::birthdat, row, "01.05.2023");
    t.set_cell(StdVar::months, row, "34.40");
    t.set_cell(StdVar::weight, row, "10.2");
    t.set_cell(StdVar::height, row, "82.4");
    t.set_cell(StdVar::edema, row, "n");
    t.set_cell(StdVar::muac, row, "142");
    t.set_cell(StdVar::clothes, row, "n");
    t.set_cell(StdVar::measure, row, "l");
    t.set_cell(StdVar::wtfactor, row, "1");
    for (StdVar v : {StdVar::waz, StdVar::haz, StdVar::whz}) {
      t.set_cell(v, row, olvar::core::format_fixed(z(random), 4, 3));
    }
    for (int k = 0; k < 10; ++k) t.set_cell(20 + k, row, std::to_string((row * (k + 3)) % 97));
  }
  t.renumber_rows();
  return t;
}

void BM_TableMemory65535x30(benchmark::State& state) {
  const std::size_t before = olvar::bench::bytes_in_use();
  const olvar::core::SurveyTable table = full_table_30();
  state.counters["table_MB"] = olvar::bench::megabytes(olvar::bench::bytes_in_use() - before);
  olvar::bench::PeakMemoryCounter memory(state);
  for (auto _ : state) {
    olvar::core::SurveyTable copy = table;
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_TableMemory65535x30)->Unit(benchmark::kMillisecond);

// Inserting a column in the middle of the full table and deleting it again.
void BM_InsertAndEraseColumn65535(benchmark::State& state) {
  olvar::core::SurveyTable table = full_table_30();
  olvar::bench::PeakMemoryCounter memory(state);
  for (auto _ : state) {
    table.insert_column(15);
    table.erase_column(15);
  }
}
BENCHMARK(BM_InsertAndEraseColumn65535)->Unit(benchmark::kMillisecond);

// Peak memory of reading a survey file from disk, against the file's size: "limit_MB" is four
// times the file plus 30 MB. Cases: 0 the full survey (65,535 children, 30 columns); 1 a small
// survey whose individual mortality section has 65,534 short lines under a header line of 254
// variables; 2 the same with the wide line near the end instead; 3 wide lines both at the top and
// near the end, the short lines between them.
std::string survey_file_for_case(int which) {
  using olvar::core::StdVar;
  constexpr olvar::core::DateConventions dmy{olvar::core::DateOrder::dmy, '.', '.'};
  olvar::core::Workspace w;
  if (which == 0) {
    w.survey = full_table_30();
    return olvar::core::survey_file_bytes(w, dmy);
  }
  w.survey = filled_workspace(200).survey;
  olvar::core::TextGrid& mortality = w.mortality_individuals;
  mortality.resize(260, olvar::core::kMaxRows);
  std::vector<int> wide_rows;
  if (which != 2) wide_rows.push_back(which == 1 ? 0 : 1);
  if (which != 1) wide_rows.push_back(olvar::core::kMaxRows - 3);
  for (const int wide_row : wide_rows) {
    for (int column = 1; column < 255; ++column) {
      mortality.set_cell(column, wide_row, "V" + std::to_string(column));
    }
  }
  for (int row = 1; row < olvar::core::kMaxRows; ++row) {
    if (std::find(wide_rows.begin(), wide_rows.end(), row) != wide_rows.end()) continue;
    mortality.set_cell(1, row, "12.03.2026");
    mortality.set_cell(2, row, std::to_string(row % 30 + 1));
    mortality.set_cell(3, row, row % 2 ? "m" : "f");
  }
  return olvar::core::survey_file_bytes(w, dmy);
}

void BM_ReadSurveyFilePeakMemory(benchmark::State& state) {
  const std::string bytes = survey_file_for_case(static_cast<int>(state.range(0)));
  const auto file = std::filesystem::temp_directory_path() / "olvar_bench_read_peak.as";
  {
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  olvar::core::SurveyReadContext context;
  context.dates = {olvar::core::DateOrder::dmy, '.', '.'};
  const olvar::core::Workspace start;
  state.counters["file_MB"] = olvar::bench::megabytes(bytes.size());
  state.counters["limit_MB"] = olvar::bench::megabytes(4 * bytes.size()) + 30.0;
  {
    olvar::bench::PeakMemoryCounter memory(state);
    for (auto _ : state) {
      benchmark::DoNotOptimize(olvar::core::DateiLesen(file, start, context));
    }
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_ReadSurveyFilePeakMemory)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Unit(benchmark::kMillisecond);
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
  olvar::bench::PeakMemoryCounter memory(state);
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
