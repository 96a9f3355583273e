// The import of Files > "Import EPI Info File" driven through its widgets: the mapping window's
// preselection, a changed choice and the survey it builds, and the failures that must leave the
// open survey as it was.
#include "ui/import_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <filesystem>

#include "support/import_fixtures.h"
#include "ui/qt_convert.h"
#include "window_environment.h"
#include "workspace/recent_files.h"

namespace olvar::ui {
namespace {

using core::StdVar;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class ImportWindowTest : public ::testing::Test {
 protected:
  ImportWindowTest() : survey_window(env.make_window()) {}

  QAction* import_action() {
    for (QMenu* menu : survey_window->menuBar()->findChildren<QMenu*>()) {
      if (menu->title() != QStringLiteral("&Files")) continue;
      for (QAction* action : menu->actions()) {
        if (action->objectName() == QStringLiteral("ImportEpiInfoFile")) return action;
      }
    }
    return nullptr;
  }

  // Chooses `file` in the open dialog; returns the mapping window, or null when none opened.
  ImportWindow* import(const std::filesystem::path& file) {
    env.prompter.file_answers.push_back(file.string());
    QAction* action = import_action();
    EXPECT_NE(action, nullptr);
    if (action == nullptr) return nullptr;
    action->trigger();
    const QList<ImportWindow*> windows = survey_window->findChildren<ImportWindow*>();
    return windows.isEmpty() ? nullptr : windows.back();
  }

  static QComboBox* list(ImportWindow* window, const char* name) {
    auto* box = window->findChild<QComboBox*>(QString::fromLatin1(name));
    EXPECT_NE(box, nullptr) << name;
    return box;
  }

  WindowEnvironment env;
  std::unique_ptr<SurveyWindow> survey_window;
};

const std::vector<test::RecField> kFields = {{"CLUSTER", 1, 3}, {"SEX", 2, 1}, {"AGE", 1, 5},
                                             {"WEIGHT", 1, 5},  {"KG", 1, 5},  {"HEIGHT", 1, 5},
                                             {"VILLAGE", 2, 10}};

TEST_F(ImportWindowTest, MapsTheFieldsAsChosenAndReplacesTheSurvey) {
  const auto file =
      env.temp.write("field/survey.rec",
                     test::rec_file(kFields, {{{"4", "1", "24", "11.2", "11.4", "84.5", "Loma"}},
                                              {{"4", "2", "30", "12", "12.2", "88", "Bo"}, true},
                                              {{"5", "2", "13.5", "8.1", "8.3", "72.0", "Cy"}}}));
  survey_window->show();
  ImportWindow* window = import(file);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(window->isModal());
  EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("format_label"))->text(),
            QStringLiteral("EPI Info 6"));
  EXPECT_EQ(list(window, "SEX")->currentText(), QStringLiteral("SEX"));
  EXPECT_EQ(list(window, "MONTHS")->currentText(), QStringLiteral("AGE"));
  EXPECT_EQ(list(window, "WEIGHT")->currentText(), QStringLiteral("WEIGHT"));
  EXPECT_EQ(list(window, "MUAC")->currentText(), QString());
  EXPECT_EQ(list(window, "MUAC")->count(), 8);  // no field, then the seven fields
  EXPECT_EQ(list(window, "date_format")->currentText(), QStringLiteral("ddmmyy"));
  EXPECT_EQ(env.app.settings.last_folder, workspace::dialog_folder_of(file.string()));
  EXPECT_THAT(env.app.settings.last_folder, HasSubstr("field"));

  list(window, "WEIGHT")->setCurrentText(QStringLiteral("KG"));
  const std::filesystem::path folder = OLVAR_UI_SCREENSHOT_DIR;
  std::filesystem::create_directories(folder);
  EXPECT_TRUE(
      window->grab().save(QString::fromStdString((folder / "17a_import_mapping.png").string())));
  window->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();

  const core::Workspace& survey = survey_window->workspace();
  EXPECT_EQ(survey.file_name, (env.temp.path() / "field" / "survey.as").string());
  EXPECT_TRUE(survey.changed);
  EXPECT_EQ(survey.survey.cell(StdVar::weight, 1), "11.4");
  EXPECT_EQ(survey.survey.cell(StdVar::sex, 2), "f");
  EXPECT_EQ(survey.survey.cell(StdVar::cluster, 2), "5");
  EXPECT_EQ(survey.survey.cell(20, 0), "_WEIGHT");
  EXPECT_EQ(survey.survey.cell(20, 1), "11.2");
  EXPECT_EQ(survey.survey.cell(21, 2), "Cy");
  EXPECT_FALSE(survey.survey.cell(StdVar::whz, 1).empty());
  EXPECT_TRUE(survey.survey.row_is_empty(3));
  EXPECT_THAT(env.prompter.messages,
              ElementsAre("1 records marked as deleted in the file were left out"));
  EXPECT_THAT(survey_window->windowTitle().toStdString(), HasSubstr("survey.as"));
  EXPECT_TRUE(survey_window->findChildren<ImportWindow*>().isEmpty() ||
              !survey_window->findChildren<ImportWindow*>().back()->isVisible());
}

TEST_F(ImportWindowTest, AFailedImportLeavesTheOpenSurveyAsItWas) {
  core::Workspace& open = survey_window->workspace();
  open.survey.set_cell(StdVar::id, 1, "77");
  open.file_name = "kept.as";
  const core::Workspace before = open;

  // Cut inside its header: no mapping window, the file and line named.
  const std::string whole = test::rec_file(kFields, {{{"4", "1"}}});
  EXPECT_EQ(import(env.temp.write("cut.rec", whole.substr(0, 80))), nullptr);
  ASSERT_EQ(env.prompter.messages.size(), 1u);
  EXPECT_THAT(env.prompter.messages[0],
              HasSubstr("cut.rec, line 3: the file ends inside its header"));

  // A malformed record found only when the records are read: the window closes, nothing changes.
  ImportWindow* window = import(env.temp.write("bad.csv", "sex,weight\nm,1\nf,\"2\"x\n"));
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("format_label"))->text(),
            QStringLiteral("CSV"));
  window->accept();
  ASSERT_EQ(env.prompter.messages.size(), 2u);
  EXPECT_THAT(env.prompter.messages[1], HasSubstr("bad.csv, line 3: text after the closing quote"));
  EXPECT_EQ(survey_window->workspace().survey, before.survey);
  EXPECT_EQ(survey_window->workspace().file_name, "kept.as");

  // Cancel in the open dialog.
  env.prompter.file_answers.push_back(std::nullopt);
  import_action()->trigger();
  EXPECT_EQ(survey_window->workspace().survey, before.survey);
  EXPECT_TRUE(env.prompter.all_answers_used());
}

}  // namespace
}  // namespace olvar::ui
