#pragma once
// The program's own files (language files, report templates) lie in the program folder; what the
// program writes beside them (language.dat, the copied templates, the settings) goes to the
// writable data folder, which is the program folder itself when this user may write there. A file
// is therefore looked up in the writable folder first.

#include <filesystem>
#include <string_view>

namespace olvar::core {

struct ProgramFolders {
  std::filesystem::path program;   // the program's own tables, possibly read-only
  std::filesystem::path writable;  // where the program writes its files
};

// The file of that name in the writable folder when it exists there, else in the program folder.
std::filesystem::path locate_program_file(const ProgramFolders& folders, std::string_view name);

}  // namespace olvar::core
