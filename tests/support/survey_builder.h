#pragma once
// Small hand-made surveys for tests: a Survey table filled from one line of texts per child, a
// text per named column, so that a fixture reads as the table it builds.
//
//   const core::SurveyTable survey = test::survey_table(
//       {StdVar::cluster, StdVar::sex, StdVar::whz},
//       {{"1", "m", "-2.5"},
//        {"2", "f", ""}},
//       {{StdVar::weight, "10.0"}, {StdVar::id, test::kRowNumber}});

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/standard_variables.h"
#include "core/survey_table.h"

namespace olvar::test {

// A column of the Survey table: a standard variable, or a column number (user variables).
struct SurveyColumn {
  SurveyColumn(core::StdVar variable) : column(core::column(variable)) {}  // NOLINT: implicit
  SurveyColumn(int number) : column(number) {}                             // NOLINT: implicit
  int column;
};

// As a cell of `same_in_every_row`: the row's own number (an ID that differs per child).
inline constexpr std::string_view kRowNumber = "\x01row";

using SurveyRows = std::initializer_list<std::initializer_list<std::string_view>>;

// Children from row 1 down, the k-th text of a line in the k-th of `columns`; `same_in_every_row`
// gives cells every child shares. The table keeps the spare rows a survey has after its last
// child; a line shorter than `columns` leaves the rest of its cells empty.
inline core::SurveyTable survey_table(
    std::initializer_list<SurveyColumn> columns, SurveyRows rows,
    std::initializer_list<std::pair<SurveyColumn, std::string_view>> same_in_every_row = {}) {
  core::SurveyTable table;
  const int needed = static_cast<int>(rows.size()) + core::kSpareRows;
  if (table.row_count() < needed) table.resize(table.column_count(), needed);
  int row = 1;
  for (const auto& line : rows) {
    for (const auto& [column, text] : same_in_every_row) {
      const std::string cell = text == kRowNumber ? std::to_string(row) : std::string(text);
      table.set_cell(column.column, row, cell);
    }
    auto text = line.begin();
    for (const SurveyColumn& column : columns) {
      if (text == line.end()) break;
      table.set_cell(column.column, row, *text++);
    }
    ++row;
  }
  return table;
}

}  // namespace olvar::test
