// olvar-cli import: a new survey file from an Epi Info 6 data file (.rec), a dBase table (.dbf)
// or delimited text (.csv and the like), as the Files menu's "Import EPI Info File" does.

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "core/options_page.h"
#include "core/windows1252.h"
#include "formats/survey_import.h"

namespace olvar::cli {

namespace {

struct ImportArguments {
  std::string input_path;
  std::vector<std::string> maps;  // FIELD=TARGET
  std::string date_order;         // dmy, mdy or ymd; guessed from the dates when empty
  std::string sheet;              // the sheet of an XLSX file; the first when empty
  std::string output_path;
};

std::string target_names() {
  std::string names;
  for (const core::StdVar target : formats::kImportTargets) {
    names += (names.empty() ? "" : ", ") + std::string(core::header_text(target));
  }
  return names;
}

// The mapping the command line gives: the --map pairs, or without them the fields whose names
// are those of the standard variables.
formats::ImportMapping mapping_of(const ImportArguments& args,
                                  const std::vector<formats::ImportField>& fields,
                                  core::DateOrder system_order) {
  formats::ImportMapping mapping = formats::preselected_mapping(fields, system_order);
  if (!args.date_order.empty()) mapping.file_order = core::order_from_code(args.date_order);
  if (args.maps.empty()) return mapping;
  mapping.field_of_target.fill(-1);
  for (const std::string& pair : args.maps) {
    const std::size_t equals = pair.rfind('=');
    if (equals == std::string::npos) {
      throw std::runtime_error("--map " + pair + ": write FIELD=TARGET");
    }
    const std::string field = pair.substr(0, equals);
    const std::string target = pair.substr(equals + 1);
    const std::optional<core::StdVar> variable = formats::import_target_named(target);
    if (!variable) {
      throw std::runtime_error("--map " + pair + ": " + target +
                               " is not a target; the targets are " + target_names());
    }
    const int index = formats::field_index(fields, survey_text_of_argument(field));
    if (index < 0) {
      throw std::runtime_error("--map " + pair + ": " + args.input_path + " has no field " + field);
    }
    const auto slot = static_cast<std::size_t>(
        std::find(formats::kImportTargets.begin(), formats::kImportTargets.end(), *variable) -
        formats::kImportTargets.begin());
    if (mapping.field_of_target[slot] >= 0) {
      throw std::runtime_error("--map " + pair + ": " + std::string(core::header_text(*variable)) +
                               " is mapped twice");
    }
    mapping.field_of_target[slot] = index;
  }
  return mapping;
}

int run_import(const ImportArguments& args) {
  refuse_output_that_is_input(args.input_path, args.output_path);
  const auto tools = start_survey_tools();
  if (tools->app.settings.reference != core::kReferenceNchs && !tools->tables.who.found()) {
    throw std::runtime_error(tools->tables.messages.empty() ? "the WHO reference table is missing"
                                                            : tools->tables.messages.front());
  }
  const std::string bytes = formats::read_import_bytes(args.input_path);
  const formats::ImportFormat format = formats::import_format_of(args.input_path);
  if (!args.sheet.empty() && format != formats::ImportFormat::xlsx) {
    throw std::runtime_error("--sheet " + args.sheet + ": " + args.input_path +
                             " is no XLSX spreadsheet");
  }
  const formats::ImportHeader header = formats::read_import_header(
      bytes, format, args.input_path, survey_text_of_argument(args.sheet));
  formats::ImportMapping mapping = mapping_of(args, header.fields, tools->app.dates.order);
  std::string order_source = "given";
  if (args.date_order.empty()) {
    const core::DateOrderGuess guess = formats::guess_file_date_order(
        bytes, header, mapping, tools->app.dates.order, tools->app.today.year);
    mapping.file_order = guess.order;
    order_source = guess.from_data ? "guessed from the dates of the file"
                                   : "the dates read alike in every order; the system's order";
    if (guess.texts == 0) order_source = "no dates";
  }

  // The survey starts as the open command starts one: the options in force, no rows.
  core::Workspace start;
  start.options = core::Options_New(tools->app.settings, tools->app.dates.decimal_separator);
  start.extra_columns_shown = tools->app.settings.show_extra_columns;
  const anthro::RowEvaluationSettings settings = workspace::row_evaluation_settings(
      tools->app.settings, start.options, tools->app.dates, tools->app.today.year);
  formats::ImportContext context;
  context.dates = tools->app.dates;
  context.current_year = tools->app.today.year;
  context.evaluate_row = [&settings, &who = tools->tables.who](core::Workspace& w, int row) {
    anthro::Anthropometrie_Line(w.survey, row, settings, who);
  };
  formats::ImportResult imported =
      formats::import_survey(bytes, header, mapping, args.input_path, std::move(start), context);

  std::string mapped;
  for (int t = 0; t < formats::kImportTargetCount; ++t) {
    const int field = mapping.field_of_target[static_cast<std::size_t>(t)];
    if (field < 0) continue;
    mapped += (mapped.empty() ? "" : ", ") +
              core::windows1252_to_utf8(header.fields[static_cast<std::size_t>(field)].name) + "=" +
              std::string(core::header_text(formats::kImportTargets[static_cast<std::size_t>(t)]));
  }
  // A text the survey file cannot hold was written changed: said, and in the exit status.
  const int saved =
      save_survey_to(*tools, imported.workspace, args.output_path, {args.input_path}, "import");
  for (const formats::ImportNote& note : imported.notes) {
    std::cerr << "olvar-cli import: " << note.message << "\n";
  }
  std::cerr << "olvar-cli import: " << imported.records << " children imported ("
            << (mapped.empty() ? std::string("no field mapped") : mapped) << "; dates read as "
            << core::order_code(mapping.file_order) << ", " << order_source << ")\n";
  if (!imported.data_lost()) return saved;
  std::cerr << "olvar-cli import: " << args.output_path
            << " was written without the data the warnings above name\n";
  return kExitDataNotKept;
}

}  // namespace

CommandAction add_import_command(CLI::App& app) {
  auto args = std::make_shared<ImportArguments>();
  CLI::App* command = app.add_subcommand(
      "import",
      "Import an Epi Info 6 data file (.rec), a dBase III/IV table (.dbf), delimited text "
      "(.csv, .tsv, ...: a header line naming the fields, separated by commas, semicolons or "
      "TABs) or an XLSX spreadsheet (.xlsx: a sheet whose first row names the fields; cells "
      "shown as dates become dates) as a new survey file (.as)");
  command->footer(
      "Fields given to a standard variable fill its column; every other field becomes a user "
      "variable (a field named like a standard variable but not mapped gets a \"_\" in front). "
      "Without --map, the fields named SURVDATE, CLUSTER, TEAM, ID, HH, SEX, BIRTHDAT, AGE or "
      "MONTHS, WEIGHT, HEIGHT, EDEMA or OEDEMA, MUAC, MEASURE, CLOTHES, STRATA and WTFACTOR (case "
      "ignored) are mapped. SEX \"1\", \"m\", \"M\", \"male\" become m, other values f; EDEMA "
      "and CLOTHES \"1\", \"y\", \"Y\" become y, other values n; MEASURE \"1\" or \"l\" becomes "
      "l (lying) and \"2\" or \"h\" h (standing). Records marked as deleted are left out. Every row is evaluated (z-scores) under the "
      "saved settings.\n\n" +
      std::string(kExitStatusHelp) +
      "\nA file cut inside a record keeps the whole records before it (status 2); a file cut "
      "inside its header or with a malformed record is refused (status 1).\n");
  command->add_option("INPUT", args->input_path,
                      "File to import (.rec, .dbf, .xlsx, or delimited text)")
      ->required();
  command
      ->add_option("--map", args->maps,
                   "FIELD=TARGET: the field of the file that gives a standard variable "
                   "(TARGET one of " +
                       target_names() + "); repeat for each")
      ->expected(1)
      ->take_all();
  command
      ->add_option("--date-order", args->date_order,
                   "Order of day, month and year in the file's dates where they are all numbers "
                   "(dBase date fields are always year, month, day; a four-digit year in front "
                   "and month names such as 07-Aug-19 or 7 ao\u00fbt 2019 read in any order); "
                   "without it the order is guessed from the dates (a day above 12 decides), "
                   "else the system's order")
      ->check(CLI::IsMember({"dmy", "mdy", "ymd"}));
  command->add_option("--sheet", args->sheet,
                      "The sheet of an XLSX file to read (its first row names the fields); the "
                      "first sheet without it");
  command->add_option("-o,--output", args->output_path, "Survey file to write (.as)")->required();
  return [args] { return run_import(*args); };
}

}  // namespace olvar::cli
