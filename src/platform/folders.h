#pragma once
// Where the program finds its own tables and where it writes what the user reads.
//
// Program folder: $OLVAR_HOME when set (the tests use it); else <prefix>/share/olvar when the
// executable runs from <prefix>/bin of an installation; else the build tree's data folder.
// An installed program folder is usually read-only, so what the program writes beside its tables
// (settings, copied templates, the editor's noname.rtf) goes to writable_data_folder().
//
// Documents folder: the freedesktop.org documents folder ($XDG_DOCUMENTS_DIR, then
// ~/.config/user-dirs.dirs), else ~/Documents, else the home folder. Reports are written there.

#include <filesystem>

#include "platform/environment.h"

namespace olvar::platform {

// The running executable (/proc/self/exe on Linux); empty when it cannot be determined.
std::filesystem::path current_executable();

// The folder holding the program's own tables, chosen as described above. Nothing is created.
std::filesystem::path find_program_folder(const EnvironmentLookup& env,
                                          const std::filesystem::path& executable,
                                          const std::filesystem::path& build_data_folder);

// The program folder when this user may write there; otherwise the per-user data folder
// ($XDG_DATA_HOME/olvar, else ~/.local/share/olvar), created when missing. Falls back to the
// program folder itself when not even that can be created, so callers always get a folder and
// the failure shows where the write happens.
std::filesystem::path writable_data_folder(const EnvironmentLookup& env,
                                           const std::filesystem::path& program_folder);

// The user's documents folder as described above; empty only when not even HOME is set.
std::filesystem::path documents_folder(const EnvironmentLookup& env);

// True when the current user may create files in the folder.
bool is_writable_folder(const std::filesystem::path& folder);

}  // namespace olvar::platform
