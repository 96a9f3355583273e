#pragma once
// Writers of small Epi Info 6 (".rec") and dBase III (".dbf") files, laid out from the formats'
// public descriptions, so that the import tests need no file of another program:
//   .rec: a line with the number of fields; one line per field, its name in characters 2 to 11
//         and eight right-aligned numbers of four characters (question position and colour,
//         field position, type code, length in characters 37 to 40, field colour); then the
//         records in lines of at most 78 characters, each closed by "!" ("?" when deleted) and
//         CR LF; Epi Info closes the file with the byte 0x1A.
//   .dbf: a 32-byte header (version, date of change, record count, header length, record
//         length), one 32-byte descriptor per field, the byte 0x0D, then the records, each led
//         by " " (or "*" when deleted), numbers right-aligned, the rest left-aligned; then 0x1A.

#include <cstdint>
#include <string>
#include <vector>

namespace olvar::test {

struct RecField {
  std::string name;
  int type_code = 1;  // unused by the reader
  int length = 1;
};

struct RecRecord {
  std::vector<std::string> values;
  bool deleted = false;
};

inline std::string rec_file(const std::vector<RecField>& fields,
                            const std::vector<RecRecord>& records, bool end_of_file_byte = true) {
  auto right = [](int value, std::size_t width) {
    std::string text = std::to_string(value);
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
  };
  std::string out = std::to_string(fields.size()) + " 1\r\n";
  int k = 0;
  for (const RecField& field : fields) {
    std::string name = field.name;
    name.resize(10, ' ');
    ++k;
    out += " " + name + " " + right(1, 4) + right(k, 4) + right(112, 4) + right(15, 4) +
           right(k, 4) + right(field.type_code, 4) + right(field.length, 4) + right(112, 4) + " " +
           field.name + "\r\n";
  }
  for (const RecRecord& record : records) {
    std::string text;
    for (std::size_t f = 0; f < fields.size(); ++f) {
      std::string value = f < record.values.size() ? record.values[f] : std::string();
      value.resize(static_cast<std::size_t>(fields[f].length), ' ');
      text += value;
    }
    const char mark = record.deleted ? '?' : '!';
    std::size_t at = 0;
    do {
      out += text.substr(at, 78) + mark + "\r\n";
      at += 78;
    } while (at < text.size());
  }
  if (end_of_file_byte) out += '\x1A';
  return out;
}

struct DbfField {
  std::string name;
  char type = 'C';
  int length = 1;
  int decimals = 0;
};

inline std::string dbf_file(const std::vector<DbfField>& fields,
                            const std::vector<RecRecord>& records, bool end_of_file_byte = true) {
  auto put16 = [](std::string& s, std::size_t at, unsigned v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
  };
  int record_length = 1;
  bool memo = false;
  for (const DbfField& f : fields) {
    record_length += f.length;
    memo = memo || f.type == 'M';
  }
  const unsigned header_length = 32 + 32 * static_cast<unsigned>(fields.size()) + 1;
  std::string out(32, '\0');
  out[0] = static_cast<char>(memo ? 0x83 : 0x03);
  out[1] = 126, out[2] = 12, out[3] = 10;  // changed on 10 December 2026
  const auto count = static_cast<std::uint32_t>(records.size());
  for (int b = 0; b < 4; ++b) out[4 + b] = static_cast<char>((count >> (8 * b)) & 0xFF);
  put16(out, 8, header_length);
  put16(out, 10, static_cast<unsigned>(record_length));
  for (const DbfField& f : fields) {
    std::string descriptor(32, '\0');
    descriptor.replace(0, f.name.size(), f.name);
    descriptor[11] = f.type;
    descriptor[16] = static_cast<char>(f.length);
    descriptor[17] = static_cast<char>(f.decimals);
    out += descriptor;
  }
  out += '\x0D';
  for (const RecRecord& record : records) {
    out += record.deleted ? '*' : ' ';
    for (std::size_t k = 0; k < fields.size(); ++k) {
      const DbfField& f = fields[k];
      std::string value = k < record.values.size() ? record.values[k] : std::string();
      const auto width = static_cast<std::size_t>(f.length);
      if (value.size() > width) value.resize(width);
      const std::string pad(width - value.size(), ' ');
      out += (f.type == 'N' || f.type == 'F') ? pad + value : value + pad;
    }
  }
  if (end_of_file_byte) out += '\x1A';
  return out;
}

}  // namespace olvar::test
