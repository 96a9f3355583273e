// olvar-cli graph: any graph of the results page, or the growth chart of one child, as an SVG
// picture. The survey file is only read.

#include <charconv>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>

#include "app/cli_commands.h"
#include "calculator/statistical_calculator.h"
#include "core/survey_sort.h"
#include "core/windows1252.h"
#include "graphs/growth_chart.h"
#include "graphs/results_graph.h"
#include "graphs/svg_renderer.h"
#include "platform/safe_write.h"
#include "reports/plausibility_report.h"
#include "workspace/survey_session.h"

namespace olvar::cli {

namespace {

struct GraphArguments {
  std::string input_path;
  std::string index = "whz";
  std::string type;
  std::string exclusion;
  int child_row = 0;
  std::string output_path;
};

constexpr const char* kTypeHelp =
    "Graph types (--type):\n"
    "  gaussian, cumulative, probability            all children: smoothed density against the\n"
    "                                               reference curve, cumulative distribution,\n"
    "                                               normal probability plot\n"
    "  gaussian-sex, cumulative-sex, probability-sex  the same, girls and boys on one picture\n"
    "  cluster                                      mean and SD of the index per cluster\n"
    "  age                                          mean and SD per age group (MUAC: MUAC "
    "classes)\n"
    "  cases-below-2, cases-below-3                 clusters by number of cases of z < -2, < -3\n"
    "  cases-oedema, cases-gam, cases-sam           the same for oedema, GAM, SAM (WHZ only)\n"
    "MUAC has no probability plot and no cases graphs.\n"
    "With --child ROW (the row number of the Data View): the growth chart of that child,\n"
    "--type weight-for-age (default), height-for-age or weight-for-height.\n"
    "The lines that go with a cluster or age graph into the result box are printed on standard\n"
    "output when the picture goes to a file (-o).";

graphs::GrowthChartKind chart_kind(const std::string& type) {
  if (type.empty() || type == "weight-for-age") return graphs::GrowthChartKind::weight_for_age;
  if (type == "height-for-age") return graphs::GrowthChartKind::height_for_age;
  if (type == "weight-for-height") return graphs::GrowthChartKind::weight_for_height;
  throw std::runtime_error("--type \"" + type +
                           "\" is not a growth chart (weight-for-age, height-for-age or "
                           "weight-for-height)");
}

void tell(const std::string& line) {
  std::cerr << "olvar-cli graph: " << core::windows1252_to_utf8(line) << "\n";
}

int run_graph(const GraphArguments& args) {
  if (!args.output_path.empty()) refuse_output_that_is_input(args.input_path, args.output_path);
  const auto tools = start_survey_tools();
  std::vector<core::SurveyReadWarning> warnings;
  core::Workspace workspace = read_survey(*tools, args.input_path, &warnings);
  const std::string written = args.output_path.empty() ? "standard output" : args.output_path;
  const char separator = tools->app.dates.decimal_separator;
  const anthro::Reference reference = tools->app.settings.reference == core::kReferenceNchs
                                          ? anthro::Reference::nchs1977
                                          : anthro::Reference::who2006;
  const core::LanguageTable& text = tools->tables.text;

  if (args.child_row != 0) {
    const auto child = graphs::child_of_row(
        workspace.survey, args.child_row,
        workspace::row_evaluation_settings(tools->app.settings, workspace.options, tools->app.dates,
                                           tools->app.today.year));
    if (!child) {
      throw std::runtime_error("there is no row " + std::to_string(args.child_row) + " in " +
                               args.input_path);
    }
    const graphs::GrowthChart chart =
        graphs::growth_chart(*child, chart_kind(args.type), reference, tools->tables.who, text);
    if (!chart.child) tell(text.text(1410));
    write_output(args.output_path, graphs::svg_of(chart.drawing));
    return status_after_reading(warnings, "graph", written);
  }

  const auto index = graphs::graph_index_named(args.index);
  if (!index)
    throw std::runtime_error("--index \"" + args.index + "\" is not whz, waz, haz or muac");
  const std::string type_name = args.type.empty() ? "gaussian" : args.type;
  const auto type = graphs::graph_type_named(type_name);
  if (!type)
    throw std::runtime_error("--type \"" + type_name + "\" is not a graph type (see --help)");
  if (!graphs::graph_offered(*index, *type)) {
    throw std::runtime_error("the graph \"" + type_name + "\" is not drawn for " +
                             std::string(graphs::graph_index_name(*index)));
  }
  // As on the results page: the options of the survey and the settings, the survey sorted by
  // CLUSTER (so clusters follow in order).
  core::OptionsPage options = reports::report_options(tools->app.settings, workspace, separator);
  if (args.exclusion == "kandu") options.exclusion = core::ExclusionMode::kandu;
  if (args.exclusion == "epi") options.exclusion = core::ExclusionMode::epi_info;
  if (args.exclusion == "none") options.exclusion = core::ExclusionMode::none;
  workspace.options = options;
  core::SortSurvey(workspace, core::column(core::StdVar::cluster), std::nullopt,
                   core::SortOrder::ascending, separator);
  const graphs::GraphResult graph =
      graphs::draw_results_graph({workspace,
                                  calculator::analysis_options(options, separator),
                                  {text, reference, options.exclusion}},
                                 *index, *type);
  if (graph.notice) tell(text.text(*graph.notice));
  const std::string file = checked_output(args.output_path);
  if (graph.memo && !file.empty()) {
    // The picture takes its place only once its lines were printed: a failing standard
    // output leaves nothing written, as status 1 says.
    platform::SafeFile picture(file);
    picture.write(graphs::svg_of(graph.drawing));
    std::string lines;
    for (const std::string& line : *graph.memo) lines += core::windows1252_to_utf8(line) + "\n";
    write_to_standard_output(lines);
    picture.commit();
  } else {
    write_output(file, graphs::svg_of(graph.drawing));
  }
  return status_after_reading(warnings, "graph", written);
}

}  // namespace

CommandAction add_graph_command(CLI::App& app) {
  auto args = std::make_shared<GraphArguments>();
  CLI::App* command = app.add_subcommand(
      "graph",
      "Draw a graph of the results page (distribution of an index, means by cluster or age, MUAC "
      "classes, cases per cluster) or the growth chart of one child as an SVG picture");
  command->footer(std::string(kTypeHelp) +
                  "\n\nExamples:\n"
                  "  olvar-cli graph survey.as --index whz --type gaussian -o whz.svg\n"
                  "  olvar-cli graph survey.as --index muac --type age -o muac_classes.svg\n"
                  "  olvar-cli graph survey.as --child 12 --type weight-for-height -o child12.svg");
  command->add_option("SURVEY", args->input_path, "Survey file (.as)")->required();
  command->add_option("--index", args->index, "whz (default), waz, haz or muac")
      ->check(CLI::IsMember({"whz", "waz", "haz", "muac", "WHZ", "WAZ", "HAZ", "MUAC"}));
  command->add_option("--type", args->type,
                      "Graph type (default gaussian; see the list below), or with --child the "
                      "growth chart");
  command
      ->add_option("--exclusion", args->exclusion,
                   "kandu, epi or none (default: the survey's and the settings' choice)")
      ->check(CLI::IsMember({"kandu", "epi", "none"}));
  command
      ->add_option("--child", args->child_row,
                   "Draw the growth chart of the child in this row of the Data View")
      ->check(CLI::Validator(
          [](std::string& text) {
            // A row number: its own message, since the generic range check names the largest
            // double and takes "abc" for a number out of range.
            int row = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), row);
            if (error == std::errc{} && end == text.data() + text.size() && row >= 1)
              return std::string();
            return "the row " + text + " is not a row number (1, 2, ...)";
          },
          "ROW"));
  command->add_option("-o,--output", args->output_path,
                      "SVG file to write (standard output when not given)");
  return [args] { return run_graph(*args); };
}

}  // namespace olvar::cli
