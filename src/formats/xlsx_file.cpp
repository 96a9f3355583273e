#include "formats/xlsx_file.h"

#include <expat.h>
#include <zip.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "core/date_text.h"
#include "core/foreign_date.h"
#include "core/windows1252.h"

namespace olvar::formats {

namespace {

// Parts larger than this are refused rather than unpacked: a sheet of 65,535 rows of 255 cells
// stays far below it, a zip bomb does not.
constexpr zip_uint64_t kLargestPart = 512ull * 1024 * 1024;

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

Archive open_archive(std::string_view bytes, const std::string& file_name) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  if (source == nullptr) {
    zip_error_fini(&error);
    throw ImportError(file_name, "archive", "the spreadsheet cannot be opened");
  }
  zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
  zip_error_fini(&error);
  if (archive == nullptr) {
    zip_source_free(source);
    throw ImportError(file_name, "archive",
                      "the file is no XLSX spreadsheet (not a readable zip archive)");
  }
  return Archive(archive);
}

// The bytes of one part of the archive; nullopt when the archive has no such part.
std::optional<std::string> read_part(zip_t* archive, const std::string& name,
                                     const std::string& file_name) {
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat(archive, name.c_str(), 0, &stat) != 0) return std::nullopt;
  if ((stat.valid & ZIP_STAT_SIZE) == 0 || stat.size > kLargestPart) {
    throw ImportError(file_name, name, "the part is too large to be a survey sheet");
  }
  zip_file_t* file = zip_fopen(archive, name.c_str(), 0);
  if (file == nullptr) throw ImportError(file_name, name, "the part cannot be unpacked");
  std::string part(static_cast<std::size_t>(stat.size), '\0');
  const zip_int64_t read = zip_fread(file, part.data(), stat.size);
  zip_fclose(file);
  if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size) {
    throw ImportError(file_name, name, "the part cannot be unpacked (damaged archive)");
  }
  return part;
}

// An element name without its namespace prefix ("x:row" -> "row").
std::string_view local_name(const XML_Char* name) {
  std::string_view n(name);
  const std::size_t colon = n.rfind(':');
  return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

std::string attribute(const XML_Char** attributes, std::string_view wanted) {
  for (int i = 0; attributes[i] != nullptr; i += 2) {
    if (local_name(attributes[i]) == wanted) return attributes[i + 1];
  }
  return {};
}

// Runs expat over a part with a handler object that has start(name, attributes), end(name)
// and text(chars).
template <typename Handler>
void parse_xml(const std::string& xml, Handler& handler, const std::string& file_name,
               const std::string& part) {
  XML_Parser parser = XML_ParserCreate(nullptr);
  if (parser == nullptr) throw ImportError(file_name, part, "out of memory");
  XML_SetUserData(parser, &handler);
  XML_SetElementHandler(
      parser,
      [](void* data, const XML_Char* name, const XML_Char** attributes) {
        static_cast<Handler*>(data)->start(local_name(name), attributes);
      },
      [](void* data, const XML_Char* name) { static_cast<Handler*>(data)->end(local_name(name)); });
  XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char* chars, int length) {
    static_cast<Handler*>(data)->text(std::string_view(chars, static_cast<std::size_t>(length)));
  });
  const bool ok = XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 1) != XML_STATUS_ERROR;
  std::string problem;
  if (!ok) {
    problem = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
              std::to_string(XML_GetCurrentLineNumber(parser));
  }
  XML_ParserFree(parser);
  if (!ok) throw ImportError(file_name, part, "damaged XML: " + problem);
}

struct SheetEntry {
  std::string name;
  std::string relation;  // r:id
};

struct WorkbookHandler {
  std::vector<SheetEntry> sheets;
  void start(std::string_view name, const XML_Char** attributes) {
    if (name == "sheet") sheets.push_back({attribute(attributes, "name"), attribute(attributes, "id")});
  }
  void end(std::string_view) {}
  void text(std::string_view) {}
};

struct RelationsHandler {
  std::map<std::string, std::string> target_of;
  void start(std::string_view name, const XML_Char** attributes) {
    if (name == "Relationship") {
      target_of[attribute(attributes, "Id")] = attribute(attributes, "Target");
    }
  }
  void end(std::string_view) {}
  void text(std::string_view) {}
};

// Shared strings: the text runs of each <si>, phonetic runs (<rPh>) left out.
struct SharedStringsHandler {
  std::vector<std::string> strings;
  int phonetic = 0;
  bool in_text = false;
  void start(std::string_view name, const XML_Char**) {
    if (name == "si") strings.emplace_back();
    if (name == "rPh") ++phonetic;
    if (name == "t") in_text = phonetic == 0 && !strings.empty();
  }
  void end(std::string_view name) {
    if (name == "rPh") --phonetic;
    if (name == "t") in_text = false;
  }
  void text(std::string_view chars) {
    if (in_text) strings.back() += chars;
  }
};

// Whether a number format shows a date: the built-in date formats, or a format code with a day,
// month or year outside quotes and brackets (a month "m" next to "h" or "s" is a minute).
bool is_date_format_code(std::string_view code) {
  bool date = false;
  bool quoted = false;
  int bracket = 0;
  for (std::size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\\' || c == '_' || c == '*') {
      ++i;
      continue;
    }
    if (c == '[') ++bracket;
    if (c == ']' && bracket > 0) --bracket;
    if (bracket > 0) continue;
    if (c == 'd' || c == 'D' || c == 'y' || c == 'Y') date = true;
    if (c == 'm' || c == 'M') {
      const std::string_view around = code.substr(i > 2 ? i - 2 : 0, 5);
      if (around.find_first_of("hHsS") == std::string_view::npos) date = true;
    }
  }
  return date;
}

bool is_builtin_date_format(int id) {
  return (id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58);
}

struct StylesHandler {
  std::map<int, bool> custom_is_date;
  std::vector<bool> style_is_date;  // per cell style (cellXfs entry)
  bool in_cell_styles = false;
  void start(std::string_view name, const XML_Char** attributes) {
    if (name == "numFmt") {
      custom_is_date[std::atoi(attribute(attributes, "numFmtId").c_str())] =
          is_date_format_code(attribute(attributes, "formatCode"));
    }
    if (name == "cellXfs") in_cell_styles = true;
    if (name == "xf" && in_cell_styles) {
      const int id = std::atoi(attribute(attributes, "numFmtId").c_str());
      const auto custom = custom_is_date.find(id);
      style_is_date.push_back(custom != custom_is_date.end() ? custom->second
                                                             : is_builtin_date_format(id));
    }
  }
  void end(std::string_view name) {
    if (name == "cellXfs") in_cell_styles = false;
  }
  void text(std::string_view) {}
};

// The 0-based column of a cell reference ("C7" -> 2); -1 when it has none.
int column_of_reference(std::string_view reference) {
  int column = 0;
  std::size_t i = 0;
  for (; i < reference.size() && reference[i] >= 'A' && reference[i] <= 'Z'; ++i) {
    column = column * 26 + (reference[i] - 'A' + 1);
    if (column > 16384) return -1;
  }
  return i == 0 ? -1 : column - 1;
}

// A stored number as a cell text: at most 15 significant digits, no exponent for the usual
// magnitudes, no trailing zeros.
std::string number_text(std::string_view stored) {
  char* end = nullptr;
  const std::string copy(stored);
  const double value = std::strtod(copy.c_str(), &end);
  if (end == copy.c_str() || *end != '\0' || !std::isfinite(value)) return copy;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  return buffer;
}

std::string serial_date_text(std::string_view stored) {
  const std::string copy(stored);
  char* end = nullptr;
  const double serial = std::strtod(copy.c_str(), &end);
  const std::optional<int> day = core::day_number_of_serial(serial);
  if (end == copy.c_str() || !day) return number_text(stored);
  const core::CivilDate date = core::civil_date_of(*day);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", date.year, date.month, date.day);
  return buffer;
}

// The rows of a sheet as UTF-8 texts, row after row as the sheet holds them; rows the sheet
// skips come as empty rows.
struct SheetHandler {
  SheetHandler(const std::vector<std::string>& shared_strings, const std::vector<bool>& date_styles)
      : shared(shared_strings), date_style(date_styles) {}
  const std::vector<std::string>& shared;
  const std::vector<bool>& date_style;
  std::vector<std::vector<std::string>> rows;
  bool bad_shared = false;

  int row_number = 0;  // 1-based, of the row being read
  int column = 0;
  std::string type;
  int style = -1;
  std::string value;
  bool in_value = false, in_inline = false;
  std::string inline_text;

  void start(std::string_view name, const XML_Char** attributes) {
    if (name == "row") {
      const std::string r = attribute(attributes, "r");
      const int number = r.empty() ? row_number + 1 : std::atoi(r.c_str());
      // Rows come in order; a row number out of order or absurd is read as the next row.
      row_number = number > row_number && number <= 1048576 ? number : row_number + 1;
      while (static_cast<int>(rows.size()) < row_number) rows.emplace_back();
      column = 0;
    } else if (name == "c") {
      const int c = column_of_reference(attribute(attributes, "r"));
      column = c >= 0 ? c : column;
      type = attribute(attributes, "t");
      const std::string s = attribute(attributes, "s");
      style = s.empty() ? -1 : std::atoi(s.c_str());
      value.clear();
      inline_text.clear();
    } else if (name == "v") {
      in_value = true;
    } else if (name == "is") {
      in_inline = true;
    }
  }
  void end(std::string_view name) {
    if (name == "v") in_value = false;
    if (name == "is") in_inline = false;
    if (name != "c" || rows.empty()) return;
    std::string text;
    if (type == "s") {
      const long index = value.empty() ? -1 : std::atol(value.c_str());
      if (index >= 0 && index < static_cast<long>(shared.size())) {
        text = shared[static_cast<std::size_t>(index)];
      } else {
        bad_shared = true;
      }
    } else if (type == "inlineStr") {
      text = inline_text;
    } else if (type == "str" || type == "e" || type == "b") {
      text = value;
    } else if (!value.empty()) {
      const bool date = style >= 0 && style < static_cast<int>(date_style.size()) &&
                        date_style[static_cast<std::size_t>(style)];
      text = date ? serial_date_text(value) : number_text(value);
    }
    std::vector<std::string>& row = rows.back();
    if (!text.empty()) {
      if (static_cast<int>(row.size()) <= column) row.resize(static_cast<std::size_t>(column) + 1);
      row[static_cast<std::size_t>(column)] = std::move(text);
    }
    ++column;
  }
  void text(std::string_view chars) {
    if (in_value) value += chars;
    if (in_inline) inline_text += chars;
  }
};

std::string part_path(const std::string& target) {
  // Targets are relative to xl/ or absolute from the root of the package.
  if (!target.empty() && target.front() == '/') return target.substr(1);
  return "xl/" + target;
}

std::vector<SheetEntry> sheets_of(zip_t* archive, const std::string& file_name) {
  const std::optional<std::string> workbook = read_part(archive, "xl/workbook.xml", file_name);
  if (!workbook) {
    throw ImportError(file_name, "archive",
                      "the file is no XLSX spreadsheet (it has no xl/workbook.xml)");
  }
  WorkbookHandler handler;
  parse_xml(*workbook, handler, file_name, "xl/workbook.xml");
  if (handler.sheets.empty()) throw ImportError(file_name, "xl/workbook.xml", "the workbook has no sheet");
  return handler.sheets;
}

struct SheetTable {
  std::string sheet;
  std::vector<std::vector<std::string>> rows;  // Windows-1252
  std::size_t unmapped = 0;
};

SheetTable read_sheet(std::string_view bytes, const std::string& file_name,
                      std::string_view wanted) {
  const Archive archive = open_archive(bytes, file_name);
  const std::vector<SheetEntry> sheets = sheets_of(archive.get(), file_name);
  const SheetEntry* chosen = &sheets.front();
  if (!wanted.empty()) {
    chosen = nullptr;
    for (const SheetEntry& s : sheets) {
      if (s.name == wanted) chosen = &s;
    }
    if (chosen == nullptr) {
      std::string names;
      for (const SheetEntry& s : sheets) names += (names.empty() ? "" : ", ") + s.name;
      throw ImportError(file_name, "workbook",
                        "there is no sheet \"" + std::string(wanted) + "\"; the sheets are " + names);
    }
  }
  RelationsHandler relations;
  if (const auto rels = read_part(archive.get(), "xl/_rels/workbook.xml.rels", file_name)) {
    parse_xml(*rels, relations, file_name, "xl/_rels/workbook.xml.rels");
  }
  const auto target = relations.target_of.find(chosen->relation);
  const std::string sheet_part =
      target != relations.target_of.end()
          ? part_path(target->second)
          : "xl/worksheets/sheet" +
                std::to_string(static_cast<int>(chosen - sheets.data()) + 1) + ".xml";

  SharedStringsHandler shared;
  if (const auto part = read_part(archive.get(), "xl/sharedStrings.xml", file_name)) {
    parse_xml(*part, shared, file_name, "xl/sharedStrings.xml");
  }
  StylesHandler styles;
  if (const auto part = read_part(archive.get(), "xl/styles.xml", file_name)) {
    parse_xml(*part, styles, file_name, "xl/styles.xml");
  }
  const std::optional<std::string> sheet_xml = read_part(archive.get(), sheet_part, file_name);
  if (!sheet_xml) throw ImportError(file_name, sheet_part, "the sheet is missing from the archive");
  SheetHandler sheet(shared.strings, styles.style_is_date);
  parse_xml(*sheet_xml, sheet, file_name, sheet_part);
  if (sheet.bad_shared) {
    throw ImportError(file_name, sheet_part, "a cell names a shared string that does not exist");
  }

  SheetTable table;
  table.sheet = chosen->name;
  table.rows.reserve(sheet.rows.size());
  for (std::vector<std::string>& row : sheet.rows) {
    for (std::string& cell : row) {
      cell = core::utf8_to_windows1252(cell, &table.unmapped);
    }
    table.rows.push_back(std::move(row));
  }
  return table;
}

bool is_blank(const std::vector<std::string>& row) {
  for (const std::string& cell : row) {
    if (!trim_field(cell).empty()) return false;
  }
  return true;
}

std::string row_place(std::size_t index) { return "row " + std::to_string(index + 1); }

}  // namespace

std::vector<std::string> xlsx_sheet_names(std::string_view bytes, const std::string& file_name) {
  const Archive archive = open_archive(bytes, file_name);
  std::vector<std::string> names;
  for (const SheetEntry& s : sheets_of(archive.get(), file_name)) {
    names.push_back(core::utf8_to_windows1252(s.name));
  }
  return names;
}

ImportHeader read_xlsx_header(std::string_view bytes, const std::string& file_name,
                              std::string_view sheet) {
  const SheetTable table = read_sheet(bytes, file_name, core::windows1252_to_utf8(sheet));
  ImportHeader header;
  header.format = ImportFormat::xlsx;
  header.sheet = core::utf8_to_windows1252(table.sheet);
  std::size_t first = 0;
  while (first < table.rows.size() && is_blank(table.rows[first])) ++first;
  if (first == table.rows.size()) {
    throw ImportError(file_name, "sheet " + header.sheet,
                      "the sheet has no row naming its fields");
  }
  const std::vector<std::string>& names = table.rows[first];
  std::size_t count = names.size();
  while (count > 0 && trim_field(names[count - 1]).empty()) --count;
  for (std::size_t k = 0; k < count; ++k) {
    ImportField field;
    field.name = std::string(trim_field(names[k]));
    if (field.name.empty()) field.name = "FIELD" + std::to_string(k + 1);
    header.fields.push_back(std::move(field));
  }
  header.first_data_line = static_cast<int>(first) + 2;
  return header;
}

RecordsRead read_xlsx_records(std::string_view bytes, const ImportHeader& header,
                              const std::string& file_name, const RecordSink& take) {
  const SheetTable table = read_sheet(bytes, file_name, core::windows1252_to_utf8(header.sheet));
  RecordsRead read;
  std::vector<std::string> texts(header.fields.size());
  std::int64_t longer = 0;
  std::size_t first_longer = 0;
  for (std::size_t r = static_cast<std::size_t>(std::max(header.first_data_line - 1, 0));
       r < table.rows.size(); ++r) {
    const std::vector<std::string>& row = table.rows[r];
    if (is_blank(row)) continue;
    bool lost = false;
    for (std::size_t k = header.fields.size(); k < row.size(); ++k) {
      lost = lost || !trim_field(row[k]).empty();
    }
    if (lost && longer++ == 0) first_longer = r;
    for (std::size_t f = 0; f < texts.size(); ++f) {
      texts[f] = f < row.size() ? std::string(trim_field(row[f])) : std::string();
    }
    ++read.kept;
    if (!take(texts)) break;
  }
  if (longer > 0) {
    read.notes.push_back({std::to_string(longer) +
                              " rows have values in columns without a name (the first in " +
                              row_place(first_longer) + "); those values were not imported",
                          true});
  }
  if (table.unmapped > 0) {
    read.notes.push_back({std::to_string(table.unmapped) +
                              " characters have no Windows-1252 form and were imported as \"?\"",
                          true});
  }
  return read;
}

}  // namespace olvar::formats
