// The Death Rates page in the survey window with the real 2019 survey of the shared data:
// headings over every grid, the results of the individual level, the spreadsheet transfer (to a
// launcher that only records) and a picture of the results sub-page (ui_screenshots/).

#include "ui/death_rates_page.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTabWidget>
#include <QTableView>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/survey_file.h"
#include "mortality/roster_import.h"
#include "support/recording_launcher.h"
#include "support/test_paths.h"
#include "ui/mortality_entry_page.h"
#include "ui/pyramid_window.h"
#include "window_environment.h"

namespace olvar::ui {
namespace {

using test::RecordingLauncher;

std::string slurp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

TEST(DeathRatesPage, RealSurveyResultsHeadingsTransferAndPicture) {
  WindowEnvironment environment;
  std::unique_ptr<SurveyWindow> window = environment.make_window();
  DeathRatesPage* page = window->death_rates_page();
  ASSERT_NE(page, nullptr);
  RecordingLauncher launcher;
  page->set_launcher(&launcher);

  core::Workspace& w = window->workspace();
  mortality::RosterImport imported = mortality::import_roster(
      slurp(test::survey_data_path("mortality_healthyr_roster1.csv")),
      slurp(test::survey_data_path("mortality_healthyr_left1.csv")),
      slurp(test::survey_data_path("mortality_healthyr_died1.csv")), environment.app.dates);
  ASSERT_EQ(imported.error, "");
  w.mortality_individuals = imported.individuals;
  w.rd_hh = "101";
  w.planning.sm_d = "101";
  w.mortality_households.set_cell(1, 2, "1");
  w.mortality_households.set_cell(2, 2, "1");
  w.mortality_households.set_cell(3, 2, "100");
  w.mortality_households.set_cell(10, 2, "2");
  // A household without a usable cluster number, at both levels: in no rate, and said so.
  w.mortality_households.set_cell(1, 3, "2");
  w.mortality_households.set_cell(2, 3, "x");
  w.mortality_households.set_cell(3, 3, "7");
  const int last_row = w.mortality_individuals.row_count() - 2;
  w.mortality_individuals.set_cell(2, last_row, "x");
  w.mortality_individuals.set_cell(mortality::person_column(1, mortality::sex), last_row, "f");
  w.mortality_individuals.set_cell(mortality::person_column(1, mortality::age), last_row, "30");
  const std::string saved_before = core::survey_file_bytes(w, environment.app.dates);

  window->resize(1280, 800);
  window->show();
  window->pages()->setCurrentIndex(static_cast<int>(workspace::SurveyPage::death_rates));
  page->reload();

  page->sub_pages()->setCurrentIndex(3);
  ASSERT_TRUE(page->individual().has_value());
  EXPECT_EQ(mortality::rate_text(page->individual()->crude).substr(0, 6), "0.52 (");
  EXPECT_EQ(mortality::rate_text(page->individual()->under_five).substr(0, 6), "0.16 (");
  const auto* message = page->findChild<QLabel*>(QStringLiteral("IndividualMessage"));
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(message->text().toStdString(),
            "1 persons left out because the Cluster of their household is not a whole number "
            "from 1 to 999");

  // 2 deaths over 100 + 2/2 = 101 person-equivalents in 101 days: 1.96 per 10,000 per day.
  page->sub_pages()->setCurrentIndex(2);
  EXPECT_TRUE(page->crude_text().contains("Crude death rate (95% CI): 1.96 ("))
      << page->crude_text().toStdString();
  EXPECT_TRUE(page->crude_text().contains(
      "1 households left out because their Cluster is not a whole number from 1 to 999"));

  auto* results = page->sub_pages()->currentWidget()->findChild<QTableView*>();
  ASSERT_NE(results, nullptr);
  EXPECT_EQ(results->model()->headerData(1, Qt::Horizontal).toString().toStdString(),
            environment.text.text(1087) + " " + environment.text.text(1088));
  EXPECT_EQ(results->model()->headerData(0, Qt::Vertical).toString(), "1");  // cluster 1
  EXPECT_EQ(results->model()->index(0, 0).data().toString(), "100");

  const std::filesystem::path folder = OLVAR_UI_SCREENSHOT_DIR;
  std::filesystem::create_directories(folder);
  EXPECT_TRUE(window->grab().save(QString::fromStdString((folder / "5b_death_rates_household.png").string())));
  page->sub_pages()->setCurrentIndex(3);
  EXPECT_TRUE(window->grab().save(QString::fromStdString((folder / "5a_death_rates_individual.png").string())));
  page->sub_pages()->setCurrentIndex(0);
  QTableView* view = page->individual_entry()->table_view();
  EXPECT_EQ(view->model()->headerData(0, Qt::Horizontal).toString(), "Date");
  EXPECT_EQ(view->model()->headerData(163, Qt::Horizontal).toString(), "P20_location");
  EXPECT_TRUE(window->grab().save(QString::fromStdString((folder / "5c_death_rates_data.png").string())));
  page->sub_pages()->setCurrentIndex(1);
  view = page->household_entry()->table_view();
  EXPECT_EQ(view->model()->headerData(2, Qt::Horizontal).toString().toStdString(),
            environment.text.text(1046) + " " + environment.text.text(1047));
  EXPECT_EQ(view->model()->headerData(3, Qt::Horizontal).toString().toStdString(),
            environment.text.text(1046) + " < 5");

  page->transfer_to_spreadsheet();
  ASSERT_TRUE(page->last_hand_off().has_value());
  const std::string table = slurp(page->last_hand_off()->file);
  // 485 households, two of them with more than 20 persons on a second row that counts with
  // its first, and the row without a usable cluster added above.
  EXPECT_NE(table.find("Households\t486\n"), std::string::npos) << table.substr(0, 400);
  EXPECT_NE(table.find("'Overall\t0.52 ("), std::string::npos);
  EXPECT_EQ(launcher.commands.size(), 1u);

  PyramidWindow* pyramid = page->open_pyramid();
  ASSERT_NE(pyramid, nullptr);
  EXPECT_TRUE(pyramid->picture().save(
      QString::fromStdString((folder / "5d_population_pyramid.png").string())));
  pyramid->copy_to_clipboard();
  EXPECT_EQ(environment.prompter.messages.back(),
            "The diagram is saved in the clipboard and can be integrated in another application.");

  // Showing the page and its results changes nothing that the survey file keeps.
  EXPECT_EQ(core::survey_file_bytes(w, environment.app.dates), saved_before);
}

}  // namespace
}  // namespace olvar::ui
