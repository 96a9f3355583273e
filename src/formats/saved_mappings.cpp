#include "formats/saved_mappings.h"

#include <algorithm>
#include <charconv>

namespace olvar::formats {

namespace {

std::vector<std::string_view> split(std::string_view line, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = line.find(separator, start);
    parts.push_back(line.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

std::optional<int> whole_number(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::vector<std::string> names_of(const std::vector<ImportField>& fields) {
  std::vector<std::string> names;
  names.reserve(fields.size());
  for (const ImportField& field : fields) names.push_back(field.name);
  return names;
}

int target_slot(core::StdVar variable) {
  return static_cast<int>(std::find(kImportTargets.begin(), kImportTargets.end(), variable) -
                          kImportTargets.begin());
}

}  // namespace

SavedMappings SavedMappings::parse(std::string_view text) {
  SavedMappings saved;
  for (std::string_view line : split(text, '\n')) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::vector<std::string_view> parts = split(line, '\t');
    const std::optional<int> count = whole_number(parts[0]);
    if (!count || *count < 1 || static_cast<std::size_t>(*count) + 2 > parts.size()) continue;
    const auto n = static_cast<std::size_t>(*count);
    Entry entry;
    entry.fields.assign(parts.begin() + 1, parts.begin() + 1 + static_cast<std::ptrdiff_t>(n));
    entry.mapping.file_order = core::order_from_code(parts[n + 1]);
    if (entry.mapping.file_order == core::DateOrder::unknown) continue;
    bool sound = true;
    for (std::size_t k = n + 2; k < parts.size() && sound; ++k) {
      const std::size_t equals = parts[k].find('=');
      const std::optional<core::StdVar> target =
          equals == std::string_view::npos ? std::nullopt
                                           : import_target_named(parts[k].substr(0, equals));
      const std::optional<int> field =
          equals == std::string_view::npos ? std::nullopt : whole_number(parts[k].substr(equals + 1));
      sound = target && field && *field >= 1 && *field <= *count;
      if (sound) {
        entry.mapping.field_of_target[static_cast<std::size_t>(target_slot(*target))] = *field - 1;
      }
    }
    if (!sound) continue;
    const auto same = std::find_if(saved.entries_.begin(), saved.entries_.end(),
                                   [&](const Entry& e) { return e.fields == entry.fields; });
    if (same != saved.entries_.end()) saved.entries_.erase(same);
    saved.entries_.push_back(std::move(entry));
  }
  return saved;
}

std::string SavedMappings::text() const {
  std::string text;
  for (const Entry& entry : entries_) {
    text += std::to_string(entry.fields.size());
    for (const std::string& name : entry.fields) text += "\t" + name;
    text += "\t" + std::string(core::order_code(entry.mapping.file_order));
    for (int t = 0; t < kImportTargetCount; ++t) {
      const int field = entry.mapping.field_of_target[static_cast<std::size_t>(t)];
      if (field < 0) continue;
      text += "\t" + std::string(core::header_text(kImportTargets[static_cast<std::size_t>(t)])) +
              "=" + std::to_string(field + 1);
    }
    text += "\n";
  }
  return text;
}

std::optional<ImportMapping> SavedMappings::find(const std::vector<ImportField>& fields) const {
  const std::vector<std::string> names = names_of(fields);
  for (const Entry& entry : entries_) {
    if (entry.fields == names) return entry.mapping;
  }
  return std::nullopt;
}

bool SavedMappings::put(const std::vector<ImportField>& fields, const ImportMapping& mapping) {
  std::vector<std::string> names = names_of(fields);
  if (names.empty()) return false;
  for (const std::string& name : names) {
    if (name.find_first_of("\t\r\n") != std::string::npos) return false;
  }
  const auto same = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const Entry& e) { return e.fields == names; });
  if (same != entries_.end()) entries_.erase(same);
  ImportMapping kept = mapping;
  if (kept.file_order == core::DateOrder::unknown) kept.file_order = core::DateOrder::dmy;
  entries_.push_back({std::move(names), kept});
  return true;
}

}  // namespace olvar::formats
