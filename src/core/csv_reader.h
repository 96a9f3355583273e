#pragma once
// Reading comma-separated text one record at a time, as spreadsheets write it: a field in double
// quotes may hold separators, line breaks and doubled quotes (""); records end at LF, CR LF or a
// lone CR; a UTF-8 byte order mark before the first record is skipped. The input is read in
// blocks, so a file of any size runs in constant memory.
//
// Debian's C CSV library was considered; it reports no line numbers and has seen no release for
// a decade, so this is a small state machine of its own, fuzzed (tests/fuzz/csv_reader_fuzz.cpp).

#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace olvar::core {

// A record that is not well formed: a quoted field not closed before the end of the input, or
// text after the closing quote of a field. `line()` is the 1-based line where the record starts.
class CsvError : public std::runtime_error {
 public:
  CsvError(int line, const std::string& what);
  int line() const { return line_; }

 private:
  int line_;
};

class CsvReader {
 public:
  explicit CsvReader(std::istream& in, char separator = ',');
  // A reader of a piece of a larger input that begins at a record starting on `first_line`:
  // no byte order mark is looked for, and errors name the lines of the whole input.
  static CsvReader continuing(std::istream& in, char separator, int first_line);

  // Reads the next record into `fields` (quotes removed, doubled quotes made single). Returns
  // false at the end of the input. An empty line is a record with one empty field. Throws
  // CsvError for a malformed record and std::runtime_error when the input cannot be read.
  bool next(std::vector<std::string>& fields);

  // The record just read as it stands in the input, without its line end: what a tool that
  // passes records through writes back.
  std::string_view raw() const { return raw_; }
  // The 1-based line where the record just read starts.
  int line() const { return record_line_; }
  // The line where the next record starts, and the bytes already taken from the stream but not
  // yet read: where a reader of the rest of the input carries on.
  int next_line() const { return line_; }
  std::string_view unread() const { return std::string_view(block_.data() + at_, filled_ - at_); }

 private:
  int get();   // the next byte, or -1 at the end
  int peek();  // the same without taking it

  std::istream& in_;
  char separator_;
  std::vector<char> block_;
  std::size_t at_ = 0;
  std::size_t filled_ = 0;
  bool started_ = false;
  int line_ = 1;
  int record_line_ = 0;
  std::string raw_;
};

// `text` as one CSV field: quoted (with doubled quotes) when it holds the separator, a quote or
// a line break.
std::string csv_field(std::string_view text, char separator = ',');

}  // namespace olvar::core
