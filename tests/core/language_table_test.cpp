#include "core/language_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>

#include "support/test_paths.h"

namespace olvar::core {
namespace {

namespace fs = std::filesystem;

TEST(LanguageTable, LineRulesOfBothFiles) {
  LanguageTable table;
  table.read_english(
      "0001 First\r\n"
      "0851 No header found\r\n"
      "0852 \r\n"  // an empty English text is kept empty
      "0853 Keeps  blanks \r\n"
      "1500 Last\n"
      "0000 Zero is no entry\n"
      "1501 Beyond the table\n"
      "abcd Not a number\n"
      "12\n"    // three characters or fewer: skipped
      "0854\n"  // the number alone: an empty text
      "0855\tTab separated\n");
  table.read_override(
      "0001   \tPremier\r\n"  // leading blanks and tabs go
      "0851 \r\n"             // an empty text does not override
      "0853\n"
      "0855 \t\n"
      "9999 Nothing\n");
  const struct {
    int entry;
    const char* text;
  } cases[] = {
      {1, "Premier"},
      {851, "No header found"},
      {852, ""},
      {853, "Keeps  blanks "},
      {1500, "Last"},
      {854, ""},
      {855, "Tab separated"},
      {0, ""},
      {1501, ""},
      {-3, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    EXPECT_EQ(table.text(c.entry), c.text);
  }
  EXPECT_EQ(table.text(LanguageEntry{851}), "No header found");
}

TEST(LanguageTable, LoadsEnglishThenTheChosenLanguage) {
  const fs::path folder = fs::temp_directory_path() / "olvar_language_table_load";
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::ofstream(folder / "english.lng") << "0807 Survey:\n0808 children\n";
  std::ofstream(folder / "language.dat") << "0808 enfants\n";
  const LanguageTable table = LanguageTable::load(folder);
  EXPECT_EQ(table.text(807), "Survey:");
  EXPECT_EQ(table.text(808), "enfants");
  fs::remove_all(folder);
  // Missing files leave the texts empty.
  EXPECT_EQ(LanguageTable::load(folder).text(807), "");
}

std::string slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Code names every entry it shows as a LanguageEntry; the English file must give each a text.
TEST(LanguageTable, EnglishFileHasEveryEntryTheCodeShows) {
  LanguageTable english;
  english.read_english(slurp(test::source_path("data/english.lng")));
  // Both `LanguageEntry{851}` and `constexpr LanguageEntry kNoHeader{851}`.
  const std::regex use(R"(LanguageEntry\s*(?:\w+\s*)?\{\s*(\d+)\s*\})");
  std::set<int> used;
  for (const auto& item : fs::recursive_directory_iterator(test::source_path("src"))) {
    const auto extension = item.path().extension();
    if (extension != ".h" && extension != ".cpp") continue;
    const std::string code = slurp(item.path());
    for (std::sregex_iterator it(code.begin(), code.end(), use), end; it != end; ++it) {
      used.insert(std::stoi((*it)[1].str()));
    }
  }
  EXPECT_FALSE(used.empty());
  for (const int entry : used) {
    EXPECT_FALSE(english.text(entry).empty()) << "entry " << entry << " has no English text";
  }
}

}  // namespace
}  // namespace olvar::core
