#include "reports/plausibility_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "anthro/who_table_layout.h"
#include "core/survey_file.h"
#include "support/run_command.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"
#include "support/recording_launcher.h"

namespace olvar::reports {

// The report is written with the document module's vocabulary.
using document::DocumentBuffer;
using document::HandOffOutcome;
using document::HandOffResult;
using document::HandOffServices;
using document::OutputFolders;
using document::OutputSettings;
using document::ReportEditorOpener;
namespace rtf = document::rtf;
namespace {

using core::StdVar;

// A WHO table whose every record is linear (L = 1), so that each z-score can be worked out by
// hand: z = (X / M - 1) / S.
//   weight-for-length and weight-for-height: M = 10 kg, S = 0.1  -> WHZ = weight - 10
//   weight-for-age:                          M = 10 kg, S = 0.2  -> WAZ = (weight - 10) / 2
//   length/height-for-age:                   M = 80 cm, S = 0.0125 -> HAZ = height - 80
// With L = 1 the WHO rule for values beyond 3 SD gives the same straight line.
anthro::WhoReference linear_who() {
  std::vector<anthro::Lms> records(anthro::kWhoRecordCount, anthro::Lms{1.0, 10.0, 0.1});
  const auto fill = [&](anthro::WhoTable table, anthro::Lms lms) {
    const anthro::WhoBlockLayout& b = anthro::who_layout(table);
    for (int i = 0; i < 2 * b.count; ++i) records[static_cast<std::size_t>(b.boys_first + i)] = lms;
  };
  fill(anthro::WhoTable::weight_for_age_days, {1.0, 10.0, 0.2});
  fill(anthro::WhoTable::length_for_age_days, {1.0, 80.0, 0.0125});
  return anthro::WhoReference(std::move(records));
}

const core::LanguageTable& language() {
  static const core::LanguageTable table = [] {
    std::ifstream in(test::source_path("data/english.lng"), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    core::LanguageTable t;
    t.read_english(s.str());
    return t;
  }();
  return table;
}

struct Child {
  const char* cluster;
  const char* team;
  const char* id;
  const char* sex;
  const char* months;
  const char* weight;
  const char* height;
  const char* muac;
};

// Forty children in four clusters and two teams. Worked out by hand (z-scores by the linear
// table above):
//  WHZ: +5.0, -5.0, 6 x -2.5, 4 x -1.5, 8 x -0.5, 8 x 0.5, 8 x 1.0, 4 x 1.5; sum -7, mean -0.175.
//  Criterion 1: the Kandu window is -3.175 ... 2.825; only +5.0 and -5.0 lie outside:
//    2 / 40 = 5.0 % -> 5 points (above 2.5, not above 5).
//    Child 1 (WHZ +5, WAZ 2.5, HAZ 3.0): only WHZ flagged; |HAZ - 0.525| = 2.475 is not more
//    than |WAZ + 0.0875| = 2.5875, so the remark is 895 (weight).
//    Child 2 (WHZ -5, WAZ -2.5, HAZ 0.1): |0.1 - 0.525| = 0.425 < 2.4125 -> 895.
//  Criteria 6, 7, 8 on the 38 WHZ left after exclusion (mean -7/38 = -0.18421):
//    sum of squares about the mean 66.2105 -> SD = sqrt(66.2105 / 37) = 1.3377 -> "1.34", 20 pts;
//    with z = (x - mean) / SD: sum z^3 = -20.437, sum z^4 = 73.169;
//    G1 = 38 / (37 * 36) * -20.437 = -0.583 -> "-0.58", 3 points;
//    G2 = 38 * 39 / (37 * 36 * 35) * 73.169 - 3 * 37^2 / (36 * 35) = -0.934 -> "-0.93", 5 points.
//  Criterion 2: 26 boys, 14 girls, equal expected proportions, so 20 expected each:
//    chi-square = 36/20 + 36/20 = 3.6, p = 0.0578 -> "0.058", 2 points.
//  Criterion 3: 12 children of 6-29 months, 28 of 30-59; expected 18.378 and 21.622:
//    chi-square = 6.378^2 / 18.378 + 6.378^2 / 21.622 = 4.095, p = 0.0430 -> "0.043", 4 points.
//  Criterion 4: weight decimals: 10 x ".0", 30 x ".5"; E = 4:
//    chi-square = (36 + 9 * 16 + 26^2 ... ) = 36/4 + 8 * 16/4 + 26^2/4 = 9 + 32 + 169 = 210,
//    DPS = 100 * sqrt(210 / 360) = 76.4 -> "76", 10 points.
//  Criterion 5: height decimals 0 ... 9 four times each: chi-square 0, DPS "0", 0 points.
//  Criterion 0: MUAC in 20 of the 40 children (the empty cells do not count): decimals of
//    MUAC / 10: 0,0,1,1,2,2,3,3,4,4,5,5,5,5,5,6,6,7,8,9; E = 2:
//    chi-square = (9 + 1 + 1 + 1) / 2 = 6, DPS = 100 * sqrt(6 / 180) = 18.3 -> "18", 4 points.
//  Criterion 9: WHZ < -2 after exclusion per cluster: 5, 1, 0, 0 (the -5.0 is excluded):
//    mean 1.5, variance (12.25 + 0.25 + 2.25 + 2.25) / 3 = 5.667, ID = 3.778,
//    chi-square = 3 * 3.778 = 11.33 with 3 df, p = 0.01005 -> "0.010": not above 0.01, 3 points.
//  Total 5 + 2 + 4 + 10 + 0 + 4 + 20 + 3 + 5 + 3 = 56 -> grade 1162.
const std::vector<Child> kChildren = {
    {"1", "A", "1", "m", "6", "15.0", "83.0", "130"},
    {"2", "A", "2", "m", "27", "5.0", "80.1", ""},
    {"1", "A", "3", "m", "34", "7.5", "80.2", "130"},
    {"1", "A", "4", "m", "48", "7.5", "80.3", ""},
    {"1", "A", "5", "m", "31", "7.5", "80.4", "131"},
    {"1", "A", "6", "m", "45", "7.5", "80.5", ""},
    {"1", "A", "7", "m", "12", "7.5", "80.6", "131"},
    {"2", "A", "8", "m", "8", "7.5", "80.7", ""},
    {"1", "A", "9", "m", "38", "8.5", "80.8", "132"},
    {"1", "A", "10", "m", "52", "8.5", "80.9", ""},
    {"1", "A", "11", "m", "35", "8.5", "80.0", "132"},
    {"1", "A", "12", "m", "49", "8.5", "80.1", ""},
    {"2", "A", "13", "m", "18", "9.5", "80.2", "133"},
    {"2", "A", "14", "m", "20", "9.5", "80.3", ""},
    {"2", "A", "15", "m", "42", "9.5", "80.4", "133"},
    {"2", "A", "16", "m", "56", "9.5", "80.5", ""},
    {"2", "A", "17", "m", "39", "9.5", "80.6", "134"},
    {"2", "A", "18", "m", "53", "9.5", "80.7", ""},
    {"2", "A", "19", "m", "24", "9.5", "80.8", "134"},
    {"2", "A", "20", "m", "32", "9.5", "80.9", ""},
    {"3", "B", "21", "m", "46", "10.5", "80.0", "135"},
    {"3", "B", "22", "m", "59", "10.5", "80.1", ""},
    {"3", "B", "23", "m", "43", "10.5", "80.2", "135"},
    {"3", "B", "24", "m", "9", "10.5", "80.3", ""},
    {"3", "B", "25", "m", "29", "10.5", "80.4", "135"},
    {"3", "B", "26", "m", "36", "10.5", "80.5", ""},
    {"3", "B", "27", "f", "50", "10.5", "80.6", "135"},
    {"3", "B", "28", "f", "33", "10.5", "80.7", ""},
    {"3", "B", "29", "f", "47", "11.0", "80.8", "135"},
    {"3", "B", "30", "f", "15", "11.0", "80.9", ""},
    {"4", "B", "31", "f", "14", "11.0", "80.0", "136"},
    {"4", "B", "32", "f", "40", "11.0", "80.1", ""},
    {"4", "B", "33", "f", "54", "11.0", "80.2", "136"},
    {"4", "B", "34", "f", "37", "11.0", "80.3", ""},
    {"4", "B", "35", "f", "51", "11.0", "80.4", "137"},
    {"4", "B", "36", "f", "21", "11.0", "80.5", ""},
    {"4", "B", "37", "f", "30", "11.5", "80.6", "138"},
    {"4", "B", "38", "f", "44", "11.5", "80.7", ""},
    {"4", "B", "39", "f", "58", "11.5", "80.8", "139"},
    {"4", "B", "40", "f", "41", "11.5", "80.9", ""},
};

core::Workspace fixture_survey() {
  core::Workspace w;
  core::reset_to_new_table(w, "");
  w.file_name = "/surveys/fixture.as";
  w.survey.resize(w.survey.column_count(), static_cast<int>(kChildren.size()) + 101);
  for (std::size_t i = 0; i < kChildren.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    const Child& c = kChildren[i];
    w.survey.set_cell(StdVar::survdate, row, "");
    w.survey.set_cell(StdVar::cluster, row, c.cluster);
    w.survey.set_cell(StdVar::team, row, c.team);
    w.survey.set_cell(StdVar::id, row, c.id);
    w.survey.set_cell(StdVar::hh, row, c.id);
    w.survey.set_cell(StdVar::sex, row, c.sex);
    w.survey.set_cell(StdVar::months, row, c.months);
    w.survey.set_cell(StdVar::weight, row, c.weight);
    w.survey.set_cell(StdVar::height, row, c.height);
    w.survey.set_cell(StdVar::edema, row, "n");
    w.survey.set_cell(StdVar::muac, row, c.muac);
  }
  w.survey.renumber_rows();
  return w;
}

struct Fixture {
  anthro::WhoReference who = linear_who();
  test::TempFolder folder;
  PlausibilityContext context() const {
    anthro::RowEvaluationSettings evaluation;
    evaluation.reference = anthro::Reference::nchs1977;  // the check must switch to WHO itself
    evaluation.current_year = 2026;
    return PlausibilityContext{language(), who, evaluation, core::OptionsPage{}, folder.path(), {}};
  }
};

TEST(PlausibilityReport, ScoresEachCriterionOfTheFixtureAsWorkedOutByHand) {
  Fixture f;
  const core::Workspace survey = fixture_survey();
  const PlausibilityReport report = Plausibility(survey, f.context());

  struct Expected {
    int criterion;
    const char* value;
    int points;
  };
  const Expected expected[] = {
      {1, "5.0", 5}, {2, "0.058", 2}, {3, "0.043", 4}, {4, "76", 10},   {5, "0", 0},
      {0, "18", 4},  {6, "1.34", 20}, {7, "-0.58", 3}, {8, "-0.93", 5}, {9, "0.010", 3},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE("criterion " + std::to_string(e.criterion));
    EXPECT_EQ(report.criteria[static_cast<std::size_t>(e.criterion)].value, e.value);
    EXPECT_EQ(report.criteria[static_cast<std::size_t>(e.criterion)].points, e.points);
  }
  EXPECT_EQ(report.total, 56);
  EXPECT_EQ(report.grade_entry, 1162);

  const std::string& text = report.document.text();
  // The summary shows points and values in place of the placeholders, and no marker is left.
  EXPECT_EQ(text.find('&'), std::string::npos);
  EXPECT_EQ(text.find(kCriterionMarker), std::string::npos);
  EXPECT_NE(text.find("\\b 10\\b0  (76)"), std::string::npos);
  EXPECT_NE(text.find("\\b 3\\b0  (p=0.010)"), std::string::npos);
  // Skewness and kurtosis are scored on their magnitude; the summary shows the magnitude, the
  // detailed table the signed value.
  EXPECT_NE(text.find("\\b 3\\b0  (0.58)"), std::string::npos);
  EXPECT_NE(text.find("\\b 5\\b0  (0.93)"), std::string::npos);
  EXPECT_NE(text.find("-0.58"), std::string::npos);
  EXPECT_NE(text.find("\\b 56\\b0 "), std::string::npos);
  EXPECT_NE(text.find("56 points, which is " + language().text(1162)), std::string::npos);
  // Every criterion was computed: the score needs no caveat.
  EXPECT_EQ(report.values.criteria_computed, 10);
  EXPECT_EQ(text.find(language().text(kScoreCoversComputedEntry)), std::string::npos);
  EXPECT_EQ(text.find(language().text(kCriterionNotComputedEntry)), std::string::npos);
  // Both outliers carry the remark that the weight may be wrong.
  EXPECT_NE(text.find("Line=1/ID=1:  \\tab \\b WHZ (5.000)\\b0, " + language().text(895)),
            std::string::npos);
  EXPECT_NE(text.find("Line=2/ID=2:  \\tab \\b WHZ (-5.000)\\b0, " + language().text(895)),
            std::string::npos);
  EXPECT_NE(text.find("fixture.as"), std::string::npos);
  EXPECT_NE(text.find(language().text(915)), std::string::npos);  // two teams
  EXPECT_NE(text.find(language().text(37)), std::string::npos);   // four clusters
  EXPECT_EQ(text.find(language().text(79)), std::string::npos);   // no duplicates
}

// The same worked-out summary as the word processor shows it: the report written as the hand-off
// writes it, converted to plain text by a real LibreOffice.
TEST(PlausibilityReport, WordProcessorShowsTheWorkedOutSummary) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  }
  Fixture f;
  const PlausibilityReport report = Plausibility(fixture_survey(), f.context());
  test::TempFolder folder;
  std::ofstream(folder / "report.rtf", std::ios::binary) << report.document.text() << "}\r\n";
  const test::CommandResult converted = test::run_command(
      "cd '" + folder.path().string() + "' && HOME='" + folder.path().string() +
          "' soffice --headless --infilter='Rich Text Format' --convert-to txt:Text report.rtf",
      folder.path());
  ASSERT_EQ(converted.status, 0) << converted.err;
  std::ifstream in(folder / "report.txt", std::ios::binary);
  std::stringstream text_stream;
  text_stream << in.rdbuf();
  std::string text = text_stream.str();
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());

  // Points and printed values of the criteria worked out above, each on its summary line.
  for (const char* shown : {"5 (5.0 %)", "2 (p=0.058)", "4 (p=0.043)", "10 (76)", "0 (0)",
                            "4 (18)", "20 (1.34)", "3 (0.58)", "5 (0.93)", "3 (p=0.010)"}) {
    EXPECT_NE(text.find(shown), std::string::npos) << shown << "\n" << text.substr(0, 3000);
  }
  EXPECT_NE(text.find("56 points, which is " + language().text(1162)), std::string::npos);
  EXPECT_EQ(text.find('\\'), std::string::npos);  // every control word was understood
}

TEST(PlausibilityReport, LeavesTheSurveyAsItWasAndSavesACopy) {
  Fixture f;
  core::Workspace survey = fixture_survey();
  // Rows out of cluster order, so that the sort for the clustering would show.
  survey.survey.swap_rows(1, 40);
  const core::Workspace before = survey;
  Plausibility(survey, f.context());
  EXPECT_EQ(survey.survey, before.survey);
  EXPECT_TRUE(std::filesystem::exists(f.folder / "noname.as"));
}

TEST(PlausibilityReport, OneClusterOneTeamAndNoMuacLeaveTheirSectionsOut) {
  Fixture f;
  core::Workspace survey = fixture_survey();
  for (int row = 1; row <= 40; ++row) {
    survey.survey.set_cell(StdVar::cluster, row, "7");
    survey.survey.set_cell(StdVar::team, row, "");
    survey.survey.set_cell(StdVar::muac, row, "");
  }
  const PlausibilityReport report = Plausibility(survey, f.context());
  EXPECT_EQ(report.criteria[9].value, "");
  EXPECT_EQ(report.criteria[9].points, 0);
  EXPECT_FALSE(report.criteria[9].computed);
  EXPECT_EQ(report.criteria[0].value, "");  // nobody measured: no score
  EXPECT_EQ(report.criteria[0].points, 0);
  EXPECT_FALSE(report.criteria[0].computed);
  const std::string& text = report.document.text();
  // The two criteria say they were not computed, not an empty value beside 0 points.
  EXPECT_EQ(text.find("(p=)"), std::string::npos);
  EXPECT_NE(text.find("\\b " + language().text(kCriterionNotComputedEntry) + "\\b0  \\par"),
            std::string::npos);
  EXPECT_NE(text.find(language().text(kScoreCoversComputedEntry) + " 8 / 10"), std::string::npos);
  EXPECT_EQ(text.find(language().text(37)), std::string::npos);
  EXPECT_EQ(text.find(language().text(915)), std::string::npos);
  EXPECT_NE(text.find(language().text(914)), std::string::npos);
}

// Without a SEX column no z-score and no sex ratio can be computed: those criteria are shown as
// not computed, and the verdict says its score covers only the criteria that were, instead of
// calling a score of 0 from the digit preferences alone "excellent" without a word.
TEST(PlausibilityReport, CriteriaThatCannotBeComputedAreShownAsSuch) {
  Fixture f;
  core::Workspace survey = fixture_survey();
  for (int row = 1; row <= 40; ++row) survey.survey.set_cell(StdVar::sex, row, "");
  const PlausibilityReport report = Plausibility(survey, f.context());

  const std::string not_computed = language().text(kCriterionNotComputedEntry);
  const std::string& text = report.document.text();
  int computed = 0;
  for (int n = 0; n < kCriterionCount; ++n) {
    SCOPED_TRACE("criterion " + std::to_string(n));
    const CriterionScore& c = report.criteria[static_cast<std::size_t>(n)];
    EXPECT_EQ(c.computed, !c.value.empty());
    if (!c.computed) {
      EXPECT_EQ(c.points, 0);
    }
    computed += c.computed;
  }
  // The z-score criteria and the sex ratio need SEX; the digit preferences do not.
  for (const int n : {1, 2, 6, 7, 8, 9}) {
    EXPECT_FALSE(report.criteria[static_cast<std::size_t>(n)].computed) << "criterion " << n;
  }
  for (const int n : {4, 5, 0}) {
    EXPECT_TRUE(report.criteria[static_cast<std::size_t>(n)].computed) << "criterion " << n;
  }
  EXPECT_EQ(report.values.criteria_computed, computed);
  EXPECT_EQ(text.find('&'), std::string::npos);
  // The verdict keeps its grade and says what it covers.
  const std::size_t verdict = text.find(" points, which is ");
  ASSERT_NE(verdict, std::string::npos);
  const std::size_t caveat = text.find(language().text(kScoreCoversComputedEntry) + " " +
                                       std::to_string(computed) + " / 10");
  ASSERT_NE(caveat, std::string::npos);
  EXPECT_GT(caveat, verdict);
  // In the summary above it, the flagged-data line and the Poisson line read "not computed"
  // without an empty value beside it.
  const std::string summary = text.substr(0, caveat);
  EXPECT_NE(summary.find("20        \\b " + not_computed + "\\b0  \\par"), std::string::npos);
  EXPECT_EQ(summary.find("( %)"), std::string::npos);
  EXPECT_EQ(summary.find("(p=)"), std::string::npos);
}

TEST(PlausibilityReport, PointsComeFromThePrintedValue) {
  struct Case {
    int criterion;
    const char* printed;
    int points;
  };
  const Case cases[] = {
      {1, "2.5", 0},   {1, "2.6", 5},   {1, "5.0", 5},   {1, "7.5", 10},  {1, "7.6", 20},
      {2, "0.100", 2}, {2, "0.101", 0}, {2, "0.099", 2}, {2, "0.050", 4}, {2, "0.001", 10},
      {3, "0.051", 2}, {4, "7", 0},     {4, "8", 2},     {5, "12", 2},    {0, "20", 4},
      {0, "21", 10},   {6, "1.00", 0},  {6, "1.12", 5},  {6, "0.88", 5},  {6, "0.90", 5},
      {6, "1.10", 5},  {6, "1.17", 10}, {6, "0.82", 10}, {6, "1.20", 20}, {6, "0.80", 20},
      {6, "1.25", 20}, {6, "0.75", 20}, {7, "-0.20", 1}, {7, "0.19", 0},  {8, "0.40", 3},
      {8, "-0.60", 5}, {9, "0.051", 0}, {9, "0.050", 1}, {9, "0.010", 3}, {9, "0.001", 5},
      {9, "", 0},      {6, "abc", 0},   {6, " 1,12", 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(criterion_points(c.criterion, c.printed), c.points)
        << "criterion " << c.criterion << " value '" << c.printed << "'";
  }
  const std::pair<int, int> grades[] = {{0, 1159},  {9, 1159},  {10, 1160}, {14, 1160},
                                        {15, 1161}, {24, 1161}, {25, 1162}, {100, 1162}};
  for (const auto& [total, entry] : grades) EXPECT_EQ(grade_entry(total), entry) << total;
}

TEST(PlausibilityReport, DuplicatesArePairsOfEqualRows) {
  core::TextGrid t(5, 8);
  const auto row = [&](int r, std::vector<std::string> cells) {
    for (std::size_t c = 0; c < cells.size(); ++c) t.set_cell(static_cast<int>(c) + 1, r, cells[c]);
  };
  row(1, {"1", "2", "3"});
  row(2, {"12", "3", ""});    // joined, "123" like row 1, yet different cells
  row(3, {"  1", "2", "3"});  // leading blanks of the first cell are ignored
  row(4, {"1", "2", "3"});
  row(6, {"9", "", ""});
  row(7, {"9", "", ""});
  // Rows 5 (empty) and 8 (outside the last row) take no part.
  const std::vector<DuplicatePair> expected = {{1, 3}, {1, 4}, {3, 4}, {6, 7}};
  EXPECT_EQ(find_duplicate_rows(t, 7), expected);
  EXPECT_EQ(find_duplicate_groups(t, 7), (std::vector<std::vector<int>>{{1, 3, 4}, {6, 7}}));
}

TEST(PlausibilityReport, DuplicateLinesNameBothRows) {
  Fixture f;
  core::Workspace survey = fixture_survey();
  for (int c = 1; c < survey.survey.column_count(); ++c) {
    survey.survey.set_cell(c, 41, survey.survey.cell(c, 5));
    survey.survey.set_cell(c, 42, survey.survey.cell(c, 5));
  }
  const std::string text = Plausibility(survey, f.context()).document.text();
  EXPECT_NE(text.find("Line=41/ID=5 with Line=5/ID=5 \\par Line=42/ID=5 with Line=5/ID=5 \\par "
                      "Line=42/ID=5 with Line=41/ID=5 \\par "),
            std::string::npos);
}

// Thousands of identical children are one line, not millions of pairs (3,000 copies made a
// report of 177 MB): up to four equal rows are named as pairs, more as one group.
TEST(PlausibilityReport, ManyIdenticalRowsAreOneLine) {
  Fixture f;
  core::Workspace survey = fixture_survey();
  for (int row = 41; row <= 70; ++row) {
    for (int c = 1; c < survey.survey.column_count(); ++c) {
      survey.survey.set_cell(c, row, survey.survey.cell(c, 5));
    }
  }
  const std::string text = Plausibility(survey, f.context()).document.text();
  EXPECT_NE(text.find("Line=5/ID=5 with Line=41/ID=5, Line=42/ID=5, "), std::string::npos);
  EXPECT_NE(text.find(", Line=59/ID=5 and 11 more (31 identical lines) \\par "), std::string::npos);
  EXPECT_EQ(text.find("Line=42/ID=5 with Line=41/ID=5"), std::string::npos);
}

// Whether the text is RTF as the reports write it: balanced braces, and only the vocabulary
// of the reports as control words.
void expect_well_formed(const std::string& rtf) {
  static const std::set<std::string> kWords = {"rtf",    "fonttbl", "f",     "fnil", "fmodern",
                                               "paperw", "paperh",  "pard",  "fs",   "b",
                                               "par",    "tab",     "plain", "lang"};
  int depth = 0;
  for (std::size_t i = 0; i < rtf.size(); ++i) {
    const char c = rtf[i];
    if (c == '{') ++depth;
    if (c == '}') {
      --depth;
      ASSERT_GE(depth, 0) << "at " << i;
    }
    if (c != '\\') continue;
    const char next = i + 1 < rtf.size() ? rtf[i + 1] : '\0';
    if (next == '\\' || next == '{' || next == '}') {
      ++i;
      continue;
    }
    if (next == '\'') {
      i += 3;
      continue;
    }
    std::size_t j = i + 1;
    while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j]))) ++j;
    const std::string word = rtf.substr(i + 1, j - i - 1);
    EXPECT_TRUE(kWords.count(word)) << "control word \\" << word << " at " << i;
    i = j - 1;
  }
  EXPECT_EQ(depth, 0);
}

TEST(PlausibilityReport, DocumentIsWellFormedRtf) {
  Fixture f;
  core::Workspace survey = fixture_survey();
  survey.survey.set_cell(StdVar::id, 3, "{x}\\y");  // survey text with RTF specials
  survey.file_name = "C:\\data\\{odd}.as";
  std::string text = Plausibility(survey, f.context()).document.text();
  expect_well_formed(text + "}");
  EXPECT_NE(text.find("\\{odd\\}.as"), std::string::npos);
}

TEST(PlausibilityReport, OnlyWhzFlaggedBlamesHeightWhenHazDeviatesMore) {
  // Child 1 at 83.2 cm: HAZ 3.2, mean HAZ (21 + 0.2) / 40 = 0.53, |3.2 - 0.53| = 2.67 (inside
  // the window, not flagged) is more than |WAZ - mean WAZ| = 2.5875, so the height is blamed.
  Fixture f;
  core::Workspace survey = fixture_survey();
  survey.survey.set_cell(StdVar::height, 1, "83.2");
  const std::string text = Plausibility(survey, f.context()).document.text();
  EXPECT_NE(
      text.find("Line=1/ID=1:  \\tab \\b WHZ (5.000)\\b0, " + language().text(897) + " \\par"),
      std::string::npos);
}

using test::RecordingLauncher;

class NoEditor : public ReportEditorOpener {
 public:
  void open_report_editor(const std::filesystem::path&) override { FAIL() << "editor opened"; }
};

TEST(PlausibilityReport, ModeWordWritesTheDocumentAndStartsTheWordProcessor) {
  Fixture f;
  const core::Workspace survey = fixture_survey();
  RecordingLauncher launcher;
  test::ScriptedPrompter prompter;
  NoEditor editor;
  HandOffServices services{launcher, prompter, editor, [](int) { return std::string(); }};
  OutputSettings settings;
  settings.kind = "oo";
  settings.word_processor_path = "/usr/bin/soffice";
  const OutputFolders folders{f.folder.path(), f.folder.path(), f.folder.path()};
  const HandOffResult result =
      run_plausibility_mode(survey, f.context(), settings, folders, services);
  EXPECT_EQ(result.outcome, HandOffOutcome::word_processor);
  EXPECT_EQ(result.file, f.folder / "noname1.txt");
  EXPECT_EQ(test::read_whole_file(result.file),
            Plausibility(survey, f.context()).document.text() + "}\r\n");
  ASSERT_EQ(launcher.commands.size(), 1u);
  EXPECT_EQ(launcher.commands[0].program, "/usr/bin/soffice");
}

TEST(PlausibilityReport, EveryLanguageEntryItCitesIsInTheEnglishFile) {
  // Each entry reads "@N@", so the document shows which entries it cites.
  std::string numbered;
  for (int n = core::LanguageTable::kFirstEntry; n <= core::LanguageTable::kLastEntry; ++n) {
    char line[32];
    std::snprintf(line, sizeof line, "%04d @%d@\n", n, n);
    numbered += line;
  }
  core::LanguageTable table;
  table.read_english(numbered);
  Fixture f;
  PlausibilityContext context = f.context();
  const PlausibilityContext numbered_context{table,           f.who, context.evaluation,
                                             context.options, {},    {}};
  const std::string text = Plausibility(fixture_survey(), numbered_context).document.text();
  const std::regex entry("@([0-9]+)@");
  std::set<int> cited;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), entry);
       it != std::sregex_iterator(); ++it)
    cited.insert(std::stoi((*it)[1]));
  EXPECT_GT(cited.size(), 90u);  // some entries are one of two, depending on a test
  for (const int n : cited) EXPECT_FALSE(language().text(n).empty()) << "entry " << n;
  // The summary entries carry the placeholders of criteria 1 to 3 and of the total.
  std::string summary;
  for (const int n : {63, 64, 65, 66, 67, 68, 69, 77, 78}) summary += language().text(n) + "\n";
  for (const char* placeholder : {"&1a", "&1b", "&2a", "&2b", "&3a", "&3b", "&10b"})
    EXPECT_NE(summary.find(placeholder), std::string::npos) << placeholder;
  EXPECT_NE(summary.find("&10a"), summary.rfind("&10a"));  // twice
}


// The figures behind the report, read as values (worked out by hand with the fixture above).
TEST(PlausibilityValues, FixtureFiguresWorkedOutByHand) {
  Fixture f;
  const PlausibilityValues v = plausibility_values(fixture_survey(), f.context());
  EXPECT_EQ(v.file_name, "fixture.as");
  EXPECT_EQ(v.flagged.n[kWhz], 40);
  EXPECT_EQ(v.flagged.flagged[kWhz], 2);
  EXPECT_NEAR(v.flagged.mean[kWhz], -0.175, 1e-6);
  ASSERT_EQ(v.flagged.children.size(), 2u);
  EXPECT_EQ(v.flagged.children[1].child.id, "2");
  EXPECT_EQ(v.flagged.children[1].remark_entry, 895);
  ASSERT_TRUE(v.age_ratio.has_value());
  EXPECT_EQ(v.age_ratio->a, 12);
  EXPECT_EQ(v.age_ratio->b, 28);
  EXPECT_NEAR(v.age_ratio->p, 0.0430, 5e-4);
  EXPECT_EQ(v.age_sex.all_boys, 26);
  EXPECT_EQ(v.age_sex.all_girls, 14);
  EXPECT_NEAR(v.age_sex.expected_all_boys, 20.0, 1e-9);
  EXPECT_NEAR(*v.age_sex.sex_ratio_p, 0.0578, 5e-4);
  EXPECT_NEAR(v.digits[0].chi, 210.0, 1e-9);
  EXPECT_NEAR(v.digits[0].dps, 76.38, 5e-3);
  EXPECT_EQ(v.digits[1].chi, 0.0);
  EXPECT_EQ(v.digits[2].n, 20);
  EXPECT_EQ(v.shape[kWhz][2].n, 38);
  EXPECT_NEAR(v.shape[kWhz][2].sd, 1.3377, 5e-4);
  // Clusters 1 ... 4 with 5, 1, 0, 0 children of WHZ < -2 after exclusion.
  ASSERT_EQ(v.clustering.clusters.size(), 4u);
  EXPECT_EQ(v.clustering.counts[0][0], 5.0);
  EXPECT_EQ(v.clustering.counts[1][0], 1.0);
  EXPECT_NEAR(v.clustering.dispersion[0]->index, 3.778, 5e-4);

  // Per team. A: children 1-20, all boys, WHZ +5, -5, 6 x -2.5, 4 x -1.5, 8 x -0.5 (mean -1.25,
  // sum of squares 67.25, SD sqrt(67.25 / 19) = 1.8813, 7 of 20 below -2); 7 of 6-29 and 13 of
  // 30-59 months; weights 2 x ".0", 18 x ".5". B: children 21-40, 6 boys and 14 girls, no flag.
  ASSERT_EQ(v.teams.size(), 2u);
  const TeamValues& a = v.teams[0];
  const TeamValues& b = v.teams[1];
  EXPECT_EQ(a.code, "A");
  EXPECT_EQ(a.children, 20);
  EXPECT_NEAR(*a.flagged_percent[kWhz], 10.0, 1e-9);
  EXPECT_NEAR(*b.flagged_percent[kWhz], 0.0, 1e-9);
  EXPECT_NEAR(*a.age_ratio, 7.0 / 13, 1e-9);
  EXPECT_NEAR(*b.age_ratio, 5.0 / 15, 1e-9);
  EXPECT_FALSE(a.sex_ratio.has_value());  // no girls
  EXPECT_NEAR(*b.sex_ratio, 6.0 / 14, 1e-9);
  EXPECT_EQ(a.digits[0].counts[0], 2);
  EXPECT_EQ(a.digits[0].counts[5], 18);
  EXPECT_EQ(b.digits[0].counts[0], 8);
  EXPECT_NEAR(*a.sd[0].sd, 1.8813, 5e-4);
  EXPECT_NEAR(a.sd[0].mean, -1.25, 1e-6);
  EXPECT_NEAR(a.sd[0].pct_below_minus2, 35.0, 1e-9);
  EXPECT_EQ(a.age_sex.all_boys, 20);
  EXPECT_EQ(b.age_sex.all_girls, 14);

  // The report's scores are those of the values.
  const PlausibilityReport report = Plausibility(fixture_survey(), f.context());
  for (int n = 0; n < kCriterionCount; ++n) {
    EXPECT_EQ(report.criteria[n].value, v.criteria[n].value);
    EXPECT_EQ(report.criteria[n].points, v.criteria[n].points);
  }
  EXPECT_EQ(v.total, 56);
}

// The time points count the children of each cluster in the order of the sort by CLUSTER and
// ID, ascending or descending as the sort window chose last: the first child of each cluster is
// ID 1, 2, 21, 31 ascending (1 and 2 are the two flagged children) and ID 12, 20, 30, 40
// descending.
TEST(PlausibilityValues, TimePointsFollowTheSortOrderChosenLast) {
  Fixture f;
  PlausibilityContext context = f.context();
  const PlausibilityValues ascending = plausibility_values(fixture_survey(), context);
  context.sort_order = core::SortOrder::descending;
  const PlausibilityValues descending = plausibility_values(fixture_survey(), context);
  ASSERT_FALSE(ascending.timepoints.points.empty());
  ASSERT_FALSE(descending.timepoints.points.empty());
  EXPECT_EQ(ascending.timepoints.points[0].k, 1);
  EXPECT_EQ(ascending.timepoints.points[0].n, 4);
  EXPECT_EQ(ascending.timepoints.points[0].flagged, 2);
  EXPECT_EQ(descending.timepoints.points[0].k, 1);
  EXPECT_EQ(descending.timepoints.points[0].n, 4);
  EXPECT_EQ(descending.timepoints.points[0].flagged, 0);
}

// The month of birth of a child without a birth date comes from the survey date and the age in
// whole months. An age no child can have (a typing slip of many digits) gives no month: the
// birth day it would give lies beyond the calendar and beyond the range of the day count.
TEST(PlausibilityValues, AnAbsurdAgeGivesNoMonthOfBirth) {
  Fixture f;
  core::Workspace w = fixture_survey();
  for (int row = 1; row <= static_cast<int>(kChildren.size()); ++row)
    w.survey.set_cell(StdVar::survdate, row, "15.06.2026");
  w.survey.set_cell(StdVar::months, 1, "99999999999");
  w.survey.set_cell(StdVar::months, 2, "-99999999999");
  w.survey.set_cell(StdVar::months, 3, "3000000000");
  const PlausibilityValues v = plausibility_values(w, f.context());
  int births = 0;
  for (const int count : v.births_by_month) births += count;
  EXPECT_EQ(births, static_cast<int>(kChildren.size()) - 3);
  w.survey.set_cell(StdVar::months, 1, "");
  w.survey.set_cell(StdVar::months, 2, "");
  w.survey.set_cell(StdVar::months, 3, "");
  const PlausibilityValues plain = plausibility_values(w, f.context());
  int plain_births = 0;
  for (const int count : plain.births_by_month) plain_births += count;
  EXPECT_EQ(plain_births, births);
}

// A survey text that looks like a summary placeholder stays as typed.
TEST(PlausibilityReport, SurveyTextIsNeverTakenForAPlaceholder) {
  Fixture f;
  core::Workspace survey = fixture_survey();
  survey.file_name = "&4a&10b.as";
  const std::string text = Plausibility(survey, f.context()).document.text();
  EXPECT_NE(text.find("&4a&10b.as"), std::string::npos);
}

}  // namespace
}  // namespace olvar::reports
