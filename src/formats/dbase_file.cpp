#include "formats/dbase_file.h"

#include <algorithm>

namespace olvar::formats {

namespace {

constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kDescriptorSize = 32;
constexpr char kDescriptorsEnd = '\x0D';
constexpr char kDeletedMark = '*';
constexpr char kEndOfFile = '\x1A';

unsigned byte_at(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]);
}
std::uint32_t little_endian(std::string_view bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int k = size - 1; k >= 0; --k) value = (value << 8) | byte_at(bytes, at + k);
  return value;
}

std::string record_place(std::int64_t record) { return "record " + std::to_string(record); }

}  // namespace

ImportHeader read_dbase_header(std::string_view bytes, const std::string& file_name) {
  ImportHeader header;
  header.format = ImportFormat::dbase;
  if (bytes.size() < kHeaderSize) {
    throw ImportError(file_name, "header",
                      "the file ends inside its header (" + std::to_string(bytes.size()) +
                          " bytes, a dBase header has at least 32)");
  }
  header.record_count = little_endian(bytes, 4, 4);
  const std::size_t header_length = little_endian(bytes, 8, 2);
  header.record_length = static_cast<int>(little_endian(bytes, 10, 2));
  if (header_length < kHeaderSize + kDescriptorSize) {
    throw ImportError(file_name, "header",
                      "the header length " + std::to_string(header_length) +
                          " leaves no room for a field: this is no dBase file");
  }
  if (bytes.size() < header_length) {
    throw ImportError(file_name, "header",
                      "the file ends inside its header (" + std::to_string(bytes.size()) +
                          " bytes of " + std::to_string(header_length) + ")");
  }
  int start = 2;  // position 1 is the deletion mark
  std::vector<std::string> memos;
  for (std::size_t at = kHeaderSize; at + kDescriptorSize <= header_length; at += kDescriptorSize) {
    if (bytes[at] == kDescriptorsEnd) break;
    const std::string_view raw_name = bytes.substr(at, 11);
    ImportField field;
    field.name =
        std::string(trim_field(raw_name.substr(0, std::min<std::size_t>(10, raw_name.find('\0')))));
    const char type = bytes[at + 11];
    field.start = start;
    field.length = static_cast<int>(byte_at(bytes, at + 16));
    start += field.length;
    const std::string place = "field " + std::to_string((at - kHeaderSize) / kDescriptorSize + 1);
    if (field.name.empty()) throw ImportError(file_name, place, "the field has no name");
    switch (type) {
      case 'C':
        field.kind = FieldKind::text;
        break;
      case 'N':
      case 'F':
        field.kind = FieldKind::number;
        break;
      case 'D':
        field.kind = FieldKind::date;
        break;
      case 'L':
        field.kind = FieldKind::logical;
        break;
      default:
        // Memos and the binary types of later versions: their text is not in these bytes.
        memos.push_back(field.name + " (type " +
                        (type >= ' ' && type <= '~'
                             ? std::string(1, type)
                             : "byte " + std::to_string(byte_at(bytes, at + 11))) +
                        ")");
        continue;
    }
    header.fields.push_back(std::move(field));
  }
  if (header.record_length < 1 || start - 1 > header.record_length) {
    throw ImportError(file_name, "header",
                      "the fields take " + std::to_string(start - 1) +
                          " bytes, more than the record length " +
                          std::to_string(header.record_length));
  }
  if (header.fields.empty() && memos.empty()) {
    throw ImportError(file_name, "header", "the header describes no field");
  }
  if (!memos.empty()) {
    std::string names;
    for (const std::string& name : memos) names += (names.empty() ? "" : ", ") + name;
    header.notes.push_back(
        {"memo and binary fields are not imported (their text is not in the table): " + names,
         true});
  }
  header.data_offset = header_length;
  return header;
}

RecordsRead read_dbase_records(std::string_view bytes, const ImportHeader& header,
                               const std::string& file_name, const RecordSink& take) {
  (void)file_name;  // every record that is there can be read; a cut file is a note
  RecordsRead read;
  const auto length = static_cast<std::size_t>(header.record_length);
  std::vector<std::string> texts(header.fields.size());
  std::size_t at = header.data_offset;
  std::int64_t beyond_count = 0;  // whole records after those the header announces
  for (std::int64_t number = 1;; ++number, at += length) {
    if (number > header.record_count) {
      // A header whose count fell behind its records (a program that appended without
      // updating it) must not cost the records after the count: every whole record that
      // follows, starting with a deletion mark, is read too.
      if (length == 0 || at + length > bytes.size() ||
          (bytes[at] != ' ' && bytes[at] != kDeletedMark)) {
        break;
      }
      ++beyond_count;
    }
    const bool nothing_left =
        at >= bytes.size() || (bytes[at] == kEndOfFile && at + 1 == bytes.size());
    if (nothing_left || at + length > bytes.size()) {
      read.notes.push_back(
          {nothing_left ? "the file ends after record " + std::to_string(number - 1) + " of the " +
                              std::to_string(header.record_count) + " its header announces"
                        : "the file ends inside " + record_place(number) + " of the " +
                              std::to_string(header.record_count) +
                              " its header announces; the whole records before it were read",
           true});
      return read;
    }
    const std::string_view record = bytes.substr(at, length);
    if (record[0] == kDeletedMark) {
      ++read.deleted;
      continue;
    }
    for (std::size_t f = 0; f < header.fields.size(); ++f) {
      const ImportField& field = header.fields[f];
      texts[f] = std::string(trim_field(record.substr(static_cast<std::size_t>(field.start - 1),
                                                      static_cast<std::size_t>(field.length))));
    }
    ++read.kept;
    if (!take(texts)) break;
  }
  if (beyond_count > 0) {
    read.notes.push_back({"the header announces " + std::to_string(header.record_count) +
                              " records, but " + std::to_string(beyond_count) +
                              " more follow; they were read too",
                          false});
  }
  return read;
}

}  // namespace olvar::formats
