#pragma once
// The names under which reports and tables are handed to the office program. Each document is
// written once under a name that says what it is: the survey's file name, the kind of output and
// the date ("district-e plausibility 2026-12-11.rtf"), with " (2)", " (3)", ... added when that
// name is taken, so that a document handed over earlier is never replaced. The documents of a
// saved survey go to a folder "reports" beside it; those of an unsaved survey to the documents
// folder.
//
//   const fs::path folder = reports_folder(workspace.file_name, app.output_folder);
//   const fs::path file = write_new_document(folder, document_base_name(naming), ".rtf", text);

#include <filesystem>
#include <string>
#include <string_view>

namespace olvar::document {

struct DocumentNaming {
  std::filesystem::path survey_file;  // the open survey's file; empty while it was never saved
  std::string kind;                   // what the document is: "plausibility", "export", ...
  std::string date;                   // the day it is written, as iso_date() gives it
};

// The name given to the documents of a survey that was never saved.
inline constexpr std::string_view kUnsavedSurveyName = "new survey";
inline constexpr std::string_view kReportsFolderName = "reports";

// "2026-12-11".
std::string iso_date(int year, int month, int day);

// "district-e plausibility 2026-12-11": the survey file's name without its extension, the kind
// and the date, each left out when empty.
std::string document_base_name(const DocumentNaming& naming);

// The folder "reports" beside a saved survey, or `documents_folder` for an unsaved one.
std::filesystem::path reports_folder(const std::filesystem::path& survey_file,
                                     const std::filesystem::path& documents_folder);

// Creates `folder` when missing and writes `contents` as base + extension there, or as
// base + " (N)" + extension with the lowest N from 2 on whose file does not exist. The name is
// claimed exclusively before the bytes are written, so that two writers never share one file and
// no existing file is replaced. Throws HandOffError when the folder cannot be made or written.
std::filesystem::path write_new_document(const std::filesystem::path& folder,
                                         std::string_view base, std::string_view extension,
                                         std::string_view contents);

}  // namespace olvar::document
