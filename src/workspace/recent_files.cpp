#include "workspace/recent_files.h"

#include <algorithm>
#include <filesystem>

namespace olvar::workspace {

std::array<std::string, 4> recent_file_captions(const RecentFiles& files) {
  std::array<std::string, 4> captions;
  for (std::size_t i = 0; i < files.size(); ++i) {
    // A space between the number and the path: "1 /home/..." reads as a number and a file,
    // "1/home/..." as a relative path.
    captions[i] = " &" + std::to_string(i + 1) + (files[i].empty() ? "" : " ") + files[i];
  }
  return captions;
}

std::string open_recent_file(RecentFiles& files, int index) {
  if (index < 0 || index >= static_cast<int>(files.size())) return {};
  if (files[static_cast<std::size_t>(index)].empty()) return {};
  // Rotating the first index + 1 entries by one puts the chosen one first and moves the entries
  // above it down one place.
  std::rotate(files.begin(), files.begin() + index, files.begin() + index + 1);
  return files[0];
}

void put_at_top(RecentFiles& files, std::string_view file) {
  if (file.empty()) return;
  auto found = std::find(files.begin(), files.end(), file);
  if (found == files.end()) found = files.end() - 1;  // the fourth drops out
  *found = std::string(file);
  std::rotate(files.begin(), found, found + 1);
}

std::string dialog_folder_of(std::string_view file) {
  return std::filesystem::path(file).parent_path().string();
}

}  // namespace olvar::workspace
