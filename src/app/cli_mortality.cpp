// olvar-cli mortality: the death rates of a survey file's mortality data as tab-separated text,
// one line per rate. The survey file is only read.

#include <iostream>
#include <memory>
#include <string>

#include "app/cli_commands.h"
#include "core/workspace.h"
#include "mortality/death_rates.h"
#include "platform/safe_write.h"

namespace olvar::cli {

namespace {

struct MortalityArguments {
  std::string input_path;
  std::string output_path;
  std::string level = "individual";
  std::string groups = "flexible";
};

int run_mortality(const MortalityArguments& args) {
  if (!args.output_path.empty() && platform::is_same_file(args.input_path, args.output_path)) {
    throw std::runtime_error("the output " + args.output_path +
                             " is the survey file itself; choose another file");
  }
  const auto tools = start_survey_tools();
  std::vector<core::SurveyReadWarning> warnings;
  const core::Workspace workspace = read_survey(*tools, args.input_path, &warnings);
  const mortality::RecallPeriod recall =
      mortality::read_recall_period(mortality::recall_period_text(workspace));
  if (!recall.days) {
    std::cerr << "olvar-cli mortality: " << recall.message << "\n";
    return 1;
  }

  std::vector<mortality::SubgroupRate> lines;
  if (args.level == "household") {
    const mortality::HouseholdResults h = mortality::household_rates(
        mortality::household_results_table(workspace.mortality_households), *recall.days);
    lines = {{"crude death rate", h.crude}, {"under-five death rate", h.under_five}};
    if (const int left_out =
            mortality::households_with_unusable_cluster(workspace.mortality_households);
        left_out > 0) {
      std::cerr << "olvar-cli mortality: " << mortality::households_left_out_text(left_out) << "\n";
    }
  } else {
    const mortality::AgeGrouping grouping = args.groups == "5"    ? mortality::AgeGrouping::five_years
                                            : args.groups == "10" ? mortality::AgeGrouping::ten_years
                                                                  : mortality::AgeGrouping::flexible;
    const mortality::IndividualResults results = mortality::individual_results(
        workspace.mortality_individuals, mortality::age_groups(grouping, workspace.options),
        *recall.days);
    lines = mortality::rate_lines(results);
    if (results.persons_with_unusable_cluster > 0) {
      std::cerr << "olvar-cli mortality: "
                << mortality::persons_left_out_text(results.persons_with_unusable_cluster) << "\n";
    }
  }
  const std::string output = mortality::rate_table_text(lines);
  write_output(args.output_path, output);
  return status_after_reading(warnings, "mortality",
                              args.output_path.empty() ? "standard output" : args.output_path);
}

}  // namespace

CommandAction add_mortality_command(CLI::App& app) {
  auto args = std::make_shared<MortalityArguments>();
  CLI::App* command = app.add_subcommand(
      "mortality",
      "Death rates of a survey file (.as) per 10,000 persons per day, as tab-separated text: a "
      "heading line, then one line per rate with its name, rate, lower and upper 95% limit, "
      "design effect, deaths and person-days. Names: 'crude death rate', 'under-five death "
      "rate', then (individual level) Male, Female and one line per age group. The recall period "
      "is the Planning page's, else the one stored with the mortality data. Households whose "
      "Cluster is not a whole number from 1 to 999 are in no rate; standard error says how "
      "many persons (or households) were left out. The survey file is not changed");
  command->add_option("SURVEY", args->input_path, "Survey file (.as)")
      ->required();
  command->add_option("--level", args->level, "household or individual (default individual)")
      ->check(CLI::IsMember({"household", "individual"}));
  command->add_option("--groups", args->groups,
                      "Age groups of the individual level: flexible (the Options page's "
                      "mortality groups, default), 5 or 10 years")
      ->check(CLI::IsMember({"flexible", "5", "10"}));
  command->add_option("-o,--output", args->output_path,
                      "Output file (standard output without it); never the survey file");
  return [args] { return run_mortality(*args); };
}

}  // namespace olvar::cli
