#pragma once
// dBase III and IV tables (".dbf"), little-endian binary:
//   header bytes 4-7 the number of records, 8-9 the header length, 10-11 the record length;
//   from byte 32 one 32-byte descriptor per field (name in bytes 0-10 up to a zero byte, type
//   in byte 11, length in byte 16), closed by the byte 0x0D;
//   records from the header length on, each led by its deletion mark (" ", or "*" when deleted),
//   the fields side by side; the file may end with the byte 0x1A.
// Field types: C text, N and F numbers, D dates (eight digits, year month day), L logicals, M
// memos (a block number in a separate ".dbt" file, whose text this file does not hold).

#include <string>
#include <string_view>

#include "formats/import_file.h"

namespace olvar::formats {

ImportHeader read_dbase_header(std::string_view bytes, const std::string& file_name);
RecordsRead read_dbase_records(std::string_view bytes, const ImportHeader& header,
                               const std::string& file_name, const RecordSink& take);

}  // namespace olvar::formats
