// The results report in French and Spanish, as the word processor shows it: after the language
// change the report holds no English sentence and no marker left unfilled.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "support/run_command.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar {
namespace {

namespace fs = std::filesystem;

// The English sentences the report could show: every run of text of the English template and
// every English Language entry, of four words or more (shorter ones, such as "WHZ < -3" or
// "Total", read the same in every language).
std::set<std::string> english_sentences() {
  std::set<std::string> sentences;
  const std::string report = test::read_whole_file(test::source_path("data/english_report.rtf"));
  const std::regex run(R"([^\\{}\r\n]+)");
  const auto add = [&sentences](std::string text) {
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    if (std::count(text.begin(), text.end(), ' ') >= 3 &&
        std::regex_search(text, std::regex("[a-z]{4} [a-z]{2,} [a-z]{2,}"))) {
      sentences.insert(text);
    }
  };
  for (std::sregex_iterator it(report.begin(), report.end(), run), end; it != end; ++it) {
    std::string text = it->str();
    // A control word's own text ("\fs24 Summary") starts the run after its blank.
    add(text);
  }
  const std::string english = test::read_whole_file(test::source_path("data/english.lng"));
  std::size_t start = 0;
  while (start < english.size()) {
    std::size_t end = english.find('\n', start);
    if (end == std::string::npos) end = english.size();
    if (end - start > 5) add(english.substr(start + 5, end - start - 5));
    start = end + 1;
  }
  return sentences;
}

class ReportLanguages : public ::testing::TestWithParam<const char*> {};

TEST_P(ReportLanguages, NoEnglishSentenceAndNoMarkerLeft) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  }
  const std::string language = GetParam();
  test::TempFolder folder;
  // A program folder of its own, with the language chosen as the language change leaves it.
  const fs::path program = folder / "program";
  fs::create_directories(program);
  for (const auto& item : fs::directory_iterator(test::build_data_path(""))) {
    if (item.is_regular_file()) fs::copy_file(item.path(), program / item.path().filename());
  }
  fs::copy_file(test::source_path("data/" + language + ".lng"), program / "language.dat",
                fs::copy_options::overwrite_existing);
  fs::copy_file(test::source_path("data/" + language + "_report.rtf"), program / "report.rtf",
                fs::copy_options::overwrite_existing);
  const std::string home = folder.path().string();
  const test::CommandResult made = test::run_command(
      "LC_ALL=C HOME='" + home + "' OLVAR_HOME='" + program.string() + "' '" +
          test::cli_path() + "' report '" + test::build_data_path("examples/demo.as") +
          "' -o '" + (folder / "report.rtf").string() + "'",
      folder.path());
  ASSERT_EQ(made.status, 0) << made.err;
  const test::CommandResult converted = test::run_command(
      "cd '" + home + "' && HOME='" + home +
          "' soffice --headless --infilter='Rich Text Format' --convert-to txt:Text report.rtf",
      folder.path());
  ASSERT_EQ(converted.status, 0) << converted.err;
  std::string text = test::read_whole_file(folder / "report.txt");
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  ASSERT_GT(text.size(), 2000u);

  std::smatch marker;
  EXPECT_FALSE(std::regex_search(text, marker, std::regex(R"(#(?:\d\d-\d\d|age\d\d|\d{2,3})\b)")))
      << "unfilled marker " << marker.str();
  for (const std::string& sentence : english_sentences()) {
    EXPECT_EQ(text.find(sentence), std::string::npos) << "English: " << sentence;
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, ReportLanguages, ::testing::Values("french", "spanish"));

}  // namespace
}  // namespace olvar
