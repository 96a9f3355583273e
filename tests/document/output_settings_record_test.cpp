#include "document/output_settings_record.h"

#include <gtest/gtest.h>

namespace olvar::document {
namespace {

TEST(OutputSettingsRecord, ReadsTheRecordsFields) {
  core::SettingsRecord record;
  EXPECT_EQ(output_settings_of(record).kind, "ww");
  EXPECT_FALSE(output_settings_of(record).uses_relay()) << "defaults: relay not used";
  record.office_program = "oo";
  record.word_processor_path = "/usr/bin/soffice";
  record.relay_option = 'j';
  record.second_relay_option = 'k';
  record.relay_text = "relay";
  OutputSettings s = output_settings_of(record);
  EXPECT_EQ(s.kind, "oo");
  EXPECT_EQ(s.word_processor_path, "/usr/bin/soffice");
  EXPECT_TRUE(s.uses_relay());
  EXPECT_EQ(s.second_relay_option, 'k');
  record.office_program = "xx";
  EXPECT_EQ(output_settings_of(record).kind, "ww") << "an unknown kind counts as ww";
}

TEST(OutputSettingsRecord, StoresKindAndPathOnly) {
  core::SettingsRecord record;
  OutputSettings s;
  s.kind = "oo";
  s.word_processor_path = "/opt/lo/program/soffice";
  s.relay_option = 'z';
  store_output_settings(record, s);
  EXPECT_EQ(record.office_program, "oo");
  EXPECT_EQ(record.word_processor_path, "/opt/lo/program/soffice");
  EXPECT_EQ(record.relay_option, 'n');
}

}  // namespace
}  // namespace olvar::document
