#pragma once
// The command-line modes of the desktop program that do their work and end without showing a
// window, so that they run where no display is available.

#include <optional>

namespace olvar::app {

// `olvar FILE.as PLAUSIBILITY`: reads the survey, writes the plausibility check report, hands it
// to the word processor and returns the exit status. `olvar FILE.as ANALYSIS`: reads the survey
// and olvar.txt of the working folder, writes olvar_zscores.txt there and returns the status
// (1 with a message when olvar.txt is missing or unreadable). nullopt when the command line asks for no
// such mode (the window then starts as usual).
std::optional<int> run_headless_mode(int argc, char** argv);

}  // namespace olvar::app
