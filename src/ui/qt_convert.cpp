#include "ui/qt_convert.h"

#include <QFile>
#include <array>

namespace olvar::ui {

namespace {

// Code points of the bytes 0x80 to 0x9F (Unicode's mapping table for Windows code page 1252,
// "cp1252.txt"). Undefined bytes keep their own value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char byte_of(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == unit) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

QString to_qstring(std::string_view cp1252) {
  QString text;
  text.reserve(static_cast<qsizetype>(cp1252.size()));
  for (const char c : cp1252) {
    const auto byte = static_cast<unsigned char>(c);
    text.append(byte >= 0x80 && byte <= 0x9F ? QChar(kHighControls[byte - 0x80]) : QChar(byte));
  }
  return text;
}

std::string from_qstring(const QString& text) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar unit = text.at(i);
    if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
      ++i;  // one character outside the Basic Multilingual Plane: one "?"
      bytes.push_back('?');
      continue;
    }
    bytes.push_back(byte_of(unit.unicode()));
  }
  return bytes;
}

QString path_to_qstring(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

std::filesystem::path qstring_to_path(const QString& text) {
  return std::filesystem::path(QFile::encodeName(text).toStdString());
}

}  // namespace olvar::ui
