// olvar-cli sample-size, clusters and random-numbers end to end: the built program on files.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_command.h"
#include "support/test_paths.h"

namespace olvar {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

using test::CommandResult;
using test::read_whole_file;

class CliPlanning : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() /
        ("olvar_cli_planning_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path write(const std::string& name, const std::string& text) {
    std::ofstream(folder_ / name, std::ios::binary) << text;
    return folder_ / name;
  }

  CommandResult run(const std::string& arguments) {
    return test::run_cli(arguments, folder_);
  }

  fs::path folder_;
};

TEST_F(CliPlanning, SampleSizesOfTheWorkedExamples) {
  struct Case {
    const char* arguments;
    const char* expected;
  };
  const Case cases[] = {
      {"",
       "children_to_include\t401\nhouseholds_for_children\t613\n"
       "persons_to_include\t3747\nhouseholds_for_persons\t773\n"},
      // Random sampling forces both design effects to 1, whatever was given.
      {"--sampling random --design-effect 2",
       "children_to_include\t246\n"
       "households_for_children\t376\n"
       "persons_to_include\t2295\n"
       "households_for_persons\t473\n"},
      {"--population 10000",
       "children_to_include\t310\nhouseholds_for_children\t473\n"
       "persons_to_include\t2726\nhouseholds_for_persons\t562\n"},
      {"--population 100",
       "children_to_include\t401\nhouseholds_for_children\t613\n"
       "persons_to_include\t3747\nhouseholds_for_persons\t773\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const CommandResult r = run(std::string("sample-size ") + c.arguments);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.expected);
  }
}

TEST_F(CliPlanning, SampleSizeRefusesFiguresItCannotUse) {
  const CommandResult letters = run("sample-size --prevalence 2o");
  EXPECT_EQ(letters.status, 1);
  EXPECT_EQ(letters.out, "");
  EXPECT_THAT(letters.err, HasSubstr("\"2o\" is not a number"));
  EXPECT_EQ(run("sample-size --precision 0").status, 1);
  EXPECT_NE(run("sample-size --sampling stratified").status, 0);
  // The message names what can leave nothing to divide by, the recall period included.
  const CommandResult no_recall = run("sample-size --recall-days 0");
  EXPECT_EQ(no_recall.status, 1);
  EXPECT_THAT(no_recall.err, HasSubstr("recall period of 0"));
  // A population no whole number can hold is refused, not converted.
  const CommandResult huge = run("sample-size --population 1e20");
  EXPECT_EQ(huge.status, 1);
  EXPECT_THAT(huge.err, HasSubstr("\"1e20\" is too large"));
}

TEST_F(CliPlanning, ClustersKeepTheInputOrderAndRepeatWithTheSeed) {
  const fs::path units = write("units.tsv",
                               "village\tpeople\r\nAbu\t2000\r\nBora\t\r\nCala\t2000\r\n"
                               "Dali\t2000\r\n");
  const CommandResult r = run("clusters '" + units.string() + "' --clusters 2 --seed 17 -o '" +
                              (folder_ / "out.tsv").string() + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("seed 17"));
  const std::string out = read_whole_file(folder_ / "out.tsv");
  std::istringstream lines(out);
  std::vector<std::string> rows;
  for (std::string line; std::getline(lines, line);) rows.push_back(line);
  ASSERT_EQ(rows.size(), 5u) << out;
  EXPECT_EQ(rows[0], "name\tpopulation\tcluster");
  EXPECT_EQ(rows[2], "Bora\t\t");
  std::vector<std::string> labels;
  for (const int i : {1, 3, 4}) labels.push_back(rows[i].substr(rows[i].rfind('\t') + 1));
  EXPECT_THAT(labels, ::testing::UnorderedElementsAre("1", "2", "RC"));
  EXPECT_EQ(out.find('\r'), std::string::npos);

  // The same seed on standard output gives the same table.
  const CommandResult again = run("clusters '" + units.string() + "' --clusters 2 --seed 17");
  EXPECT_EQ(again.out, out);
}

TEST_F(CliPlanning, ClustersRefuseBadInputAndTheirOwnInputAsOutput) {
  const fs::path units = write("units.tsv", "name\tpopulation\nAbu\t2000\nBora\t12.5\n");
  const CommandResult decimal = run("clusters '" + units.string() + "'");
  EXPECT_EQ(decimal.status, 1);
  EXPECT_THAT(decimal.err, HasSubstr("line 3"));
  const fs::path good = write("good.tsv", "name\tpopulation\nAbu\t2000\n");
  const std::string before = read_whole_file(good);
  const CommandResult same = run("clusters '" + good.string() + "' -o '" + good.string() + "'");
  EXPECT_EQ(same.status, 1);
  EXPECT_THAT(same.err, HasSubstr("is the input file"));
  EXPECT_EQ(read_whole_file(good), before);
  EXPECT_THAT(run("clusters '" + good.string() + "' --clusters ten").err,
              HasSubstr("\"ten\" is not a whole number"));
}

TEST_F(CliPlanning, RandomNumbersAsText) {
  const CommandResult r = run("random-numbers --from 1 --to 10 --count 10 --seed 3");
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream lines(r.out);
  std::vector<std::string> rows;
  for (std::string line; std::getline(lines, line);) rows.push_back(line);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], "Random Number table");
  EXPECT_EQ(rows[1], "Range: 1 to 10, Number: 10");
  EXPECT_EQ(rows[2], "Seed: 3");
  std::istringstream numbers(rows[3]);
  std::vector<int> drawn;
  for (std::string n; std::getline(numbers, n, '\t');) drawn.push_back(std::stoi(n));
  std::sort(drawn.begin(), drawn.end());
  EXPECT_EQ(drawn, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

  const CommandResult refused = run("random-numbers --from 1 --to 10 --count 11");
  EXPECT_EQ(refused.status, 1);
  EXPECT_THAT(refused.err, HasSubstr("Please give a range"));
}

}  // namespace
}  // namespace olvar
