#pragma once
// What every import reader must do with arbitrary bytes, whatever its format: never crash; a file
// it refuses is named in the message; every record it hands on has one text per field, each
// without blanks around it; and the records counted are the records handed on. `name` is the
// file name the reader is told, whose extension picks the reader.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/import_file.h"

namespace olvar::fuzz {

inline int check_import(const std::uint8_t* data, std::size_t size, const std::string& name) {
  using namespace olvar::formats;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ImportHeader header;
  try {
    header = read_import_header(bytes, import_format_of(name), name);
  } catch (const ImportError& e) {
    if (std::string_view(e.what()).rfind(name + ", ", 0) != 0) __builtin_trap();
    return 0;
  }
  if (header.fields.empty() && header.notes.empty()) __builtin_trap();
  std::int64_t taken = 0;
  const auto take = [&](const std::vector<std::string>& texts) {
    if (texts.size() != header.fields.size()) __builtin_trap();
    for (const std::string& text : texts) {
      if (trim_field(text) != text) __builtin_trap();
    }
    ++taken;
    return true;
  };
  try {
    const RecordsRead read = read_import_records(bytes, header, name, take);
    if (read.kept != taken) __builtin_trap();
  } catch (const ImportError& e) {
    if (std::string_view(e.what()).rfind(name + ", ", 0) != 0) __builtin_trap();
  }
  return 0;
}

}  // namespace olvar::fuzz
