#pragma once
// A data file of another program, read for import into a survey: its fields in file order and,
// one after the other, its records as the texts of those fields. Three kinds are read:
//   - Epi Info 6 data files (".rec"): a header of field descriptions, then fixed-width records
//     written in lines of at most 78 characters, each line closed by an end marker;
//   - dBase III and IV tables (".dbf"): a binary header of 32-byte field descriptors, then
//     fixed-width records, each led by its deletion mark;
//   - delimited text (".csv", ".tsv", ...): a header line naming the fields, then one record per
//     line, as spreadsheets and the data-collection apps of phones write it.
// Reading never depends on anything above core, so that the libFuzzer targets need nothing else.
//
//   const ImportHeader header = read_import_header(bytes, import_format_of(name), name);
//   read_import_records(bytes, header, name, [&](const std::vector<std::string>& texts) {...});

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace olvar::formats {

enum class ImportFormat { epi_info, dbase, delimited, xlsx };

// The format a file name stands for: ".rec" Epi Info, ".dbf" dBase, ".xlsx" spreadsheet (in any
// case), anything else delimited text.
ImportFormat import_format_of(std::string_view file_name);

// What a field holds, as far as the file itself says (only dBase says it).
enum class FieldKind { text, number, date, logical };

struct ImportField {
  std::string name;  // as the file writes it
  int start = 1;     // fixed-width files: 1-based position of the field in the record
  int length = 0;    // fixed-width files: characters of the field
  FieldKind kind = FieldKind::text;
};

// Something of the file that was not imported as it stands. `data_lost` says that values of the
// file are missing from the survey (a cut file, memo fields, fields beyond the table); records
// the file marks as deleted are left out on purpose and lose nothing.
struct ImportNote {
  std::string message;  // English, for the command-line tool, logs and tests
  bool data_lost = false;
};

// A file that cannot be imported: its message names the file and the line, record or header
// part concerned ("survey.rec, line 4: ..."). Nothing of it reaches the survey.
class ImportError : public std::runtime_error {
 public:
  ImportError(const std::string& file, const std::string& place, const std::string& what)
      : std::runtime_error(file + ", " + place + ": " + what) {}
  explicit ImportError(const std::string& message) : std::runtime_error(message) {}
};

// The header of a file and how its records are laid out.
struct ImportHeader {
  ImportFormat format = ImportFormat::delimited;
  std::vector<ImportField> fields;  // the fields offered for import, in file order
  std::vector<ImportNote> notes;    // fields the header names but that cannot be imported
  std::size_t data_offset = 0;      // byte where the first record starts
  int first_data_line = 1;          // Epi Info, delimited: 1-based line of the first record
  int record_length = 0;            // dBase: bytes of a record with its deletion mark;
                                    // Epi Info: the total of all field lengths
  std::int64_t record_count = 0;    // dBase: the records the header announces
  char separator = ',';             // delimited: ',', ';' or TAB
  bool utf8 = false;                // delimited: UTF-8 text, converted to Windows-1252
  std::string sheet;                // xlsx: the sheet read (its first row names the fields)
};

// What reading the records met besides the records themselves.
struct RecordsRead {
  std::int64_t kept = 0;     // records handed on
  std::int64_t deleted = 0;  // records the file marks as deleted, left out
  std::vector<ImportNote> notes;
};

// Receives the texts of one record, one per field of the header in the same order, blanks
// removed on both sides. Returns false to stop reading (the survey is full).
using RecordSink = std::function<bool(const std::vector<std::string>& texts)>;

// Reads the header. Throws ImportError when the file is cut inside its header or the header is
// not one of its format (nothing is imported then). `sheet` names the sheet of a spreadsheet
// (the first when empty); the other formats have none.
ImportHeader read_import_header(std::string_view bytes, ImportFormat format,
                                const std::string& file_name, std::string_view sheet = {});

// Reads the records after the header, handing each record kept to `take`. Records marked deleted
// are left out. A file cut inside a record keeps the whole records before it and says so in a
// note (data lost). Throws ImportError for a record that is not of the format; the caller then
// drops whatever it took.
RecordsRead read_import_records(std::string_view bytes, const ImportHeader& header,
                                const std::string& file_name, const RecordSink& take);

// Blanks (and the zero bytes some dBase writers pad with) removed on both sides.
std::string_view trim_field(std::string_view text);

}  // namespace olvar::formats
