#include "core/settings_record.h"

#include "platform/safe_write.h"

#include <algorithm>
#include <bit>
#include <fstream>
#include <iterator>
#include <system_error>

namespace olvar::core {
namespace fs = std::filesystem;
namespace off = settings_offset;

namespace {

std::uint8_t byte_at(std::string_view bytes, std::size_t offset) {
  return static_cast<std::uint8_t>(bytes[offset]);
}

std::uint32_t u32_at(std::string_view bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(byte_at(bytes, offset)) |
         static_cast<std::uint32_t>(byte_at(bytes, offset + 1)) << 8 |
         static_cast<std::uint32_t>(byte_at(bytes, offset + 2)) << 16 |
         static_cast<std::uint32_t>(byte_at(bytes, offset + 3)) << 24;
}

std::int32_t i32_at(std::string_view bytes, std::size_t offset) {
  return static_cast<std::int32_t>(u32_at(bytes, offset));
}

float f32_at(std::string_view bytes, std::size_t offset) {
  return std::bit_cast<float>(u32_at(bytes, offset));
}

std::string text_at(std::string_view bytes, std::size_t offset, std::size_t capacity) {
  std::size_t length = byte_at(bytes, offset);
  if (length > capacity) length = capacity;
  return std::string(bytes.substr(offset + 1, length));
}

void put_u32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFFu);
  }
}

void put_i32(std::string& bytes, std::size_t offset, std::int32_t value) {
  put_u32(bytes, offset, static_cast<std::uint32_t>(value));
}

void put_f32(std::string& bytes, std::size_t offset, float value) {
  put_u32(bytes, offset, std::bit_cast<std::uint32_t>(value));
}

// A switch read as "not 0" keeps its byte when it has not changed, so that a file written by the
// companion with another true value comes back byte for byte.
void put_switch(std::string& bytes, std::size_t offset, bool on) {
  if ((bytes[offset] != '\0') != on) bytes[offset] = on ? '\1' : '\0';
}

// The bytes after the text within the field's capacity are left as they were: Pascal strings do
// not clear them, and the companion may read the file as it wrote it.
void put_text(std::string& bytes, std::size_t offset, std::size_t capacity, std::string_view text) {
  // An unchanged text keeps its bytes, even a length byte beyond the capacity.
  if (text_at(bytes, offset, capacity) == text) return;
  if (text.size() > capacity) text = {};
  bytes[offset] = static_cast<char>(text.size());
  std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset + 1));
}

}  // namespace

void reset_to_defaults(SettingsRecord& record) {
  SettingsRecord fresh;
  fresh.last_folder = std::move(record.last_folder);
  fresh.recent_files = std::move(record.recent_files);
  fresh.raw = std::move(record.raw);
  record = std::move(fresh);
}

void choose_default_office_program(SettingsRecord& record, const platform::ProgramSearch& search) {
  if (std::string word = platform::FindProgramFile("winword.exe", search); !word.empty()) {
    record.office_program = "ww";
    record.word_processor_path = word;
    return;
  }
  if (std::string writer = platform::find_libreoffice(search).word_processor(); !writer.empty()) {
    record.office_program = "oo";
    record.word_processor_path = writer;
  }
}

SettingsRecord decode_settings_record(std::string_view bytes) {
  SettingsRecord r;
  if (bytes.size() != kSettingsRecordSize) return r;
  r.raw = std::string(bytes);
  r.last_folder = text_at(bytes, off::last_folder, kFolderCapacity);
  for (std::size_t i = 0; i < r.recent_files.size(); ++i) {
    r.recent_files[i] =
        text_at(bytes, off::recent_file_1 + i * off::recent_file_step, kRecentFileCapacity);
  }
  r.office_program = text_at(bytes, off::office_program, kOfficeProgramCapacity);
  r.word_processor_path = text_at(bytes, off::word_processor_path, kPathCapacity);
  r.relay_text = text_at(bytes, off::relay_text, kPathCapacity);
  r.relay_option = bytes[off::relay_option];
  r.second_relay_option = bytes[off::second_relay_option];
  r.autofill_id = byte_at(bytes, off::autofill_id) != 0;
  r.autofill_hh = byte_at(bytes, off::autofill_id + 1) != 0;
  r.autofill_cluster = byte_at(bytes, off::autofill_id + 2) != 0;
  r.autofill_team = byte_at(bytes, off::autofill_id + 3) != 0;
  r.autofill_survdate = byte_at(bytes, off::autofill_id + 4) != 0;
  r.oedema_coding = bytes[off::oedema_coding];
  r.age_entry = bytes[off::age_entry];
  for (std::size_t i = 0; i < r.age_groups.size(); ++i) {
    r.age_groups[i] = i32_at(bytes, off::age_groups + 4 * i);
  }
  for (std::size_t i = 0; i < r.mortality_bounds.size(); ++i) {
    r.mortality_bounds[i] = i32_at(bytes, off::mortality_bounds + 4 * i);
  }
  r.oedema_correction = bytes[off::oedema_correction];
  r.clothes_weight_g = i32_at(bytes, off::clothes_weight_g);
  r.pull_down_entry = byte_at(bytes, off::pull_down_entry) != 0;
  r.exclusion_mode = bytes[off::exclusion_mode];
  r.reference = bytes[off::reference];
  r.restrict_age = byte_at(bytes, off::restrict_age) != 0;
  r.restrict_height = byte_at(bytes, off::restrict_height) != 0;
  r.age_from = f32_at(bytes, off::age_from);
  r.age_to = f32_at(bytes, off::age_from + 4);
  r.height_from = f32_at(bytes, off::age_from + 8);
  r.height_to = f32_at(bytes, off::age_from + 12);
  r.show_extra_columns = byte_at(bytes, off::show_extra_columns) != 0;
  r.muac1 = i32_at(bytes, off::muac1);
  r.muac2 = i32_at(bytes, off::muac2);
  return r;
}

std::string encode_settings_record(const SettingsRecord& r) {
  std::string b = r.raw;
  b.resize(kSettingsRecordSize, '\0');
  put_text(b, off::last_folder, kFolderCapacity, r.last_folder);
  for (std::size_t i = 0; i < r.recent_files.size(); ++i) {
    put_text(b, off::recent_file_1 + i * off::recent_file_step, kRecentFileCapacity,
             r.recent_files[i]);
  }
  put_text(b, off::office_program, kOfficeProgramCapacity, r.office_program);
  put_text(b, off::word_processor_path, kPathCapacity, r.word_processor_path);
  put_text(b, off::relay_text, kPathCapacity, r.relay_text);
  b[off::relay_option] = r.relay_option;
  b[off::second_relay_option] = r.second_relay_option;
  put_switch(b, off::autofill_id, r.autofill_id);
  put_switch(b, off::autofill_id + 1, r.autofill_hh);
  put_switch(b, off::autofill_id + 2, r.autofill_cluster);
  put_switch(b, off::autofill_id + 3, r.autofill_team);
  put_switch(b, off::autofill_id + 4, r.autofill_survdate);
  b[off::oedema_coding] = r.oedema_coding;
  b[off::age_entry] = r.age_entry;
  for (std::size_t i = 0; i < r.age_groups.size(); ++i) {
    put_i32(b, off::age_groups + 4 * i, r.age_groups[i]);
  }
  for (std::size_t i = 0; i < r.mortality_bounds.size(); ++i) {
    put_i32(b, off::mortality_bounds + 4 * i, r.mortality_bounds[i]);
  }
  b[off::oedema_correction] = r.oedema_correction;
  put_i32(b, off::clothes_weight_g, r.clothes_weight_g);
  put_switch(b, off::pull_down_entry, r.pull_down_entry);
  b[off::exclusion_mode] = r.exclusion_mode;
  b[off::reference] = r.reference;
  put_switch(b, off::restrict_age, r.restrict_age);
  put_switch(b, off::restrict_height, r.restrict_height);
  put_f32(b, off::age_from, r.age_from);
  put_f32(b, off::age_from + 4, r.age_to);
  put_f32(b, off::age_from + 8, r.height_from);
  put_f32(b, off::age_from + 12, r.height_to);
  put_switch(b, off::show_extra_columns, r.show_extra_columns);
  put_i32(b, off::muac1, r.muac1);
  put_i32(b, off::muac2, r.muac2);
  return b;
}

std::string settings_file_bytes(const SettingsRecord& record) {
  const std::string one = encode_settings_record(record);
  return one + one;
}

SettingsLocation settings_location(const fs::path& program_folder,
                                   const fs::path& writable_folder) {
  SettingsLocation location;
  location.write_to = writable_folder / kSettingsFileName;
  std::error_code ec;
  location.read_from =
      fs::exists(location.write_to, ec) ? location.write_to : program_folder / kSettingsFileName;
  return location;
}

SettingsRead read_settings_file(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {SettingsRecord{}, true};
  // One byte more than a good file holds, so that a longer file shows as damaged.
  std::string bytes(kSettingsFileSize + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (bytes.size() != kSettingsFileSize) return {SettingsRecord{}, true};
  return {decode_settings_record(std::string_view(bytes).substr(0, kSettingsRecordSize)), false};
}

void write_settings_file(const fs::path& file, const SettingsRecord& record) {
  std::error_code ec;
  if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
  try {
    platform::write_file_safely(file, settings_file_bytes(record));
  } catch (const platform::WriteFailure& e) {
    throw SettingsFileError(e.what());
  }
}

}  // namespace olvar::core
