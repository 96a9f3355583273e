// The graph window (print, copy, save as PNG or SVG), the survey window's graphs and the growth
// chart beside the result panel, driven offscreen.
#include "ui/graph_window.h"

#include <gtest/gtest.h>

#include <QTest>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <cstdlib>
#include <regex>

#include "graphs/surface.h"
#include "support/test_paths.h"
#include "ui/drawing_painter.h"
#include "ui/grid_models.h"
#include "ui/growth_chart_widget.h"
#include "window_environment.h"
#include "workspace/command_line_mode.h"

namespace olvar::ui {
namespace {

graphs::Drawing small_graph() {
  graphs::Surface s;
  s.rect(40, 300, 80, 100, graphs::kRed);
  s.line(10, 310, 439, 310);
  s.text(100, 10, "Weight-for-height \xB1", 12, true);
  return std::move(s).drawing();
}

TEST(GraphWindow, SavesPngSvgAndPdfThroughTheSafeWrite) {
  WindowEnvironment env;
  GraphWindow window(env.text, &env.prompter);
  window.show_graph(small_graph(), "WHZ", {"line 1", "line 2"});
  EXPECT_TRUE(
      window.findChild<QPlainTextEdit*>(QStringLiteral("graph_memo"))->isVisibleTo(&window));

  const auto png = env.temp / "graph.png";
  ASSERT_TRUE(window.save_to(png));
  QImage image;
  ASSERT_TRUE(image.load(QString::fromStdString(png.string()), "PNG"));
  // At print resolution: four times the screen's size.
  EXPECT_EQ(image.width(), 4 * graphs::kSurfaceWidth);
  EXPECT_EQ(image.height(), 4 * graphs::kSurfaceHeight);
  // The red bar, scaled by four: (40, 100)-(80, 300) becomes (160, 400)-(320, 1200).
  EXPECT_EQ(image.pixelColor(240, 800), QColor(255, 0, 0));
  EXPECT_EQ(image.pixelColor(600, 800), QColor(255, 255, 255));

  // A PDF page the graph's size: 449 x 345 units of 3/4 point.
  const auto pdf = env.temp / "graph.pdf";
  ASSERT_TRUE(window.save_to(pdf));
  const std::string document = test::read_file(pdf);
  EXPECT_EQ(document.rfind("%PDF", 0), 0u);
  // Qt writes the box in whole points on some versions: within a point of 336.75 x 258.75.
  std::smatch box;
  const std::string head = document.substr(0, 4000);
  ASSERT_TRUE(std::regex_search(head, box, std::regex(R"(/MediaBox \[0 0 ([0-9.]+) ([0-9.]+)\])")))
      << head;
  EXPECT_NEAR(std::stod(box[1].str()), 336.75, 1.0);
  EXPECT_NEAR(std::stod(box[2].str()), 258.75, 1.0);

  const auto svg = env.temp / "graph.svg";
  ASSERT_TRUE(window.save_to(svg));
  const std::string text = test::read_file(svg);
  EXPECT_EQ(text.rfind("<?xml", 0), 0u);
  EXPECT_NE(text.find("Weight-for-height \xC2\xB1"), std::string::npos);  // UTF-8
  EXPECT_TRUE(env.prompter.messages.empty());
}

TEST(GraphWindow, SaveAsAddsPngAndRefusesTheOpenSurvey) {
  WindowEnvironment env;
  GraphWindow window(env.text, &env.prompter);
  window.show_graph(small_graph(), "WHZ");
  env.prompter.file_answers.push_back((env.temp / "picture").string());
  ASSERT_TRUE(window.save_as());
  EXPECT_TRUE(std::filesystem::exists(env.temp / "picture.png"));

  const auto survey = env.temp / "survey.as";
  test::write_file_for(survey, "survey bytes");
  window.set_protected_file(survey);
  EXPECT_FALSE(window.save_to(survey));
  EXPECT_EQ(test::read_file(survey), "survey bytes");
  ASSERT_EQ(env.prompter.messages.size(), 1u);
  EXPECT_EQ(env.prompter.messages[0].rfind(env.text.text(1415), 0), 0u);

  env.prompter.file_answers.push_back(std::nullopt);  // cancelled
  EXPECT_FALSE(window.save_as());
}

TEST(GraphWindow, CloseButtonAndEscapeCloseIt) {
  WindowEnvironment env;
  for (const bool escape : {false, true}) {
    GraphWindow window(env.text, &env.prompter);
    window.show_graph(small_graph(), "WHZ");
    window.show();
    ASSERT_TRUE(window.isVisible());
    if (escape) {
      QTest::keyClick(&window, Qt::Key_Escape);
    } else {
      window.findChild<QPushButton*>(QStringLiteral("close_button"))->click();
    }
    EXPECT_FALSE(window.isVisible()) << (escape ? "Escape" : "Close");
  }
}

TEST(GraphWindow, CopiesThePictureAndPrints) {
  WindowEnvironment env;
  GraphWindow window(env.text, &env.prompter);
  window.show_graph(small_graph(), "WHZ");
  window.copy_to_clipboard();
  EXPECT_EQ(QGuiApplication::clipboard()->image().size(), window.picture().size());
  ASSERT_EQ(env.prompter.messages.size(), 1u);
  EXPECT_EQ(env.prompter.messages[0], env.text.text(838));

  QPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  const auto pdf = env.temp / "graph.pdf";
  printer.setOutputFileName(QString::fromStdString(pdf.string()));
  window.print_to(printer);
  EXPECT_GT(std::filesystem::file_size(pdf), 500u);
}

class SurveyWindowGraphs : public testing::Test {
 protected:
  SurveyWindowGraphs() {
    survey_ = env_.temp / "demo.as";
    std::filesystem::copy_file(test::build_data_path("examples/demo.as"), survey_);
  }
  WindowEnvironment env_;
  std::filesystem::path survey_;
};

TEST_F(SurveyWindowGraphs, ShowGraphOpensTheGraphWindowWithItsResultLines) {
  auto window = env_.make_window();
  ASSERT_TRUE(window->open_survey(survey_));
  window->show_graph(graphs::GraphIndex::whz, graphs::GraphType::cluster_means);
  GraphWindow* graph = window->graph_window();
  ASSERT_NE(graph, nullptr);
  EXPECT_TRUE(graph->isVisible());
  EXPECT_EQ(graph->windowTitle(), QString::fromStdString(env_.text.text(872)));
  const auto* memo = graph->findChild<QPlainTextEdit*>(QStringLiteral("graph_memo"));
  EXPECT_TRUE(memo->toPlainText().startsWith(QString::fromStdString(env_.text.text(872))));

  // The same window shows the next graph; a distribution has no result lines.
  window->show_graph(graphs::GraphIndex::whz, graphs::GraphType::gaussian_by_sex);
  EXPECT_EQ(window->graph_window(), graph);
  EXPECT_FALSE(memo->isVisibleTo(graph));
  const auto png = env_.temp / "whz.png";
  EXPECT_TRUE(graph->save_to(png));
  EXPECT_TRUE(graph->save_to(env_.temp / "whz.svg"));
  // The open survey is never overwritten by a picture.
  EXPECT_FALSE(graph->save_to(survey_));
  EXPECT_EQ(test::read_file(survey_), test::read_file(test::build_data_path("examples/demo.as")));
}

TEST_F(SurveyWindowGraphs, EveryGraphTypeGoesToPng) {
  // With OLVAR_GRAPH_DUMP set to a folder the pictures stay there for a person to look at.
  const char* dump = std::getenv("OLVAR_GRAPH_DUMP");
  const std::filesystem::path folder =
      dump != nullptr ? std::filesystem::path(dump) : env_.temp.path();
  auto window = env_.make_window();
  ASSERT_TRUE(window->open_survey(survey_));
  int saved = 0;
  for (const graphs::GraphIndex index : {graphs::GraphIndex::whz, graphs::GraphIndex::muac}) {
    for (const graphs::GraphType type : graphs::kGraphTypes) {
      if (!graphs::graph_offered(index, type)) continue;
      const std::string name = "qt_" + std::string(graphs::graph_index_name(index)) + "_" +
                               std::string(graphs::graph_type_name(type)) + ".png";
      SCOPED_TRACE(name);
      window->show_graph(index, type);
      ASSERT_TRUE(window->graph_window()->save_to(folder / name));
      QImage image;
      EXPECT_TRUE(image.load(QString::fromStdString((folder / name).string()), "PNG"));
      ++saved;
    }
  }
  EXPECT_EQ(saved, 13 + 6);
}

TEST_F(SurveyWindowGraphs, GrowthChartFollowsTheChildUnderTheCursor) {
  auto window = env_.make_window();
  ASSERT_TRUE(window->open_survey(survey_));
  GrowthChartWidget* chart = window->growth_chart();
  ASSERT_NE(chart, nullptr);
  QTableView* grid = window->data_view();
  grid->setCurrentIndex(window->survey_model()->index(2, 8));  // row 3
  ASSERT_TRUE(chart->chart().child);
  const double first = chart->chart().child->x;
  grid->setCurrentIndex(window->survey_model()->index(5, 8));  // row 6
  ASSERT_TRUE(chart->chart().child);
  EXPECT_NE(chart->chart().child->x, first);
  chart->set_kind(graphs::GrowthChartKind::weight_for_age);
  EXPECT_TRUE(chart->chart().z);
}

TEST_F(SurveyWindowGraphs, GraphsModeShowsTheResultsPage) {
  env_.app.command_line.mode_word = "GRAPHS";
  auto window = env_.make_window();
  ASSERT_TRUE(window->open_survey(survey_));
  window->activate();
  QTabWidget* pages = window->pages();
  const int results = static_cast<int>(workspace::SurveyPage::results);
  EXPECT_TRUE(pages->isTabVisible(results));
  EXPECT_FALSE(pages->isTabVisible(static_cast<int>(workspace::SurveyPage::data_entry)));
  EXPECT_EQ(pages->currentIndex(), results);
  window->show_graph(graphs::GraphIndex::waz, graphs::GraphType::probability);
  ASSERT_NE(window->graph_window(), nullptr);
  EXPECT_GT(window->graph_window()->drawing().steps.size(), 50u);
}

}  // namespace
}  // namespace olvar::ui
