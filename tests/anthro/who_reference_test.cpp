#include "anthro/who_reference.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <iterator>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/test_paths.h"

namespace olvar::anthro {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;

// One WHO text table: (sex, key) -> L, M, S, read straight from the published file.
std::map<std::pair<int, double>, Lms> read_who_text(const std::string& name) {
  std::ifstream in(test::who_table_path(name));
  EXPECT_TRUE(in) << name;
  std::map<std::pair<int, double>, Lms> rows;
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    int sex = 0;
    double key = 0;
    Lms p;
    if (fields >> sex >> key >> p.l >> p.m >> p.s) rows[{sex, key}] = p;
  }
  return rows;
}

struct BlockCase {
  const char* file;
  int boys_first, boys_last, girls_first, girls_last;  // record numbers
  double first_key, last_key;                          // as written in the WHO file
};

// Record numbers of the published block layout, keys as the WHO files give them.
constexpr BlockCase kBlocks[] = {
    {"weianthro.txt", 0, 1856, 1857, 3713, 0, 1856},
    {"lenanthro.txt", 3714, 5570, 5571, 7427, 0, 1856},
    {"wflanthro.txt", 7428, 8078, 8079, 8729, 45.0, 110.0},
    {"wfhanthro.txt", 8730, 9280, 9281, 9831, 65.0, 120.0},
    {"bmianthro.txt", 9832, 11688, 11689, 13545, 0, 1856},
    {"wfawho2007.txt", 13546, 13605, 13606, 13665, 61, 120},
    {"hfawho2007.txt", 13666, 13833, 13834, 14001, 61, 228},
    {"bfawho2007.txt", 14002, 14169, 14170, 14337, 61, 228},
    {"acfawho_monthly.txt", 14338, 14395, 14396, 14453, 3, 60},
};

void expect_same(const Lms& actual, const Lms& expected) {
  EXPECT_EQ(actual.l, expected.l);
  EXPECT_EQ(actual.m, expected.m);
  EXPECT_EQ(actual.s, expected.s);
}

TEST(WhoReference, GeneratedTableHoldsTheWhoValuesAtEveryBlockEdge) {
  const std::string path = test::build_data_path(kWhoTableFileName);
  ASSERT_EQ(std::filesystem::file_size(path), 14454u * 24u);
  const WhoReference who = WhoReference::load(path);
  ASSERT_TRUE(who.found());
  for (const BlockCase& b : kBlocks) {
    SCOPED_TRACE(b.file);
    const auto text = read_who_text(b.file);
    expect_same(who.record(b.boys_first), text.at({1, b.first_key}));
    expect_same(who.record(b.boys_last), text.at({1, b.last_key}));
    expect_same(who.record(b.girls_first), text.at({2, b.first_key}));
    expect_same(who.record(b.girls_last), text.at({2, b.last_key}));
  }
}

TEST(WhoReference, LayoutMatchesThePublishedRecordNumbers) {
  for (int t = 0; t < static_cast<int>(kWhoLayout.size()); ++t) {
    const BlockCase& b = kBlocks[t];
    SCOPED_TRACE(b.file);
    EXPECT_EQ(who_block(static_cast<WhoTable>(t), false).first, b.boys_first);
    EXPECT_EQ(who_block(static_cast<WhoTable>(t), false).last(), b.boys_last);
    EXPECT_EQ(who_block(static_cast<WhoTable>(t), true).first, b.girls_first);
    EXPECT_EQ(who_block(static_cast<WhoTable>(t), true).last(), b.girls_last);
  }
}

class WhoReferenceFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("olvar_who_reference_" + std::to_string(std::random_device{}()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path write(const std::string& name, const std::string& bytes) {
    const std::filesystem::path path = dir_ / name;
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  std::filesystem::path dir_;
};

// Little-endian bytes written by hand, independent of the reader.
void append_le(std::string& out, double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

std::string real_table_bytes() {
  std::ifstream in(test::build_data_path(kWhoTableFileName), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void put_record(std::string& bytes, int index, Lms lms) {
  std::string record;
  append_le(record, lms.l);
  append_le(record, lms.m);
  append_le(record, lms.s);
  bytes.replace(static_cast<std::size_t>(index) * 24, 24, record);
}

TEST_F(WhoReferenceFile, ReadsRecordsBackInPositionOrder) {
  std::string bytes = real_table_bytes();
  ASSERT_EQ(bytes.size(), 346896u);
  // Plausible values of each block, written by hand at known positions.
  const std::pair<int, Lms> marked[] = {{0, {0.25, 3.5, 0.125}},
                                        {1856, {-0.125, 18.25, 0.13}},
                                        {7428, {-0.352, 2.5, 0.09}},
                                        {14453, {-0.173, 16.5, 0.0625}}};
  for (const auto& [index, lms] : marked) put_record(bytes, index, lms);
  const WhoReference who = WhoReference::load(write("table.dat", bytes));
  EXPECT_TRUE(who.found());
  for (const auto& [index, lms] : marked) {
    SCOPED_TRACE(index);
    expect_same(who.record(index), lms);
  }
  expect_same(who.record(14454), {});
  expect_same(who.record(-1), {});
}

TEST_F(WhoReferenceFile, RefusesATableOfTheRightSizeWithImplausibleContent) {
  const struct {
    const char* what;
    int record;
    Lms lms;
    const char* block;
  } cases[] = {
      {"a median of 1000 kg", 10, {0.1, 1000.0, 0.12}, "weight-for-age (days), boys"},
      {"not a number", 6000, {1.0, std::nan(""), 0.04}, "length/height-for-age (days), girls"},
      {"an infinite L", 9000, {INFINITY, 10.0, 0.09}, "weight-for-height, boys"},
      {"a zero S", 14400, {0.1, 15.0, 0.0}, "MUAC-for-age (months), girls"},
      {"a median of another block", 13700, {1.0, 20.0, 0.04}, "height-for-age (months), boys"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = real_table_bytes();
    put_record(bytes, c.record, c.lms);
    const auto path = write("odd.dat", bytes);
    EXPECT_THAT([&] { (void)WhoReference::load(path); },
                ::testing::ThrowsMessage<WhoTableError>(
                    AllOf(HasSubstr(path.string()), HasSubstr("not the WHO reference table"),
                          HasSubstr("record " + std::to_string(c.record)), HasSubstr(c.block))));
  }
  const auto zeros = write("zeros.dat", std::string(346896, '\0'));
  EXPECT_THROW((void)WhoReference::load(zeros), WhoTableError);
}

TEST_F(WhoReferenceFile, RefusesAFileOfTheWrongSize) {
  const struct {
    const char* what;
    std::size_t bytes;
  } cases[] = {
      {"one byte short", 14454 * 24 - 1}, {"one record too many", 14455 * 24}, {"empty", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto path = write("short.dat", std::string(c.bytes, '\0'));
    try {
      (void)WhoReference::load(path);
      ADD_FAILURE() << "no error";
    } catch (const WhoTableError& e) {
      EXPECT_EQ(e.path(), path);
      EXPECT_EQ(e.size_found(), c.bytes);
      EXPECT_EQ(e.size_expected(), 346896u);
      EXPECT_THAT(e.what(), AllOf(HasSubstr(path.string()), HasSubstr(std::to_string(c.bytes)),
                                  HasSubstr("346896")));
    }
  }
}

TEST_F(WhoReferenceFile, MissingFileGivesTheZeroTableAndSaysSo) {
  const WhoReference who = WhoReference::load(dir_ / "absent.dat");
  EXPECT_FALSE(who.found());
  for (int i : {0, 7428, 14453}) expect_same(who.record(i), {});
}

TEST(WhoReference, SmallTableFromRecordsIsPaddedWithZeros) {
  const WhoReference who({{1, 2, 3}, {4, 5, 6}});
  expect_same(who.record(1), {4, 5, 6});
  expect_same(who.record(2), {});
  EXPECT_THROW(WhoReference(std::vector<Lms>(kWhoRecordCount + 1)), std::invalid_argument);
}

}  // namespace
}  // namespace olvar::anthro
