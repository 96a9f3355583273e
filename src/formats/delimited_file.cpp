#include "formats/delimited_file.h"

#include <array>
#include <sstream>

#include "core/csv_reader.h"
#include "core/windows1252.h"

namespace olvar::formats {

namespace {

// The separator the first line uses most, outside quotes: ",", ";" or TAB ("," when none).
char sniff_separator(std::string_view bytes) {
  std::array<int, 3> counts{};
  constexpr std::array<char, 3> kSeparators = {',', ';', '\t'};
  bool quoted = false;
  for (const char c : bytes) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\n' || c == '\r') break;
    for (std::size_t k = 0; k < kSeparators.size(); ++k) counts[k] += c == kSeparators[k];
  }
  std::size_t best = 0;
  for (std::size_t k = 1; k < counts.size(); ++k) {
    if (counts[k] > counts[best]) best = k;
  }
  return kSeparators[best];
}

std::string cell_text(std::string_view field, bool utf8, std::size_t& unmapped) {
  const std::string_view trimmed = trim_field(field);
  return utf8 ? core::utf8_to_windows1252(trimmed, &unmapped) : std::string(trimmed);
}

std::string line_place(int line) { return "line " + std::to_string(line); }

bool is_blank_record(const std::vector<std::string>& fields) {
  for (const std::string& field : fields) {
    if (!trim_field(field).empty()) return false;
  }
  return true;
}

// What CsvReader says after its "line N: ".
std::string csv_problem(const core::CsvError& e) {
  const std::string what = e.what();
  const std::size_t colon = what.find(": ");
  return colon == std::string::npos ? what : what.substr(colon + 2);
}

// Reads the header line (blank lines before it name nothing) into `names`; false for a file
// without one.
bool read_header_line(core::CsvReader& reader, std::vector<std::string>& names) {
  do {
    if (!reader.next(names)) return false;
  } while (is_blank_record(names));
  return true;
}

}  // namespace

ImportHeader read_delimited_header(std::string_view bytes, const std::string& file_name) {
  ImportHeader header;
  header.format = ImportFormat::delimited;
  // A spreadsheet or a database chosen by mistake would import as rows of garbage.
  if (bytes.substr(0, 4096).find('\0') != std::string_view::npos) {
    throw ImportError(file_name, line_place(1),
                      "the file holds binary data, not text: save it as CSV (comma-separated) "
                      "text first");
  }
  header.utf8 = core::is_utf8(bytes);
  header.separator = sniff_separator(bytes);
  std::istringstream in{std::string(bytes)};
  core::CsvReader reader(in, header.separator);
  std::vector<std::string> names;
  try {
    if (!read_header_line(reader, names)) {
      throw ImportError(file_name, line_place(1), "the file has no header line naming its fields");
    }
  } catch (const core::CsvError& e) {
    throw ImportError(file_name, line_place(e.line()), csv_problem(e));
  }
  std::size_t unmapped = 0;
  for (std::size_t k = 0; k < names.size(); ++k) {
    ImportField field;
    field.name = cell_text(names[k], header.utf8, unmapped);
    // A column without a heading is still data; it is named after its place.
    if (field.name.empty()) field.name = "FIELD" + std::to_string(k + 1);
    header.fields.push_back(std::move(field));
  }
  if (unmapped > 0) {
    header.notes.push_back({"the field names hold " + std::to_string(unmapped) +
                                " characters without a Windows-1252 form, written \"?\"",
                            true});
  }
  // Trailing separators on the header line name nothing.
  while (header.fields.size() > 1 && trim_field(names[header.fields.size() - 1]).empty()) {
    header.fields.pop_back();
  }
  header.first_data_line = reader.next_line();
  return header;
}

RecordsRead read_delimited_records(std::string_view bytes, const ImportHeader& header,
                                   const std::string& file_name, const RecordSink& take) {
  RecordsRead read;
  std::istringstream in{std::string(bytes)};
  core::CsvReader reader(in, header.separator);
  std::vector<std::string> fields;
  std::vector<std::string> texts(header.fields.size());
  std::size_t unmapped = 0;
  std::int64_t longer = 0;
  int first_longer_line = 0;
  // A last record without a line end that has fewer fields than the header names was cut by the
  // end of the file (a download or a copy that stopped): it is left out, as a cut record of the
  // other formats is, and the note says so.
  const bool ends_open = !bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r';
  try {
    read_header_line(reader, fields);
    std::vector<std::string> following;
    bool more = reader.next(fields);
    while (more) {
      const int line = reader.line();
      more = reader.next(following);  // one record ahead, to know which one is the last
      if (!is_blank_record(fields)) {
        if (!more && ends_open && fields.size() < header.fields.size()) {
          read.notes.push_back({"the file ends inside the record on line " +
                                    std::to_string(line) + " (" + std::to_string(fields.size()) +
                                    " of " + std::to_string(header.fields.size()) +
                                    " fields, no line end); the " + std::to_string(read.kept) +
                                    " whole records before it were read",
                                true});
          break;
        }
        bool lost = false;
        for (std::size_t k = header.fields.size(); k < fields.size(); ++k) {
          lost = lost || !trim_field(fields[k]).empty();
        }
        if (lost && longer++ == 0) first_longer_line = line;
        for (std::size_t f = 0; f < texts.size(); ++f) {
          texts[f] =
              f < fields.size() ? cell_text(fields[f], header.utf8, unmapped) : std::string();
        }
        ++read.kept;
        if (!take(texts)) break;
      }
      fields.swap(following);
    }
  } catch (const core::CsvError& e) {
    throw ImportError(file_name, line_place(e.line()), csv_problem(e));
  }
  if (longer > 0) {
    read.notes.push_back({std::to_string(longer) + " records have more fields than the header " +
                              "line names (the first on line " + std::to_string(first_longer_line) +
                              "); the values without a name were not imported",
                          true});
  }
  if (unmapped > 0) {
    read.notes.push_back({std::to_string(unmapped) +
                              " characters have no Windows-1252 form and were imported as \"?\"",
                          true});
  }
  return read;
}

}  // namespace olvar::formats
