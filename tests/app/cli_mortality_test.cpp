// olvar-cli import-mortality and mortality end to end on the real survey of the shared data.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
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

class CliMortality : public ::testing::Test {
 protected:
  test::CommandResult run(const std::string& arguments) {
    return test::run_cli(arguments, folder_.path());
  }
  std::string quoted(const fs::path& p) { return "'" + p.string() + "'"; }
  void write(const fs::path& p, const std::string& text) { std::ofstream(p) << text; }
  test::TempFolder folder_;
};

// The 2019 survey of the shared data: 485 households in 55 clusters; the recall period ran from
// 21 April 2019 to each interview (94 to 108 days, mean 101.1): 101 days here.
// Hand computation of the person-equivalents (1 present, 0.5 with one event, 0 with two):
//   roster 3608: 1 without sex left out; 3547 without event = 3547; 43 joined and 12 born
//                = 55 x 0.5 = 27.5; 5 joined and born = 0                      -> 3574.5
//   left 153:    123 only left = 61.5; 30 joined and left = 0                   ->   61.5
//   died 19:     13 only died = 6.5; 5 joined and died, 1 joined, born, died = 0 ->    6.5
//   N = 3642.5, D = 19: crude rate 19 / 3642.5 x 10000 / 101 = 0.5165 -> "0.52"
// Under five (age 0-4): roster 589 + 17 x 0.5 (12 born, 5 joined) = 597.5, left 8 x 0.5 = 4,
// the one death (aged 0, joined and born) counts 0: N = 601.5, D = 1:
//   1 / 601.5 x 10000 / 101 = 0.1646 -> "0.16"; person-days 601.5 x 101 = 60751.5.
TEST_F(CliMortality, RealSurveyRatesMatchTheHandComputation) {
  const fs::path survey = folder_ / "survey.as";
  test::CommandResult r = run(
      "import-mortality " + quoted(test::survey_data_path("mortality_healthyr_roster1.csv")) +
      " --left " + quoted(test::survey_data_path("mortality_healthyr_left1.csv")) + " --died " +
      quoted(test::survey_data_path("mortality_healthyr_died1.csv")) +
      " --recall-days 101 -o " + quoted(survey));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "485 households, 3780 persons\n");

  r = run("mortality " + quoted(survey));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, StartsWith("name\trate\tlower\tupper\tdesign effect\tdeaths\tperson-days\n"
                                "crude death rate\t0.52\t"));
  EXPECT_THAT(r.out, HasSubstr("\t19\t367892.5\n"));  // 3642.5 x 101
  EXPECT_THAT(r.out, HasSubstr("\nunder-five death rate\t0.16\t"));
  EXPECT_THAT(r.out, HasSubstr("\t1\t60751.5\nMale\t"));
  EXPECT_THAT(r.out, HasSubstr("\n0-4\t0.16\t"));  // the Options page's first flexible group

  // Every death counts in every rate it belongs to: the six flexible age groups hold the crude
  // rate's 19 deaths between them, 65-120 its 6 (one of them joined and died in a cluster where
  // no other person of that age lives), and so do the sexes.
  std::map<std::string, std::string> deaths;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> cells;
    std::istringstream fields(line);
    for (std::string cell; std::getline(fields, cell, '\t');) cells.push_back(cell);
    if (cells.size() == 7) deaths[cells[0]] = cells[5];
  }
  EXPECT_EQ(deaths["65-120"], "6");
  int by_age = 0;
  for (const char* group : {"0-4", "5-11", "12-17", "18-49", "50-64", "65-120"}) {
    SCOPED_TRACE(group);
    ASSERT_TRUE(deaths.contains(group));
    by_age += std::stoi(deaths[group]);
  }
  EXPECT_EQ(by_age, 19);
  EXPECT_EQ(std::stoi(deaths["Male"]) + std::stoi(deaths["Female"]), 19);

  r = run("mortality " + quoted(survey) + " --groups 5");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("\n85-120\t"));
}

// The lists of persons who left and who died are options: a roster alone is a whole survey.
TEST_F(CliMortality, RosterAloneImportsWithoutLeftAndDiedLists) {
  const fs::path roster = folder_ / "roster.csv";
  write(roster, "KEY,sex_roster,age_years,joined,birth,cluster_id\nh1,m,3,n,n,1\nh1,f,30,n,n,1\n"
                "h2,f,1,n,y,2\n");
  test::CommandResult r = run("import-mortality " + quoted(roster) + " --recall-days 90 -o " +
                              quoted(folder_ / "out.as"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "2 households, 3 persons\n");

  r = run("mortality " + quoted(folder_ / "out.as"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("crude death rate\t0.00\t"));
}

// Rosters as spreadsheets of other systems save them: a UTF-8 byte order mark before KEY, lines
// ended by a lone CR, a quoted value holding a line break. Each is the same two households.
TEST_F(CliMortality, RostersOfEverySpreadsheetGiveTheSameHouseholds) {
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"byte order mark",
       "\xEF\xBB\xBFKEY,sex_roster,age_years,joined,birth,cluster_id\n"
       "h1,m,3,n,n,1\nh2,f,30,n,n,2\n"},
      {"lone CR line ends",
       "KEY,sex_roster,age_years,joined,birth,cluster_id\r"
       "h1,m,3,n,n,1\rh2,f,30,n,n,2\r"},
      {"quoted line break",
       "KEY,sex_roster,age_years,joined,birth,cluster_id,note\r\n"
       "h1,m,3,n,n,1,\"first\r\nsecond\"\r\nh2,f,30,n,n,2,\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path roster = folder_ / "roster.csv";
    write(roster, c.bytes);
    const test::CommandResult r = run("import-mortality " + quoted(roster) +
                                      " --recall-days 90 -o " + quoted(folder_ / "out.as"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "2 households, 2 persons\n");
  }
}

// A household whose cluster is no number 1 ... 999 is in no rate and no pyramid bar: the
// commands say how many persons they left out, so that a lower rate is not taken at face value.
TEST_F(CliMortality, TellsHowManyPersonsItLeftOutForTheirCluster) {
  const fs::path roster = folder_ / "roster.csv";
  write(roster, "KEY,sex_roster,age_years,joined,birth,cluster_id\nh1,m,3,n,n,1\nh1,f,30,n,n,1\n"
                "h2,f,1,n,n,north\nh2,m,33,n,n,north\nh3,f,8,n,n,\n");
  ASSERT_EQ(run("import-mortality " + quoted(roster) + " --recall-days 90 -o " +
                quoted(folder_ / "out.as"))
                .status,
            0);
  const std::string message =
      "3 persons left out because the Cluster of their household is not a whole number from 1 "
      "to 999\n";
  test::CommandResult r = run("mortality " + quoted(folder_ / "out.as"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("olvar-cli mortality: " + message));
  r = run("pyramid " + quoted(folder_ / "out.as") + " -o " + quoted(folder_ / "p.svg"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("olvar-cli pyramid: " + message));

  write(roster, "KEY,sex_roster,age_years,joined,birth,cluster_id\nh1,m,3,n,n,1\n");
  ASSERT_EQ(run("import-mortality " + quoted(roster) + " --recall-days 90 -o " +
                quoted(folder_ / "all.as"))
                .status,
            0);
  EXPECT_EQ(run("mortality " + quoted(folder_ / "all.as")).err, "");
}

TEST_F(CliMortality, ClearMessagesForBadInput) {
  const fs::path roster = folder_ / "roster.csv";
  write(roster, "KEY,sex_roster,age_years,joined,cluster_id\nh1,m,3,n,1\n");
  test::CommandResult r = run("import-mortality " + quoted(roster) +
                              " --recall-days 90 -o " + quoted(folder_ / "out.as"));
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("roster: the column \"birth\" is missing"));
  EXPECT_FALSE(fs::exists(folder_ / "out.as"));

  write(roster,
                         "KEY,sex_roster,age_years,joined,birth,cluster_id\nh1,m,3,n,n,1\n");
  r = run("import-mortality " + quoted(roster) + " --recall-days 9.5 -o " +
          quoted(folder_ / "out.as"));
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("recall period (days) \"9.5\" is not a whole number above 0"));
}

}  // namespace
}  // namespace olvar
