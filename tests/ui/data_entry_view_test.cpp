// The Data View driven through its widgets as an enumerator uses it: keys into the table view,
// the buttons of the page, the clipboard. The checks behind each action have their own tests
// with the data entry controller; these show that the window passes each action on and shows
// the result.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <utility>
#include <vector>

#include "anthro/who_reference.h"
#include "core/language_table.h"
#include "core/standard_variables.h"
#include "core/text_conversions.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"
#include "ui/data_entry_page.h"
#include "ui/grid_models.h"
#include "ui/palette.h"
#include "ui/qt_convert.h"
#include "ui/qt_prompter.h"
#include "ui/result_panel_widget.h"
#include "ui/survey_window.h"
#include "window_environment.h"

namespace olvar::ui {
namespace {

using core::StdVar;

class DataEntryViewTest : public testing::Test {
 protected:
  DataEntryViewTest() {
    window_ = env_.make_window();
    window_->resize(1200, 700);
    window_->show();
    view_ = window_->data_view();
    model_ = window_->survey_model();
  }

  // The fixture survey with the first child's weight replaced.
  std::filesystem::path rich_survey(const std::string& first_weight = "11.5") {
    std::string content = test::read_file(test::source_path("tests/fixtures/survey_file/rich.as"));
    const std::size_t at = content.find("\t11.5\t67.4\t");
    content.replace(at, 5, "\t" + first_weight);
    return temp_.write("rich.as", content);
  }

  void go_to(StdVar variable, int row) { go_to(core::column(variable), row); }
  void go_to(int column, int row) { view_->setCurrentIndex(model_->index(row - 1, column - 1)); }

  // Types `keys` into the current cell as an enumerator does: the first key on the grid opens
  // the editor, the others go into it, Return (or `end`) ends the cell.
  void type_cell(const QString& keys, Qt::Key end = Qt::Key_Return) {
    QTest::keyClicks(view_, keys.left(1));
    auto* editor = qobject_cast<QLineEdit*>(view_->indexWidget(view_->currentIndex()));
    ASSERT_NE(editor, nullptr) << "no editor opened";
    QTest::keyClicks(editor, keys.mid(1));
    QTest::keyClick(editor, end);
  }

  StdVar current_variable() const {
    return static_cast<StdVar>(SurveyTableModel::table_column(view_->currentIndex()));
  }
  int current_row() const { return SurveyTableModel::table_row(view_->currentIndex()); }

  std::string_view cell(StdVar variable, int row) const {
    return window_->workspace().survey.cell(variable, row);
  }
  bool marked(int column, int row) const {
    return model_->data(model_->index(row - 1, column - 1), Qt::BackgroundRole) ==
           QVariant(palette::kMarked);
  }
  bool marked(StdVar variable, int row) const { return marked(core::column(variable), row); }

  QAction* action(const char* name) const {
    QAction* found = window_->findChild<QAction*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }

  WindowEnvironment env_;
  test::TempFolder& temp_ = env_.temp;
  core::LanguageTable& text_ = env_.text;
  workspace::AppContext& app_ = env_.app;
  workspace::StartUpInputs& inputs_ = env_.inputs;
  test::ScriptedPrompter& prompter_ = env_.prompter;
  std::unique_ptr<SurveyWindow> window_;
  QTableView* view_ = nullptr;
  SurveyTableModel* model_ = nullptr;
};

TEST_F(DataEntryViewTest, AChildTypedWithTheKeyboardStartsTheNextPrefilledRow) {
  // A new survey: row 1 carries CLUSTER 1 and today's SURVDATE.
  go_to(StdVar::cluster, 1);
  QTest::keyClick(view_, Qt::Key_Return);  // Enter outside an editor moves on too
  EXPECT_EQ(current_variable(), StdVar::team);

  type_cell("2");
  EXPECT_EQ(current_variable(), StdVar::id);
  type_cell("17");
  type_cell("5", Qt::Key_Tab);
  EXPECT_EQ(current_variable(), StdVar::sex);
  type_cell("2");  // the form's code for a girl
  EXPECT_EQ(cell(StdVar::sex, 1), "f");
  // Age by date of birth: MONTHS is passed over and filled from the age.
  EXPECT_EQ(current_variable(), StdVar::birthdat);
  type_cell("10/06/2024");  // any separator becomes the system's date separator
  EXPECT_EQ(cell(StdVar::birthdat, 1), "10.06.2024");
  EXPECT_EQ(current_variable(), StdVar::weight);
  type_cell("8,5");
  EXPECT_EQ(cell(StdVar::weight, 1), "8.5");
  type_cell("72.1");
  EXPECT_EQ(current_variable(), StdVar::edema);
  QTest::keyClick(view_, Qt::Key_Left);  // back to HEIGHT: arrows move as in any grid...
  EXPECT_EQ(current_variable(), StdVar::height);
  QTest::keyClick(view_, Qt::Key_Right);  // ...the right arrow moves on as Enter does
  EXPECT_EQ(current_variable(), StdVar::edema);
  type_cell("n");
  EXPECT_EQ(current_variable(), StdVar::muac);
  type_cell("135");

  // 10.06.2024 to 10.12.2026: 913 days, 29.995 months of 30.4375 days.
  EXPECT_NEAR(core::parse_tolerant(cell(StdVar::months, 1)), 30.0, 0.01);
  EXPECT_FALSE(cell(StdVar::waz, 1).empty());
  EXPECT_TRUE(prompter_.messages.empty());
  // The last column left: a new row, filled from the one above, the cursor on its first gap.
  EXPECT_EQ(current_row(), 2);
  EXPECT_EQ(current_variable(), StdVar::sex);
  EXPECT_EQ(cell(StdVar::id, 2), "18");
  EXPECT_EQ(cell(StdVar::hh, 2), "6");
  EXPECT_EQ(cell(StdVar::cluster, 2), "1");
  EXPECT_EQ(cell(StdVar::team, 2), "2");
  EXPECT_EQ(cell(StdVar::survdate, 2), "10.12.2026");
  EXPECT_EQ(model_->data(model_->index(1, core::column(StdVar::id) - 1), Qt::DisplayRole),
            QVariant(QStringLiteral("18")));
  EXPECT_TRUE(window_->workspace().changed);

  // The result panel follows the cursor: the first child's indices.
  go_to(StdVar::weight, 1);
  EXPECT_EQ(window_->result_panel()->z_text(0).toStdString(),
            cell(StdVar::waz, 1).substr(0, window_->result_panel()->z_text(0).size()));
  EXPECT_NE(window_->result_panel()->z_text(0), QStringLiteral("NA"));
}

TEST_F(DataEntryViewTest, AWrongSexCodeWarnsButIsKeptAndMarked) {
  EXPECT_FALSE(marked(StdVar::sex, 1)) << "no weight or height yet: SEX may stay empty";
  go_to(StdVar::weight, 1);
  type_cell("9.1");
  EXPECT_TRUE(prompter_.messages.empty());
  EXPECT_TRUE(marked(StdVar::sex, 1)) << "a weighed child needs a sex";
  go_to(StdVar::sex, 1);

  type_cell("x");
  ASSERT_EQ(prompter_.messages.size(), 1u);
  EXPECT_EQ(prompter_.messages[0], text_.text(801));
  EXPECT_EQ(cell(StdVar::sex, 1), "x");
  EXPECT_TRUE(marked(StdVar::sex, 1));

  go_to(StdVar::sex, 1);
  type_cell("1");
  EXPECT_EQ(cell(StdVar::sex, 1), "m");
  EXPECT_FALSE(marked(StdVar::sex, 1));
  EXPECT_EQ(prompter_.messages.size(), 1u);
}

TEST_F(DataEntryViewTest, AnImplausibleWeightIsMarkedOnOpeningAndAfterTyping) {
  ASSERT_TRUE(window_->open_survey(rich_survey("35")));
  // 35 kg is above the default maximum of 31 kg.
  EXPECT_TRUE(marked(StdVar::weight, 1));
  EXPECT_FALSE(marked(StdVar::weight, 2));
  EXPECT_NE(model_->data(model_->index(0, core::column(StdVar::weight) - 1), Qt::BackgroundRole),
            QVariant(palette::kComputed));

  go_to(StdVar::weight, 1);
  type_cell("11.5");
  EXPECT_FALSE(marked(StdVar::weight, 1));
  go_to(StdVar::weight, 2);
  type_cell("35");
  EXPECT_TRUE(marked(StdVar::weight, 2));
  // The computed columns keep their own background.
  EXPECT_EQ(model_->data(model_->index(0, core::column(StdVar::waz) - 1), Qt::BackgroundRole),
            QVariant(palette::kComputed));
}

TEST_F(DataEntryViewTest, ReleasingDeleteOnTheGridIsAChange) {
  ASSERT_TRUE(window_->open_survey(rich_survey()));
  window_->workspace().changed = false;
  go_to(StdVar::weight, 1);
  QTest::keyRelease(view_, Qt::Key_Delete);
  EXPECT_TRUE(window_->workspace().changed);
}

TEST_F(DataEntryViewTest, PasteNormalisesTheCodesOfTheBlock) {
  go_to(StdVar::cluster, 1);
  QGuiApplication::clipboard()->setText(
      QStringLiteral("1\t1\t7\t3\tmale\r\n1\t2\t8\t3\t2\r\n2\t1\t9\t4\tFemale\r\n"));
  prompter_.yes_no_answers = {true};
  action("Apaste")->trigger();
  ASSERT_EQ(prompter_.questions.size(), 1u);
  EXPECT_EQ(prompter_.questions[0], text_.text(933));
  EXPECT_EQ(cell(StdVar::sex, 1), "m");
  EXPECT_EQ(cell(StdVar::sex, 2), "f");
  EXPECT_EQ(cell(StdVar::sex, 3), "f");
  EXPECT_EQ(cell(StdVar::id, 3), "9");
  EXPECT_EQ(cell(StdVar::cluster, 3), "2");
  EXPECT_EQ(model_->data(model_->index(2, core::column(StdVar::team) - 1), Qt::DisplayRole),
            QVariant(QStringLiteral("1")));
  EXPECT_GE(model_->rowCount(), 3 + 100);  // spare rows after the block
}

TEST_F(DataEntryViewTest, CtrlZUndoesAPasteAndCtrlYRedoesIt) {
  ASSERT_TRUE(window_->open_survey(rich_survey()));
  const std::string before(cell(StdVar::weight, 1));
  go_to(StdVar::weight, 1);
  QGuiApplication::clipboard()->setText(QStringLiteral("12.3\r\n"));
  prompter_.yes_no_answers = {true};
  action("Apaste")->trigger();
  ASSERT_EQ(cell(StdVar::weight, 1), "12.3");
  view_->setFocus();
  QTest::keyClick(view_, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(cell(StdVar::weight, 1), before);
  EXPECT_EQ(model_->data(model_->index(0, core::column(StdVar::weight) - 1), Qt::DisplayRole),
            QVariant(QString::fromStdString(before)));
  QTest::keyClick(view_, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(cell(StdVar::weight, 1), "12.3");
  // The same through the Edit menu.
  action("Undo")->trigger();
  EXPECT_EQ(cell(StdVar::weight, 1), before);
  action("Redo")->trigger();
  EXPECT_EQ(cell(StdVar::weight, 1), "12.3");
}

TEST_F(DataEntryViewTest, RowCommandsMoveTheChildren) {
  ASSERT_TRUE(window_->open_survey(rich_survey()));
  go_to(StdVar::id, 2);
  action("InsertRow")->trigger();
  EXPECT_TRUE(cell(StdVar::id, 2).empty());
  EXPECT_EQ(cell(StdVar::id, 3), "2");
  EXPECT_EQ(model_->data(model_->index(2, core::column(StdVar::id) - 1), Qt::DisplayRole),
            QVariant(QStringLiteral("2")));
  EXPECT_TRUE(window_->workspace().changed);

  prompter_.yes_no_answers = {true};
  action("deleteb")->trigger();
  EXPECT_EQ(cell(StdVar::id, 2), "2");

  // A selection of two rows removes both.
  go_to(StdVar::id, 1);
  view_->selectionModel()->select(QItemSelection(model_->index(0, 0), model_->index(1, 3)),
                                  QItemSelectionModel::Select);
  prompter_.yes_no_answers = {false};  // asked first: No keeps both children
  action("deleteb")->trigger();
  EXPECT_EQ(cell(StdVar::id, 1), "1");
  prompter_.yes_no_answers = {true};
  action("deleteb")->trigger();
  EXPECT_EQ(cell(StdVar::id, 1), "3");

  action("Button8")->trigger();  // ">>": the last child
  const int last = current_row();
  EXPECT_FALSE(cell(StdVar::survdate, last).empty());
  EXPECT_TRUE(cell(StdVar::survdate, last + 1).empty());
  action("Button6")->trigger();  // "<<"
  EXPECT_EQ(current_row(), 1);
  prompter_.text_answers = {std::string("13"), std::string("999")};
  action("Button3")->trigger();
  EXPECT_EQ(cell(StdVar::id, current_row()), "13");
  action("Button3")->trigger();
  ASSERT_EQ(prompter_.messages.size(), 1u);
  EXPECT_EQ(prompter_.messages[0], text_.text(852));
}

TEST_F(DataEntryViewTest, VariablesAreAddedAndDeletedOnlyAfterTheStandardColumns) {
  ASSERT_TRUE(window_->open_survey(rich_survey()));
  const int agegrp = window_->workspace().survey.column_of_header("AGEGRP");
  ASSERT_EQ(agegrp, core::kFirstUserColumn);
  const auto header = [&](int column) {
    return model_->headerData(column - 1, Qt::Horizontal, Qt::DisplayRole).toString();
  };

  go_to(StdVar::muac, 1);
  action("AddVariable")->trigger();
  ASSERT_EQ(prompter_.messages.size(), 1u);
  EXPECT_EQ(prompter_.messages[0], text_.text(878));

  go_to(agegrp, 1);
  prompter_.text_answers = {std::string("visit2date")};
  action("AddVariable")->trigger();
  EXPECT_EQ(header(agegrp), QStringLiteral("VISIT2DA"));
  EXPECT_EQ(header(agegrp + 1), QStringLiteral("AGEGRP"));
  EXPECT_TRUE(window_->workspace().survey.cell(agegrp, 1).empty());

  go_to(agegrp, 1);
  prompter_.yes_no_answers = {true};
  action("DeleteVariable")->trigger();
  EXPECT_EQ(header(agegrp), QStringLiteral("AGEGRP"));
  EXPECT_EQ(window_->workspace().survey.column_of_header("VISIT2DA"), -1);
}

TEST_F(DataEntryViewTest, WithPullDownEditorsSexIsPickedFromAList) {
  window_->options().pull_down_entry = true;
  go_to(StdVar::weight, 1);
  type_cell("9.1");
  ASSERT_TRUE(marked(StdVar::sex, 1)) << "a weighed child needs a sex";
  window_->workspace().changed = false;

  go_to(StdVar::sex, 1);
  QTest::keyClick(view_, Qt::Key_F2);
  auto* list = qobject_cast<QComboBox*>(view_->indexWidget(view_->currentIndex()));
  ASSERT_NE(list, nullptr) << "no pick list opened";
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->itemText(0), QStringLiteral("m"));
  EXPECT_EQ(list->itemText(1), QStringLiteral("f"));
  EXPECT_EQ(list->currentIndex(), -1) << "an empty cell shows no choice";
  EXPECT_TRUE(window_->workspace().changed) << "opening a pull-down editor is a change";

  // The codes of the paper forms pick the choice; other keys leave the list as it is.
  const std::vector<std::pair<char, const char*>> keys = {
      {'1', "m"}, {'2', "f"}, {'M', "m"}, {'0', "f"}, {'m', "m"}, {'F', "f"}, {'x', "f"}};
  for (const auto& [key, shown] : keys) {
    QTest::keyClick(list, key);
    EXPECT_EQ(list->currentText(), QString::fromLatin1(shown)) << key;
  }

  const std::filesystem::path folder = OLVAR_UI_SCREENSHOT_DIR;
  std::filesystem::create_directories(folder);
  list->showPopup();
  EXPECT_TRUE(window_->grab().save(QString::fromStdString((folder / "3c_sex_list.png").string())));
  EXPECT_TRUE(list->view()->window()->grab().save(
      QString::fromStdString((folder / "3d_sex_list_popup.png").string())));
  list->hidePopup();

  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(cell(StdVar::sex, 1), "f");
  EXPECT_FALSE(marked(StdVar::sex, 1)) << "the row is checked again";
  EXPECT_EQ(current_variable(), StdVar::birthdat) << "Enter moves on as after typing";
  EXPECT_TRUE(prompter_.messages.empty());

  // A key on the grid opens the list and picks at once.
  go_to(StdVar::sex, 1);
  QTest::keyClicks(view_, "1");
  list = qobject_cast<QComboBox*>(view_->indexWidget(view_->currentIndex()));
  ASSERT_NE(list, nullptr);
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(cell(StdVar::sex, 1), "m");
}

TEST_F(DataEntryViewTest, WithPullDownEditorsDatesArePickedFromACalendar) {
  window_->options().pull_down_entry = true;
  go_to(StdVar::birthdat, 1);
  QTest::keyClick(view_, Qt::Key_F2);
  auto* calendar = qobject_cast<QDateEdit*>(view_->indexWidget(view_->currentIndex()));
  ASSERT_NE(calendar, nullptr) << "no calendar opened";
  EXPECT_TRUE(calendar->calendarPopup());
  EXPECT_EQ(calendar->date(), QDate(2026, 12, 10)) << "an empty cell opens on today";
  calendar->setDate(QDate(2024, 6, 10));
  QTest::keyClick(calendar, Qt::Key_Return);
  EXPECT_EQ(cell(StdVar::birthdat, 1), "10.06.2024") << "the system order and separator";
  // 10.06.2024 to the survey date 10.12.2026: 913 days, 29.995 months of 30.4375 days.
  EXPECT_NEAR(core::parse_tolerant(cell(StdVar::months, 1)), 30.0, 0.01);

  // A cell's date opens the calendar on it.
  go_to(StdVar::survdate, 1);
  QTest::keyClick(view_, Qt::Key_F2);
  calendar = qobject_cast<QDateEdit*>(view_->indexWidget(view_->currentIndex()));
  ASSERT_NE(calendar, nullptr);
  EXPECT_EQ(calendar->date(), QDate(2026, 12, 10));
  QTest::keyClick(calendar, Qt::Key_Escape);

  // A text that is no date is kept unless another day is picked.
  window_->workspace().survey.set_cell(StdVar::birthdat, 2, "31.02.2024");
  go_to(StdVar::birthdat, 2);
  QTest::keyClick(view_, Qt::Key_F2);
  calendar = qobject_cast<QDateEdit*>(view_->indexWidget(view_->currentIndex()));
  ASSERT_NE(calendar, nullptr);
  QTest::keyClick(calendar, Qt::Key_Return);
  EXPECT_EQ(cell(StdVar::birthdat, 2), "31.02.2024");
}

TEST_F(DataEntryViewTest, TheCalendarWritesInEachSystemDateOrder) {
  struct Case {
    core::DateConventions dates;
    QString shown;        // the calendar's field
    std::string written;  // the cell: 10 June 2024
  };
  const Case cases[] = {
      {{core::DateOrder::mdy, '/', '.'}, QStringLiteral("MM/dd/yyyy"), "06/10/2024"},
      {{core::DateOrder::ymd, '-', ','}, QStringLiteral("yyyy-MM-dd"), "2024-06-10"},
      {{core::DateOrder::dmy, '/', '.'}, QStringLiteral("dd/MM/yyyy"), "10/06/2024"},
  };
  for (const Case& c : cases) {
    app_.dates = c.dates;
    SurveyWindow window(app_, inputs_);
    window.set_prompter(&prompter_);
    window.options().pull_down_entry = true;
    window.show();
    QTableView* view = window.data_view();
    view->setCurrentIndex(window.survey_model()->index(0, core::column(StdVar::birthdat) - 1));
    QTest::keyClick(view, Qt::Key_F2);
    auto* calendar = qobject_cast<QDateEdit*>(view->indexWidget(view->currentIndex()));
    ASSERT_NE(calendar, nullptr) << c.written;
    EXPECT_EQ(calendar->displayFormat(), c.shown);
    calendar->setDate(QDate(2024, 6, 10));
    QTest::keyClick(calendar, Qt::Key_Return);
    EXPECT_EQ(window.workspace().survey.cell(StdVar::birthdat, 1), c.written);
  }
}

TEST_F(DataEntryViewTest, WithoutPullDownEditorsEveryCellHasThePlainEditor) {
  ASSERT_FALSE(window_->options().pull_down_entry);
  for (const StdVar variable : {StdVar::sex, StdVar::birthdat, StdVar::cluster}) {
    go_to(variable, 1);
    QTest::keyClick(view_, Qt::Key_F2);
    EXPECT_NE(qobject_cast<QLineEdit*>(view_->indexWidget(view_->currentIndex())), nullptr)
        << core::column(variable);
    QTest::keyClick(view_->indexWidget(view_->currentIndex()), Qt::Key_Escape);
  }
  go_to(StdVar::sex, 1);
  type_cell("2");
  EXPECT_EQ(cell(StdVar::sex, 1), "f");
}

}  // namespace
}  // namespace olvar::ui

namespace olvar::ui {
namespace {

// The grid answers the keys of a spreadsheet: Ctrl+C copies the block, Ctrl+V pastes it as the
// Paste command does, Delete and Backspace empty the selected cells.
TEST_F(DataEntryViewTest, CopyPasteAndDeleteKeysWorkOnTheSelectedBlock) {
  ASSERT_TRUE(window_->open_survey(rich_survey()));
  const int weight = core::column(StdVar::weight) - 1;  // model columns start at table column 1
  const int height = core::column(StdVar::height) - 1;
  view_->setCurrentIndex(model_->index(0, weight));
  view_->selectionModel()->select(
      QItemSelection(model_->index(0, weight), model_->index(1, height)),
      QItemSelectionModel::ClearAndSelect);
  QTest::keySequence(view_, QKeySequence::Copy);
  const std::string copied = from_qstring(QGuiApplication::clipboard()->text());
  EXPECT_EQ(copied, std::string(cell(StdVar::weight, 1)) + "\t" +
                        std::string(cell(StdVar::height, 1)) + "\r\n" +
                        std::string(cell(StdVar::weight, 2)) + "\t" +
                        std::string(cell(StdVar::height, 2)) + "\r\n");

  window_->workspace().changed = false;
  QTest::keyClick(view_, Qt::Key_Delete);
  EXPECT_TRUE(cell(StdVar::weight, 1).empty());
  EXPECT_TRUE(cell(StdVar::height, 2).empty());
  EXPECT_TRUE(cell(StdVar::whz, 1).empty());  // the row was evaluated again
  EXPECT_TRUE(window_->workspace().changed);

  view_->setCurrentIndex(model_->index(0, weight));
  view_->selectionModel()->clearSelection();
  prompter_.yes_no_answers = {true};  // the paste asks first
  QTest::keySequence(view_, QKeySequence::Paste);
  EXPECT_EQ(copied.substr(0, copied.find('\t')), std::string(cell(StdVar::weight, 1)));
  EXPECT_FALSE(cell(StdVar::height, 2).empty());
  EXPECT_FALSE(cell(StdVar::whz, 1).empty());

  view_->setCurrentIndex(model_->index(1, height));
  QTest::keyClick(view_, Qt::Key_Backspace);
  EXPECT_TRUE(cell(StdVar::height, 2).empty());
  EXPECT_TRUE(prompter_.all_answers_used());
}


// Types keys as a fast typist does, ahead of the screen: every key is queued at once, and each
// goes, when its turn comes, to whatever has the keyboard then: a modal box when one is open,
// else the widget with the focus.
class Typist : public QObject {
 public:
  void type(const QString& keys) {
    for (const QChar key : keys) {
      pending_.push_back(key);
      QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }
  }
  bool done() const { return pending_.empty(); }

 protected:
  bool event(QEvent* event) override {
    if (event->type() != QEvent::User) return QObject::event(event);
    const QChar key = pending_.front();
    pending_.pop_front();
    QWidget* target = QApplication::activeModalWidget();
    if (target == nullptr) target = QApplication::focusWidget();
    if (target == nullptr) return true;
    if (key == QLatin1Char('\t')) {
      QTest::keyClick(target, Qt::Key_Tab);
    } else {
      QTest::keyClick(target, key.toLatin1());
    }
    return true;
  }

 private:
  std::deque<QChar> pending_;
};

// A row typed at speed through a warning: the warning box (the window's own, not a scripted
// one) takes none of the keys typed after it, and every value lands in its column.
TEST_F(DataEntryViewTest, ARowTypedAtSpeedThroughAWarningKeepsEveryValueInItsColumn) {
  QtPrompter dialogs(window_.get(), QStringLiteral("Olvar"));
  window_->set_prompter(&dialogs);
  go_to(StdVar::team, 1);
  view_->setFocus();
  // A box left open by a fault would hold the test: close any after a while.
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  closer.start(2000);
  Typist typist;
  // TEAM, ID, HH, SEX "x" (a warning), BIRTHDAT, then MONTHS is passed over: WEIGHT, HEIGHT,
  // EDEMA, MUAC.
  typist.type(QStringLiteral("3\t21\t4\tx\t01.02.2024\t9.4\t76.5\tn\t141\t"));
  for (int k = 0; k < 400 && !typist.done(); ++k) QCoreApplication::processEvents();
  window_->set_prompter(&prompter_);
  ASSERT_TRUE(typist.done());
  auto* warning = window_->findChild<QMessageBox*>(QStringLiteral("typing_warning"));
  ASSERT_NE(warning, nullptr) << "the warning was shown";
  EXPECT_EQ(warning->text().toStdString(), text_.text(801));
  EXPECT_FALSE(warning->isModal());
  EXPECT_EQ(cell(StdVar::team, 1), "3");
  EXPECT_EQ(cell(StdVar::id, 1), "21");
  EXPECT_EQ(cell(StdVar::hh, 1), "4");
  EXPECT_EQ(cell(StdVar::sex, 1), "x");
  EXPECT_EQ(cell(StdVar::birthdat, 1), "01.02.2024");
  EXPECT_EQ(cell(StdVar::weight, 1), "9.4");
  EXPECT_EQ(cell(StdVar::height, 1), "76.5");
  EXPECT_EQ(cell(StdVar::edema, 1), "n");
  EXPECT_EQ(cell(StdVar::muac, 1), "141");
  EXPECT_EQ(current_row(), 2);
  warning->close();
}

// The age column that typing passes over is greyed and says why when the cursor is put in it.
TEST_F(DataEntryViewTest, TheSkippedAgeColumnIsGreyedAndSaysWhy) {
  const auto background = [&](StdVar v) {
    return model_->data(model_->index(0, core::column(v) - 1), Qt::BackgroundRole);
  };
  // By date of birth (the default): MONTHS is passed over.
  EXPECT_EQ(background(StdVar::months), QVariant(palette::kSkipped));
  EXPECT_EQ(background(StdVar::birthdat), QVariant());
  auto* note = window_->findChild<QLabel*>(QStringLiteral("skip_note"));
  ASSERT_NE(note, nullptr);
  EXPECT_FALSE(note->isVisible());
  go_to(StdVar::months, 1);
  EXPECT_TRUE(note->isVisible());
  EXPECT_THAT(note->text().toStdString(), ::testing::HasSubstr("MONTHS is skipped"));
  EXPECT_EQ(model_->data(model_->index(0, core::column(StdVar::months) - 1), Qt::ToolTipRole),
            QVariant(note->text()));
  go_to(StdVar::weight, 1);
  EXPECT_FALSE(note->isVisible());
  // A marked cell keeps its mark over the grey.
  go_to(StdVar::months, 1);
  type_cell("abc");
  EXPECT_TRUE(marked(StdVar::months, 1));

  // By months: BIRTHDAT is passed over.
  window_->workspace().options.age_by_months = true;
  window_->data_entry_page()->reload_survey();
  EXPECT_EQ(background(StdVar::birthdat), QVariant(palette::kSkipped));
  go_to(StdVar::birthdat, 2);
  EXPECT_THAT(note->text().toStdString(), ::testing::HasSubstr("BIRTHDAT is skipped"));
}

// After Undo and Redo every mark is that of the cells as they are again.
TEST_F(DataEntryViewTest, UndoAndRedoBringTheMarksBackWithTheCells) {
  ASSERT_TRUE(window_->open_survey(rich_survey()));
  ASSERT_FALSE(marked(StdVar::weight, 1));
  go_to(StdVar::weight, 1);
  type_cell("35");  // above the maximum
  ASSERT_TRUE(marked(StdVar::weight, 1));
  go_to(StdVar::sex, 1);
  type_cell("q");  // no sex code
  ASSERT_TRUE(marked(StdVar::sex, 1));
  view_->setFocus();
  QTest::keyClick(view_, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_FALSE(marked(StdVar::sex, 1));
  EXPECT_TRUE(marked(StdVar::weight, 1));
  QTest::keyClick(view_, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_FALSE(marked(StdVar::weight, 1));
  QTest::keyClick(view_, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_TRUE(marked(StdVar::weight, 1));
  EXPECT_FALSE(marked(StdVar::sex, 1));
  QTest::keyClick(view_, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_TRUE(marked(StdVar::sex, 1));
}

}  // namespace
}  // namespace olvar::ui
