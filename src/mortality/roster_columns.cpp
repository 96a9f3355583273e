#include "mortality/roster_columns.h"

namespace olvar::mortality {

namespace {

std::string quoted(std::string_view name) {
  std::string text = "\"";
  for (const char c : name) text += c == '"' ? std::string("\"\"") : std::string(1, c);
  return text + "\"";
}

}  // namespace

std::string roster_with_columns(std::string_view csv, std::size_t field_count,
                                const std::vector<int>& field_of_column) {
  // The heading is the first line that is not empty, as the roster import reads it.
  std::size_t start = 0;
  while (start < csv.size() && (csv[start] == '\n' || csv[start] == '\r')) ++start;
  const std::size_t end = csv.find('\n', start);
  std::string heading;
  for (std::size_t f = 0; f < field_count; ++f) {
    std::string name = "_FIELD" + std::to_string(f + 1);
    for (std::size_t k = 0; k < field_of_column.size() && k < kRosterColumns.size(); ++k) {
      if (field_of_column[k] == static_cast<int>(f)) name = std::string(kRosterColumns[k]);
    }
    heading += (f == 0 ? "" : ",") + quoted(name);
  }
  return heading + "\n" + (end == std::string_view::npos ? std::string() : std::string(csv.substr(end + 1)));
}

}  // namespace olvar::mortality
