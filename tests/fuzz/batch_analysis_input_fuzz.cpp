// Feeds arbitrary bytes to the batch analysis input reader. It must never crash; a header that
// names no column is the only failure, reported on line 1; the fields joined again with their
// separators give back the bytes without separators and line ends.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/batch_analysis_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  olvar::formats::BatchInputLines lines;
  try {
    lines = olvar::formats::read_batch_input(bytes, "olvar.txt");
  } catch (const olvar::formats::BatchInputError& e) {
    if (e.line() != 1) __builtin_trap();
    return 0;
  }
  std::string kept;
  for (char c : bytes) {
    if (c != ',' && c != '\t' && c != '\r' && c != '\n') kept += c;
  }
  std::string joined;
  for (const auto& line : lines) {
    if (line.empty()) __builtin_trap();
    for (const auto& field : line) joined += field;
  }
  if (joined != kept) __builtin_trap();
  return 0;
}
