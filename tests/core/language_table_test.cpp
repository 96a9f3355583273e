#include "core/language_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <algorithm>
#include <set>
#include <vector>
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

// The entry numbers the code names: as LanguageEntry{851} or `LanguageEntry kNoHeader{851}`, as
// a constant named for an entry (`constexpr int kCopiedEntry = 1350;`, `kNoteEntries[] = {...}`,
// `kMessage...`, `k...Question`), and as a number handed straight to a lookup
// (`text(1410)`, `entry(1182)`).
std::set<int> entries_the_code_names() {
  const std::regex patterns[] = {
      std::regex(R"(LanguageEntry\s*(?:\w+\s*)?\{\s*(\d+)\s*\})"),
      std::regex(
          R"(constexpr\s+(?:int|(?:core::)?LanguageEntry)\s+k(?!FirstEntry|LastEntry)\w*(?:Entry|Entries|Message|Question)\w*\s*(?:\[\])?\s*=?\s*\{?\s*([\d,\s]+?)\s*\}?;)"),
      std::regex(R"(\b(?:text|entry|texts|language_text)\(\s*(\d{1,4})\s*\))"),
  };
  const std::regex number(R"(\d+)");
  std::set<int> used;
  for (const auto& item : fs::recursive_directory_iterator(test::source_path("src"))) {
    const auto extension = item.path().extension();
    if (extension != ".h" && extension != ".cpp") continue;
    const std::string code = slurp(item.path());
    for (const std::regex& use : patterns) {
      for (std::sregex_iterator it(code.begin(), code.end(), use), end; it != end; ++it) {
        const std::string numbers = (*it)[1].str();
        for (std::sregex_iterator n(numbers.begin(), numbers.end(), number), none; n != none; ++n) {
          used.insert(std::stoi(n->str()));
        }
      }
    }
  }
  return used;
}

// Every language file shipped in data/: english.lng and those a user can choose instead.
std::vector<fs::path> shipped_language_files() {
  std::vector<fs::path> files;
  for (const auto& item : fs::directory_iterator(test::source_path("data"))) {
    if (item.path().extension() == ".lng") files.push_back(item.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Every entry the code shows has a text in every shipped language, in that language's own file:
// a missing entry would show the English text (or, in English, an empty message box).
TEST(LanguageTable, EveryLanguageHasEveryEntryTheCodeShows) {
  const std::set<int> used = entries_the_code_names();
  // The office hand-off's messages are named through constants; they once had no text at all.
  for (const int named : {24, 391, 410, 848, 881, 882, 1350, 1410}) {
    EXPECT_TRUE(used.contains(named)) << "the scan misses entry " << named;
  }
  const std::vector<fs::path> languages = shipped_language_files();
  ASSERT_GE(languages.size(), 3u);
  for (const fs::path& file : languages) {
    SCOPED_TRACE(file.filename().string());
    LanguageTable language;
    language.read_english(slurp(file));
    for (const int entry : used) {
      EXPECT_FALSE(language.text(entry).empty()) << "entry " << entry << " has no text";
    }
  }
}

// A translation keeps what the code fills in or lines up: the "&1a" places of the plausibility
// report's score lines, and a text that English ends with a blank (it runs on into a value).
// Read over English as the program reads it, a language's fixed-width lines keep their columns.
TEST(LanguageTable, TranslationsKeepPlacesAndLayout) {
  LanguageTable english;
  english.read_english(slurp(test::source_path("data/english.lng")));
  const std::regex place(R"(&\d+[ab])");
  const auto places = [&place](const std::string& text) {
    std::multiset<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), place), end; it != end; ++it) {
      found.insert(it->str());
    }
    return found;
  };
  for (const fs::path& file : shipped_language_files()) {
    if (file.filename() == "english.lng") continue;
    SCOPED_TRACE(file.filename().string());
    LanguageTable chosen = english;
    chosen.read_override(slurp(file));
    for (int entry = LanguageTable::kFirstEntry; entry <= LanguageTable::kLastEntry; ++entry) {
      const std::string& original = english.text(entry);
      if (original.empty()) continue;
      const std::string& translated = chosen.text(entry);
      EXPECT_EQ(places(translated), places(original)) << "entry " << entry;
      if (original.back() == ' ') {
        EXPECT_EQ(translated.back(), ' ') << "entry " << entry;
      }
      if (original.starts_with("          ")) {
        // A fixed-width line: its columns must not move left.
        EXPECT_NE(translated.find_first_not_of(" \xA0"), 0u) << "entry " << entry;
      }
    }
  }
}

// Every language's report and protocol templates carry the same markers as the English ones, so
// that every value the report fills in has its place.
TEST(LanguageTable, EveryTemplateHoldsTheMarkersOfTheEnglishOne) {
  const std::regex marker(R"(#[A-Za-z0-9]+(?:-[0-9]+)?|1[12]5mm)");
  const auto markers = [&marker](const fs::path& file) {
    const std::string text = slurp(file);
    std::multiset<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), marker), end; it != end; ++it) {
      found.insert(it->str());
    }
    return found;
  };
  for (const fs::path& file : shipped_language_files()) {
    const std::string language = file.stem().string();
    if (language == "english") continue;
    for (const char* kind : {"_report.rtf", "_survey_protocol.rtf"}) {
      const fs::path translated = test::source_path("data/" + language + kind);
      SCOPED_TRACE(translated.filename().string());
      ASSERT_TRUE(fs::exists(translated));
      const auto expected = markers(test::source_path(std::string("data/english") + kind));
      EXPECT_FALSE(expected.empty());
      EXPECT_EQ(markers(translated), expected);
    }
  }
}

}  // namespace
}  // namespace olvar::core
