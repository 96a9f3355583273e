#pragma once
// A process launcher for tests: records every command instead of starting a program, and
// answers as told: every start succeeds unless `succeed` is false or the program is in `failing`.

#include <set>
#include <string>
#include <vector>

#include "platform/process_launcher.h"

namespace olvar::test {

class RecordingLauncher : public platform::ProcessLauncher {
 public:
  std::vector<platform::ProcessCommand> commands;
  bool succeed = true;
  std::set<std::string> failing;

  platform::StartResult start(const platform::ProcessCommand& command) override {
    commands.push_back(command);
    if (!succeed || failing.contains(command.program)) {
      return {false, command.program + ": not found"};
    }
    return {true, {}};
  }
};

}  // namespace olvar::test
