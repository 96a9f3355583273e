// Replays the fuzzing corpus through the survey file reader: files that once found faults (or
// were chosen as seeds) must be read without a crash, and a survey read from them must come back
// unchanged after a save and a second read.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/survey_file.h"
#include "support/test_paths.h"

namespace olvar::core {
namespace {

namespace fs = std::filesystem;

TEST(SurveyFileCorpus, EveryFileIsReadAndSurvivesASecondRound) {
  const fs::path corpus = test::source_path("tests/fuzz/corpus/survey_file");
  SurveyReadContext context;
  context.dates = DateConventions{DateOrder::dmy, '.', '.'};
  int files = 0;
  for (const auto& item : fs::directory_iterator(corpus)) {
    if (!item.is_regular_file()) continue;
    ++files;
    SCOPED_TRACE(item.path().filename().string());
    std::ifstream in(item.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
      const auto first = read_survey_bytes(bytes, "corpus.as", Workspace{}, context);
      const std::string written = survey_file_bytes(first.workspace, context.dates);
      // Cells holding the section byte 0xA5 are written so that they open no section: every
      // file comes back, whatever its cells hold.
      const auto second = read_survey_bytes(written, "corpus.as", Workspace{}, context);
      EXPECT_EQ(survey_file_bytes(second.workspace, context.dates), written);
    } catch (const SurveyFileError& e) {
      EXPECT_EQ(e.kind(), SurveyFileError::Kind::no_header);
    }
  }
  EXPECT_GE(files, 5);
}

}  // namespace
}  // namespace olvar::core
