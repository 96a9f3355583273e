// Field data into the desktop program as survey teams bring it: the phone survey of the shared
// data through the preview-and-map window (dates of every form, the guessed date order, a saved
// mapping offered again), a file dropped on the window, and the household roster imported on the
// Death Rates page with the same results as the command-line tool.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <filesystem>

#include "mortality/death_rates.h"
#include "mortality/mortality_check.h"
#include "support/run_command.h"
#include "ui/death_rates_page.h"
#include "ui/import_window.h"
#include "ui/palette.h"
#include "ui/qt_convert.h"
#include "window_environment.h"

namespace olvar::ui {
namespace {

using core::StdVar;
using ::testing::HasSubstr;

class FieldDataImportTest : public ::testing::Test {
 protected:
  FieldDataImportTest() : window(env.make_window()) {
    window->resize(1366, 768);
    window->show();
  }

  ImportWindow* last_import_window() const {
    const QList<ImportWindow*> windows = window->findChildren<ImportWindow*>();
    return windows.isEmpty() ? nullptr : windows.back();
  }
  static QComboBox* list(ImportWindow* w, const char* name) {
    auto* box = w->findChild<QComboBox*>(QString::fromLatin1(name));
    EXPECT_NE(box, nullptr) << name;
    return box;
  }
  static QString label(ImportWindow* w, const char* name) {
    auto* found = w->findChild<QLabel*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found != nullptr ? found->text() : QString();
  }
  static void shoot(QWidget* widget, const std::string& name) {
    const std::filesystem::path folder = OLVAR_UI_SCREENSHOT_DIR;
    std::filesystem::create_directories(folder);
    QCoreApplication::processEvents();
    EXPECT_TRUE(widget->grab().save(QString::fromStdString((folder / (name + ".png")).string())));
  }

  WindowEnvironment env;
  std::unique_ptr<SurveyWindow> window;
};

// The phone survey writes its dates "07-Aug-19": every survey date and every birth date is read,
// and the children with a birth date get their indices.
TEST_F(FieldDataImportTest, ThePhoneSurveyImportsWithItsDatesThroughThePreview) {
  const std::string phone = test::survey_data_path("anthro_healthyr_raw_anthro1.csv");
  env.prompter.file_answers.push_back(phone);
  window->import_survey();
  ImportWindow* w = last_import_window();
  ASSERT_NE(w, nullptr);
  // Map the form's own names.
  for (const auto& [target, field] :
       {std::pair{"SURVDATE", "today"}, {"BIRTHDAT", "birthdate"}, {"MONTHS", "age"},
        {"SEX", "child_sex"}, {"CLUSTER", "cluster_id"}, {"TEAM", "enum"},
        {"MEASURE", "measure"}}) {
    list(w, target)->setCurrentText(QString::fromLatin1(field));
  }
  EXPECT_EQ(list(w, "WEIGHT")->currentText(), QStringLiteral("weight"));
  EXPECT_EQ(list(w, "WTFACTOR")->count(), 17);  // every standard variable is a target
  // Month names read in every order: the order is a guess, the system's, and says so.
  EXPECT_EQ(list(w, "date_format")->currentText(), QStringLiteral("ddmmyy"));
  EXPECT_THAT(label(w, "date_guess").toStdString(), HasSubstr("guess"));

  auto* preview = w->findChild<QTableWidget*>(QStringLiteral("preview"));
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->rowCount(), ImportWindow::kPreviewRows);
  int survdate = -1, birthdat = -1, measure = -1;
  for (int c = 0; c < preview->columnCount(); ++c) {
    const QString heading = preview->horizontalHeaderItem(c)->text();
    if (heading.startsWith(QStringLiteral("SURVDATE"))) survdate = c;
    if (heading.startsWith(QStringLiteral("BIRTHDAT"))) birthdat = c;
    if (heading.startsWith(QStringLiteral("MEASURE"))) measure = c;
  }
  ASSERT_GE(survdate, 0);
  ASSERT_GE(birthdat, 0);
  EXPECT_EQ(preview->item(0, survdate)->text(), QStringLiteral("07.08.2019"));
  EXPECT_EQ(preview->item(0, birthdat)->text(), QStringLiteral("15.05.2015"));
  EXPECT_EQ(preview->item(0, measure)->text(), QStringLiteral("h"));  // 2 = standing
  shoot(w, "17b_import_preview");

  w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  const core::SurveyTable& survey = window->workspace().survey;
  int dates = 0, births = 0, births_with_haz = 0;
  for (int row = 1; row <= 651; ++row) {
    dates += !survey.cell(StdVar::survdate, row).empty();
    if (survey.cell(StdVar::birthdat, row).empty()) continue;
    ++births;
    births_with_haz += !survey.cell(StdVar::haz, row).empty();
  }
  EXPECT_EQ(dates, 651);
  EXPECT_EQ(births, 328);
  EXPECT_GT(births_with_haz, 150);  // the measured ones
  for (const std::string& message : env.prompter.messages) {
    EXPECT_THAT(message, ::testing::Not(HasSubstr("are no dates"))) << message;
  }
}

TEST_F(FieldDataImportTest, ADayAbove12DecidesTheOrderAndTheRefusedValuesAreMarked) {
  const auto file = env.temp.write("month_first.csv",
                                   "SURVDATE,BIRTHDAT,SEX,WEIGHT\n"
                                   "08/07/2019,02/25/2017,m,12.5\n"
                                   "08/07/2019,13/13/2017,x,abc\n");
  env.prompter.file_answers.push_back(file.string());
  window->import_survey();
  ImportWindow* w = last_import_window();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(list(w, "date_format")->currentText(), QStringLiteral("mmddyy"));
  EXPECT_THAT(label(w, "date_guess").toStdString(), HasSubstr("guessed from the dates"));
  auto* preview = w->findChild<QTableWidget*>(QStringLiteral("preview"));
  EXPECT_EQ(preview->item(0, 0)->text(), QStringLiteral("7.8.2019"));
  EXPECT_EQ(preview->item(1, 1)->background().color(), palette::kMarked);
  EXPECT_THAT(preview->item(1, 1)->toolTip().toStdString(), HasSubstr("no date in the order mdy"));
  EXPECT_EQ(preview->item(1, 3)->toolTip(), QStringLiteral("not a number"));
  EXPECT_THAT(label(w, "refused_note").toStdString(), HasSubstr("3 values"));

  // The preview follows the order chosen by hand.
  list(w, "date_format")->setCurrentIndex(0);
  EXPECT_EQ(preview->item(0, 0)->background().color(), palette::kMarked);
  EXPECT_EQ(label(w, "date_guess"), QStringLiteral("chosen"));
  w->reject();
}

TEST_F(FieldDataImportTest, ASavedMappingIsOfferedAgainForAFileWithTheSameFields) {
  const std::string columns = "kg,cm,child_sex,w\n";
  const auto first = env.temp.write("day1.csv", columns + "12,88,m,1.2\n");
  env.prompter.file_answers.push_back(first.string());
  window->import_survey();
  ImportWindow* w = last_import_window();
  ASSERT_NE(w, nullptr);
  list(w, "WEIGHT")->setCurrentText(QStringLiteral("kg"));
  list(w, "HEIGHT")->setCurrentText(QStringLiteral("cm"));
  list(w, "SEX")->setCurrentText(QStringLiteral("child_sex"));
  list(w, "WTFACTOR")->setCurrentText(QStringLiteral("w"));
  list(w, "date_format")->setCurrentIndex(2);
  w->findChild<QPushButton*>(QStringLiteral("save_mapping"))->click();
  EXPECT_THAT(label(w, "saved_note").toStdString(), HasSubstr("saved"));
  w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  EXPECT_EQ(window->workspace().survey.cell(StdVar::wtfactor, 1), "1.2");

  // The next day's file: the same fields, the mapping and the order come back.
  window->workspace().changed = false;
  const auto second = env.temp.write("day2.csv", columns + "9,70,f,0.8\n");
  env.prompter.file_answers.push_back(second.string());
  window->import_survey();
  w = last_import_window();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(list(w, "WEIGHT")->currentText(), QStringLiteral("kg"));
  EXPECT_EQ(list(w, "WTFACTOR")->currentText(), QStringLiteral("w"));
  EXPECT_EQ(list(w, "date_format")->currentText(), QStringLiteral("yymmdd"));
  EXPECT_THAT(label(w, "saved_note").toStdString(), HasSubstr("saved for files with these"));
  w->reject();

  // Other fields: nothing saved is offered.
  const auto other = env.temp.write("other.csv", "kg,cm\n9,70\n");
  env.prompter.file_answers.push_back(other.string());
  window->import_survey();
  w = last_import_window();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(list(w, "WEIGHT")->currentText(), QString());
  EXPECT_EQ(label(w, "saved_note"), QString());
  w->reject();
}

// A file dropped on the window: a survey opens, a data file goes to the import window, both
// after the question about unsaved changes; other files are not taken.
TEST_F(FieldDataImportTest, DroppedFilesAreOpenedOrImportedAfterTheQuestion) {
  const auto drop = [&](const std::filesystem::path& file) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file.string()))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &dropped);
    return true;
  };
  EXPECT_FALSE(drop(env.temp.write("picture.png", "x")));

  window->workspace().changed = true;
  env.prompter.yes_no_cancel_answers.push_back(core::Prompter::Answer::cancel);
  EXPECT_TRUE(drop(env.temp.write("kids.csv", "SEX,WEIGHT\nm,12\n")));
  EXPECT_EQ(last_import_window(), nullptr);  // cancelled: nothing imported

  env.prompter.yes_no_cancel_answers.push_back(core::Prompter::Answer::no);
  EXPECT_TRUE(drop(env.temp.path() / "kids.csv"));
  ImportWindow* w = last_import_window();
  ASSERT_NE(w, nullptr);
  w->accept();
  EXPECT_EQ(window->workspace().survey.cell(StdVar::weight, 1), "12");

  const std::filesystem::path survey = test::source_path("tests/fixtures/survey_file/rich.as");
  env.prompter.yes_no_cancel_answers.push_back(core::Prompter::Answer::no);
  EXPECT_TRUE(drop(survey));
  EXPECT_EQ(window->workspace().file_name, survey.string());
  EXPECT_TRUE(env.prompter.all_answers_used());
}

// The real roster through the Death Rates page: one row of persons per household of at most 20,
// a larger household counted once (485 households), and the rates of the command-line tool.
TEST_F(FieldDataImportTest, TheRealRosterImportsOnTheDeathRatesPageAsTheCommandLineDoes) {
  const std::string roster = test::survey_data_path("mortality_healthyr_roster1.csv");
  const std::string left = test::survey_data_path("mortality_healthyr_left1.csv");
  const std::string died = test::survey_data_path("mortality_healthyr_died1.csv");
  env.prompter.file_answers.push_back(roster);
  window->pages()->setCurrentIndex(4);
  auto* button = window->death_rates_page()->findChild<QPushButton*>(QStringLiteral("ImportRoster"));
  ASSERT_NE(button, nullptr);
  button->click();
  ImportWindow* w = last_import_window();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(list(w, "KEY")->currentText(), QStringLiteral("KEY"));
  EXPECT_EQ(list(w, "today")->currentText(), QStringLiteral("today"));
  // The lists beside the roster are found by their names.
  EXPECT_EQ(w->findChild<QLineEdit*>(QStringLiteral("left_file"))->text().toStdString(), left);
  EXPECT_EQ(w->findChild<QLineEdit*>(QStringLiteral("died_file"))->text().toStdString(), died);
  shoot(w, "17c_roster_import");
  w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  ASSERT_FALSE(env.prompter.messages.empty());
  EXPECT_EQ(env.prompter.messages.back(), "485 households, 3780 persons imported");

  const core::TextGrid& individuals = window->workspace().mortality_individuals;
  const mortality::MortalityCheckValues check = mortality::mortality_check_values(individuals);
  long households = 0;
  for (const mortality::ClusterHouseholds& c : check.households_by_cluster) {
    households += c.households;
  }
  EXPECT_EQ(households, 485);
  EXPECT_TRUE(check.same_key.empty()) << check.same_key.size() << " households named twice";

  // The rates the command-line tool gives for its own import of the same files.
  const test::TempFolder folder;
  const std::string survey = (folder / "survey.as").string();
  test::CommandResult r =
      test::run_cli("import-mortality '" + roster + "' --left '" + left + "' --died '" + died +
                        "' --recall-days 101 -o '" + survey + "'",
                    folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  r = test::run_cli("mortality '" + survey + "'", folder.path());
  ASSERT_EQ(r.status, 0) << r.err;
  // The lines of all persons, of the under-fives and of each sex (the age groups follow the
  // Options page, which the two surveys need not share).
  const mortality::IndividualResults results = mortality::individual_results(
      individuals, mortality::age_groups(mortality::AgeGrouping::ten_years, core::OptionsPage{}),
      101);
  const std::string window_lines = mortality::rate_table_text(mortality::rate_lines(results));
  const auto first_lines = [](const std::string& text) {
    std::size_t end = 0;
    for (int line = 0; line < 5 && end != std::string::npos; ++line) end = text.find('\n', end + 1);
    return text.substr(0, end);
  };
  EXPECT_THAT(window_lines, HasSubstr("crude death rate\t0.52\t"));
  EXPECT_EQ(first_lines(window_lines), first_lines(r.out));
}

}  // namespace
}  // namespace olvar::ui
