#include "platform/folders.h"

#include <fstream>
#include <string>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace olvar::platform {
namespace fs = std::filesystem;

namespace {

bool is_folder(const fs::path& p) {
  std::error_code ec;
  return !p.empty() && fs::is_directory(p, ec);
}

std::optional<fs::path> home_folder(const EnvironmentLookup& env) {
  if (auto home = non_empty(env, "HOME")) return fs::path(*home);
  if (auto profile = non_empty(env, "USERPROFILE")) return fs::path(*profile);
  return std::nullopt;
}

// The documents entry of user-dirs.dirs, written by xdg-user-dirs-update as
//   XDG_DOCUMENTS_DIR="$HOME/Documents"
// (a path relative to $HOME or an absolute one). A value equal to $HOME itself means the user
// switched the folder off.
std::optional<fs::path> documents_from_user_dirs(const EnvironmentLookup& env,
                                                 const fs::path& home) {
  fs::path config = non_empty(env, "XDG_CONFIG_HOME").value_or((home / ".config").string());
  std::ifstream in(config / "user-dirs.dirs");
  if (!in) return std::nullopt;
  const std::string key = "XDG_DOCUMENTS_DIR=";
  std::string line;
  while (std::getline(in, line)) {
    const auto start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    if (line.compare(start, key.size(), key) != 0) continue;
    std::string value = line.substr(start + key.size());
    while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    fs::path folder;
    if (value.rfind("$HOME", 0) == 0) {
      std::string rest = value.substr(5);
      while (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
      if (rest.empty()) return std::nullopt;  // switched off
      folder = home / rest;
    } else if (!value.empty() && value.front() == '/') {
      folder = value;
    } else {
      return std::nullopt;
    }
    return folder;
  }
  return std::nullopt;
}

}  // namespace

fs::path current_executable() {
#if defined(__linux__)
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) return exe;
#endif
  return {};
}

fs::path find_program_folder(const EnvironmentLookup& env, const fs::path& executable,
                             const fs::path& build_data_folder) {
  if (auto home = non_empty(env, "OLVAR_HOME")) return fs::path(*home);
  if (!executable.empty()) {
    // <prefix>/bin/olvar -> <prefix>/share/olvar
    const fs::path installed = executable.parent_path().parent_path() / "share" / "olvar";
    if (executable.parent_path().filename() == "bin" && is_folder(installed)) return installed;
  }
  return build_data_folder;
}

bool is_writable_folder(const fs::path& folder) {
  if (!is_folder(folder)) return false;
#if defined(_WIN32)
  return _access(folder.string().c_str(), 2) == 0;
#else
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
#endif
}

fs::path writable_data_folder(const EnvironmentLookup& env, const fs::path& program_folder) {
  if (is_writable_folder(program_folder)) return program_folder;
  fs::path base;
  if (auto data_home = non_empty(env, "XDG_DATA_HOME")) {
    base = *data_home;
  } else if (auto home = home_folder(env)) {
    base = *home / ".local" / "share";
  } else {
    return program_folder;
  }
  const fs::path folder = base / "olvar";
  std::error_code ec;
  fs::create_directories(folder, ec);
  return is_writable_folder(folder) ? folder : program_folder;
}

fs::path documents_folder(const EnvironmentLookup& env) {
  if (auto xdg = non_empty(env, "XDG_DOCUMENTS_DIR"); xdg && is_folder(*xdg)) return *xdg;
  const std::optional<fs::path> home = home_folder(env);
  if (!home) return {};
  if (auto configured = documents_from_user_dirs(env, *home);
      configured && is_folder(*configured)) {
    return *configured;
  }
  if (is_folder(*home / "Documents")) return *home / "Documents";
  return *home;
}

}  // namespace olvar::platform
