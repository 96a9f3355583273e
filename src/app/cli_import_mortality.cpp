// olvar-cli import-mortality: a new survey file whose individual mortality table is built from a
// household roster and its lists of persons who left and who died during the recall period.

#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "app/cli_commands.h"
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
  platform::write_file_safely(args.output_path,
                              core::survey_file_bytes(workspace, tools->app.dates));
  write_to_standard_output(std::to_string(imported.households) + " households, " +
                           std::to_string(imported.persons) + " persons\n");
  return 0;
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
