// The export to the spreadsheet: a child worked out by hand from the WHO tables, the flags
// resting on the z-scores their line shows, and the layout of the table.

#include "formats/export_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "anthro/row_evaluation.h"
#include "core/standard_variables.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace olvar::formats {
namespace {

using core::StdVar;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

const anthro::WhoReference& who() {
  static const anthro::WhoReference table =
      anthro::WhoReference::load(test::build_data_path("anthro_who2005.dat"));
  return table;
}

constexpr const char* kNames =
    "SURVDATE\tCLUSTER\tTEAM\tID\tHH\tSEX\tBIRTHDAT\tMONTHS\tWEIGHT\tHEIGHT\tEDEMA\tMUAC\tWAZ\tHAZ\t"
    "WHZ\tMEASURE\tCLOTHES\tSTRATA\tWTFACTOR\tNAME\t";

// One child as the survey file stores it: every field followed by a TAB. WAZ, HAZ and WHZ of
// the file hold "-9", which the export must not show.
struct Child {
  std::string sex = "m", months = "12", weight = "9", height = "75", edema = "n", muac = "140";
  std::string measure = "l", clothes, name = "Abe";
  std::string line() const {
    return "01.03.2026\t1\t1\t7\t3\t" + sex + "\t\t" + months + "\t" + weight + "\t" + height +
           "\t" + edema + "\t" + muac + "\t-9\t-9\t-9\t" + measure + "\t" + clothes + "\t\t\t" +
           name + "\t\r\n";
  }
};

std::string survey_file(const std::vector<Child>& children) {
  std::string bytes = "dmy\r\n" + std::string(kNames) + "\r\n";
  for (const Child& c : children) bytes += c.line();
  bytes += "\xA5Planning:\r\nnot a child\t\r\n";
  return bytes;
}

std::vector<std::vector<std::string>> cells_of(const std::string& table) {
  std::vector<std::vector<std::string>> lines;
  std::size_t start = 0;
  while (start < table.size()) {
    const std::size_t end = table.find('\n', start);
    EXPECT_NE(end, std::string::npos) << "every line ends with a line feed";
    const std::string line = table.substr(start, end - start);
    std::vector<std::string> cells;
    std::size_t from = 0;
    for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1) {
      cells.push_back(line.substr(from, tab - from));
    }
    cells.push_back(line.substr(from));
    lines.push_back(cells);
    start = end + 1;
  }
  return lines;
}

ExportSettings settings_with(core::ExclusionMode mode) {
  ExportSettings settings;
  settings.analysis.mode = mode;
  return settings;
}

std::vector<std::vector<std::string>> exported(const std::vector<Child>& children,
                                               const ExportSettings& settings,
                                               std::array<double, 3> means = {0, 0, 0}) {
  return cells_of(export_table(survey_file(children), means, settings, who()));
}

// Cell positions (0-based) of the exported table.
enum Cell {
  kWeight = 8, kWazNchs = 12, kHazNchs, kWhzNchs, kWazWho, kHazWho, kWhzWho, kBmizWho, kWamNchs,
  kHamNchs, kWhmNchs, kFlagNchs, kFlagWho, kMuaczAge, kHeightAge, kMuaczHt, kMeasure, kClothes,
  kStrata, kWtfactor, kName
};

TEST(ExportTable, HeadingsLeaveOutTheFileZScoresAndPutTheComputedColumnsAfterMuac) {
  const auto lines = exported({}, settings_with(core::ExclusionMode::none));
  ASSERT_EQ(lines.size(), 1u) << "a file without children gives the heading line only";
  EXPECT_THAT(lines[0],
              ElementsAre("SURVDATE", "CLUSTER", "TEAM", "ID", "HH", "SEX", "BIRTHDAT", "MONTHS",
                          "WEIGHT", "HEIGHT", "EDEMA", "MUAC", "WAZ-NCHS", "HAZ-NCHS", "WHZ-NCHS",
                          "WAZ-WHO", "HAZ-WHO", "WHZ-WHO", "BMIZ-WHO", "WAM-NCHS", "HAM-NCHS",
                          "WHM-NCHS", "Flag-NCHS", "Flag-WHO", "MUACZ_age", "Height_Age-WHO",
                          "MUACZ_Ht", "MEASURE", "CLOTHES", "STRATA", "WTFACTOR", "NAME"));
}

// A boy of 12 months (365.25 days, day 365 of the tables), 9.0 kg, 75.0 cm lying, MUAC 140 mm.
// WHO 2006, z = ((x / M)^L - 1) / (L S):
//   WAZ, day 365:        L 0.0645, M 9.646,   S 0.10925  ->  -0.633
//   HAZ, day 365:        L 1,      M 75.7391, S 0.03137  ->  -0.311
//   WHZ, length 75.0:    L -0.3521, M 9.5032, S 0.08295  ->  -0.662
//   MUAC, day 365:       L 0.1263, M 14.6447, S 0.07689  ->  -0.584 (14.0 cm)
// Height-age: the boys' length median passes 75.0 cm at day 347 (M(346) = 74.9886,
// M(347) = 75.0286), so 346.5 / 30.4375 = 11.38 months; MUAC at day 346:
//   L 0.1391, M 14.6245, S 0.07686 -> -0.566.
TEST(ExportTable, ChildWorkedOutByHand) {
  Child boy;
  boy.weight = "9,0";  // a comma from another system's decimal separator
  const auto lines = exported({boy}, settings_with(core::ExclusionMode::none));
  ASSERT_EQ(lines.size(), 2u) << "the lines after the 0xA5 section marker are no children";
  const auto& row = lines[1];
  ASSERT_EQ(row.size(), 32u);
  EXPECT_THAT(std::vector<std::string>(row.begin(), row.begin() + 12),
              ElementsAre("01.03.2026", "1", "1", "7", "3", "m", "", "12", "9.0", "75", "n", "140"));
  EXPECT_EQ(row[kWazWho], "-0.633");
  EXPECT_EQ(row[kHazWho], "-0.311");
  EXPECT_EQ(row[kWhzWho], "-0.662");
  EXPECT_EQ(row[kMuaczAge], "-0.584");
  EXPECT_EQ(row[kHeightAge], "11.38");
  EXPECT_EQ(row[kMuaczHt], "-0.566");
  EXPECT_FALSE(row[kBmizWho].empty());
  for (const int cell : {kWazNchs, kHazNchs, kWhzNchs, kWamNchs, kHamNchs, kWhmNchs}) {
    EXPECT_FALSE(row[cell].empty()) << "cell " << cell;
  }
  // The NCHS percentage of the median of the height: 75.0 cm against the NCHS median at one
  // year lies a little below 100.
  EXPECT_NEAR(std::stod(row[kHamNchs]), 99.0, 1.5);
  EXPECT_EQ(row[kFlagNchs], "");
  EXPECT_EQ(row[kFlagWho], "");
  EXPECT_THAT(std::vector<std::string>(row.begin() + kMeasure, row.end()),
              ElementsAre("l", "", "", "", "Abe"));
}

// The exported z-scores are those the Data View shows for the same child: the clothes weight
// subtracted once, a length of a child of two years or more turned into a height.
TEST(ExportTable, ZScoresAreThoseOfRowEvaluationUnderEachReference) {
  Child clothed;
  clothed.weight = "9.5";
  clothed.clothes = "y";
  Child older_lying;
  older_lying.months = "30";
  older_lying.weight = "12.1";
  older_lying.height = "90.4";
  Child standing_girl;
  standing_girl.sex = "f";
  standing_girl.months = "40";
  standing_girl.weight = "13.3";
  standing_girl.height = "95.2";
  standing_girl.measure = "h";
  const std::vector<Child> children = {clothed, older_lying, standing_girl};
  ExportSettings settings = settings_with(core::ExclusionMode::none);
  settings.clothes_weight_g = "500";
  const auto lines = exported(children, settings);

  for (const auto reference : {anthro::Reference::nchs1977, anthro::Reference::who2006}) {
    core::SurveyTable table;
    int row = 1;
    for (const Child& c : children) {
      const std::pair<StdVar, std::string> cells[] = {
          {StdVar::sex, c.sex},         {StdVar::months, c.months},   {StdVar::weight, c.weight},
          {StdVar::height, c.height},   {StdVar::edema, c.edema},     {StdVar::muac, c.muac},
          {StdVar::measure, c.measure}, {StdVar::clothes, c.clothes}};
      for (const auto& [variable, text] : cells) table.set_cell(variable, row, text);
      ++row;
    }
    anthro::RowEvaluationSettings evaluation;
    evaluation.reference = reference;
    evaluation.extra_columns_shown = true;
    evaluation.clothes_weight_g = "500";
    evaluation.current_year = 2026;
    anthro::evaluate_all_rows(table, evaluation, who());
    const bool nchs = reference == anthro::Reference::nchs1977;
    for (int r = 1; r <= 3; ++r) {
      SCOPED_TRACE(testing::Message() << "child " << r << (nchs ? " NCHS" : " WHO"));
      const auto& line = lines[static_cast<std::size_t>(r)];
      EXPECT_EQ(line[nchs ? kWazNchs : kWazWho], table.cell(StdVar::waz, r));
      EXPECT_EQ(line[nchs ? kHazNchs : kHazWho], table.cell(StdVar::haz, r));
      EXPECT_EQ(line[nchs ? kWhzNchs : kWhzWho], table.cell(StdVar::whz, r));
    }
  }
}

TEST(ExportTable, FlagsRestOnTheZScoresTheLineShows) {
  Child oedema;
  oedema.edema = "y";
  Child no_height;
  no_height.height = "";
  Child plain;
  // 9.5 kg with clothes of 500 g: WHO WHZ -0.662 with the clothes taken off once, about -1.35
  // were they taken off twice; a lower WHZ bound of -1 lies between the two. The NCHS WHZ of
  // 9.0 kg at 75.0 cm lies below -1, so both the plain and the clothed child carry that flag.
  Child clothed;
  clothed.weight = "9.5";
  clothed.clothes = "y";
  const std::vector<Child> children = {oedema, no_height, plain, clothed};

  struct Case {
    const char* what;
    core::ExclusionMode mode;
    std::vector<std::string> flags;  // NCHS and WHO cell of each child
  };
  const Case cases[] = {
      {"Epi Info 6 ranges",
       core::ExclusionMode::epi_info,
       {"WAZ, WHZ", "WAZ, WHZ", "HAZ, WHZ", "HAZ, WHZ", "WHZ", "", "WHZ", ""}},
      {"Kandu window around the means",
       core::ExclusionMode::kandu,
       {"WAZ, WHZ", "WAZ, WHZ", "HAZ, WHZ", "HAZ, WHZ", "WHZ", "", "WHZ", ""}},
      {"no exclusion", core::ExclusionMode::none, {"", "", "", "", "", "", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ExportSettings settings = settings_with(c.mode);
    settings.clothes_weight_g = "500";
    settings.analysis.flags.whz_l = "-1";
    settings.analysis.flags.whz_ol = "-1";
    const auto lines = exported(children, settings);
    ASSERT_EQ(lines.size(), 5u);
    std::vector<std::string> flags;
    for (std::size_t r = 1; r < lines.size(); ++r) {
      flags.push_back(lines[r][kFlagNchs]);
      flags.push_back(lines[r][kFlagWho]);
    }
    EXPECT_EQ(flags, c.flags);
    // The child with oedema keeps its WAZ and WHZ; the child without height has neither HAZ
    // nor WHZ, nor a height-age.
    EXPECT_EQ(lines[1][kWazWho], lines[3][kWazWho]);
    EXPECT_EQ(lines[1][kWhzWho], lines[3][kWhzWho]);
    EXPECT_EQ(lines[2][kHazWho], "");
    EXPECT_EQ(lines[2][kWhzWho], "");
    EXPECT_EQ(lines[2][kHeightAge], "");
    EXPECT_EQ(lines[4][kWhzWho], "-0.662");
    EXPECT_EQ(lines[4][kWhzNchs], lines[3][kWhzNchs]);
    EXPECT_LT(std::stod(lines[3][kWhzNchs]), -1.0);
  }
}

TEST(ExportTable, KanduWindowLiesAroundTheObservedMeans) {
  // WHO WHZ -0.662 lies outside the window mean + (-3 .. 3) for a mean of 3, inside for 0.
  const auto far = exported({Child{}}, settings_with(core::ExclusionMode::kandu), {0, 0, 3.0});
  EXPECT_EQ(far[1][kFlagWho], "WHZ");
  const auto near = exported({Child{}}, settings_with(core::ExclusionMode::kandu), {0, 0, 0});
  EXPECT_EQ(near[1][kFlagWho], "");
}

TEST(ExportTable, HeightBelowTheMedianAtBirthGivesTheFirstDay) {
  Child small;
  small.months = "0.5";
  small.weight = "2.5";
  small.height = "45";
  const auto lines = exported({small}, settings_with(core::ExclusionMode::none));
  EXPECT_EQ(lines[1][kHeightAge], "0.02");  // (1 - 0.5) / 30.4375
}

TEST(ExportTable, ShortLinesAndSpareRows) {
  // A line cut after HEIGHT gives empty cells after it; a line of TABs only is no child.
  const std::string bytes = "dmy\r\n" + std::string(kNames) +
                            "\r\n01.03.2026\t1\t1\t1\t1\tf\t\t20\t10.1\t80.2\r\n\t\t\t\t\r\n";
  const auto lines = cells_of(export_table(bytes, {0, 0, 0},
                                           settings_with(core::ExclusionMode::none), who()));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].size(), lines[0].size());
  EXPECT_EQ(lines[1][kWeight], "10.1");
  EXPECT_FALSE(lines[1][kWhzWho].empty());
  EXPECT_EQ(lines[1][kMuaczAge], "");
}

// A survey file Olvar did not write: its variables in another order, no date-order line, user
// variables in between, no WAZ, HAZ and WHZ columns. Each variable is found by its name, so the
// child comes out exactly as from the file Olvar writes, z-scores included.
TEST(ExportTable, VariablesAreFoundByNameWhateverTheirOrderInTheFile) {
  const std::string foreign =
      "NAME\tSEX\tMUAC\tMONTHS\tWEIGHT\tHEIGHT\tCLUSTER\tEDEMA\tID\tMEASURE\tHH\tTEAM\t"
      "SURVDATE\r\n"
      "Abe\tm\t140\t12\t9\t75\t1\tn\t7\tl\t3\t1\t01.03.2026\r\n";
  const ExportSettings settings = settings_with(core::ExclusionMode::epi_info);
  const auto lines = cells_of(export_table(foreign, {0, 0, 0}, settings, who()));
  const auto expected = exported({Child{}}, settings);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1][kWhzWho], "-0.662");
  EXPECT_EQ(lines[1][kHeightAge], "11.38");
  EXPECT_EQ(lines[1][kMeasure], "l");
  EXPECT_EQ(lines[1], expected[1]);
  EXPECT_EQ(lines[0], expected[0]);
}

TEST(ExportTable, UnreadableFileNamesIt) {
  test::TempFolder folder;
  EXPECT_THAT([&] {
    export_survey_file(folder / "missing.as", {0, 0, 0}, ExportSettings{}, who());
  }, ::testing::ThrowsMessage<std::runtime_error>(HasSubstr("missing.as")));
}

}  // namespace
}  // namespace olvar::formats
