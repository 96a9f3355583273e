#include "workspace/additional_archive.h"

#include <system_error>

namespace olvar::workspace {
namespace fs = std::filesystem;

ArchiveUnpackResult unpack_additional_archive(const core::ProgramFolders& folders,
                                              const platform::CommandRunner& run) {
  ArchiveUnpackResult result;
  const fs::path archive = folders.program / kAdditionalArchive;
  std::error_code ec;
  if (!fs::is_regular_file(archive, ec)) return result;
  result.found = true;
  if (!run) {
    result.error = "Error! No program is available to unpack " + archive.string();
    return result;
  }
  std::string why;
  const int status =
      run(platform::ProcessCommand{"unzip",
                                   {"-o", "-q", archive.string(), "-d", folders.writable.string()},
                                   platform::WindowMode::hidden},
          &why);
  if (status < 0) {
    result.error = "Error! unzip could not be started" + (why.empty() ? "" : ": " + why);
    return result;
  }
  if (status != 0) {
    result.error = "Error! unzip could not unpack " + archive.string() + " (exit status " +
                   std::to_string(status) + ")";
    return result;
  }
  result.unpacked = true;
  // In a read-only installation the archive stays and is unpacked again at every start, which
  // overwrites the same files with the same contents.
  fs::remove(archive, ec);
  return result;
}

}  // namespace olvar::workspace
