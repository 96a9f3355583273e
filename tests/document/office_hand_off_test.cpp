#include "document/office_hand_off.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <set>
#include <vector>

#include "platform/program_search.h"
#include "support/recording_launcher.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"

namespace olvar::document {
namespace {
namespace fs = std::filesystem;
using platform::ProcessCommand;
using platform::WindowMode;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Records every command; the programs named in `failing` cannot be started.
using test::RecordingLauncher;

class RecordingEditor : public ReportEditorOpener {
 public:
  std::vector<fs::path> opened;
  void open_report_editor(const fs::path& document) override { opened.push_back(document); }
};

class HandOffTest : public ::testing::Test {
 protected:
  HandOffTest() {
    fs::create_directories(root / "program");
    fs::create_directories(root / "My Documents");
    folders = {root / "program", root / "program", root / "My Documents"};
  }

  HandOffResult write_report(const OutputSettings& settings) {
    return WriteReportDocument(buffer, settings, folders, services);
  }
  HandOffResult hand_table(const OutputSettings& settings) {
    return HandToSpreadsheet(buffer, settings, folders, services);
  }

  static OutputSettings settings(std::string kind, std::string path) {
    OutputSettings s;
    s.kind = std::move(kind);
    s.word_processor_path = std::move(path);
    return s;
  }

  test::TempFolder root;
  OutputFolders folders;
  DocumentBuffer buffer;
  RecordingLauncher launcher;
  test::ScriptedPrompter prompter;
  RecordingEditor editor;
  HandOffServices services{launcher, prompter, editor,
                           [](int entry) { return "entry " + std::to_string(entry); }};
};

// --- Numbered files -----------------------------------------------------------------------

TEST_F(HandOffTest, NumberedFileSkipsNamesThatCannotBeCreated) {
  const fs::path report = folders.report_folder;
  // noname1.txt cannot be opened for writing (a folder has its name); noname2.txt is held open
  // by LibreOffice, whose lock file lies beside it.
  fs::create_directories(report / "noname1.txt");
  test::write_file_for(report / "noname2.txt", "still open");
  test::write_file_for(report / ".~lock.noname2.txt#", "lock");

  EXPECT_EQ(write_numbered_file(report, "noname", "doc"), report / "noname3.txt");
  EXPECT_EQ(test::read_file(report / "noname2.txt"), "still open");
  EXPECT_EQ(test::read_file(report / "noname3.txt"), "doc");
}

TEST_F(HandOffTest, NumberedFileReusesTheLowestNumberNoLongerOpen) {
  const fs::path report = folders.report_folder;
  EXPECT_EQ(write_numbered_file(report, "excel", "first"), report / "excel1.txt");
  EXPECT_EQ(write_numbered_file(report, "excel", "second"), report / "excel1.txt");
  EXPECT_EQ(test::read_file(report / "excel1.txt"), "second");
}

TEST_F(HandOffTest, NumberedFileGivesUpWithAClearMessage) {
  const fs::path report = folders.report_folder;
  for (int n = 1; n <= 3; ++n)
    fs::create_directories(report / ("noname" + std::to_string(n) + ".txt"));
  EXPECT_THAT([&] { write_numbered_file(report, "noname", "doc", 3); },
              ThrowsMessage<HandOffError>(
                  AllOf(HasSubstr("My Documents"), HasSubstr("noname1.txt to noname3.txt"))));
  EXPECT_THAT([&] { write_numbered_file(root / "missing", "noname", "doc"); },
              ThrowsMessage<HandOffError>(HasSubstr("does not exist")));
}

TEST_F(HandOffTest, AFullDiskKeepsTheOldDocumentAndNamesTheFile) {
  const fs::path report = folders.report_folder;
  test::write_file_for(report / "noname1.txt", "last report");
  ::setenv("OLVAR_TEST_WRITE_LIMIT", "3", 1);  // the platform's test hook: a full disk
  EXPECT_THAT([&] { write_numbered_file(report, "noname", "a longer report"); },
              ThrowsMessage<HandOffError>(
                  AllOf(HasSubstr("noname1.txt"), HasSubstr("No space left on device"))));
  ::unsetenv("OLVAR_TEST_WRITE_LIMIT");
  EXPECT_EQ(test::read_file(report / "noname1.txt"), "last report");
  EXPECT_EQ(std::distance(fs::directory_iterator(report), fs::directory_iterator()), 1);
}

TEST(OutputFolders, ReportsGoToTheDocumentsFolder) {
  test::TempFolder root;
  fs::create_directories(root / "home/Documents");
  fs::create_directories(root / "program");
  const auto env = [&](const std::string& name) -> std::optional<std::string> {
    if (name == "HOME") return (root / "home").string();
    return std::nullopt;
  };
  const OutputFolders folders = output_folders(root / "program", env);
  EXPECT_EQ(folders.program_folder, root / "program");
  EXPECT_EQ(folders.writable_folder, root / "program");
  EXPECT_EQ(folders.report_folder, root / "home/Documents");

  // Without a home folder the reports go beside the program's own files.
  const OutputFolders homeless =
      output_folders(root / "program", [](const std::string&) { return std::nullopt; });
  EXPECT_EQ(homeless.report_folder, root / "program");
}

// --- RTF documents -------------------------------------------------------------------------

TEST_F(HandOffTest, ReportEndsWithTheClosingBraceAndOpensInWriter) {
  buffer << rtf::kHeaderMinimal << "Title" << rtf::kBoldOff << rtf::kBodySize << rtf::kParagraph
         << "\xB1 0.5";
  const HandOffResult result = write_report(settings("oo", "/usr/bin/soffice"));

  const fs::path file = folders.report_folder / "noname1.txt";
  EXPECT_EQ(result.file, file);
  EXPECT_EQ(result.outcome, HandOffOutcome::word_processor);
  EXPECT_EQ(test::read_file(file), buffer.text() + "}\r\n");
  EXPECT_THAT(launcher.commands,
              ElementsAre(ProcessCommand{"/usr/bin/soffice",
                                         {"--writer", "--infilter=Rich Text Format", file.string()},
                                         WindowMode::shown_maximised}));
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_TRUE(editor.opened.empty());
}

TEST(WordProcessorCommand, StartsTheConfiguredProgramWithTheDocument) {
  const fs::path file = "/home/u/My Documents/noname1.txt";
  struct Case {
    const char* path;
    std::vector<std::string> rtf_arguments;
    std::vector<std::string> table_arguments;
  };
  const std::string f = file.string();
  const std::string rtf_filter = "--infilter=Rich Text Format";
  const Case cases[] = {
      // As on Windows: the program and the document, nothing else.
      {R"(C:\Programme\Microsoft Office\Office\WINWORD.EXE)", {f}, {f}},
      {"/usr/bin/abiword", {f}, {f}},
      // LibreOffice opens nonameN.txt as RTF only when told so; a table opens as text.
      {"/usr/bin/soffice", {"--writer", rtf_filter, f}, {"--writer", f}},
      {"/usr/bin/lowriter", {"--writer", rtf_filter, f}, {"--writer", f}},
      {R"(C:\Program Files\OpenOffice 4\program\swriter.exe)",
       {"--writer", rtf_filter, f},
       {"--writer", f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const ProcessCommand rtf = word_processor_command(c.path, file, OpenedAs::rtf_document);
    EXPECT_EQ(rtf.program, c.path);
    EXPECT_EQ(rtf.arguments, c.rtf_arguments);
    EXPECT_EQ(word_processor_command(c.path, file, OpenedAs::table).arguments, c.table_arguments);
  }
}

TEST_F(HandOffTest, MsOfficeKindStartsTheWordProcessorWithTheDocument) {
  const std::string word = R"(C:\Programme\Microsoft Office\Office\WINWORD.EXE)";
  write_report(settings("ww", word));
  ASSERT_EQ(launcher.commands.size(), 1u);
  EXPECT_EQ(launcher.commands[0].program, word);
  EXPECT_THAT(launcher.commands[0].arguments,
              ElementsAre((folders.report_folder / "noname1.txt").string()));
}

TEST_F(HandOffTest, ChangedRelayOptionHandsTheDocumentToTheRelayProgram) {
  OutputSettings s = settings("ww", "/usr/bin/soffice");
  s.relay_option = 'j';
  s.second_relay_option = 'x';
  const HandOffResult result = write_report(s);

  EXPECT_EQ(result.outcome, HandOffOutcome::relay);
  EXPECT_EQ(test::read_file(folders.report_folder / "noname1.txt"), "}\r\n");
  EXPECT_EQ(test::read_file(folders.report_folder / "zwischen.dat"),
            folders.report_folder.string() + "/\r\nx\r\n\r\n");
  EXPECT_THAT(launcher.commands,
              ElementsAre(ProcessCommand{
                  (folders.program_folder / "ausgabe.exe").string(), {}, WindowMode::hidden}));
}

TEST_F(HandOffTest, RelayTextAloneAlsoSelectsTheRelayButOnlyForMsOffice) {
  OutputSettings s = settings("ww", "/usr/bin/soffice");
  s.relay_text = "\\\\server\\share";
  write_report(s);
  EXPECT_EQ(test::read_file(folders.report_folder / "zwischen.dat"),
            folders.report_folder.string() + "/\r\n \r\n\\\\server\\share\r\n");
  ASSERT_EQ(launcher.commands.size(), 1u);
  EXPECT_EQ(launcher.commands[0].program, (folders.program_folder / "ausgabe.exe").string());

  s.kind = "oo";
  launcher.commands.clear();
  write_report(s);
  ASSERT_EQ(launcher.commands.size(), 1u);
  EXPECT_EQ(launcher.commands[0].program, "/usr/bin/soffice");
}

TEST_F(HandOffTest, FailedStartShowsTheKindsMessageAndOpensTheEditor) {
  struct Case {
    const char* what;
    const char* kind;
    char relay_option;
    const char* failing;
    const char* message;
  };
  const Case cases[] = {
      {"OpenOffice", "oo", 'n', "/opt/office/swriter", "entry 391"},
      {"MS Office", "ww", 'n', "/opt/office/swriter", "entry 24"},
      {"relay program", "ww", 'j', "", "entry 24"},
      {"an unknown kind behaves as MS Office", "xy", 'n', "/opt/office/swriter", "entry 24"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    launcher.failing = {c.failing, (folders.program_folder / "ausgabe.exe").string()};
    prompter.messages.clear();
    editor.opened.clear();
    OutputSettings s = settings(c.kind, "/opt/office/swriter");
    s.relay_option = c.relay_option;

    const HandOffResult result = write_report(s);
    EXPECT_EQ(result.outcome, HandOffOutcome::report_editor);
    EXPECT_THAT(prompter.messages, ElementsAre(c.message));
    EXPECT_THAT(editor.opened, ElementsAre(result.file));
    EXPECT_TRUE(fs::exists(result.file));  // the document stays in the report folder
  }
}

TEST_F(HandOffTest, EmptyWordProcessorPathCountsAsAFailedStart) {
  launcher.failing = {""};
  write_report(settings("ww", ""));
  EXPECT_THAT(prompter.messages, ElementsAre("entry 24"));
  EXPECT_EQ(editor.opened.size(), 1u);
}

TEST_F(HandOffTest, MissingReportFolderWritesAndStartsNothing) {
  folders.report_folder = root / "gone";
  EXPECT_THROW(write_report(settings("oo", "/usr/bin/soffice")), HandOffError);
  EXPECT_THROW(hand_table(settings("oo", "/usr/bin/soffice")), HandOffError);
  EXPECT_TRUE(launcher.commands.empty());
}

// --- Spreadsheet tables ----------------------------------------------------------------------

TEST(SpreadsheetCommand, IsDerivedFromTheWordProcessor) {
  const fs::path file = "/home/u/My Documents/excel1.txt";
  const std::string f = file.string();
  const std::vector<std::string> calc = {"--calc", std::string(kCalcTabTextFilter), f};
  struct Case {
    const char* kind;
    const char* word_processor;
    const char* program;
    std::vector<std::string> arguments;
  };
  const Case cases[] = {
      // Windows paths: the word processor's name replaced by the spreadsheet program's.
      {"ww", R"(C:\Office\WINWORD.EXE)", R"(C:\Office\excel.exe)", {f}},
      {"ww", R"(c:\office\winword.exe)", R"(c:\office\excel.exe)", {f}},
      {"oo", R"(C:\Program Files\OpenOffice 4\program\swriter.exe)",
       R"(C:\Program Files\OpenOffice 4\program\scalc.exe)", calc},
      {"oo", R"(C:\OO\program\SWRITER.EXE)", R"(C:\OO\program\scalc.exe)", calc},
      // A word processor whose name is not the expected one gives the bare spreadsheet name.
      {"ww", "/usr/bin/abiword", "excel.exe", {f}},
      {"oo", "/usr/bin/abiword", "scalc.exe", {f}},
      // LibreOffice on Linux: the same suite told to use Calc, or Calc's own launcher.
      {"oo", "/usr/bin/soffice", "/usr/bin/soffice", calc},
      {"ww", "/usr/bin/soffice", "/usr/bin/soffice", calc},
      {"oo", "/usr/bin/lowriter", "/usr/bin/localc", calc},
      {"oo", "/opt/libreoffice7.6/program/swriter", "/opt/libreoffice7.6/program/scalc", calc},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + " " + c.word_processor);
    const ProcessCommand command = spreadsheet_command(c.kind, c.word_processor, file);
    EXPECT_EQ(command.program, c.program);
    EXPECT_EQ(command.arguments, c.arguments);
    EXPECT_EQ(command.window, WindowMode::shown_maximised);
  }
}

TEST_F(HandOffTest, TableGetsOneLineBreakAndOpensInTheSpreadsheet) {
  buffer << "CLUSTER\tN\n1\t30\n2\t28";
  const HandOffResult result = hand_table(settings("oo", "/usr/bin/soffice"));

  const fs::path file = folders.report_folder / "excel1.txt";
  EXPECT_EQ(result.file, file);
  EXPECT_EQ(result.outcome, HandOffOutcome::spreadsheet);
  EXPECT_EQ(test::read_file(file), "CLUSTER\tN\n1\t30\n2\t28\r\n");
  ASSERT_EQ(launcher.commands.size(), 1u);
  EXPECT_EQ(launcher.commands[0], spreadsheet_command("oo", "/usr/bin/soffice", file));
}

TEST_F(HandOffTest, TableFallsBackToTheWordProcessor) {
  const std::string word = R"(C:\Office\WINWORD.EXE)";
  launcher.failing = {R"(C:\Office\excel.exe)"};
  const HandOffResult result = hand_table(settings("ww", word));

  EXPECT_EQ(result.outcome, HandOffOutcome::word_processor);
  ASSERT_EQ(launcher.commands.size(), 2u);
  EXPECT_EQ(launcher.commands[1].program, word);
  EXPECT_THAT(launcher.commands[1].arguments, ElementsAre(result.file.string()));
  EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(HandOffTest, TableThatNoProgramOpensGoesToTheEditorAsNonameRtf) {
  fs::create_directories(root / "user data");
  folders.writable_folder = root / "user data";
  test::write_file_for(folders.writable_folder / "noname.rtf", "an older report");
  buffer << "a\tb";
  launcher.failing = {"/usr/bin/soffice"};

  const HandOffResult result = hand_table(settings("oo", "/usr/bin/soffice"));

  EXPECT_EQ(result.outcome, HandOffOutcome::report_editor);
  EXPECT_EQ(launcher.commands.size(), 2u);  // spreadsheet, then word processor
  EXPECT_THAT(prompter.messages, ElementsAre("entry 410"));
  const fs::path editor_file = folders.writable_folder / "noname.rtf";
  EXPECT_THAT(editor.opened, ElementsAre(editor_file));
  EXPECT_EQ(test::read_file(editor_file), "a\tb\r\n");
  EXPECT_EQ(test::read_file(result.file), "a\tb\r\n");  // the table stays in the report folder
}

// --- With LibreOffice installed ----------------------------------------------------------------

TEST_F(HandOffTest, LibreOfficeReadsTheWrittenDocumentAsRtf) {
  const std::string soffice = platform::FindProgramFile(
      "soffice", platform::default_program_search(platform::process_environment()));
  if (soffice.empty()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";

  // A control word ends at the first character that is not a letter or digit, and one blank
  // ending it is swallowed: "\\par Overall" starts a paragraph with "Overall".
  buffer << rtf::kHeaderFixedWidthTables << "Plausibility check" << rtf::kBoldOff << rtf::kBodySize
         << rtf::kParagraph << " Overall score" << rtf::kTab << " 12" << rtf::kParagraph << " "
         << rtf::kFixedWidthOn << "WHZ  -0.51" << rtf::kParagraph << rtf::kFixedWidthOff << "\xB1"
         << rtf::kParagraph;
  const HandOffResult result = write_report(settings("oo", soffice));

  // Convert the document the way the word processor would open it, headless, and read it back.
  fs::create_directories(root / "converted");
  std::string error;
  const int status = platform::run_and_wait(
      {soffice,
       {"-env:UserInstallation=file://" + (root / "profile").string(), "--headless",
        std::string(kWriterRtfFilter), "--convert-to", "txt:Text", "--outdir",
        (root / "converted").string(), result.file.string()}},
      &error);
  ASSERT_EQ(status, 0) << error;
  const std::string text = test::read_file(root / "converted" / "noname1.txt");
  EXPECT_THAT(text, HasSubstr("Plausibility check"));
  EXPECT_THAT(text, HasSubstr("Overall score\t12\nWHZ  -0.51\n\xC2\xB1"));  // UTF-8 of 0xB1
  EXPECT_THAT(text, ::testing::Not(HasSubstr("\\par")));
}

TEST_F(HandOffTest, LibreOfficeReadsTheTableWithoutAskingHowItIsSplit) {
  const std::string soffice = platform::FindProgramFile(
      "soffice", platform::default_program_search(platform::process_environment()));
  if (soffice.empty()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";

  buffer << "CLUSTER\tWHZ\tNAME\n1\t-0.51\tAb\xE9\n2\t1.2\tx y";  // 0xE9: e acute
  launcher.failing = {};
  const HandOffResult result = hand_table(settings("oo", soffice));
  const ProcessCommand opened = launcher.commands.at(0);

  // Calc is started with the filter of `opened`; convert with the same filter to comma-separated
  // UTF-8 and read the cells back.
  fs::create_directories(root / "converted");
  std::string error;
  const int status = platform::run_and_wait(
      {soffice,
       {"-env:UserInstallation=file://" + (root / "profile").string(), "--headless",
        opened.arguments.at(1), "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76",
        "--outdir", (root / "converted").string(), result.file.string()}},
      &error);
  ASSERT_EQ(status, 0) << error;
  EXPECT_EQ(test::read_file(root / "converted" / "excel1.csv"),
            "CLUSTER,WHZ,NAME\n1,-0.51,Ab\xC3\xA9\n2,1.2,x y\n");
}

}  // namespace
}  // namespace olvar::document
