// The batch analysis on a small survey: the appended columns, their classes and flags, the
// layout of the lines, and the reader of the companion file with its fuzz corpus.

#include "formats/batch_analysis.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "anthro/zscore_engine.h"
#include "core/standard_variables.h"
#include "core/text_conversions.h"
#include "support/survey_builder.h"
#include "support/test_paths.h"

namespace olvar::formats {
namespace {

using core::StdVar;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

const anthro::WhoReference& who() {
  static const anthro::WhoReference table =
      anthro::WhoReference::load(test::build_data_path("anthro_who2005.dat"));
  return table;
}

// Children of one cluster with SEX, MONTHS, WEIGHT, HEIGHT, EDEMA and MUAC.
core::SurveyTable survey_of(test::SurveyRows children) {
  return test::survey_table({StdVar::sex, StdVar::months, StdVar::weight, StdVar::height,
                             StdVar::edema, StdVar::muac},
                            children, {{StdVar::cluster, "1"}, {StdVar::id, test::kRowNumber}});
}

std::vector<std::vector<std::string>> lines_of(const std::string& text) {
  std::vector<std::vector<std::string>> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    std::string field;
    for (char c : line) {
      if (c == ',') {
        fields.push_back(field);
        field.clear();
      } else {
        field += c;
      }
    }
    EXPECT_TRUE(field.empty()) << "every field, the last included, ends with a comma";
    lines.push_back(fields);
  }
  return lines;
}

// The field under the appended heading `name` (N = 5 caller columns).
std::string field(const std::vector<std::vector<std::string>>& lines, int row,
                  const std::string& name) {
  for (int i = 0; i < 33; ++i) {
    if (name == kBatchHeadings[i]) return lines.at(row).at(5 + i);
  }
  ADD_FAILURE() << "no heading " << name;
  return {};
}

BatchAnalysisSettings settings(anthro::ExclusionMode mode) {
  BatchAnalysisSettings s;
  s.analysis.mode = mode;
  return s;
}

TEST(BatchAnalysis, AppendsThirtyThreeColumnsAfterTheCallersAndTwoEmptyOnes) {
  ASSERT_TRUE(who().found());
  const core::SurveyTable survey = survey_of({{"m", "24", "12", "87", "n", "140"}});
  const BatchInputLines input = read_batch_input("a,b,c,d,e\n1,2,3,4,5\n", "olvar.txt");
  const auto lines =
      lines_of(run_batch_analysis(survey, input, settings(anthro::ExclusionMode::none), who()));
  ASSERT_EQ(lines.size(), 2u);
  for (const auto& line : lines) EXPECT_EQ(line.size(), 40u);
  EXPECT_EQ(lines[0][5], "WAZ_NCHS");
  EXPECT_EQ(lines[0][37], "SAM_WHO_c");
  EXPECT_EQ(lines[1][0], "1");
  EXPECT_EQ(lines[1][4], "5");
  EXPECT_EQ(lines[1][38], "");
}

TEST(BatchAnalysis, ClassesAndFlagsFollowOedemaMuacAndMissingIndices) {
  ASSERT_TRUE(who().found());
  const core::SurveyTable survey = survey_of({
      {"m", "24", "12", "87", "y", "140"},  // oedema: indices kept, classes severe
      {"f", "30", "11", "85", "n", ""},      // no MUAC
      {"m", "30", "", "85", "n", ""},        // no weight: WAZ missing
  });
  const BatchInputLines input = read_batch_input("a,b,c,d,e\n", "olvar.txt");
  const auto lines =
      lines_of(run_batch_analysis(survey, input, settings(anthro::ExclusionMode::none), who()));
  ASSERT_EQ(lines.size(), 4u);

  // The oedema child's WAZ and WHZ are computed as without oedema. Worked out from the WHO
  // tables, z = ((x / M)^L - 1) / (L S), for a boy of 24 months (730.5 days, day 731), 12 kg,
  // 87 cm (from 87 cm on, the height table):
  //   WAZ, day 731:          L -0.0137, M 12.1548, S 0.11427  ->  -0.112
  //   WHZ, height 87.0 cm:   L -0.3521, M 12.1645, S 0.0809   ->  -0.169
  EXPECT_EQ(field(lines, 1, "WHZ_WHO"), "-0.169");
  EXPECT_EQ(field(lines, 1, "WAZ_WHO"), "-0.112");
  EXPECT_EQ(field(lines, 1, "WHZ_WHO_c"), "severe");
  EXPECT_EQ(field(lines, 1, "WAZ_NCHS_c"), "severe");
  EXPECT_EQ(field(lines, 1, "HAZ_WHO_c"), "normal");
  EXPECT_EQ(field(lines, 1, "GAM_WHO__c"), "1");
  EXPECT_EQ(field(lines, 1, "SAM_WHO_c"), "1");
  EXPECT_EQ(field(lines, 1, "MUAC_125"), "0");
  EXPECT_FALSE(field(lines, 1, "MUACZ").empty());
  EXPECT_FALSE(field(lines, 1, "MUACZ_calc").empty());
  EXPECT_EQ(field(lines, 1, "AGE_MONTHS"), " 24.00");  // fixed number format (5, 2)

  for (const char* muac : {"MUAC_110", "MUAC_115", "MUAC_125"}) {
    EXPECT_EQ(field(lines, 2, muac), "0") << muac;
  }
  EXPECT_EQ(field(lines, 2, "MUACZ"), "");
  EXPECT_EQ(field(lines, 2, "Flag_WAZ_NCHS"), "0");

  // With no exclusion a missing index is still flagged.
  EXPECT_EQ(field(lines, 3, "WAZ_NCHS"), "");
  EXPECT_EQ(field(lines, 3, "WAZ_NCHS_c"), "");
  EXPECT_EQ(field(lines, 3, "Flag_WAZ_NCHS"), "1");
  EXPECT_EQ(field(lines, 3, "Flag_WHZ_WHO"), "1");
  EXPECT_EQ(field(lines, 3, "Flag_HAZ_WHO"), "0");
}

TEST(BatchAnalysis, HeightAgeOfAChildBelowTheMedianAtBirthIsTheFirstDay) {
  ASSERT_TRUE(who().found());
  EXPECT_EQ(height_age_day(who(), false, 40.0), 1);
  EXPECT_EQ(height_age_day(who(), true, 40.0), 1);
  EXPECT_EQ(height_age_day(who(), false, 300.0), 6571);
  // The WHO median length of boys at one year is 75.7 cm: the height-age of 75.8 cm is a year.
  EXPECT_NEAR(height_age_day(who(), false, 75.8), 365, 10);
}

TEST(BatchAnalysisInput, SplitsAtCommasAndTabsOverEveryLineEnd) {
  const BatchInputLines lines = read_batch_input("A,B\tC\r\n1,,2\r3\n4", "olvar.txt");
  const BatchInputLines expected = {{"A", "B", "C"}, {"1", "", "2"}, {"3"}, {"4"}};
  EXPECT_EQ(lines, expected);
}

TEST(BatchAnalysisInput, AHeaderWithoutNamesFailsNamingTheFileAndLine) {
  for (const char* bytes : {"", ",,\n1,2\n", "\n1\n"}) {
    SCOPED_TRACE(bytes);
    EXPECT_THAT([&] { read_batch_input(bytes, "olvar.txt"); },
                ThrowsMessage<BatchInputError>(HasSubstr("olvar.txt, line 1")));
  }
}

TEST(BatchAnalysisInput, FuzzCorpusReadsWithoutFault) {
  namespace fs = std::filesystem;
  const fs::path corpus = test::source_path("tests/fuzz/corpus/batch_analysis_input");
  int files = 0;
  for (const auto& item : fs::directory_iterator(corpus)) {
    std::ifstream in(item.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    try {
      read_batch_input(bytes, item.path().filename().string());
    } catch (const BatchInputError& e) {
      EXPECT_EQ(e.line(), 1) << item.path();
    }
    ++files;
  }
  EXPECT_GE(files, 3);
}

}  // namespace
}  // namespace olvar::formats
