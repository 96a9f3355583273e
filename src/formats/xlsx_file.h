#pragma once
// Spreadsheets in the Office Open XML form (".xlsx"), the default export of the phone
// data-collection tools: one sheet read as a table, its first non-empty row naming the fields
// and each following row one record. The archive is opened with libzip and its XML parts read
// with expat, both maintained libraries of Debian's archive. Shared and inline strings are
// UTF-8 and become Windows-1252; numbers keep the digits the sheet stores (at most 15
// significant ones, so that 0.1 + 0.2 reads "0.3"); a number shown with a date format is a
// serial day and becomes the date "yyyy-mm-dd".

#include <string>
#include <string_view>
#include <vector>

#include "formats/import_file.h"

namespace olvar::formats {

// The names of the sheets in workbook order.
std::vector<std::string> xlsx_sheet_names(std::string_view bytes, const std::string& file_name);

ImportHeader read_xlsx_header(std::string_view bytes, const std::string& file_name,
                              std::string_view sheet);
RecordsRead read_xlsx_records(std::string_view bytes, const ImportHeader& header,
                              const std::string& file_name, const RecordSink& take);

}  // namespace olvar::formats
