// The data-entry sub-pages of the Death Rates page in the survey window: typing into the person
// grid with its warnings, write-back into the individual table, the row commands, take-over,
// paste, additional variables, the transfers and the plausibility report, the MORTALITY
// command-line mode, and the small-population correction's message.

#include "ui/mortality_entry_page.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/survey_file.h"
#include "mortality/death_rates.h"
#include "support/recording_launcher.h"
#include "ui/death_rates_page.h"
#include "window_environment.h"

namespace olvar::ui {
namespace {

using mortality::person_column;
using mortality::PersonField;

std::string slurp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Children of households 4, 4, 9 and again 4 in clusters 1 and 2.
void fill_survey(core::Workspace& w) {
  const char* const rows[][4] = {{"01.03.2026", "1", "1", "4"},
                                 {"01.03.2026", "1", "1", "4"},
                                 {"02.03.2026", "1", "1", "9"},
                                 {"03.03.2026", "2", "3", "4"}};
  for (int r = 1; r <= 4; ++r) {
    w.survey.set_cell(core::StdVar::survdate, r, rows[r - 1][0]);
    w.survey.set_cell(core::StdVar::cluster, r, rows[r - 1][1]);
    w.survey.set_cell(core::StdVar::team, r, rows[r - 1][2]);
    w.survey.set_cell(core::StdVar::hh, r, rows[r - 1][3]);
    w.survey.set_cell(core::StdVar::id, r, std::to_string(r));
  }
}

QPushButton* button(QWidget* page, const char* name) {
  auto* b = page->findChild<QPushButton*>(QString::fromLatin1(name));
  EXPECT_NE(b, nullptr) << name;
  return b;
}

class MortalityEntryTest : public testing::Test {
 protected:
  void SetUp() override {
    window_ = environment_.make_window();
    page_ = window_->death_rates_page();
    entry_ = page_->individual_entry();
    fill_survey(window_->workspace());
    window_->resize(1280, 800);
    window_->show();
    window_->pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::death_rates));
    page_->sub_pages()->setCurrentIndex(0);
  }
  std::string text(int entry) const { return environment_.text.text(entry); }
  const core::TextGrid& individuals() { return window_->workspace().mortality_individuals; }

  WindowEnvironment environment_;
  std::unique_ptr<SurveyWindow> window_;
  DeathRatesPage* page_ = nullptr;
  IndividualEntryPage* entry_ = nullptr;
};

TEST_F(MortalityEntryTest, TypingWarnsButKeepsTheKeyAndWritesTheRowBack) {
  environment_.prompter.yes_no_answers = {true};
  QTest::mouseClick(button(entry_, "i_mor_take_over"), Qt::LeftButton);
  EXPECT_EQ(environment_.prompter.questions.back(), text(806));
  // Households 4, 9 and 4 again; the form shows row 1 with the survey date of its first child.
  EXPECT_EQ(individuals().cell(4, 1), "4");
  EXPECT_EQ(individuals().cell(4, 2), "9");
  EXPECT_EQ(individuals().cell(2, 3), "2");
  EXPECT_EQ(entry_->current_row(), 1);
  EXPECT_EQ(entry_->date_picker()->date(), QDate(2026, 3, 1));
  EXPECT_EQ(entry_->cluster_box()->currentText(), "1");
  EXPECT_EQ(entry_->household_field()->text(), "4");

  QTableView* grid = entry_->person_grid();
  grid->setFocus();
  grid->setCurrentIndex(grid->model()->index(0, 0));
  const std::size_t messages = environment_.prompter.messages.size();
  // "M" warns with entry 801 but goes into the cell; Tab moves to Age.
  QTest::keyClicks(grid, "M");
  ASSERT_EQ(environment_.prompter.messages.size(), messages + 1);
  EXPECT_EQ(environment_.prompter.messages.back(), text(801));
  EXPECT_EQ(individuals().cell(person_column(1, PersonField::sex), 1), "M");
  QTest::keyClick(grid, Qt::Key_Tab);
  QTest::keyClicks(grid, "34");
  EXPECT_EQ(individuals().cell(person_column(1, PersonField::age), 1), "34");
  EXPECT_EQ(environment_.prompter.messages.size(), messages + 1);
  // Backspace corrects the cell; a key in a newly chosen cell replaces its text.
  QTest::keyClick(grid, Qt::Key_Backspace);
  EXPECT_EQ(individuals().cell(person_column(1, PersonField::age), 1), "3");
  QTest::keyClicks(grid, "4");
  grid->setCurrentIndex(grid->model()->index(0, 0));
  QTest::keyClicks(grid, "m");
  EXPECT_EQ(individuals().cell(person_column(1, PersonField::sex), 1), "m");
  QTest::keyClicks(grid, "M");  // back to the upper-case "M" of the file check below
  QTest::keyClick(grid, Qt::Key_Backspace);
  QTest::keyClick(grid, Qt::Key_Backspace);
  QTest::keyClicks(grid, "M");
  EXPECT_EQ(individuals().cell(person_column(1, PersonField::sex), 1), "M");
  grid->setCurrentIndex(grid->model()->index(0, 1));
  // Joined "y", then Born "y" of the same person: entry 913.
  QTest::keyClick(grid, Qt::Key_Return);
  QTest::keyClicks(grid, "y");
  grid->setCurrentIndex(grid->model()->index(0, 4));
  QTest::keyClicks(grid, "y");
  EXPECT_EQ(environment_.prompter.messages.back(), text(913));
  EXPECT_EQ(individuals().cell(person_column(1, PersonField::born), 1), "y");
  // From Location of person 1 Enter goes to Sex of person 2.
  grid->setCurrentIndex(grid->model()->index(0, 7));
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(1, 0));
  // The write-back filled the date from the picker in the system order.
  EXPECT_EQ(individuals().cell(1, 1), "01.03.2026");
  EXPECT_TRUE(window_->workspace().changed);

  // Changing the household number in the form rewrites the row.
  entry_->household_field()->setFocus();
  entry_->household_field()->selectAll();
  QTest::keyClicks(entry_->household_field(), "14");
  EXPECT_EQ(individuals().cell(4, 1), "14");

  // Insert an empty row at the current row and delete it again.
  QTest::mouseClick(button(entry_, "i_mor_insert"), Qt::LeftButton);
  EXPECT_EQ(individuals().cell(4, 1), "");
  EXPECT_EQ(individuals().cell(person_column(1, PersonField::age), 2), "34");
  EXPECT_EQ(entry_->household_field()->text(), "");
  QTest::mouseClick(button(entry_, "i_mor_delete"), Qt::LeftButton);
  EXPECT_EQ(individuals().cell(4, 1), "14");
  EXPECT_EQ(individuals().cell(4, 2), "9");
  EXPECT_EQ(entry_->household_field()->text(), "14");

  // A click in the table loads that household.
  entry_->table_view()->setCurrentIndex(entry_->table_view()->model()->index(2, 0));
  EXPECT_EQ(entry_->current_row(), 3);
  EXPECT_EQ(entry_->cluster_box()->currentText(), "2");
  EXPECT_EQ(entry_->date_picker()->date(), QDate(2026, 3, 3));

  // The survey file keeps what was typed.
  const std::string bytes = core::survey_file_bytes(window_->workspace(), environment_.app.dates);
  EXPECT_NE(bytes.find("01.03.2026\t1\t1\t14\tM\t34\ty\t\ty\r\n"), std::string::npos);
}

TEST_F(MortalityEntryTest, VariablesPasteTransferAndPlausibilityReport) {
  // Add a variable: upper-cased, cut to 8 characters, shown in both grids.
  environment_.prompter.text_answers = {std::string("water source")};
  QTest::mouseClick(button(entry_, "i_mor_add_variable"), Qt::LeftButton);
  EXPECT_EQ(individuals().cell(165, 0), "WATER SO");
  QAbstractItemModel* extra = entry_->additional_grid()->model();
  EXPECT_EQ(extra->headerData(0, Qt::Horizontal).toString(), "WATER SO");
  EXPECT_EQ(extra->headerData(1, Qt::Horizontal).toString().toStdString(), text(1461));
  EXPECT_EQ(entry_->table_view()->model()->headerData(164, Qt::Horizontal).toString(),
            "WATER SO");
  extra->setData(extra->index(0, 0), "well", Qt::EditRole);
  EXPECT_EQ(individuals().cell(165, 1), "well");

  // Paste two households at the current cell (row 2, column Cluster).
  QApplication::clipboard()->setText("3\t1\t22\r\n3\t1\t23\r\n");
  entry_->table_view()->setCurrentIndex(entry_->table_view()->model()->index(1, 1));
  environment_.prompter.yes_no_answers = {true};
  QTest::mouseClick(button(entry_, "i_mor_paste"), Qt::LeftButton);
  EXPECT_EQ(environment_.prompter.questions.back(), text(933));
  EXPECT_EQ(individuals().cell(4, 2), "22");
  EXPECT_EQ(individuals().cell(4, 3), "23");

  // Delete the variable again (asked with its name).
  entry_->additional_grid()->setCurrentIndex(extra->index(0, 0));
  environment_.prompter.yes_no_answers = {true};
  QTest::mouseClick(button(entry_, "i_mor_delete_variable"), Qt::LeftButton);
  EXPECT_EQ(environment_.prompter.questions.back(), "WATER SO " + text(879));
  EXPECT_EQ(individuals().cell(165, 0), "");

  // The table to the spreadsheet: the headings line, then the used rows.
  test::RecordingLauncher launcher;
  page_->set_launcher(&launcher);
  QTest::mouseClick(button(entry_, "i_mor_transfer"), Qt::LeftButton);
  ASSERT_TRUE(page_->last_hand_off().has_value());
  const std::string table = slurp(page_->last_hand_off()->file);
  EXPECT_EQ(table.substr(0, 20), "Date\tCluster\tTeam\tHH");
  EXPECT_NE(table.find("\t3\t1\t23\t"), std::string::npos);

  // The household page: take-over, then its transfer with the headings of the language file.
  HouseholdEntryPage* households = page_->household_entry();
  page_->sub_pages()->setCurrentIndex(1);
  environment_.prompter.yes_no_answers = {true};
  QTest::mouseClick(button(households, "mor_take_over"), Qt::LeftButton);
  EXPECT_EQ(window_->workspace().mortality_households.cell(1, 4), "4");
  EXPECT_EQ(households->table_view()->model()->headerData(2, Qt::Horizontal).toString()
                .toStdString(),
            text(1046) + " " + text(1047));
  QTest::mouseClick(button(households, "mor_transfer"), Qt::LeftButton);
  const std::string households_table = slurp(page_->last_hand_off()->file);
  EXPECT_EQ(households_table.substr(0, households_table.find('\n')),
            text(1045) + "\t" + text(846) + "\t" + text(1046) + "\t\t" + text(1048) + "\t\t" +
                text(1049) + "\t\t" + text(1062) + "\t" + text(1063) + "\t\t");
  EXPECT_NE(households_table.find("\n4\t1\t"), std::string::npos);

  // The Plausibility Report button hands the mortality plausibility report on.
  window_->set_launcher(std::make_unique<test::RecordingLauncher>());
  QTest::mouseClick(button(entry_, "i_mor_plausibility"), Qt::LeftButton);
  ASSERT_TRUE(window_->last_hand_off().has_value());
  EXPECT_TRUE(std::filesystem::exists(window_->last_hand_off()->file));

  const std::filesystem::path folder = OLVAR_UI_SCREENSHOT_DIR;
  std::filesystem::create_directories(folder);
  page_->sub_pages()->setCurrentIndex(0);
  entry_->set_current_row(2);
  EXPECT_TRUE(window_->grab().save(
      QString::fromStdString((folder / "5e_death_rates_entry_form.png").string())));
}

// The tables below the forms show a whole date and whole headings.
TEST_F(MortalityEntryTest, TablesShowWholeDatesAndHeadings) {
  auto* individual = entry_->findChild<QTableView*>(QStringLiteral("i_mor_data"));
  auto* household = page_->findChild<QTableView*>(QStringLiteral("Mor"));
  ASSERT_NE(individual, nullptr);
  ASSERT_NE(household, nullptr);
  EXPECT_GT(individual->columnWidth(0),
            individual->fontMetrics().horizontalAdvance(QStringLiteral("01.03.2026")));
  for (QTableView* view : {individual, household}) {
    for (int column = 0; column < view->model()->columnCount(); ++column) {
      EXPECT_GE(view->columnWidth(column), view->horizontalHeader()->sectionSizeHint(column))
          << view->objectName().toStdString() << " column " << column;
    }
  }
}

TEST_F(MortalityEntryTest, SampleAbovePopulationTellsEntry94Once) {
  core::Workspace& w = window_->workspace();
  w.planning.sm_d = "90";
  for (int c = 1; c <= 3; ++c) {
    w.mortality_individuals.set_cell(2, c, std::to_string(c));
    w.mortality_individuals.set_cell(4, c, "1");
    for (int k = 1; k <= 10; ++k) {
      w.mortality_individuals.set_cell(person_column(k, PersonField::sex), c, "f");
      w.mortality_individuals.set_cell(person_column(k, PersonField::age), c, "30");
    }
    w.mortality_individuals.set_cell(person_column(1, PersonField::died), c, "y");
  }
  page_->population_correction = [] {
    return stats::PopulationCorrectionInputs{true, "1000", "", "", "5000"};
  };
  const std::size_t before = environment_.prompter.messages.size();
  page_->sub_pages()->setCurrentIndex(3);
  ASSERT_EQ(environment_.prompter.messages.size(), before + 1);
  EXPECT_EQ(environment_.prompter.messages.back(), text(94));
  ASSERT_TRUE(page_->individual().has_value());
  EXPECT_TRUE(page_->individual()->crude.interval_available);
}

TEST(MortalityMode, HidesTheTakeOverButtonsAndDisablesSaving) {
  WindowEnvironment environment;
  core::Workspace w;
  core::reset_to_new_table(w, "01.03.2026");
  const std::filesystem::path file = environment.temp / "mortality.as";
  std::ofstream(file, std::ios::binary) << core::survey_file_bytes(w, environment.app.dates);
  environment.app.command_line.mode_word = "MORTALITY";
  std::unique_ptr<SurveyWindow> window = environment.make_window();
  ASSERT_TRUE(window->open_survey(file));
  DeathRatesPage* page = window->death_rates_page();
  EXPECT_EQ(window->pages()->currentWidget(), page);
  EXPECT_TRUE(page->individual_entry()->take_over_button()->isHidden());
  EXPECT_TRUE(page->household_entry()->take_over_button()->isHidden());
  EXPECT_FALSE(page->individual_entry()->save_button()->isEnabled());
  EXPECT_FALSE(page->household_entry()->save_button()->isEnabled());
  // The other buttons stay.
  EXPECT_FALSE(page->individual_entry()->plausibility_button()->isHidden());

  // The ordinary window keeps them.
  WindowEnvironment plain;
  std::unique_ptr<SurveyWindow> ordinary = plain.make_window();
  ASSERT_TRUE(ordinary->open_survey(file));
  EXPECT_FALSE(ordinary->death_rates_page()->individual_entry()->take_over_button()->isHidden());
  EXPECT_TRUE(ordinary->death_rates_page()->household_entry()->save_button()->isEnabled());
}

}  // namespace
}  // namespace olvar::ui
