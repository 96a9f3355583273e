#include "ui/application.h"

#include <QApplication>

#include "ui/intro_window.h"

namespace olvar::ui {

int run_application(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Olvar"));
  IntroWindow intro;
  intro.show();
  intro.exec();
  return 0;
}

}  // namespace olvar::ui
