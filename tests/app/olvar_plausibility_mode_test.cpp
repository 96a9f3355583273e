// `olvar FILE.as PLAUSIBILITY` end to end: no display, a stand-in word processor on PATH that
// records how it was started, and a fresh program folder so that the first start runs as it
// would on a new machine.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>
#include <fstream>
#include <string>

#include "support/named_pipe.h"
#include "support/run_command.h"
#include "support/test_paths.h"

namespace olvar {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
namespace fs = std::filesystem;

TEST(OlvarPlausibilityMode, WritesTheReportAndHandsItToTheWordProcessorWithoutADisplay) {
  const fs::path root = fs::temp_directory_path() / "olvar_plausibility_mode_test";
  fs::remove_all(root);
  fs::create_directories(root / "home");
  fs::create_directories(root / "bin");
  fs::copy(test::build_data_path(""), root / "data", fs::copy_options::recursive);
  fs::remove(root / "data" / "winpellan.ini");
  const fs::path survey = root / "survey.as";
  fs::copy_file(test::build_data_path("examples/demo.as"), survey);
  const std::string survey_before = test::read_whole_file(survey);
  // The stand-in word processor tells its arguments through a named pipe, which the test reads
  // once the program has handed the report over.
  const test::NamedPipe arguments(root / "home" / "soffice_args");
  {
    std::ofstream fake(root / "bin" / "soffice");
    fake << "#!/bin/sh\necho \"$@\" > \"$HOME/soffice_args\"\n";
  }
  fs::permissions(root / "bin" / "soffice", fs::perms::owner_all);

  const std::string env = "env -i PATH='" + (root / "bin").string() + ":/usr/bin:/bin' HOME='" +
                          (root / "home").string() + "' OLVAR_HOME='" + (root / "data").string() +
                          "' XDG_DATA_HOME='" + (root / "home" / "share").string() + "' ";
  const test::CommandResult r = test::run_command(
      env + "'" + std::string(OLVAR_GUI_PATH) + "' '" + survey.string() + "' plausibility", root);
  ASSERT_EQ(r.status, 0) << r.err;

  // The report is kept beside the survey, named after it, its kind and the day.
  std::vector<fs::path> written;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(root / "reports", ec)) written.push_back(entry.path());
  ASSERT_EQ(written.size(), 1u) << r.err;
  const fs::path report = written[0];
  EXPECT_THAT(report.filename().string(), ::testing::MatchesRegex("survey plausibility [0-9]{4}-[0-9]{2}-[0-9]{2}\\.rtf"));
  const std::string rtf = test::read_whole_file(report);
  EXPECT_THAT(rtf, StartsWith("{\\rtf1"));
  EXPECT_THAT(rtf, HasSubstr("survey.as"));
  EXPECT_EQ(rtf.substr(rtf.size() - 3), "}\r\n");
  // The word processor is started, not waited for: it writes once the pipe is read.
  EXPECT_EQ(arguments.read_all(), "--writer --infilter=Rich Text Format " + report.string() + "\n");
  EXPECT_EQ(test::read_whole_file(survey), survey_before);
  fs::remove_all(root);
}

}  // namespace
}  // namespace olvar
