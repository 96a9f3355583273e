// olvar-cli zscores: z-scores for a comma-separated file of children.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "anthro/zscore_batch.h"
#include "app/cli_commands.h"
#include "platform/safe_write.h"

namespace olvar::cli {

namespace {

struct ZscoresArguments {
  std::string reference = "who";
  std::string input_path;
  std::string output_path;
};

int run_zscores(const ZscoresArguments& args) {
  // "-" and the system's names of standard output come back empty: the table is printed.
  const std::string output_file = checked_output(args.output_path);
  if (!output_file.empty()) refuse_output_that_is_input(args.input_path, output_file);
  const anthro::Reference reference =
      args.reference == "nchs" ? anthro::Reference::nchs1977 : anthro::Reference::who2006;
  const anthro::WhoReference who = load_who_reference();

  std::ifstream input(args.input_path, std::ios::binary);
  if (!input || std::filesystem::is_directory(args.input_path)) {
    throw std::runtime_error("cannot open " + args.input_path + " for reading");
  }
  std::vector<char> input_buffer(1 << 20);
  input.rdbuf()->pubsetbuf(input_buffer.data(), static_cast<std::streamsize>(input_buffer.size()));

  // A failure of the input names the input; a failing write names where it went.
  auto input_failure = [&](const anthro::ZscoreBatchError& e) {
    return std::runtime_error(args.input_path + ": " + e.what());
  };
  anthro::ZscoreBatchSummary summary;
  if (output_file.empty()) {
    try {
      summary = anthro::run_zscore_batch(input, std::cout, reference, who);
    } catch (const anthro::ZscoreBatchError& e) {
      if (!std::cout) throw std::runtime_error("cannot write to standard output");
      throw input_failure(e);
    }
    write_to_standard_output({});
  } else {
    // The table goes to a temporary file that replaces the output only when complete: a
    // failure (a full disk, a bad header) leaves the previous file as it was.
    platform::SafeFileStream output(output_file);
    try {
      summary = anthro::run_zscore_batch(input, output, reference, who);
    } catch (const anthro::ZscoreBatchError& e) {
      if (!output.failure().empty()) throw platform::WriteFailure(output.failure());
      throw input_failure(e);
    }
    output.commit();
  }
  for (const std::string& line : summary.skipped_lines()) {
    std::cerr << "olvar-cli zscores: " << args.input_path << ": " << line << "\n";
  }
  std::cerr << "olvar-cli zscores: " << summary.describe() << "\n";
  return summary.rows_skipped > 0 ? kExitDataNotKept : kExitDone;
}

}  // namespace

CommandAction add_zscores_command(CLI::App& app) {
  auto args = std::make_shared<ZscoresArguments>();
  CLI::App* command = app.add_subcommand(
      "zscores", "Add z-scores to a comma-separated file of children (columns sex, age_days, "
                 "weight_kg, height_cm, measure, oedema, muac_mm). A record with more or fewer fields "
                 "than the header is left out and named by its line (exit status 2)");
  command
      ->add_option("--reference", args->reference, "Growth reference: who (2006) or nchs (1977)")
      ->transform(CLI::IsMember({"who", "nchs"}, CLI::ignore_case));
  command->add_option("INPUT", args->input_path, "Comma-separated input file")->required();
  command->add_option("-o,--output", args->output_path,
                      "Output file (standard output without it)");
  return [args] { return run_zscores(*args); };
}

}  // namespace olvar::cli
