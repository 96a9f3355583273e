#include "document/document_name.h"

#include <cstdio>
#include <system_error>

#include "document/office_hand_off.h"
#include "platform/safe_write.h"

namespace olvar::document {
namespace fs = std::filesystem;

namespace {

// How many " (N)" names are tried before the folder counts as unusable.
constexpr int kMaxSameNamedDocuments = 10'000;

// Takes the name for this writer alone: true when the file did not exist and now does.
bool claim(const fs::path& file) {
  // "x": create exclusively, failing when the file (or a link of that name) exists.
  std::FILE* handle = std::fopen(file.string().c_str(), "wbx");
  if (handle == nullptr) return false;
  std::fclose(handle);
  return true;
}

// A text that may come from the user (a wealth group's name) never makes a path of a name.
std::string file_name_part(std::string text) {
  for (char& c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) c = '_';
  }
  return text;
}

}  // namespace

std::string iso_date(int year, int month, int day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

std::string document_base_name(const DocumentNaming& naming) {
  std::string name = naming.survey_file.empty() ? std::string(kUnsavedSurveyName)
                                                : naming.survey_file.stem().string();
  for (const std::string& part : {naming.kind, naming.date}) {
    if (part.empty()) continue;
    if (!name.empty()) name += ' ';
    name += file_name_part(part);
  }
  return name;
}

fs::path reports_folder(const fs::path& survey_file, const fs::path& documents_folder) {
  if (survey_file.empty() || survey_file.parent_path().empty()) return documents_folder;
  return survey_file.parent_path() / kReportsFolderName;
}

fs::path write_new_document(const fs::path& folder, std::string_view base,
                            std::string_view extension, std::string_view contents) {
  std::error_code ec;
  if (folder.empty()) throw HandOffError("No folder is known for the document.", folder);
  fs::create_directories(folder, ec);
  if (!fs::is_directory(folder, ec)) {
    throw HandOffError("The folder \"" + folder.string() +
                           "\" cannot be created; no document was written.",
                       folder);
  }
  for (int n = 1; n <= kMaxSameNamedDocuments; ++n) {
    const std::string suffix = n == 1 ? std::string() : " (" + std::to_string(n) + ")";
    const fs::path file = folder / (std::string(base) + suffix + std::string(extension));
    if (fs::exists(fs::symlink_status(file, ec))) continue;
    if (!claim(file)) {
      if (fs::exists(fs::symlink_status(file, ec))) continue;  // taken by another writer
      throw HandOffError("No document can be created in \"" + folder.string() +
                             "\": the folder is not writable.",
                         folder);
    }
    try {
      platform::write_file_safely(file, contents);
    } catch (const platform::WriteFailure& e) {
      fs::remove(file, ec);  // the empty claim, not a document
      throw HandOffError(std::string("Writing the document failed: ") + e.what() + ".", folder);
    }
    return file;
  }
  throw HandOffError("No document can be created in \"" + folder.string() + "\": \"" +
                         std::string(base) + std::string(extension) +
                         "\" and its numbered names are all taken.",
                     folder);
}

}  // namespace olvar::document
