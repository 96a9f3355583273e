#pragma once
// The Language table: the numbered texts (entries 1 to 1500) of every caption, hint and message.
// Filled at start-up from "english.lng", then "language.dat" over it; fixed for the whole run.
//
// Line form of both files: characters 1 to 4 the entry number with leading zeros ("0851"),
// character 5 a separator, the text from character 6 to the end of the line.

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace olvar::core {

// A reference to one entry. Code names the entries it shows as LanguageEntry{N}, so that a test
// can check that the English file has every one of them.
struct LanguageEntry {
  int number;
};

class LanguageTable {
 public:
  static constexpr int kFirstEntry = 1;
  static constexpr int kLastEntry = 1500;

  // The text of an entry; empty for an entry never filled or a number outside 1 to 1500.
  const std::string& text(int number) const;
  const std::string& text(LanguageEntry entry) const { return text(entry.number); }

  // Lines of english.lng: the text is taken unchanged, even when empty.
  void read_english(std::string_view content);
  // Lines of language.dat: leading blanks and tabs are removed, and an empty text does not
  // replace the English one.
  void read_override(std::string_view content);

  // Reads "english.lng" and then "language.dat" from `program_folder`; a missing file leaves
  // its texts empty.
  static LanguageTable load(const std::filesystem::path& program_folder);

 private:
  std::array<std::string, kLastEntry + 1> texts_;  // index 0 unused
};

}  // namespace olvar::core
