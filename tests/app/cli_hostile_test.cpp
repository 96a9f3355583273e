// olvar-cli as a careless or hostile user drives it: outputs that are the inputs, full disks,
// planted links, closed standard output, lossy conversions. Whatever happens, no file the user
// had changes unless the command said it wrote it, and the exit status tells a script what
// happened (0 done, 1 nothing written, 2 written with data lost).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/run_command.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

const std::string kSurvey =
    "dmy\r\nSURVDATE\tCLUSTER\tSEX\tMONTHS\tWEIGHT\tHEIGHT\r\n"
    "02.03.2026\t1\tm\t12\t9.6\t75.7\r\n"
    "02.03.2026\t1\tf\t20\t10.1\t80.2\r\n";
const std::string kOtherSurvey = "dmy\r\nSEX\tWEIGHT\r\nf\t7\r\n";
const std::string kKids = "sex,age_days,weight_kg,height_cm\nm,400,9.6,75.7\n";

// Every file in `folder` (links as their own text) with its bytes, temporary files included.
std::map<std::string, std::string> snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(entry.path(), folder).string();
    if (name == "stdout.txt" || name == "stderr.txt") continue;
    if (entry.is_symlink()) {
      files[name] = "-> " + fs::read_symlink(entry.path()).string();
    } else if (entry.is_regular_file()) {
      files[name] = test::read_whole_file(entry.path());
    } else {
      files[name] = "(folder)";
    }
  }
  return files;
}

struct HostileCase {
  const char* what;
  std::map<std::string, std::string> files;  // made before the run
  std::vector<std::pair<std::string, std::string>> links;  // name -> where it points
  std::string arguments;  // "{}" stands for the test's folder
  std::string environment = "";
  std::string standard_output = "";  // empty: a file of the test's
  int status;
  std::string message;
  std::set<std::string> written = {};  // the only files the command may write
};

class CliHostile : public ::testing::Test {
 protected:
  test::CommandResult run(const HostileCase& c) {
    std::string arguments = c.arguments;
    for (auto at = arguments.find("{}"); at != std::string::npos; at = arguments.find("{}")) {
      arguments.replace(at, 2, folder_.path().string());
    }
    const std::string command =
        test::cli_command_at_home(arguments, folder_.path(), c.environment + " ");
    if (c.standard_output.empty()) return test::run_command(command, scratch_.path());
    const fs::path err = scratch_.path() / "stderr.txt";
    const int raw = std::system(
        (command + " >" + c.standard_output + " 2>'" + err.string() + "'").c_str());
    test::CommandResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.err = test::read_whole_file(err);
    return result;
  }

  test::TempFolder folder_;
  test::TempFolder scratch_;
};

TEST_F(CliHostile, NothingTheUserHadIsLostAndTheStatusSaysWhatHappened) {
  const std::string many_columns = [] {
    std::string header = "dmy\r\nSEX";
    std::string row = "m";
    for (int k = 0; k < 300; ++k) {
      header += "\tV" + std::to_string(k);
      row += "\t" + std::to_string(k);
    }
    return header + "\r\n" + row + "\r\n";
  }();
  const HostileCase cases[] = {
      {"zscores onto its own input",
       {{"kids.csv", kKids}}, {}, "zscores '{}/kids.csv' -o '{}/kids.csv'", "", "", 1,
       "is the input file"},
      {"zscores onto a link to its input",
       {{"kids.csv", kKids}}, {{"same.csv", "kids.csv"}},
       "zscores '{}/kids.csv' -o '{}/same.csv'", "", "", 1, "is the input file"},
      {"plausibility onto its own survey",
       {{"survey.as", kSurvey}}, {}, "plausibility '{}/survey.as' -o '{}/survey.as'", "", "", 1,
       "is the input file"},
      {"plausibility onto its survey by another path",
       {{"survey.as", kSurvey}, {"sub/x", ""}}, {},
       "plausibility '{}/survey.as' -o '{}/sub/../survey.as'", "", "", 1, "is the input file"},
      {"convert onto itself",
       {{"X.as", kSurvey}}, {}, "convert '{}/X.as' '{}/X.as'", "", "", 1, "is the input file"},
      {"convert of a backup onto its survey keeps the backup",
       {{"X.bak", kSurvey}, {"X.as", kOtherSurvey}}, {}, "convert '{}/X.bak' '{}/X.as'", "", "",
       0, "no backup was made", {"X.as"}},
      {"zscores on a full disk",
       {{"kids.csv", kKids}, {"out.csv", "old table"}}, {},
       "zscores '{}/kids.csv' -o '{}/out.csv'", "OLVAR_TEST_WRITE_LIMIT=10", "", 1,
       "out.csv: No space left on device"},
      {"zscores with a wrong header",
       {{"kids.csv", "name,age\nAda,4\n"}, {"out.csv", "old table"}}, {},
       "zscores '{}/kids.csv' -o '{}/out.csv'", "", "", 1, "no column \"sex\""},
      {"plausibility on a full disk",
       {{"survey.as", kSurvey}, {"out.rtf", "old report"}}, {},
       "plausibility '{}/survey.as' -o '{}/out.rtf'", "OLVAR_TEST_WRITE_LIMIT=100:out.rtf", "", 1,
       "out.rtf: No space left on device"},
      {"convert on a full disk keeps the survey and its backup",
       {{"in.as", kSurvey}, {"out.as", kOtherSurvey}, {"out.bak", "older"}}, {},
       "convert '{}/in.as' '{}/out.as'", "OLVAR_TEST_WRITE_LIMIT=100", "", 1,
       "out.as: No space left on device"},
      {"convert past a planted temporary-file link",
       {{"in.as", kSurvey}, {"victim.txt", "precious"}}, {{"out.as.tmp", "victim.txt"}},
       "convert '{}/in.as' '{}/out.as'", "", "", 0, "", {"out.as"}},
      {"convert onto a folder",
       {{"in.as", kSurvey}, {"out.as/inside", "kept"}}, {}, "convert '{}/in.as' '{}/out.as'", "",
       "", 1, "not a file"},
      {"plausibility to a full standard output",
       {{"survey.as", kSurvey}}, {}, "plausibility '{}/survey.as'", "", "/dev/full", 1,
       "standard output"},
      {"table to a full standard output",
       {{"survey.as", kSurvey}}, {}, "table '{}/survey.as'", "", "/dev/full", 1,
       "standard output"},
      {"zscores to a full standard output",
       {{"kids.csv", kKids}}, {}, "zscores '{}/kids.csv'", "", "/dev/full", 1,
       "standard output"},
      {"training to a full standard output",
       {{"survey.as", kSurvey}}, {}, "training '{}/survey.as'", "", "/dev/full", 1,
       "standard output"},
      {"sample sizes to a full standard output", {}, {}, "sample-size", "", "/dev/full", 1,
       "standard output"},
      {"random numbers to a full standard output", {}, {}, "random-numbers --from 1 --to 9 --count 3",
       "", "/dev/full", 1, "standard output"},
      {"death rates to a full standard output",
       {{"survey.as", kSurvey}}, {}, "mortality '{}/survey.as'", "", "/dev/full", 1,
       "standard output"},
      {"a folder given as the survey",
       {{"dir.as/x", ""}}, {}, "table '{}/dir.as'", "", "", 1, "dir.as for reading: it is a folder"},
      {"a folder given as the children",
       {{"dir.csv/x", ""}}, {}, "zscores '{}/dir.csv'", "", "", 1, "cannot open"},
      {"a table without the variables beyond 255",
       {{"wide.as", many_columns}}, {}, "table '{}/wide.as'", "", "", 2, "beyond the first 255"},
      {"convert dropping variables beyond 255",
       {{"wide.as", many_columns}}, {}, "convert '{}/wide.as' '{}/out.as'", "", "", 2,
       "beyond the first 255", {"out.as"}},
  };
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& entry : fs::directory_iterator(folder_.path())) fs::remove_all(entry.path());
    for (const auto& [name, bytes] : c.files) folder_.write(name, bytes);
    for (const auto& [name, target] : c.links) fs::create_symlink(target, folder_ / name);
    const auto before = snapshot(folder_.path());

    const test::CommandResult r = run(c);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_THAT(r.err, HasSubstr(c.message));

    auto after = snapshot(folder_.path());
    for (const std::string& name : c.written) {
      EXPECT_EQ(after.count(name), 1u) << name << " was not written";
      after.erase(name);
    }
    auto expected = before;
    for (const std::string& name : c.written) expected.erase(name);
    EXPECT_EQ(after, expected) << "a file changed, appeared or was left behind";
  }
}

// The survey holds its names in Windows-1252; the terminal types them in UTF-8. A variable or
// field with an accent is reachable by its name as typed, and a list of names is printed in
// UTF-8.
TEST_F(CliHostile, AccentedNamesTypedInUtf8FindTheirVariables) {
  const fs::path survey = folder_.write(
      "accents.as", "dmy\r\nSEX\tWEIGHT\tPR\xC9NOM\r\nm\t7\tb\r\nf\t8\ta\r\nm\t9\tc\r\n");
  const auto run = [&](const std::string& arguments) {
    return test::run_cli(arguments, scratch_.path());
  };
  const test::CommandResult calc = run("calc '" + survey.string() + "' --var 'PR\xC3\x89NOM'");
  EXPECT_EQ(calc.status, 0) << calc.err;
  EXPECT_THAT(calc.out, HasSubstr("PR\xC3\x89NOM"));
  const test::CommandResult unknown = run("calc '" + survey.string() + "' --var NOM");
  EXPECT_EQ(unknown.status, 1);
  EXPECT_THAT(unknown.err, HasSubstr("WTFACTOR, PR\xC3\x89NOM)"));

  const test::CommandResult sort = run("sort '" + survey.string() + "' --by 'PR\xC3\x89NOM' -o '" +
                                       (folder_ / "sorted.as").string() + "'");
  EXPECT_EQ(sort.status, 0) << sort.err;
  const std::string sorted = test::read_whole_file(folder_ / "sorted.as");
  const std::size_t first_row = sorted.find("\r\n", sorted.find("PR\xC9NOM")) + 2;
  const std::string first = sorted.substr(first_row, sorted.find("\r\n", first_row) - first_row);
  EXPECT_NE(first.find("\ta\t"), std::string::npos) << "the child named a comes first";

  const fs::path csv = folder_.write("kids.csv", "sexe,poids,pr\xC3\xA9nom\nm,7,Jos\xC3\xA9\n");
  const test::CommandResult import =
      run("import '" + csv.string() + "' --map sexe=SEX --map 'pr\xC3\xA9nom=ID' -o '" +
          (folder_ / "kids.as").string() + "'");
  EXPECT_EQ(import.status, 0) << import.err;
  EXPECT_THAT(import.err, HasSubstr("pr\xC3\xA9nom=ID"));
  EXPECT_THAT(test::read_whole_file(folder_ / "kids.as"), HasSubstr("Jos\xE9"));
}

TEST_F(CliHostile, HelpListsTheExitStatusOfEveryCommand) {
  const test::CommandResult r =
      test::run_command("'" + test::cli_path() + "' --help", scratch_.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_THAT(r.out, HasSubstr("Exit status (every subcommand):\n"
                               "  0  done\n"
                               "  1  bad usage or unreadable input; nothing was written\n"
                               "  2  written, but some data could not be kept"));
  EXPECT_EQ(test::run_command("'" + test::cli_path() + "' convert", scratch_.path()).status, 1)
      << "bad usage";
}

}  // namespace
}  // namespace olvar
