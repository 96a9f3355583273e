// The Results Anthropometry page in the survey window: a small survey opened, the page shown,
// its lines, the CLUSTER sort while it is shown and the order restored after, the exclusion
// kept in step with the Options page, and a picture at 1366 x 768 (ui_screenshots/).

#include "ui/results_page.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <filesystem>

#include "core/standard_variables.h"
#include "graphs/surface.h"
#include "ui/options_page_widget.h"
#include "support/recording_launcher.h"
#include "support/run_command.h"
#include "ui/graph_window.h"
#include "ui/qt_convert.h"
#include "window_environment.h"

namespace olvar::ui {
namespace {

using core::StdVar;

constexpr int kResults = static_cast<int>(workspace::SurveyPage::results);
constexpr int kOptions = static_cast<int>(workspace::SurveyPage::options);
constexpr int kDataEntry = static_cast<int>(workspace::SurveyPage::data_entry);

// Ten children in three clusters, cluster 3 first in the file, with their MUAC in mm:
//   cluster 3: m 110, m 124, f 138;  cluster 1: m 118, f 130, m 140, f 121;
//   cluster 2: f 150, m 128, f 145
// MUAC < 125: 118, 121 (cluster 1), 110, 124 (cluster 3): 4 of 10, limits 2.4 % and 94.7 %
// (residuals .12, -.36, .24 over m = 4, 3, 3; SE^2 = .0336; t(2) = 4.30265); mean 130.4,
// SD 12.7.
constexpr const char* kSurvey =
    "dmy\r\nCLUSTER\tID\tSEX\tMUAC\t\r\n"
    "3\t8\tm\t110\t\r\n3\t9\tm\t124\t\r\n3\t10\tf\t138\t\r\n"
    "1\t1\tm\t118\t\r\n1\t2\tf\t130\t\r\n1\t3\tm\t140\t\r\n1\t4\tf\t121\t\r\n"
    "2\t5\tf\t150\t\r\n2\t6\tm\t128\t\r\n2\t7\tf\t145\t\r\n";

template <typename T>
T* child(QWidget* parent, const char* name) {
  T* found = parent->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(found, nullptr) << name;
  return found;
}

QRadioButton* options_button(QWidget* options, int entry, const core::LanguageTable& text) {
  for (QRadioButton* button : options->findChildren<QRadioButton*>()) {
    if (button->text() == to_qstring(text.text(entry))) return button;
  }
  ADD_FAILURE() << "no Options page button for entry " << entry;
  return nullptr;
}

TEST(ResultsPage, LinesSortExclusionInStepAndPicture) {
  WindowEnvironment environment;
  std::unique_ptr<SurveyWindow> window = environment.make_window();
  const auto file = environment.temp.write("muac.as", kSurvey);
  ASSERT_TRUE(window->open_survey(file));
  ResultsPage* page = window->results_page();
  ASSERT_NE(page, nullptr);
  window->resize(1366, 768);
  window->show();

  window->pages()->setCurrentIndex(kResults);
  // Shown sorted by CLUSTER; the scratch copy saved; nothing counts as changed.
  EXPECT_EQ(window->workspace().survey.cell(StdVar::cluster, 1), "1");
  EXPECT_TRUE(std::filesystem::exists(environment.temp / "noname.as"));
  EXPECT_FALSE(window->workspace().changed);
  // Reference buttons moved here keep their names.
  EXPECT_NE(page->findChild<QRadioButton*>(QStringLiteral("WHO_Button3")), nullptr);
  EXPECT_NE(page->findChild<QRadioButton*>(QStringLiteral("NCHS_Button3")), nullptr);

  child<QRadioButton>(page, "RadioButton4")->click();  // MUAC
  auto* memo = child<QPlainTextEdit>(page, "TR");
  const QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
  ASSERT_GE(lines.size(), 23);
  EXPECT_EQ(lines[0], "Results for MUAC:");
  EXPECT_EQ(lines[4], "All   (n= 10): (  4) 40.0% ( 2.4-94.7 95% CI)");
  EXPECT_EQ(lines[21], QString::fromUtf8("Mean of MUAC   (n=10)  : 130.4\u00B1"
                                         "12.7"));
  // MUAC offers two graph types, the cumulative distribution selected.
  auto* graph_type = child<QComboBox>(page, "Graphtype");
  EXPECT_EQ(graph_type->count(), 2);
  EXPECT_EQ(graph_type->currentIndex(), 1);

  // The exclusion chosen here is the Options page's, and back.
  QWidget* options = window->options_widget();
  child<QRadioButton>(page, "excl_pc")->click();
  EXPECT_EQ(window->options().exclusion, core::ExclusionMode::kandu);
  EXPECT_TRUE(options_button(options, 1014, environment.text)->isChecked());
  EXPECT_EQ(environment.app.settings.exclusion_mode, 'p');
  window->pages()->setCurrentIndex(kOptions);
  // Left: the table is back in the order of the file.
  EXPECT_EQ(window->workspace().survey.cell(StdVar::cluster, 1), "3");
  options_button(options, 1013, environment.text)->click();
  EXPECT_TRUE(child<QRadioButton>(page, "excl_vv")->isChecked());
  EXPECT_FALSE(child<QRadioButton>(page, "excl_pc")->isChecked());

  // Back on the page: MUAC by cluster, one group mean per cluster in order of the codes.
  window->pages()->setCurrentIndex(kResults);
  EXPECT_TRUE(child<QRadioButton>(page, "excl_vv")->isChecked());
  child<QRadioButton>(page, "RadioButton1")->click();  // Cluster
  // Cluster 1: 118, 130, 140, 121 -> mean 127.25, SD sqrt(294.75 / 3) = 9.91, printed with
  // four significant digits as 127.30; cluster 2: 150, 128, 145 -> 141.00; cluster 3: 110,
  // 124, 138 -> 124.00.
  ASSERT_EQ(page->lines().size(), 2u + 3u);
  EXPECT_THAT(page->lines()[2], ::testing::StartsWith("Cluster 1 :"));
  EXPECT_THAT(page->lines()[2], ::testing::HasSubstr("127.30 \xB1 9.91"));
  EXPECT_THAT(page->lines()[2], ::testing::EndsWith("(n=4)"));
  EXPECT_THAT(page->lines()[3], ::testing::StartsWith("Cluster 2 :"));
  EXPECT_THAT(page->lines()[3], ::testing::HasSubstr("141.00 \xB1"));
  EXPECT_THAT(page->lines()[4], ::testing::StartsWith("Cluster 3 :"));
  EXPECT_THAT(page->lines()[4], ::testing::EndsWith("(n=3)"));

  // The clipboard gets the lines and the graph on the page; the user is told.
  environment.prompter.messages.clear();
  child<QPushButton>(page, "ClipboardButton")->click();
  EXPECT_TRUE(
      QGuiApplication::clipboard()->text().startsWith(to_qstring(environment.text.text(1081))));
  ASSERT_NE(page->shown_graph(), nullptr);
  EXPECT_EQ(QGuiApplication::clipboard()->image().size(),
            QSize(2 * graphs::kSurfaceWidth, 2 * graphs::kSurfaceHeight));
  EXPECT_THAT(environment.prompter.messages, ::testing::ElementsAre(environment.text.text(1350)));

  // The graph button shows the graph of the index and graph type chosen in the graph window
  // (MUAC by cluster: the group means).
  EXPECT_EQ(graph_type->count(), 1);
  EXPECT_EQ(page->graph_choice().entry, 1139);
  environment.prompter.messages.clear();
  child<QPushButton>(page, "GraphButton")->click();
  ASSERT_NE(window->graph_window(), nullptr);
  EXPECT_TRUE(window->graph_window()->isVisible());

  // Report Word hands the results report to the word processor.
  auto launcher = std::make_unique<test::RecordingLauncher>();
  const std::vector<platform::ProcessCommand>& commands = launcher->commands;
  window->set_launcher(std::move(launcher));
  child<QPushButton>(page, "BitBtn2")->click();
  ASSERT_TRUE(window->last_hand_off().has_value());
  EXPECT_EQ(test::read_whole_file(window->last_hand_off()->file).substr(0, 6), "{\\rtf1");
  EXPECT_EQ(commands.size(), 1u);
  window->pages()->setCurrentIndex(kDataEntry);
  EXPECT_EQ(window->workspace().survey.cell(StdVar::cluster, 1), "3");
}

// The title a drawing shows (its first bold text).
std::string title_of(const graphs::Drawing* drawing) {
  if (drawing == nullptr) return "(no graph)";
  for (const graphs::Step& step : drawing->steps) {
    if (const auto* t = std::get_if<graphs::Text>(&step); t && t->bold) return t->text;
  }
  return "";
}

// The graph stands on the page and follows every control: entering the page, the index, the
// grouping, the graph type and the exclusion each draw it again, never leaving a stale one.
TEST(ResultsPage, TheGraphOnThePageFollowsEveryControl) {
  WindowEnvironment environment;
  std::unique_ptr<SurveyWindow> window = environment.make_window();
  const auto file = environment.temp.write("muac.as", kSurvey);
  ASSERT_TRUE(window->open_survey(file));
  ResultsPage* page = window->results_page();
  window->resize(1366, 768);
  window->show();
  window->pages()->setCurrentIndex(kResults);
  auto* view = page->findChild<QWidget*>(QStringLiteral("results_graph"));
  ASSERT_NE(view, nullptr);

  child<QRadioButton>(page, "RadioButton4")->click();  // MUAC: the cumulative distribution
  ASSERT_NE(page->shown_graph(), nullptr);
  EXPECT_TRUE(view->isVisible());
  const std::string cumulative = title_of(page->shown_graph());
  EXPECT_NE(cumulative.find("MUAC"), std::string::npos) << cumulative;

  auto* graph_type = child<QComboBox>(page, "Graphtype");
  graph_type->setCurrentIndex(0);
  emit graph_type->activated(0);  // the user picks the Gaussian curve
  EXPECT_NE(title_of(page->shown_graph()), cumulative);

  child<QRadioButton>(page, "RadioButton1")->click();  // Cluster: the means by cluster
  const std::string by_cluster = title_of(page->shown_graph());
  int bars = 0;
  for (const graphs::Step& step : page->shown_graph()->steps) {
    const auto* box = std::get_if<graphs::Box>(&step);
    bars += box != nullptr && box->fill_colour == graphs::kRed;
  }
  EXPECT_EQ(bars, 3);  // three clusters

  // The Options page changes the exclusion; back on the page the graph is drawn again.
  const graphs::Drawing before = *page->shown_graph();
  child<QRadioButton>(page, "excl_ne")->click();
  ASSERT_NE(page->shown_graph(), nullptr);
  window->pages()->setCurrentIndex(kDataEntry);
  window->pages()->setCurrentIndex(kResults);
  ASSERT_NE(page->shown_graph(), nullptr);
  EXPECT_EQ(title_of(page->shown_graph()), by_cluster);
  EXPECT_EQ(page->shown_graph()->steps.size(), before.steps.size());
}

TEST(ResultsPage, ReportModeOpensOnThePageWithItsLines) {
  WindowEnvironment environment;
  environment.app.command_line.mode_word = "REPORT";
  std::unique_ptr<SurveyWindow> window = environment.make_window();
  const auto file = environment.temp.write("muac.as", kSurvey);
  ASSERT_TRUE(window->open_survey(file));  // activates the window: the mode applies
  EXPECT_EQ(window->pages()->currentIndex(), kResults);
  EXPECT_FALSE(window->pages()->isTabVisible(kDataEntry));
  EXPECT_EQ(window->workspace().survey.cell(StdVar::cluster, 1), "1");  // sorted while shown
  ASSERT_FALSE(window->results_page()->lines().empty());
  EXPECT_EQ(window->results_page()->lines()[0], "Results for WHZ:");
}

TEST(ResultsPage, PictureOfTheExampleSurvey) {
  WindowEnvironment environment;
  std::unique_ptr<SurveyWindow> window = environment.make_window();
  ASSERT_TRUE(window->open_survey(test::build_data_path("examples/demo.as")));
  window->resize(1366, 768);
  window->show();
  window->pages()->setCurrentIndex(kResults);
  ResultsPage* page = window->results_page();
  child<QRadioButton>(page, "RadioButton9")->click();   // WHZ
  child<QRadioButton>(page, "RadioButton14")->click();  // All
  ASSERT_GE(page->lines().size(), 26u);
  EXPECT_EQ(page->lines()[0], "Results for WHZ:");
  EXPECT_EQ(page->lines()[4].substr(0, 15), "All   (n=870): ");
  const std::filesystem::path folder = OLVAR_UI_SCREENSHOT_DIR;
  std::filesystem::create_directories(folder);
  EXPECT_TRUE(
      window->grab().save(QString::fromStdString((folder / "4_results_page.png").string())));
}

}  // namespace
}  // namespace olvar::ui
