// olvar-cli: the headless tool for batch work and scripting. Each subcommand is the same call
// the desktop program's menu makes; nothing here opens a window.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "anthro/who_reference.h"
#include "anthro/zscore_batch.h"
#include "platform/environment.h"
#include "platform/folders.h"

namespace {

using namespace olvar;

std::filesystem::path program_folder() {
  return platform::find_program_folder(platform::process_environment(),
                                       platform::current_executable(), OLVAR_BUILD_DATA_DIR);
}

// The WHO table from the program folder. Without it every WHO index would silently come out
// missing, so the command line refuses to go on.
anthro::WhoReference load_who_reference() {
  const std::filesystem::path path = program_folder() / anthro::kWhoTableFileName;
  anthro::WhoReference who = anthro::WhoReference::load(path);
  if (!who.found()) {
    throw std::runtime_error("the WHO reference table " + path.string() +
                             " is missing (set OLVAR_HOME to the folder that holds it)");
  }
  return who;
}

int run_zscores(const std::string& reference_name, const std::string& input_path,
                const std::string& output_path) {
  const anthro::Reference reference =
      reference_name == "nchs" ? anthro::Reference::nchs1977 : anthro::Reference::who2006;
  const anthro::WhoReference who = load_who_reference();

  std::ifstream input(input_path, std::ios::binary);
  if (!input) throw std::runtime_error("cannot open " + input_path + " for reading");
  std::vector<char> input_buffer(1 << 20);
  input.rdbuf()->pubsetbuf(input_buffer.data(), static_cast<std::streamsize>(input_buffer.size()));

  std::ofstream file_output;
  std::vector<char> output_buffer(1 << 20);
  std::ostream* output = &std::cout;
  if (!output_path.empty()) {
    file_output.rdbuf()->pubsetbuf(output_buffer.data(),
                                   static_cast<std::streamsize>(output_buffer.size()));
    file_output.open(output_path, std::ios::binary | std::ios::trunc);
    if (!file_output) throw std::runtime_error("cannot open " + output_path + " for writing");
    output = &file_output;
  }
  const anthro::ZscoreBatchSummary summary =
      anthro::run_zscore_batch(input, *output, reference, who);
  if (file_output.is_open()) {
    file_output.close();
    if (!file_output) throw std::runtime_error("cannot write " + output_path);
  }
  std::cerr << "olvar-cli zscores: " << summary.describe() << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  CLI::App app{"Olvar: nutrition and mortality surveys in emergencies (command-line tool)",
               "olvar-cli"};
  app.set_version_flag("--version", std::string("olvar-cli ") + OLVAR_VERSION);
  app.require_subcommand(0, 1);
  app.footer("Run 'olvar-cli SUBCOMMAND --help' for the options of a subcommand.");

  std::string reference = "who";
  std::string input_path;
  std::string output_path;
  CLI::App* zscores = app.add_subcommand(
      "zscores",
      "Add z-scores to a comma-separated file of children (columns sex, age_days, "
      "weight_kg, height_cm, measure, oedema, muac_mm)");
  zscores->add_option("--reference", reference, "Growth reference: who (2006) or nchs (1977)")
      ->transform(CLI::IsMember({"who", "nchs"}, CLI::ignore_case));
  zscores->add_option("INPUT", input_path, "Comma-separated input file")->required();
  zscores->add_option("-o,--output", output_path, "Output file (standard output without it)");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }

  try {
    if (zscores->parsed()) return run_zscores(reference, input_path, output_path);
  } catch (const std::exception& e) {
    std::cerr << "olvar-cli " << app.get_subcommands().front()->get_name() << ": " << e.what()
              << "\n";
    return 1;
  }
  std::cout << app.help();
  return 0;
}
