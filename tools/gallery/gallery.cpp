// olvar-gallery: pictures of what the program makes, from one survey, for a person to look at
// and for the user guide and the README to show. Writes into the folder given by --out:
//
//   page_<n>_<name>.png            the survey window's pages at 1366 x 768 (sub-pages _1, _2, ...)
//   graph_<index>_<type>.png       every graph of the results page, at three times its size
//   report_<name>-<page>.png       every page of the results and plausibility reports, as the
//                                  office program lays them out (needs soffice and pdftoppm)
//
// The names stay the same from run to run, so that documents can refer to them.
//
//   olvar-gallery [--survey FILE.as] --out DIR
//
// Without --survey the bundled example survey (examples/demo.as of the program folder) is used.

#include <QApplication>
#include <QTabWidget>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "anthro/who_reference.h"
#include "calculator/statistical_calculator.h"
#include "core/language_table.h"
#include "core/survey_sort.h"
#include "graphs/results_graph.h"
#include "reports/plausibility_report.h"
#include "ui/drawing_painter.h"
#include "ui/survey_window.h"

namespace fs = std::filesystem;
using namespace olvar;

namespace {

constexpr double kGraphScale = 3;  // about 300 dpi at the width of half a printed page

bool save(const QImage& image, const fs::path& file) {
  const bool saved = image.save(QString::fromStdString(file.string()));
  std::cout << (saved ? "" : "NOT WRITTEN: ") << file.filename().string() << "\n";
  return saved;
}

bool shoot_pages(ui::SurveyWindow& window, const fs::path& out) {
  bool ok = true;
  const char* names[] = {"planning",    "training",      "data_entry", "results",
                         "death_rates", "food_security", "options"};
  const auto shoot = [&](const std::string& name) {
    QCoreApplication::processEvents();
    ok = save(window.grab().toImage(), out / ("page_" + name + ".png")) && ok;
  };
  for (int page = 0; page < window.pages()->count() && page < 7; ++page) {
    window.pages()->setCurrentIndex(page);
    const std::string name = std::to_string(page + 1) + "_" + names[page];
    shoot(name);
    for (QTabWidget* sub_pages :
         window.pages()->widget(page)->findChildren<QTabWidget*>(Qt::FindDirectChildrenOnly)) {
      for (int sub_page = 1; sub_page < sub_pages->count(); ++sub_page) {
        sub_pages->setCurrentIndex(sub_page);
        shoot(name + "_" + std::to_string(sub_page));
      }
      sub_pages->setCurrentIndex(0);
    }
  }
  return ok;
}

// Every graph the results page offers, drawn as the page draws it: the survey sorted by cluster.
bool draw_graphs(const workspace::AppContext& app, core::Workspace workspace, const fs::path& out) {
  const char separator = app.dates.decimal_separator;
  const core::OptionsPage options = reports::report_options(app.settings, workspace, separator);
  workspace.options = options;
  core::SortSurvey(workspace, core::column(core::StdVar::cluster), std::nullopt,
                   core::SortOrder::ascending, separator);
  const anthro::Reference reference = app.settings.reference == core::kReferenceNchs
                                          ? anthro::Reference::nchs1977
                                          : anthro::Reference::who2006;
  bool ok = true;
  for (const graphs::GraphIndex index : {graphs::GraphIndex::whz, graphs::GraphIndex::waz,
                                         graphs::GraphIndex::haz, graphs::GraphIndex::muac}) {
    for (const graphs::GraphType type : graphs::kGraphTypes) {
      if (!graphs::graph_offered(index, type)) continue;
      const graphs::GraphResult graph =
          graphs::draw_results_graph({workspace,
                                      calculator::analysis_options(options, separator),
                                      {*app.text, reference, options.exclusion}},
                                     index, type);
      std::string name = "graph_" + std::string(graphs::graph_index_name(index)) + "_" +
                         std::string(graphs::graph_type_name(type)) + ".png";
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      ok = save(ui::drawing_image(graph.drawing, kGraphScale), out / name) && ok;
    }
  }
  return ok;
}

std::string quoted(const fs::path& path) {
  std::string text = "'";
  for (const char c : path.string()) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return text + "'";
}

// A report as the office program lays it out: olvar-cli writes it, LibreOffice makes a PDF,
// pdftoppm a picture of each page.
bool render_report(const fs::path& cli, const fs::path& survey, const std::string& command,
                   const std::string& name, const fs::path& out, const fs::path& scratch) {
  const fs::path rtf = scratch / (name + ".rtf");
  const std::string line = quoted(cli) + " " + command + " " + quoted(survey) + " -o " +
                           quoted(rtf) + " >/dev/null && cd " + quoted(scratch) +
                           " && HOME=" + quoted(scratch) + " soffice --headless --convert-to pdf " +
                           quoted(rtf) + " >/dev/null 2>&1 && pdftoppm -png -r 80 " +
                           quoted(scratch / (name + ".pdf")) + " " +
                           quoted(out / ("report_" + name));
  const bool ok = std::system(line.c_str()) == 0;
  std::cout << (ok ? "" : "NOT WRITTEN: ") << "report_" << name << "-*.png\n";
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::optional<fs::path> survey_arg;
  fs::path out;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if ((word == "--out" || word == "--survey") && i + 1 < argc) {
      (word == "--out" ? out : survey_arg.emplace()) = argv[++i];
    } else {
      std::cerr << "usage: olvar-gallery [--survey FILE.as] --out DIR\n";
      return 2;
    }
  }
  if (out.empty()) {
    std::cerr << "usage: olvar-gallery [--survey FILE.as] --out DIR\n";
    return 2;
  }
  const char* home = std::getenv("OLVAR_HOME");
  const fs::path data = home && *home ? fs::path(home) : fs::path(OLVAR_BUILD_DATA_DIR);
  fs::create_directories(out);
  const fs::path scratch =
      fs::temp_directory_path() / ("olvar-gallery-" + std::to_string(getpid()));
  fs::create_directories(scratch);
  // The survey is read from a copy, so that nothing the window writes beside it touches the
  // user's file.
  const fs::path survey = scratch / "survey.as";
  fs::copy_file(survey_arg ? *survey_arg : data / "examples" / "demo.as", survey);

  QApplication application(argc, argv);
  const core::LanguageTable text = core::LanguageTable::load(data);
  const anthro::WhoReference who = anthro::WhoReference::load(data / anthro::kWhoTableFileName);
  workspace::AppContext app;
  app.folders = {data, scratch};
  app.output_folder = scratch;
  app.settings_file = scratch / "winpellan.ini";
  app.dates = {core::DateOrder::dmy, '.', '.'};
  app.today = {2026, 12, 10};
  app.text = &text;
  app.who = &who;
  workspace::StartUpInputs inputs;
  inputs.env = [](const std::string&) { return std::optional<std::string>(); };
  inputs.run = [](const platform::ProcessCommand&, std::string*) { return 0; };

  bool ok = true;
  {
    ui::SurveyWindow window(app, inputs);
    if (!window.open_survey(survey)) {
      std::cerr << "olvar-gallery: cannot read " << survey << "\n";
      return 1;
    }
    window.resize(1366, 768);
    window.show();
    ok = shoot_pages(window, out) && ok;
    ok = draw_graphs(app, window.workspace(), out) && ok;
  }
  const fs::path cli = fs::path(OLVAR_CLI_PATH);
  ok = render_report(cli, survey, "report", "results", out, scratch) && ok;
  ok = render_report(cli, survey, "plausibility", "plausibility", out, scratch) && ok;
  fs::remove_all(scratch);
  return ok ? 0 : 1;
}
