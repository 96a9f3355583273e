// The statistical calculator window driven through its widgets, over the survey window that
// opens it.
#include "ui/calculator_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolBar>
#include <filesystem>

#include "support/run_command.h"
#include "support/test_paths.h"
#include "ui/qt_convert.h"
#include "window_environment.h"
#include "support/recording_launcher.h"

namespace olvar::ui {
namespace {

using ::testing::HasSubstr;

using test::RecordingLauncher;

// The ten children worked by hand in the calculator's own tests (three clusters; SEX, WHZ,
// EDEMA) and a user variable WATER with two sources.
void fill_survey(core::SurveyTable& survey) {
  struct Child {
    const char* cluster;
    const char* sex;
    const char* whz;
    const char* water;
  };
  const Child children[] = {{"1", "m", "-2.5", "well"},  {"1", "f", "-1.0", "well"},
                            {"1", "m", "-0.5", "river"}, {"1", "f", "-2.1", "well"},
                            {"2", "f", "0.5", "river"},  {"2", "m", "-1.5", "well"},
                            {"2", "f", "1.0", "well"},   {"3", "m", "-3.0", "river"},
                            {"3", "m", "-2.0", "well"},  {"3", "f", "0.1", "well"}};
  survey.set_cell(20, 0, "WATER");
  int row = 1;
  for (const Child& c : children) {
    survey.set_cell(core::StdVar::cluster, row, c.cluster);
    survey.set_cell(core::StdVar::id, row, std::to_string(row));
    survey.set_cell(core::StdVar::sex, row, c.sex);
    survey.set_cell(core::StdVar::whz, row, c.whz);
    survey.set_cell(20, row, c.water);
    ++row;
  }
}

template <typename T>
T* child(QWidget* window, const char* name) {
  T* widget = window->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

// What a user's pick in a drop-down list does: the item becomes current and the list reports
// the choice.
void choose(QComboBox* list, const QString& item) {
  const int index = list->findText(item);
  ASSERT_GE(index, 0) << item.toStdString();
  list->setCurrentIndex(index);
  emit list->activated(index);
}

void type_into(QLineEdit* box, const QString& text) {
  box->setFocus();
  QTest::keyClicks(box, text);
}

QAction* calculator_action(SurveyWindow& window) {
  for (QAction* action : window.findChildren<QAction*>()) {
    if (action->objectName() == QStringLiteral("StatisticalCalculator")) return action;
  }
  return nullptr;
}

class CalculatorWindowTest : public ::testing::Test {
 protected:
  CalculatorWindowTest() : survey_window(env.make_window()) {
    fill_survey(survey_window->workspace().survey);
  }

  CalculatorWindow* open() {
    QAction* action = calculator_action(*survey_window);
    EXPECT_NE(action, nullptr);
    const int before = survey_window->findChildren<CalculatorWindow*>().size();
    action->trigger();
    const QList<CalculatorWindow*> windows = survey_window->findChildren<CalculatorWindow*>();
    EXPECT_EQ(windows.size(), before + 1);
    CalculatorWindow* window = windows.back();
    window->set_launcher(&launcher);
    return window;
  }

  WindowEnvironment env;
  std::unique_ptr<SurveyWindow> survey_window;
  RecordingLauncher launcher;
};

TEST_F(CalculatorWindowTest, OpensFromTheToolBarAndTheExtrasMenuANewWindowEachTime) {
  QAction* action = calculator_action(*survey_window);
  ASSERT_NE(action, nullptr);
  bool in_toolbar = false;
  for (QToolBar* bar : survey_window->findChildren<QToolBar*>()) {
    in_toolbar = in_toolbar || bar->actions().contains(action);
  }
  EXPECT_TRUE(in_toolbar);
  bool in_extras = false;
  QStringList forms;
  for (QMenu* menu : survey_window->menuBar()->findChildren<QMenu*>()) {
    if (menu->title() == QStringLiteral("E&xtras")) in_extras = menu->actions().contains(action);
    if (menu->title() == QStringLiteral("Other forms and sheets")) {
      for (QAction* a : menu->actions()) forms << a->text();
    }
  }
  EXPECT_TRUE(in_extras);
  EXPECT_EQ(forms.size(), 5);
  EXPECT_TRUE(forms.contains(QStringLiteral("Cluster Control Form")));

  CalculatorWindow* first = open();
  CalculatorWindow* second = open();
  EXPECT_NE(first, second);
  first->show();
  second->show();
  EXPECT_EQ(first->windowTitle(), QStringLiteral("Statistical Calculator"));
  EXPECT_FALSE(first->isModal());
  // At opening: CLUSTER is chosen and read as categories; the note box is shown.
  EXPECT_EQ(child<QComboBox>(first, "main_list")->currentText(), QStringLiteral("CLUSTER"));
  EXPECT_TRUE(child<QRadioButton>(first, "main_cat")->isChecked());
  EXPECT_TRUE(child<QCheckBox>(first, "descriptive")->isChecked());
  EXPECT_TRUE(child<QLabel>(first, "note_box")->isVisible());
  EXPECT_THAT(from_qstring(child<QLabel>(first, "note_box")->text()),
              HasSubstr("press \"Calculate\"."));
  EXPECT_EQ(child<QPlainTextEdit>(first, "result_box")->width(),
            CalculatorWindow::kResultWidthAtRest);
  const std::filesystem::path folder = OLVAR_UI_SCREENSHOT_DIR;
  std::filesystem::create_directories(folder);
  EXPECT_TRUE(first->grab().save(
      QString::fromStdString((folder / "9a_statistical_calculator_at_rest.png").string())));
}

TEST_F(CalculatorWindowTest, CalculatesWhatTheControlsSayAndHandsItToTheSpreadsheet) {
  CalculatorWindow* window = open();
  window->show();
  auto* descriptive = child<QCheckBox>(window, "descriptive");

  choose(child<QComboBox>(window, "main_list"), QStringLiteral("WHZ"));
  EXPECT_TRUE(child<QRadioButton>(window, "main_cont")->isChecked());
  type_into(child<QLineEdit>(window, "range_from_2"), QStringLiteral("-3"));
  type_into(child<QLineEdit>(window, "range_to_2"), QStringLiteral("-2"));
  // A crossing variable turns the descriptive lines off; the user turns them on again.
  choose(child<QComboBox>(window, "crossing_list_1"), QStringLiteral("SEX"));
  EXPECT_TRUE(child<QRadioButton>(window, "crossing_1_cat")->isChecked());
  EXPECT_FALSE(descriptive->isChecked());
  QTest::mouseClick(descriptive, Qt::LeftButton);
  EXPECT_TRUE(descriptive->isChecked());
  // WATER holds two texts in ten records: categories.
  choose(child<QComboBox>(window, "crossing_list_2"), QStringLiteral("WATER"));
  EXPECT_TRUE(child<QRadioButton>(window, "crossing_2_cat")->isChecked());

  // A prevalence variable turns them off too. A prevalence range first, then the cut-off typed
  // over it: the range boxes empty.
  QTest::mouseClick(descriptive, Qt::LeftButton);
  choose(child<QComboBox>(window, "prevalence_list"), QStringLiteral("WHZ"));
  EXPECT_FALSE(descriptive->isChecked());
  QTest::mouseClick(descriptive, Qt::LeftButton);
  type_into(child<QLineEdit>(window, "prevalence_from"), QStringLiteral("-9"));
  type_into(child<QLineEdit>(window, "prevalence_to"), QStringLiteral("-2"));
  auto* op = child<QComboBox>(window, "operator_list");
  type_into(op->lineEdit(), QStringLiteral("<"));
  type_into(child<QLineEdit>(window, "cutoff"), QStringLiteral("-2"));
  EXPECT_TRUE(child<QLineEdit>(window, "prevalence_from")->text().isEmpty());
  EXPECT_TRUE(child<QLineEdit>(window, "prevalence_to")->text().isEmpty());

  QTest::mouseClick(child<QPushButton>(window, "calculate"), Qt::LeftButton);
  const std::vector<std::string> expected = {
      "Results:",
      "Descriptive statistics WHZ (all):  (n=10); mean\xB1SD: -1.10 \xB1 1.35; range: "
      "(-3.00 - 1.00); 95% CI: (-1.93 - -0.27) ; median: -1.50",
      "WHZ vs. SEX: (all):  (n=10); m]  (n= 5) 50.0 %; f]  (n= 5) 50.0 %; ",
      "WHZ vs. WATER: (all):  (n=10); well]  (n= 7) 70.0 %; river]  (n= 3) 30.0 %; ",
      "Prevalence rate WHZ < -2: 30.0 % (3 of 10); 95% confidence interval: (2.0 - 89.9);  "
      "Design Effect: 1.04",
      "Descriptive statistics WHZ (-3 to -2):  (n=4); mean\xB1SD: -2.40 \xB1 0.45; range: "
      "(-3.00 - -2.00); 95% CI: (-2.85 - -1.95) ; median: -2.50",
      "WHZ vs. SEX: (from -3 to -2):  (n=4); m]  (n= 3) 75.0 %; f]  (n= 1) 25.0 %; ",
      "WHZ vs. WATER: (from -3 to -2):  (n=4); well]  (n= 3) 75.0 %; river]  (n= 1) 25.0 %; "};
  EXPECT_EQ(window->result_lines(), expected);
  std::string shown;
  for (const std::string& line : expected) shown += (shown.empty() ? "" : "\n") + line;
  EXPECT_EQ(from_qstring(child<QPlainTextEdit>(window, "result_box")->toPlainText()), shown);
  EXPECT_FALSE(child<QLabel>(window, "note_box")->isVisible());
  EXPECT_EQ(child<QPlainTextEdit>(window, "result_box")->width(),
            CalculatorWindow::kResultWidthWithResults);

  const std::filesystem::path folder = OLVAR_UI_SCREENSHOT_DIR;
  std::filesystem::create_directories(folder);
  EXPECT_TRUE(window->grab().save(
      QString::fromStdString((folder / "9_statistical_calculator.png").string())));

  QTest::mouseClick(child<QPushButton>(window, "export"), Qt::LeftButton);
  ASSERT_EQ(launcher.commands.size(), 1u);
  // The results of a survey never saved go to the documents folder under their own name.
  const std::filesystem::path table = env.temp / "new survey calculator 2026-12-10.tsv";
  ASSERT_TRUE(std::filesystem::exists(table));
  EXPECT_EQ(launcher.commands[0].arguments.back(), table.string());
  const std::string written = test::read_whole_file(table);
  EXPECT_THAT(written, ::testing::StartsWith("Statistical calculator: results\n\n"
                                             "Descriptive statistics WHZ (all):  (n=10)\tmean"));
  EXPECT_THAT(written, HasSubstr("WHZ vs. SEX: (all):  (n=10)\tm]  (n= 5) 50.0 %\tf]  (n= 5) "
                                 "50.0 %\t\n"));

  QTest::mouseClick(child<QPushButton>(window, "reset"), Qt::LeftButton);
  EXPECT_TRUE(window->result_lines().empty());
  EXPECT_TRUE(child<QPlainTextEdit>(window, "result_box")->toPlainText().isEmpty());
  EXPECT_TRUE(child<QLabel>(window, "note_box")->isVisible());
  EXPECT_EQ(child<QComboBox>(window, "main_list")->currentText(), QStringLiteral("CLUSTER"));
  EXPECT_TRUE(child<QComboBox>(window, "crossing_list_1")->currentText().isEmpty());
  EXPECT_TRUE(child<QComboBox>(window, "prevalence_list")->currentText().isEmpty());
  EXPECT_TRUE(child<QLineEdit>(window, "range_from_2")->text().isEmpty());
  EXPECT_TRUE(child<QComboBox>(window, "operator_list")->currentText().isEmpty());
  EXPECT_TRUE(child<QLineEdit>(window, "cutoff")->text().isEmpty());

  QTest::mouseClick(child<QPushButton>(window, "cancel"), Qt::LeftButton);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(CalculatorWindowTest, BadInputGivesALineAndNothingToExportIsSaid) {
  CalculatorWindow* window = open();
  window->show();
  QTest::mouseClick(child<QPushButton>(window, "export"), Qt::LeftButton);
  EXPECT_TRUE(launcher.commands.empty());
  ASSERT_EQ(env.prompter.messages.size(), 1u);
  EXPECT_THAT(env.prompter.messages[0], HasSubstr("press \"Calculate\" first"));

  choose(child<QComboBox>(window, "main_list"), QStringLiteral("MUAC"));
  type_into(child<QLineEdit>(window, "range_from_1"), QStringLiteral("low"));
  type_into(child<QLineEdit>(window, "range_to_1"), QStringLiteral("high"));
  QTest::mouseClick(child<QPushButton>(window, "calculate"), Qt::LeftButton);
  EXPECT_THAT(window->result_lines(),
              ::testing::ElementsAre(
                  "Results:", "Descriptive statistics MUAC (all):  (n=0); no values",
                  "Range 1 (from low to high) is left out: its bounds are not both numbers."));
}

}  // namespace
}  // namespace olvar::ui
