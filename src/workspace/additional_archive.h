#pragma once
// "additional.zip": files (language files, templates) dropped into the program folder to be
// unpacked at the next start. Debian's unzip extracts it, overwriting older files; the archive is
// then deleted. A missing unzip or a failed extraction is reported and the archive is kept, so
// that its files are not lost and the next start tries again.

#include <string>

#include "core/program_files.h"
#include "platform/process_launcher.h"

namespace olvar::workspace {

inline constexpr const char* kAdditionalArchive = "additional.zip";

struct ArchiveUnpackResult {
  bool found = false;     // the program folder holds additional.zip
  bool unpacked = false;  // unzip ran and reported success
  std::string error;      // for the user: begins with "Error!" as the program has always said
};

// Runs `unzip -o <program>/additional.zip -d <writable folder>` and waits for it, then deletes the
// archive when the extraction succeeded.
ArchiveUnpackResult unpack_additional_archive(const core::ProgramFolders& folders,
                                              const platform::CommandRunner& run);

}  // namespace olvar::workspace
