#pragma once
// Handing a finished document to the office program: WriteReportDocument writes the document
// buffer as an RTF document and opens it in the word processor; HandToSpreadsheet writes it as
// a tab-separated table and opens it in the spreadsheet program. Each writes a new numbered file
// in the report folder (noname1.txt, noname2.txt, ... / excel1.txt, ...) and, when no office
// program can be started, says so and opens the built-in report editor instead.
//
// Both take the folders and every service they use as parameters and never change the process's
// current folder: paths are passed in full.
//
// On Linux the office program is LibreOffice. A file named nonameN.txt would open as plain text,
// so Writer is told the filter (--infilter=Rich Text Format), and Calc is given the text-table
// filter with tab as separator and Windows-1252 as character set, so the table opens at once,
// without the import dialog.

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/prompter.h"
#include "document/document_buffer.h"
#include "document/document_name.h"
#include "document/output_settings.h"
#include "platform/environment.h"
#include "platform/process_launcher.h"

namespace olvar::document {

struct OutputFolders {
  std::filesystem::path program_folder;   // the program's tables and the relay program
  std::filesystem::path writable_folder;  // where noname.rtf for the report editor is put
  std::filesystem::path report_folder;    // where documents are written (the documents folder)
  // When set, the document is written once under its own name (document_name.h) in the reports
  // folder of the survey, or in report_folder for an unsaved survey, instead of under the next
  // free number; a document handed over earlier is then never replaced.
  std::optional<DocumentNaming> naming{};
};

// The folders for a program folder: the writable folder beside it and the user's documents
// folder as report folder (the program folder when not even a home folder is known). A blank in
// the documents folder's path needs no detour here, since paths are passed whole.
OutputFolders output_folders(const std::filesystem::path& program_folder,
                             const platform::EnvironmentLookup& env);

// Opens the built-in report editor window showing a document. The desktop program opens its
// editor window; the command-line tool never opens windows and tells where the file is instead.
class ReportEditorOpener {
 public:
  virtual ~ReportEditorOpener() = default;
  virtual void open_report_editor(const std::filesystem::path& document) = 0;
};

// The text of a Language entry, by number.
using LanguageText = std::function<std::string(int entry)>;

struct HandOffServices {
  platform::ProcessLauncher& launcher;
  core::Prompter& prompter;
  ReportEditorOpener& editor;
  LanguageText language_text;
};

// Language entries shown when the office program cannot be started.
inline constexpr int kMessageWordProcessorFailed = 24;  // kind "ww", direct or through the relay
inline constexpr int kMessageOpenOfficeFailed = 391;    // kind "oo"
inline constexpr int kMessageNoProgramForTable = 410;   // neither spreadsheet nor word processor

// How many numbered names are tried before giving up (a read-only or full report folder).
inline constexpr int kMaxNumberedFiles = 10'000;

// The documents end in the line break of the system the files come from, so that they are the
// same bytes wherever they were written.
inline constexpr std::string_view kLineBreak = "\r\n";

// The import filters LibreOffice is told to use for the two kinds of file.
inline constexpr std::string_view kWriterRtfFilter = "--infilter=Rich Text Format";
// CSV filter tokens: field separator 9 (tab), text delimiter 34 ("), character set 1
// (Windows-1252), first line 1 (LibreOffice help, "CSV Filter Options").
inline constexpr std::string_view kCalcTabTextFilter =
    "--infilter=Text - txt - csv (StarCalc):9,34,1,1";

// The report folder is missing, or no numbered file could be created or written in it.
class HandOffError : public std::runtime_error {
 public:
  HandOffError(const std::string& what, std::filesystem::path folder)
      : std::runtime_error(what), folder_(std::move(folder)) {}
  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
};

enum class HandOffOutcome {
  word_processor,  // the word processor was started with the file
  relay,           // the relay program was started with zwischen.dat
  spreadsheet,     // the spreadsheet program was started with the table
  report_editor,   // no office program could be started; the report editor shows the document
};

struct HandOffResult {
  std::filesystem::path file;  // the numbered file written in the report folder
  HandOffOutcome outcome = HandOffOutcome::report_editor;
};

// Writes `contents` to the first of prefix1.txt, prefix2.txt, ... in the folder that can be
// created, and returns its path. A number is passed over when its file cannot be opened for
// writing or when LibreOffice holds it open (its lock file .~lock.<name># lies beside it), as an
// open document locks its file on Windows. An earlier file that is no longer open is overwritten.
// Throws HandOffError when none of the first `max_files` names can be used or writing fails.
std::filesystem::path write_numbered_file(const std::filesystem::path& folder,
                                          std::string_view prefix, std::string_view contents,
                                          int max_files = kMaxNumberedFiles);

enum class OpenedAs { rtf_document, table };

// The command that opens a file in the word processor: the configured program with the file.
// A LibreOffice program is also told to use Writer and, for RTF documents, the RTF filter.
platform::ProcessCommand word_processor_command(std::string_view word_processor_path,
                                                const std::filesystem::path& file, OpenedAs as);

// The command that opens a table in the spreadsheet program, derived from the word processor:
// C:\Office\WINWORD.EXE gives C:\Office\excel.exe, ...\swriter.exe gives ...\scalc.exe (any
// case), lowriter gives localc beside it, and soffice itself is told to use Calc. LibreOffice
// programs get the tab-separated text filter so that the table opens without a dialog.
platform::ProcessCommand spreadsheet_command(std::string_view kind,
                                             std::string_view word_processor_path,
                                             const std::filesystem::path& file);

// The extensions of named documents: RTF documents and tab-separated tables.
inline constexpr std::string_view kRtfExtension = ".rtf";
inline constexpr std::string_view kTableExtension = ".tsv";

// Opens a document written earlier again in the office program (Files > "Recent reports"): a
// table (kTableExtension, or a numbered excelN.txt) in the spreadsheet program, else in the word
// processor; the report editor with the messages below when no program starts.
HandOffResult ReopenDocument(const std::filesystem::path& file, const OutputSettings& settings,
                             const OutputFolders& folders, HandOffServices& services);

// Writes the buffer and "}" as nonameN.txt and opens it in the word processor, directly or
// through the relay program (zwischen.dat and ausgabe.exe). When the start fails: Language entry
// 24 (kind "ww") or 391 (kind "oo") and the report editor with the written file.
HandOffResult WriteReportDocument(const DocumentBuffer& buffer, const OutputSettings& settings,
                                  const OutputFolders& folders, HandOffServices& services);

// Writes the buffer (rows joined by LF, cells by tabs) and one line break as excelN.txt and opens
// it in the spreadsheet program, else in the word processor. When both fail: Language entry 410,
// the table is copied to noname.rtf in the writable folder and the report editor shows it.
HandOffResult HandToSpreadsheet(const DocumentBuffer& buffer, const OutputSettings& settings,
                                const OutputFolders& folders, HandOffServices& services);

}  // namespace olvar::document
