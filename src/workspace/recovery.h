#pragma once
// The recovery copy of the open survey. While a survey has unsaved changes the window writes it
// every few minutes, and after each command that changes the whole table, to "recovery.as" beside
// the settings file (never over the user's own file), with "recovery.txt" saying which file it
// is a copy of and when it was written. A normal exit removes both; when they are still there at
// the next start, the program was killed or crashed, and the copy is offered.
//
//   const RecoveryFiles files = recovery_files(app.settings_file);
//   if (const auto offer = pending_recovery(files)) ask(recovery_question(*offer));
//   write_recovery(files, core::survey_file_bytes(workspace, dates), workspace.file_name, now);
//   remove_recovery(files);  // at a normal exit

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace olvar::workspace {

struct RecoveryFiles {
  std::filesystem::path survey;  // the copy, in the survey file format
  std::filesystem::path info;    // the file it copies and when it was written
};

RecoveryFiles recovery_files(const std::filesystem::path& settings_file);

struct RecoveryOffer {
  std::filesystem::path survey;  // the copy to read
  std::string original_file;     // the survey's own file; empty when it was never saved
  std::string saved_at;          // when the copy was written, as the local time
};

// The local time now as "2026-12-11 09:42".
std::string local_time_text();

// Writes the copy and then its note, each through the safe write; throws platform::WriteFailure.
void write_recovery(const RecoveryFiles& files, std::string_view survey_bytes,
                    const std::string& original_file, const std::string& saved_at);

// The copy left by a session that did not end normally, if both files are there.
std::optional<RecoveryOffer> pending_recovery(const RecoveryFiles& files);

void remove_recovery(const RecoveryFiles& files);

// The question shown at start: which survey, and when the copy was written.
std::string recovery_question(const RecoveryOffer& offer);

}  // namespace olvar::workspace
