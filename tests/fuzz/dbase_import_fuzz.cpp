// Feeds arbitrary bytes to the import reader of dbf files (the checks are in
// import_fuzz_check.h, shared by every import reader).

#include <cstddef>
#include <cstdint>

#include "import_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return olvar::fuzz::check_import(data, size, "fuzz.dbf");
}
