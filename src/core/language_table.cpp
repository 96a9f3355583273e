#include "core/language_table.h"

#include <fstream>
#include <iterator>

namespace olvar::core {

namespace {

const std::string kNoText;

// Calls `take(number, text)` for every line that names an entry from 1 to 1500. Lines of three
// characters or fewer, and lines whose first four characters are not an entry number, are
// skipped: a stray line must not shift or overwrite another entry.
template <typename Take>
void for_each_entry(std::string_view content, Take take) {
  // A UTF-8 byte order mark written by an editor would hide the first entry's number.
  if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
  while (!content.empty()) {
    const auto end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() <= 3) continue;

    std::string_view digits = line.substr(0, 4);
    while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
    if (digits.empty()) continue;
    int number = 0;
    bool is_number = true;
    for (const char c : digits) {
      if (c < '0' || c > '9') {
        is_number = false;
        break;
      }
      number = number * 10 + (c - '0');
    }
    if (!is_number || number < LanguageTable::kFirstEntry || number > LanguageTable::kLastEntry) {
      continue;
    }
    take(number, line.size() > 5 ? line.substr(5) : std::string_view());
  }
}

std::string read_whole_file(const std::filesystem::path& file, bool& found) {
  std::ifstream in(file, std::ios::binary);
  found = static_cast<bool>(in);
  if (!found) return {};
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

const std::string& LanguageTable::text(int number) const {
  if (number < kFirstEntry || number > kLastEntry) return kNoText;
  return texts_[static_cast<std::size_t>(number)];
}

void LanguageTable::read_english(std::string_view content) {
  for_each_entry(content, [this](int number, std::string_view text) {
    texts_[static_cast<std::size_t>(number)].assign(text);
  });
}

void LanguageTable::read_override(std::string_view content) {
  for_each_entry(content, [this](int number, std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    if (!text.empty()) texts_[static_cast<std::size_t>(number)].assign(text);
  });
}

LanguageTable LanguageTable::load(const std::filesystem::path& program_folder) {
  LanguageTable table;
  bool found = false;
  const std::string english = read_whole_file(program_folder / "english.lng", found);
  if (found) table.read_english(english);
  const std::string chosen = read_whole_file(program_folder / "language.dat", found);
  if (found) table.read_override(chosen);
  return table;
}

}  // namespace olvar::core
