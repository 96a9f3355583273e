#include "training/training_grid.h"

#include <algorithm>

namespace olvar::training {

namespace {

void number_children(core::TextGrid& grid) {
  for (int row = kFirstChildRow; row < grid.row_count(); ++row) {
    grid.set_cell(0, row, std::to_string(row - kFirstChildRow + 1));
  }
}

}  // namespace

std::string observer_name(int group, const core::LanguageTable& text) {
  if (group == 0) return text.text(kSupervisorHeading);
  return text.text(kEnumeratorHeading) + " " + std::to_string(group);
}

void write_continuous_headings(core::TextGrid& grid, const core::LanguageTable& text) {
  const std::string measurements[kGroupWidth] = {text.text(kWeight1Heading),
                                                 text.text(kWeight2Heading),
                                                 text.text(kHeight1Heading),
                                                 text.text(kHeight2Heading),
                                                 "MUAC1",
                                                 "MUAC2"};
  for (int group = 0; group <= kEnumerators; ++group) {
    const int first = group_column(group);
    grid.set_cell(first, 0, observer_name(group, text));
    for (int k = 0; k < kGroupWidth; ++k) grid.set_cell(first + k, 1, measurements[k]);
  }
  grid.set_cell(0, 1, text.text(kChildHeading));
  number_children(grid);
}

void write_categorical_headings(core::TextGrid& grid, const core::LanguageTable& text) {
  for (int column = 1; column <= kEnumerators + 1; ++column) {
    grid.set_cell(column, 0, observer_name(column - 1, text));
  }
  grid.set_cell(0, 1, text.text(kChildHeading));
  number_children(grid);
}

int children_used(const core::TextGrid& grid, int column) {
  for (int row = std::min(kLastChildRow, grid.row_count() - 1); row >= kFirstChildRow; --row) {
    if (!grid.cell(column, row).empty()) return row - 1;
  }
  return 0;
}

bool paste_text(core::TextGrid& grid, int column, int row, std::string_view text) {
  bool written = false;
  int r = std::max(row, kFirstChildRow);
  const int first_column = std::max(column, 1);
  std::size_t start = 0;
  while (start < text.size() && r < grid.row_count()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    int c = first_column;
    std::size_t cell_start = 0;
    while (c < grid.column_count()) {
      const std::size_t tab = line.find('\t', cell_start);
      const std::size_t cell_end = tab == std::string_view::npos ? line.size() : tab;
      grid.set_cell(c, r, line.substr(cell_start, cell_end - cell_start));
      written = true;
      ++c;
      if (tab == std::string_view::npos) break;
      cell_start = tab + 1;
    }
    ++r;
    start = end;
    if (start < text.size() && text[start] == '\r') ++start;
    if (start < text.size() && text[start] == '\n') ++start;
  }
  return written;
}

std::string transfer_text(const core::TextGrid& grid) {
  std::string out;
  for (int row = 0; row < grid.row_count(); ++row) {
    for (int column = 1; column < grid.column_count(); ++column) {
      out += grid.cell(column, row);
      out += '\t';
    }
    out += '\n';
  }
  return out;
}

}  // namespace olvar::training
