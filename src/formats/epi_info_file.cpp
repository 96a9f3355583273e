#include "formats/epi_info_file.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace olvar::formats {

namespace {

// The lines of a text one after the other (LF, CR LF or a lone CR end a line).
class LineCursor {
 public:
  explicit LineCursor(std::string_view bytes, std::size_t offset = 0, int line = 0)
      : bytes_(bytes), at_(offset), line_(line) {}

  bool at_end() const { return at_ >= bytes_.size(); }
  std::size_t offset() const { return at_; }
  int line() const { return line_; }  // 1-based number of the line last taken
  // Whether the line last taken was closed by a line end (and not cut by the end of the file).
  bool ended() const { return ended_; }

  std::string_view next() {
    const std::size_t start = at_;
    std::size_t end = start;
    while (end < bytes_.size() && bytes_[end] != '\n' && bytes_[end] != '\r') ++end;
    at_ = end;
    ended_ = at_ < bytes_.size();
    if (at_ < bytes_.size() && bytes_[at_] == '\r') ++at_;
    if (ended_ && at_ < bytes_.size() && bytes_[at_] == '\n' &&
        (at_ == end || bytes_[at_ - 1] == '\r')) {
      ++at_;
    }
    ++line_;
    return bytes_.substr(start, end - start);
  }

 private:
  std::string_view bytes_;
  std::size_t at_;
  int line_;
  bool ended_ = false;
};

std::optional<long> whole_number(std::string_view text) {
  text = trim_field(text);
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
  return value;
}

std::string line_place(int line) { return "line " + std::to_string(line); }

// The end of the file: nothing left but empty lines and the end-of-file byte 0x1A.
bool only_end_of_file_left(std::string_view rest) {
  return std::all_of(rest.begin(), rest.end(),
                     [](char c) { return c == '\r' || c == '\n' || c == '\x1A'; });
}

}  // namespace

ImportHeader read_epi_info_header(std::string_view bytes, const std::string& file_name) {
  ImportHeader header;
  header.format = ImportFormat::epi_info;
  LineCursor lines(bytes);
  if (lines.at_end()) throw ImportError(file_name, line_place(1), "the file is empty");
  const std::string_view first = trim_field(lines.next());
  const std::optional<long> count = whole_number(first.substr(0, first.find(' ')));
  if (!count || *count < 1) {
    throw ImportError(file_name, line_place(1),
                      "the first line does not begin with the number of fields (\"" +
                          std::string(first.substr(0, 40)) + "\")");
  }
  std::int64_t total = 0;
  std::vector<std::string> left_out;
  for (long k = 0; k < *count; ++k) {
    if (lines.at_end()) {
      throw ImportError(file_name, line_place(lines.line() + 1),
                        "the file ends inside its header: " + std::to_string(*count) +
                            " fields announced, " + std::to_string(k) + " described");
    }
    const std::string_view line = lines.next();
    // Every header line ends with CR LF: one without it was cut (before the records).
    if (!lines.ended()) {
      throw ImportError(file_name, line_place(lines.line()), "the file ends inside its header");
    }
    if (line.size() < 40) {
      throw ImportError(file_name, line_place(lines.line()),
                        "a field description has fewer than 40 characters");
    }
    ImportField field;
    field.name = std::string(trim_field(line.substr(1, 12)));
    // The length stands right-aligned in characters 37 to 40; texts of up to 80 characters
    // need only the last two, but a wider number is read whole.
    const std::optional<long> length = whole_number(line.substr(36, 4));
    if (!length || *length < 0) {
      throw ImportError(file_name, line_place(lines.line()),
                        "the field length in characters 37 to 40 is not a number (\"" +
                            std::string(line.substr(36, 4)) + "\")");
    }
    if (field.name.empty()) {
      throw ImportError(file_name, line_place(lines.line()), "a field has no name");
    }
    field.start = static_cast<int>(total + 1);
    field.length = static_cast<int>(*length);
    total += *length;
    if (total > 1'000'000) {
      throw ImportError(file_name, line_place(lines.line()),
                        "the fields are longer than a record can be");
    }
    if (static_cast<int>(header.fields.size()) < kMaxEpiInfoFields) {
      header.fields.push_back(std::move(field));
    } else {
      left_out.push_back(std::move(field.name));
    }
  }
  if (!left_out.empty()) {
    std::string names;
    for (const std::string& name : left_out) names += (names.empty() ? "" : ", ") + name;
    header.notes.push_back({"the file has " + std::to_string(*count) + " fields; only the first " +
                                std::to_string(kMaxEpiInfoFields) + " are imported, not " + names,
                            true});
  }
  header.record_length = static_cast<int>(total);
  header.data_offset = lines.offset();
  header.first_data_line = lines.line() + 1;
  return header;
}

RecordsRead read_epi_info_records(std::string_view bytes, const ImportHeader& header,
                                  const std::string& file_name, const RecordSink& take) {
  RecordsRead read;
  const int total = header.record_length;
  // The real line length: 78 characters and the end marker (not 80 per line).
  const int lines_per_record = std::max(1, (total + kEpiInfoLineLength - 1) / kEpiInfoLineLength);
  LineCursor lines(bytes, header.data_offset, header.first_data_line - 1);
  std::string record;
  std::vector<std::string> texts(header.fields.size());
  std::int64_t number = 0;  // of the record being read, 1-based
  while (!lines.at_end()) {
    if (only_end_of_file_left(bytes.substr(lines.offset()))) break;
    ++number;
    record.clear();
    bool deleted = false;
    const int first_line = lines.line() + 1;
    for (int part = 0; part < lines_per_record; ++part) {
      const int wanted = std::min(kEpiInfoLineLength, total - part * kEpiInfoLineLength);
      const bool file_ends = lines.at_end() || only_end_of_file_left(bytes.substr(lines.offset()));
      const std::string_view line = file_ends ? std::string_view() : lines.next();
      const bool last = file_ends || only_end_of_file_left(bytes.substr(lines.offset()));
      if (file_ends || (static_cast<int>(line.size()) < wanted && last)) {
        read.notes.push_back({"the file ends inside record " + std::to_string(number) + " (line " +
                                  std::to_string(first_line) + "); the " +
                                  std::to_string(read.kept + read.deleted) +
                                  " whole records before it were read",
                              true});
        return read;
      }
      if (static_cast<int>(line.size()) < wanted) {
        throw ImportError(file_name, line_place(lines.line()),
                          "record " + std::to_string(number) + " has " +
                              std::to_string(line.size()) + " characters on this line where " +
                              "the field lengths give " + std::to_string(wanted));
      }
      record.append(line.substr(0, static_cast<std::size_t>(wanted)));
      if (static_cast<int>(line.size()) > wanted && line[static_cast<std::size_t>(wanted)] == '?') {
        deleted = true;
      }
    }
    if (deleted) {
      ++read.deleted;
      continue;
    }
    const std::string_view whole(record);
    for (std::size_t f = 0; f < header.fields.size(); ++f) {
      const ImportField& field = header.fields[f];
      texts[f] = std::string(trim_field(whole.substr(static_cast<std::size_t>(field.start - 1),
                                                     static_cast<std::size_t>(field.length))));
    }
    ++read.kept;
    if (!take(texts)) break;
  }
  return read;
}

}  // namespace olvar::formats
