// olvar-cli export end to end: the table of the example survey, its agreement with the survey's
// own z-scores, the refusals, and the table opened by a real LibreOffice Calc.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "document/office_hand_off.h"
#include "support/run_command.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

class CliExport : public ::testing::Test {
 protected:
  test::CommandResult run(const std::string& arguments) {
    return test::run_cli_at_home(arguments, folder_.path());
  }
  std::string demo() { return "'" + test::build_data_path("examples/demo.as") + "'"; }
  std::string at(const std::string& name) { return "'" + (folder_ / name).string() + "'"; }

  test::TempFolder folder_;
};

std::vector<std::vector<std::string>> split(const std::string& text, char separator) {
  std::vector<std::vector<std::string>> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields(1);
    for (char c : line) {
      if (c == separator) {
        fields.emplace_back();
      } else {
        fields.back() += c;
      }
    }
    lines.push_back(fields);
  }
  return lines;
}

TEST_F(CliExport, TableOfTheExampleSurveyShowsItsWhoZScores) {
  const test::CommandResult r = run("export " + demo());
  ASSERT_EQ(r.status, 0) << r.err;
  const auto out = split(r.out, '\t');
  const auto table = split(run("table " + demo()).out, '\t');
  ASSERT_GT(out.size(), 100u);
  ASSERT_EQ(out.size(), table.size()) << "one line per child after the heading line";
  EXPECT_EQ(out[0][12], "WAZ-NCHS");
  EXPECT_EQ(out[0][26], "MUACZ_Ht");
  EXPECT_EQ(out[0][27], "MEASURE");
  int compared = 0;
  // The survey is read with the WHO standards: its WAZ, HAZ, WHZ (columns 12 to 14 of the
  // printed table) are those of the export's WHO columns 15 to 17, oedema apart.
  for (std::size_t row = 1; row < out.size(); ++row) {
    SCOPED_TRACE(row);
    ASSERT_EQ(out[row].size(), out[0].size());
    EXPECT_EQ(out[row][3], table[row][3]);  // ID: the same child
    if (table[row][10] == "y") continue;
    EXPECT_EQ(out[row][15], table[row][12]);
    EXPECT_EQ(out[row][16], table[row][13]);
    EXPECT_EQ(out[row][17], table[row][14]);
    ++compared;
  }
  EXPECT_GT(compared, 100);

  // -o writes the same bytes.
  ASSERT_EQ(run("export " + demo() + " -o " + at("table.tsv")).status, 0);
  EXPECT_EQ(test::read_whole_file(folder_ / "table.tsv"), r.out);
}

// A file another program wrote: the variables in another order, no date-order line. The
// export finds each variable by its name, z-scores included (as worked out by hand in the
// formats tests: WHO WHZ -0.662, height-age 11.38 months).
TEST_F(CliExport, FileWithAnotherOrderOfVariablesIsReadByName) {
  folder_.write("other.as",
                "NAME\tSEX\tMUAC\tMONTHS\tWEIGHT\tHEIGHT\tCLUSTER\tEDEMA\tID\tMEASURE\r\n"
                "Abe\tm\t140\t12\t9\t75\t1\tn\t7\tl\r\n");
  const test::CommandResult r = run("export " + at("other.as"));
  ASSERT_EQ(r.status, 0) << r.err;
  const auto out = split(r.out, '\t');
  ASSERT_EQ(out.size(), 2u);
  ASSERT_EQ(out[1].size(), out[0].size());
  const auto cell = [&](const std::string& heading) {
    for (std::size_t k = 0; k < out[0].size(); ++k) {
      if (out[0][k] == heading) return out[1][k];
    }
    ADD_FAILURE() << "no column " << heading;
    return std::string();
  };
  EXPECT_EQ(out[0][5], "SEX");
  EXPECT_EQ(cell("SEX"), "m");
  EXPECT_EQ(cell("MUAC"), "140");
  EXPECT_EQ(cell("ID"), "7");
  EXPECT_EQ(cell("WHZ-WHO"), "-0.662");
  EXPECT_EQ(cell("Height_Age-WHO"), "11.38");
  EXPECT_EQ(cell("MEASURE"), "l");
  EXPECT_EQ(cell("NAME"), "Abe");
}

TEST_F(CliExport, RefusesWhatItCannotDo) {
  folder_.write("survey.as", test::read_whole_file(test::build_data_path("examples/demo.as")));
  test::CommandResult r = run("export " + at("survey.as") + " -o " + at("survey.as"));
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("is the input"));
  r = run("export " + at("missing.as") + " -o " + at("out.tsv"));
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("missing.as"));
  EXPECT_FALSE(fs::exists(folder_ / "out.tsv"));
  r = run("export --help");
  EXPECT_EQ(r.status, 0);
  EXPECT_THAT(r.out, HasSubstr("height-age"));
}

TEST_F(CliExport, LibreOfficeCalcReadsTheTableWithoutAskingHowItIsSplit) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  }
  // The table as the hand-off names it, opened with the filter Calc is started with and
  // converted to comma-separated text.
  folder_.write("survey.as",
                "dmy\r\nSURVDATE\tCLUSTER\tTEAM\tID\tHH\tSEX\tBIRTHDAT\tMONTHS\tWEIGHT\tHEIGHT\t"
                "EDEMA\tMUAC\tWAZ\tHAZ\tWHZ\tMEASURE\tCLOTHES\tSTRATA\tWTFACTOR\t\r\n"
                "01.03.2026\t1\t1\t7\t3\tm\t\t12\t9\t75\tn\t140\t\t\t\tl\t\t\t\t\r\n");
  ASSERT_EQ(run("export " + at("survey.as") + " -o " + at("excel1.txt")).status, 0);
  const std::string filter(document::kCalcTabTextFilter);
  const test::CommandResult converted = test::run_command(
      "cd '" + folder_.path().string() + "' && HOME='" + folder_.path().string() +
          "' soffice --headless '" + filter +
          "' --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' excel1.txt",
      folder_.path());
  ASSERT_EQ(converted.status, 0) << converted.err;
  const auto cells = split(test::read_whole_file(folder_ / "excel1.csv"), ',');
  ASSERT_EQ(cells.size(), 2u);
  ASSERT_EQ(cells[0].size(), 31u);
  EXPECT_EQ(cells[0][15], "WAZ-WHO");
  EXPECT_EQ(cells[0][25], "Height_Age-WHO");
  // Worked out by hand from the WHO tables (see the formats tests): WHZ -0.662, height-age
  // 11.38 months; Calc reads them as numbers.
  EXPECT_EQ(cells[1][17], "-0.662");
  EXPECT_EQ(cells[1][25], "11.38");
  // The survey date of the day-first file comes in the system's date order (the C locale:
  // month first, 3/1/2026), so Calc takes it for 1 March 2026 and writes it in its own format.
  EXPECT_EQ(cells[1][0], "03/01/26");
}

}  // namespace
}  // namespace olvar
