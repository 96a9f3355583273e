// olvar-cli graph end to end: every graph type of the results page and the growth chart, drawn
// from the bundled example survey as SVG.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/run_command.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
namespace fs = std::filesystem;

class CliGraph : public ::testing::Test {
 protected:
  void SetUp() override {
    survey_ = folder_ / "survey.as";
    fs::copy_file(test::build_data_path("examples/demo.as"), survey_);
    survey_bytes_ = test::read_whole_file(survey_);
  }
  test::CommandResult run(const std::string& arguments) {
    return test::run_cli("graph '" + survey_.string() + "' " + arguments, folder_.path());
  }
  static void expect_svg(const std::string& svg) {
    EXPECT_THAT(svg, StartsWith("<?xml"));
    EXPECT_THAT(svg, EndsWith("</svg>\n"));
    EXPECT_THAT(svg, Not(HasSubstr("nan")));
    EXPECT_THAT(svg, Not(HasSubstr("inf")));
  }

  test::TempFolder folder_;
  fs::path survey_;
  std::string survey_bytes_;
};

TEST_F(CliGraph, DrawsEveryTypeOfEveryIndex) {
  struct Case {
    const char* index;
    std::vector<const char*> types;
  };
  const std::vector<const char*> distributions = {"gaussian",       "cumulative", "gaussian-sex",
                                                  "cumulative-sex", "cluster",    "age"};
  const Case cases[] = {
      {"whz",
       {"probability", "probability-sex", "cases-below-2", "cases-below-3", "cases-oedema",
        "cases-gam", "cases-sam"}},
      {"haz", {"probability", "cases-below-2", "cases-below-3"}},
      {"waz", {"probability-sex", "cases-below-2", "cases-below-3"}},
      {"muac", {}},
  };
  for (const Case& c : cases) {
    std::vector<const char*> types = distributions;
    types.insert(types.end(), c.types.begin(), c.types.end());
    for (const char* type : types) {
      SCOPED_TRACE(std::string(c.index) + " " + type);
      const fs::path out = folder_ / (std::string(c.index) + "_" + type + ".svg");
      const test::CommandResult r =
          run(std::string("--index ") + c.index + " --type " + type + " -o '" + out.string() + "'");
      ASSERT_EQ(r.status, 0) << r.err;
      expect_svg(test::read_whole_file(out));
    }
  }
  EXPECT_EQ(test::read_whole_file(survey_), survey_bytes_);
}

TEST_F(CliGraph, ClusterGraphPrintsItsResultLines) {
  const test::CommandResult r =
      run("--index whz --type cluster -o '" + (folder_ / "g.svg").string() + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, StartsWith("WHZ by cluster\n\nCluster 1 :"));
  EXPECT_THAT(r.out, HasSubstr(" \u00b1"));  // written as UTF-8
}

TEST_F(CliGraph, WithoutAFileTheSvgGoesToStandardOutput) {
  const test::CommandResult r = run("--index haz --type probability");
  ASSERT_EQ(r.status, 0) << r.err;
  expect_svg(r.out);
  EXPECT_THAT(r.out, HasSubstr("Probability Plot for HAZ"));
}

TEST_F(CliGraph, GrowthChartOfOneChild) {
  for (const char* type : {"weight-for-age", "height-for-age", "weight-for-height"}) {
    SCOPED_TRACE(type);
    const test::CommandResult r = run(std::string("--child 3 --type ") + type);
    ASSERT_EQ(r.status, 0) << r.err;
    expect_svg(r.out);
    EXPECT_THAT(r.out, HasSubstr("this child"));
  }
}

TEST_F(CliGraph, RefusesWhatItCannotDraw) {
  struct Case {
    std::string arguments;
    std::string message;
  };
  const Case cases[] = {
      {"--index muac --type probability", "not drawn for MUAC"},
      {"--index haz --type cases-gam", "not drawn for HAZ"},
      {"--type pie", "not a graph type"},
      {"--child 70000", "no row 70000"},
      {"--child 0", "the row 0 is not a row number (1, 2, ...)"},
      {"--child -3", "the row -3 is not a row number"},
      {"--child 1.5", "the row 1.5 is not a row number"},
      {"--child abc", "the row abc is not a row number"},
      {"--child 99999999999", "the row 99999999999 is not a row number"},
      {"--child 2 --type cluster", "not a growth chart"},
      {"-o '" + survey_.string() + "'", "is the input file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const test::CommandResult r = run(c.arguments);
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr(c.message));
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(test::read_whole_file(survey_), survey_bytes_);
}

TEST_F(CliGraph, HelpListsTheGraphTypes) {
  const test::CommandResult r = test::run_cli("graph --help", folder_.path());
  ASSERT_EQ(r.status, 0);
  for (const char* name : {"gaussian", "probability-sex", "cluster", "age", "cases-sam",
                           "weight-for-height", "--child"}) {
    EXPECT_THAT(r.out, HasSubstr(name));
  }
}

}  // namespace
}  // namespace olvar
