#pragma once
// The one place where core text (Windows-1252 bytes, as the survey and language files hold it)
// meets Qt's Unicode strings. Qt 6 has no Windows-1252 codec of its own, so the 32 code points
// that Windows-1252 puts at 0x80-0x9F are mapped by table; every other byte is Latin-1.

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

namespace olvar::ui {

// Windows-1252 bytes as Unicode. The five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) become the C1 controls of the same value, so that no byte is lost on the way back.
QString to_qstring(std::string_view cp1252);

// Unicode as Windows-1252 bytes; a character Windows-1252 cannot hold becomes "?".
std::string from_qstring(const QString& text);

// File names are not Windows-1252 but the file system's own encoding.
QString path_to_qstring(const std::filesystem::path& path);
std::filesystem::path qstring_to_path(const QString& text);

}  // namespace olvar::ui
