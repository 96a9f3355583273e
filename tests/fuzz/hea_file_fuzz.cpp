// Feeds arbitrary bytes to the HEA file reader. The reader must never crash, whatever it is
// given, and tables it read must give the same file when written, read and written once more.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "foodsecurity/hea_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  using olvar::foodsecurity::hea_file_bytes;
  using olvar::foodsecurity::read_hea_bytes;
  try {
    const std::string written = hea_file_bytes(read_hea_bytes(bytes, "fuzz.fs"));
    if (hea_file_bytes(read_hea_bytes(written, "fuzz.fs")) != written) __builtin_trap();
  } catch (const olvar::foodsecurity::HeaFileError&) {
    // A file refused with its name and line: not a fault.
  }
  return 0;
}
