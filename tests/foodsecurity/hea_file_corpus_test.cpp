// Replays the fuzzing corpus through the HEA file reader: every file is either read, and then
// gives the same bytes after a save and a second read, or refused with its name and line.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "foodsecurity/hea_file.h"
#include "support/test_paths.h"

namespace olvar::foodsecurity {
namespace {

namespace fs = std::filesystem;

TEST(HeaFileCorpus, EveryFileIsReadAndSurvivesASecondRoundOrIsRefused) {
  const fs::path corpus = test::source_path("tests/fuzz/corpus/hea_file");
  int files = 0, read = 0;
  for (const auto& item : fs::directory_iterator(corpus)) {
    if (!item.is_regular_file()) continue;
    ++files;
    SCOPED_TRACE(item.path().filename().string());
    std::ifstream in(item.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
      const std::string written = hea_file_bytes(read_hea_bytes(bytes, "corpus.fs"));
      EXPECT_EQ(hea_file_bytes(read_hea_bytes(written, "corpus.fs")), written);
      ++read;
    } catch (const HeaFileError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("corpus.fs, line ", 0), 0u) << e.what();
    }
  }
  EXPECT_GE(files, 5);
  EXPECT_GE(read, 3);
}

}  // namespace
}  // namespace olvar::foodsecurity
