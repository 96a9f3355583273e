#include "entry/data_entry_controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "anthro/zscore_engine.h"
#include "core/text_conversions.h"
#include "support/scripted_prompter.h"
#include "support/test_paths.h"

namespace olvar::entry {
namespace {

using core::column;
using core::StdVar;

const anthro::WhoReference& who() {
  static const anthro::WhoReference table =
      anthro::WhoReference::load(test::build_data_path(anthro::kWhoTableFileName));
  return table;
}

const core::LanguageTable& english() {
  static const core::LanguageTable table = [] {
    std::ifstream in(test::source_path("data/english.lng"), std::ios::binary);
    core::LanguageTable t;
    t.read_english(std::string(std::istreambuf_iterator<char>(in), {}));
    return t;
  }();
  return table;
}

std::string text(int entry) { return english().text(entry); }

// A new survey (row 1 started on 10.12.2026 with CLUSTER, TEAM, ID and HH "1") under a page
// controller, dates day first with ".", the decimal point ".".
class DataEntry : public ::testing::Test {
 protected:
  DataEntry() { core::reset_to_new_table(workspace, "10.12.2026"); }

  DataEntryController& page() {
    if (!controller) controller.emplace(workspace, environment, prompter);
    return *controller;
  }
  core::SurveyTable& table() { return workspace.survey; }
  void type_row(int row, std::initializer_list<std::pair<StdVar, const char*>> cells) {
    for (const auto& [variable, value] : cells) table().set_cell(variable, row, value);
  }
  bool marked(StdVar variable, int row) { return page().is_marked(column(variable), row); }

  core::Workspace workspace;
  test::ScriptedPrompter prompter;
  EntryEnvironment environment{english(), who(), {core::DateOrder::dmy, '.', '.'}, 2026};
  std::optional<DataEntryController> controller;
};

TEST_F(DataEntry, TypingAChildsRowWarnsAndMarksButKeepsWhatWasTyped) {
  page().select_cell({column(StdVar::sex), 1});
  EXPECT_EQ(page().type_character('2').text, "f");
  EXPECT_TRUE(prompter.messages.empty());

  const TypedCharacter x = page().type_character('x');
  EXPECT_EQ(x.text, "x");
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0], text(801));

  page().edit_cell({column(StdVar::sex), 1}, "x");
  EXPECT_FALSE(marked(StdVar::sex, 1));  // nothing measured yet: SEX not in question
  page().edit_cell({column(StdVar::months), 1}, "12");
  const EntryUpdate weighed = page().edit_cell({column(StdVar::weight), 1}, "9.6");
  EXPECT_EQ(weighed.rows, std::vector<int>{1});
  EXPECT_TRUE(marked(StdVar::sex, 1));
  EXPECT_EQ(table().cell(StdVar::sex, 1), "x");
  EXPECT_TRUE(workspace.changed);

  page().edit_cell({column(StdVar::sex), 1}, "m");
  EXPECT_FALSE(marked(StdVar::sex, 1));
  // A boy of 12 months at 9.6 kg, near the WHO median (9.65 kg): WAZ just below 0.
  EXPECT_EQ(table().cell(StdVar::waz, 1), "-0.044");
}

TEST_F(DataEntry, PlausibilityMarksFollowTheVariableViewLimits) {
  struct Case {
    StdVar variable;
    const char* value;
    bool marked;
  };
  // Defaults of a new table: WEIGHT 3 to 31, HEIGHT 54 to 124, MONTHS 6 to 59.99, ID no limits.
  const Case cases[] = {
      {StdVar::weight, "35", true},
      {StdVar::weight, "31", false},
      {StdVar::weight, "2.9", true},
      {StdVar::weight, "abc", true},
      {StdVar::weight, "", false},
      {StdVar::id, "A12", false},
      {StdVar::height, "12,5", true},
      {StdVar::months, "59,99", false},
      {StdVar::birthdat, "31.02.2024", true},
      {StdVar::birthdat, "28.02.2024", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(core::header_text(c.variable)) + " " + c.value);
    table().set_cell(StdVar::sex, 1, "f");
    const RowMarks marks = LinePlausibility(workspace, 1, {environment.conventions, 2026});
    EXPECT_FALSE(marks.test(column(c.variable)));  // before the value
    table().set_cell(c.variable, 1, c.value);
    EXPECT_EQ(
        LinePlausibility(workspace, 1, {environment.conventions, 2026}).test(column(c.variable)),
        c.marked);
    table().set_cell(c.variable, 1, "");
  }
}

TEST_F(DataEntry, EditingARowRechecksThatRowOnly) {
  page();
  type_row(2, {{StdVar::sex, "f"}, {StdVar::weight, "35"}});  // read, not typed
  page().edit_cell({column(StdVar::weight), 1}, "35");
  EXPECT_TRUE(marked(StdVar::weight, 1));
  EXPECT_FALSE(marked(StdVar::weight, 2));
  page().check_all();
  EXPECT_TRUE(marked(StdVar::weight, 2));
  // With the extra columns hidden, MEASURE is not checked.
  workspace.variables.set_cell(core::field_column(core::VariableField::maximum),
                               column(StdVar::strata), "2");
  page().edit_cell({column(StdVar::strata), 1}, "9");
  EXPECT_FALSE(marked(StdVar::strata, 1));
  workspace.extra_columns_shown = true;
  page().edit_cell({column(StdVar::strata), 1}, "9");
  EXPECT_TRUE(marked(StdVar::strata, 1));
}

TEST_F(DataEntry, EnterSkipsTheAgeColumnNotInUse) {
  struct Case {
    bool age_by_months;
    StdVar from;
    StdVar to;
  };
  const Case cases[] = {
      {false, StdVar::sex, StdVar::birthdat},  {false, StdVar::birthdat, StdVar::weight},
      {true, StdVar::sex, StdVar::months},     {true, StdVar::months, StdVar::weight},
      {false, StdVar::weight, StdVar::height},
  };
  for (const Case& c : cases) {
    workspace.options.age_by_months = c.age_by_months;
    page().select_cell({column(c.from), 1});
    EXPECT_EQ(page().enter().current, (CellPosition{column(c.to), 1}))
        << core::header_text(c.from) << (c.age_by_months ? " by months" : " by birth date");
  }
}

TEST_F(DataEntry, EnterAfterMuacGoesToMeasureOrToANewAutoFilledRow) {
  type_row(1, {{StdVar::sex, "f"}, {StdVar::months, "20"}, {StdVar::weight, "9"}});
  workspace.extra_columns_shown = true;
  page().select_cell({column(StdVar::muac), 1});
  EXPECT_EQ(page().enter().current, (CellPosition{column(StdVar::measure), 1}));

  workspace.extra_columns_shown = false;
  page().select_cell({column(StdVar::muac), 1});
  const EntryUpdate update = page().enter();
  // Row 2 is started with SURVDATE, CLUSTER, TEAM, ID and HH from row 1: the cursor waits in SEX.
  EXPECT_EQ(update.current, (CellPosition{column(StdVar::sex), 2}));
  EXPECT_EQ(table().cell(StdVar::id, 2), "2");
  EXPECT_EQ(table().cell(StdVar::survdate, 2), "10.12.2026");
  EXPECT_GE(table().row_count() - 1 - table().last_used_row(), core::kSpareRows);
}

TEST_F(DataEntry, EnterAtTheEndOfARowMovesIntoAStartedNextRow) {
  type_row(2, {{StdVar::survdate, "10.12.2026"}, {StdVar::sex, "m"}});
  type_row(3, {{StdVar::survdate, "10.12.2026"}});
  page().select_cell({core::kStandardVariableCount, 1});
  // Row 3 is started too, so the cursor stays at the row's start rather than jumping ahead.
  EXPECT_EQ(page().enter().current, (CellPosition{1, 2}));
  EXPECT_EQ(table().cell(StdVar::id, 2), "");  // no new row, nothing filled
}

TEST_F(DataEntry, EnterCorrectsHeightAndOedemaWhenTheirCellsAreLeft) {
  type_row(1, {{StdVar::sex, "f"},
               {StdVar::months, "20"},
               {StdVar::weight, "10"},
               {StdVar::height, "755"},
               {StdVar::edema, "y"}});
  page().select_cell({column(StdVar::height), 1});
  page().enter();
  EXPECT_EQ(table().cell(StdVar::height, 1), "75.5");  // typed in millimetres

  page().set_settings({anthro::Reference::who2006, true, {}});
  prompter.yes_no_answers = {true};
  const EntryUpdate update = page().enter();  // EDEMA left
  ASSERT_EQ(update.messages.size(), 1u);
  EXPECT_EQ(update.messages[0], text(1075));
  EXPECT_EQ(table().cell(StdVar::weight, 1), "9.6");  // 10 kg x 0.964, one decimal
}

TEST_F(DataEntry, NewRowCountsIdAndHouseholdOn) {
  type_row(1, {{StdVar::id, "17"},
               {StdVar::hh, "5"},
               {StdVar::cluster, "3"},
               {StdVar::team, "2"},
               {StdVar::survdate, "01.02.2026"},
               {StdVar::sex, "m"}});
  const int rows_before = table().row_count();
  const EntryUpdate update = page().new_row();
  EXPECT_EQ(update.current, (CellPosition{1, 2}));
  EXPECT_EQ(table().row_count(), rows_before + 1);
  EXPECT_EQ(table().cell(StdVar::id, 2), "18");
  EXPECT_EQ(table().cell(StdVar::hh, 2), "6");
  EXPECT_EQ(table().cell(StdVar::cluster, 2), "3");
  EXPECT_EQ(table().cell(StdVar::team, 2), "2");
  EXPECT_EQ(table().cell(StdVar::survdate, 2), "01.02.2026");

  // Switches off: left empty. An ID that is not a whole number cannot be counted on: left empty,
  // and the rest still filled.
  type_row(2, {{StdVar::id, "A18"}, {StdVar::sex, "f"}});
  workspace.options.autofill_hh = false;
  page().new_row();
  EXPECT_EQ(table().cell(StdVar::id, 3), "");
  EXPECT_EQ(table().cell(StdVar::hh, 3), "");
  EXPECT_EQ(table().cell(StdVar::cluster, 3), "3");
}

TEST_F(DataEntry, PasteNormalisesCodesEvaluatesAndMarks) {
  page().select_cell({1, 2});
  prompter.yes_no_answers = {false};
  page().paste("x\ty\n");
  EXPECT_EQ(table().cell(1, 2), "");  // declined
  EXPECT_EQ(prompter.questions.back(), text(933));

  prompter.yes_no_answers = {true};
  const int columns_before = table().column_count();
  const EntryUpdate update = page().paste(
      "01.02.2026\t3\t1\t20\t7\tmale\t\t24\t11.2\t82.0\t1\t135\r\n"
      "01.02.2026\t3\t1\t21\t7\tFemale\t\t30\t35\t90\t0\t140\r\n");
  EXPECT_TRUE(update.whole_table);
  EXPECT_EQ(table().cell(StdVar::sex, 2), "m");
  EXPECT_EQ(table().cell(StdVar::sex, 3), "f");
  EXPECT_EQ(table().cell(StdVar::edema, 2), "y");
  EXPECT_EQ(table().cell(StdVar::edema, 3), "n");
  // Evaluated: the oedema child gets HAZ only, the other all three.
  EXPECT_FALSE(table().cell(StdVar::haz, 2).empty());
  EXPECT_TRUE(table().cell(StdVar::waz, 2).empty());
  EXPECT_FALSE(table().cell(StdVar::waz, 3).empty());
  EXPECT_TRUE(marked(StdVar::weight, 3));
  EXPECT_FALSE(marked(StdVar::weight, 2));
  EXPECT_EQ(table().column_count(), columns_before + 10);
  EXPECT_EQ(table().cell(0, 150), "150");
  EXPECT_GE(table().row_count() - 1 - table().last_used_row(), core::kSpareRows);
}

// Text the survey file cannot hold is made holdable where it is typed or pasted, and the user
// is told once: a typed line break or TAB becomes a blank, a leading yen sign (the section
// byte 0xA5) the letter Y.
TEST_F(DataEntry, TypedAndPastedTextIsMadeHoldableWithAMessage) {
  const int note = 20;
  page().edit_cell({note, 1}, "l1\r\nl2\tend");
  EXPECT_EQ(table().cell(note, 1), "l1 l2 end");
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0], text(1471));
  page().edit_cell({note, 2}, "plain \xA5 inside");
  EXPECT_EQ(table().cell(note, 2), "plain \xA5 inside");
  EXPECT_EQ(prompter.messages.size(), 1u);

  page().select_cell({note, 3});
  prompter.yes_no_answers = {true};
  const EntryUpdate update = page().paste("\xA5Mor_individual:\ta\rb\n\xA5yen\tok\n");
  EXPECT_EQ(table().cell(note, 3), "YMor_individual:");
  EXPECT_EQ(table().cell(note + 1, 3), "a b");
  EXPECT_EQ(table().cell(note, 4), "Yyen");
  EXPECT_EQ(table().cell(note + 1, 4), "ok");
  EXPECT_EQ(std::count(update.messages.begin(), update.messages.end(), text(1471)), 1);
}

TEST_F(DataEntry, PasteBeyondTheLastColumnKeepsTheTableShape) {
  page().select_cell({20, 1});
  prompter.yes_no_answers = {true};
  std::string wide;
  for (int i = 0; i < 300; ++i) wide += "1\t";
  page().paste(wide);
  EXPECT_EQ(table().column_count(), core::kMaxColumns);
  EXPECT_EQ(table().cell(core::kMaxColumns - 1, 1), "1");
}

TEST_F(DataEntry, GradedOedemaCodesSurviveAPaste) {
  workspace.options.oedema_yn = false;
  page().select_cell({column(StdVar::edema), 1});
  prompter.yes_no_answers = {true};
  page().paste("1\n");
  EXPECT_EQ(table().cell(StdVar::edema, 1), "1");
}

TEST_F(DataEntry, InsertAndDeleteRowsMoveChildrenAndTheirMarks) {
  for (int row = 1; row <= 3; ++row) {
    type_row(row, {{StdVar::survdate, "01.02.2026"}, {StdVar::sex, "f"}});
    table().set_cell(StdVar::id, row, std::to_string(row));
  }
  table().set_cell(StdVar::weight, 3, "35");
  const int rows = table().row_count();

  page().select_cell({1, 2});
  page().insert_row();
  EXPECT_EQ(table().row_count(), rows + 1);
  EXPECT_TRUE(table().row_is_empty(2));
  EXPECT_EQ(table().cell(StdVar::id, 4), "3");
  EXPECT_EQ(table().cell(0, 4), "4");
  EXPECT_TRUE(marked(StdVar::weight, 4));

  prompter.yes_no_answers = {false};
  page().delete_rows();  // No: nothing is deleted
  EXPECT_EQ(prompter.questions.back(), "Delete row 2 with all its values?");
  EXPECT_TRUE(table().row_is_empty(2));
  EXPECT_EQ(table().cell(StdVar::id, 4), "3");

  prompter.yes_no_answers = {true, true};
  page().delete_rows();                      // the current row, the empty one
  EXPECT_EQ(table().row_count(), rows + 1);  // the length stays
  EXPECT_EQ(table().cell(StdVar::id, 2), "2");
  EXPECT_TRUE(marked(StdVar::weight, 3));

  page().delete_rows(std::pair{1, 2});
  EXPECT_EQ(prompter.questions.back(), "Delete rows 1 to 2 with all their values?");
  EXPECT_EQ(table().cell(StdVar::id, 1), "3");
  EXPECT_TRUE(table().row_is_empty(2));
  EXPECT_TRUE(marked(StdVar::weight, 1));
  EXPECT_FALSE(marked(StdVar::weight, 3));
  EXPECT_EQ(table().cell(0, 2), "2");
}

TEST_F(DataEntry, ClearAndCopyABlockOfCells) {
  type_row(1, {{StdVar::survdate, "01.02.2026"}, {StdVar::sex, "f"}});
  type_row(2, {{StdVar::survdate, "01.02.2026"}, {StdVar::sex, "m"}});
  table().set_cell(StdVar::weight, 1, "8.5");
  table().set_cell(StdVar::weight, 2, "9.5");
  const CellPosition sex1{column(StdVar::sex), 1};
  const CellPosition weight2{column(StdVar::weight), 2};
  const std::string block = page().copy_cells(weight2, sex1);  // corners in any order
  EXPECT_EQ(block.substr(0, 1), "f");
  EXPECT_EQ(std::count(block.begin(), block.end(), '\n'), 2);
  EXPECT_NE(block.find("\t8.5\r\n"), std::string::npos);
  EXPECT_NE(block.find("\t9.5\r\n"), std::string::npos);

  workspace.changed = false;
  page().clear_cells({column(StdVar::weight), 1}, {column(StdVar::weight), 2});
  EXPECT_TRUE(table().cell(StdVar::weight, 1).empty());
  EXPECT_TRUE(table().cell(StdVar::weight, 2).empty());
  EXPECT_EQ(table().cell(StdVar::sex, 2), "m");  // outside the block
  EXPECT_TRUE(workspace.changed);
  // Column 0 holds the row numbers: a block reaching into it keeps them.
  page().clear_cells({0, 1}, {column(StdVar::sex), 1});
  EXPECT_EQ(table().cell(0, 1), "1");
  EXPECT_TRUE(table().cell(StdVar::sex, 1).empty());
}

TEST_F(DataEntry, AddAndDeleteVariableOnlyAfterTheStandardColumns) {
  page().select_cell({column(StdVar::muac), 1});
  page().add_variable();
  EXPECT_EQ(prompter.messages, std::vector<std::string>{text(878)});
  page().delete_variable();
  EXPECT_EQ(prompter.messages.back(), text(880));

  page().select_cell({20, 1});
  prompter.text_answers = {std::string("village name")};
  const EntryUpdate added = page().add_variable();
  EXPECT_TRUE(added.columns_changed);
  EXPECT_EQ(added.messages, std::vector<std::string>{text(877)});
  EXPECT_EQ(table().cell(20, 0), "VILLAGE ");
  EXPECT_EQ(workspace.variables.cell(1, 20), "numeric");

  prompter.yes_no_answers = {true};
  page().delete_variable();
  EXPECT_EQ(prompter.questions.back(), "VILLAGE  " + text(879));
  EXPECT_EQ(table().cell(20, 0), "");
  EXPECT_EQ(workspace.file_name, "noname.as");
  EXPECT_TRUE(prompter.all_answers_used());
}

TEST_F(DataEntry, GoToFirstLastAndId) {
  for (int row = 1; row <= 4; ++row) {
    type_row(row, {{StdVar::survdate, "01.02.2026"}, {StdVar::cluster, "1"}});
    table().set_cell(StdVar::id, row, std::to_string(10 + row));
  }
  EXPECT_EQ(page().go_last().current.row, 4);
  EXPECT_EQ(page().go_first().current.row, 1);
  prompter.text_answers = {std::string(" 13")};
  EXPECT_EQ(page().go_to_id().current.row, 3);
  prompter.text_answers = {std::string("99")};
  const EntryUpdate missing = page().go_to_id();
  EXPECT_EQ(missing.current.row, 3);
  EXPECT_EQ(missing.messages.back(), text(852));
}

TEST_F(DataEntry, ResultPanelShowsTheCurrentChild) {
  type_row(1, {{StdVar::sex, "m"},
               {StdVar::months, "12"},
               {StdVar::weight, "9.6"},
               {StdVar::height, "75.7"}});
  page().select_cell({column(StdVar::weight), 1});
  const ResultPanel panel = page().result_panel();
  // WAZ -0.0437 (WHO, day 365: L 0.0645, M 9.646, S 0.10925) lies at the 48.26th percentile
  // of the normal distribution; the bar's marker sits at 1.5 x the percentile.
  EXPECT_EQ(panel.waz.z_text, "-0.04");
  EXPECT_NEAR(panel.waz.percentile, 48.2553, 1e-3);
  EXPECT_NEAR(panel.waz.marker_x, 72.383, 1e-2);
  EXPECT_EQ(panel.waz.percentile_text, "48.3");
  EXPECT_FALSE(panel.waz.outside_range);
  EXPECT_EQ(panel.waz.pct_median_text, "");  // WHO
  EXPECT_EQ(panel.third_label.number, 844);
  EXPECT_EQ(panel.caption_reference.number, 964);

  // No weight: every index that needs it is missing and counts as outside its range.
  page().edit_cell({column(StdVar::weight), 1}, "");
  const ResultPanel missing = page().result_panel();
  EXPECT_EQ(missing.waz.z_text, "NA");
  EXPECT_TRUE(missing.waz.outside_range);

  // Past 1856 days (61 months x 30.4375 = 1856.7) WHO shows BMI-for-age as the third bar.
  page().edit_cell({column(StdVar::weight), 1}, "18");
  page().edit_cell({column(StdVar::height), 1}, "110");
  page().edit_cell({column(StdVar::months), 1}, "61");
  const ResultPanel older = page().result_panel();
  EXPECT_TRUE(older.third_is_bmi_for_age);
  EXPECT_EQ(older.third_label.number, 922);

  page().set_settings({anthro::Reference::nchs1977, false, {}});
  page().edit_cell({column(StdVar::months), 1}, "24");
  const ResultPanel nchs = page().result_panel();
  EXPECT_EQ(nchs.caption_reference.number, 963);
  ASSERT_FALSE(nchs.waz.pct_median_text.empty());
  EXPECT_EQ(nchs.waz.pct_median_text.back(), ' ');
}

TEST_F(DataEntry, ResultPanelFillsMonthsFromTheDates) {
  type_row(1, {{StdVar::sex, "f"}, {StdVar::birthdat, "10.12.2024"}});
  page().select_cell({column(StdVar::birthdat), 1});
  // 730 days / 30.4375 = 23.98 months.
  EXPECT_EQ(core::trim_spaces(table().cell(StdVar::months, 1)), "23.98");
}

// Every kind of change is undone back to the table before it and redone forward to the table
// after it; a new change drops what could be redone; at least 100 steps are kept.
TEST_F(DataEntry, UndoAndRedoWalkBackAndForthThroughEveryKindOfChange) {
  type_row(1, {{StdVar::sex, "m"}, {StdVar::months, "20"}, {StdVar::weight, "9.8"}});
  type_row(2, {{StdVar::sex, "f"}, {StdVar::months, "30"}, {StdVar::weight, "11.2"}});
  page();
  std::vector<core::SurveyTable> states = {table()};
  const std::vector<std::function<void()>> changes = {
      [&] {
        page().edit_cell({column(StdVar::weight), 1}, "10.1");
      },
      [&] {
        page().select_cell({column(StdVar::height), 1});
        prompter.yes_no_answers = {true};
        page().paste("80.2\n88.5\n");
      },
      [&] {
        page().clear_cells({column(StdVar::weight), 1}, {column(StdVar::height), 2});
      },
      [&] {
        page().select_cell({column(StdVar::sex), 2});
        page().insert_row();
      },
      [&] {
        page().select_cell({column(StdVar::sex), 1});
        prompter.yes_no_answers = {true};
        page().delete_rows();
      },
  };
  for (const auto& change : changes) {
    change();
    ASSERT_NE(table(), states.back());
    states.push_back(table());
  }
  for (std::size_t k = states.size() - 1; k > 0; --k) {
    SCOPED_TRACE(k);
    EXPECT_TRUE(page().can_undo());
    page().undo();
    EXPECT_EQ(table(), states[k - 1]);
  }
  EXPECT_FALSE(page().can_undo());
  for (std::size_t k = 1; k < states.size(); ++k) {
    page().redo();
    EXPECT_EQ(table(), states[k]);
  }
  EXPECT_FALSE(page().can_redo());
  page().undo();
  page().edit_cell({column(StdVar::weight), 2}, "12.0");  // a new change: no redo any more
  EXPECT_FALSE(page().can_redo());

  for (int step = 0; step < 120; ++step) {
    page().edit_cell({column(StdVar::muac), 1}, std::to_string(100 + step));
  }
  int undone = 0;
  while (page().can_undo()) {
    page().undo();
    ++undone;
  }
  EXPECT_GE(undone, 100);
  EXPECT_TRUE(workspace.changed);
}

}  // namespace
}  // namespace olvar::entry
