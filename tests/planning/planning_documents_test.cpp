// The documents of the Planning page: survey protocol, printed and exported cluster table, blank
// forms.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "planning/blank_forms.h"
#include "planning/cluster_assignment.h"
#include "planning/cluster_table_documents.h"
#include "planning/random_number_table.h"
#include "planning/survey_protocol.h"
#include "support/run_command.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar::planning {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST(SurveyProtocol, FillsTheSixteenMarkers) {
  test::TempFolder folder;
  const auto file = folder.write("report_planning.rtf",
                                 "{\\rtf1 p #01 d #02 e #03 n #04\r\nh #05 u #06 r #07 H #08\r\n"
                                 "m #09 #10 #11 #12 #13 #14 #15 #16 end #01");
  core::PlanningPage page;
  PlanningSession session;
  recompute_sample_sizes(page, session);
  const auto doc = survey_protocol(page, session.outputs, file);
  ASSERT_TRUE(doc);
  // Line breaks kept; only the first occurrence of a marker is replaced.
  EXPECT_EQ(doc->text(),
            "{\\rtf1 p 20 d 5 e 1.5 n 401\r\nh 5 u 15 r 3 H 613\r\n"
            "m 0.5 0.3 1.5 93 3747 5 3 773 end #01");
}

TEST(SurveyProtocol, AMissingTemplateGivesNothing) {
  test::TempFolder folder;
  EXPECT_FALSE(survey_protocol({}, {}, folder / "report_planning.rtf"));
}

TEST(SurveyProtocol, TheShippedTemplateCarriesEveryMarkerOnce) {
  const std::string text = test::read_file(test::source_path("data/english_survey_protocol.rtf"));
  for (int k = 1; k <= 16; ++k) {
    const std::string marker = (k < 10 ? "#0" : "#") + std::to_string(k);
    SCOPED_TRACE(marker);
    const auto first = text.find(marker);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(text.find(marker, first + 1), std::string::npos);
  }
  core::PlanningPage page;
  PlanningSession session;
  recompute_sample_sizes(page, session);
  const auto doc =
      survey_protocol(page, session.outputs, test::source_path("data/english_survey_protocol.rtf"));
  ASSERT_TRUE(doc);
  EXPECT_THAT(doc->text(), Not(HasSubstr("#0")));
  EXPECT_THAT(doc->text(), HasSubstr("\\b Children aged 6 to 59 months to include:\\tab 401"));
}

core::LanguageTable language() {
  core::LanguageTable text;
  text.read_english(
      "0095 *RC: Reserve Cluster\n0924 Cluster sampling table\n0925 Unit\n"
      "0926 Population\n0927 Cluster\n");
  return text;
}

TEST(ClusterTableDocuments, PrintedTableSkipsEmptyRowsAndNamesTheSeed) {
  core::TextGrid table(3, 6);
  table.set_cell(0, 1, "Abu");
  table.set_cell(1, 1, "2000");
  table.set_cell(2, 1, "1,RC");
  table.set_cell(0, 3, "Dali");  // row 2 empty: left out
  table.set_cell(1, 3, "300");
  const std::string rows = R"(Abu\tab 2000\tab 1,RC\tab \par Dali\tab 300\tab \tab \par )";
  const std::string start = std::string(document::rtf::kHeaderWithMargins) +
                            R"(Cluster sampling table\b0\fs24\par \par \f0\tqc\tx2700\tqc\tx5700 )"
                            R"(Unit\tab Population\tab Cluster \par\par )";
  EXPECT_EQ(
      cluster_table_document(table, language(), 4711).text(),
      start + rows + R"(\par Seed of the random draw: 4711\par\par *RC: Reserve Cluster \pard )");
  EXPECT_EQ(cluster_table_document(table, language(), std::nullopt).text(),
            start + rows + R"(\par\par *RC: Reserve Cluster \pard )");
}

TEST(ClusterTableDocuments, SpreadsheetTableEndsAtTheLastRowWithAPopulationOrCluster) {
  core::TextGrid table(3, 6);
  table.set_cell(0, 0, "Unit");
  table.set_cell(1, 0, "Population");
  table.set_cell(2, 0, "Cluster");
  table.set_cell(0, 1, "Abu");
  table.set_cell(1, 1, "2000");
  table.set_cell(2, 3, "RC");
  table.set_cell(0, 4, "name only");  // neither population nor cluster: past the end
  EXPECT_EQ(cluster_table_for_spreadsheet(table).text(),
            "Unit\tPopulation\tCluster\t\nAbu\t2000\t\t\n\t\t\t\n\t\tRC\t\n");
}

TEST(BlankForms, EveryShippedFormIsHandedOutWithItsLinesJoined) {
  const core::ProgramFolders folders{test::source_path("data"), test::source_path("data")};
  for (const BlankForm form : {BlankForm::anthropometry_standard, BlankForm::anthropometry_simple,
                               BlankForm::mortality_standard, BlankForm::mortality_simple}) {
    SCOPED_TRACE(blank_form_file(form));
    const auto doc = blank_form(form, folders);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->text().rfind("{\\rtf1", 0), 0u);
    EXPECT_EQ(doc->text().find('\n'), std::string::npos);
    EXPECT_EQ(doc->text().find('\r'), std::string::npos);
  }
  test::TempFolder empty;
  EXPECT_FALSE(blank_form(BlankForm::mortality_simple, {empty.path(), empty.path()}));
}

bool have_soffice() { return std::system("command -v soffice >/dev/null 2>&1") == 0; }

// The document as the hand-off writes it, converted to plain text by LibreOffice.
std::string as_text_in_writer(const test::TempFolder& folder, const std::string& document) {
  const auto rtf = folder / "document.rtf";
  std::ofstream(rtf, std::ios::binary) << document << "}\r\n";
  const std::string command =
      "cd '" + folder.path().string() + "' && HOME='" + folder.path().string() +
      "' soffice --headless --infilter='Rich Text Format' --convert-to txt:Text document.rtf";
  const test::CommandResult result = test::run_command(command, folder.path());
  EXPECT_EQ(result.status, 0) << result.err;
  return test::read_file(folder / "document.txt");
}

TEST(PlanningDocuments, TheWordProcessorReadsEveryDocument) {
  if (!have_soffice()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  const core::LanguageTable text = core::LanguageTable::load(OLVAR_BUILD_DATA_DIR);
  test::TempFolder folder;

  core::PlanningPage page;
  PlanningSession session;
  recompute_sample_sizes(page, session);
  const auto protocol =
      survey_protocol(page, session.outputs, test::source_path("data/english_survey_protocol.rtf"));
  ASSERT_TRUE(protocol);
  const std::string protocol_text = as_text_in_writer(folder, protocol->text());
  EXPECT_THAT(protocol_text, HasSubstr("Children aged 6 to 59 months to include:\t401"));
  EXPECT_THAT(protocol_text, HasSubstr("Households to include:\t773"));
  EXPECT_THAT(protocol_text, HasSubstr("0.5 per 10,000 persons per day"));

  core::TextGrid table(3, 10);
  set_cluster_table_headings(table, text);
  paste_into_table(table, 0, 1, "Abu\t5400\nBora\t1200\nCala\t8800\n");
  const std::string clusters_text =
      as_text_in_writer(folder, cluster_table_document(table, text, 42).text());
  EXPECT_THAT(clusters_text, HasSubstr("Bora\t1200"));
  EXPECT_THAT(clusters_text, HasSubstr("Seed of the random draw: 42"));
  EXPECT_THAT(clusters_text, HasSubstr(text.text(kReserveClusterNote)));

  const std::string numbers_text =
      as_text_in_writer(folder, random_number_document({"1", "10", "3"}, {7, 2, 9}).text());
  EXPECT_THAT(numbers_text, HasSubstr("Range: 1 to 10, Number: 3"));
  EXPECT_THAT(numbers_text, HasSubstr("7\t2\t9"));

  const core::ProgramFolders data{test::source_path("data"), test::source_path("data")};
  const std::string form_text =
      as_text_in_writer(folder, blank_form(BlankForm::mortality_standard, data)->text());
  EXPECT_THAT(form_text, HasSubstr("Demography and mortality questionnaire"));
  for (const std::string& converted : {protocol_text, clusters_text, numbers_text, form_text}) {
    EXPECT_EQ(converted.find('\\'), std::string::npos);  // every control word understood
  }
}

}  // namespace
}  // namespace olvar::planning
