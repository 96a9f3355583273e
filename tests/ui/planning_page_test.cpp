#include "ui/planning_page.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "core/language_table.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"
#include "ui/survey_window.h"
#include "window_environment.h"

namespace olvar::ui {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The page alone, with every document it hands out recorded instead of opened.
class PlanningPageTest : public testing::Test {
 protected:
  PlanningPageTest() : text_(core::LanguageTable::load(OLVAR_BUILD_DATA_DIR)) {
    PlanningPageWidget::Services services;
    services.text = &text_;
    services.folders = {OLVAR_BUILD_DATA_DIR, temp_.path()};
    services.prompter = [this]() -> core::Prompter& { return prompter_; };
    services.write_report_document = [this](const document::DocumentBuffer& d, std::string_view) {
      documents_.push_back(d.text());
    };
    services.hand_to_spreadsheet = [this](const document::DocumentBuffer& d, std::string_view) {
      tables_.push_back(d.text());
    };
    services.mark_changed = [this] { ++changes_; };
    services.clipboard_text = [this] { return clipboard_; };
    page_ = std::make_unique<PlanningPageWidget>(planning_, services);
    page_->shown();
  }

  void type(const std::string& field, const QString& text) {
    QLineEdit* edit = page_->edit(field);
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }
  QString shown(const std::string& field) const { return page_->edit(field)->text(); }

  test::TempFolder temp_;
  core::LanguageTable text_;
  test::ScriptedPrompter prompter_;
  core::PlanningPage planning_;
  std::vector<std::string> documents_, tables_;
  std::string clipboard_;
  int changes_ = 0;
  std::unique_ptr<PlanningPageWidget> page_;
};

TEST_F(PlanningPageTest, OutputsFollowTheTyping) {
  EXPECT_EQ(shown("Panel2"), "401");
  EXPECT_EQ(shown("Panel7"), "613");
  EXPECT_EQ(shown("Panel3"), "3747");
  EXPECT_EQ(shown("Panel10"), "773");
  type("sc_b", "10");  // 4.182025 x 1.5 x 0.09 / 0.0025 = 225.8
  EXPECT_EQ(planning_.sc_b, "10");
  EXPECT_EQ(shown("Panel2"), "226");
  EXPECT_GT(changes_, 0);
  type("sc_b", "1o");
  EXPECT_EQ(shown("Panel2"), "");
  EXPECT_THAT(page_->problems_label()->text().toStdString(), HasSubstr("\"1o\" is not a number"));
  page_->edit("sc_g")->clear();
  type("sc_b", "20");
  QTest::keyClick(page_->edit("sc_g"), Qt::Key_Backspace);  // empty already: still computed
  planning_.sc_g.clear();
  type("sc_c", "5");
  EXPECT_EQ(shown("Panel2"), "401");
  EXPECT_EQ(shown("Panel7"), "");
}

TEST_F(PlanningPageTest, RandomSamplingLocksTheDesignEffects) {
  // click() as a mouse click does it: the page is not on a screen.
  page_->findChild<QAbstractButton*>("SamplingRandom")->click();
  EXPECT_FALSE(planning_.cluster_sampling);
  EXPECT_EQ(shown("sc_d"), "1");
  EXPECT_TRUE(page_->edit("sc_d")->isReadOnly());
  EXPECT_TRUE(page_->edit("sm_c")->isReadOnly());
  EXPECT_EQ(shown("Panel2"), "246");
  page_->findChild<QAbstractButton*>("SamplingCluster")->click();
  EXPECT_EQ(shown("sm_c"), "1.5");
  EXPECT_FALSE(page_->edit("sm_c")->isReadOnly());
}

TEST_F(PlanningPageTest, TheCorrectionNeedsTheClusterTableFilled) {
  page_->correction_box()->click();
  EXPECT_THAT(prompter_.messages, ElementsAre(text_.text(94)));
  EXPECT_FALSE(page_->correction_box()->isChecked());

  // Paste a table of units: the population size and, with the correction on, the sizes follow.
  clipboard_ = "Abu\t6000\r\nBora\t4000\r\n";
  prompter_.yes_no_answers = {true};
  page_->paste_clusters();
  EXPECT_EQ(shown("PopSize_field"), "10000");
  page_->correction_box()->click();
  EXPECT_TRUE(page_->correction_box()->isChecked());
  EXPECT_EQ(shown("Panel2"), "310");
}

TEST_F(PlanningPageTest, ClusterTableHasHeadingsAndTakesEditsPastesAndDraws) {
  QAbstractItemModel* model = page_->cluster_view()->model();
  EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString().toStdString(), text_.text(855));
  EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString().toStdString(), text_.text(856));
  EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "Cluster");

  prompter_.yes_no_answers = {false};  // Language entry 933 answered No: nothing pasted
  clipboard_ = "Abu\t2000\n";
  page_->paste_clusters();
  EXPECT_EQ(planning_.cluster_table.cell(0, 1), "");
  EXPECT_THAT(prompter_.questions, ElementsAre(text_.text(933)));

  prompter_.yes_no_answers = {true};
  clipboard_ = "Abu\t2000\nBora\t2000\nCala\t2000\n";
  page_->paste_clusters();
  const int changes = changes_;
  model->setData(model->index(2, 1), QStringLiteral("2000"));  // typed into the grid
  EXPECT_GT(changes_, changes);
  EXPECT_EQ(shown("PopSize_field"), "6000");

  type("Edit19", "2");
  type("seed", "77");
  page_->assign_clusters();
  std::vector<std::string> labels;
  for (int row = 1; row <= 3; ++row) labels.emplace_back(planning_.cluster_table.cell(2, row));
  EXPECT_THAT(labels, ::testing::UnorderedElementsAre("1", "2", "RC"));

  page_->print_cluster_table();
  ASSERT_EQ(documents_.size(), 1u);
  EXPECT_THAT(documents_[0], HasSubstr("Seed of the random draw: 77"));
  page_->transfer_to_spreadsheet();
  ASSERT_EQ(tables_.size(), 1u);
  EXPECT_EQ(tables_[0].substr(0, tables_[0].find('\n')),
            text_.text(855) + "\t" + text_.text(856) + "\tCluster\t");
}

TEST_F(PlanningPageTest, RandomNumbersProtocolAndFormsAreHandedOut) {
  type("Edit14", "1");
  type("Edit16", "10");
  type("Edit15", "11");
  page_->generate_random_numbers();
  EXPECT_THAT(prompter_.messages, ElementsAre(text_.text(889)));
  type("Edit15", "10");
  page_->generate_random_numbers();
  ASSERT_EQ(documents_.size(), 1u);
  EXPECT_THAT(documents_[0], HasSubstr("Range: 1 to 10, Number: 10"));

  page_->survey_protocol();
  ASSERT_EQ(documents_.size(), 2u);
  EXPECT_THAT(documents_[1], HasSubstr("to include:\\tab 401"));

  page_->hand_out_blank_form(planning::BlankForm::mortality_standard);
  ASSERT_EQ(documents_.size(), 3u);
  EXPECT_THAT(documents_[2], HasSubstr("Demography and mortality questionnaire"));
}

TEST(PlanningPageInWindow, FieldsComeFromTheSurveyFileAndEditsMarkItChanged) {
  WindowEnvironment env;
  const std::filesystem::path survey = env.temp / "rich.as";
  std::filesystem::copy_file(test::source_path("tests/fixtures/survey_file/rich.as"), survey);
  auto window = env.make_window();
  ASSERT_TRUE(window->open_survey(survey));
  window->pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::planning));
  PlanningPageWidget* page = window->planning_widget();
  EXPECT_EQ(page->edit("sc_b")->text().toStdString(), window->workspace().planning.sc_b);
  EXPECT_EQ(page->edit("Surveyname")->text().toStdString(),
            window->workspace().planning.survey_name);
  EXPECT_FALSE(window->workspace().changed);
  QTest::keyClicks(page->edit("Surveyname"), "x");
  EXPECT_TRUE(window->workspace().changed);
}

}  // namespace
}  // namespace olvar::ui

namespace olvar::ui {
namespace {

TEST(PlanningPageInWindow, TheExtrasMenuOffersTheFourBlankForms) {
  WindowEnvironment env;
  auto window = env.make_window();
  QStringList forms;
  for (QMenu* menu : window->findChildren<QMenu*>()) {
    if (!menu->title().startsWith(QStringLiteral("Blank forms"))) continue;
    for (QAction* action : menu->actions()) forms << menu->title() + " / " + action->text();
  }
  ASSERT_EQ(forms.size(), 4) << forms.join(", ").toStdString();
  EXPECT_TRUE(forms.contains(QStringLiteral("Blank forms for mortality surveys / ") +
                             QString::fromStdString(env.text.text(1096))));
}

}  // namespace
}  // namespace olvar::ui
