#pragma once

namespace olvar::ui {

// Starts the desktop program: the intro window first. Returns the exit status.
int run_application(int argc, char** argv);

}  // namespace olvar::ui
