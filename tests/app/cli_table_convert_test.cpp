// olvar-cli table and convert end to end: the built program on survey files.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_command.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
namespace fs = std::filesystem;

using test::CommandResult;
using test::read_whole_file;

// The system's formats are those of the C locale (dates "08/03/94": month first, "/"), and the
// settings come from an empty data folder, so the defaults (WHO reference) are in force.
class CliSurvey : public ::testing::Test {
 protected:
  CommandResult run(const std::string& arguments) {
    return test::run_cli_at_home(arguments, folder_.path());
  }
  std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

  test::TempFolder folder_;
};

const std::string kHeader =
    "SURVDATE\tCLUSTER\tTEAM\tID\tHH\tSEX\tBIRTHDAT\tMONTHS\tWEIGHT\tHEIGHT\tEDEMA\tMUAC\tWAZ\t"
    "HAZ\tWHZ\tMEASURE\tCLOTHES\tSTRATA\tWTFACTOR";

// Two children; the second line names no WEIGHT, which a reader must take as it comes.
const std::string kSurvey =
    "dmy\r\nSURVDATE\tCLUSTER\tSEX\tMONTHS\tWEIGHT\tHEIGHT\tNOTE\t\r\n"
    "02.03.2026\t1\tm\t12\t9,6\t75.7\tcaf\xE9\t\r\n"
    "02.03.2026\t1\tf\t\t\t\t\t\r\n";

TEST_F(CliSurvey, TablePrintsTheTableAsTheProgramHoldsItInUtf8) {
  const CommandResult r = run("table " + quoted(folder_.write("in.as", kSurvey)));
  ASSERT_EQ(r.status, 0) << r.err;
  // The date in the system order; "9,6" normalised; the z-scores of the WHO standards for a boy
  // of one year at 9.6 kg and 75.7 cm (those of the zscores subcommand); "caf\xE9" in UTF-8.
  EXPECT_EQ(r.out, kHeader + "\tNOTE\n" +
                       "3/2/2026\t1\t\t\t\tm\t\t12\t9.6\t75.7\t\t\t-0.044\t-0.016\t-0.055\t\t\t\t\t"
                       "caf\xC3\xA9\n"
                       "3/2/2026\t1\t\t\t\tf" + std::string(14, '\t') + "\n");
}

TEST_F(CliSurvey, InputThatCannotBeReadFailsWithAClearMessage) {
  const struct {
    const char* what;
    std::string arguments;
    const char* message;
  } cases[] = {
      {"table, missing file", "table " + quoted(folder_ / "missing.as"), "cannot open"},
      {"convert, missing file",
       "convert " + quoted(folder_ / "missing.as") + " " + quoted(folder_ / "out.as"),
       "cannot open"},
      {"table, no header", "table " + quoted(folder_.write("plain.as", "a\r\nb\r\n")),
       "WEIGHT, HEIGHT or SEX"},
  };
  for (const auto& c : cases) {
    const CommandResult r = run(c.arguments);
    EXPECT_NE(r.status, 0) << c.what;
    EXPECT_THAT(r.err, HasSubstr(c.message)) << c.what;
    EXPECT_EQ(r.out, "") << c.what;
  }
  EXPECT_FALSE(fs::exists(folder_ / "out.as"));
}

TEST_F(CliSurvey, ConvertWritesASurveyThatReadsBackTheSame) {
  const fs::path input = folder_.write("in.as", kSurvey);
  const fs::path output = folder_ / "out.as";
  const CommandResult converted = run("convert " + quoted(input) + " " + quoted(output));
  ASSERT_EQ(converted.status, 0) << converted.err;
  const std::string bytes = read_whole_file(output);
  // Written in the system's date order, the date as held, the Windows-1252 byte kept.
  EXPECT_THAT(bytes, StartsWith("mdy\r\n" + kHeader + "\tNOTE\t"));
  EXPECT_THAT(bytes, HasSubstr("\r\n3/2/2026\t1\t\t\t\tm\t\t12\t9.6\t75.7\t"));
  EXPECT_THAT(bytes, HasSubstr("\tcaf\xE9\t"));
  EXPECT_THAT(bytes, HasSubstr("\xA5Options\r\n"));
  EXPECT_EQ(run("table " + quoted(output)).out, run("table " + quoted(input)).out);

  // Converting onto an existing survey keeps that one as the backup.
  ASSERT_EQ(run("convert " + quoted(input) + " " + quoted(output)).status, 0);
  EXPECT_EQ(read_whole_file(folder_ / "out.bak"), bytes);
}

TEST_F(CliSurvey, TableReadsTheExampleSurvey) {
  const fs::path demo = test::build_data_path("examples/demo.as");
  const std::string bytes = read_whole_file(demo);
  for (const char* section : {"\xA5Planning:", "\xA5Training_new:", "\xA5Mortality_new:",
                              "\xA5Options", "\xA5Variables"}) {
    EXPECT_THAT(bytes, HasSubstr(section));
  }
  const CommandResult r = run("table " + quoted(demo));
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines;
  std::istringstream text(r.out);
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  ASSERT_FALSE(lines.empty());
  EXPECT_THAT(lines[0], StartsWith(kHeader));
  // 30 clusters of 26 to 34 children.
  EXPECT_GE(lines.size(), 1u + 30 * 26);
  EXPECT_LE(lines.size(), 1u + 30 * 34);
  // Most children have their WHZ (column 15); the implausible and incomplete ones may not.
  const auto with_whz = std::count_if(lines.begin() + 1, lines.end(), [](const std::string& l) {
    std::istringstream cells(l);
    std::string cell;
    for (int k = 1; k <= 15; ++k) std::getline(cells, cell, '\t');
    return !cell.empty();
  });
  EXPECT_GT(with_whz, static_cast<long>(lines.size()) * 9 / 10);
}

}  // namespace
}  // namespace olvar
