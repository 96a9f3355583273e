// Feeds arbitrary bytes to the CSV reader. It must never crash, and what it read must read back
// the same when written with csv_field, and when its records are read again from raw().

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/csv_reader.h"

namespace {

using olvar::core::CsvError;
using olvar::core::CsvReader;
using Records = std::vector<std::vector<std::string>>;

// A byte order mark first, so that a first field that itself starts with one survives.
constexpr std::string_view kBom = "\xEF\xBB\xBF";

Records read_all(const std::string& bytes, std::string* raw_text) {
  std::istringstream in(bytes);
  CsvReader reader(in);
  Records records;
  std::vector<std::string> fields;
  while (reader.next(fields)) {
    records.push_back(fields);
    if (raw_text != nullptr) {
      *raw_text += reader.raw();
      *raw_text += '\n';
    }
  }
  return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Records first;
  std::string raw_text(kBom);
  try {
    first = read_all(bytes, &raw_text);
  } catch (const CsvError& e) {
    if (e.line() < 1) __builtin_trap();
    return 0;
  }
  std::string written(kBom);
  for (const auto& record : first) {
    for (std::size_t i = 0; i < record.size(); ++i) {
      if (i > 0) written += ',';
      written += olvar::core::csv_field(record[i]);
    }
    written += "\r\n";
  }
  if (read_all(written, nullptr) != first) __builtin_trap();
  if (read_all(raw_text, nullptr) != first) __builtin_trap();
  return 0;
}
