#pragma once
// The settings record: the options kept between runs, in the file "winpellan.ini". The file holds
// two identical copies of a 4,783-byte record (9,566 bytes). A companion program shares the file
// and keeps its own options in the bytes this program does not use, so the record read from disk
// is kept whole and only the known fields are written over it: every other byte goes back exactly
// as it came.
//
// Layout: little-endian integers and floats, single-byte characters, string[n] = one length byte
// followed by n bytes of text (Windows-1252 on Windows, the path bytes as they are here).
//
// Call order at start-up: read_settings_file(); when it reports `replaced`, write the defaults
// with write_settings_file() and install the file association.

#include <array>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/flag_parameters.h"
#include "platform/program_search.h"

namespace olvar::core {

inline constexpr std::size_t kSettingsRecordSize = 4783;
inline constexpr std::size_t kSettingsFileSize = 2 * kSettingsRecordSize;
inline constexpr std::string_view kSettingsFileName = "winpellan.ini";

// Offsets of the fields from the record start, and the capacity of each string[n].
namespace settings_offset {
inline constexpr std::size_t last_folder = 0;       // string[80]
inline constexpr std::size_t recent_file_1 = 2650;  // string[120], then 2771, 2892, 3013
inline constexpr std::size_t recent_file_step = 121;
inline constexpr std::size_t office_program = 3134;       // string[2]
inline constexpr std::size_t word_processor_path = 3137;  // string[80]
inline constexpr std::size_t relay_text = 3653;           // string[80]
inline constexpr std::size_t relay_option = 3734;         // char
inline constexpr std::size_t second_relay_option = 3735;  // char
inline constexpr std::size_t autofill_id = 4474;          // u8; then HH, CLUSTER, TEAM, SURVDATE
inline constexpr std::size_t oedema_coding = 4479;        // char
inline constexpr std::size_t age_entry = 4480;            // char
inline constexpr std::size_t age_groups = 4481;           // 10 x i32
inline constexpr std::size_t mortality_bounds = 4529;     // 12 x i32
inline constexpr std::size_t oedema_correction = 4577;    // char
inline constexpr std::size_t clothes_weight_g = 4578;     // i32
inline constexpr std::size_t pull_down_entry = 4582;      // u8
inline constexpr std::size_t exclusion_mode = 4584;       // char
inline constexpr std::size_t reference = 4585;            // char
inline constexpr std::size_t restrict_age = 4586;         // u8
inline constexpr std::size_t restrict_height = 4587;      // u8
inline constexpr std::size_t age_from = 4588;             // f32, then age_to, height_from, _to
inline constexpr std::size_t show_extra_columns = 4693;   // u8
inline constexpr std::size_t muac1 = 4694;                // i32
inline constexpr std::size_t muac2 = 4698;                // i32
}  // namespace settings_offset

inline constexpr std::size_t kFolderCapacity = 80;
inline constexpr std::size_t kRecentFileCapacity = 120;
inline constexpr std::size_t kOfficeProgramCapacity = 2;
inline constexpr std::size_t kPathCapacity = 80;

inline constexpr char kReferenceWho = 'W';
inline constexpr char kReferenceNchs = 'N';

struct SettingsRecord {
  std::string last_folder;  // start folder of the open dialog
  std::array<std::string, 4> recent_files;
  std::string office_program = "ww";  // "ww" Microsoft Office, "oo" OpenOffice / LibreOffice
  std::string word_processor_path;
  std::string relay_text;
  char relay_option = 'n';
  char second_relay_option = ' ';
  bool autofill_id = true;
  bool autofill_hh = true;
  bool autofill_cluster = true;
  bool autofill_team = true;
  bool autofill_survdate = true;
  char oedema_coding = 'y';  // 'y' for y/n, ' ' for 0,1,2,3
  char age_entry = 'b';      // 'b' by date of birth, ' ' by months
  std::array<std::int32_t, 10> age_groups{6, 17, 18, 29, 30, 41, 42, 53, 54, 59};  // months
  std::array<std::int32_t, 12> mortality_bounds{0, 4, 5, 11, 12, 17, 18, 49, 50, 64, 65, 120};
  char oedema_correction = 'n';  // 'y' on, 'n' off
  std::int32_t clothes_weight_g = 0;
  bool pull_down_entry = false;
  char exclusion_mode = exclusion_mode_code(kDefaultExclusionMode);  // 'v', 'p' or 'n'
  char reference = kReferenceWho;
  bool restrict_age = false;
  bool restrict_height = false;
  float age_from = 6.0f;
  float age_to = 59.99f;
  float height_from = 67.0f;
  float height_to = 110.0f;
  bool show_extra_columns = false;
  std::int32_t muac1 = 115;  // mm, severe
  std::int32_t muac2 = 125;  // mm, moderate

  // The whole record as last read (zeros for a new record): the bytes under the fields above are
  // overwritten when the record is written, all others are written back unchanged.
  std::string raw = std::string(kSettingsRecordSize, '\0');

  friend bool operator==(const SettingsRecord&, const SettingsRecord&) = default;
};

// Every field back to its default; the last folder, the recent files and the companion's bytes
// are kept (the options reset).
void reset_to_defaults(SettingsRecord& record);

// The default office program: the search for "winword.exe", which finds nothing on Linux, and
// then LibreOffice, so that a first start here gets a word processor that exists. Leaves the
// record unchanged when neither is found.
void choose_default_office_program(SettingsRecord& record, const platform::ProgramSearch& search);

// The record of `bytes` (exactly kSettingsRecordSize of them). A length byte beyond the capacity
// of its string is read as the capacity.
SettingsRecord decode_settings_record(std::string_view bytes);
// The 4,783 bytes of the record. A text longer than its field is written as an empty field:
// cut short, a path would name another file or folder.
std::string encode_settings_record(const SettingsRecord& record);
// The whole file: the record twice.
std::string settings_file_bytes(const SettingsRecord& record);

// Where the settings file is read from and written to: in the writable data folder (the program
// folder itself when this user may write there). When that folder has no settings file yet, the
// one in the program folder is read, so an installation may ship one.
struct SettingsLocation {
  std::filesystem::path read_from;
  std::filesystem::path write_to;
};
SettingsLocation settings_location(const std::filesystem::path& program_folder,
                                   const std::filesystem::path& writable_folder);

struct SettingsRead {
  SettingsRecord record;
  // The file was missing, could not be read or did not hold exactly two records: the record is
  // the defaults (without the office program search) and must be written.
  bool replaced = false;
};
// Reads the first of the two records. Never throws: a missing or damaged file gives defaults.
SettingsRead read_settings_file(const std::filesystem::path& file);

class SettingsFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// Writes the whole file through "<file>.tmp" and a rename, so that a failed write leaves the old
// file in place. Creates the folder when missing. Throws SettingsFileError saying what failed.
void write_settings_file(const std::filesystem::path& file, const SettingsRecord& record);

}  // namespace olvar::core
