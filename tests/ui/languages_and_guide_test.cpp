// The desktop in another language, and its user guide: the language chosen in the Language
// Selection applies after a restart to every page, and F1 opens the guide at the page shown.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "core/caption_table.h"
#include "support/test_paths.h"
#include "ui/caption_translator.h"
#include "ui/qt_convert.h"
#include "ui/user_guide.h"
#include "window_environment.h"
#include "workspace/language_change.h"
#include "workspace/survey_session.h"

namespace olvar::ui {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every text a user reads on a widget: buttons, labels, group titles, tab captions.
std::vector<QString> texts_on(const QWidget* root) {
  std::vector<QString> texts;
  for (const auto* button : root->findChildren<QAbstractButton*>()) texts.push_back(button->text());
  for (const auto* label : root->findChildren<QLabel*>()) texts.push_back(label->text());
  for (const auto* group : root->findChildren<QGroupBox*>()) texts.push_back(group->title());
  for (const auto* tabs : root->findChildren<QTabWidget*>()) {
    for (int k = 0; k < tabs->count(); ++k) texts.push_back(tabs->tabText(k));
  }
  return texts;
}

TEST(Languages, FrenchChosenAndRestartedShowsEveryPageInFrench) {
  WindowEnvironment environment;
  // The choice, as Extras > Language Selection makes it; it writes to the writable folder.
  ASSERT_TRUE(workspace::change_language("french.lng", environment.app.folders,
                                         environment.prompter));
  // The restart: the tables and captions as start-up loads them.
  const workspace::ProcessTables tables = workspace::load_process_tables(environment.app.folders);
  environment.app.text = &tables.text;
  CaptionTranslator translator(core::CaptionTable::load(environment.app.folders));
  ASSERT_FALSE(translator.isEmpty());
  QCoreApplication::installTranslator(&translator);
  auto window = environment.make_window();
  window->show();

  // English captions that French words differently: none of them may be left on any page.
  core::CaptionTable french;
  french.read(slurp(test::source_path("data/french_captions.txt")));
  std::map<QString, QString> english_to_french;
  for (const std::string& line : [&] {
         std::vector<std::string> lines;
         std::istringstream in(slurp(test::source_path("data/french_captions.txt")));
         for (std::string l; std::getline(in, l);) lines.push_back(l);
         return lines;
       }()) {
    const auto tab = line.find('\t');
    if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
    const std::string* wording = french.find(line.substr(0, tab));
    if (wording != nullptr && *wording != line.substr(0, tab)) {
      english_to_french[to_qstring(line.substr(0, tab))] = to_qstring(*wording);
    }
  }

  const QStringList expected_tabs = {"Planification",          "Formation",
                                     "Saisie anthropométrie",  "Résultats anthropométrie",
                                     "Taux de mortalité",      "Sécurité alimentaire",
                                     "Options"};
  ASSERT_EQ(window->pages()->count(), expected_tabs.size());
  for (int page = 0; page < window->pages()->count(); ++page) {
    EXPECT_EQ(window->pages()->tabText(page), expected_tabs[page]);
    window->pages()->setCurrentIndex(page);
    QCoreApplication::processEvents();
    SCOPED_TRACE(expected_tabs[page].toStdString());
    int french_texts = 0;
    for (const QString& text : texts_on(window->pages()->widget(page))) {
      if (text.isEmpty()) continue;
      EXPECT_EQ(english_to_french.count(text), 0u) << "English caption: " << text.toStdString();
      for (const auto& [english, wording] : english_to_french) {
        if (text == wording) ++french_texts;
      }
    }
    EXPECT_GT(french_texts, 0) << "no French caption on this page";
  }
  QStringList menus;
  for (const QAction* menu : window->menuBar()->actions()) menus << menu->text();
  EXPECT_THAT(menus.join(QLatin1Char('|')).toStdString(),
              ::testing::StrEq("&Fichiers|É&dition|E&xtras|&Aide"));
  // Texts from the Language table come in French too.
  EXPECT_EQ(tables.text.text(848).substr(0, 10), "L'enqu\xEAte ");
  QCoreApplication::removeTranslator(&translator);
}

TEST(UserGuide, F1OpensTheGuideAtThePageShown) {
  WindowEnvironment environment;
  auto window = environment.make_window();
  window->show();
  const char* expected[] = {"plan.html",      "train.html",         "enter.html", "publish.html",
                            "mortality.html", "food-security.html", "enter.html"};
  for (int page = 0; page < window->pages()->count(); ++page) {
    SCOPED_TRACE(page);
    window->pages()->setCurrentIndex(page);
    QWidget* target = window->pages()->widget(page);
    target->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    const auto browsers = QApplication::topLevelWidgets();
    QTextBrowser* browser = nullptr;
    for (QWidget* top : browsers) {
      if (auto* found = top->findChild<QTextBrowser*>(); found != nullptr && top->isVisible()) {
        browser = found;
      }
    }
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->source().fileName().toStdString(), expected[page]);
    // The page was found and read: it has its title, not an empty document.
    EXPECT_FALSE(browser->document()->toPlainText().trimmed().isEmpty());
  }
  const QString about = about_text();
  EXPECT_TRUE(about.contains(QStringLiteral(OLVAR_VERSION_FOR_TEST)));
  EXPECT_TRUE(about.contains(QStringLiteral("WHO Child Growth Standards (2006)")));
  EXPECT_TRUE(about.contains(QStringLiteral("Licence")));
  EXPECT_TRUE(about.contains(QStringLiteral("not responsible for its results")));
}

// Every page a window names, and every link and picture of the guide, is a file of the guide.
TEST(UserGuide, EveryPageLinkAndPictureExists) {
  const fs::path guide = test::source_path("data/guide");
  std::set<std::string> named;
  const std::regex property(R"re(kGuidePageProperty,\s*"([^"#]+))re");
  const std::regex listed(R"re("([a-z-]+\.html)(?:#[a-z]+)?")re");
  for (const auto& item : fs::directory_iterator(test::source_path("src/ui"))) {
    const std::string code = slurp(item.path());
    for (const std::regex& use : {property, listed}) {
      for (std::sregex_iterator it(code.begin(), code.end(), use), end; it != end; ++it) {
        named.insert((*it)[1].str());
      }
    }
  }
  EXPECT_GE(named.size(), 8u);
  for (const char* required : {"plan.html", "train.html", "enter.html", "check.html",
                               "publish.html", "mortality.html", "food-security.html",
                               "command-line.html"}) {
    named.insert(required);
  }
  for (const std::string& page : named) {
    EXPECT_TRUE(fs::is_regular_file(guide / page)) << page;
  }
  const std::regex reference(R"re((?:href|src)="([^":#]+)(?:#[^"]*)?")re");
  int pages = 0;
  for (const auto& item : fs::directory_iterator(guide)) {
    if (item.path().extension() != ".html") continue;
    ++pages;
    const std::string html = slurp(item.path());
    for (std::sregex_iterator it(html.begin(), html.end(), reference), end; it != end; ++it) {
      EXPECT_TRUE(fs::is_regular_file(guide / (*it)[1].str()))
          << item.path().filename() << " refers to " << (*it)[1].str();
    }
  }
  EXPECT_GE(pages, 16);
}

}  // namespace
}  // namespace olvar::ui
