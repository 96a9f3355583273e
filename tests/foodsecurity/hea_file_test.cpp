// The HEA file: the default file reads and writes back byte for byte, a broken file is refused
// with its name and line and leaves the tables in use untouched.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "foodsecurity/hea_file.h"
#include "foodsecurity/hea_pages.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar::foodsecurity {
namespace {

std::string read_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string default_file() { return test::source_path("data/default.fs"); }

TEST(HeaFile, DefaultFileIsReadAndSavedByteForByte) {
  const HeaTables tables = read_hea_file(default_file());
  EXPECT_EQ(hea_file_bytes(tables), read_bytes(default_file()));
  test::TempFolder folder;
  write_hea_file(folder / "copy.fs", tables);
  EXPECT_EQ(read_bytes(folder / "copy.fs"), read_bytes(default_file()));
  EXPECT_EQ(read_hea_file(folder / "copy.fs"), tables);
}

TEST(HeaFile, DefaultFileSurvivesEveryPageRebuild) {
  // Opening each sub-page of a freshly loaded default changes nothing, so saving it after
  // looking at it gives the same file.
  FoodSecurity state;
  adopt_read_tables(state, read_hea_file(default_file()), default_file());
  const HeaTables before = state.tables;
  rebuild_household_page(state);
  EXPECT_TRUE(rebuild_seasonal_page(state.tables));
  rebuild_shock_table(state.tables);
  set_start_month(state, state.start_month);
  EXPECT_EQ(hea_file_bytes(state.tables), hea_file_bytes(before));
}

TEST(HeaFile, AdoptingAFileFillsTheWealthGroupsAndStartMonth) {
  FoodSecurity state;
  state.wealth_groups[4] = "kept";
  adopt_read_tables(state, read_hea_file(default_file()), default_file());
  EXPECT_EQ(state.wealth_groups[0], "Very poor");
  EXPECT_EQ(state.wealth_groups[3], "Better off");
  EXPECT_EQ(state.wealth_groups[4], "kept");
  EXPECT_EQ(kMonthNames[state.start_month], "Oct");
  EXPECT_EQ(state.file_name, default_file());
}

TEST(HeaFile, AFileWithThreeGroupsAfterOneWithFourKeepsTheFourthName) {
  FoodSecurity state;
  HeaTables four = read_hea_file(default_file());
  adopt_read_tables(state, four, "four.fs");
  HeaTables three = four;
  three.household.set_cell(6, 0, "");
  three.household.set_cell(6, 1, "");
  adopt_read_tables(state, read_hea_bytes(hea_file_bytes(three), "three.fs"), "three.fs");
  EXPECT_EQ(state.wealth_groups[2], "Middle");
  EXPECT_EQ(state.wealth_groups[3], "Better off");
}

TEST(HeaFile, LastShockRowAtTheVeryEndRoundTrips) {
  HeaTables tables;
  tables.household.set_cell(0, 2, "Household");
  tables.shock.set_cell(0, kShockRows - 1, "last");
  tables.shock.set_cell(36, kShockRows - 1, "36");
  tables.seasonal.set_cell(14, kSeasonalRows - 1, "lost: beyond the columns that mark rows");
  const HeaTables read = read_hea_bytes(hea_file_bytes(tables), "t.fs");
  EXPECT_EQ(read.shock, tables.shock);
  EXPECT_EQ(read.household, tables.household);
}

TEST(HeaFile, BrokenFilesNameTheFileAndLine) {
  const std::string good = read_bytes(default_file());
  const std::string household_row = std::string("\t") + std::string(98, '\t');
  struct Case {
    const char* what;
    std::string bytes;
    int line;
    const char* message_part;
  };
  const std::size_t seasonal = good.find("\xA5Seasonal Data");
  const std::size_t model = good.find("\xA5Model");
  const Case cases[] = {
      {"empty file", "", 1, "not a household economy"},
      {"a survey file", "dmy\r\nSURVDATE\tCLUSTER\t\r\n", 1, "not a household economy"},
      {"cut inside the household table", good.substr(0, seasonal - 2), 0, "cut short"},
      {"cut before the model", good.substr(0, model), 0, "cut short"},
      {"cut after the last model row", good.substr(0, good.size() - 4), 0, "cut short"},
      {"unknown section", std::string(good).replace(model, 6, "\xA5Modal"), 0, "\xA5Model"},
      {"too many cells", "\xA5Household Data\r\n" + household_row + "x\t\r\n\xA5Seasonal Data\r\n\xA5Model\r\n\r\n\r\n", 2, "more cells"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      read_hea_bytes(c.bytes, "zone.fs");
      ADD_FAILURE() << "read";
    } catch (const HeaFileError& e) {
      EXPECT_NE(std::string(e.what()).find("zone.fs, line "), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message_part), std::string::npos) << e.what();
      if (c.line > 0) {
        EXPECT_EQ(e.line(), c.line);
      }
    }
  }
}

TEST(HeaFile, TooManyRowsAreRefused) {
  std::string bytes = "\xA5Household Data\r\n";
  for (int row = 0; row <= kHouseholdRows; ++row) bytes += "x\t\r\n";
  try {
    read_hea_bytes(bytes, "long.fs");
    FAIL();
  } catch (const HeaFileError& e) {
    EXPECT_EQ(e.line(), kHouseholdRows + 2);
  }
}

TEST(HeaFile, AFileThatCannotBeOpenedIsNamed) {
  EXPECT_THROW(read_hea_file("/nonexistent/zone.fs"), HeaFileError);
}

TEST(HeaFile, SaveNames) {
  FoodSecurity state;
  state.file_name = "/prog/default.fs";
  EXPECT_EQ(proposed_save_name(state), "");
  state.file_name = "/data/zone.fs";
  EXPECT_EQ(proposed_save_name(state), "/data/zone.fs");
  EXPECT_EQ(with_hea_extension("/data/zone"), "/data/zone.fs");
  EXPECT_EQ(with_hea_extension("/data/zone.fs"), "/data/zone.fs");
}

}  // namespace
}  // namespace olvar::foodsecurity
