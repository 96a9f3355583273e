#pragma once
// Windows-1252 is the code page of every text the program holds (cells, file names, Language
// texts). The command-line tool prints UTF-8, so its output passes through here.

#include <string>
#include <string_view>

namespace olvar::core {

// The UTF-8 form of Windows-1252 bytes. Bytes 0x80 to 0x9F map to the characters Windows gives
// them (0x80 the euro sign, 0x93 the left double quote, ...); the five that Windows leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control of the same number, as
// Windows' own conversion does, so that no byte is lost.
std::string windows1252_to_utf8(std::string_view bytes);

}  // namespace olvar::core
