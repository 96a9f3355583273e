#include "ui/application.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include "core/caption_table.h"
#include "ui/caption_translator.h"
#include "ui/intro_window.h"
#include "ui/qt_convert.h"
#include "ui/survey_window.h"
#include "workspace/app_context.h"
#include "workspace/survey_session.h"
#include "workspace/window_caption.h"

namespace olvar::ui {

int run_application(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setApplicationName(to_qstring(workspace::kProgramTitle));

  const workspace::StartUpInputs inputs =
      workspace::system_start_up_inputs(argc, argv, OLVAR_BUILD_DATA_DIR);
  workspace::AppContext app = workspace::start_up(inputs);
  // The Language table (with a language.dat in the per-user folder) and the WHO table, loaded as
  // the command-line tool loads them. Without the WHO table the WHO z-scores stay empty; the
  // survey can still be entered and saved.
  const workspace::ProcessTables tables = workspace::load_process_tables(app.folders);
  workspace::attach_process_tables(app, tables);
  // The captions of the chosen language, before the first window takes its captions.
  CaptionTranslator captions(core::CaptionTable::load(app.folders));
  QCoreApplication::installTranslator(&captions);

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
