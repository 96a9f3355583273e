// olvar-cli random-numbers: the Planning page's random number table as text.

#include <iostream>
#include <memory>
#include <string>

#include "app/cli_commands.h"
#include "core/language_table.h"
#include "planning/planning_random.h"
#include "planning/random_number_table.h"

namespace olvar::cli {

namespace {

struct RandomNumberArguments {
  planning::RandomNumberInputs inputs;
  std::string seed;
};

int run_random_numbers(const RandomNumberArguments& args) {
  std::uint32_t seed = planning::seed_from_time_of_day();
  if (!args.seed.empty()) {
    const std::optional<std::uint32_t> given = planning::parse_seed(args.seed);
    if (!given) {
      throw std::runtime_error("--seed: \"" + args.seed +
                               "\" is not a whole number from 0 to 4294967295");
    }
    seed = *given;
  }
  planning::PlanningRandom random(seed);
  const planning::RandomNumberDraw draw = planning::draw_random_numbers(args.inputs, random);
  if (!draw.drawn()) {
    if (!draw.message.empty()) throw std::runtime_error(draw.message);
    // The Language table holds the message.
    throw std::runtime_error(core::LanguageTable::load(program_folder()).text(draw.message_entry));
  }
  std::string text = "Random Number table\nRange: " + args.inputs.Edit14 + " to " +
                     args.inputs.Edit16 + ", Number: " + args.inputs.Edit15 +
                     "\nSeed: " + std::to_string(seed) + "\n";
  for (std::size_t i = 0; i < draw.numbers.size(); ++i) {
    text += (i ? "\t" : "") + std::to_string(draw.numbers[i]);
  }
  text += "\n";
  write_to_standard_output(text);
  return 0;
}

}  // namespace

CommandAction add_random_numbers_command(CLI::App& app) {
  auto args = std::make_shared<RandomNumberArguments>();
  CLI::App* command = app.add_subcommand(
      "random-numbers",
      "The random number table of the Planning page: COUNT distinct whole numbers from FROM to "
      "TO in drawing order. Prints a title line, the range and count, the seed, and the numbers "
      "on one line separated by tabs");
  command->add_option("--from", args->inputs.Edit14, "Lowest number (0 or more)")->required();
  command->add_option("--to", args->inputs.Edit16, "Highest number")->required();
  command->add_option("--count", args->inputs.Edit15, "How many numbers to draw")->required();
  command->add_option("--seed", args->seed,
                      "Seed of the random draw, 0 to 4294967295 (default: the time of day in "
                      "milliseconds), to repeat a draw");
  return [args] { return run_random_numbers(*args); };
}

}  // namespace olvar::cli
