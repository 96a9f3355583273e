#pragma once
// Mappings of import files saved by the user, offered again for a file with the same fields:
// teams export the same form day after day, and the mapping of its columns is made once.
// They are kept in one text file in the program's writable folder, a line per mapping:
//   N TAB field 1 TAB ... TAB field N TAB date order TAB TARGET=field number TAB ...
// (field numbers from 1; the date order "dmy", "mdy" or "ymd"). Field names are Windows-1252
// like every cell. A newer mapping for the same fields replaces the older one.
//
//   SavedMappings saved = SavedMappings::parse(text);
//   if (auto m = saved.find(header.fields)) mapping = *m;
//   saved.put(header.fields, mapping);
//   platform::write_file_safely(file, saved.text());

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/survey_import.h"

namespace olvar::formats {

inline constexpr std::string_view kSavedMappingsFile = "import_mappings.txt";

class SavedMappings {
 public:
  // Lines that are not mappings (damaged, cut) are left out.
  static SavedMappings parse(std::string_view text);
  std::string text() const;

  // The mapping saved for exactly these field names, in this order.
  std::optional<ImportMapping> find(const std::vector<ImportField>& fields) const;
  // Keeps `mapping` for these fields, replacing one saved before. A field name holding a TAB or
  // a line end cannot be written on one line: false, and nothing is kept.
  bool put(const std::vector<ImportField>& fields, const ImportMapping& mapping);
  std::size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    std::vector<std::string> fields;
    ImportMapping mapping;
  };
  std::vector<Entry> entries_;
};

}  // namespace olvar::formats
