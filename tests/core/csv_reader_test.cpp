#include "core/csv_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_paths.h"

namespace olvar::core {
namespace {

namespace fs = std::filesystem;
using Records = std::vector<std::vector<std::string>>;

Records read_all(const std::string& bytes, std::vector<std::string>* raw = nullptr,
                 std::vector<int>* lines = nullptr) {
  std::istringstream in(bytes);
  CsvReader reader(in);
  Records records;
  std::vector<std::string> fields;
  while (reader.next(fields)) {
    records.push_back(fields);
    if (raw != nullptr) raw->emplace_back(reader.raw());
    if (lines != nullptr) lines->push_back(reader.line());
  }
  return records;
}

TEST(CsvReader, ReadsWhatSpreadsheetsWrite) {
  const struct {
    const char* what;
    std::string bytes;
    Records records;
  } cases[] = {
      {"line feeds", "a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}},
      {"CR LF", "a,b\r\n1,2\r\n", {{"a", "b"}, {"1", "2"}}},
      {"CR alone, as old spreadsheets save", "a,b\r1,2\r", {{"a", "b"}, {"1", "2"}}},
      {"no line end after the last record", "a,b\n1,2", {{"a", "b"}, {"1", "2"}}},
      {"a byte order mark is no part of the first name", "\xEF\xBB\xBFsex,age\nm,4\n",
       {{"sex", "age"}, {"m", "4"}}},
      {"the start of a mark that is not one stays", "\xEF\xBBx,y\n", {{"\xEF\xBBx", "y"}}},
      {"separators and doubled quotes in quotes", "\"a,b\",\"say \"\"hi\"\"\"\n",
       {{"a,b", "say \"hi\""}}},
      {"line breaks in quotes", "\"two\nlines\",x\r\n\"cr\rtoo\",y\n",
       {{"two\nlines", "x"}, {"cr\rtoo", "y"}}},
      {"empty fields and an empty line", "a,,\n\n,b\n", {{"a", "", ""}, {""}, {"", "b"}}},
      {"a quote inside a plain field stays", "5'3\",x\n", {{"5'3\"", "x"}}},
      {"empty quoted field", "\"\",x\n", {{"", "x"}}},
      {"nothing at all", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(read_all(c.bytes), c.records);
  }
}

TEST(CsvReader, RawTextAndLineNumbersOfEachRecord) {
  std::vector<std::string> raw;
  std::vector<int> lines;
  read_all("\xEF\xBB\xBFh1,h2\r\"a\nb\",\"c\"\r\nlast,x", &raw, &lines);
  EXPECT_EQ(raw, (std::vector<std::string>{"h1,h2", "\"a\nb\",\"c\"", "last,x"}));
  EXPECT_EQ(lines, (std::vector<int>{1, 2, 4}));
}

TEST(CsvReader, AMalformedRecordNamesItsLine) {
  const struct {
    const char* what;
    std::string bytes;
    int line;
    const char* message;
  } cases[] = {
      {"a quote never closed", "a,b\n1,2\n3,\"open\n4,5\n", 3, "not closed"},
      {"text after a closing quote", "a,b\r\"x\"y,2\r", 2, "after the closing quote"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      read_all(c.bytes);
      ADD_FAILURE() << "no error";
    } catch (const CsvError& e) {
      EXPECT_EQ(e.line(), c.line);
      EXPECT_THAT(e.what(), ::testing::AllOf(::testing::HasSubstr("line " + std::to_string(c.line)),
                                             ::testing::HasSubstr(c.message)));
    }
  }
}

TEST(CsvReader, FieldsWrittenWithCsvFieldReadBack) {
  const std::vector<std::string> fields = {"plain", "a,b", "q\"q", "two\r\nlines", "", " lead"};
  std::string line;
  for (const std::string& f : fields) line += (line.empty() ? "" : ",") + csv_field(f);
  EXPECT_EQ(read_all(line + "\n"), Records{fields});
}

// Files that once found faults with the fuzz target (tests/fuzz/csv_reader_fuzz.cpp) and its
// seeds: each must read without a crash, and read back the same from its raw records.
TEST(CsvReader, FuzzCorpusReadsBackTheSame) {
  const fs::path corpus = test::source_path("tests/fuzz/corpus/csv_reader");
  int files = 0;
  for (const auto& item : fs::directory_iterator(corpus)) {
    SCOPED_TRACE(item.path().filename().string());
    std::ifstream in(item.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ++files;
    std::vector<std::string> raw;
    Records first;
    try {
      first = read_all(bytes, &raw);
    } catch (const CsvError& e) {
      EXPECT_GE(e.line(), 1);
      continue;
    }
    std::string again = "\xEF\xBB\xBF";
    for (const std::string& r : raw) again += r + "\n";
    EXPECT_EQ(read_all(again), first);
  }
  EXPECT_GT(files, 5);
}

}  // namespace
}  // namespace olvar::core
