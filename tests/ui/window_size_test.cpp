// The survey window on the smallest laptop screen in common use, 1366 x 768: no page may make the
// window taller or wider than what such a screen leaves it.
#include <gtest/gtest.h>

#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <filesystem>

#include "ui/planning_page.h"
#include "window_environment.h"

namespace olvar::ui {
namespace {

// 768 less a desktop panel (about 40 pixels) and the window's title bar (about 30).
constexpr int kScreenWidth = 1366;
constexpr int kWindowHeight = 768 - 40 - 30;

TEST(WindowSize, EveryPageFitsA1366By768Screen) {
  WindowEnvironment environment;
  auto window = environment.make_window();
  const std::filesystem::path survey = environment.temp / "rich.as";
  std::filesystem::copy_file(test::source_path("tests/fixtures/survey_file/rich.as"), survey);
  ASSERT_TRUE(window->open_survey(survey));
  window->show();
  for (int page = 0; page < window->pages()->count(); ++page) {
    window->pages()->setCurrentIndex(page);
    const QSize least = window->minimumSizeHint();
    EXPECT_LE(least.width(), kScreenWidth) << window->pages()->tabText(page).toStdString();
    EXPECT_LE(least.height(), kWindowHeight) << window->pages()->tabText(page).toStdString();
  }

  // At that size the Planning page shows all of itself without scrolling.
  window->resize(kScreenWidth, kWindowHeight);
  window->pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::planning));
  const auto* scroll = window->planning_widget()->findChild<QScrollArea*>();
  ASSERT_NE(scroll, nullptr);
  EXPECT_EQ(scroll->verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(scroll->horizontalScrollBar()->maximum(), 0);
}

}  // namespace
}  // namespace olvar::ui
