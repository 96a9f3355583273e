// olvar-cli clusters: the cluster sampling table's draw on a list of units.

#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "core/text_conversions.h"
#include "planning/cluster_assignment.h"
#include "planning/planning_random.h"
#include "planning/whole_numbers.h"
#include "platform/safe_write.h"

namespace olvar::cli {

namespace {

struct ClustersArguments {
  std::string input_path;
  std::string output_path;
  std::string clusters = "30";
  std::string seed;
};

struct Unit {
  std::string name;
  std::string population;
  int line = 0;  // of the file, 1-based, blank lines counted
};

std::vector<Unit> read_units(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path + " for reading");
  std::vector<Unit> units;
  std::string line;
  bool header = true;
  int line_number = 0;
  while (std::getline(in, line)) {
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (header) {
      header = false;
      continue;
    }
    if (line.empty()) continue;  // a blank line is no unit
    const std::size_t tab = line.find('\t');
    Unit unit;
    unit.line = line_number;
    unit.name = line.substr(0, tab);
    if (tab != std::string::npos) {
      const std::size_t end = line.find('\t', tab + 1);
      unit.population = line.substr(tab + 1, end == std::string::npos ? end : end - tab - 1);
    }
    units.push_back(std::move(unit));
  }
  if (in.bad()) throw std::runtime_error("cannot read " + path);
  return units;
}

int run_clusters(const ClustersArguments& args) {
  if (!args.output_path.empty() && platform::is_same_file(args.input_path, args.output_path)) {
    throw std::runtime_error("the output file is the input file " + args.input_path +
                             ": choose another name");
  }
  const planning::ClusterCount count = planning::read_cluster_count(args.clusters);
  if (!count.problem.empty()) throw std::runtime_error(count.problem);
  std::uint32_t seed = planning::seed_from_time_of_day();
  if (!args.seed.empty()) {
    const std::optional<std::uint32_t> given = planning::parse_seed(args.seed);
    if (!given) {
      throw std::runtime_error("--seed: \"" + args.seed +
                               "\" is not a whole number from 0 to 4294967295");
    }
    seed = *given;
  }

  const std::vector<Unit> units = read_units(args.input_path);
  std::vector<long long> populations;
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (units[i].population.empty()) {
      populations.push_back(0);
      continue;
    }
    const std::optional<long long> value = planning::parse_whole_number(units[i].population);
    if (!value || *value < 0) {
      const std::string_view digits = core::trim_spaces(units[i].population);
      const bool only_digits =
          !digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos;
      throw std::runtime_error(args.input_path + ", line " + std::to_string(units[i].line) +
                               ": the population \"" + units[i].population + "\"" +
                               (only_digits ? " is too large (at most 18 digits)"
                                            : " is not a whole number of 0 or more"));
    }
    populations.push_back(*value);
  }
  if (const auto problem = planning::check_draw(populations, count.clusters)) {
    throw std::runtime_error(*problem);
  }
  planning::PlanningRandom random(seed);
  const planning::ClusterDraw draw = planning::draw_clusters(populations, count.clusters, random);

  std::string table = "name\tpopulation\tcluster\n";
  for (std::size_t i = 0; i < units.size(); ++i) {
    table += units[i].name + "\t" + units[i].population + "\t" + draw.labels[i] + "\n";
  }
  write_output(args.output_path, table);
  std::cerr << "olvar-cli clusters: " << count.clusters << " clusters and "
            << draw.draws - count.clusters << " reserve clusters from a population of "
            << draw.population << "; seed " << seed << " (give --seed " << seed
            << " to repeat this draw)\n";
  return 0;
}

}  // namespace

CommandAction add_clusters_command(CLI::App& app) {
  auto args = std::make_shared<ClustersArguments>();
  CLI::App* command = app.add_subcommand(
      "clusters",
      "Draw clusters with probability proportional to population size, with reserve clusters "
      "(RC), as the Planning page's cluster sampling table does. UNITS.tsv: a header line, then "
      "name TAB population per unit. Output: the header name TAB population TAB cluster and one "
      "line per unit in input order, the third field the unit's comma-separated cluster labels. "
      "The seed used is printed on standard error");
  command->add_option("UNITS", args->input_path, "Units and populations (.tsv)")
      ->required()
      ->check(CLI::ExistingFile);
  command
      ->add_option("--clusters", args->clusters,
                   "Number of clusters n (1 to 908); n + n/10 + 1 "
                   "are drawn, the rest reserves")
      ->capture_default_str();
  command->add_option("--seed", args->seed,
                      "Seed of the random draw, 0 to 4294967295 (default: the time of day in "
                      "milliseconds), to repeat a draw");
  command->add_option("-o,--output", args->output_path,
                      "Output table (standard output without it)");
  return [args] { return run_clusters(*args); };
}

}  // namespace olvar::cli
