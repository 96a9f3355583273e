// Pictures of every page with a survey loaded, written to the build tree for a person to look
// at (ui_screenshots/; olvar-gallery makes the same for the README and the user guide). The
// test checks that each picture was written and that the window keeps the laptop size with
// the results page's graph whole inside it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <filesystem>

#include "anthro/who_reference.h"
#include "core/language_table.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"
#include "ui/report_editor_window.h"
#include "ui/survey_window.h"

namespace olvar::ui {
namespace {

TEST(Screenshots, EveryPageWithASurveyLoaded) {
  test::TempFolder temp;
  const core::LanguageTable text = core::LanguageTable::load(OLVAR_BUILD_DATA_DIR);
  const anthro::WhoReference who =
      anthro::WhoReference::load(test::build_data_path(anthro::kWhoTableFileName));
  workspace::AppContext app;
  app.folders = {OLVAR_BUILD_DATA_DIR, temp.path()};
  app.output_folder = temp.path();
  app.settings_file = temp / "winpellan.ini";
  app.dates = {core::DateOrder::dmy, '.', '.'};
  app.today = {2026, 12, 10};
  app.text = &text;
  app.who = &who;
  workspace::StartUpInputs inputs;
  inputs.env = [](const std::string&) { return std::optional<std::string>(); };
  inputs.run = [](const platform::ProcessCommand&, std::string*) { return 0; };
  const std::filesystem::path survey = temp / "rich.as";
  std::filesystem::copy_file(test::source_path("tests/fixtures/survey_file/rich.as"), survey);

  const std::filesystem::path folder = OLVAR_UI_SCREENSHOT_DIR;
  std::filesystem::create_directories(folder);
  SurveyWindow window(app, inputs);
  ASSERT_TRUE(window.open_survey(survey));
  window.resize(1366, 768);  // the smallest laptop screen in common use
  window.show();
  const auto shoot = [&](const std::string& name) {
    QCoreApplication::processEvents();  // the layout settles (scroll bars) before the picture
    const std::filesystem::path file = folder / (name + ".png");
    EXPECT_TRUE(window.grab().save(QString::fromStdString(file.string()))) << name;
  };
  // Every page, and every sub-page of a page that has them ("2_training_1", ...).
  const char* names[] = {"1_planning",    "2_training",      "3_data_entry", "4_results",
                         "5_death_rates", "6_food_security", "7_options"};
  for (int page = 0; page < 7; ++page) {
    window.pages()->setCurrentIndex(page);
    shoot(names[page]);
    for (QTabWidget* sub_pages :
         window.pages()->widget(page)->findChildren<QTabWidget*>(Qt::FindDirectChildrenOnly)) {
      for (int sub_page = 1; sub_page < sub_pages->count(); ++sub_page) {
        sub_pages->setCurrentIndex(sub_page);
        shoot(std::string(names[page]) + "_" + std::to_string(sub_page));
      }
      sub_pages->setCurrentIndex(0);
    }
  }
  EXPECT_EQ(window.size(), QSize(1366, 768));  // no page made the window larger
  // The results page shows its graph whole, inside the window at this size.
  window.pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::results));
  QCoreApplication::processEvents();
  const QWidget* graph = window.findChild<QWidget*>(QStringLiteral("results_graph"));
  ASSERT_NE(graph, nullptr);
  EXPECT_TRUE(graph->isVisible());
  const QRect shown(graph->mapTo(&window, QPoint(0, 0)), graph->size());
  EXPECT_TRUE(window.rect().contains(shown)) << shown.x() << "," << shown.y() << " "
                                             << shown.width() << "x" << shown.height();
  window.pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::data_entry));
  // The z-score columns stand beside the result panel without scrolling.
  const QTableView* grid = window.data_view();
  for (const core::StdVar index : {core::StdVar::waz, core::StdVar::haz, core::StdVar::whz}) {
    const int column = core::column(index) - 1;
    EXPECT_LE(grid->columnViewportPosition(column) + grid->columnWidth(column),
              grid->viewport()->width())
        << core::column(index);
  }

  ReportEditorWindow& editor = window.report_editor();
  const std::filesystem::path report = temp.write(
      "noname.rtf",
      "{\\rtf1{\\fonttbl{\\f0\\fnil Times New Roman;}{\\f3\\fmodern Courier New;}}\\pard\\f0"
      "\\fs30\\b Plausibility check\\b0\\fs24\\par Overall score\\tab 12 %\\par \\f3\\fs16 "
      "WHZ   n=812  mean -0.61\\par \\plain Done.}");
  editor.open_report_editor(report);
  editor.resize(800, 500);
  EXPECT_TRUE(
      editor.grab().save(QString::fromStdString((folder / "8_report_editor.png").string())));
  editor.close();
}

}  // namespace
}  // namespace olvar::ui
