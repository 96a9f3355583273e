#include "formats/import_file.h"

#include <algorithm>
#include <cctype>

#include "formats/dbase_file.h"
#include "formats/delimited_file.h"
#include "formats/epi_info_file.h"
#include "formats/xlsx_file.h"

namespace olvar::formats {

ImportFormat import_format_of(std::string_view file_name) {
  const std::size_t dot = file_name.rfind('.');
  std::string extension(dot == std::string_view::npos ? std::string_view() : file_name.substr(dot));
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".rec") return ImportFormat::epi_info;
  if (extension == ".dbf") return ImportFormat::dbase;
  if (extension == ".xlsx") return ImportFormat::xlsx;
  return ImportFormat::delimited;
}

std::string_view trim_field(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\0' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

ImportHeader read_import_header(std::string_view bytes, ImportFormat format,
                                const std::string& file_name, std::string_view sheet) {
  switch (format) {
    case ImportFormat::xlsx:
      return read_xlsx_header(bytes, file_name, sheet);
    case ImportFormat::epi_info:
      return read_epi_info_header(bytes, file_name);
    case ImportFormat::dbase:
      return read_dbase_header(bytes, file_name);
    case ImportFormat::delimited:
      break;
  }
  return read_delimited_header(bytes, file_name);
}

RecordsRead read_import_records(std::string_view bytes, const ImportHeader& header,
                                const std::string& file_name, const RecordSink& take) {
  switch (header.format) {
    case ImportFormat::xlsx:
      return read_xlsx_records(bytes, header, file_name, take);
    case ImportFormat::epi_info:
      return read_epi_info_records(bytes, header, file_name, take);
    case ImportFormat::dbase:
      return read_dbase_records(bytes, header, file_name, take);
    case ImportFormat::delimited:
      break;
  }
  return read_delimited_records(bytes, header, file_name, take);
}

}  // namespace olvar::formats
