#pragma once
// Delimited text as spreadsheets and the data-collection apps of phones export it: a header line
// naming the fields, then one record per line, fields separated by ",", ";" or TAB (whichever
// the header line uses most), quoted as core/csv_reader.h reads them. UTF-8 text (with or
// without a byte order mark) is converted to Windows-1252, the code page of every cell; a file
// that is not UTF-8 is taken as Windows-1252 already.

#include <string>
#include <string_view>

#include "formats/import_file.h"

namespace olvar::formats {

ImportHeader read_delimited_header(std::string_view bytes, const std::string& file_name);
RecordsRead read_delimited_records(std::string_view bytes, const ImportHeader& header,
                                   const std::string& file_name, const RecordSink& take);

}  // namespace olvar::formats
