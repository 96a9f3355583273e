#include "core/csv_reader.h"

namespace olvar::core {

namespace {
constexpr std::size_t kBlockSize = 1 << 16;
}

CsvError::CsvError(int line, const std::string& what)
    : std::runtime_error("line " + std::to_string(line) + ": " + what), line_(line) {}

CsvReader::CsvReader(std::istream& in, char separator)
    : in_(in), separator_(separator), block_(kBlockSize) {}

CsvReader CsvReader::continuing(std::istream& in, char separator, int first_line) {
  CsvReader reader(in, separator);
  reader.started_ = true;
  reader.line_ = first_line;
  return reader;
}

int CsvReader::peek() {
  if (at_ == filled_) {
    if (!in_.good()) return -1;
    in_.read(block_.data(), static_cast<std::streamsize>(block_.size()));
    filled_ = static_cast<std::size_t>(in_.gcount());
    at_ = 0;
    if (in_.bad()) throw std::runtime_error("the input could not be read to its end");
    if (filled_ == 0) return -1;
  }
  return static_cast<unsigned char>(block_[at_]);
}

int CsvReader::get() {
  const int c = peek();
  if (c >= 0) ++at_;
  return c;
}

bool CsvReader::next(std::vector<std::string>& fields) {
  if (!started_) {
    started_ = true;
    // Spreadsheets saving "CSV UTF-8" put a byte order mark first; it is no part of a name.
    static constexpr unsigned char kBom[] = {0xEF, 0xBB, 0xBF};
    std::size_t matched = 0;
    while (matched < 3 && peek() == kBom[matched]) {
      get();
      ++matched;
    }
    if (matched != 0 && matched != 3) {
      // Not a byte order mark after all: the bytes belong to the first field.
      raw_.assign(reinterpret_cast<const char*>(kBom), matched);
    } else {
      raw_.clear();
    }
  } else {
    raw_.clear();
  }
  fields.clear();
  if (peek() < 0 && raw_.empty()) return false;
  record_line_ = line_;

  std::string field = raw_;  // the start of a false byte order mark, if any
  bool quoted = false;       // inside a quoted field
  bool was_quoted = false;   // the field began with a quote (its closing quote was seen)
  for (;;) {
    if (!quoted && !was_quoted && peek() >= 0) {
      // Plain text up to the next separator, quote or line end is taken in one piece: most
      // fields are nothing else, and a file of a million records is read byte by byte otherwise.
      const char* const first = block_.data() + at_;
      const char* const last = block_.data() + filled_;
      const char* end = first;
      while (end != last && *end != separator_ && *end != '"' && *end != '\n' && *end != '\r') {
        ++end;
      }
      if (end != first) {
        raw_.append(first, end);
        field.append(first, end);
        at_ += static_cast<std::size_t>(end - first);
        continue;
      }
    }
    const int c = get();
    if (c < 0) {
      if (quoted) throw CsvError(record_line_, "a quoted field is not closed");
      fields.push_back(std::move(field));
      return true;
    }
    const char byte = static_cast<char>(c);
    if (quoted) {
      raw_ += byte;
      if (byte == '"') {
        if (peek() == '"') {
          raw_ += static_cast<char>(get());
          field += '"';
        } else {
          quoted = false;
          was_quoted = true;
        }
        continue;
      }
      if (byte == '\n' || (byte == '\r' && peek() != '\n')) ++line_;
      field += byte;
      continue;
    }
    if (byte == '\r' || byte == '\n') {
      if (byte == '\r' && peek() == '\n') get();
      ++line_;
      fields.push_back(std::move(field));
      return true;
    }
    if (byte == separator_) {
      raw_ += byte;
      fields.push_back(std::move(field));
      field.clear();
      was_quoted = false;
      continue;
    }
    raw_ += byte;
    if (was_quoted) {
      throw CsvError(record_line_, "text after the closing quote of a field");
    }
    if (byte == '"' && field.empty()) {
      quoted = true;
      continue;
    }
    // A quote inside an unquoted field (5'3") is kept as it stands.
    field += byte;
  }
}

std::string csv_field(std::string_view text, char separator) {
  if (text.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string_view::npos) {
    return std::string(text);
  }
  std::string quoted = "\"";
  for (const char c : text) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  quoted += '"';
  return quoted;
}

}  // namespace olvar::core
