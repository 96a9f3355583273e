// olvar-cli sort: sorts the children of a survey file by one or two variables, as the sort
// window of the data entry page does, and saves the result as a survey file.

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "core/survey_sort.h"

namespace olvar::cli {

namespace {

struct SortArguments {
  std::string input_path;
  std::vector<std::string> keys;  // VAR or VAR:desc / VAR:asc
  std::string output_path;
};

struct SortKey {
  int column = 0;
  core::SortOrder order = core::SortOrder::ascending;
};

SortKey parse_key(const core::SurveyTable& table, const std::string& text) {
  std::string name = text;
  SortKey key;
  const std::size_t colon = text.rfind(':');
  if (colon != std::string::npos) {
    name = text.substr(0, colon);
    const std::string order = text.substr(colon + 1);
    if (order == "desc") {
      key.order = core::SortOrder::descending;
    } else if (order != "asc") {
      throw std::runtime_error("--by " + text + ": the order after \":\" must be asc or desc");
    }
  }
  // The spare columns after the last variable have no name: an empty name would pick one.
  if (name.empty()) throw std::runtime_error("--by " + text + ": give the name of a variable");
  key.column = table.column_of_header(survey_text_of_argument(name));
  if (key.column < 1)
    throw std::runtime_error("--by " + text + ": the survey has no variable " + name);
  return key;
}

int run_sort(const SortArguments& args) {
  refuse_output_that_is_input(args.input_path, args.output_path);
  if (args.keys.empty() || args.keys.size() > 2) {
    throw std::runtime_error("give one or two variables with --by");
  }
  const auto tools = start_survey_tools();
  std::vector<core::SurveyReadWarning> warnings;
  core::Workspace workspace = read_survey(*tools, args.input_path, &warnings);
  const SortKey first = parse_key(workspace.survey, args.keys[0]);
  std::optional<SortKey> second;
  if (args.keys.size() == 2) second = parse_key(workspace.survey, args.keys[1]);
  // The sort window sets one order for both variables; a mixed request cannot be honoured.
  if (second && second->order != first.order) {
    throw std::runtime_error("both variables are sorted in one order: give :desc to both or none");
  }
  core::SortSurvey(workspace, first.column,
                   second ? std::optional<int>(second->column) : std::nullopt, first.order,
                   tools->app.dates.decimal_separator);
  const int saved = save_survey_to(*tools, workspace, args.output_path, {args.input_path}, "sort");
  return std::max(saved, status_after_reading(warnings, "sort", args.output_path));
}

}  // namespace

CommandAction add_sort_command(CLI::App& app) {
  auto args = std::make_shared<SortArguments>();
  CLI::App* command = app.add_subcommand(
      "sort",
      "Sort the children of a survey file by one variable, or by two (the second within "
      "equal values of the first), ascending or, with :desc, descending; saved as a "
      "survey file (.as)");
  command->add_option("INPUT", args->input_path, "Survey file to read")->required();
  command->add_option("--by", args->keys, "VAR or VAR:desc (at most twice; one order for both)")
      ->required();
  command->add_option("-o,--output", args->output_path, "Survey file to write")->required();
  return [args] { return run_sort(*args); };
}

}  // namespace olvar::cli
