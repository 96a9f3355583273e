#include "core/options_page.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/scripted_prompter.h"
#include "support/temp_folder.h"

namespace olvar::core {
namespace {
namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A search folder holding empty executables of the given names.
platform::ProgramSearch search_with(const test::TempFolder& folder,
                                    std::initializer_list<const char*> programs) {
  const fs::path bin = folder / "bin";
  fs::create_directories(bin);
  for (const char* name : programs) {
    const fs::path file = folder.write(std::string("bin/") + name, "#!/bin/sh\n");
    fs::permissions(file, fs::perms::owner_all);
  }
  return platform::ProgramSearch{{bin}};
}

TEST(OptionsNew, ShowsTheDefaultRecord) {
  SettingsRecord record;
  record.word_processor_path = "/usr/bin/soffice";
  const OptionsPage p = Options_New(record);
  EXPECT_TRUE(p.autofill_id && p.autofill_hh && p.autofill_cluster && p.autofill_team &&
              p.autofill_survdate);
  EXPECT_FALSE(p.age_by_months);
  EXPECT_TRUE(p.oedema_yn);
  EXPECT_FALSE(p.oedema_correction);
  EXPECT_EQ(p.Edit26, "0");
  EXPECT_EQ(p.Edit2 + " " + p.Edit3 + " " + p.Edit10 + " " + p.Edit11, "6 17 54 59");
  EXPECT_EQ(p.ma01 + " " + p.ma12, "0 120");
  // Fixed formats (4, 2) and (4, 1).
  EXPECT_EQ(p.zrl, "6.00");
  EXPECT_EQ(p.zrh, "59.99");
  EXPECT_EQ(p.zhl, "67.0");
  EXPECT_EQ(p.zhh, "110.0");
  EXPECT_FALSE(p.zr);
  EXPECT_FALSE(p.zh);
  EXPECT_EQ(p.exclusion, ExclusionMode::none);
  EXPECT_EQ(p.flags, FlagParameters{});
  EXPECT_EQ(p.muac1, "115");
  EXPECT_EQ(p.muac2, "125");
  EXPECT_TRUE(p.RadioButton5);
  EXPECT_EQ(p.wordprocessor, "/usr/bin/soffice");
  EXPECT_EQ(p.epc01 + " " + p.epc03 + " " + p.epc05 + " " + p.epc07 + " " + p.epc10,
            "1000 965 945 930 920");
}

TEST(OptionsNew, TakesEveryStoredChoice) {
  SettingsRecord r;
  r.autofill_hh = false;
  r.age_entry = ' ';
  r.oedema_coding = ' ';
  r.oedema_correction = 'y';
  r.clothes_weight_g = 350;
  r.exclusion_mode = 'p';
  r.restrict_age = true;
  r.age_to = 23.5f;
  r.height_from = 45.25f;
  r.muac1 = 110;
  r.office_program = "oo";
  const OptionsPage p = Options_New(r, ',');
  EXPECT_FALSE(p.autofill_hh);
  EXPECT_TRUE(p.age_by_months);
  EXPECT_FALSE(p.oedema_yn);
  EXPECT_THAT(oedema_pick_list(p.oedema_yn), ElementsAre("0", "1", "2", "3"));
  EXPECT_THAT(oedema_pick_list(true), ElementsAre("y", "n"));
  EXPECT_TRUE(p.oedema_correction);
  EXPECT_EQ(p.Edit26, "350");
  EXPECT_EQ(p.exclusion, ExclusionMode::kandu);
  EXPECT_TRUE(p.zr);
  EXPECT_EQ(p.zrh, "23,50");
  EXPECT_EQ(p.zhl, "45,3");  // 45.25 to one decimal, half away from zero
  EXPECT_EQ(p.muac1, "110");
  EXPECT_TRUE(p.RadioButton5) << "the page opens on MS-Office whatever is stored";

  r.exclusion_mode = 'x';  // written by something else: no exclusion
  EXPECT_EQ(Options_New(r).exclusion, ExclusionMode::none);
}

class OptionsSave : public ::testing::Test {
 protected:
  OptionsSaveOutcome save(char separator = '.', bool settings_mode = false) {
    return SaveOptionsClick(page, record,
                            {folder / "winpellan.ini", separator, settings_mode, &prompter});
  }
  test::TempFolder folder;
  test::ScriptedPrompter prompter;
  SettingsRecord record;
  OptionsPage page = Options_New(record);
};

TEST_F(OptionsSave, StoresThePageAndWritesTheFile) {
  page.autofill_cluster = false;
  page.oedema_yn = false;
  page.age_by_months = true;
  page.oedema_correction = true;
  page.Edit26 = " 250 ";
  page.pull_down_entry = true;
  page.exclusion = ExclusionMode::epi_info;
  page.zr = true;
  page.show_extra_columns = true;
  page.wordprocessor = "/opt/office/program/soffice";
  page.Edit4 = "19";
  page.Edit3 = "18";
  const OptionsSaveOutcome outcome = save();
  EXPECT_TRUE(outcome.settings_written);
  EXPECT_TRUE(outcome.evaluate_rows);
  EXPECT_FALSE(outcome.save_survey);
  EXPECT_TRUE(outcome.not_taken.empty());
  EXPECT_TRUE(prompter.messages.empty());

  const SettingsRecord stored = read_settings_file(folder / "winpellan.ini").record;
  EXPECT_FALSE(stored.autofill_cluster);
  EXPECT_EQ(stored.oedema_coding, ' ');
  EXPECT_EQ(stored.age_entry, ' ');
  EXPECT_EQ(stored.oedema_correction, 'y');
  EXPECT_EQ(stored.clothes_weight_g, 250);
  EXPECT_TRUE(stored.pull_down_entry);
  EXPECT_EQ(stored.exclusion_mode, 'v');
  EXPECT_TRUE(stored.restrict_age);
  EXPECT_TRUE(stored.show_extra_columns);
  EXPECT_EQ(stored.word_processor_path, "/opt/office/program/soffice");
  EXPECT_EQ(stored.age_groups[1], 18);
  EXPECT_EQ(stored.age_groups[2], 19);
  EXPECT_EQ(stored.age_groups[9], 59);
}

TEST_F(OptionsSave, SettingsModeAlsoSavesTheSurvey) {
  EXPECT_TRUE(save('.', /*settings_mode=*/true).save_survey);
}

struct RangeCase {
  const char* what;
  const char* typed;
  char separator;
  float stored;
  const char* shown;
};

TEST_F(OptionsSave, RangeBoundsNotAboveZeroTakeTheirDefaults) {
  const RangeCase cases[] = {
      {"typed 0", "0", '.', 59.99f, "59.99"},
      {"empty", "", '.', 59.99f, "59.99"},
      {"not a number", "abc", '.', 59.99f, "59.99"},
      {"negative", "-5", '.', 59.99f, "59.99"},
      {"a value", "48.5", '.', 48.5f, "48.50"},
      {"comma system, comma typed", "48,5", ',', 48.5f, "48,50"},
      {"comma system, point typed", "48.5", ',', 48.5f, "48,50"},
  };
  for (const RangeCase& c : cases) {
    SCOPED_TRACE(c.what);
    page.zrh = c.typed;
    save(c.separator);
    EXPECT_EQ(record.age_to, c.stored);
    EXPECT_EQ(page.zrh, c.shown) << "the analysis reads the page: it must show what is stored";
  }
  page.zrl = "0";
  page.zhl = "";
  page.zhh = "-1";
  save();
  EXPECT_EQ(record.age_from, 6.0f);
  EXPECT_EQ(record.height_from, 67.0f);
  EXPECT_EQ(record.height_to, 110.0f);
  EXPECT_EQ(page.zhh, "110.0");
}

struct CutOffCase {
  const char* what;
  const char* muac1;
  const char* muac2;
  int stored1;
  int stored2;
};

TEST_F(OptionsSave, MuacCutOffsAreRoundedOrDefaulted) {
  const CutOffCase cases[] = {
      {"typed values", "110", "130", 110, 130},
      {"rounded half away from zero", "112.5", "124.4", 113, 124},
      {"zero gives the defaults", "0", "0", 115, 125},
      {"empty gives the defaults", "", "", 115, 125},
      {"text that is not a number gives the defaults", "abc", "12x", 115, 125},
      {"negative gives the defaults", "-110", "-1", 115, 125},
  };
  for (const CutOffCase& c : cases) {
    SCOPED_TRACE(c.what);
    page.muac1 = c.muac1;
    page.muac2 = c.muac2;
    save();
    EXPECT_EQ(record.muac1, c.stored1);
    EXPECT_EQ(record.muac2, c.stored2);
    EXPECT_EQ(page.muac1, std::to_string(c.stored1));
  }
}

TEST_F(OptionsSave, AgeGroupsStopAtTheFirstBoundThatIsNotWhole) {
  page.Edit2 = "7";
  page.Edit3 = "16";
  page.Edit4 = "17";
  page.Edit5 = "17.5";
  page.Edit6 = "31";
  save();
  EXPECT_EQ(record.age_groups[0], 7);
  EXPECT_EQ(record.age_groups[1], 16);
  EXPECT_EQ(record.age_groups[2], 17);
  EXPECT_EQ(record.age_groups[3], 29) << "not whole: the stored value stays";
  EXPECT_EQ(record.age_groups[4], 30) << "after the first failure nothing more is taken";
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_THAT(prompter.messages[0], HasSubstr("Edit5 Edit6"));
}

TEST_F(OptionsSave, ClothesWeight) {
  page.Edit26 = "";
  save();
  EXPECT_EQ(record.clothes_weight_g, 0);
  page.Edit26 = "300";
  save();
  EXPECT_EQ(record.clothes_weight_g, 300);
  page.Edit26 = "2.5";
  const OptionsSaveOutcome outcome = save();
  EXPECT_EQ(record.clothes_weight_g, 300) << "a text that is not whole keeps the stored weight";
  EXPECT_THAT(outcome.not_taken, ElementsAre("Edit26"));
}

TEST_F(OptionsSave, KanduOffsetsBeyondTenAreReset) {
  page.flags.waz_oh = "12";
  page.flags.whz_ol = "-10";
  page.flags.haz_ol = "-10.5";
  page.flags.whz_h = "99";  // Epi Info ranges are kept as typed
  save();
  EXPECT_EQ(page.flags.waz_oh, "3");
  EXPECT_EQ(page.flags.whz_ol, "-10");
  EXPECT_EQ(page.flags.haz_ol, "-3");
  EXPECT_EQ(page.flags.whz_h, "99");
}

TEST_F(OptionsSave, AFailedWriteIsTold) {
  folder.write("blocker", "x");
  const OptionsSaveOutcome outcome =
      SaveOptionsClick(page, record, {folder / "blocker" / "winpellan.ini", '.', false, &prompter});
  EXPECT_FALSE(outcome.settings_written);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_THAT(prompter.messages[0], HasSubstr("settings could not be saved"));
}

TEST(OptionsReset, DefaultsEverythingButFolderAndRecentFiles) {
  test::TempFolder folder;
  const platform::ProgramSearch search = search_with(folder, {"soffice"});
  SettingsRecord record;
  record.last_folder = "/data";
  record.recent_files = {"/data/a.as", "/data/b.as", "", ""};
  record.muac1 = 100;
  record.exclusion_mode = 'p';
  record.age_groups[0] = 1;
  OptionsPage page = Options_New(record);
  page.flags.whz_ol = "-2";
  page.epc01 = "999";
  int installed = 0;
  EXPECT_TRUE(ResetOptionsClick(
      page, record, {folder / "winpellan.ini", '.', search, [&] { ++installed; }, nullptr}));
  EXPECT_EQ(installed, 1);
  EXPECT_EQ(record.last_folder, "/data");
  EXPECT_EQ(record.recent_files[1], "/data/b.as");
  EXPECT_EQ(record.muac1, 115);
  EXPECT_EQ(record.exclusion_mode, 'n');
  EXPECT_EQ(record.age_groups[0], 6);
  EXPECT_EQ(record.office_program, "oo") << "no winword.exe here: LibreOffice is the default";
  EXPECT_EQ(record.word_processor_path, (folder / "bin" / "soffice").string());
  EXPECT_EQ(page, Options_New(record));
  EXPECT_EQ(read_settings_file(folder / "winpellan.ini").record.muac1, 115);
}

TEST(AgeGroupBounds, EndsFollowTheNextStart) {
  OptionsPage page;
  page.Edit4 = "20";
  page.Edit6 = " 33";
  page.Edit8 = "x";
  page.Edit10 = "-1";
  Edit24Change(page);
  EXPECT_EQ(page.Edit3, "19");
  EXPECT_EQ(page.Edit5, "32");
  EXPECT_EQ(page.Edit7, "41") << "next start not a whole number: end unchanged";
  EXPECT_EQ(page.Edit9, "-2");
  EXPECT_EQ(page.Edit11, "59") << "the end of group 5 is typed, never derived";
}

TEST(MortalityUpperBounds, FollowTheNextLowerBoundAsTheDeathRatesReadIt) {
  OptionsPage page;
  page.ma01 = "0";
  page.ma03 = "5";
  page.ma05 = "14.5";  // read as a number, halves to even: 14
  page.ma07 = "abc";   // unreadable: the upper bound before it stays
  page.ma08 = "49";
  page.ma09 = "50";
  page.ma11 = "65";
  page.ma04 = "11";
  page.ma06 = "17";
  page.ma12 = "120";
  recompute_mortality_upper_bounds(page);
  EXPECT_EQ(page.ma02, "4");
  EXPECT_EQ(page.ma04, "13");
  EXPECT_EQ(page.ma06, "17");
  EXPECT_EQ(page.ma08, "49");
  EXPECT_EQ(page.ma10, "64");
  EXPECT_EQ(page.ma12, "120") << "the upper bound of group 6 is typed, never derived";
}

TEST(WholeNumbers, AsThePageReadsThem) {
  EXPECT_EQ(parse_whole_number("17"), 17);
  EXPECT_EQ(parse_whole_number(" +17 "), 17);
  EXPECT_EQ(parse_whole_number("-3"), -3);
  EXPECT_EQ(parse_whole_number(""), std::nullopt);
  EXPECT_EQ(parse_whole_number("17.0"), std::nullopt);
  EXPECT_EQ(parse_whole_number("1 7"), std::nullopt);
  EXPECT_EQ(parse_whole_number("99999999999"), std::nullopt);
}

TEST(OfficeProgramChoice, NothingFoundChangesNothing) {
  test::TempFolder folder;
  const platform::ProgramSearch empty = search_with(folder, {});
  SettingsRecord record;
  record.office_program = "ww";
  record.word_processor_path = "/old/path";
  OptionsPage page = Options_New(record);
  EXPECT_FALSE(RadioButton5Click(page, record, "oo", empty));
  EXPECT_FALSE(RadioButton5Click(page, record, "ww", empty));
  EXPECT_EQ(record.office_program, "ww");
  EXPECT_EQ(record.word_processor_path, "/old/path");
  EXPECT_EQ(page.wordprocessor, "/old/path");
}

TEST(OfficeProgramChoice, OpenOfficeFindsLibreOffice) {
  test::TempFolder folder;
  const platform::ProgramSearch search = search_with(folder, {"lowriter"});
  SettingsRecord record;
  OptionsPage page = Options_New(record);
  EXPECT_TRUE(RadioButton5Click(page, record, "oo", search));
  EXPECT_EQ(record.office_program, "oo");
  EXPECT_EQ(record.word_processor_path, (folder / "bin" / "lowriter").string());
  EXPECT_EQ(page.wordprocessor, record.word_processor_path);
  EXPECT_FALSE(page.RadioButton5);
}

TEST(OfficeProgramChoice, EnteringThePageSelectsTheStoredProgram) {
  test::TempFolder folder;
  const platform::ProgramSearch search = search_with(folder, {"soffice"});
  SettingsRecord record;
  record.office_program = "oo";
  OptionsPage page = Options_New(record);
  enter_options_page(page, record, search);
  EXPECT_FALSE(page.RadioButton5);
  EXPECT_EQ(page.wordprocessor, (folder / "bin" / "soffice").string());

  record.office_program = "ww";
  record.word_processor_path = "C:\\Office\\WINWORD.EXE";
  page = Options_New(record);
  enter_options_page(page, record, search);
  EXPECT_TRUE(page.RadioButton5);
  EXPECT_EQ(record.word_processor_path, "C:\\Office\\WINWORD.EXE");
}

}  // namespace
}  // namespace olvar::core

namespace olvar::core {
namespace {

// Every stored control changed from its default: saving and loading again gives the same page.
// The flag parameters and expected proportions are not stored, so they come back as defaults.
TEST(OptionsRoundTrip, LoadingWhatWasSavedGivesThePageBack) {
  test::TempFolder folder;
  SettingsRecord record;
  OptionsPage page;
  page.autofill_id = page.autofill_hh = page.autofill_cluster = false;
  page.autofill_team = page.autofill_survdate = false;
  page.age_by_months = true;
  page.oedema_yn = false;
  page.oedema_correction = true;
  page.Edit26 = "150";
  page.pull_down_entry = true;
  page.show_extra_columns = true;
  page.Edit2 = "0";
  page.Edit3 = "11";
  page.Edit4 = "12";
  page.Edit5 = "23";
  page.Edit6 = "24";
  page.Edit7 = "35";
  page.Edit8 = "36";
  page.Edit9 = "47";
  page.Edit10 = "48";
  page.Edit11 = "60";
  page.zr = true;
  page.zrl = "0,50";
  page.zrh = "23,99";
  page.zh = true;
  page.zhl = "45,5";
  page.zhh = "120,0";
  page.exclusion = ExclusionMode::epi_info;
  page.muac1 = "114";
  page.muac2 = "126";
  page.wordprocessor = "/usr/lib/libreoffice/program/soffice";
  SaveOptionsClick(page, record, {folder / "winpellan.ini", ',', false, nullptr});
  const SettingsRecord stored = read_settings_file(folder / "winpellan.ini").record;
  EXPECT_EQ(Options_New(stored, ','), page);
}

}  // namespace
}  // namespace olvar::core
