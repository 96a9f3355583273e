#include "core/survey_sort.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace olvar::core {
namespace {

// A survey with one child per entry of `rows`: {CLUSTER, TEAM, ID}.
Workspace survey_of(const std::vector<std::vector<std::string>>& rows) {
  Workspace w;
  w.file_name = "kara.as";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    w.survey.set_cell(StdVar::cluster, row, rows[i][0]);
    w.survey.set_cell(StdVar::team, row, rows[i][1]);
    w.survey.set_cell(StdVar::id, row, rows[i][2]);
  }
  return w;
}

std::vector<std::string> column_of(const Workspace& w, StdVar v, int rows) {
  std::vector<std::string> texts;
  for (int row = 1; row <= rows; ++row) texts.emplace_back(w.survey.cell(v, row));
  return texts;
}

using Texts = std::vector<std::string>;

TEST(SortSurvey, OneVariableByNumberOrByTextKey) {
  const struct {
    const char* what;
    Texts clusters;
    SortOrder order;
    Texts expected;
  } cases[] = {
      {"numbers sort by value", {"10", "2", "1"}, SortOrder::ascending, {"1", "2", "10"}},
      {"descending", {"10", "2", "1"}, SortOrder::descending, {"10", "2", "1"}},
      {"decimal commas are numbers",
       {"1,5", "1.25", "-3"},
       SortOrder::ascending,
       {"-3", "1.25", "1,5"}},
      {"an empty cell counts as -99999", {"3", "", "1"}, SortOrder::ascending, {"", "1", "3"}},
      // One text makes the column a text column: keys are 100000 c1 + 10000 c2 + ...,
      // "10" = 4 900 000 + 480 000, "9" = 5 700 000, "A" -> "a" = 9 700 000.
      {"one text makes a text column", {"9", "A", "10"}, SortOrder::ascending, {"10", "9", "A"}},
      {"the same numbers without the text", {"9", "10"}, SortOrder::ascending, {"9", "10"}},
      // "b" = 9 800 000 < "az" = 9 700 000 + 1 220 000.
      {"text keys are not alphabetical", {"az", "b", "B"}, SortOrder::ascending, {"b", "B", "az"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 0; i < c.clusters.size(); ++i) {
      rows.push_back({c.clusters[i], "1", std::to_string(i + 1)});
    }
    Workspace w = survey_of(rows);
    SortSurvey(w, column(StdVar::cluster), std::nullopt, c.order);
    EXPECT_EQ(column_of(w, StdVar::cluster, static_cast<int>(c.expected.size())), c.expected);
  }
}

TEST(SortSurvey, SecondVariableWithinRunsOfTheFirst) {
  Workspace w = survey_of({{"1", "1", "a"},
                           {"2", "1", "b"},
                           {"1", "3", "c"},
                           {"2", "2", "d"},
                           {"1", "2", "e"},
                           {"3", "1", "f"}});
  SortSurvey(w, column(StdVar::cluster), column(StdVar::team), SortOrder::descending);
  EXPECT_EQ(column_of(w, StdVar::cluster, 6), (Texts{"3", "2", "2", "1", "1", "1"}));
  EXPECT_EQ(column_of(w, StdVar::team, 6), (Texts{"1", "2", "1", "3", "2", "1"}));
  // Whole rows move; the row numbers stay with the positions.
  EXPECT_EQ(column_of(w, StdVar::id, 6), (Texts{"f", "d", "b", "c", "e", "a"}));
  EXPECT_EQ(w.survey.cell(0, 1), "1");
  EXPECT_TRUE(w.changed);
}

TEST(SortSurvey, EqualKeysKeepTheirOrder) {
  Workspace w = survey_of({{"2", "", "a"}, {"1", "", "b"}, {"2", "", "c"}, {"1", "", "d"}});
  SortSurvey(w, column(StdVar::cluster), std::nullopt, SortOrder::descending);
  EXPECT_EQ(column_of(w, StdVar::id, 4), (Texts{"a", "c", "b", "d"}));
}

TEST(SortSurvey, RowsAfterTheLastRecordKeepTheirPlace) {
  Workspace w = survey_of({{"2", "1", "1"}, {"1", "1", "2"}});
  // Row 4 has only dates and a user variable: it is no record, and neither is row 3.
  w.survey.set_cell(StdVar::survdate, 4, "1.1.2006");
  w.survey.resize(21, 100);
  w.survey.set_cell(20, 4, "note");
  EXPECT_EQ(sort_record_count(w.survey), 2);
  SortSurvey(w, column(StdVar::cluster), std::nullopt, SortOrder::ascending);
  EXPECT_EQ(column_of(w, StdVar::cluster, 2), (Texts{"1", "2"}));
  EXPECT_EQ(w.survey.cell(StdVar::survdate, 4), "1.1.2006");
  EXPECT_EQ(w.survey.cell(20, 4), "note");
}

TEST(SortSurvey, ChangedStateAndMissingVariable) {
  Workspace noname = survey_of({{"2", "1", "1"}, {"1", "1", "2"}});
  noname.file_name = "C:\\surveys\\noname.as";
  SortSurvey(noname, column(StdVar::cluster), column(StdVar::id), SortOrder::ascending);
  EXPECT_FALSE(noname.changed);
  EXPECT_EQ(noname.survey.cell(StdVar::cluster, 1), "1");

  Workspace untouched = survey_of({{"2", "1", "1"}, {"1", "1", "2"}});
  SortSurvey(untouched, 0, std::nullopt, SortOrder::ascending);
  EXPECT_EQ(untouched.survey.cell(StdVar::cluster, 1), "2");
  EXPECT_FALSE(untouched.changed);
}

TEST(TextSortKey, WeighsTheFirstSixCharacterCodes) {
  EXPECT_EQ(text_sort_key(""), 0);
  EXPECT_EQ(text_sort_key("A"), 9'700'000);                       // 'a' = 97
  EXPECT_EQ(text_sort_key("ab"), 9'700'000 + 980'000);            // 'b' = 98
  EXPECT_EQ(text_sort_key("abcdefg"), text_sort_key("abcdefz"));  // only six count
  EXPECT_EQ(text_sort_key("\xC9"), text_sort_key("\xE9"));        // É and é
}

TEST(TextGridPermuteRows, MovesWholeRowsAndRefusesANonPermutation) {
  TextGrid grid(2, 6);
  for (int row = 0; row < 6; ++row) {
    grid.set_cell(0, row, std::to_string(row));
    grid.set_cell(1, row,
                  std::string(20, static_cast<char>('a' + row)));  // beyond the short-string buffer
  }
  // Rows 1 to 4 take the rows 3, 1, 4, 2: two cycles (1 3 4 2) in one permutation.
  grid.permute_rows(1, {3, 1, 4, 2});
  const Texts expected = {"0", "3", "1", "4", "2", "5"};
  for (int row = 0; row < 6; ++row) {
    EXPECT_EQ(grid.cell(0, row), expected[static_cast<std::size_t>(row)]);
    EXPECT_EQ(grid.cell(1, row)[0], 'a' + std::stoi(expected[static_cast<std::size_t>(row)]));
  }
  const TextGrid before = grid;
  grid.permute_rows(1, {1, 1, 2, 3});  // a repeated row
  grid.permute_rows(1, {1, 2, 3, 9});  // a row outside
  grid.permute_rows(4, {4, 5, 6});     // beyond the last row
  EXPECT_EQ(grid, before);
}

}  // namespace
}  // namespace olvar::core
