// olvar: the desktop program.

#include "ui/application.h"

int main(int argc, char** argv) { return olvar::ui::run_application(argc, argv); }
