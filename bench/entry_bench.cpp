// Typing must stay instant in a full survey: one edit evaluates and checks one row, whatever the
// table's length. The full check (after a paste or a file read) is measured beside it.
#include <benchmark/benchmark.h>

#include <string>

#include "anthro/who_reference.h"
#include "core/language_table.h"
#include "core/workspace.h"
#include "entry/data_entry_controller.h"

namespace {

using namespace olvar;

class SilentPrompter : public core::Prompter {
 public:
  void inform(std::string_view) override {}
  bool ask_yes_no(std::string_view) override { return true; }
  std::optional<std::string> ask_text(std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> choose_file(std::string_view, std::string_view, bool) override {
    return {};
  }
};

// A survey of `rows` children, every row with its measurements.
core::Workspace full_survey(int rows) {
  core::Workspace w;
  core::reset_to_new_table(w, "10.12.2026");
  w.survey.resize(w.survey.column_count(), rows + 1);
  for (int row = 1; row <= rows; ++row) {
    w.survey.set_cell(core::StdVar::survdate, row, "10.12.2026");
    w.survey.set_cell(core::StdVar::cluster, row, std::to_string(1 + row % 30));
    w.survey.set_cell(core::StdVar::id, row, std::to_string(row));
    w.survey.set_cell(core::StdVar::sex, row, row % 2 ? "m" : "f");
    w.survey.set_cell(core::StdVar::months, row, std::to_string(6 + row % 54));
    w.survey.set_cell(core::StdVar::weight, row, "11.2");
    w.survey.set_cell(core::StdVar::height, row, "82.5");
  }
  return w;
}

struct Page {
  explicit Page(int rows)
      : workspace(full_survey(rows)),
        who(anthro::WhoReference::load(std::string(OLVAR_BUILD_DATA_DIR) + "/" +
                                       anthro::kWhoTableFileName)),
        environment{text, who, {core::DateOrder::dmy, '.', '.'}, 2026},
        controller(workspace, environment, prompter) {}
  core::Workspace workspace;
  core::LanguageTable text;
  anthro::WhoReference who;
  entry::EntryEnvironment environment;
  SilentPrompter prompter;
  entry::DataEntryController controller;
};

void BM_EditOneCell(benchmark::State& state) {
  Page page(static_cast<int>(state.range(0)));
  const int row = static_cast<int>(state.range(0)) / 2;
  for (auto _ : state) {
    benchmark::DoNotOptimize(page.controller.edit_cell({9, row}, "12.4"));
  }
}
BENCHMARK(BM_EditOneCell)->Arg(1000)->Arg(65000);

void BM_CheckAllRows(benchmark::State& state) {
  Page page(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(page.controller.check_all());
}
BENCHMARK(BM_CheckAllRows)->Arg(1000)->Arg(65000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
