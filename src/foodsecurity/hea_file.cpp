#include "foodsecurity/hea_file.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "platform/safe_write.h"

namespace olvar::foodsecurity {

namespace {

std::string describe(const std::string& file, int line, const std::string& what) {
  std::string text = file;
  if (line > 0) text += ", line " + std::to_string(line);
  return text + ": " + what;
}

// The lines of the file without their line ends (CR LF or LF). Text after the last line break
// is a line of its own; a file ending in a line break has no empty line after it.
std::vector<std::string_view> split_lines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = next;
  }
  return lines;
}

struct Section {
  std::string_view marker;
  const char* name;
  core::TextGrid HeaTables::*grid;
};

const Section kSections[] = {
    {kHouseholdSection, "household table", &HeaTables::household},
    {kSeasonalSection, "seasonal table", &HeaTables::seasonal},
    {kModelSection, "shock-year table", &HeaTables::shock},
};

void read_row(core::TextGrid& grid, int row, std::string_view line, const std::string& file,
              int line_number, const char* table) {
  // The empty line that closes a file whose table is full to its last row adds nothing.
  if (row >= grid.row_count() && line.empty()) return;
  if (row >= grid.row_count()) {
    throw HeaFileError(file, line_number,
                       std::string("more rows than the ") + table + " holds (" +
                           std::to_string(grid.row_count()) + ")");
  }
  int column = 0;
  std::size_t start = 0;
  while (start < line.size()) {
    std::size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) tab = line.size();
    // Written rows hold every column but the last.
    if (column >= grid.column_count() - 1) {
      throw HeaFileError(file, line_number,
                         std::string("more cells than the ") + table + " holds (" +
                             std::to_string(grid.column_count() - 1) + ")");
    }
    grid.set_cell(column, row, line.substr(start, tab - start));
    ++column;
    start = tab + 1;  // a trailing tab adds no cell
  }
}

int last_used_row(const core::TextGrid& grid, int last_column, int last_row) {
  for (int row = last_row; row > 0; --row) {
    for (int column = 0; column <= last_column; ++column) {
      if (!grid.cell(column, row).empty()) return row;
    }
  }
  return 0;
}

void write_rows(std::string& out, const core::TextGrid& grid, int last_row) {
  for (int row = 0; row <= last_row; ++row) {
    for (int column = 0; column + 1 < grid.column_count(); ++column) {
      out += grid.cell(column, row);
      out += '\t';
    }
    out += "\r\n";
  }
}

}  // namespace

HeaFileError::HeaFileError(const std::string& file, int line, const std::string& what)
    : std::runtime_error(describe(file, line, what)), line_(line) {}

HeaTables read_hea_bytes(std::string_view bytes, const std::string& file_name) {
  const std::vector<std::string_view> lines = split_lines(bytes);
  if (lines.empty() || lines[0] != kHouseholdSection) {
    throw HeaFileError(file_name, 1,
                       "not a household economy (HEA) file: it must begin with the line "
                       "\"\xA5Household Data\"");
  }
  HeaTables tables;
  // The last line of a file is not a row: a saved file ends in two empty lines.
  const std::size_t readable = lines.size() - 1;
  std::size_t at = 1;
  for (std::size_t s = 0; s < std::size(kSections); ++s) {
    const Section& section = kSections[s];
    if (s > 0) {
      if (at >= readable) {
        throw HeaFileError(file_name, static_cast<int>(lines.size()),
                           std::string("the file ends before the ") + section.name +
                               "; it was cut short");
      }
      if (lines[at] != section.marker) {
        throw HeaFileError(file_name, static_cast<int>(at + 1),
                           std::string("expected the line \"") + std::string(section.marker) +
                               "\" opening the " + section.name);
      }
      ++at;
    }
    core::TextGrid& grid = tables.*section.grid;
    int row = 0;
    for (; at < readable && lines[at].find('\xA5') == std::string_view::npos; ++at, ++row) {
      read_row(grid, row, lines[at], file_name, static_cast<int>(at + 1), section.name);
    }
  }
  if (at < readable) {
    throw HeaFileError(file_name, static_cast<int>(at + 1),
                       "unexpected section line after the shock-year table");
  }
  // A file ending in a row was cut short: that row would be silently dropped.
  if (!lines.back().empty() || lines.size() < 2) {
    throw HeaFileError(file_name, static_cast<int>(lines.size()),
                       "the file ends without its closing empty lines; it was cut short");
  }
  return tables;
}

std::string hea_file_bytes(const HeaTables& tables) {
  std::string out;
  out += kHouseholdSection;
  out += "\r\n";
  write_rows(out, tables.household,
             last_used_row(tables.household, 5, tables.household.row_count() - 2));
  out += kSeasonalSection;
  out += "\r\n";
  write_rows(out, tables.seasonal,
             last_used_row(tables.seasonal, 2, tables.seasonal.row_count() - 1));
  out += kModelSection;
  out += "\r\n";
  write_rows(out, tables.shock, last_used_row(tables.shock, 2, tables.shock.row_count() - 1));
  out += "\r\n\r\n";
  return out;
}

HeaTables read_hea_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw HeaFileError(path.string(), 0, "the file cannot be opened for reading");
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw HeaFileError(path.string(), 0, "the file cannot be read");
  return read_hea_bytes(bytes, path.string());
}

void write_hea_file(const std::filesystem::path& path, const HeaTables& tables) {
  platform::write_file_safely(path, hea_file_bytes(tables));
}

void adopt_read_tables(FoodSecurity& state, HeaTables tables, const std::filesystem::path& path) {
  state.tables = std::move(tables);
  state.file_name = path;
  const core::TextGrid& household = state.tables.household;
  int last = 1;
  for (int column = household.column_count() - 1; column > 1; --column) {
    if (!household.cell(column, 0).empty()) {
      last = column;
      break;
    }
  }
  for (int column = kFirstGroupColumn; column <= last; ++column) {
    const int row = column - kFirstGroupColumn;
    if (row < static_cast<int>(state.wealth_groups.size())) {
      state.wealth_groups[row] = std::string(household.cell(column, 1));
    }
  }
  const std::string_view first_month = state.tables.seasonal.cell(2, 0);
  for (int m = 0; m < 12; ++m) {
    if (kMonthNames[m] == first_month) state.start_month = m;
  }
}

std::filesystem::path proposed_save_name(const FoodSecurity& state) {
  if (state.file_name.filename() == kDefaultHeaFile) return {};
  return state.file_name;
}

std::filesystem::path with_hea_extension(const std::filesystem::path& chosen) {
  if (chosen.string().find(".fs") != std::string::npos) return chosen;
  return std::filesystem::path(chosen.string() + ".fs");
}

}  // namespace olvar::foodsecurity
