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

// A survey holding `households` lines of household mortality data.
std::string survey_with_households(int households) {
  std::string text = kSurvey + "\xA5Mortality_new:\r\n";
  for (int k = 1; k <= households; ++k) text += std::to_string(k) + "\t1\t1\t\r\n";
  return text;
}

// `copies` identical households in the individual mortality table.
std::string survey_with_identical_households(int copies) {
  std::string text = kSurvey + "\xA5Mor_individual:\r\nDATE\tCLUSTER\tTEAM\tHH\r\n";
  for (int k = 0; k < copies; ++k) text += "02.03.2026\t1\t1\t7\tm\t30\r\n";
  return text;
}

// `copies` identical children.
std::string survey_with_identical_children(int copies) {
  std::string text = "dmy\r\nSURVDATE\tCLUSTER\tSEX\tMONTHS\tWEIGHT\tHEIGHT\r\n";
  for (int k = 0; k < copies; ++k) text += "02.03.2026\t1\tm\t12\t9.6\t75.7\r\n";
  return text;
}

const std::string kRosterHeading = "KEY,sex_roster,age_years,joined,birth,cluster_id\n";

std::string roster_of(int households) {
  std::string text = kRosterHeading;
  for (int k = 1; k <= households; ++k) text += "h" + std::to_string(k) + ",m,30,,,1\n";
  return text;
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
  // A size case: the command runs with at most 256 MB of address space and 20 s of processor
  // time (limits set on the child process), so an input that would make it build something
  // that grows with the square of its size, or crawl, fails instead of passing slowly.
  bool bounded = false;
};

class CliHostile : public ::testing::Test {
 protected:
  test::CommandResult run(const HostileCase& c) {
    const auto in_folder = [&](std::string text) {
      for (auto at = text.find("{}"); at != std::string::npos; at = text.find("{}")) {
        text.replace(at, 2, folder_.path().string());
      }
      return text;
    };
    const std::string command =
        std::string(c.bounded ? "ulimit -v 262144 -t 20; " : "") +
        test::cli_command_at_home(in_folder(c.arguments), folder_.path(),
                                  in_folder(c.environment) + " ");
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
      {"convert to a survey name holding .txt",
       {{"in.as", kSurvey}}, {}, "convert '{}/in.as' '{}/my.txtfile.as'", "", "", 0, "",
       {"my.txtfile.as"}},
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

      // What the reader cut is said by every command that reads a survey.
      {"export of a cut survey", {{"wide.as", many_columns}}, {},
       "export '{}/wide.as' -o '{}/out.txt'", "", "", 2, "beyond the first 255", {"out.txt"}},
      {"death rates of a cut survey", {{"wide.as", many_columns}}, {}, "mortality '{}/wide.as'",
       "", "", 2, "beyond the first 255"},
      {"pyramid of a cut survey", {{"wide.as", many_columns}}, {},
       "pyramid '{}/wide.as' -o '{}/p.svg'", "", "", 2, "beyond the first 255", {"p.svg"}},
      {"graph of a cut survey", {{"wide.as", many_columns}}, {},
       "graph '{}/wide.as' -o '{}/g.svg'", "", "", 2, "beyond the first 255", {"g.svg"}},
      {"training of a cut survey", {{"wide.as", many_columns}}, {}, "training '{}/wide.as'", "",
       "", 2, "beyond the first 255"},
      {"calc on a cut survey", {{"wide.as", many_columns}}, {}, "calc '{}/wide.as' --var SEX", "",
       "", 2, "beyond the first 255"},
      {"values after the last header field",
       {{"x.as", "dmy\r\nSEX\tWEIGHT\r\nm\t7\r\nf\t8\tforgotten\r\n"}}, {},
       "table '{}/x.as'", "", "", 2,
       "after the last field the header line names (the first is line 4)"},
      {"children after an empty line",
       {{"x.as", "dmy\r\nSEX\tWEIGHT\r\nm\t7\r\n\r\nf\t8\r\n\xA5Planning:\r\n"}}, {},
       "convert '{}/x.as' '{}/out.as'", "", "", 2, "an empty line ends the children's data",
       {"out.as"}},
      {"household mortality lines beyond the table",
       {{"x.as", survey_with_households(65540)}}, {}, "convert '{}/x.as' '{}/out.as'", "", "", 2,
       "8 lines of household mortality data were not read", {"out.as"}},

      // A backup name taken by a folder is found before the old file is replaced.
      {"convert with a folder named like the backup",
       {{"in.as", kSurvey}, {"out.as", kOtherSurvey}, {"out.bak/kept", "kept"}}, {},
       "convert '{}/in.as' '{}/out.as'", "", "", 1, "out.bak is taken by a folder"},
      {"sort with a folder named like the backup",
       {{"in.as", kSurvey}, {"out.as", kOtherSurvey}, {"out.bak/kept", "kept"}}, {},
       "sort '{}/in.as' --by SEX -o '{}/out.as'", "", "", 1, "out.bak is taken by a folder"},
      {"merge with a folder named like the backup",
       {{"in.as", kSurvey}, {"out.as", kOtherSurvey}, {"out.bak/kept", "kept"}}, {},
       "merge '{}/in.as' -o '{}/out.as'", "", "", 1, "out.bak is taken by a folder"},
      {"import with a folder named like the backup",
       {{"kids.csv", kKids}, {"out.as", kOtherSurvey}, {"out.bak/kept", "kept"}}, {},
       "import '{}/kids.csv' -o '{}/out.as'", "", "", 1, "out.bak is taken by a folder"},

      // Text a survey file cannot hold is made holdable where it enters, and said.
      {"import of quoted line breaks and TABs",
       {{"kids.csv", "SEX,WEIGHT,NOTE\nm,7,\"l1\nl2\"\nf,8,\"a\tb\"\n"}}, {},
       "import '{}/kids.csv' -o '{}/out.as'", "", "", 2,
       "2 values held line breaks, TABs or a leading section marker byte", {"out.as"}},
      {"import of a leading section marker",
       {{"kids.csv", "SEX,NOTE\nm,\xA5Mor_individual:\n"}}, {},
       "import '{}/kids.csv' -o '{}/out.as'", "", "", 2, "they were imported with blanks and",
       {"out.as"}},
      {"import of rows holding only dates",
       {{"kids.csv", "SURVDATE,SEX\n02.03.2026,m\n02.03.2026,\n"}}, {},
       "import '{}/kids.csv' -o '{}/out.as'", "", "", 2,
       "1 records hold nothing but SURVDATE and BIRTHDAT", {"out.as"}},
      {"convert of a survey whose note reads as a section",
       {{"x.as", "dmy\r\nSEX\tNOTE\r\nm\t\xA5Mor_individual:\r\n\xA5Planning:\r\n"}}, {},
       "convert '{}/x.as' '{}/out.as'", "", "", 2, "1 texts held line breaks, TABs or a section",
       {"out.as"}},

      // Merge says what it leaves out, and refuses what the file would cut.
      {"merge leaving out individual mortality",
       {{"a.as", survey_with_identical_households(2)}, {"b.as", kOtherSurvey}}, {},
       "merge '{}/a.as' '{}/b.as' -o '{}/out.as'", "", "", 2,
       "the individual mortality data of " , {"out.as"}},
      {"merge beyond the household rows of a survey file",
       {{"a.as", survey_with_households(33000)}, {"b.as", survey_with_households(33000)}}, {},
       "merge '{}/a.as' '{}/b.as' -o '{}/out.as'", "", "", 1,
       "more than 65532 households of mortality data"},

      // Outputs are checked, all of them, before any is written.
      {"report whose values file is a folder",
       {{"survey.as", kSurvey}, {"r.rtf", "old report"}, {"dir/x", ""}}, {},
       "report '{}/survey.as' -o '{}/r.rtf' --values '{}/dir'", "", "", 1, "dir is a folder"},
      {"report onto the program's own template",
       {{"survey.as", kSurvey}, {"home/report.rtf", "{\\rtf1 #01}"}}, {},
       "report '{}/survey.as' -o '{}/home/report.rtf'", "OLVAR_HOME='{}/home'", "", 1,
       "is one of the program's own files"},
      {"an output named as a folder", {{"survey.as", kSurvey}}, {},
       "plausibility '{}/survey.as' -o '{}/dir/'", "", "", 1, "names a folder; give a file name"},
      {"an output in a folder that does not exist", {{"survey.as", kSurvey}}, {},
       "plausibility '{}/survey.as' -o '{}/none/r.rtf'", "", "", 1, "none does not exist"},
      {"an output named -", {{"survey.as", kSurvey}}, {}, "plausibility '{}/survey.as' -o -", "",
       "", 0, ""},
      {"zscores to an output named -", {{"kids.csv", kKids}}, {}, "zscores '{}/kids.csv' -o -",
       "", "", 0, ""},
      {"zscores to an output named as a folder", {{"kids.csv", kKids}}, {},
       "zscores '{}/kids.csv' -o '{}/dir/'", "", "", 1, "names a folder; give a file name"},
      {"zscores to a link to a device", {{"kids.csv", kKids}}, {{"null", "/dev/null"}},
       "zscores '{}/kids.csv' -o '{}/null'", "", "", 1, "is no file (a device or a pipe)"},
      {"graph whose lines cannot be printed", {{"survey.as", kSurvey}}, {},
       "graph '{}/survey.as' --type cluster -o '{}/g.svg'", "", "/dev/full", 1, "standard output"},
      {"roster whose summary cannot be printed",
       {{"roster.csv", roster_of(2)}}, {},
       "import-mortality '{}/roster.csv' --recall-days 90 -o '{}/out.as'", "", "/dev/full", 1,
       "standard output"},
      {"closed standard output", {{"survey.as", kSurvey}}, {}, "table '{}/survey.as'", "", "&-", 1,
       "standard output"},
      {"closed standard output beside a values file", {{"survey.as", kSurvey}}, {},
       "report '{}/survey.as' --values '{}/v.txt'", "", "&-", 1, "standard output"},
      {"roster beyond the households of a survey file",
       {{"roster.csv", roster_of(65540)}}, {},
       "import-mortality '{}/roster.csv' --recall-days 90 -o '{}/out.as'", "", "", 1,
       "nothing was written (split the roster)"},
      {"roster cut inside a record", {{"roster.csv", kRosterHeading + "h1,m,30,,,1\nh2,f"}}, {},
       "import-mortality '{}/roster.csv' --recall-days 90 -o '{}/out.as'", "", "", 1,
       "roster, line 3: 2 values where the heading names 6; the file may be cut"},

      {"clusters names the line of a bad population after blank lines",
       {{"units.tsv", "village\tpeople\r\n\r\nAbu\t2000\r\n\r\nBora\tmany\r\n"}}, {},
       "clusters '{}/units.tsv' --clusters 1 --seed 3", "", "", 1,
       "units.tsv, line 5: the population \"many\" is not a whole number"},
      {"clusters with a population too large to hold",
       {{"units.tsv", "village\tpeople\r\nAbu\t99999999999999999999\r\n"}}, {},
       "clusters '{}/units.tsv' --clusters 1 --seed 3", "", "", 1,
       "units.tsv, line 2: the population \"99999999999999999999\" is too large"},

      // Bad usage is status 1.
      {"analysis with fields beyond its header",
       {{"survey.as", kSurvey}, {"olvar.txt", "ID,NAME\n1,\"Baraka, Jr\"\n"}}, {},
       "analysis '{}/survey.as' '{}/olvar.txt' -o '{}/out.txt'", "", "", 2,
       "have fields beyond the columns its header names (the first is line 2)", {"out.txt"}},
      {"calc with an operator it does not know", {{"survey.as", kSurvey}}, {},
       "calc '{}/survey.as' --var WEIGHT --prevalence WEIGHT --operator '=' --cut-off 7", "", "",
       1, "--operator"},
      {"calc with a cut-off that is no number", {{"survey.as", kSurvey}}, {},
       "calc '{}/survey.as' --var WEIGHT --prevalence WEIGHT --operator '<' --cut-off nan", "",
       "", 1, "\"nan\" is not a finite number"},
      {"sample size of a negative prevalence", {}, {}, "sample-size --prevalence -1", "", "", 1,
       "--prevalence: \"-1\" is out of range"},

      // Size cases: bounded in memory and time by the limits of the child process.
      {"analysis of a header of 100,000 fields",
       {{"survey.as", kSurvey}, {"olvar.txt", [] {
          std::string header;
          for (int k = 0; k < 100000; ++k) header += "a,";
          return header + "\n";
        }()}},
       {}, "analysis '{}/survey.as' '{}/olvar.txt' -o '{}/out.txt'", "", "", 0, "", {"out.txt"},
       true},
      {"analysis of two million lines",
       {{"survey.as", kSurvey}, {"olvar.txt", "a,b\n" + std::string(2000000, '\n')}}, {},
       "analysis '{}/survey.as' '{}/olvar.txt' -o '{}/out.txt'", "", "", 0, "", {"out.txt"}, true},
      {"mortality check of 8,000 identical households",
       {{"survey.as", survey_with_identical_households(8000)}}, {},
       "mortality-check '{}/survey.as' -o '{}/out.rtf'", "", "", 0, "", {"out.rtf"}, true},
      {"plausibility of 3,000 identical children",
       {{"survey.as", survey_with_identical_children(3000)}}, {},
       "plausibility '{}/survey.as' -o '{}/out.rtf'", "", "", 0, "", {"out.rtf"}, true},
      {"a header of one name repeated over 4 MB",
       {{"survey.as", [] {
          std::string header = "dmy\r\nSEX";
          for (int k = 0; k < 1000000; ++k) header += "\tNAME";
          return header + "\r\nm\r\n";
        }()}},
       {}, "table '{}/survey.as'", "", "", 2, "beyond the first 255", {}, true},
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

// A reader that stops early (head) closes the pipe: the command learns it from the failing
// write and ends with status 1 and a message, not killed by a signal as if it had crashed.
TEST_F(CliHostile, AClosedPipeIsAFailureNotADeath) {
  const fs::path survey = folder_.write("big.as", survey_with_identical_children(20000));
  const test::CommandResult r = test::run_command(
      "bash -c \"OLVAR_HOME='" + test::build_data_path("") + "' '" + test::cli_path() +
          "' table '" + survey.string() + "' 2>'" + (scratch_.path() / "err.txt").string() +
          "' | head -c 1 >/dev/null; echo \\${PIPESTATUS[0]}\"",
      scratch_.path());
  EXPECT_EQ(r.out, "1\n");
  EXPECT_THAT(test::read_whole_file(scratch_.path() / "err.txt"), HasSubstr("standard output"));
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

  std::string fs_file = test::read_whole_file(test::source_path("data/default.fs"));
  for (auto at = fs_file.find("Very poor"); at != std::string::npos;
       at = fs_file.find("Very poor")) {
    fs_file.replace(at, 9, "Tr\xE8s pauvre");
  }
  const fs::path hea = folder_.write("zone.fs", fs_file);
  const test::CommandResult group = run("hea '" + hea.string() + "' --group 'Tr\xC3\xA8s pauvre'");
  EXPECT_EQ(group.status, 0) << group.err;
  const test::CommandResult no_group = run("hea '" + hea.string() + "' --group 'Tr\xC3\xA8s'");
  EXPECT_EQ(no_group.status, 1);
  EXPECT_THAT(no_group.err, HasSubstr("it has \"Tr\xC3\xA8s pauvre\", \"Poor\""));
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
