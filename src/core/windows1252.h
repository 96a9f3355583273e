#pragma once
// Windows-1252 is the code page of every text the program holds (cells, file names, Language
// texts). The command-line tool prints UTF-8, so its output passes through here.

#include <cstddef>
#include <string>
#include <string_view>

namespace olvar::core {

// The UTF-8 form of Windows-1252 bytes. Bytes 0x80 to 0x9F map to the characters Windows gives
// them (0x80 the euro sign, 0x93 the left double quote, ...); the five that Windows leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control of the same number, as
// Windows' own conversion does, so that no byte is lost.
std::string windows1252_to_utf8(std::string_view bytes);

// Whether `bytes` is well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF).
bool is_utf8(std::string_view bytes);

// The Windows-1252 bytes of well-formed UTF-8 text, the inverse of windows1252_to_utf8. A
// character Windows-1252 does not have becomes "?" and is counted in `unmapped` (when given).
std::string utf8_to_windows1252(std::string_view utf8, std::size_t* unmapped = nullptr);

}  // namespace olvar::core
