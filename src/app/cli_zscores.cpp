// olvar-cli zscores: z-scores for a comma-separated file of children.

#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "anthro/zscore_batch.h"
#include "app/cli_commands.h"

namespace olvar::cli {

namespace {

struct ZscoresArguments {
  std::string reference = "who";
  std::string input_path;
  std::string output_path;
};

int run_zscores(const ZscoresArguments& args) {
  const anthro::Reference reference =
      args.reference == "nchs" ? anthro::Reference::nchs1977 : anthro::Reference::who2006;
  const anthro::WhoReference who = load_who_reference();

  std::ifstream input(args.input_path, std::ios::binary);
  if (!input) throw std::runtime_error("cannot open " + args.input_path + " for reading");
  std::vector<char> input_buffer(1 << 20);
  input.rdbuf()->pubsetbuf(input_buffer.data(), static_cast<std::streamsize>(input_buffer.size()));

  std::ofstream file_output;
  std::vector<char> output_buffer(1 << 20);
  std::ostream* output = &std::cout;
  if (!args.output_path.empty()) {
    file_output.rdbuf()->pubsetbuf(output_buffer.data(),
                                   static_cast<std::streamsize>(output_buffer.size()));
    file_output.open(args.output_path, std::ios::binary | std::ios::trunc);
    if (!file_output) throw std::runtime_error("cannot open " + args.output_path + " for writing");
    output = &file_output;
  }
  const anthro::ZscoreBatchSummary summary =
      anthro::run_zscore_batch(input, *output, reference, who);
  if (file_output.is_open()) {
    file_output.close();
    if (!file_output) throw std::runtime_error("cannot write " + args.output_path);
  }
  std::cerr << "olvar-cli zscores: " << summary.describe() << "\n";
  return 0;
}

}  // namespace

CommandAction add_zscores_command(CLI::App& app) {
  auto args = std::make_shared<ZscoresArguments>();
  CLI::App* command = app.add_subcommand(
      "zscores", "Add z-scores to a comma-separated file of children (columns sex, age_days, "
                 "weight_kg, height_cm, measure, oedema, muac_mm)");
  command
      ->add_option("--reference", args->reference, "Growth reference: who (2006) or nchs (1977)")
      ->transform(CLI::IsMember({"who", "nchs"}, CLI::ignore_case));
  command->add_option("INPUT", args->input_path, "Comma-separated input file")->required();
  command->add_option("-o,--output", args->output_path,
                      "Output file (standard output without it)");
  return [args] { return run_zscores(*args); };
}

}  // namespace olvar::cli
