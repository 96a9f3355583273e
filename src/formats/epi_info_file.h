#pragma once
// Epi Info 6 data files (".rec"). The first line gives the number of fields (the text before its
// first blank); each of the next lines describes one field: its name in characters 2 to 13, its
// length in the number that ends at character 40. Then come the records: the fields of a record
// side by side, written in lines of at most 78 characters, each line closed by an end marker
// ("!", or "?" when the record is deleted). A record of 100 characters thus takes two lines, of
// 78 and 22 characters. Epi Info may close the file with the byte 0x1A.

#include <string>
#include <string_view>

#include "formats/import_file.h"

namespace olvar::formats {

// At most this many fields are taken from an Epi Info file; the others are left out (a note).
inline constexpr int kMaxEpiInfoFields = 240;
// Characters of a record on one line, before the end marker.
inline constexpr int kEpiInfoLineLength = 78;

ImportHeader read_epi_info_header(std::string_view bytes, const std::string& file_name);
RecordsRead read_epi_info_records(std::string_view bytes, const ImportHeader& header,
                                  const std::string& file_name, const RecordSink& take);

}  // namespace olvar::formats
