// olvar: the desktop program. The modes that only produce a document run before any window or
// display is needed.

#include "app/headless_modes.h"
#include "ui/application.h"

int main(int argc, char** argv) {
  if (const auto status = olvar::app::run_headless_mode(argc, argv)) return *status;
  return olvar::ui::run_application(argc, argv);
}
