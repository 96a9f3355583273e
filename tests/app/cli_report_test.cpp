// olvar-cli report end to end: the built program fills the shipped template for a survey file.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_command.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;
namespace fs = std::filesystem;

// The lines of a values file: marker -> the values in the order filled.
std::map<std::string, std::vector<std::string>> read_values(const std::string& text) {
  std::map<std::string, std::vector<std::string>> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const std::size_t tab = line.find('\t');
    EXPECT_NE(tab, std::string::npos) << line;
    if (tab == std::string::npos) continue;
    EXPECT_EQ(line.find('\t', tab + 1), std::string::npos) << line;
    out[line.substr(0, tab)].push_back(line.substr(tab + 1));
  }
  return out;
}

class CliReport : public ::testing::Test {
 protected:
  void SetUp() override {
    survey_ = folder_ / "survey.as";
    fs::copy_file(test::source_path("tests/fixtures/survey_file/rich.as"), survey_);
    survey_bytes_ = test::read_whole_file(survey_);
  }
  test::CommandResult run(const std::string& arguments) {
    return test::run_cli("report '" + survey_.string() + "' " + arguments, folder_.path());
  }
  std::string path(const char* name) const { return (folder_ / name).string(); }

  test::TempFolder folder_;
  fs::path survey_;
  std::string survey_bytes_;
};

TEST_F(CliReport, FillsEveryMarkerAndListsTheValues) {
  const test::CommandResult r =
      run("--exclusion epi -o '" + path("report.rtf") + "' --values '" + path("values.tsv") + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  const std::string report = test::read_whole_file(path("report.rtf"));
  EXPECT_THAT(report, StartsWith("{\\rtf1"));
  EXPECT_THAT(report, EndsWith("}\r\n"));
  // No marker of the template is left in the document.
  EXPECT_FALSE(std::regex_search(report, std::regex("#[0-9]{2}-[0-9]{2}|#age0|#90|#100|#800|#98|"
                                                    "#99|115mm|125mm")));
  EXPECT_THAT(report, HasSubstr("115 mm"));
  EXPECT_THAT(report, HasSubstr("Epi Info 6 flags"));

  const auto values = read_values(test::read_whole_file(path("values.tsv")));
  // "#02-03" twice in the main part (summary and table), once in the NCHS part.
  ASSERT_EQ(values.at("#02-03").size(), 3u);
  EXPECT_EQ(values.at("#02-03")[0], values.at("#02-03")[1]);
  ASSERT_EQ(values.at("#02-01").size(), 2u);
  // The printed prevalence is the count over n, with one decimal.
  for (std::size_t part = 0; part < 2; ++part) {
    SCOPED_TRACE(part);
    const double n = std::stod(values.at("#02-01")[part]);
    const double a = std::stod(values.at("#02-02")[part]);
    ASSERT_GT(n, 0);
    char expected[16];
    std::snprintf(expected, sizeof expected, "%.1f", a / n * 100.0);
    EXPECT_EQ(values.at("#02-03")[part == 0 ? 0 : 2], expected);
  }
  // Every value stands in the report as inserted.
  for (const auto& [marker, list] : values)
    for (const std::string& v : list) EXPECT_THAT(report, HasSubstr(v)) << marker;
  EXPECT_EQ(values.at("115mm").front(), "115 ");
  EXPECT_THAT(values.at("#800").front(), HasSubstr("Epi Info 6 flags"));
  // The survey file is only read.
  EXPECT_EQ(test::read_whole_file(survey_), survey_bytes_);
  EXPECT_FALSE(fs::exists(folder_ / "survey.bak"));
}

TEST_F(CliReport, ExclusionAndReferenceOptions) {
  ASSERT_EQ(
      run("--exclusion none --values '" + path("none.tsv") + "' -o '" + path("a.rtf") + "'").status,
      0);
  const auto none = read_values(test::read_whole_file(path("none.tsv")));
  EXPECT_EQ(none.at("#17-01").front(), "0");  // nothing excluded
  EXPECT_THAT(none.at("#800").front(), HasSubstr("No exclusion"));
  ASSERT_EQ(run("--exclusion kandu --values '" + path("kandu.tsv") + "' -o '" + path("b.rtf") + "'")
                .status,
            0);
  EXPECT_THAT(read_values(test::read_whole_file(path("kandu.tsv"))).at("#800").front(),
              HasSubstr("Kandu flags"));
  // The report shows both references whatever the selector says.
  ASSERT_EQ(run("--exclusion none --reference nchs -o '" + path("c.rtf") + "'").status, 0);
  EXPECT_EQ(test::read_whole_file(path("c.rtf")), test::read_whole_file(path("a.rtf")));
  // Without -o the report goes to standard output.
  const test::CommandResult out = run("--exclusion none");
  ASSERT_EQ(out.status, 0) << out.err;
  EXPECT_EQ(out.out, test::read_whole_file(path("a.rtf")));
}

TEST_F(CliReport, RefusesToWriteOverItsInput) {
  const test::CommandResult r = run("--values '" + survey_.string() + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("nothing was written"));
  EXPECT_EQ(test::read_whole_file(survey_), survey_bytes_);
  const test::CommandResult bad = run("--exclusion sometimes");
  EXPECT_EQ(bad.status, 1);
}

// Status 1 means nothing was written: the values file is not left behind when the report
// cannot be written, and the two outputs cannot be one file (the report would replace the
// values), whether or not that file exists yet.
TEST_F(CliReport, WritesBothFilesOrNeither) {
  struct Case {
    const char* what;
    std::string arguments;
    const char* message;
  };
  const Case cases[] = {
      {"report into a missing folder",
       "-o '" + path("missing/report.rtf") + "' --values '" + path("values.tsv") + "'",
       "missing/report.rtf"},
      {"report onto a full disk",
       "-o '" + path("report.rtf") + "' --values '" + path("values.tsv") + "'",
       "No space left on device"},
      {"both outputs one new file",
       "-o '" + path("both.rtf") + "' --values '" + path("sub/../both.rtf") + "'", "the same file"},
  };
  fs::create_directories(folder_ / "sub");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string limit = std::string(c.what) == "report onto a full disk"
                                  ? "OLVAR_TEST_WRITE_LIMIT=100:report.rtf "
                                  : "";
    const test::CommandResult r = test::run_command(
        limit + "OLVAR_HOME='" + test::build_data_path("") + "' '" + test::cli_path() +
            "' report '" + survey_.string() + "' " + c.arguments,
        folder_.path());
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_THAT(r.err, HasSubstr(c.message));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder_.path())) {
      const std::string name = entry.path().filename().string();
      if (name != "survey.as" && name != "sub" && name != "stdout.txt" && name != "stderr.txt")
        left.push_back(name);
    }
    EXPECT_TRUE(left.empty()) << left.front();
    EXPECT_EQ(test::read_whole_file(survey_), survey_bytes_);
  }
}

// Children whose CLUSTER cannot be placed in a cluster are in none of the report's prevalences,
// and the report's tables cannot say so: the command does, on standard error.
TEST_F(CliReport, TellsHowManyChildrenItLeftOutForTheirCluster) {
  std::ofstream(path("children.csv"))
      << "CLUSTER,SEX,MONTHS,WEIGHT,HEIGHT,EDEMA\n1,m,20,10.0,80.0,n\n1,f,30,11.0,85.0,n\n"
         "2,m,40,12.5,95.0,n\n2a,f,25,10.5,82.0,n\n";
  ASSERT_EQ(test::run_cli("import '" + path("children.csv") + "' -o '" + path("odd.as") + "'",
                          folder_.path())
                .status,
            0);
  const test::CommandResult r =
      test::run_cli("report '" + path("odd.as") + "' -o '" + path("odd.rtf") + "'", folder_.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("Children left out because their CLUSTER is not a whole number "
                               "from 1 to 999: 1\n"));
  // Every cluster usable: nothing said.
  const test::CommandResult plain = run("-o '" + path("plain.rtf") + "'");
  EXPECT_THAT(plain.err, ::testing::Not(HasSubstr("CLUSTER")));
}

// The report as the word processor shows it: converted by a real LibreOffice to text (every
// control word understood, the values in place) and to a PDF page image.
TEST_F(CliReport, LibreOfficeReadsTheReport) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  }
  ASSERT_EQ(run("--exclusion epi -o '" + path("report.rtf") + "' --values '" + path("v.tsv") + "'")
                .status,
            0);
  const std::string home = folder_.path().string();
  const test::CommandResult converted = test::run_command(
      "cd '" + home + "' && HOME='" + home +
          "' soffice --headless --infilter='Rich Text Format' --convert-to txt:Text report.rtf "
          "&& HOME='" +
          home + "' soffice --headless --convert-to pdf report.rtf",
      folder_.path());
  ASSERT_EQ(converted.status, 0) << converted.err;
  std::string text = test::read_whole_file(path("report.txt"));
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  EXPECT_EQ(text.find('\\'), std::string::npos);  // every control word was understood
  EXPECT_EQ(text.find('{'), std::string::npos);
  EXPECT_THAT(text, HasSubstr("Results based on the NCHS 1977 reference"));
  EXPECT_THAT(text, HasSubstr("Annex 3"));
  const auto values = read_values(test::read_whole_file(path("v.tsv")));
  EXPECT_THAT(text, HasSubstr("n = " + values.at("#02-01").front()));
  EXPECT_TRUE(fs::exists(folder_ / "report.pdf"));
  if (std::system("command -v pdftoppm >/dev/null 2>&1") == 0) {
    const test::CommandResult png = test::run_command(
        "pdftoppm -png -r 60 -f 1 -l 4 '" + path("report.pdf") + "' '" + path("page") + "'",
        folder_.path());
    EXPECT_EQ(png.status, 0) << png.err;
  }
}


// The report laid out as printed: LibreOffice makes a PDF and `pdftotext -layout` keeps each
// word where the page shows it (a plain text conversion would hide a line that wraps). Every
// table by sex keeps each 95% interval under its own column heading, on its own line, in the
// WHO part and in the NCHS annex; the age tables' first two headings stay apart.
TEST_F(CliReport, PrintedTablesKeepEachIntervalInItsColumn) {
  if (std::system("command -v soffice >/dev/null 2>&1 && command -v pdftotext >/dev/null 2>&1") !=
      0) {
    GTEST_SKIP() << "LibreOffice (soffice) or pdftotext is not installed";
  }
  ASSERT_EQ(run("--exclusion epi -o '" + path("report.rtf") + "'").status, 0);
  const std::string home = folder_.path().string();
  const test::CommandResult converted = test::run_command(
      "cd '" + home + "' && HOME='" + home +
          "' soffice --headless --convert-to pdf report.rtf >/dev/null && pdftotext -layout "
          "report.pdf report.txt",
      folder_.path());
  ASSERT_EQ(converted.status, 0) << converted.err;
  std::vector<std::string> lines;
  {
    std::istringstream in(test::read_whole_file(path("report.txt")));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
  }
  const std::regex heading(R"(^(\s+)All(\s+)Boys(\s+)Girls\s*$)");
  const std::regex interval(R"(\d+\.\d - \d+\.\d 95% CI)");
  int tables = 0;
  for (std::size_t h = 0; h < lines.size(); ++h) {
    std::smatch m;
    if (!std::regex_match(lines[h], m, heading)) continue;
    ++tables;
    const std::vector<std::ptrdiff_t> columns = {
        m.position(1) + m.length(1),
        m.position(1) + m.length(1) + 3 + m.length(2),
        m.position(1) + m.length(1) + 3 + m.length(2) + 4 + m.length(3)};
    // n, then a line of counts and a line of intervals for each case definition: three, or two
    // in the overweight table, which ends at an empty line.
    int definitions = 0;
    for (std::size_t row = h + 3; row <= h + 7 && row < lines.size(); row += 2) {
      const std::string& line = lines[row];
      if (definitions == 2 && line.find_first_not_of(' ') == std::string::npos) break;
      ++definitions;
      std::vector<std::ptrdiff_t> starts;
      for (auto it = std::sregex_iterator(line.begin(), line.end(), interval);
           it != std::sregex_iterator(); ++it) {
        starts.push_back(it->position());
      }
      ASSERT_EQ(starts.size(), 3u) << "table at line " << h << ":\n" << line;
      EXPECT_EQ(line.find_first_not_of(' '), 0u) << line;  // a case definition leads the line
      for (std::size_t k = 0; k < 3; ++k) {
        // Each interval starts nearer its own heading than any other.
        std::size_t nearest = 0;
        for (std::size_t c = 1; c < 3; ++c) {
          if (std::abs(starts[k] - columns[c]) < std::abs(starts[k] - columns[nearest])) {
            nearest = c;
          }
        }
        EXPECT_EQ(nearest, k) << line;
      }
    }
  }
  EXPECT_EQ(tables, 2 * 6);  // WHZ, WAZ, HAZ, MUAC, both, overweight; WHO and NCHS
  int age_headings = 0;
  for (const std::string& line : lines) {
    if (line.rfind("Age (months)", 0) != 0) continue;
    ++age_headings;
    EXPECT_EQ(line.find("Age (months)Total"), std::string::npos) << line;
  }
  EXPECT_GT(age_headings, 0);
}

}  // namespace
}  // namespace olvar
