#include "platform/process_launcher.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#if !defined(_WIN32)
#include <fcntl.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace olvar::platform {

namespace {

#if !defined(_WIN32)
// posix_spawnp reports a failed exec (missing program, no permission) as its own result on
// glibc 2.24 and later, so a failed start is seen here rather than as an early child exit.
// A detached child gets its own process group, so that Ctrl+C in the terminal of olvar-cli does
// not also close the word processor the user is reading the report in.
StartResult spawn(const ProcessCommand& command, pid_t* pid, bool detached) {
  if (command.program.empty()) return {false, "no program given"};
  std::vector<std::string> words;
  words.reserve(command.arguments.size() + 1);
  words.push_back(command.program);
  words.insert(words.end(), command.arguments.begin(), command.arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (detached) {
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
  }
  const int rc =
      posix_spawnp(pid, command.program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return {false, command.program + ": " + std::strerror(rc)};
  return {true, {}};
}
#endif

}  // namespace

#if !defined(_WIN32)

SpawnProcessLauncher::~SpawnProcessLauncher() { collect_ended_children(); }

void SpawnProcessLauncher::collect_ended_children() {
  std::erase_if(children_, [](int pid) {
    int status = 0;
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    return r == pid || r == -1;
  });
}

StartResult SpawnProcessLauncher::start(const ProcessCommand& command) {
  collect_ended_children();
  pid_t pid = 0;
  StartResult result = spawn(command, &pid, /*detached=*/true);
  if (result.started) children_.push_back(pid);
  return result;
}

int run_and_wait(const ProcessCommand& command, std::string* error) {
  pid_t pid = 0;
  const StartResult started = spawn(command, &pid, /*detached=*/false);
  if (!started.started) {
    if (error) *error = started.error;
    return -1;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) == -1) {
    if (errno != EINTR) {
      if (error)
        *error = std::string("waiting for ") + command.program + ": " + std::strerror(errno);
      return -1;
    }
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (error) *error = command.program + " did not end normally";
  return -1;
}

#else

SpawnProcessLauncher::~SpawnProcessLauncher() = default;
void SpawnProcessLauncher::collect_ended_children() {}

StartResult SpawnProcessLauncher::start(const ProcessCommand& command) {
  return {false, command.program + ": starting programs is not available in this build"};
}

int run_and_wait(const ProcessCommand& command, std::string* error) {
  if (error) *error = command.program + ": starting programs is not available in this build";
  return -1;
}

#endif

}  // namespace olvar::platform
