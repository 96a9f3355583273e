#include "core/caption_table.h"

#include <fstream>
#include <iterator>

#include "core/program_files.h"

namespace olvar::core {

namespace {

// "\n" in the file stands for a line break of the caption.
std::string unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

const std::string* CaptionTable::find(std::string_view english) const {
  const auto it = captions_.find(std::string(english));
  return it == captions_.end() ? nullptr : &it->second;
}

void CaptionTable::read(std::string_view content) {
  if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
  while (!content.empty()) {
    const auto end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const auto tab = line.find('\t');
    if (tab == std::string_view::npos || tab == 0) continue;
    const std::string_view translated = line.substr(tab + 1);
    if (translated.empty()) continue;
    captions_.try_emplace(unescape(line.substr(0, tab)), unescape(translated));
  }
}

CaptionTable CaptionTable::load(const ProgramFolders& folders) {
  CaptionTable table;
  std::ifstream in(locate_program_file(folders, "captions.dat"), std::ios::binary);
  if (in) table.read(std::string(std::istreambuf_iterator<char>(in), {}));
  return table;
}

std::string captions_file_for(std::string_view language_file) {
  std::string stem(language_file);
  if (const auto dot = stem.rfind('.'); dot != std::string::npos) stem.erase(dot);
  return stem + "_captions.txt";
}

}  // namespace olvar::core
