// The forms and sheets of Extras > "Other forms and sheets" as the office program shows them:
// each file ships in the data folder and LibreOffice reads it, and the calculator sheets compute
// what `olvar-cli calc` prints for the same clusters.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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

using ::testing::HasSubstr;

bool have_libreoffice() { return std::system("command -v soffice >/dev/null 2>&1") == 0; }

class FormsAndSheets : public ::testing::Test {
 protected:
  // Converts a shipped file with headless LibreOffice ("csv" or "txt:Text") and returns the text.
  std::string convert(const std::string& file, const std::string& to, const std::string& ext) {
    const std::string home = folder_.path().string();
    const test::CommandResult r = test::run_command(
        "cd '" + home + "' && HOME='" + home + "' soffice --headless --convert-to " + to + " '" +
            test::build_data_path(file) + "'",
        folder_.path());
    EXPECT_EQ(r.status, 0) << r.err;
    std::string text = test::read_whole_file(
        folder_ / (std::filesystem::path(file).stem().string() + "." + ext));
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
  }

  // A survey whose clusters hold `children` children each, the first `cases` of them with a
  // MUAC of 118 mm (below 125) and the others 135 mm.
  std::filesystem::path survey(const std::string& name,
                               const std::vector<std::pair<int, int>>& clusters) {
    std::string text = "dmy\r\nCLUSTER\tID\tSEX\tMUAC\t\r\n";
    int id = 0;
    for (std::size_t c = 0; c < clusters.size(); ++c) {
      for (int child = 0; child < clusters[c].first; ++child) {
        ++id;
        text += std::to_string(c + 1) + "\t" + std::to_string(id) + "\t" + (id % 2 ? "m" : "f") +
                "\t" + (child < clusters[c].second ? "118" : "135") + "\t\r\n";
      }
    }
    return folder_.write(name, text);
  }

  // The prevalence line of `olvar-cli calc` for MUAC < 125: prevalence, limits, design effect.
  std::vector<std::string> calc(const std::filesystem::path& file) {
    const test::CommandResult r = test::run_command(
        "LC_ALL=C HOME='" + folder_.path().string() + "' OLVAR_HOME='" +
            test::build_data_path("") + "' '" + test::cli_path() + "' calc '" + file.string() +
            "' --var CLUSTER --prevalence MUAC --operator '<' --cut-off 125",
        folder_.path());
    EXPECT_EQ(r.status, 0) << r.err;
    std::smatch m;
    const std::regex line(
        R"(Prevalence rate MUAC < 125: ([\d.]+) % \(\d+ of \d+\); 95% confidence interval: \(([\d.]+) - ([\d.]+)\);  Design Effect: ([\d.]+))");
    EXPECT_TRUE(std::regex_search(r.out, m, line)) << r.out;
    if (m.empty()) return {};
    return {m[1], m[2], m[3], m[4]};
  }

  test::TempFolder folder_;
};

// The value right of each cell that holds `label`, in order (one per survey of the sheet).
std::vector<double> values_of(const std::string& csv, const std::string& label) {
  std::vector<double> found;
  std::istringstream lines(csv);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> cells;
    std::istringstream fields(line);
    for (std::string cell; std::getline(fields, cell, ',');) cells.push_back(cell);
    for (std::size_t i = 0; i + 1 < cells.size(); ++i) {
      if (cells[i] == label) found.push_back(std::stod(cells[i + 1]));
    }
  }
  return found;
}

std::string fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

TEST_F(FormsAndSheets, EveryFileShipsAndLibreOfficeReadsIt) {
  if (!have_libreoffice()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  const struct {
    const char* file;
    const char* to;
    const char* ext;
    const char* title;
  } cases[] = {
      {"calculator_one_survey.ods", "csv", "csv",
       "Prevalence of one survey compared with a threshold"},
      {"calculator_two_surveys.ods", "csv", "csv", "Prevalences of two surveys compared"},
      {"refused_and_absent_households_and_children.rtf", "txt:Text", "txt",
       "Refused and absent households and children"},
      {"summary_survey_protocol.rtf", "txt:Text", "txt", "Summary survey protocol"},
      {"cluster_control_form.rtf", "txt:Text", "txt", "Cluster control form"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string text = convert(c.file, c.to, c.ext);
    EXPECT_THAT(text, HasSubstr(c.title));
    EXPECT_EQ(text.find('\\'), std::string::npos);  // every control word understood
    EXPECT_EQ(text.find("Err:"), std::string::npos);  // every formula understood
    EXPECT_EQ(text.find("#NAME"), std::string::npos);
  }
}

// The example clusters of the sheets, typed as a survey: the sheets must give the calculator's
// prevalence, interval and design effect.
//   Survey 1, (children, cases): (30,3) (28,5) (32,2) (30,6) (25,1) (31,4) (29,3) (30,0):
//     24 of 235 = 10.2 %.
//   Survey 2: (27,1) (30,2) (33,1) (29,3) (31,0) (30,2): 9 of 180 = 5.0 %.
TEST_F(FormsAndSheets, CalculatorSheetsGiveTheCalculatorsValues) {
  if (!have_libreoffice()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  const std::vector<std::pair<int, int>> first = {{30, 3}, {28, 5}, {32, 2}, {30, 6},
                                                  {25, 1}, {31, 4}, {29, 3}, {30, 0}};
  const std::vector<std::pair<int, int>> second = {{27, 1}, {30, 2}, {33, 1},
                                                   {29, 3}, {31, 0}, {30, 2}};
  const std::vector<std::vector<std::string>> expected = {calc(survey("one.as", first)),
                                                          calc(survey("two.as", second))};
  ASSERT_EQ(expected[0].size(), 4u);
  ASSERT_EQ(expected[1].size(), 4u);
  EXPECT_EQ(expected[0][0], "10.2");
  EXPECT_EQ(expected[1][0], "5.0");

  const auto check = [&expected](const std::string& csv, std::size_t surveys) {
    const std::vector<double> prevalence = values_of(csv, "Prevalence (%)");
    const std::vector<double> low = values_of(csv, "Lower 95% limit (%)");
    const std::vector<double> high = values_of(csv, "Upper 95% limit (%)");
    const std::vector<double> effect = values_of(csv, "Design effect");
    ASSERT_EQ(prevalence.size(), surveys);
    ASSERT_EQ(low.size(), surveys);
    ASSERT_EQ(high.size(), surveys);
    ASSERT_EQ(effect.size(), surveys);
    for (std::size_t s = 0; s < surveys; ++s) {
      SCOPED_TRACE(s + 1);
      EXPECT_EQ(fixed(prevalence[s], 1), expected[s][0]);
      EXPECT_EQ(fixed(low[s], 1), expected[s][1]);
      EXPECT_EQ(fixed(high[s], 1), expected[s][2]);
      EXPECT_EQ(fixed(effect[s], 2), expected[s][3]);
    }
  };
  {
    SCOPED_TRACE("one survey");
    const std::string csv = convert("calculator_one_survey.ods", "csv", "csv");
    check(csv, 1);
    // 10.2 % against the sheet's threshold of 15 %: z = (10.21 - 15) / 2.38 = -2.01, one-sided
    // p = 0.022, below the threshold.
    EXPECT_THAT(csv, HasSubstr("significantly below the threshold"));
  }
  {
    SCOPED_TRACE("two surveys");
    const std::string csv = convert("calculator_two_surveys.ods", "csv", "csv");
    check(csv, 2);
    // 10.2 - 5.0 = 5.2 points, SE sqrt(2.38^2 + 1.47^2) = 2.80, z = 1.86, two-sided p = 0.062.
    EXPECT_THAT(csv, HasSubstr("no significant difference"));
  }
}

}  // namespace
}  // namespace olvar
