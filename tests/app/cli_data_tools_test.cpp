// olvar-cli sort and analysis end to end on the example survey.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_command.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

class CliDataTools : public ::testing::Test {
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

TEST_F(CliDataTools, SortDescendingThenAscendingGivesTheTableBack) {
  const test::CommandResult before = run("table " + demo());
  ASSERT_EQ(before.status, 0) << before.err;
  test::CommandResult r = run("sort " + demo() + " --by CLUSTER:desc --by ID:desc -o " + at("d.as"));
  ASSERT_EQ(r.status, 0) << r.err;
  const auto descending = split(run("table " + at("d.as")).out, '\t');
  ASSERT_GT(descending.size(), 3u);
  EXPECT_EQ(descending[1][1], "30");  // the last cluster first
  EXPECT_GT(std::stoi(descending[1][3]), std::stoi(descending[2][3]));

  r = run("sort " + at("d.as") + " --by CLUSTER --by ID -o " + at("a.as"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(run("table " + at("a.as")).out, before.out);
}

TEST_F(CliDataTools, SortRefusesWhatItCannotDo) {
  struct Case {
    const char* arguments;
    const char* message;
  };
  const Case cases[] = {
      {" --by NOPE -o OUT", "no variable NOPE"},
      {" --by CLUSTER:desc --by ID -o OUT", "one order"},
      {" --by CLUSTER:sideways -o OUT", "asc or desc"},
      {" --by CLUSTER --by ID --by TEAM -o OUT", "one or two"},
      // No variable is named "": the unnamed spare columns are no sort key.
      {" --by '' -o OUT", "give the name of a variable"},
      {" --by :desc -o OUT", "give the name of a variable"},
      {" --by CLUSTER --by '' -o OUT", "give the name of a variable"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    std::string arguments = c.arguments;
    arguments.replace(arguments.find("OUT"), 3, at("out.as"));
    const test::CommandResult r = run("sort " + demo() + arguments);
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr(c.message));
    EXPECT_FALSE(fs::exists(folder_ / "out.as"));
  }
}

TEST_F(CliDataTools, AnalysisWhoIndicesMatchTheSurveysOwnForChildrenWithoutOedema) {
  folder_.write("olvar.txt", "a,b,c,d,e\n1,2,3,4,5\n");
  const test::CommandResult r =
      run("analysis " + demo() + " " + at("olvar.txt") + " -o " + at("olvar_zscores.txt"));
  ASSERT_EQ(r.status, 0) << r.err;
  const auto out = split(test::read_whole_file(folder_ / "olvar_zscores.txt"), ',');
  const auto table = split(run("table " + demo()).out, '\t');
  ASSERT_GT(out.size(), 100u);
  EXPECT_EQ(out[1][0], "1");
  int compared = 0;
  // The survey is read with the WHO standards: its WAZ, HAZ, WHZ (columns 12 to 14 of the
  // printed table, which has no row numbers) are the WHO ones unless oedema suppressed them.
  for (std::size_t row = 1; row < out.size() && row < table.size(); ++row) {
    SCOPED_TRACE(row);
    ASSERT_EQ(out[row].size(), 41u);  // 40 fields, each ended by ","
    if (table[row][10] == "y") continue;
    EXPECT_EQ(out[row][8], table[row][12]);
    EXPECT_EQ(out[row][9], table[row][13]);
    EXPECT_EQ(out[row][10], table[row][14]);
    ++compared;
  }
  EXPECT_GT(compared, 100);
}

TEST_F(CliDataTools, AnalysisWithoutItsCompanionFileFailsAndWritesNothing) {
  const test::CommandResult r =
      run("analysis " + demo() + " " + at("olvar.txt") + " -o " + at("out.txt"));
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("olvar.txt"));
  EXPECT_FALSE(fs::exists(folder_ / "out.txt"));
}

}  // namespace
}  // namespace olvar

namespace olvar {
namespace {

// Two small surveys with known differences: the second has an extra variable, one weight typed
// differently and one household mortality line more.
const std::string kFirst =
    "dmy\r\nCLUSTER\tID\tSEX\tMONTHS\tWEIGHT\tHEIGHT\r\n"
    "1\t1\tm\t20\t10.5\t80.1\r\n"
    "1\t2\tf\t30\t11\t85\r\n"
    "\xA5Mortality_new:\r\n1\t1\t3\t2\t0\t0\t0\t0\t0\t0\t0\r\n";
const std::string kSecond =
    "dmy\r\nCLUSTER\tID\tSEX\tMONTHS\tWEIGHT\tHEIGHT\r\n"
    "1\t1\tm\t20\t10.5\t80.1\r\n"
    "1\t2\tf\t30\t11.9\t85\r\n"
    "\xA5Mortality_new:\r\n1\t1\t3\t2\t0\t0\t0\t0\t0\t0\t0\r\n2\t1\t4\t1\t0\t0\t0\t0\t0\t0\t0\r\n";
const std::string kExtra =
    "dmy\r\nCLUSTER\tID\tSEX\tMONTHS\tWEIGHT\tHEIGHT\tEXTRA\r\n"
    "2\t1\tm\t20\t10.5\t80.1\tx1\r\n";

TEST_F(CliDataTools, DoubleEntryListsExactlyTheLinesThatDiffer) {
  folder_.write("a.as", kFirst);
  folder_.write("b.as", kSecond);
  test::CommandResult r = run("double-entry " + at("a.as") + " " + at("b.as") + " --mortality -o " +
                              at("r.rtf"));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string rtf = test::read_whole_file(folder_ / "r.rtf");
  EXPECT_THAT(rtf, ::testing::StartsWith("{\\rtf1"));
  EXPECT_THAT(rtf, HasSubstr("Difference in line 2 \\par "));  // the second child
  EXPECT_THAT(rtf, HasSubstr("\t1\t2\tf\t30\t11.9\t85"));
  EXPECT_THAT(rtf, HasSubstr("Household level \\b0\\par\\par Difference in line 2 \\par "));
  EXPECT_THAT(rtf, HasSubstr("on the Individual level seems to be identical"));
  EXPECT_THAT(r.err, HasSubstr("2 lines differ"));

  r = run("double-entry " + at("a.as") + " " + at("a.as") + " --mortality");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("seem to be identical"));
  EXPECT_THAT(r.out, ::testing::Not(HasSubstr("Difference")));
}

TEST_F(CliDataTools, MergeAppendsChildrenVariablesAndHouseholds) {
  folder_.write("a.as", kFirst);
  folder_.write("b.as", kSecond);
  folder_.write("c.as", kExtra);
  const test::CommandResult r =
      run("merge " + at("a.as") + " " + at("c.as") + " " + at("b.as") + " -o " + at("m.as"));
  ASSERT_EQ(r.status, 0) << r.err;
  const auto table = split(run("table " + at("m.as")).out, '\t');
  ASSERT_EQ(table.size(), 6u);  // the header and five children
  EXPECT_EQ(table[0].back(), "EXTRA");
  EXPECT_EQ(table[3][1], "2");  // the child of c.as after those of a.as
  EXPECT_EQ(table[3].back(), "x1");
  EXPECT_EQ(table[1].back(), "");
  EXPECT_EQ(table[5][8], "11.9");
  const std::string merged = test::read_whole_file(folder_ / "m.as");
  const std::string households = merged.substr(merged.find("\xA5Mortality"));
  EXPECT_THAT(households, HasSubstr("1\t1\t3\t2\t0\t0\t0\t0\t0\t0\t0\t\r\n1\t1\t3\t2"));
  EXPECT_THAT(households, HasSubstr("2\t1\t4\t1"));

  EXPECT_EQ(run("merge " + at("a.as") + " " + at("b.as") + " -o " + at("a.as")).status, 1);
}

}  // namespace
}  // namespace olvar
