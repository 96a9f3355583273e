#include "core/survey_table_text.h"

#include <gtest/gtest.h>

#include <string>

#include "core/windows1252.h"

namespace olvar::core {
namespace {

using namespace std::string_literals;

TEST(Windows1252, EveryKindOfByteBecomesItsUtf8Character) {
  // Expected bytes from the Unicode mapping table CP1252.TXT and the UTF-8 encoding rules.
  const struct {
    std::string cp1252;
    std::string utf8;
  } cases[] = {
      {"WEIGHT\t12.5", "WEIGHT\t12.5"},   // ASCII unchanged
      {"\xE9", "\xC3\xA9"},                // e acute, Latin-1 range
      {"\xA0\xFF", "\xC2\xA0\xC3\xBF"},    // first and last of the Latin-1 range
      {"\x80", "\xE2\x82\xAC"},            // euro sign U+20AC
      {"\x93x\x94", "\xE2\x80\x9Cx\xE2\x80\x9D"},  // curly double quotes U+201C, U+201D
      {"\x9F", "\xC5\xB8"},                // Y diaeresis U+0178
      {"\x81\x9D", "\xC2\x81\xC2\x9D"},    // undefined in Windows-1252: kept as C1 controls
      {"a\0b"s, "a\0b"s},                  // a NUL byte is data like any other
  };
  for (const auto& c : cases) {
    EXPECT_EQ(windows1252_to_utf8(c.cp1252), c.utf8) << c.cp1252;
  }
}

TEST(SurveyTableText, HeaderAndRowsUpToTheLastFilledOneAsHeld) {
  SurveyTable table;  // 100 rows, the standard headers and ten unnamed columns
  table.resize(table.column_count() + 2, table.row_count());
  table.set_cell(20, 0, "AGE");
  table.set_cell(StdVar::sex, 1, "m");
  table.set_cell(StdVar::weight, 1, " 12.5");  // fixed-format padding is kept
  table.set_cell(20, 1, "x");
  // Row 2 empty, row 3 filled: row 2 is printed as empty cells.
  table.set_cell(StdVar::cluster, 3, "4");
  table.renumber_rows();  // the row numbers of column 0 are never printed

  std::string expected = "SURVDATE";
  for (int k = 2; k <= 19; ++k) expected.append("\t").append(table.cell(k, 0));
  expected += "\tAGE\n";
  const std::string tabs_before_sex(5, '\t');  // columns 1 to 5 empty
  expected += tabs_before_sex + "m\t\t\t 12.5" + std::string(11, '\t') + "x\n";
  expected += std::string(19, '\t') + "\n";
  expected += "\t4" + std::string(18, '\t') + "\n";
  EXPECT_EQ(survey_table_text(table), expected);
}

TEST(SurveyTableText, TableWithoutDataGivesTheHeaderOnly) {
  const SurveyTable table;
  const std::string text = survey_table_text(table);
  EXPECT_EQ(text.substr(0, 9), "SURVDATE\t");
  EXPECT_EQ(text.find('\n'), text.size() - 1);
  EXPECT_EQ(text.substr(text.size() - 9), "WTFACTOR\n");
}

}  // namespace
}  // namespace olvar::core
