#include "platform/program_search.h"

#include <algorithm>
#include <system_error>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace olvar::platform {
namespace fs = std::filesystem;

namespace {

bool is_executable_file(const fs::path& p) {
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return false;
#if defined(_WIN32)
  return true;
#else
  return ::access(p.c_str(), X_OK) == 0;
#endif
}

void add_unique(std::vector<fs::path>& folders, const fs::path& folder) {
  if (folder.empty()) return;
  if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
}

}  // namespace

ProgramSearch default_program_search(const EnvironmentLookup& env) {
  ProgramSearch search;
  if (auto path = non_empty(env, "PATH")) {
#if defined(_WIN32)
    const char separator = ';';
#else
    const char separator = ':';
#endif
    std::size_t start = 0;
    while (start <= path->size()) {
      std::size_t end = path->find(separator, start);
      if (end == std::string::npos) end = path->size();
      add_unique(search.folders, fs::path(path->substr(start, end - start)));
      start = end + 1;
    }
  }
  for (const char* folder :
       {"/usr/local/bin", "/usr/bin", "/bin", "/snap/bin", "/usr/lib/libreoffice/program",
        "/usr/lib64/libreoffice/program", "/usr/local/lib/libreoffice/program"}) {
    add_unique(search.folders, folder);
  }
  // The LibreOffice project's own packages install to /opt/libreoffice<version>/program.
  std::error_code ec;
  std::vector<fs::path> vendor;
  for (fs::directory_iterator it("/opt", ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().filename().string().rfind("libreoffice", 0) == 0) {
      vendor.push_back(it->path() / "program");
    }
  }
  std::sort(vendor.rbegin(), vendor.rend());  // the highest version first
  for (const fs::path& folder : vendor) add_unique(search.folders, folder);
  return search;
}

std::string FindProgramFile(std::string_view file_name, const ProgramSearch& search) {
  if (file_name.empty() || file_name.find('/') != std::string_view::npos) return {};
  for (const fs::path& folder : search.folders) {
    const fs::path candidate = folder / fs::path(file_name);
    if (is_executable_file(candidate)) return candidate.string();
  }
  return {};
}

LibreOfficeInstall find_libreoffice(const ProgramSearch& search) {
  LibreOfficeInstall office;
  office.soffice = FindProgramFile("soffice", search);
  if (office.soffice.empty()) office.soffice = FindProgramFile("libreoffice", search);
  office.lowriter = FindProgramFile("lowriter", search);
  office.localc = FindProgramFile("localc", search);
  return office;
}

}  // namespace olvar::platform
