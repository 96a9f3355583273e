#include "core/caption_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "support/test_paths.h"

namespace olvar::core {
namespace {

namespace fs = std::filesystem;

TEST(CaptionTable, LineRules) {
  CaptionTable table;
  table.read(
      "\xEF\xBB\xBF# a comment\tthat has a tab\r\n"
      "&Files\t&Fichiers\r\n"
      "Save\t\n"                     // no wording: the English caption stays
      "Save\tEnregistrer\n"          // so the next line gives it
      "Save\tSauver\n"               // the first wording counts
      "no tab here\n"
      "\tno English caption\n"
      "Line one\\nline two\tLigne un\\nligne deux\n"
      "Taux\t\xE9t\xE9");           // Windows-1252, last line without a line end
  const struct {
    const char* english;
    const char* expected;  // nullptr: not translated
  } cases[] = {
      {"&Files", "&Fichiers"},
      {"Save", "Enregistrer"},
      {"Line one\nline two", "Ligne un\nligne deux"},
      {"Taux", "\xE9t\xE9"},
      {"# a comment", nullptr},
      {"no tab here", nullptr},
      {"", nullptr},
      {"&files", nullptr},  // exact, case and shortcut key included
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.english);
    const std::string* found = table.find(c.english);
    if (c.expected == nullptr) {
      EXPECT_EQ(found, nullptr);
    } else {
      ASSERT_NE(found, nullptr);
      EXPECT_EQ(*found, c.expected);
    }
  }
}

TEST(CaptionTable, FileGoesWithTheLanguageFile) {
  EXPECT_EQ(captions_file_for("french.lng"), "french_captions.txt");
  EXPECT_EQ(captions_file_for("Spanish.LNG"), "Spanish_captions.txt");
}

std::string slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The code is UTF-8 and the captions files Windows-1252, as the desktop converts them; the
// captions use only characters of Latin-1 ("±").
std::string latin1(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if ((byte & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
      out += static_cast<char>(((byte & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else {
      out += utf8[i];
    }
  }
  return out;
}

// The English captions of the desktop: every tr("...") and translate_caption("...") of src/ui (adjacent literals joined,
// escapes read), and the captions the core gives the desktop in English.
std::vector<std::string> desktop_captions() {
  const std::regex call(R"re(\b(?:tr|translate_caption)\(\s*((?:"(?:[^"\\]|\\.)*"\s*)+)[,)])re");
  const std::regex literal(R"re("((?:[^"\\]|\\.)*)")re");
  std::vector<std::string> captions;
  const auto unescape = [](const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\\' && i + 1 < text.size()) {
        ++i;
        out += text[i] == 'n' ? '\n' : text[i];
      } else {
        out += text[i];
      }
    }
    return out;
  };
  for (const auto& item : fs::recursive_directory_iterator(test::source_path("src/ui"))) {
    const std::string code = slurp(item.path());
    for (std::sregex_iterator it(code.begin(), code.end(), call), end; it != end; ++it) {
      const std::string literals = (*it)[1].str();
      std::string caption;
      for (std::sregex_iterator l(literals.begin(), literals.end(), literal), none; l != none;
           ++l) {
        caption += unescape((*l)[1].str());
      }
      captions.push_back(latin1(caption));
    }
  }
  for (const char* core : {"Language Selection", "Please select the language",
                           "and restart the program", "CDC Calculator one survey",
                           "CDC Calculator two surveys",
                           "Refused and absent households and children",
                           "Summary Survey Protocol ", "Cluster Control Form"}) {
    captions.emplace_back(core);
  }
  return captions;
}

// Every caption the desktop shows has its wording in every language that has a captions file:
// a new tr("...") without one would show English in the middle of a French window.
TEST(CaptionTable, EveryShippedLanguageWordsEveryDesktopCaption) {
  const std::vector<std::string> captions = desktop_captions();
  ASSERT_GT(captions.size(), 150u);
  int languages = 0;
  for (const auto& item : fs::directory_iterator(test::source_path("data"))) {
    if (item.path().extension() != ".lng") continue;
    const fs::path file =
        test::source_path("data/" + captions_file_for(item.path().filename().string()));
    if (item.path().filename() == "english.lng") {
      EXPECT_FALSE(fs::exists(file)) << "English shows the captions as the code writes them";
      continue;
    }
    SCOPED_TRACE(file.filename().string());
    ASSERT_TRUE(fs::exists(file));
    ++languages;
    CaptionTable table;
    table.read(slurp(file));
    for (const std::string& caption : captions) {
      const std::string* found = table.find(caption);
      EXPECT_TRUE(found != nullptr && !found->empty()) << "no wording for \"" << caption << "\"";
      // Placeholders filled by the code must stay.
      if (found != nullptr) {
        for (const char* place : {"%1", "%2", "%3", "%4"}) {
          EXPECT_EQ(caption.find(place) == std::string::npos,
                    found->find(place) == std::string::npos)
              << caption;
        }
      }
    }
  }
  EXPECT_GE(languages, 2);
}

}  // namespace
}  // namespace olvar::core
