// The survey window on the smallest laptop screen in common use, 1366 x 768: no page may make the
// window taller or wider than what such a screen leaves it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <filesystem>

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

  // At that size every page shows all of itself without scrolling (the Planning and the
  // Options page scroll only on a smaller screen still).
  window->resize(kScreenWidth, kWindowHeight);
  for (int page = 0; page < window->pages()->count(); ++page) {
    window->pages()->setCurrentIndex(page);
    QCoreApplication::processEvents();
    for (const QScrollArea* scroll : window->pages()->widget(page)->findChildren<QScrollArea*>()) {
      EXPECT_EQ(scroll->verticalScrollBar()->maximum(), 0)
          << window->pages()->tabText(page).toStdString();
      EXPECT_EQ(scroll->horizontalScrollBar()->maximum(), 0)
          << window->pages()->tabText(page).toStdString();
    }
  }
}

}  // namespace
}  // namespace olvar::ui
