// Throughput of the z-score engine on a survey-sized batch of plausible children.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <random>
#include <string>
#include <vector>

#include <filesystem>

#include "workspace/survey_session.h"
#include "anthro/zscore_batch.h"
#include "anthro/zscore_engine.h"
#include "core/prompter.h"
#include "core/survey_file.h"
#include "core/text_conversions.h"
#include "peak_memory.h"

namespace {

using olvar::anthro::Measurement;
using olvar::anthro::Reference;
using olvar::anthro::WhoReference;

// Children from birth to five years with weights, lengths and MUAC around the WHO medians, a few
// with oedema, clothes or no position, so that every index and both position rules are exercised.
// Ages as surveys give them: whole days from the dates of birth and measurement for most, whole
// months (times 30.4375 days) where the birth date is unknown, a few missing.
std::vector<Measurement> random_children(int count, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> age(0, 1825);
  std::uniform_int_distribution<int> age_months(0, 59);
  std::normal_distribution<double> spread(0.0, 1.0);
  std::uniform_int_distribution<int> coin(0, 99);
  std::vector<Measurement> children(count);
  for (Measurement& m : children) {
    const double days = coin(rng) < 70 ? age(rng) : age_months(rng) * 30.4375;
    const double months = days / 30.4375;
    // Rough median growth: 3.3 kg and 50 cm at birth, 18 kg and 110 cm at five years.
    const double length_cm = 50.0 + 60.0 * std::sqrt(months / 60.0) + 4.0 * spread(rng);
    const double weight_kg = 3.3 + 14.7 * std::sqrt(months / 60.0) * (1.0 + 0.12 * spread(rng));
    m.sex = coin(rng) < 50 ? 'm' : 'f';
    m.age_days = coin(rng) < 3 ? -1.0 : days;
    m.weight_g = static_cast<int>(std::lround(weight_kg * 1000.0));
    m.height_cm_x1000 = static_cast<int>(std::lround(length_cm * 10.0)) * 100;
    m.muac_mm_x100 = static_cast<int>(std::lround((130.0 + 15.0 * spread(rng)))) * 100;
    const int position = coin(rng);
    m.position = position < 45 ? (days < 731 ? 'l' : 'h') : position < 90 ? ' ' : 'l';
    m.oedema = coin(rng) < 2 ? 'y' : 'n';
    if (coin(rng) < 10) {
      m.clothes = 'y';
      m.clothes_weight_g = 300;
    }
  }
  return children;
}

void evaluate_all(benchmark::State& state, Reference reference) {
  const WhoReference who =
      WhoReference::load(std::string(OLVAR_BUILD_DATA_DIR) + "/anthro_who2005.dat");
  if (!who.found()) {
    state.SkipWithError("anthro_who2005.dat not found in the build data folder");
    return;
  }
  const std::vector<Measurement> children =
      random_children(static_cast<int>(state.range(0)), /*seed=*/42);
  for (auto _ : state) {
    for (const Measurement& m : children) benchmark::DoNotOptimize(evaluate(m, reference, who));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_EvaluateWho(benchmark::State& state) { evaluate_all(state, Reference::who2006); }
void BM_EvaluateNchs(benchmark::State& state) { evaluate_all(state, Reference::nchs1977); }

// A typical survey, and a batch of 100,000 children.
BENCHMARK(BM_EvaluateWho)->Arg(900)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluateNchs)->Arg(900)->Arg(100'000)->Unit(benchmark::kMillisecond);

// The comma-separated file olvar-cli zscores reads, made from the same children.
std::string csv_of(const std::vector<Measurement>& children) {
  std::string text = "id,sex,age_days,weight_kg,height_cm,measure,oedema,muac_mm\n";
  char line[160];
  int id = 0;
  for (const Measurement& m : children) {
    std::snprintf(line, sizeof line, "%d,%c,%.0f,%.1f,%.1f,%c,%c,%d\n", ++id, m.sex,
                  m.age_days < 0 ? 0.0 : m.age_days, m.weight_g / 1000.0,
                  m.height_cm_x1000 / 1000.0, m.position == ' ' ? 'h' : m.position, m.oedema,
                  m.muac_mm_x100 / 100);
    text += line;
  }
  return text;
}

// Swallows output, so that the benchmark measures parsing, the engine and formatting.
class NullBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

void BM_ZscoreBatch(benchmark::State& state) {
  const WhoReference who =
      WhoReference::load(std::string(OLVAR_BUILD_DATA_DIR) + "/anthro_who2005.dat");
  const std::string csv = csv_of(random_children(static_cast<int>(state.range(0)), 42));
  NullBuffer null_buffer;
  std::ostream out(&null_buffer);
  for (auto _ : state) {
    std::istringstream in(csv);
    benchmark::DoNotOptimize(run_zscore_batch(in, out, Reference::who2006, who));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ZscoreBatch)->Arg(100'000)->Unit(benchmark::kMillisecond);

// What olvar-cli zscores does: a file of a million children in, a file with their z-scores out.
// Wall-clock time (all cores) and the CPU time of the whole process.
void BM_ZscoreBatchFiles(benchmark::State& state) {
  const WhoReference who =
      WhoReference::load(std::string(OLVAR_BUILD_DATA_DIR) + "/anthro_who2005.dat");
  const auto folder = std::filesystem::temp_directory_path();
  const auto input_file = folder / "olvar_bench_zscores_in.csv";
  const auto output_file = folder / "olvar_bench_zscores_out.csv";
  {
    const std::string csv = csv_of(random_children(static_cast<int>(state.range(0)), 42));
    std::ofstream out(input_file, std::ios::binary);
    out.write(csv.data(), static_cast<std::streamsize>(csv.size()));
  }
  {
    olvar::bench::PeakMemoryCounter memory(state);
    for (auto _ : state) {
      std::ifstream in(input_file, std::ios::binary);
      std::ofstream out(output_file, std::ios::binary | std::ios::trunc);
      benchmark::DoNotOptimize(run_zscore_batch(in, out, Reference::who2006, who));
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  std::filesystem::remove(input_file);
  std::filesystem::remove(output_file);
}
BENCHMARK(BM_ZscoreBatchFiles)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// Opening and saving a full survey as the window does: 65,535 children with 10 user variables,
// read from disk with every row evaluated (WHO), and saved with its backup.
olvar::core::Workspace full_survey() {
  using olvar::core::StdVar;
  olvar::core::Workspace w;
  olvar::core::SurveyTable& t = w.survey;
  t.resize(olvar::core::kFirstUserColumn + 11, olvar::core::kMaxRows);
  for (int k = 0; k < 10; ++k) {
    t.set_cell(olvar::core::kFirstUserColumn + k, 0, "VAR" + std::to_string(k));
  }
  std::mt19937 random(42);
  std::uniform_int_distribution<int> cluster(1, 30);
  std::uniform_int_distribution<int> birth_day(1, 28);
  std::uniform_int_distribution<int> birth_month(1, 12);
  std::uniform_int_distribution<int> birth_year(2021, 2025);
  std::normal_distribution<float> spread(0.0f, 1.0f);
  for (int row = 1; row < olvar::core::kMaxRows; ++row) {
    const int year = birth_year(random);
    const float months = static_cast<float>((2026 - year) * 12);
    const float height = 66.0f + 0.75f * months + 3.0f * spread(random);
    t.set_cell(StdVar::survdate, row, "12.03.2026");
    t.set_cell(StdVar::cluster, row, std::to_string(cluster(random)));
    t.set_cell(StdVar::team, row, "1");
    t.set_cell(StdVar::id, row, std::to_string(row));
    t.set_cell(StdVar::hh, row, std::to_string(row / 2));
    t.set_cell(StdVar::sex, row, row % 2 ? "m" : "f");
    t.set_cell(StdVar::birthdat, row, std::to_string(birth_day(random)) + "." +
                                          std::to_string(birth_month(random)) + "." +
                                          std::to_string(year));
    t.set_cell(StdVar::weight, row,
               olvar::core::format_fixed_trimmed(
                   (height - 40.0f) * 0.2f * (1.0f + 0.09f * spread(random)), 4, 1));
    t.set_cell(StdVar::height, row, olvar::core::format_fixed_trimmed(height, 4, 1));
    t.set_cell(StdVar::edema, row, row % 97 ? "n" : "y");
    t.set_cell(StdVar::muac, row, std::to_string(125 + row % 30));
    for (int k = 0; k < 10; ++k) {
      t.set_cell(olvar::core::kFirstUserColumn + k, row, std::to_string((row * (k + 3)) % 97));
    }
  }
  t.renumber_rows();
  return w;
}

class SilentPrompter : public olvar::core::Prompter {
 public:
  void inform(std::string_view) override {}
  bool ask_yes_no(std::string_view) override { return false; }
  std::optional<std::string> ask_text(std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> choose_file(std::string_view, std::string_view, bool) override {
    return {};
  }
};

constexpr olvar::core::DateConventions kDmy{olvar::core::DateOrder::dmy, '.', '.'};

struct BenchSession {
  WhoReference who = WhoReference::load(std::string(OLVAR_BUILD_DATA_DIR) + "/anthro_who2005.dat");
  olvar::core::SettingsRecord settings;
  olvar::core::LanguageTable text;
  SilentPrompter prompter;
  olvar::workspace::SurveySession get() {
    return {settings, kDmy, text, who, olvar::platform::LocalDate{2026, 3, 12}, prompter};
  }
};

void BM_OpenSurvey65535WithEvaluation(benchmark::State& state) {
  BenchSession session;
  if (!session.who.found()) {
    state.SkipWithError("anthro_who2005.dat not found in the build data folder");
    return;
  }
  const auto file = std::filesystem::temp_directory_path() / "olvar_bench_open.as";
  olvar::core::write_file_with_backup(file, olvar::core::survey_file_bytes(full_survey(), kDmy));
  olvar::bench::PeakMemoryCounter memory(state);
  for (auto _ : state) {
    olvar::core::Workspace w;
    const auto outcome = olvar::workspace::open_survey(w, file, session.get());
    if (!outcome.opened) state.SkipWithError("the survey was not opened");
    benchmark::DoNotOptimize(w);
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_OpenSurvey65535WithEvaluation)->Unit(benchmark::kMillisecond);

void BM_SaveSurvey65535(benchmark::State& state) {
  BenchSession session;
  olvar::core::Workspace w = full_survey();
  const auto file = std::filesystem::temp_directory_path() / "olvar_bench_save_session.as";
  w.file_name = file.string();
  bool filter_active = false;
  for (auto _ : state) {
    const auto saved = olvar::workspace::save_survey(w, session.get(), filter_active);
    if (!saved.outcome.saved) state.SkipWithError("the survey was not saved");
  }
  std::filesystem::remove(file);
  std::filesystem::remove(std::filesystem::path(file).replace_extension(".bak"));
}
BENCHMARK(BM_SaveSurvey65535)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
