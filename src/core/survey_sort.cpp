#include "core/survey_sort.h"
#include "core/survey_row_order.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <string>
#include <vector>

#include "core/standard_variables.h"
#include "core/text_conversions.h"

namespace olvar::core {

namespace {

constexpr std::array<StdVar, 10> kRecordColumns = {
    StdVar::cluster, StdVar::team,   StdVar::id,     StdVar::hh,    StdVar::sex,
    StdVar::months,  StdVar::weight, StdVar::height, StdVar::edema, StdVar::muac};

unsigned char lower_code(char c) {
  const auto code = static_cast<unsigned char>(c);
  if (code >= 'A' && code <= 'Z') return static_cast<unsigned char>(code + 32);
  // Windows-1252 capitals with a lower-case form 32 places on (not the multiplication sign).
  if (code >= 0xC0 && code <= 0xDE && code != 0xD7) return static_cast<unsigned char>(code + 32);
  return code;
}

// Sorts the rows `rows` (indexes into the table) by column `variable`: the order of `rows`
// changes, the table does not. Keys are computed once per row.
void sort_rows_by(const SurveyTable& table, std::vector<int>& rows, int variable, SortOrder order,
                  char decimal_separator) {
  bool numeric = true;
  for (const int row : rows) {
    const std::string_view text = table.cell(variable, row);
    if (!text.empty() && !parse_number(text, decimal_separator)) {
      numeric = false;
      break;
    }
  }
  std::vector<std::pair<double, int>> keyed;
  keyed.reserve(rows.size());
  for (const int row : rows) {
    const std::string_view text = table.cell(variable, row);
    const double key = numeric ? static_cast<double>(parse_tolerant(text, decimal_separator))
                               : text_sort_key(text);
    keyed.emplace_back(key, row);
  }
  if (order == SortOrder::ascending) {
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
  } else {
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
  }
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = keyed[i].second;
}

}  // namespace

int sort_record_count(const SurveyTable& table) {
  for (int row = table.row_count() - 1; row >= 1; --row) {
    for (const StdVar v : kRecordColumns) {
      if (!table.cell(v, row).empty()) return row;
    }
  }
  return 0;
}

double text_sort_key(std::string_view text) {
  static constexpr std::array<double, 6> kWeights = {100000, 10000, 1000, 100, 10, 1};
  double key = 0;
  for (std::size_t i = 0; i < kWeights.size() && i < text.size(); ++i) {
    key += kWeights[i] * lower_code(text[i]);
  }
  return key;
}

std::vector<int> sorted_row_order(const SurveyTable& table, int first, std::optional<int> second,
                                  SortOrder order, char decimal_separator) {
  auto is_variable = [&](int c) { return c >= 1 && c < table.column_count(); };
  const int by_second = second.value_or(0);  // 0: no second variable

  const int n = sort_record_count(table);
  std::vector<int> rows(static_cast<std::size_t>(n));
  std::iota(rows.begin(), rows.end(), 1);
  if (!is_variable(first)) return rows;
  sort_rows_by(table, rows, first, order, decimal_separator);

  if (is_variable(by_second)) {
    // Within each run of equal first-variable texts, order by the second variable, deciding
    // numeric or text for that run alone.
    std::vector<int> run;
    for (std::size_t begin = 0; begin < rows.size();) {
      std::size_t end = begin + 1;
      const std::string_view value = table.cell(first, rows[begin]);
      while (end < rows.size() && table.cell(first, rows[end]) == value) ++end;
      run.assign(rows.begin() + static_cast<std::ptrdiff_t>(begin),
                 rows.begin() + static_cast<std::ptrdiff_t>(end));
      sort_rows_by(table, run, by_second, order, decimal_separator);
      std::copy(run.begin(), run.end(), rows.begin() + static_cast<std::ptrdiff_t>(begin));
      begin = end;
    }
  }
  return rows;
}

void reorder_rows(SurveyTable& table, const std::vector<int>& rows) {
  const int n = static_cast<int>(rows.size());
  // Column 0 holds the row numbers: they stay with the positions, not with the children.
  std::vector<std::string> numbers(static_cast<std::size_t>(n));
  for (int row = 1; row <= n; ++row)
    numbers[static_cast<std::size_t>(row - 1)] = table.cell(0, row);
  table.permute_rows(1, rows);
  for (int row = 1; row <= n; ++row)
    table.set_cell(0, row, numbers[static_cast<std::size_t>(row - 1)]);
}

void SortSurvey(Workspace& workspace, int first, std::optional<int> second, SortOrder order,
                char decimal_separator) {
  SurveyTable& table = workspace.survey;
  if (first < 1 || first >= table.column_count()) return;
  reorder_rows(table, sorted_row_order(table, first, second, order, decimal_separator));
  if (workspace.file_name.find("noname") == std::string::npos) workspace.changed = true;
}

}  // namespace olvar::core
