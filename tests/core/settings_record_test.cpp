#include "core/settings_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/temp_folder.h"

namespace olvar::core {
namespace {
namespace fs = std::filesystem;

// Offsets and values below are taken from the record's published layout, not from the header's
// constants, so that a shifted constant shows.
std::uint8_t u8(const std::string& b, std::size_t at) { return static_cast<std::uint8_t>(b[at]); }
std::int32_t i32(const std::string& b, std::size_t at) {
  return static_cast<std::int32_t>(u8(b, at) | u8(b, at + 1) << 8 | u8(b, at + 2) << 16 |
                                   static_cast<std::uint32_t>(u8(b, at + 3)) << 24);
}
std::string text(const std::string& b, std::size_t at) { return b.substr(at + 1, u8(b, at)); }

using test::read_file;
using test::TempFolder;

void write_all(const fs::path& p, const std::string& bytes) { test::write_file_for(p, bytes); }

TEST(SettingsRecord, DefaultsSitAtTheirOffsets) {
  const std::string b = encode_settings_record(SettingsRecord{});
  ASSERT_EQ(b.size(), 4783u);
  EXPECT_EQ(u8(b, 0), 0);  // last folder empty
  for (std::size_t at : {2650u, 2771u, 2892u, 3013u}) EXPECT_EQ(u8(b, at), 0) << at;
  EXPECT_EQ(text(b, 3134), "ww");
  EXPECT_EQ(u8(b, 3137), 0);
  EXPECT_EQ(u8(b, 3653), 0);
  EXPECT_EQ(b[3734], 'n');
  EXPECT_EQ(b[3735], ' ');
  for (std::size_t at = 4474; at <= 4478; ++at) EXPECT_EQ(u8(b, at), 1) << at;
  EXPECT_EQ(b[4479], 'y');
  EXPECT_EQ(b[4480], 'b');
  const int groups[] = {6, 17, 18, 29, 30, 41, 42, 53, 54, 59};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(i32(b, 4481 + 4 * i), groups[i]) << i;
  const int bounds[] = {0, 4, 5, 11, 12, 17, 18, 49, 50, 64, 65, 120};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(i32(b, 4529 + 4 * i), bounds[i]) << i;
  EXPECT_EQ(b[4577], 'n');
  EXPECT_EQ(i32(b, 4578), 0);
  EXPECT_EQ(u8(b, 4582), 0);
  EXPECT_EQ(b[4584], 'n');
  EXPECT_EQ(b[4585], 'W');
  EXPECT_EQ(u8(b, 4586), 0);
  EXPECT_EQ(u8(b, 4587), 0);
  // IEEE single precision, little-endian: 6 = 0x40C00000, 59.99 = 0x426FF5C3, 67 = 0x42860000,
  // 110 = 0x42DC0000.
  EXPECT_EQ(static_cast<std::uint32_t>(i32(b, 4588)), 0x40C00000u);
  EXPECT_EQ(static_cast<std::uint32_t>(i32(b, 4592)), 0x426FF5C3u);
  EXPECT_EQ(static_cast<std::uint32_t>(i32(b, 4596)), 0x42860000u);
  EXPECT_EQ(static_cast<std::uint32_t>(i32(b, 4600)), 0x42DC0000u);
  EXPECT_EQ(u8(b, 4693), 0);
  EXPECT_EQ(i32(b, 4694), 115);
  EXPECT_EQ(i32(b, 4698), 125);
  // A new record holds zeros in the companion's bytes.
  EXPECT_EQ(u8(b, 81), 0);
  EXPECT_EQ(u8(b, 4583), 0);
  EXPECT_EQ(u8(b, 4782), 0);
}

TEST(SettingsRecord, ChangedFieldsLandAtTheirOffsets) {
  SettingsRecord r;
  r.last_folder = "/home/ana/surveys";
  r.recent_files = {"/a/one.as", "/b/two.as", "", "/d/four.as"};
  r.office_program = "oo";
  r.word_processor_path = "/usr/bin/soffice";
  r.autofill_team = false;
  r.oedema_coding = ' ';
  r.age_entry = ' ';
  r.age_groups[9] = 60;
  r.mortality_bounds[11] = 99;
  r.clothes_weight_g = -250;
  r.pull_down_entry = true;
  r.exclusion_mode = 'p';
  r.reference = 'N';
  r.restrict_height = true;
  r.age_to = 0.5f;  // 0x3F000000
  r.show_extra_columns = true;
  r.muac1 = 110;
  const std::string b = encode_settings_record(r);
  EXPECT_EQ(text(b, 0), "/home/ana/surveys");
  EXPECT_EQ(text(b, 2650), "/a/one.as");
  EXPECT_EQ(text(b, 2771), "/b/two.as");
  EXPECT_EQ(text(b, 2892), "");
  EXPECT_EQ(text(b, 3013), "/d/four.as");
  EXPECT_EQ(text(b, 3134), "oo");
  EXPECT_EQ(text(b, 3137), "/usr/bin/soffice");
  EXPECT_EQ(u8(b, 4477), 0);
  EXPECT_EQ(u8(b, 4476), 1);
  EXPECT_EQ(b[4479], ' ');
  EXPECT_EQ(b[4480], ' ');
  EXPECT_EQ(i32(b, 4517), 60);
  EXPECT_EQ(i32(b, 4573), 99);
  EXPECT_EQ(i32(b, 4578), -250);  // 0xFFFFFF06
  EXPECT_EQ(u8(b, 4578), 0x06);
  EXPECT_EQ(u8(b, 4582), 1);
  EXPECT_EQ(b[4584], 'p');
  EXPECT_EQ(b[4585], 'N');
  EXPECT_EQ(u8(b, 4587), 1);
  EXPECT_EQ(static_cast<std::uint32_t>(i32(b, 4592)), 0x3F000000u);
  EXPECT_EQ(u8(b, 4693), 1);
  EXPECT_EQ(i32(b, 4694), 110);

  const SettingsRecord back = decode_settings_record(b);
  EXPECT_EQ(back.last_folder, r.last_folder);
  EXPECT_EQ(back.recent_files, r.recent_files);
  EXPECT_EQ(back.word_processor_path, r.word_processor_path);
  EXPECT_FALSE(back.autofill_team);
  EXPECT_EQ(back.age_groups, r.age_groups);
  EXPECT_EQ(back.mortality_bounds, r.mortality_bounds);
  EXPECT_EQ(back.clothes_weight_g, -250);
  EXPECT_EQ(back.age_to, 0.5f);
  EXPECT_EQ(back.muac1, 110);
  EXPECT_EQ(encode_settings_record(back), b);
}

TEST(SettingsRecord, CompanionBytesComeBackExactly) {
  // A record as the companion program may leave it: every byte set to a pattern.
  std::string bytes(4783, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7 + 3) & 0xFF);
  bytes[0] = 5;  // a last folder of five characters, then left-over bytes of an older text
  bytes[3134] = 2;
  bytes[3134 + 1] = 'o';
  bytes[3134 + 2] = 'o';
  SettingsRecord r = decode_settings_record(bytes);
  EXPECT_TRUE(encode_settings_record(r) == bytes) << "unchanged record written back differently";

  r.muac2 = 130;
  r.recent_files[0] = "x.as";
  const std::string changed = encode_settings_record(r);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const bool in_muac2 = i >= 4698 && i < 4702;
    const bool in_recent_1 = i >= 2650 && i <= 2650 + 4;
    if (!in_muac2 && !in_recent_1) {
      ASSERT_EQ(changed[i], bytes[i]) << "byte " << i;
    }
  }
  EXPECT_EQ(i32(changed, 4698), 130);
  EXPECT_EQ(text(changed, 2650), "x.as");
}

TEST(SettingsRecord, OverlongTextsAreNotCutShort) {
  std::string bytes(4783, '\0');
  bytes[3134] = static_cast<char>(200);  // length byte beyond string[2]
  bytes[3135] = 'o';
  bytes[3136] = 'o';
  EXPECT_EQ(decode_settings_record(bytes).office_program, "oo");

  // A recent file longer than 120 characters cut short would open another file: it is dropped.
  SettingsRecord r;
  r.recent_files[1] = "/" + std::string(120, 'a');
  r.word_processor_path = std::string(80, 'p');  // exactly fits
  const std::string b = encode_settings_record(r);
  EXPECT_EQ(u8(b, 2771), 0);
  EXPECT_EQ(text(b, 3137), std::string(80, 'p'));
}

TEST(SettingsRecord, ResetKeepsFolderRecentFilesAndCompanionBytes) {
  std::string bytes(4783, '\x5A');
  bytes[0] = 0;
  SettingsRecord r = decode_settings_record(bytes);
  r.last_folder = "/data";
  r.recent_files[2] = "/data/s.as";
  r.muac1 = 1;
  r.exclusion_mode = 'v';
  reset_to_defaults(r);
  EXPECT_EQ(r.last_folder, "/data");
  EXPECT_EQ(r.recent_files[2], "/data/s.as");
  EXPECT_EQ(r.muac1, 115);
  EXPECT_EQ(r.exclusion_mode, 'n');
  EXPECT_EQ(r.age_groups[0], 6);
  const std::string b = encode_settings_record(r);
  EXPECT_EQ(u8(b, 4583), 0x5A);  // companion byte between two fields
  EXPECT_EQ(u8(b, 4700 + 2), 0x5A);
}

struct DamagedCase {
  const char* what;
  std::size_t size;
};

TEST(SettingsFile, MissingOrDamagedFileGivesDefaults) {
  TempFolder folder;
  const fs::path file = folder.path() / "winpellan.ini";
  {
    const SettingsRead read = read_settings_file(file);
    EXPECT_TRUE(read.replaced) << "missing file";
    EXPECT_EQ(read.record.muac1, 115);
  }
  SettingsRecord custom;
  custom.muac1 = 100;
  const std::string good = settings_file_bytes(custom);
  const DamagedCase cases[] = {
      {"one copy only", 4783}, {"empty", 0}, {"one byte short", 9565}, {"one byte long", 9567}};
  for (const DamagedCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = good;
    bytes.resize(c.size, '\0');
    write_all(file, bytes);
    const SettingsRead read = read_settings_file(file);
    EXPECT_TRUE(read.replaced);
    EXPECT_EQ(read.record.muac1, 115);
  }
  write_all(file, good);
  const SettingsRead read = read_settings_file(file);
  EXPECT_FALSE(read.replaced);
  EXPECT_EQ(read.record.muac1, 100);
}

TEST(SettingsFile, WritesTwoCopiesThroughATemporaryFile) {
  TempFolder folder;
  const fs::path file = folder.path() / "sub" / "winpellan.ini";
  SettingsRecord r;
  r.reference = 'N';
  write_settings_file(file, r);
  const std::string bytes = read_file(file);
  ASSERT_EQ(bytes.size(), 9566u);
  EXPECT_EQ(bytes.substr(0, 4783), bytes.substr(4783));
  EXPECT_EQ(bytes[4585], 'N');
  EXPECT_EQ(bytes[4783 + 4585], 'N');
  EXPECT_FALSE(fs::exists(folder.path() / "sub" / "winpellan.ini.tmp"));
  EXPECT_EQ(read_settings_file(file).record.reference, 'N');
}

TEST(SettingsFile, UnwritableFolderIsReported) {
  TempFolder folder;
  const fs::path blocker = folder.path() / "not_a_folder";
  write_all(blocker, "x");
  EXPECT_THROW(write_settings_file(blocker / "winpellan.ini", SettingsRecord{}), SettingsFileError);
}

TEST(SettingsFile, ReadsTheWritableCopyFirst) {
  TempFolder folder;
  const fs::path program = folder.path() / "program";
  const fs::path user = folder.path() / "user";
  fs::create_directories(program);
  fs::create_directories(user);
  SettingsLocation where = settings_location(program, user);
  EXPECT_EQ(where.read_from, program / "winpellan.ini");
  EXPECT_EQ(where.write_to, user / "winpellan.ini");
  write_all(user / "winpellan.ini", "");
  where = settings_location(program, user);
  EXPECT_EQ(where.read_from, user / "winpellan.ini");
}

}  // namespace
}  // namespace olvar::core
