#include "document/document_name.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "document/office_hand_off.h"
#include "support/recording_launcher.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"

namespace olvar::document {
namespace {
namespace fs = std::filesystem;

TEST(DocumentNameTest, BaseNameSaysSurveyKindAndDate) {
  struct Case {
    fs::path survey;
    std::string kind;
    std::string expected;
  };
  const Case cases[] = {
      {"/data/district-e.as", "plausibility", "district-e plausibility 2026-12-11"},
      {"/data/survey 2.final.as", "results report", "survey 2.final results report 2026-12-11"},
      {"", "export", "new survey export 2026-12-11"},
      {"/data/x.as", "", "x 2026-12-11"},
      {"/data/x.as", "shock year a/b:c", "x shock year a_b_c 2026-12-11"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(document_base_name({c.survey, c.kind, iso_date(2026, 12, 11)}), c.expected)
        << c.survey;
  }
  EXPECT_EQ(iso_date(2027, 1, 5), "2027-01-05");
}

TEST(DocumentNameTest, ReportsFolderIsBesideASavedSurveyElseTheDocumentsFolder) {
  EXPECT_EQ(reports_folder("/data/district-e.as", "/home/u/Documents"), fs::path("/data/reports"));
  EXPECT_EQ(reports_folder("", "/home/u/Documents"), fs::path("/home/u/Documents"));
}

TEST(DocumentNameTest, ADocumentOfTheSameNameIsNeverReplaced) {
  test::TempFolder root;
  const fs::path folder = root / "survey" / "reports";  // made on first use
  const fs::path first = write_new_document(folder, "d plausibility 2026-12-11", ".rtf", "one");
  const fs::path second = write_new_document(folder, "d plausibility 2026-12-11", ".rtf", "two");
  // A name taken by a folder or a dangling link is passed over as well.
  fs::create_directories(folder / "d plausibility 2026-12-11 (3).rtf");
  fs::create_symlink(root / "nowhere", folder / "d plausibility 2026-12-11 (4).rtf");
  const fs::path fifth = write_new_document(folder, "d plausibility 2026-12-11", ".rtf", "five");

  EXPECT_EQ(first, folder / "d plausibility 2026-12-11.rtf");
  EXPECT_EQ(second, folder / "d plausibility 2026-12-11 (2).rtf");
  EXPECT_EQ(fifth, folder / "d plausibility 2026-12-11 (5).rtf");
  EXPECT_EQ(test::read_file(first), "one");
  EXPECT_EQ(test::read_file(second), "two");
  EXPECT_EQ(test::read_file(fifth), "five");
  EXPECT_FALSE(fs::exists(root / "nowhere"));
}

TEST(DocumentNameTest, AFolderThatCannotBeMadeIsAnErrorNotASuccess) {
  test::TempFolder root;
  test::write_file_for(root / "reports", "a file where the folder would go");
  EXPECT_THROW(write_new_document(root / "reports", "x", ".rtf", "doc"), HandOffError);
  EXPECT_EQ(test::read_file(root / "reports"), "a file where the folder would go");
}

class RecordingEditor : public ReportEditorOpener {
 public:
  void open_report_editor(const fs::path&) override {}
};

// Two reports of one kind in a row leave two documents in the survey's reports folder, each
// opened at once; tables get their own extension and open in the spreadsheet.
TEST(DocumentNameTest, NamedHandOffsLeaveOneDocumentEach) {
  test::TempFolder root;
  fs::create_directories(root / "data");
  fs::create_directories(root / "Documents");
  OutputFolders folders{root / "program", root / "program", root / "Documents"};
  folders.naming = DocumentNaming{root / "data" / "district-e.as", "plausibility", "2026-12-11"};
  test::RecordingLauncher launcher;
  test::ScriptedPrompter prompter;
  RecordingEditor editor;
  HandOffServices services{launcher, prompter, editor, {}};
  OutputSettings settings;
  settings.kind = std::string(kOpenOffice);
  settings.word_processor_path = "/usr/bin/soffice";

  const HandOffResult first =
      WriteReportDocument(DocumentBuffer("{\\rtf1 first"), settings, folders, services);
  const HandOffResult second =
      WriteReportDocument(DocumentBuffer("{\\rtf1 second"), settings, folders, services);
  folders.naming->kind = "export";
  const HandOffResult table = HandToSpreadsheet(DocumentBuffer("a\tb"), settings, folders, services);

  const fs::path reports = root / "data" / "reports";
  EXPECT_EQ(first.file, reports / "district-e plausibility 2026-12-11.rtf");
  EXPECT_EQ(second.file, reports / "district-e plausibility 2026-12-11 (2).rtf");
  EXPECT_EQ(table.file, reports / "district-e export 2026-12-11.tsv");
  EXPECT_EQ(test::read_file(first.file), "{\\rtf1 first}\r\n");
  EXPECT_EQ(test::read_file(second.file), "{\\rtf1 second}\r\n");
  EXPECT_EQ(first.outcome, HandOffOutcome::word_processor);
  EXPECT_EQ(table.outcome, HandOffOutcome::spreadsheet);
  EXPECT_TRUE(fs::is_empty(root / "Documents"));

  // Reopening starts the program its kind needs, with the same file.
  const HandOffResult again = ReopenDocument(table.file, settings, folders, services);
  EXPECT_EQ(again.outcome, HandOffOutcome::spreadsheet);
  ASSERT_FALSE(launcher.commands.empty());
  EXPECT_EQ(launcher.commands.back().arguments.back(), table.file.string());
  EXPECT_THAT(launcher.commands.back().arguments, ::testing::Contains("--calc"));
}

}  // namespace
}  // namespace olvar::document
