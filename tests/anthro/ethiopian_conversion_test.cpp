#include "anthro/ethiopian_conversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/scripted_prompter.h"

namespace olvar::anthro {
namespace {

using core::StdVar;

constexpr core::DateConventions kDmyPoint{core::DateOrder::dmy, '.', '.'};
constexpr core::DateConventions kMdySlash{core::DateOrder::mdy, '/', '.'};

// A program folder of its own for each test, holding a small table when one is given.
class EthiopianConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::path(::testing::TempDir()) /
              (std::string("olvar_ethiopian_") + info->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  void write_table(const std::string& text) {
    std::ofstream(folder_ / "ethiopian.dat", std::ios::binary) << text;
  }
  EthiopianConversion run(const core::DateConventions& conventions) {
    return convert_ethiopian_dates(table_, folder_, conventions, prompter_,
                                   [this] { ++evaluations_; });
  }

  // Lines as the generator writes them (anthro/ethiopian_calendar.h).
  static constexpr const char* kTable =
      "1/1/2016\t12/9/2023\n"
      "28/4/2016\t7/1/2024\n"
      "29/4/2017\t7/1/2025\n"
      "1/1/2017\t11/9/2024\n";

  std::filesystem::path folder_;
  core::SurveyTable table_;
  test::ScriptedPrompter prompter_;
  int evaluations_ = 0;
};

TEST_F(EthiopianConversionTest, MissingTableIsReportedAndChangesNothing) {
  table_.set_cell(StdVar::survdate, 1, "1/1/2016");
  const auto result = run(kDmyPoint);
  EXPECT_FALSE(result.table_found);
  ASSERT_EQ(prompter_.messages.size(), 1u);
  EXPECT_EQ(prompter_.messages[0].rfind("Table for Ethiopian dates not found! ", 0), 0u)
      << prompter_.messages[0];
  EXPECT_NE(prompter_.messages[0].find(folder_.string()), std::string::npos);
  EXPECT_TRUE(prompter_.questions.empty());
  EXPECT_EQ(table_.cell(StdVar::survdate, 1), "1/1/2016");
  EXPECT_EQ(evaluations_, 0);
}

TEST_F(EthiopianConversionTest, AsksFirstAndNoChangesNothing) {
  write_table(kTable);
  table_.set_cell(StdVar::survdate, 1, "1/1/2016");
  prompter_.yes_no_answers = {false};
  const auto result = run(kDmyPoint);
  EXPECT_TRUE(result.table_found);
  EXPECT_FALSE(result.confirmed);
  ASSERT_EQ(prompter_.questions.size(), 1u);
  EXPECT_EQ(prompter_.questions[0],
            "Do you want to convert the Surveydate and Birthdate from Ethiopian into Gregorian "
            "format (please save first the ethiopian table to keep the original values, the "
            "days months and years should be separated by a slash and without 0 in front of "
            "numbers e.g. 2/3/2001)?");
  EXPECT_TRUE(prompter_.messages.empty());
  EXPECT_EQ(table_.cell(StdVar::survdate, 1), "1/1/2016");
  EXPECT_EQ(evaluations_, 0);
}

TEST_F(EthiopianConversionTest, ReplacesWholeDatesInTheSystemOrder) {
  write_table(kTable);
  struct Row {
    const char* survdate;
    const char* birthdat;
    const char* survdate_after;
    const char* birthdat_after;
  };
  const Row rows[] = {
      {"1/1/2017", "28/4/2016", "11.9.2024", "7.1.2024"},
      {"1/1/20", "", "1/1/20", ""},                           // no prefix match onto 1/1/2016
      {"01/01/2016", "1/1/2016", "12.9.2023", "12.9.2023"},  // typed with a leading zero
      {"", "29/4/2017", "", "7.1.2025"},
      {"12.9.2023", "garbage\t", "12.9.2023", "garbage\t"},
      // Typed with the system's separator, or any other, as the date cells take them.
      {"1.1.2017", "28-4-2016", "11.9.2024", "7.1.2024"},
      {"01.01.2016", "29 4 2017", "12.9.2023", "7.1.2025"},
      {"1.1", "1/1/2016/1", "1.1", "1/1/2016/1"},
  };
  int row = 1;
  for (const Row& r : rows) {
    table_.set_cell(StdVar::survdate, row, r.survdate);
    table_.set_cell(StdVar::birthdat, row, r.birthdat);
    ++row;
  }
  const int last = table_.row_count() - 1;  // the last row is left out
  table_.set_cell(StdVar::survdate, last, "1/1/2016");
  prompter_.yes_no_answers = {true};

  const auto result = run(kDmyPoint);

  EXPECT_TRUE(result.confirmed);
  EXPECT_EQ(result.cells_converted, 9);
  EXPECT_EQ(result.cells_unmatched, 5);
  ASSERT_EQ(result.unmatched.size(), 5u);
  EXPECT_EQ(result.unmatched[0].row, 2);
  EXPECT_EQ(result.unmatched[0].text, "1/1/20");
  EXPECT_EQ(result.unmatched[4].variable, StdVar::birthdat);
  EXPECT_EQ(ethiopian_conversion_message(result),
            "9 dates were converted from the Ethiopian to the Gregorian calendar. 5 cells are no "
            "Ethiopian date and kept as typed:\nrow 2, SURVDATE: \"1/1/20\"\nrow 5, SURVDATE: "
            "\"12.9.2023\"\nrow 5, BIRTHDAT: \"garbage\t\"\nrow 8, SURVDATE: \"1.1\"\nrow 8, "
            "BIRTHDAT: \"1/1/2016/1\"");
  row = 1;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.survdate);
    EXPECT_EQ(table_.cell(StdVar::survdate, row), r.survdate_after);
    EXPECT_EQ(table_.cell(StdVar::birthdat, row), r.birthdat_after);
    ++row;
  }
  EXPECT_EQ(table_.cell(StdVar::survdate, last), "1/1/2016");
  EXPECT_EQ(table_.cell(StdVar::survdate, table_.row_count() - 2), "");
  EXPECT_EQ(evaluations_, 1);
}

TEST_F(EthiopianConversionTest, MonthFirstSystemGetsMonthFirstDates) {
  write_table(kTable);
  table_.set_cell(StdVar::survdate, 1, "1/1/2016");
  prompter_.yes_no_answers = {true};
  run(kMdySlash);
  EXPECT_EQ(table_.cell(StdVar::survdate, 1), "9/12/2023");
}

TEST(EthiopianTable, FirstLineWinsAndOddLinesAreSkipped) {
  std::istringstream in(
      "1/1/2016\t12/9/2023\r\n"
      "no tab on this line\n"
      "1/1/2016\t1/1/1900\n"
      "2/1/2016\t13/9/2023\tcomment\n"
      "\t1/1/2000\n");
  const EthiopianTable table = EthiopianTable::parse(in);
  ASSERT_NE(table.gregorian("1/1/2016"), nullptr);
  EXPECT_EQ(*table.gregorian("1/1/2016"), "12/9/2023");
  ASSERT_NE(table.gregorian("2/1/2016"), nullptr);
  EXPECT_EQ(*table.gregorian("2/1/2016"), "13/9/2023");
  EXPECT_EQ(table.gregorian("no tab on this line"), nullptr);
  EXPECT_EQ(table.gregorian("1/1/20"), nullptr);
}

TEST(EthiopianTable, ReadsAtMostOneHundredThousandLines) {
  for (const std::size_t filler : {kMaxEthiopianTableLines - 1, kMaxEthiopianTableLines}) {
    SCOPED_TRACE(filler);
    std::string text;
    for (std::size_t i = 0; i < filler; ++i) text += "x" + std::to_string(i) + "\t\n";
    text += "1/1/2016\t12/9/2023\n";
    std::istringstream in(text);
    const EthiopianTable table = EthiopianTable::parse(in);
    EXPECT_EQ(table.gregorian("1/1/2016") != nullptr, filler < kMaxEthiopianTableLines);
  }
}

}  // namespace
}  // namespace olvar::anthro
