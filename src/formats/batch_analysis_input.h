#pragma once
// The companion file of the batch analysis ("olvar.txt"): text lines whose fields are separated
// by "," or TAB. Line 0 names the caller's columns; line k belongs to survey row k. The caller's
// fields are copied unchanged, so the reader keeps every byte of a field and only splits.
// Header-only and without dependencies so that the libFuzzer target needs nothing else.

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

// Splits `bytes` into lines (LF, CR LF or CR) and each line into fields. Throws BatchInputError
// (naming `file` and line 1) when the header names no column: the appended columns would then
// overwrite the caller's data.
inline BatchInputLines read_batch_input(std::string_view bytes, const std::string& file) {
  BatchInputLines lines;
  std::vector<std::string> fields(1);
  bool line_open = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      lines.push_back(std::move(fields));
      fields.assign(1, std::string());
      line_open = false;
    } else if (c == ',' || c == '\t') {
      fields.emplace_back();
      line_open = true;
    } else {
      fields.back() += c;
      line_open = true;
    }
  }
  if (line_open) lines.push_back(std::move(fields));
  bool header_named = false;
  if (!lines.empty()) {
    for (const std::string& field : lines.front()) header_named = header_named || !field.empty();
  }
  if (!header_named) throw BatchInputError(file, 1, "the header line names no column");
  return lines;
}

}  // namespace olvar::formats
