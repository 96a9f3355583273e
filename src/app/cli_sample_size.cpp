// olvar-cli sample-size: the two sample sizes of the Planning page from the figures given.

#include <cmath>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "app/cli_commands.h"
#include "core/text_conversions.h"
#include "planning/sample_size.h"
#include "planning/whole_numbers.h"

namespace olvar::cli {

namespace {

struct SampleSizeArguments {
  std::string sampling = "cluster";
  std::string population;
  core::PlanningPage page;  // starts with the page's defaults
};

// The range each figure can take; a figure outside it (a prevalence of -1 %) is bad usage,
// whatever number the formulas would still give. Texts that are no number are left to the
// page's own check below.
void check_ranges(const core::PlanningPage& page) {
  struct Figure {
    const char* option;
    const std::string& text;
    double low;
    double high;
    bool low_included;
    bool high_included;
  };
  const Figure figures[] = {
      // A 0 where the formulas divide (a precision, a household size, a recall period) is
      // left to the page's check, whose message names it.
      {"--prevalence", page.sc_b, 0, 100, false, false},
      {"--precision", page.sc_c, 0, 100, true, true},
      {"--design-effect", page.sc_d, 0, 1e9, false, true},
      {"--household-size", page.sc_e, 0, 1e9, true, true},
      {"--under-five", page.sc_f, 0, 100, true, true},
      {"--non-response", page.sc_g, 0, 100, true, true},
      {"--death-rate", page.sm_a, 0, 10000, false, false},
      {"--death-rate-precision", page.sm_b, 0, 10000, true, true},
      {"--mortality-design-effect", page.sm_c, 0, 1e9, false, true},
      {"--recall-days", page.sm_d, 0, 1e9, true, true},
      {"--mortality-household-size", page.sm_e, 0, 1e9, true, true},
      {"--mortality-non-response", page.sm_f, 0, 100, true, true},
  };
  for (const Figure& f : figures) {
    const std::optional<float> value = core::parse_number(f.text);
    if (!value) continue;
    const double v = *value;
    const bool above_low = f.low_included ? v >= f.low : v > f.low;
    const bool below_high = f.high_included ? v <= f.high : v < f.high;
    if (std::isfinite(v) && above_low && below_high) continue;
    std::ostringstream range;
    range << (f.low_included ? "from " : "above ") << f.low;
    if (f.high < 1e9) range << (f.high_included ? " up to " : " and below ") << f.high;
    throw std::runtime_error(std::string(f.option) + ": \"" + f.text + "\" is out of range (" +
                             range.str() + ")");
  }
}

int run_sample_size(SampleSizeArguments args) {
  core::PlanningPage& page = args.page;
  check_ranges(page);
  planning::PlanningSession session;
  if (!args.population.empty()) {
    const std::optional<float> population = core::parse_number(args.population);
    if (!population) {
      throw std::runtime_error("--population: \"" + args.population + "\" is not a number");
    }
    // A whole number of people, not beyond what the page's box can hold: a larger float would
    // not convert to one.
    if (!(*population < 1e15f)) {
      throw std::runtime_error("--population: \"" + args.population + "\" is too large");
    }
    // As the page does it: a population size above 100 allows the correction to be switched on.
    session.population_size = static_cast<long long>(planning::round_half_even(*population));
    session.small_population = session.population_size > planning::kSmallestPopulationSize;
  }
  // Random sampling forces both design effects to 1, as choosing "Random" on the page does.
  if (args.sampling == "random") {
    page.cluster_sampling = false;
    page.sc_d = "1";
    page.sm_c = "1";
  } else {
    page.cluster_sampling = true;
  }
  planning::recompute_sample_sizes(page, session);
  const planning::SampleSizeOutputs& out = session.outputs;
  if (out.Panel2.empty() || out.Panel7.empty() || out.Panel3.empty() || out.Panel10.empty()) {
    std::string why;
    for (const std::string& problem : planning::unreadable_inputs(page)) why += "\n  " + problem;
    if (why.empty())
      why =
          "\n  an empty figure, a precision, household size, under-five share or recall period "
          "of 0, or a non-response of 100 %, leaves nothing to divide by";
    throw std::runtime_error("the sample sizes cannot be computed from these figures:" + why);
  }
  std::ostringstream lines;
  lines << "children_to_include\t" << out.Panel2 << "\n"
        << "households_for_children\t" << out.Panel7 << "\n"
        << "persons_to_include\t" << out.Panel3 << "\n"
        << "households_for_persons\t" << out.Panel10 << "\n";
  write_to_standard_output(lines.str());
  return 0;
}

}  // namespace

CommandAction add_sample_size_command(CLI::App& app) {
  auto args = std::make_shared<SampleSizeArguments>();
  CLI::App* command = app.add_subcommand(
      "sample-size",
      "Sample sizes of an anthropometric and a mortality survey, as the Planning page computes "
      "them. Prints four lines, name TAB whole number: children_to_include, "
      "households_for_children, persons_to_include, households_for_persons");
  core::PlanningPage& page = args->page;
  command
      ->add_option("--sampling", args->sampling,
                   "cluster or random (random sets both design "
                   "effects to 1)")
      ->check(CLI::IsMember({"cluster", "random"}))
      ->capture_default_str();
  command->add_option("--prevalence", page.sc_b, "Estimated prevalence, %")->capture_default_str();
  command->add_option("--precision", page.sc_c, "Desired precision, +/- percentage points")
      ->capture_default_str();
  command->add_option("--design-effect", page.sc_d, "Design effect (anthropometry)")
      ->capture_default_str();
  command->add_option("--household-size", page.sc_e, "Average household size (anthropometry)")
      ->capture_default_str();
  command->add_option("--under-five", page.sc_f, "Children under five, % of the population")
      ->capture_default_str();
  command->add_option("--non-response", page.sc_g, "Non-response households, % (anthropometry)")
      ->capture_default_str();
  command->add_option("--death-rate", page.sm_a, "Estimated death rate per 10,000 per day")
      ->capture_default_str();
  command
      ->add_option("--death-rate-precision", page.sm_b, "Desired precision, +/- per 10,000 per day")
      ->capture_default_str();
  command->add_option("--mortality-design-effect", page.sm_c, "Design effect (mortality)")
      ->capture_default_str();
  command->add_option("--recall-days", page.sm_d, "Recall period in days")->capture_default_str();
  command->add_option("--mortality-household-size", page.sm_e, "Average household size (mortality)")
      ->capture_default_str();
  command
      ->add_option("--mortality-non-response", page.sm_f, "Non-response households, % (mortality)")
      ->capture_default_str();
  command->add_option("--population", args->population,
                      "Population size; above 100 switches the small-population correction on");
  return [args] { return run_sample_size(*args); };
}

}  // namespace olvar::cli
