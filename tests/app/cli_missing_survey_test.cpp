// Every subcommand that reads a survey tells a missing file the way the desktop and the other
// subcommands do: through the one open path, with status 1 and nothing written.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/run_command.h"
#include "support/temp_folder.h"

namespace olvar {
namespace {

TEST(CliMissingSurvey, EverySubcommandTellsItAsTheOpenPathDoes) {
  test::TempFolder folder;
  const std::string missing = (folder / "missing.as").string();
  const std::string out = (folder / "out").string();
  const std::vector<std::string> commands = {
      "table '" + missing + "'",
      "plausibility '" + missing + "' -o '" + out + ".rtf'",
      "mortality '" + missing + "'",
      "mortality-check '" + missing + "' -o '" + out + ".rtf'",
      "pyramid '" + missing + "' -o '" + out + ".svg'",
      "training '" + missing + "'",
      "calc '" + missing + "' --var WHZ",
      "export '" + missing + "' -o '" + out + ".rtf'",
      "results '" + missing + "' --index muac",
  };
  for (const std::string& command : commands) {
    SCOPED_TRACE(command);
    const test::CommandResult r = test::run_cli(command, folder.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, ::testing::HasSubstr("cannot open " + missing + " for reading"));
    EXPECT_FALSE(std::filesystem::exists(out + ".rtf"));
    EXPECT_FALSE(std::filesystem::exists(out + ".svg"));
  }
}

}  // namespace
}  // namespace olvar
