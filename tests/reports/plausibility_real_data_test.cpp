// The plausibility report on a real survey, and read by a real word processor.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/text_conversions.h"
#include "reports/plausibility_report.h"
#include "support/run_command.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar::reports {
namespace {

using core::StdVar;

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Splits a line of the R package's CSV (quoted texts without commas inside).
std::vector<std::string> csv_fields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  for (const char c : line) {
    if (c == ',') {
      fields.push_back(field);
      field.clear();
    } else if (c != '"' && c != '\r') {
      field += c;
    }
  }
  fields.push_back(field);
  return fields;
}

// The mwana survey (1191 children of two districts, 58 clusters, 8 teams) as a Survey table;
// the survey date ISO "2023-12-04" becomes "04.12.2023" (day first, as the conventions say).
core::Workspace mwana_survey() {
  std::istringstream in(read_file(test::survey_data_path("anthro_mwana_anthro01.csv")));
  std::string line;
  std::getline(in, line);  // area, dos, cluster, team, sex, dob, age, weight, height, edema, muac
  std::vector<std::vector<std::string>> rows;
  while (std::getline(in, line))
    if (!line.empty()) rows.push_back(csv_fields(line));
  core::Workspace w;
  core::reset_to_new_table(w, "");
  w.file_name = "mwana.as";
  w.survey.resize(w.survey.column_count(), static_cast<int>(rows.size()) + 101);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::vector<std::string>& f = rows[i];
    const int row = static_cast<int>(i) + 1;
    const std::string& d = f[1];
    w.survey.set_cell(
        StdVar::survdate, row,
        d.size() == 10 ? d.substr(8, 2) + "." + d.substr(5, 2) + "." + d.substr(0, 4) : "");
    // Cluster numbers repeat between the districts: the district letter keeps them apart.
    w.survey.set_cell(StdVar::cluster, row, f[0].substr(f[0].size() - 1) + f[2]);
    w.survey.set_cell(StdVar::team, row, f[0].substr(f[0].size() - 1) + f[3]);
    w.survey.set_cell(StdVar::id, row, std::to_string(row));
    w.survey.set_cell(StdVar::sex, row, f[4]);
    w.survey.set_cell(StdVar::months, row, f[6]);
    w.survey.set_cell(StdVar::weight, row, f[7]);
    w.survey.set_cell(StdVar::height, row, f[8]);
    w.survey.set_cell(StdVar::edema, row, f[9]);
    w.survey.set_cell(StdVar::muac, row, f[10]);
  }
  w.survey.renumber_rows();
  return w;
}

struct RealData {
  core::LanguageTable text = core::LanguageTable::load(test::build_data_path(""));
  anthro::WhoReference who =
      anthro::WhoReference::load(test::build_data_path("anthro_who2005.dat"));
  PlausibilityContext context() const {
    anthro::RowEvaluationSettings evaluation;
    evaluation.current_year = 2026;
    return PlausibilityContext{text, who, evaluation, core::OptionsPage{}, {}, {}};
  }
};

TEST(PlausibilityRealData, MwanaSurveyGivesPlausibleFigures) {
  RealData data;
  ASSERT_TRUE(data.who.found());
  const PlausibilityReport report = Plausibility(mwana_survey(), data.context());
  const auto value = [&](int n) {
    return std::stod(report.criteria[static_cast<std::size_t>(n)].value);
  };
  // The source notes 11 or 12 of 1191 children flagged with the Kandu flags: about 1 %.
  EXPECT_GT(value(1), 0.5);
  EXPECT_LT(value(1), 1.5);
  EXPECT_GT(value(6), 0.85);  // a district survey's WHZ SD lies near 1
  EXPECT_LT(value(6), 1.2);
  EXPECT_LT(std::fabs(value(7)), 0.6);
  for (const int n : {2, 3, 9}) {
    EXPECT_GE(value(n), 0.0);
    EXPECT_LE(value(n), 1.0);
  }
  for (const int n : {0, 4, 5}) {
    EXPECT_GE(value(n), 0.0);
    EXPECT_LE(value(n), 100.0);
  }
  EXPECT_GE(report.total, 0);
  EXPECT_LE(report.total, 100);
  for (const CriterionScore& c : report.criteria) EXPECT_FALSE(c.value.empty());
}

bool have_soffice() { return std::system("command -v soffice >/dev/null 2>&1") == 0; }

// Writes the report as the hand-off does and has LibreOffice convert it.
std::filesystem::path convert(const test::TempFolder& folder, const std::string& document,
                              const std::string& to) {
  const auto rtf = folder / "report.rtf";
  std::ofstream(rtf, std::ios::binary) << document << "}\r\n";
  const std::string command =
      "cd '" + folder.path().string() + "' && HOME='" + folder.path().string() +
      "' soffice --headless --infilter='Rich Text Format' --convert-to " + to + " report.rtf";
  const test::CommandResult result = test::run_command(command, folder.path());
  EXPECT_EQ(result.status, 0) << result.err;
  return folder / ("report." + to.substr(0, to.find(':')));
}

TEST(PlausibilityRealData, WordProcessorReadsTheReport) {
  if (!have_soffice()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  RealData data;
  const PlausibilityReport report = Plausibility(mwana_survey(), data.context());
  test::TempFolder folder;
  const std::string text = read_file(convert(folder, report.document.text(), "txt:Text").string());
  // The summary with its values, the grade and the sections a reader looks for.
  EXPECT_NE(text.find(data.text.text(62)), std::string::npos);
  EXPECT_NE(text.find("(" + report.criteria[4].value + ")"), std::string::npos);
  EXPECT_NE(text.find("(p=" + report.criteria[9].value + ")"), std::string::npos);
  EXPECT_NE(text.find(data.text.text(report.grade_entry)), std::string::npos);
  EXPECT_NE(text.find(data.text.text(915)), std::string::npos);
  EXPECT_NE(text.find("Digit .5  : #"), std::string::npos) << text;
  EXPECT_NE(text.find("WHZ < -2: ID="), std::string::npos);
  // No RTF leaked into the text: every control word was understood.
  EXPECT_EQ(text.find('\\'), std::string::npos);
  // Rendering for a look by eye, when asked: OLVAR_PLAUSIBILITY_PDF=/some/folder
  if (const char* keep = std::getenv("OLVAR_PLAUSIBILITY_PDF")) {
    const auto pdf = convert(folder, report.document.text(), "pdf");
    std::filesystem::copy_file(pdf, std::filesystem::path(keep) / "plausibility.pdf",
                               std::filesystem::copy_options::overwrite_existing);
  }
}

}  // namespace
}  // namespace olvar::reports
