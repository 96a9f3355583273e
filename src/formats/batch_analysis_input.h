#pragma once
// The companion file of the batch analysis ("olvar.txt"): text lines whose fields are separated
// by "," or TAB. Line 0 names the caller's columns; line k belongs to survey row k. The caller's
// fields are copied unchanged, so the reader keeps every byte of a field and only splits.
// Header-only and without dependencies so that the libFuzzer target needs nothing else.

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace olvar::formats {

class BatchInputError : public std::runtime_error {
 public:
  BatchInputError(const std::string& file, int line, const std::string& what)
      : std::runtime_error(file + ", line " + std::to_string(line) + ": " + what),
        line_(line) {}
  int line() const { return line_; }  // 1-based

 private:
  int line_;
};

using BatchInputLines = std::vector<std::vector<std::string>>;

// The lines of `bytes` (ended by LF, CR LF or CR; a last line without an end counts when it
// holds anything) one at a time, each split into its fields as views into `bytes`: a file of
// millions of lines is walked without a copy of it.
class BatchLineReader {
 public:
  explicit BatchLineReader(std::string_view bytes) : rest_(bytes) {}
  // The next line's fields (at least one); false after the last line.
  bool next(std::vector<std::string_view>& fields) {
    if (rest_.empty()) return false;
    fields.clear();
    std::size_t start = 0;
    std::size_t i = 0;
    for (; i < rest_.size(); ++i) {
      const char c = rest_[i];
      if (c == '\r' || c == '\n') break;
      if (c == ',' || c == '\t') {
        fields.push_back(rest_.substr(start, i - start));
        start = i + 1;
      }
    }
    fields.push_back(rest_.substr(start, i - start));
    if (i < rest_.size() && rest_[i] == '\r' && i + 1 < rest_.size() && rest_[i + 1] == '\n') ++i;
    rest_.remove_prefix(std::min(i + 1, rest_.size()));
    return true;
  }

 private:
  std::string_view rest_;
};

// Whether a header line names a column; without one the appended columns would overwrite the
// caller's data.
inline bool header_names_a_column(const std::vector<std::string_view>& header) {
  for (const std::string_view field : header) {
    if (!field.empty()) return true;
  }
  return false;
}

// Splits `bytes` into lines (LF, CR LF or CR) and each line into fields. Throws BatchInputError
// (naming `file` and line 1) when the header names no column: the appended columns would then
// overwrite the caller's data.
inline BatchInputLines read_batch_input(std::string_view bytes, const std::string& file) {
  BatchInputLines lines;
  BatchLineReader reader(bytes);
  std::vector<std::string_view> fields;
  while (reader.next(fields)) lines.emplace_back(fields.begin(), fields.end());
  if (lines.empty() || !header_names_a_column(std::vector<std::string_view>(lines.front().begin(),
                                                                            lines.front().end()))) {
    throw BatchInputError(file, 1, "the header line names no column");
  }
  return lines;
}

}  // namespace olvar::formats
