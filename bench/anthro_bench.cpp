// Throughput of the z-score engine on a survey-sized batch of plausible children.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <random>
#include <string>
#include <vector>

#include "anthro/zscore_batch.h"
#include "anthro/zscore_engine.h"

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

}  // namespace

BENCHMARK_MAIN();
