// olvar-cli double-entry: the double-entry check report of two survey files, written as RTF.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>

#include "app/cli_commands.h"
#include "document/office_hand_off.h"
#include "document/rtf.h"
#include "formats/double_entry.h"

namespace olvar::cli {

namespace {

struct DoubleEntryArguments {
  std::string first_path;
  std::string second_path;
  std::string output_path;
  bool no_anthropometric = false;
  bool mortality = false;
};

formats::DoubleEntryFile read_whole(const std::string& path) {
  std::error_code ignored;
  std::ifstream in(path, std::ios::binary);
  if (!in || std::filesystem::is_directory(path, ignored)) {
    throw std::runtime_error("cannot open " + path + " for reading");
  }
  formats::DoubleEntryFile file{path, {}};
  file.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) throw std::runtime_error("cannot read " + path);
  return file;
}

int run_double_entry(const DoubleEntryArguments& args) {
  if (!args.output_path.empty()) {
    refuse_output_that_is_input(args.first_path, args.output_path);
    refuse_output_that_is_input(args.second_path, args.output_path);
  }
  const auto tools = start_survey_tools();
  const formats::DoubleEntryReport report = formats::double_entry_report(
      read_whole(args.first_path), read_whole(args.second_path),
      {!args.no_anthropometric, args.mortality}, tools->tables.text);
  std::string document = report.rtf;
  document += document::rtf::kDocumentEnd;
  document += document::kLineBreak;
  write_output(args.output_path, document);
  std::cerr << "olvar-cli double-entry: " << report.differences << " lines differ\n";
  return kExitDone;
}

}  // namespace

CommandAction add_double_entry_command(CLI::App& app) {
  auto args = std::make_shared<DoubleEntryArguments>();
  CLI::App* command = app.add_subcommand(
      "double-entry", "Compare two survey files entered twice by different people and write "
                      "the report (RTF) of the lines that differ");
  command->add_option("FILE1", args->first_path, "Survey file of the first entry")->required();
  command->add_option("FILE2", args->second_path, "Survey file of the second entry")->required();
  command->add_option("-o,--output", args->output_path, "Report file (standard output without it)");
  command->add_flag("--mortality", args->mortality, "Compare the mortality data too");
  command->add_flag("--no-anthropometric", args->no_anthropometric,
                    "Leave out the anthropometric data");
  return [args] { return run_double_entry(*args); };
}

}  // namespace olvar::cli
