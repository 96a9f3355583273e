// olvar-cli hea: the household economy model of a HEA file (.fs), run as the Food Security page
// runs it when the shock-year page is opened: by default the table that "Excel Report" hands to
// the spreadsheet for one wealth group; --check the check of entered data; --graph the graph of
// the two coverage percentages as SVG. The HEA file is only read.

#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/cli_commands.h"
#include "core/windows1252.h"
#include "document/office_hand_off.h"
#include "foodsecurity/data_check.h"
#include "foodsecurity/hea_file.h"
#include "foodsecurity/hea_pages.h"
#include "foodsecurity/shock_model.h"
#include "graphs/svg_renderer.h"
#include "platform/safe_write.h"

namespace olvar::cli {

namespace {

struct HeaArguments {
  std::string input_path;
  std::string output_path;
  std::string group;
  bool no_asset_sale = false;
  bool check = false;
  bool graph = false;
};

std::string check_text(const core::TextGrid& table) {
  std::string out;
  for (int row = 0; row < table.row_count(); ++row) {
    for (int column = 0; column < table.column_count(); ++column) {
      if (column > 0) out += '\t';
      out += table.cell(column, row);
    }
    out += '\n';
  }
  return out;
}

int run_hea(const HeaArguments& args) {
  if (!args.output_path.empty() && platform::is_same_file(args.input_path, args.output_path)) {
    throw std::runtime_error("the output " + args.output_path +
                             " is the HEA file itself; choose another file");
  }
  foodsecurity::FoodSecurity state;
  foodsecurity::adopt_read_tables(state, foodsecurity::read_hea_file(args.input_path),
                                  args.input_path);

  std::string output;
  if (args.check) {
    output = check_text(foodsecurity::check_table(state.tables));
  } else {
    const std::vector<std::string> groups = foodsecurity::selectable_wealth_groups(state);
    if (groups.empty()) throw std::runtime_error(args.input_path + " names no wealth group");
    int group = 0;
    if (!args.group.empty()) {
      group = -1;
      std::string names;
      for (std::size_t i = 0; i < groups.size(); ++i) {
        // The file holds the names in Windows-1252, the terminal types them in UTF-8.
        if (groups[i] == survey_text_of_argument(args.group)) group = static_cast<int>(i);
        names += (i > 0 ? ", \"" : "\"") + core::windows1252_to_utf8(groups[i]) + "\"";
      }
      if (group < 0) {
        throw std::runtime_error("no wealth group \"" + args.group + "\" in " + args.input_path +
                                 "; it has " + names);
      }
    }
    // As the page does when it is opened: the table is laid out for the current items first.
    foodsecurity::rebuild_shock_table(state.tables);
    const foodsecurity::ModelResults results =
        foodsecurity::run_shock_model(state.tables, group, !args.no_asset_sale);
    if (args.graph) {
      output = graphs::svg_of(foodsecurity::shock_graph(state.tables, groups[group], results));
    } else {
      // The same bytes as the file handed to the spreadsheet, its closing line break included.
      output = foodsecurity::shock_report_text(state.tables, groups[group], results);
      output += document::kLineBreak;
    }
  }
  write_output(args.output_path, output);
  return 0;
}

}  // namespace

CommandAction add_hea_command(CLI::App& app) {
  auto args = std::make_shared<HeaArguments>();
  CLI::App* command = app.add_subcommand(
      "hea",
      "Run the household economy model of a HEA file (.fs) for one wealth group (the first "
      "without --group): by default the table that \"Excel Report\" hands to the spreadsheet "
      "(18 monthly results over the reference year and two shock years, then the household, "
      "seasonal and shock-year tables, tab-separated); --check the check of entered data for the "
      "reference year; --graph the graph of energy requirement and non-food costs met (SVG). "
      "The HEA file is not changed");
  command->add_option("FILE", args->input_path, "HEA file (.fs)")
      ->required()
      ->check(CLI::ExistingFile);
  command->add_option("--group", args->group, "Wealth group by name (default: the first)");
  command->add_flag("--no-asset-sale", args->no_asset_sale,
                    "Leave out the sale of assets to meet the food deficit");
  command->add_option("-o,--output", args->output_path,
                      "Output file (standard output without it); never the HEA file");
  auto* check = command->add_flag("--check", args->check,
                                  "Print the check of entered data for the reference year");
  auto* graph = command->add_flag("--graph", args->graph, "Write the model's graph as SVG");
  check->excludes(graph);
  return [args] { return run_hea(*args); };
}

}  // namespace olvar::cli
