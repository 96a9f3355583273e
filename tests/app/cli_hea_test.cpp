// olvar-cli hea end to end on the default HEA file: the spreadsheet table of a wealth group, the
// data check, the graph, and files that are refused with their name and line.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/run_command.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
namespace fs = std::filesystem;

class CliHea : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = folder_ / "zone.fs";
    fs::copy_file(test::source_path("data/default.fs"), file_);
    bytes_ = test::read_whole_file(file_);
  }
  test::CommandResult run(const std::string& arguments, const fs::path& file = {}) {
    return test::run_command("'" + test::cli_path() + "' hea '" +
                                 (file.empty() ? file_ : file).string() + "' " + arguments,
                             folder_.path());
  }

  test::TempFolder folder_;
  fs::path file_;
  std::string bytes_;
};

TEST_F(CliHea, TableOfTheFirstOrTheNamedGroup) {
  const fs::path out = folder_ / "poor.tsv";
  test::CommandResult r = run("");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, StartsWith("Results for: Very poor\n\n\tReference year\t"));
  EXPECT_THAT(r.out, HasSubstr("\n\tOct\tNov\tDec\tJan\t"));
  EXPECT_THAT(r.out, HasSubstr("\nRequirement per month\t447431.25\t"));
  EXPECT_THAT(r.out, HasSubstr("\n\n\nSeasonal data:\n\nSource\tItem\tOct\t"));
  const std::string with_sales = r.out;

  r = run("--no-asset-sale");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out, with_sales);

  r = run("--group Poor -o '" + out.string() + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(test::read_whole_file(out), StartsWith("Results for: Poor\n\n"));
  EXPECT_EQ(test::read_whole_file(file_), bytes_);

  r = run("--group Rich");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("no wealth group \"Rich\""));
  EXPECT_THAT(r.err, HasSubstr("\"Better off\""));
}

TEST_F(CliHea, CheckAndGraph) {
  test::CommandResult r = run("--check");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, StartsWith("\t       Very poor\t            Poor\t"));
  EXPECT_THAT(r.out, HasSubstr("\nHousehold Kcal requirement\t         5369175\t         4602150\t"));
  EXPECT_THAT(r.out, HasSubstr("\n% Kcals met from food income\t            44 %\t"));

  const fs::path svg = folder_ / "g.svg";
  r = run("--graph -o '" + svg.string() + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string picture = test::read_whole_file(svg);
  EXPECT_THAT(picture, HasSubstr("<svg "));
  EXPECT_THAT(picture, HasSubstr(">Very poor</text>"));
}

TEST_F(CliHea, RefusesToOverwriteItsInputAndNamesBrokenFiles) {
  test::CommandResult r = run("-o '" + file_.string() + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(test::read_whole_file(file_), bytes_);

  const fs::path cut = folder_ / "cut.fs";
  std::ofstream(cut, std::ios::binary) << bytes_.substr(0, bytes_.size() / 2);
  r = run("", cut);
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr(cut.string() + ", line "));
  EXPECT_THAT(r.err, HasSubstr("cut short"));
}

}  // namespace
}  // namespace olvar
