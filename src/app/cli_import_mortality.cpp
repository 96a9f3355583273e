// olvar-cli import-mortality: a new survey file whose individual mortality table is built from a
// household roster and its lists of persons who left and who died during the recall period.

#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "app/cli_commands.h"
#include "core/cell_text.h"
#include "core/survey_file.h"
#include "core/workspace.h"
#include "mortality/death_rates.h"
#include "mortality/roster_import.h"
#include "platform/safe_write.h"

namespace olvar::cli {

namespace {

struct ImportMortalityArguments {
  std::string roster_path;
  std::string left_path;
  std::string died_path;
  std::string recall_days;
  std::string output_path;
};

std::string read_whole_file(const std::string& path) {
  if (path.empty()) return {};
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int run_import_mortality(const ImportMortalityArguments& args) {
  for (const std::string& input : {args.roster_path, args.left_path, args.died_path}) {
    if (!input.empty() && platform::is_same_file(input, args.output_path)) {
      throw std::runtime_error("the output " + args.output_path +
                               " is one of the input files; choose another file");
    }
  }
  const mortality::RecallPeriod recall = mortality::read_recall_period(args.recall_days);
  if (!recall.days) {
    std::cerr << "olvar-cli import-mortality: --recall-days: " << recall.message << "\n";
    return 1;
  }
  const auto tools = start_survey_tools();
  mortality::RosterImport imported =
      mortality::import_roster(read_whole_file(args.roster_path), read_whole_file(args.left_path),
                               read_whole_file(args.died_path), tools->app.dates);
  if (!imported.error.empty()) {
    std::cerr << "olvar-cli import-mortality: " << imported.error << "\n";
    return 1;
  }

  core::Workspace workspace;
  core::reset_to_new_table(workspace, "");
  workspace.mortality_individuals = std::move(imported.individuals);
  workspace.rd_hh = std::to_string(*recall.days);
  workspace.planning.sm_d = workspace.rd_hh;
  workspace.mortality_options = {"Unknown", "Injury/Traumatic", "Illness", "Other", "", "", "",
                                 "In current location", "During migration",
                                 "In place of last residence", "Other"};
  // The survey file reads at most 65,534 lines of individual mortality data, the heading line
  // among them: a larger roster is refused before anything is written, not cut on reading.
  const int rows = workspace.mortality_individuals.row_count();
  int last_row = 0;
  for (int row = rows - 1; row >= 1 && last_row == 0; --row) {
    for (int c = 1; c < workspace.mortality_individuals.column_count(); ++c) {
      if (!workspace.mortality_individuals.cell(c, row).empty()) {
        last_row = row;
        break;
      }
    }
  }
  constexpr int kMostIndividualRows = core::kMaxRows - 2;
  if (last_row > kMostIndividualRows) {
    throw std::runtime_error(
        "the roster fills " + std::to_string(last_row) +
        " rows of individual mortality data "
        "(households of more than 20 persons take a row for every 20); a survey file holds at "
        "most " +
        std::to_string(kMostIndividualRows) + "; nothing was written (split the roster)");
  }
  const int made_holdable = core::make_cells_holdable(workspace.mortality_individuals);
  const std::string output = checked_output(args.output_path);
  if (output.empty()) {
    throw std::runtime_error("a survey file cannot go to standard output; give a file name");
  }
  // The file takes its place only once the summary was printed: a failing standard output
  // leaves nothing written, as status 1 says.
  platform::SafeFile file(output);
  file.write(core::survey_file_bytes(workspace, tools->app.dates));
  write_to_standard_output(std::to_string(imported.households) + " households, " +
                           std::to_string(imported.persons) + " persons\n");
  file.commit();
  if (made_holdable == 0) return kExitDone;
  std::cerr << "olvar-cli import-mortality: " << made_holdable
            << " values held line breaks, TABs or a leading section marker byte (0xA5) that a "
               "survey file cannot hold; "
            << output << " has blanks and \"Y\" in their place\n";
  return kExitDataNotKept;
}

}  // namespace

CommandAction add_import_mortality_command(CLI::App& app) {
  auto args = std::make_shared<ImportMortalityArguments>();
  CLI::App* command = app.add_subcommand(
      "import-mortality",
      "Build a new survey file (.as) whose individual mortality table comes from a household "
      "roster (CSV with a heading line; columns KEY, sex_roster, age_years, joined, birth, "
      "cluster_id, optional today DD-Mon-YY and enum for the team) and its lists of persons who "
      "left (KEY, sex_left, age_left, join_left, birth_left) and who died (KEY, sex_died, "
      "age_died, join_died, birth_died, optional death_cause 1 illness / 2 injury / 97 other and "
      "death_location 1 / 2 / 3 / 97) during the recall period. One row per household (KEY, "
      "numbered 1, 2, ... in order of appearance), continued on the next row beyond 20 persons");
  command->add_option("ROSTER", args->roster_path, "Household roster (.csv)")
      ->required()
      ->check(CLI::ExistingFile);
  command->add_option("--left", args->left_path, "Persons who left (.csv)")
      ->check(CLI::ExistingFile);
  command->add_option("--died", args->died_path, "Persons who died (.csv)")
      ->check(CLI::ExistingFile);
  command->add_option("--recall-days", args->recall_days, "Recall period in days")->required();
  command->add_option("-o,--output", args->output_path, "Survey file to write (.as)")->required();
  return [args] { return run_import_mortality(*args); };
}

}  // namespace olvar::cli
