#pragma once
// Finding an office program's executable. On Windows the program's folders of every disk were
// searched; here the search covers PATH and the folders office suites install into, one level
// deep each, so it finishes at once and never walks the whole disk.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/environment.h"

namespace olvar::platform {

// The folders searched, in order; the first hit wins.
struct ProgramSearch {
  std::vector<std::filesystem::path> folders;
};

// PATH, then the usual install folders: /usr/local/bin, /usr/bin, /bin, /snap/bin,
// /usr/lib/libreoffice/program, /usr/lib64/libreoffice/program,
// /usr/local/lib/libreoffice/program and every /opt/libreoffice*/program (highest version
// first).
ProgramSearch default_program_search(const EnvironmentLookup& env);

// The full path of an executable file with exactly this name in the searched folders, or an
// empty text. A Windows name such as "winword.exe" finds nothing on Linux.
std::string FindProgramFile(std::string_view file_name, const ProgramSearch& search);

// The LibreOffice launchers found; each empty when missing.
struct LibreOfficeInstall {
  std::string soffice;   // the office suite itself; --writer or --calc picks the module
  std::string lowriter;  // Writer
  std::string localc;    // Calc

  bool found() const { return !soffice.empty() || !lowriter.empty(); }
  // The program to enter as the word processor: soffice when present, else lowriter.
  std::string word_processor() const { return soffice.empty() ? lowriter : soffice; }
};

LibreOfficeInstall find_libreoffice(const ProgramSearch& search);

}  // namespace olvar::platform
