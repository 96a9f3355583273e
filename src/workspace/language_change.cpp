#include "workspace/language_change.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <system_error>

#include "core/caption_table.h"
#include "core/prompter.h"
#include "platform/safe_write.h"

namespace olvar::workspace {
namespace fs = std::filesystem;

namespace {

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Copies the file through the platform's safe write, so that a failed copy leaves the old
// language.dat or template whole. Throws std::runtime_error naming the file.
void copy_file_safely(const fs::path& from, const fs::path& to) {
  std::ifstream in(from, std::ios::binary);
  if (!in) throw std::runtime_error(from.string() + ": cannot be read");
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw std::runtime_error(from.string() + ": cannot be read");
  platform::write_file_safely(to, bytes);  // WriteFailure is a std::runtime_error
}

void copy_program_file(const core::ProgramFolders& folders, const std::string& from,
                       const std::string& to) {
  copy_file_safely(core::locate_program_file(folders, from), folders.writable / to);
}

}  // namespace

std::vector<std::string> language_files(const core::ProgramFolders& folders) {
  std::set<std::string> names;
  for (const fs::path& folder : {folders.program, folders.writable}) {
    std::error_code ec;
    if (folder.empty()) continue;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      const fs::path& p = it->path();
      if (p.extension() == ".lng" && it->is_regular_file(ec)) names.insert(p.filename().string());
    }
  }
  return {names.begin(), names.end()};
}

bool change_language(const std::optional<std::string>& selected,
                     const core::ProgramFolders& folders, core::Prompter& prompter) {
  if (!selected || selected->empty()) {
    prompter.inform(kLanguageFileNotFound);
    return false;
  }
  const std::string name = upper(fs::path(*selected).filename().string());
  try {
    copy_file_safely(fs::path(*selected).is_absolute()
                         ? fs::path(*selected)
                         : core::locate_program_file(folders, *selected),
                     folders.writable / "language.dat");
    // The desktop's captions go with the language file; a language without a captions file
    // (English) shows the captions as the code writes them, so an earlier choice is cleared.
    const fs::path language_file(*selected);
    const fs::path captions = core::locate_program_file(
        folders, core::captions_file_for(language_file.filename().string()));
    std::error_code ec;
    if (fs::is_regular_file(captions, ec)) {
      copy_file_safely(captions, folders.writable / "captions.dat");
    } else {
      platform::write_file_safely(folders.writable / "captions.dat", "");
    }
    if (name.find("ENGLISH") != std::string::npos) {
      copy_program_file(folders, "english_report.rtf", "report.rtf");
    } else if (name.find("FRENCH") != std::string::npos) {
      copy_program_file(folders, "french_report.rtf", "report.rtf");
    } else if (name.find("SPANISH") != std::string::npos) {
      // The results report in Spanish too, so that a Spanish desktop does not write an English
      // report.
      copy_program_file(folders, "spanish_report.rtf", "report.rtf");
    }
    const char* protocol = nullptr;
    if (name.find("ENGLISH") != std::string::npos) {
      protocol = "english_survey_protocol.rtf";
    } else if (name.find("FRENCH") != std::string::npos) {
      protocol = "french_survey_protocol.rtf";
    } else if (name.find("SPANISH") != std::string::npos) {
      protocol = "spanish_survey_protocol.rtf";
    }
    if (protocol) copy_program_file(folders, protocol, "report_planning.rtf");
  } catch (const std::runtime_error& e) {
    prompter.inform(e.what());
    return false;
  }
  prompter.inform(kPleaseRestart);
  return true;
}

}  // namespace olvar::workspace
