#include "workspace/survey_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar::workspace {
namespace {

using core::StdVar;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

const anthro::WhoReference& who() {
  static const anthro::WhoReference table =
      anthro::WhoReference::load(test::build_data_path(anthro::kWhoTableFileName));
  return table;
}

constexpr core::DateConventions kDmy{core::DateOrder::dmy, '.', '.'};

// A boy of 12 months at 9.6 kg and 75.7 cm lying, the child of the row evaluation tests: 9.6 kg
// is about the WHO median weight of boys at one year (9.65 kg), so WAZ lies just below 0 (-0.044).
const std::string kOneBoy = "dmy\r\nSEX\tMONTHS\tWEIGHT\tHEIGHT\t\r\nm\t12\t9.6\t75.7\t\r\n";

struct Session {
  core::SettingsRecord settings;
  core::LanguageTable text;
  test::ScriptedPrompter prompter;
  SurveySession get() {
    return SurveySession{settings, kDmy, text, who(), platform::LocalDate{2026, 3, 2}, prompter};
  }
};

TEST(RowEvaluationSettings, TakeEachOptionFromWhereItIsKept) {
  core::SettingsRecord record;
  record.reference = core::kReferenceNchs;
  record.show_extra_columns = true;
  record.clothes_weight_g = 999;  // the page's value counts: the survey file carries it
  core::OptionsPage page;
  page.Edit26 = "250";
  const anthro::RowEvaluationSettings s = row_evaluation_settings(record, page, kDmy, 2026);
  EXPECT_EQ(s.reference, anthro::Reference::nchs1977);
  EXPECT_TRUE(s.extra_columns_shown);
  EXPECT_EQ(s.clothes_weight_g, "250");
  EXPECT_EQ(s.conventions.order, core::DateOrder::dmy);
  EXPECT_EQ(s.current_year, 2026);

  record.reference = core::kReferenceWho;
  EXPECT_EQ(row_evaluation_settings(record, page, kDmy, 2026).reference,
            anthro::Reference::who2006);
}

TEST(OpenSurvey, ReadsAndEvaluatesEveryRowUnderTheReferenceInForce) {
  test::TempFolder folder;
  const auto file = folder.write("one.as", kOneBoy);
  Session s;
  core::Workspace w;
  w.changed = true;
  const OpenOutcome outcome = open_survey(w, file, s.get());
  ASSERT_TRUE(outcome.opened);
  EXPECT_EQ(w.survey.cell(StdVar::waz, 1), "-0.044");
  EXPECT_FALSE(w.survey.cell(StdVar::whz, 1).empty());
  EXPECT_EQ(w.file_name, file.string());
  EXPECT_FALSE(w.changed);
  EXPECT_TRUE(s.prompter.messages.empty());

  // The NCHS reference selected in the settings gives another WAZ for the same child.
  s.settings.reference = core::kReferenceNchs;
  ASSERT_TRUE(open_survey(w, file, s.get()).opened);
  EXPECT_FALSE(w.survey.cell(StdVar::waz, 1).empty());
  EXPECT_NE(w.survey.cell(StdVar::waz, 1), "-0.044");
}

// A survey saved with a clothes weight of 500 g and two identical boys weighed with clothes:
// both are evaluated under the file's own clothes weight, as a 9.1 kg boy, whatever the survey
// open before had. Evaluated while the file was read, they took the option of the survey open
// before (none), so WAZ stayed that of 9.6 kg until a row was evaluated again.
TEST(OpenSurvey, EvaluatesEveryRowUnderTheOptionsOfTheFileItComesFrom) {
  test::TempFolder folder;
  core::Workspace saved;
  core::reset_to_new_table(saved, "");
  for (int row = 1; row <= 2; ++row) {
    saved.survey.set_cell(StdVar::sex, row, "m");
    saved.survey.set_cell(StdVar::months, row, "12");
    saved.survey.set_cell(StdVar::weight, row, "9.6");
    saved.survey.set_cell(StdVar::height, row, "75.7");
    saved.survey.set_cell(StdVar::clothes, row, "y");
  }
  saved.options.Edit26 = "500";
  const auto file = folder.write("clothes.as", core::survey_file_bytes(saved, kDmy));
  const auto light = folder.write("light.as", "dmy\r\nSEX\tMONTHS\tWEIGHT\tHEIGHT\t\r\n"
                                              "m\t12\t9.1\t75.7\t\r\n");
  Session s;
  s.settings.show_extra_columns = true;  // the CLOTHES column counts only while shown
  core::Workspace w;
  ASSERT_TRUE(open_survey(w, light, s.get()).opened);
  const std::string waz_of_9_1_kg(w.survey.cell(StdVar::waz, 1));
  ASSERT_NE(waz_of_9_1_kg, "-0.044");  // the 9.6 kg boy

  for (const std::string before : {"", "0", "300"}) {
    SCOPED_TRACE("clothes weight of the survey open before: '" + before + "'");
    w.options.Edit26 = before;
    ASSERT_TRUE(open_survey(w, file, s.get()).opened);
    EXPECT_EQ(w.options.Edit26, "500");
    EXPECT_EQ(w.survey.cell(StdVar::waz, 1), waz_of_9_1_kg);
    EXPECT_EQ(w.survey.cell(StdVar::waz, 2), waz_of_9_1_kg);
    EXPECT_EQ(w.survey.cell(StdVar::whz, 1), w.survey.cell(StdVar::whz, 2));
  }
}

TEST(OpenSurvey, FailuresLeaveTheOpenSurveyAsItWas) {
  test::TempFolder folder;
  Session s;
  s.text.read_english("0851 No header found\n");
  core::Workspace w;
  w.survey.set_cell(StdVar::sex, 1, "f");
  w.file_name = "before.as";
  w.changed = true;

  // A file that cannot be opened: nothing shown, nothing changed.
  OpenOutcome outcome = open_survey(w, folder / "missing.as", s.get());
  EXPECT_FALSE(outcome.opened);
  EXPECT_EQ(outcome.failure, core::SurveyFileError::Kind::cannot_open);
  EXPECT_TRUE(s.prompter.messages.empty());

  // A file without a header line: Language entry 851, nothing changed.
  outcome = open_survey(w, folder.write("plain.as", "just\r\ntext\r\n"), s.get());
  EXPECT_FALSE(outcome.opened);
  EXPECT_EQ(outcome.failure, core::SurveyFileError::Kind::no_header);
  EXPECT_THAT(s.prompter.messages, ElementsAre("No header found"));

  EXPECT_EQ(w.survey.cell(StdVar::sex, 1), "f");
  EXPECT_EQ(w.file_name, "before.as");
  EXPECT_TRUE(w.changed);
}

// Save as takes the path of Save: the name asked for, the file written under it, the old file
// left as it was, and the survey named and marked saved.
TEST(SaveSurvey, SaveAsAsksForANameAndSavesLikeSave) {
  test::TempFolder folder;
  Session s;
  core::Workspace w;
  w.survey.set_cell(StdVar::sex, 1, "f");
  const std::filesystem::path old_file = folder.write("old.as", "untouched");
  w.file_name = old_file.string();
  w.changed = true;
  s.prompter.file_answers = {(folder / "copy").string()};
  bool filter_active = false;
  const SaveResult saved = save_survey(w, s.get(), filter_active, {}, /*choose_name=*/true);
  EXPECT_TRUE(saved.failure_message.empty());
  EXPECT_TRUE(saved.outcome.saved);
  EXPECT_EQ(w.file_name, (folder / "copy.as").string());
  EXPECT_FALSE(w.changed);
  EXPECT_EQ(test::read_file(old_file), "untouched");
  EXPECT_THAT(test::read_file(folder / "copy.as"), HasSubstr("SEX"));
  EXPECT_TRUE(s.prompter.all_answers_used());
}

TEST(OpenSurvey, TellsWhatTheReaderCouldNotKeepAndABadFirstDate) {
  test::TempFolder folder;
  // 300 variables: only 255 can be held.
  std::string wide = "dmy\r\nSEX\t";
  for (int k = 1; k < 300; ++k) wide += "V" + std::to_string(k) + "\t";
  wide += "\r\nm\t\r\n";
  Session s;
  core::Workspace w;
  const OpenOutcome outcome = open_survey(w, folder.write("wide.as", wide), s.get());
  ASSERT_TRUE(outcome.opened);
  ASSERT_EQ(outcome.warnings.size(), 1u);
  EXPECT_EQ(outcome.warnings[0].kind, core::SurveyReadWarning::Kind::columns_cut);
  EXPECT_THAT(s.prompter.messages, ElementsAre(outcome.warnings[0].message));

  s.prompter.messages.clear();
  ASSERT_TRUE(open_survey(w,
                          folder.write("date.as", "dmy\r\nSURVDATE\tSEX\t\r\n31.02.2026\tm\t\r\n"),
                          s.get())
                  .opened);
  ASSERT_EQ(s.prompter.messages.size(), 1u);
  EXPECT_THAT(s.prompter.messages[0], HasSubstr("select the correct date format"));
}

TEST(ProcessTables, LanguageFilesFromBothFoldersAndAClearWordOnAMissingWhoTable) {
  test::TempFolder program;
  test::TempFolder writable;
  program.write("english.lng", "0807 Survey:\n0808 children\n");
  program.write("language.dat", "0807 Enquete (program folder):\n");
  writable.write("language.dat", "0807 Enquete:\n");  // the copy the language change made
  const ProcessTables tables = load_process_tables({program.path(), writable.path()});
  EXPECT_EQ(tables.text.text(807), "Enquete:");
  EXPECT_EQ(tables.text.text(808), "children");
  EXPECT_FALSE(tables.who.found());
  ASSERT_EQ(tables.messages.size(), 1u);
  EXPECT_THAT(tables.messages[0], HasSubstr("anthro_who2005.dat is missing"));

  workspace::AppContext app;
  attach_process_tables(app, tables);
  EXPECT_EQ(app.text, &tables.text);
  EXPECT_EQ(app.who, &tables.who);
  EXPECT_EQ(app.startup_messages, tables.messages);

  // The build tree's program folder has the WHO table: no message.
  const ProcessTables built = load_process_tables({test::build_data_path(""), writable.path()});
  EXPECT_TRUE(built.who.found());
  EXPECT_TRUE(built.messages.empty());
  EXPECT_FALSE(built.text.text(core::kNoSurveyHeader).empty());
}

}  // namespace
}  // namespace olvar::workspace
