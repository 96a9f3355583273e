#pragma once
// The four most recent survey files of the Files menu, kept in the settings record.
// Opening an entry moves it to the top; a file opened through the dialog or saved under a name
// goes to the top, the others moving down one place and the fourth dropping out.

#include <array>
#include <string>
#include <string_view>

namespace olvar::workspace {

using RecentFiles = std::array<std::string, 4>;

// The menu captions " &1" to " &4", each followed by its name.
std::array<std::string, 4> recent_file_captions(const RecentFiles& files);

// Entry `index` (0 to 3) was chosen: it moves to the top and the entries above it move down
// one place. Returns the file to open (empty for an empty entry or an index out of range, which
// leave the list unchanged).
std::string open_recent_file(RecentFiles& files, int index);

// A file opened through the dialog or saved: it goes to the top. A file already in the list is
// moved up from its place rather than listed twice; otherwise the fourth drops out.
void put_at_top(RecentFiles& files, std::string_view file);

// The open dialog's start folder for next time: the folder of the file opened through it.
std::string dialog_folder_of(std::string_view file);

}  // namespace olvar::workspace
