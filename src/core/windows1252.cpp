#include "core/windows1252.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace olvar::core {

namespace {

// Code points of bytes 0x80 to 0x9F (Unicode's published mapping table for cp1252,
// ftp.unicode.org/Public/MAPPINGS/VENDORS/MICSFT/WINDOWS/CP1252.TXT); the undefined ones keep
// their own number.
constexpr std::array<std::uint16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

void append_utf8(std::string& out, std::uint32_t code_point) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

}  // namespace

std::string windows1252_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte < 0x80) {
      // Survey text is nearly all ASCII: each run goes over in one copy, not byte by byte.
      std::size_t end = at + 1;
      while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) < 0x80) ++end;
      out.append(bytes.data() + at, end - at);
      at = end - 1;
    } else if (byte < 0xA0) {
      append_utf8(out, kHighControls[byte - 0x80]);
    } else {
      append_utf8(out, byte);  // 0xA0 to 0xFF are Latin-1, code point = byte
    }
  }
  return out;
}

namespace {

// The length of the UTF-8 sequence at `at` and its code point; 0 when it is not well formed.
std::size_t utf8_sequence(std::string_view bytes, std::size_t at, std::uint32_t& code_point) {
  const auto lead = static_cast<unsigned char>(bytes[at]);
  std::size_t length = 0;
  std::uint32_t minimum = 0;
  if (lead < 0x80) {
    code_point = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code_point = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code_point = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code_point = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (at + length > bytes.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(bytes[at + k]);
    if ((next & 0xC0) != 0x80) return 0;
    code_point = (code_point << 6) | (next & 0x3F);
  }
  if (code_point < minimum || code_point > 0x10FFFF ||
      (code_point >= 0xD800 && code_point <= 0xDFFF)) {
    return 0;
  }
  return length;
}

}  // namespace

bool is_utf8(std::string_view bytes) {
  std::uint32_t code_point = 0;
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = utf8_sequence(bytes, at, code_point);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string utf8_to_windows1252(std::string_view utf8, std::size_t* unmapped) {
  std::string out;
  out.reserve(utf8.size());
  std::uint32_t code_point = 0;
  for (std::size_t at = 0; at < utf8.size();) {
    std::size_t length = utf8_sequence(utf8, at, code_point);
    if (length == 0) {  // not UTF-8 after all: the byte as it stands
      length = 1;
      code_point = static_cast<unsigned char>(utf8[at]);
      if (code_point >= 0x80 && code_point < 0xA0) code_point = kHighControls[code_point - 0x80];
    }
    at += length;
    if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) {
      out += static_cast<char>(code_point);
      continue;
    }
    const auto* found = std::find(kHighControls.begin(), kHighControls.end(), code_point);
    if (found != kHighControls.end()) {
      out += static_cast<char>(0x80 + (found - kHighControls.begin()));
    } else {
      out += '?';
      if (unmapped != nullptr) ++*unmapped;
    }
  }
  return out;
}

}  // namespace olvar::core
