#include "ui/application.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include "anthro/who_reference.h"
#include "workspace/app_context.h"
#include "core/language_table.h"
#include "workspace/window_caption.h"
#include "ui/intro_window.h"
#include "ui/qt_convert.h"
#include "ui/survey_window.h"

namespace olvar::ui {

int run_application(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setApplicationName(to_qstring(workspace::kProgramTitle));

  const workspace::StartUpInputs inputs = workspace::system_start_up_inputs(argc, argv, OLVAR_BUILD_DATA_DIR);
  workspace::AppContext app = workspace::start_up(inputs);
  const core::LanguageTable text = core::LanguageTable::load(app.folders.program);
  app.text = &text;
  anthro::WhoReference who;
  try {
    who = anthro::WhoReference::load(app.folders.program / anthro::kWhoTableFileName);
  } catch (const anthro::WhoTableError& error) {
    // Without the table the WHO z-scores stay empty; the survey can still be entered and saved.
    app.startup_messages.emplace_back(error.what());
  }
  app.who = &who;

  SurveyWindow window(app, inputs);
  for (const std::string& message : app.startup_messages) {
    QMessageBox::warning(nullptr, QApplication::applicationName(), to_qstring(message));
  }
  if (app.command_line.survey_file) {
    // A survey named on the command line opens at once, without the intro.
    window.open_survey(*app.command_line.survey_file);
  } else {
    IntroWindow intro;
    if (intro.exec() != QDialog::Accepted) return 0;
  }
  window.show();
  return QApplication::exec();
}

}  // namespace olvar::ui
