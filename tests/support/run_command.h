#pragma once
// Runs a built program the way a user would, from a shell, and collects what it printed.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/test_paths.h"

namespace olvar::test {

struct CommandResult {
  int status = -1;  // exit status; -1 when the program did not exit normally
  std::string out;
  std::string err;
};

inline std::string read_whole_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs `command` (a shell command line) with its output sent to files in `scratch_folder`.
inline CommandResult run_command(const std::string& command,
                                 const std::filesystem::path& scratch_folder) {
  const auto out = scratch_folder / "stdout.txt";
  const auto err = scratch_folder / "stderr.txt";
  const std::string line = command + " >'" + out.string() + "' 2>'" + err.string() + "'";
  const int raw = std::system(line.c_str());
  CommandResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = read_whole_file(out);
  result.err = read_whole_file(err);
  return result;
}

// Runs the built olvar-cli with `arguments` (already quoted for the shell) and the build tree's
// data folder as its program folder.
inline CommandResult run_cli(const std::string& arguments,
                             const std::filesystem::path& scratch_folder) {
  return run_command("OLVAR_HOME='" + build_data_path("") + "' '" + cli_path() + "' " + arguments,
                     scratch_folder);
}

// The shell command that runs the built olvar-cli as a user with a home of their own: `home` as
// HOME with the XDG data folder below it (nothing of the real user's is read or written), the C
// locale (dates month first with "/", "." for decimals), the build tree's data folder as the
// program folder, and `environment` ("TZ=UTC ", may be empty) before the program.
inline std::string cli_command_at_home(const std::string& arguments,
                                       const std::filesystem::path& home,
                                       const std::string& environment = "") {
  return "LC_ALL=C HOME='" + home.string() + "' XDG_DATA_HOME='" + (home / "xdg").string() +
         "' OLVAR_HOME='" + build_data_path("") + "' " + environment + "'" + cli_path() + "' " +
         arguments;
}

// Runs that command, its output collected in `home`.
inline CommandResult run_cli_at_home(const std::string& arguments,
                                     const std::filesystem::path& home) {
  return run_command(cli_command_at_home(arguments, home), home);
}

}  // namespace olvar::test
