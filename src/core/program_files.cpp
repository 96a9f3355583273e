#include "core/program_files.h"

#include <system_error>

namespace olvar::core {

std::filesystem::path locate_program_file(const ProgramFolders& folders, std::string_view name) {
  const std::filesystem::path written = folders.writable / name;
  std::error_code ec;
  if (!folders.writable.empty() && std::filesystem::exists(written, ec)) return written;
  return folders.program / name;
}

}  // namespace olvar::core
