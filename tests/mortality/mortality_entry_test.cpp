#include "mortality/mortality_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/date_text.h"
#include "mortality/death_rates.h"

namespace olvar::mortality {
namespace {

const core::DateConventions kDates{core::DateOrder::dmy, '.', '.'};

TEST(HouseholdForm, LoadAndWriteBackRoundTripTheRow) {
  core::TextGrid t(172, 10);
  t.set_cell(165, 0, "WATER");
  t.set_cell(1, 2, "03.08.2026");
  t.set_cell(2, 2, "12");
  t.set_cell(3, 2, "2");
  t.set_cell(4, 2, "7");
  t.set_cell(person_column(1, sex), 2, "f");
  t.set_cell(person_column(1, age), 2, "34");
  t.set_cell(person_column(20, location), 2, "4");
  t.set_cell(165, 2, "well");

  HouseholdForm form;
  load_household_form(t, 2, kDates, 2026, form);
  EXPECT_EQ(core::date_text(form.date, kDates), "03.08.2026");
  EXPECT_EQ(form.cluster, "12");
  EXPECT_EQ(form.persons[0][0], "f");
  EXPECT_EQ(form.persons[0][1], "34");
  EXPECT_EQ(form.persons[19][7], "4");
  ASSERT_EQ(form.additional.size(), 7u);
  EXPECT_EQ(form.additional[0], "well");

  // Written into an empty row it gives the same cells; the date is written in the system order.
  write_household_form(form, kDates, 5, t);
  for (int c = 1; c < t.column_count(); ++c) EXPECT_EQ(t.cell(c, 5), t.cell(c, 2)) << c;

  // A row without a valid date keeps the picker's date; the first write-back fills the cell.
  const int before = form.date;
  t.set_cell(1, 6, "31.02.2026");
  load_household_form(t, 6, kDates, 2026, form);
  EXPECT_EQ(form.date, before);
  EXPECT_EQ(form.cluster, "");
  write_household_form(form, kDates, 6, t);
  EXPECT_EQ(t.cell(1, 6), "03.08.2026");
}

TEST(PersonKeys, WarningsOfEveryColumn) {
  struct Case {
    int column;
    char key;
    PersonCellTexts person;
    std::optional<int> warning;
  };
  const PersonCellTexts none{};
  PersonCellTexts born{};
  born[4] = "y";
  PersonCellTexts joined{};
  joined[2] = "y";
  PersonCellTexts died{};
  died[5] = "y";
  PersonCellTexts left{};
  left[3] = "y";
  const std::vector<Case> cases = {
      {1, 'm', none, std::nullopt},  {1, 'f', none, std::nullopt}, {1, 'M', none, 801},
      {1, '1', none, 801},           {2, '7', none, std::nullopt}, {2, 'x', none, 800},
      {7, '.', none, 800},           {8, '3', none, std::nullopt}, {3, 'y', none, std::nullopt},
      {4, 'n', none, 891},           {6, 'Y', none, 891},          {3, 'y', born, 913},
      {5, 'y', joined, 913},         {4, 'y', died, 913},          {6, 'y', left, 913},
      {5, 'y', left, std::nullopt},  {1, '\r', none, std::nullopt}, {2, '\t', none, std::nullopt},
      {3, '\b', none, std::nullopt}};
  for (const Case& c : cases) {
    const std::optional<core::LanguageEntry> w = person_key_warning(c.person, c.column, c.key);
    EXPECT_EQ(w ? std::optional<int>(w->number) : std::nullopt, c.warning)
        << "column " << c.column << " key " << int(c.key);
  }
  EXPECT_EQ(next_person_cell({3, 1}), (PersonCell{4, 1}));
  EXPECT_EQ(next_person_cell({8, 1}), (PersonCell{1, 2}));
  EXPECT_EQ(next_person_cell({8, 20}), (PersonCell{8, 20}));
}

core::TextGrid households_with(const std::vector<std::string>& numbers, int rows = 8) {
  core::TextGrid h(12, rows);
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    h.set_cell(1, 2 + static_cast<int>(i), numbers[i]);
    h.set_cell(2, 2 + static_cast<int>(i), "1");
  }
  return h;
}

std::vector<std::string> column1(const core::TextGrid& h, int first_row) {
  std::vector<std::string> out;
  for (int r = first_row; r < h.row_count(); ++r) out.emplace_back(h.cell(1, r));
  return out;
}

TEST(RowCommands, HouseholdInsertAndDeleteNeverLoseARow) {
  core::TextGrid h = households_with({"1", "2", "3"});
  ASSERT_TRUE(insert_household_row(h, 3));
  EXPECT_EQ(column1(h, 2), (std::vector<std::string>{"1", "", "2", "3", "", ""}));
  ASSERT_TRUE(delete_household_row(h, 3));
  EXPECT_EQ(column1(h, 2), (std::vector<std::string>{"1", "2", "3", "", "", ""}));
  // Deleting the first row does not leave the last row twice.
  ASSERT_TRUE(delete_household_row(h, 2));
  EXPECT_EQ(column1(h, 2), (std::vector<std::string>{"2", "3", "", "", "", ""}));
  EXPECT_FALSE(insert_household_row(h, 1));  // a heading row

  // A table full to its last row grows rather than pushing a household out.
  core::TextGrid full = households_with({"1", "2", "3", "4"}, 6);
  ASSERT_TRUE(insert_household_row(full, 2));
  EXPECT_GT(full.row_count(), 6);
  EXPECT_EQ(full.cell(1, 6), "4");
  EXPECT_EQ(full.cell(0, 6), "5");  // new rows are numbered
}

TEST(RowCommands, IndividualInsertAndDeleteMoveAllColumns) {
  core::TextGrid t(170, 8);
  for (int r = 1; r <= 3; ++r) {
    t.set_cell(4, r, std::to_string(r));
    t.set_cell(169, r, "x" + std::to_string(r));
  }
  ASSERT_TRUE(insert_individual_row(t, 2));
  EXPECT_TRUE(t.row_is_empty(2));
  EXPECT_EQ(t.cell(4, 3), "2");
  EXPECT_EQ(t.cell(169, 4), "x3");
  EXPECT_GE(t.row_count(), 10);  // the bound + 4 must stay inside the table
  ASSERT_TRUE(delete_individual_row(t, 1));
  EXPECT_TRUE(t.row_is_empty(1));
  EXPECT_EQ(t.cell(4, 2), "2");
  EXPECT_EQ(t.cell(169, 3), "x3");
  EXPECT_TRUE(t.row_is_empty(4));
  EXPECT_EQ(individual_row_bound(core::TextGrid(170, 5)), 3);
  EXPECT_EQ(individual_row_bound(t), 5);
}

core::SurveyTable survey_of(const std::vector<std::pair<std::string, std::string>>& hh_cluster) {
  core::SurveyTable s;
  s.resize(s.column_count(), static_cast<int>(hh_cluster.size()) + 2);
  for (std::size_t i = 0; i < hh_cluster.size(); ++i) {
    const int r = static_cast<int>(i) + 1;
    s.set_cell(core::StdVar::survdate, r, "0" + std::to_string(r) + ".03.2026");
    s.set_cell(core::StdVar::cluster, r, hh_cluster[i].second);
    s.set_cell(core::StdVar::team, r, "2");
    s.set_cell(core::StdVar::hh, r, hh_cluster[i].first);
    s.set_cell(core::StdVar::id, r, std::to_string(r));
  }
  return s;
}

TEST(TakeOver, OneRowPerRunOfChildrenOfAHousehold) {
  // Households 5, 5 | 6 | 5 again: three rows, the last 5 split from the first by 6.
  const core::SurveyTable s = survey_of({{"5", "1"}, {"5", "1"}, {"6", "1"}, {"5", "2"}});
  core::TextGrid h = households_with({"old", "old", "old", "old", "old"});
  h.set_cell(10, 6, "9");
  EXPECT_EQ(take_over_households(s, h), 3);
  EXPECT_EQ(column1(h, 2), (std::vector<std::string>{"5", "6", "5", "", "", ""}));
  EXPECT_EQ(h.cell(2, 4), "2");
  EXPECT_EQ(h.cell(10, 6), "");  // everything else of the table is emptied

  core::TextGrid t(170, 6);
  t.set_cell(person_column(1, sex), 1, "m");
  EXPECT_EQ(take_over_individuals(s, t), 3);
  EXPECT_EQ(t.cell(1, 1), "01.03.2026");  // the survey date of the household's first child
  EXPECT_EQ(t.cell(2, 3), "2");
  EXPECT_EQ(t.cell(3, 1), "2");
  EXPECT_EQ(t.cell(4, 2), "6");
  EXPECT_EQ(t.cell(person_column(1, sex), 1), "");

  // More households than the table has rows: the table grows.
  std::vector<std::pair<std::string, std::string>> many;
  for (int i = 1; i <= 150; ++i) many.push_back({std::to_string(i), "1"});
  core::TextGrid small(12, 10);
  EXPECT_EQ(take_over_households(survey_of(many), small), 150);
  EXPECT_EQ(small.cell(1, 151), "150");
}

TEST(Paste, TabSeparatedLinesFromTheCurrentCell) {
  core::TextGrid h(12, 4);
  // Three lines (CR LF, closing line break); the second line reaches beyond column 11.
  const std::string text = "1\t3\t100\r\n2\t3\t80\t\t\t\t\t\t\t\t\t7\r\n3\t4\r\n";
  EXPECT_EQ(paste_into_table(text, 1, 2, kHouseholdColumns, h), 1);
  EXPECT_EQ(h.cell(3, 2), "100");
  EXPECT_EQ(h.cell(2, 4), "4");  // the table grew by one row
  EXPECT_EQ(h.row_count(), 5);
  EXPECT_EQ(h.cell(11, 3), "");

  core::TextGrid t(170, 3);
  EXPECT_EQ(paste_into_table("a\tb", 168, 1, 169, t), 0);
  EXPECT_EQ(t.cell(169, 1), "b");
}

TEST(AdditionalVariables, AddKeepsNamesTogetherAndDeleteMovesLeft) {
  core::TextGrid t(170, 4);  // five unnamed additional columns
  t.set_cell(166, 2, "stray");
  EXPECT_EQ(add_additional_variable(t, 3, "  water source "), 165);  // after no named column
  EXPECT_EQ(t.cell(165, 0), "WATER SO");
  EXPECT_EQ(t.column_count(), 171);
  EXPECT_EQ(t.cell(167, 2), "stray");  // the values move with their columns
  EXPECT_EQ(add_additional_variable(t, 0, "fuel"), 165);
  EXPECT_EQ(additional_variable_names(t)[0], "FUEL");
  EXPECT_EQ(additional_variable_names(t)[1], "WATER SO");
  EXPECT_EQ(add_additional_variable(t, 1, ""), std::nullopt);

  ASSERT_TRUE(delete_additional_variable(t, 0));
  EXPECT_EQ(t.cell(165, 0), "WATER SO");
  EXPECT_EQ(t.cell(167, 2), "stray");
  EXPECT_EQ(t.column_count(), 172);
  EXPECT_FALSE(delete_additional_variable(t, 7));

  core::TextGrid widest(kMaxIndividualColumns, 2);
  EXPECT_EQ(add_additional_variable(widest, 0, "x"), std::nullopt);
}

TEST(Transfer, TablesUpToTheirLastUsedRow) {
  core::TextGrid h = households_with({"1", "2"});
  h.set_cell(1, 0, "Household");
  EXPECT_EQ(household_table_text(h),
            "Household\t\t\t\t\t\t\t\t\t\t\t\n\t\t\t\t\t\t\t\t\t\t\t\n"
            "1\t1\t\t\t\t\t\t\t\t\t\t\n2\t1\t\t\t\t\t\t\t\t\t\t\n");
  core::TextGrid t(6, 5);
  t.set_cell(1, 0, "Day");
  t.set_cell(2, 1, "3");
  t.set_cell(5, 3, "m");  // a person without household number is not a used row
  EXPECT_EQ(individual_table_text(t), "Day\tCluster\tTeam\tHH\tP1_sex\t\n\t3\t\t\t\t\n");
}

}  // namespace
}  // namespace olvar::mortality
