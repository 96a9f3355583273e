#pragma once
// Opening ".as" survey files with the program from the desktop. Windows keeps this in the
// registry; freedesktop.org desktops read a shared-mime-info type (which files are surveys) and a
// desktop entry (which program opens them), both per user under $XDG_DATA_HOME
// (~/.local/share when unset):
//   mime/packages/olvar-survey.xml      applications/olvar.desktop
// The desktop's caches are refreshed with update-mime-database and update-desktop-database when
// those tools are installed; without them the desktop picks the files up at its next scan.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/environment.h"
#include "platform/process_launcher.h"
#include "platform/program_search.h"

namespace olvar::platform {

inline constexpr std::string_view kSurveyMimeType = "application/x-olvar-survey";

struct FileAssociationPaths {
  std::filesystem::path data_home;  // empty when neither XDG_DATA_HOME nor HOME is set
  std::filesystem::path mime_package;
  std::filesystem::path desktop_entry;
};
FileAssociationPaths file_association_paths(const EnvironmentLookup& env);

// The shared-mime-info type: "*.as" files are "Olvar Surveys".
std::string survey_mime_type_xml();
// The desktop entry that opens a survey file with `executable`.
std::string desktop_entry_text(const std::filesystem::path& executable);
// A path as one argument of a desktop entry's Exec key: in double quotes, with '"', '`', '$' and
// '\' escaped by a backslash, then every backslash doubled (the key's own string escape) and
// every '%' doubled (field codes).
std::string desktop_exec_argument(std::string_view path);

struct FileAssociationResult {
  bool installed = false;  // both files written
  std::string error;       // what failed, for the user; empty when all went well
};

// Writes both files (through a temporary file and a rename each) and refreshes the caches with
// the tools found in `tools`.
FileAssociationResult install_file_association(const EnvironmentLookup& env,
                                               const std::filesystem::path& executable,
                                               const ProgramSearch& tools,
                                               const CommandRunner& run);

}  // namespace olvar::platform
