#pragma once
// Starting external programs (word processor, spreadsheet program, relay program) with their
// arguments as a list, so that blanks in folder names need no quoting and cannot split a path.
// The program is started and left running; nothing waits for it unless run_and_wait is used.

#include <functional>
#include <string>
#include <vector>

namespace olvar::platform {

// How the started program's window should appear. Linux desktops decide this themselves; the
// value is kept so that a Windows launcher can honour it and tests can see what was asked for.
enum class WindowMode { shown_maximised, hidden };

struct ProcessCommand {
  std::string program;                 // a path, or a bare name looked up on PATH
  std::vector<std::string> arguments;  // without the program itself
  WindowMode window = WindowMode::shown_maximised;

  friend bool operator==(const ProcessCommand&, const ProcessCommand&) = default;
};

struct StartResult {
  bool started = false;
  std::string error;  // why the start failed, for logs and the command-line tool
};

// Starts programs. The desktop program and olvar-cli use SpawnProcessLauncher; tests record the
// commands instead of running them.
class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  virtual StartResult start(const ProcessCommand& command) = 0;
};

// Starts programs with posix_spawnp. Standard input is /dev/null so that a started program never
// competes with the command-line tool for the terminal. Children that have ended are collected
// at the next start and when the launcher goes away, so none lingers as a zombie for long.
class SpawnProcessLauncher : public ProcessLauncher {
 public:
  SpawnProcessLauncher() = default;
  SpawnProcessLauncher(const SpawnProcessLauncher&) = delete;
  SpawnProcessLauncher& operator=(const SpawnProcessLauncher&) = delete;
  ~SpawnProcessLauncher() override;

  StartResult start(const ProcessCommand& command) override;

 private:
  void collect_ended_children();
  std::vector<int> children_;  // process ids not yet collected
};

// Runs a program and waits for it to end (the unpacker at start-up, the office program's
// headless conversion in tests). Returns its exit status, or -1 when it could not be started
// or did not end normally; `error` then says why.
int run_and_wait(const ProcessCommand& command, std::string* error = nullptr);

// A way to run a command and wait for it, with run_and_wait's contract; flows that run helper
// programs (the unpacker, the desktop database tools) take one so tests can record the commands.
using CommandRunner = std::function<int(const ProcessCommand& command, std::string* error)>;

}  // namespace olvar::platform
