#include "platform/process_launcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "support/named_pipe.h"
#include "support/temp_folder.h"

#if defined(__linux__)
#include <unistd.h>
#endif

namespace olvar::platform {
namespace {

using ::testing::HasSubstr;

TEST(SpawnProcessLauncher, ReportsAProgramThatCannotBeStarted) {
  SpawnProcessLauncher launcher;
  const StartResult missing = launcher.start({"/nonexistent/olvar-no-such-program", {"a.txt"}});
  EXPECT_FALSE(missing.started);
  EXPECT_THAT(missing.error, HasSubstr("olvar-no-such-program"));

  EXPECT_FALSE(launcher.start({"", {}}).started);
  EXPECT_FALSE(launcher.start({"olvar-no-such-program-on-path", {}}).started);
}

TEST(SpawnProcessLauncher, StartsAProgramAndDoesNotWait) {
  test::TempFolder folder;
  const test::NamedPipe started(folder / "started");
  SpawnProcessLauncher launcher;
  // The child cannot finish before the test reads the pipe: start returns without waiting.
  ASSERT_TRUE(
      launcher.start({"sh", {"-c", "echo ran > \"$1\"", "sh", started.path().string()}}).started);
  EXPECT_EQ(started.read_all(), "ran\n");
}

#if defined(__linux__)
TEST(SpawnProcessLauncher, StartedProgramLeavesOurProcessGroup) {
  // Ctrl+C in a terminal reaches the whole foreground process group; the office program must
  // not be closed with olvar-cli. /proc/self/stat holds the process group after the command name.
  test::TempFolder folder;
  const test::NamedPipe stat(folder / "stat");
  SpawnProcessLauncher launcher;
  ASSERT_TRUE(
      launcher.start({"sh", {"-c", "cat /proc/self/stat > \"$1\"", "sh", stat.path().string()}})
          .started);
  const std::string line = stat.read_all();
  const std::size_t after_name = line.rfind(") ");
  ASSERT_NE(after_name, std::string::npos) << line;
  std::istringstream fields(line.substr(after_name + 2));
  std::string state;
  long parent = 0, group = 0;
  fields >> state >> parent >> group;
  EXPECT_NE(group, static_cast<long>(::getpgrp()));
}
#endif

TEST(RunAndWait, PassesArgumentsAsTheyAreAndReturnsExitStatus) {
  // A blank inside an argument stays inside it: no command string is split.
  EXPECT_EQ(run_and_wait({"sh",
                          {"-c", "test \"$1\" = 'my documents/noname1.txt'", "sh",
                           "my documents/noname1.txt"}}),
            0);
  EXPECT_EQ(run_and_wait({"sh", {"-c", "exit 3"}}), 3);

  std::string error;
  EXPECT_EQ(run_and_wait({"/nonexistent/program", {}}, &error), -1);
  EXPECT_THAT(error, HasSubstr("/nonexistent/program"));
}

}  // namespace
}  // namespace olvar::platform
