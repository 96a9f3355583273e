#include "platform/process_launcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/temp_folder.h"

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
  SpawnProcessLauncher launcher;
  const auto marker = folder / "started";
  EXPECT_TRUE(launcher.start({"sh", {"-c", "touch \"$1\"", "sh", marker.string()}}).started);
  // The child runs on its own; give it a moment without asserting on time.
  for (int i = 0; i < 200 && !std::filesystem::exists(marker); ++i) {
    run_and_wait({"sleep", {"0.01"}});
  }
  EXPECT_TRUE(std::filesystem::exists(marker));
}

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
