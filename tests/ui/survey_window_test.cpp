#include "ui/survey_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTextCursor>
#include <QTextEdit>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "anthro/who_reference.h"
#include "core/language_table.h"
#include "core/text_conversions.h"
#include "document/rtf_text.h"
#include "support/recording_launcher.h"
#include "support/run_command.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"
#include "ui/grid_models.h"
#include "ui/options_page_widget.h"
#include "ui/qt_convert.h"
#include "ui/report_editor_window.h"
#include "ui/result_panel_widget.h"
#include "ui/rtf_document.h"
#include "window_environment.h"

namespace olvar::ui {
namespace {

using core::StdVar;

class SurveyWindowTest : public testing::Test {
 protected:
  SurveyWindowTest() {
    survey_file_ = temp_ / "rich.as";
    std::filesystem::copy_file(test::source_path("tests/fixtures/survey_file/rich.as"),
                               survey_file_);
  }

  std::unique_ptr<SurveyWindow> make_window() { return env_.make_window(); }

  static float number(std::string_view cell) { return core::parse_tolerant(cell); }

  WindowEnvironment env_;
  test::TempFolder& temp_ = env_.temp;
  core::LanguageTable& text_ = env_.text;
  workspace::AppContext& app_ = env_.app;
  workspace::StartUpInputs& inputs_ = env_.inputs;
  test::ScriptedPrompter& prompter_ = env_.prompter;
  std::filesystem::path survey_file_;
};

TEST_F(SurveyWindowTest, TypedWeightChangesThatRowsWazAndSurvivesSaveAndReopen) {
  auto window = make_window();
  ASSERT_TRUE(window->open_survey(survey_file_));
  EXPECT_TRUE(window->windowTitle().contains(QStringLiteral("rich.as")));
  EXPECT_FALSE(window->workspace().changed);

  const core::SurveyTable& table = window->workspace().survey;
  const std::string waz_before(table.cell(StdVar::waz, 1));
  const std::string waz_row2(table.cell(StdVar::waz, 2));
  ASSERT_FALSE(waz_before.empty());
  int first_changed = -1;
  int last_changed = -1;
  QObject::connect(window->survey_model(), &QAbstractItemModel::dataChanged,
                   [&](const QModelIndex& from, const QModelIndex& to) {
                     first_changed = from.row();
                     last_changed = to.row();
                   });
  // Model row 0 is the first child; model column 8 is WEIGHT (table column 9).
  SurveyTableModel* model = window->survey_model();
  ASSERT_TRUE(model->setData(model->index(0, core::column(StdVar::weight) - 1),
                             QStringLiteral("9.5"), Qt::EditRole));
  // A lighter child of the same age has a lower weight-for-age.
  EXPECT_LT(number(table.cell(StdVar::waz, 1)), number(waz_before));
  EXPECT_EQ(table.cell(StdVar::waz, 2), waz_row2);
  EXPECT_EQ(first_changed, 0);
  EXPECT_EQ(last_changed, 0);
  EXPECT_TRUE(window->workspace().changed);
  EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral("*")));
  const std::string waz_after(table.cell(StdVar::waz, 1));

  ASSERT_TRUE(window->save_survey());
  EXPECT_FALSE(window->workspace().changed);
  EXPECT_EQ(app_.settings.recent_files[0], survey_file_.string());

  auto reopened = make_window();
  ASSERT_TRUE(reopened->open_survey(survey_file_));
  EXPECT_EQ(reopened->workspace().survey.cell(StdVar::weight, 1), "9.5");
  EXPECT_EQ(reopened->workspace().survey.cell(StdVar::waz, 1), waz_after);
  EXPECT_TRUE(prompter_.messages.empty());
}

TEST_F(SurveyWindowTest, NewSurveyAsksAboutUnsavedChanges) {
  auto window = make_window();
  ASSERT_TRUE(window->open_survey(survey_file_));
  SurveyTableModel* model = window->survey_model();
  model->setData(model->index(0, core::column(StdVar::height) - 1), QStringLiteral("70"),
                 Qt::EditRole);
  window->data_view()->setCurrentIndex(model->index(2, core::column(StdVar::weight) - 1));
  ASSERT_FALSE(window->result_panel()->z_text(0).isEmpty());  // the third child's figures
  prompter_.yes_no_answers = {false};                         // do not save
  ASSERT_TRUE(window->new_survey());
  ASSERT_EQ(prompter_.questions.size(), 1u);
  EXPECT_EQ(prompter_.questions[0], text_.text(848));
  EXPECT_TRUE(window->workspace().survey.cell(StdVar::height, 1).empty());
  EXPECT_EQ(window->workspace().survey.cell(StdVar::cluster, 1), "1");
  EXPECT_EQ(window->workspace().survey.cell(StdVar::survdate, 1), "10.12.2026");
  // The grid is back at the first row and the panel shows no figure of the old survey.
  EXPECT_EQ(window->data_view()->currentIndex().row(), 0);
  for (int bar = 0; bar < 3; ++bar) {
    EXPECT_EQ(window->result_panel()->z_text(bar), QStringLiteral("NA"));
  }
  // The file kept its height: nothing was saved.
  auto reopened = make_window();
  ASSERT_TRUE(reopened->open_survey(survey_file_));
  EXPECT_EQ(reopened->workspace().survey.cell(StdVar::height, 1), "67.4");
}

TEST_F(SurveyWindowTest, AnUnreadableFileLeavesTheOpenSurvey) {
  auto window = make_window();
  ASSERT_TRUE(window->open_survey(survey_file_));
  const std::filesystem::path bad = temp_.write("bad.as", "no header here\r\n1\t2\r\n");
  EXPECT_FALSE(window->open_survey(bad));
  ASSERT_EQ(prompter_.messages.size(), 1u);
  EXPECT_EQ(prompter_.messages[0], text_.text(851));
  EXPECT_EQ(window->workspace().survey.cell(StdVar::height, 1), "67.4");

  // A folder and a file without read permission: a message naming the file, never an abort.
  const std::filesystem::path folder = temp_ / "folder.as";
  std::filesystem::create_directories(folder);
  const std::filesystem::path locked = temp_.write("locked.as", "dmy\r\nSEX\r\nm\r\n");
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  const bool root_reads_anyway = std::ifstream(locked).good();
  for (const std::filesystem::path& file : {folder, locked}) {
    if (file == locked && root_reads_anyway) continue;
    SCOPED_TRACE(file.string());
    prompter_.messages.clear();
    EXPECT_FALSE(window->open_survey(file));
    ASSERT_EQ(prompter_.messages.size(), 1u);
    EXPECT_THAT(prompter_.messages[0], ::testing::HasSubstr(file.string()));
    EXPECT_EQ(window->workspace().survey.cell(StdVar::height, 1), "67.4");
  }
}

// The desktop opens a survey the way olvar-cli does: what the window tells the user is what the
// command-line tool writes, for a file that is not there and for a survey whose first survey
// date is not a date in the system's order (most likely imported with the wrong date format).
TEST_F(SurveyWindowTest, OpeningTellsWhatTheCommandLineToolTells) {
  std::string bytes = test::read_whole_file(survey_file_);
  bytes.replace(bytes.find("11.03.2006"), 10, "2006-03-11");
  const std::filesystem::path wrong_date = temp_.write("wrong_date.as", bytes);
  const std::filesystem::path missing = temp_ / "missing.as";
  for (const auto& [file, opens] :
       std::vector<std::pair<std::filesystem::path, bool>>{{missing, false}, {wrong_date, true}}) {
    SCOPED_TRACE(file.string());
    auto window = make_window();
    prompter_.messages.clear();
    EXPECT_EQ(window->open_survey(file), opens);
    ASSERT_FALSE(prompter_.messages.empty());
    const test::CommandResult cli = test::run_cli("table '" + file.string() + "'", temp_.path());
    for (const std::string& message : prompter_.messages) {
      EXPECT_THAT(cli.err, ::testing::HasSubstr(message));
    }
  }
}

TEST_F(SurveyWindowTest, ResultPanelNamesItsNumbersAndShowsItsCaptionBeforeAnyClick) {
  for (const bool opened : {false, true}) {
    auto window = make_window();
    if (opened) {
      ASSERT_TRUE(window->open_survey(survey_file_));
    }
    const auto* panel = window->findChild<QGroupBox*>(QStringLiteral("ResultPanel"));
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->title().isEmpty());
    QStringList texts;
    for (const QLabel* label : panel->findChildren<QLabel*>()) texts << label->text();
    for (const char* heading : {"Percentile", "Z-score", "% of median"}) {
      EXPECT_TRUE(texts.contains(QString::fromUtf8(heading))) << heading;
    }
  }
}

TEST_F(SurveyWindowTest, OptionsPageCaptionsNameTheOedemaFactorsAndTheFlagRules) {
  auto window = make_window();
  const auto* yes_no = window->findChild<QLabel*>(QStringLiteral("OedemaFactorYesNo"));
  const auto* grades = window->findChild<QLabel*>(QStringLiteral("OedemaFactorsGrades"));
  ASSERT_NE(yes_no, nullptr);
  ASSERT_NE(grades, nullptr);
  EXPECT_EQ(from_qstring(yes_no->text()), text_.text(1011));
  EXPECT_EQ(from_qstring(grades->text()), text_.text(1012));
  QStringList radio_texts;
  for (const QAbstractButton* button : window->findChildren<QRadioButton*>()) {
    radio_texts << button->text();
  }
  for (const int entry : {1013, 1014}) {
    EXPECT_TRUE(radio_texts.contains(to_qstring(text_.text(entry)))) << entry;
  }
}

TEST_F(SurveyWindowTest, ResetOptionsBringsBackTheReferenceOnBothPages) {
  auto window = make_window();
  ASSERT_TRUE(window->open_survey(survey_file_));
  const std::string who_waz(window->workspace().survey.cell(StdVar::waz, 1));
  auto* nchs = window->findChild<QRadioButton*>(QStringLiteral("NCHS_button"));
  auto* who = window->findChild<QRadioButton*>(QStringLiteral("WHO_button"));
  auto* reset = window->findChild<QPushButton*>(QStringLiteral("ResetOptions"));
  ASSERT_NE(nchs, nullptr);
  ASSERT_NE(who, nullptr);
  ASSERT_NE(reset, nullptr);
  nchs->click();
  ASSERT_NE(window->workspace().survey.cell(StdVar::waz, 1), who_waz);
  reset->click();
  EXPECT_TRUE(who->isChecked());
  // The Results page's pair shows the same choice, and the z-scores are WHO's again.
  int checked_who_buttons = 0;
  for (const QRadioButton* button : window->findChildren<QRadioButton*>()) {
    if (button->text() == to_qstring(text_.text(964)) && button->isChecked()) ++checked_who_buttons;
  }
  EXPECT_EQ(checked_who_buttons, 2);
  EXPECT_EQ(window->workspace().survey.cell(StdVar::waz, 1), who_waz);
}

TEST_F(SurveyWindowTest, LeavingTheOptionsPageSavesItAndShowsTheExtraColumns) {
  auto window = make_window();
  ASSERT_TRUE(window->open_survey(survey_file_));
  const int measure = core::column(StdVar::measure) - 1;
  EXPECT_TRUE(window->data_view()->isColumnHidden(measure));

  window->pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::options));
  QLineEdit* muac1 = window->options_widget()->edit("muac1");
  ASSERT_NE(muac1, nullptr);
  muac1->setText(QStringLiteral("110"));
  emit muac1->textEdited(muac1->text());
  window->options().show_extra_columns = true;
  window->pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::data_entry));

  EXPECT_EQ(app_.settings.muac1, 110);
  EXPECT_TRUE(app_.settings.show_extra_columns);
  EXPECT_TRUE(std::filesystem::exists(app_.settings_file));
  EXPECT_FALSE(window->data_view()->isColumnHidden(measure));
}

TEST_F(SurveyWindowTest, AgeGroupStartMovesTheEndBeforeIt) {
  auto window = make_window();
  QLineEdit* start2 = window->options_widget()->edit("Edit4");
  ASSERT_NE(start2, nullptr);
  start2->setText(QStringLiteral("20"));
  emit start2->textEdited(start2->text());
  EXPECT_EQ(window->options().Edit3, "19");
  EXPECT_EQ(window->options_widget()->edit("Edit3")->text(), QStringLiteral("19"));
}

// The upper bounds of the mortality age groups 1 to 5 follow the next lower bound, as the death
// rates read them: moving group 3 to start at 15 makes group 2 read 5-14.
TEST_F(SurveyWindowTest, MortalityAgeGroupLowerBoundMovesTheUpperBoundBeforeIt) {
  auto window = make_window();
  QLineEdit* lower3 = window->options_widget()->edit("ma05");
  QLineEdit* upper2 = window->options_widget()->edit("ma04");
  ASSERT_NE(lower3, nullptr);
  ASSERT_NE(upper2, nullptr);
  EXPECT_TRUE(upper2->isReadOnly());
  EXPECT_FALSE(window->options_widget()->edit("ma12")->isReadOnly());
  lower3->setText(QStringLiteral("15"));
  emit lower3->textEdited(lower3->text());
  EXPECT_EQ(window->options().ma04, "14");
  EXPECT_EQ(upper2->text(), QStringLiteral("14"));
}

TEST_F(SurveyWindowTest, VariableViewRoundTripRenamesUserVariable) {
  auto window = make_window();
  ASSERT_TRUE(window->open_survey(survey_file_));
  const int agegrp = window->workspace().survey.column_of_header("AGEGRP");
  ASSERT_GT(agegrp, 19);
  window->data_entry_tabs()->setCurrentIndex(1);
  EXPECT_EQ(window->workspace().variables.cell(0, 0), text_.text(935));
  auto* view = window->findChild<QTableView*>(QStringLiteral("vsg"));
  ASSERT_NE(view, nullptr);
  QAbstractItemModel* model = view->model();
  // Model row r is Variable View row r + 1.
  model->setData(model->index(agegrp - 1, 0), QStringLiteral("agegroup"), Qt::EditRole);
  model->setData(model->index(agegrp - 1, 1), QStringLiteral("c"), Qt::EditRole);
  EXPECT_EQ(window->workspace().variables.cell(1, agegrp), "character");
  window->data_entry_tabs()->setCurrentIndex(0);
  EXPECT_EQ(window->workspace().survey.cell(agegrp, 0), "AGEGROUP");
  EXPECT_EQ(window->survey_model()->headerData(agegrp - 1, Qt::Horizontal, Qt::DisplayRole),
            QStringLiteral("AGEGROUP"));
}

TEST_F(SurveyWindowTest, SettingsModeShowsPlanningWithTheReducedTabs) {
  app_.command_line.mode_word = "SETTINGS2";
  auto window = make_window();
  ASSERT_TRUE(window->open_survey(survey_file_));
  QTabWidget* pages = window->pages();
  EXPECT_EQ(pages->currentIndex(), static_cast<int>(workspace::SurveyPage::planning));
  EXPECT_TRUE(pages->isTabVisible(static_cast<int>(workspace::SurveyPage::options)));
  EXPECT_FALSE(pages->isTabVisible(static_cast<int>(workspace::SurveyPage::data_entry)));
  EXPECT_FALSE(pages->isTabVisible(static_cast<int>(workspace::SurveyPage::results)));
}

TEST_F(SurveyWindowTest, ReferenceChoiceReevaluatesTheZScores) {
  auto window = make_window();
  ASSERT_TRUE(window->open_survey(survey_file_));
  const std::string who_waz(window->workspace().survey.cell(StdVar::waz, 1));
  app_.settings.reference = core::kReferenceNchs;
  window->options().Edit26 = "0";
  // The reference buttons call the same evaluation; here through the Options page's save.
  window->pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::options));
  window->pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::data_entry));
  EXPECT_NE(window->workspace().survey.cell(StdVar::waz, 1), who_waz);
}

TEST(ReportEditorWindow, ShowsAReportAndSavesItBack) {
  test::TempFolder temp;
  std::vector<document::RtfRun> runs(2);
  runs[0].text = "Results\n";
  runs[0].bold = true;
  runs[0].half_points = 30;
  runs[1].text = "Total\t12 \xB1 3\n";
  const std::filesystem::path report = temp.write("noname.rtf", document::write_rtf(runs));
  ReportEditorWindow editor(QString::fromStdString(temp.path().string()));
  editor.open_report_editor(report);
  EXPECT_EQ(editor.text_edit()->toPlainText(), QStringLiteral("Results\nTotal\t12 \u00B1 3\n"));
  EXPECT_EQ(editor.document_name(), QStringLiteral("Untitled"));
  const QString copy = QString::fromStdString((temp / "copy.rtf").string());
  ASSERT_TRUE(editor.save_file(copy));
  std::string written = test::read_file(temp / "copy.rtf");
  EXPECT_EQ(document::parse_rtf(written), runs);
  editor.close();
}

TEST(ReportEditorWindow, BoldActsOnTheSelectionOrOnWhatIsTypedNext) {
  test::TempFolder temp;
  ReportEditorWindow editor(QString::fromStdString(temp.path().string()));
  editor.open_report_editor(temp.write("noname.rtf", "{\\rtf1 plain words}"));
  QAction* bold = nullptr;
  for (QAction* action : editor.findChildren<QAction*>()) {
    if (action->statusTip() == QStringLiteral("Bold")) bold = action;
  }
  ASSERT_NE(bold, nullptr);
  QTextEdit* text = editor.text_edit();

  QTextCursor cursor(text->document());
  cursor.setPosition(0);
  cursor.setPosition(5, QTextCursor::KeepAnchor);  // "plain"
  text->setTextCursor(cursor);
  EXPECT_FALSE(bold->isChecked());
  bold->setChecked(true);
  const std::vector<document::RtfRun> runs = runs_of_document(*text->document());
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].text, "plain");
  EXPECT_TRUE(runs[0].bold);
  EXPECT_FALSE(runs[1].bold);

  // No selection: the text stays as it is and what is typed next is bold.
  cursor.movePosition(QTextCursor::End);
  text->setTextCursor(cursor);
  EXPECT_FALSE(bold->isChecked());  // the tool bar follows the caret
  bold->setChecked(true);
  EXPECT_EQ(runs_of_document(*text->document()).size(), 2u);
  text->insertPlainText(QStringLiteral("!"));
  const std::vector<document::RtfRun> typed = runs_of_document(*text->document());
  ASSERT_EQ(typed.size(), 3u);
  EXPECT_EQ(typed[2].text, "!");
  EXPECT_TRUE(typed[2].bold);
  editor.close();
}

}  // namespace
}  // namespace olvar::ui

namespace olvar::ui {
namespace {

TEST_F(SurveyWindowTest, ClosingWritesTheSettingsAndAsksAboutChanges) {
  auto window = make_window();
  ASSERT_TRUE(window->open_survey(survey_file_));
  window->show();
  SurveyTableModel* model = window->survey_model();
  model->setData(model->index(0, core::column(StdVar::muac) - 1), QStringLiteral("150"),
                 Qt::EditRole);
  prompter_.yes_no_answers = {true};  // save the changes
  EXPECT_TRUE(window->close());
  EXPECT_EQ(prompter_.questions, std::vector<std::string>{text_.text(848)});
  EXPECT_TRUE(std::filesystem::exists(app_.settings_file));
  auto reopened = make_window();
  ASSERT_TRUE(reopened->open_survey(survey_file_));
  EXPECT_EQ(reopened->workspace().survey.cell(StdVar::muac, 1), "150");
}

TEST_F(SurveyWindowTest, CancelAtTheUnsavedChangesQuestionBacksOut) {
  auto window = make_window();
  ASSERT_TRUE(window->open_survey(survey_file_));
  window->show();
  SurveyTableModel* model = window->survey_model();
  model->setData(model->index(0, core::column(StdVar::muac) - 1), QStringLiteral("150"),
                 Qt::EditRole);
  using Answer = core::Prompter::Answer;
  prompter_.yes_no_cancel_answers = {Answer::cancel, Answer::cancel, Answer::cancel};
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->new_survey());
  // Open asks before its file dialog: no file is asked for after Cancel.
  window->findChild<QAction*>(QStringLiteral("open_action"))->trigger();
  EXPECT_EQ(prompter_.questions.size(), 3u);
  EXPECT_EQ(window->workspace().survey.cell(StdVar::muac, 1), "150");
  EXPECT_TRUE(window->workspace().changed);
  EXPECT_TRUE(prompter_.all_answers_used());
  prompter_.yes_no_cancel_answers = {Answer::no};
  EXPECT_TRUE(window->close());
}

}  // namespace
}  // namespace olvar::ui

namespace olvar::ui {
namespace {

// Both places the plausibility check is started from write the report and hand it to the word
// processor, and the survey's caption comes back afterwards.
TEST_F(SurveyWindowTest, PlausibilityCheckFromTheMenuAndTheDataEntryButton) {
  auto window = make_window();
  ASSERT_TRUE(window->open_survey(survey_file_));
  auto launcher = std::make_unique<test::RecordingLauncher>();
  const std::vector<platform::ProcessCommand>& commands = launcher->commands;
  window->set_launcher(std::move(launcher));
  const QString caption = window->windowTitle();
  for (const char* name : {"PlausibilityCheck1", "PlausibilityReport"}) {
    SCOPED_TRACE(name);
    QAction* action = window->findChild<QAction*>(QString::fromLatin1(name));
    ASSERT_NE(action, nullptr);
    const std::size_t before = commands.size();
    action->trigger();
    ASSERT_TRUE(window->last_hand_off().has_value());
    std::ifstream in(window->last_hand_off()->file, std::ios::binary);
    const std::string document{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(document.substr(0, 6), "{\\rtf1");
    EXPECT_NE(document.find(text_.text(893)), std::string::npos);  // "Plausibility check for:"
    EXPECT_NE(document.find("rich.as"), std::string::npos);
    EXPECT_EQ(commands.size(), before + 1);
    EXPECT_EQ(window->windowTitle(), caption);
  }
  EXPECT_TRUE(prompter_.messages.empty());
  EXPECT_FALSE(window->workspace().changed);
}

TEST_F(SurveyWindowTest, PlausibilityCheckDeathRatesHandsItsReportToTheWordProcessor) {
  auto window = make_window();
  ASSERT_TRUE(window->open_survey(survey_file_));
  auto launcher = std::make_unique<test::RecordingLauncher>();
  const std::vector<platform::ProcessCommand>& commands = launcher->commands;
  window->set_launcher(std::move(launcher));
  QAction* action = window->findChild<QAction*>(QStringLiteral("PlausibilityCheckDeathRates"));
  ASSERT_NE(action, nullptr);
  action->trigger();
  ASSERT_TRUE(window->last_hand_off().has_value());
  const std::string document = test::read_whole_file(window->last_hand_off()->file);
  EXPECT_EQ(document.substr(0, 6), "{\\rtf1");
  EXPECT_NE(document.find(text_.text(1182)), std::string::npos);
  EXPECT_EQ(document[document.find_last_not_of("\r\n")], '}');
  EXPECT_EQ(commands.size(), 1u);
  EXPECT_TRUE(prompter_.messages.empty());
}

// The results report from the menu: the template filled for the open survey, handed to the
// word processor; the survey, its reference and its z-scores stay as they were.
TEST_F(SurveyWindowTest, ReportInWordHandsTheResultsReportToTheWordProcessor) {
  auto window = make_window();
  ASSERT_TRUE(window->open_survey(survey_file_));
  auto launcher = std::make_unique<test::RecordingLauncher>();
  const std::vector<platform::ProcessCommand>& commands = launcher->commands;
  window->set_launcher(std::move(launcher));
  const core::SurveyTable before = window->workspace().survey;
  QAction* action = window->findChild<QAction*>(QStringLiteral("ReportinWord1"));
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->text(), QStringLiteral("Report in Word"));
  action->trigger();
  ASSERT_TRUE(window->last_hand_off().has_value());
  const std::string document = test::read_whole_file(window->last_hand_off()->file);
  EXPECT_EQ(document.substr(0, 6), "{\\rtf1");
  EXPECT_EQ(document.find("#02-"), std::string::npos);  // every marker filled
  EXPECT_EQ(document.find("#90"), std::string::npos);
  EXPECT_NE(document.find("NCHS 1977"), std::string::npos);
  EXPECT_EQ(document[document.find_last_not_of("\r\n")], '}');
  EXPECT_EQ(commands.size(), 1u);
  EXPECT_TRUE(prompter_.messages.empty());
  EXPECT_FALSE(window->workspace().changed);
  for (int row = 0; row < before.row_count(); ++row)
    for (int column = 0; column < before.column_count(); ++column)
      ASSERT_EQ(window->workspace().survey.cell(column, row), before.cell(column, row));

  // A child whose CLUSTER cannot be placed is in no prevalence: the user is told before the
  // report opens.
  window->workspace().survey.set_cell(StdVar::cluster, 1, "1a");
  action->trigger();
  ASSERT_EQ(prompter_.messages.size(), 1u);
  EXPECT_THAT(prompter_.messages[0], ::testing::StartsWith(text_.text(1351) + " "));
  EXPECT_EQ(commands.size(), 2u);
}

// Without an office program that starts, the report opens in the program's own editor.
TEST_F(SurveyWindowTest, AReportOpensInTheReportEditorWhenNoOfficeProgramStarts) {
  auto window = make_window();
  ASSERT_TRUE(window->open_survey(survey_file_));
  auto launcher = std::make_unique<test::RecordingLauncher>();
  launcher->succeed = false;
  window->set_launcher(std::move(launcher));
  window->findChild<QAction*>(QStringLiteral("PlausibilityCheck1"))->trigger();
  EXPECT_EQ(prompter_.messages.size(), 1u);  // the office program could not be started
  EXPECT_TRUE(window->report_editor().isVisible());
  EXPECT_TRUE(
      window->report_editor().text_edit()->toPlainText().contains(to_qstring(text_.text(893))));
  window->report_editor().close();
}

}  // namespace
}  // namespace olvar::ui

namespace olvar::ui {
namespace {

// The Options page's Save applies the survey's own options to data entry at once: typing a
// MONTHS value is refused or taken by the age-entry mode the user just saved.
TEST_F(SurveyWindowTest, SavedOptionsApplyToDataEntryWithoutSavingTheSurvey) {
  auto window = make_window();
  ASSERT_TRUE(window->open_survey(survey_file_));
  const bool by_months = window->workspace().options.age_by_months;
  const bool oedema_yn = window->workspace().options.oedema_yn;
  window->options().age_by_months = !by_months;  // as the page's controls set them
  window->options().oedema_yn = !oedema_yn;
  auto* save = window->options_widget()->findChild<QPushButton*>(QStringLiteral("SaveOptions"));
  ASSERT_NE(save, nullptr);
  save->click();
  EXPECT_EQ(window->workspace().options.age_by_months, !by_months);
  EXPECT_EQ(window->workspace().options.oedema_yn, !oedema_yn);
  EXPECT_FALSE(window->workspace().changed);  // the survey file itself was not written
}

}  // namespace
}  // namespace olvar::ui

namespace olvar::ui {
namespace {

// The Data Entry page's reference buttons switch every z-score, keep the Results page's buttons
// in step, and show the WHO notice button only while WHO is selected.
TEST_F(SurveyWindowTest, ReferenceButtonsOfTheDataEntryPage) {
  auto window = make_window();
  ASSERT_TRUE(window->open_survey(survey_file_));
  window->resize(1366, 768);
  window->show();
  window->pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::data_entry));
  const auto button = [&](const char* name) {
    return window->findChild<QAbstractButton*>(QString::fromLatin1(name));
  };
  const auto notice = window->findChild<QWidget*>(QStringLiteral("DisclaimerText"));
  ASSERT_NE(notice, nullptr);
  ASSERT_EQ(app_.settings.reference, core::kReferenceWho);
  EXPECT_TRUE(button("Disclaimer")->isVisible());
  button("Disclaimer")->click();
  EXPECT_TRUE(notice->isVisible());
  button("Disclaimer")->click();
  EXPECT_FALSE(notice->isVisible());

  const std::string who_waz(window->workspace().survey.cell(StdVar::waz, 1));
  button("NCHS_button")->click();
  EXPECT_EQ(app_.settings.reference, core::kReferenceNchs);
  EXPECT_NE(window->workspace().survey.cell(StdVar::waz, 1), who_waz);
  EXPECT_TRUE(button("NCHS_Button3")->isChecked());
  EXPECT_FALSE(button("Disclaimer")->isVisible());
  button("WHO_button")->click();
  EXPECT_EQ(window->workspace().survey.cell(StdVar::waz, 1), who_waz);
  EXPECT_TRUE(button("WHO_Button3")->isChecked());
  EXPECT_TRUE(button("Disclaimer")->isVisible());
}

}  // namespace
}  // namespace olvar::ui
