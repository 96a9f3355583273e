#include "anthro/flags.h"

#include <gtest/gtest.h>

namespace olvar::anthro {
namespace {

TEST(ExclusionMode, CodesReadBackAsTheirMode) {
  for (ExclusionMode mode : {ExclusionMode::epi_info, ExclusionMode::kandu, ExclusionMode::none}) {
    EXPECT_EQ(exclusion_mode_from_code(exclusion_mode_code(mode)), mode);
  }
  EXPECT_EQ(exclusion_mode_code(ExclusionMode::epi_info), 'v');
  EXPECT_EQ(exclusion_mode_code(ExclusionMode::kandu), 'p');
  EXPECT_EQ(exclusion_mode_code(ExclusionMode::none), 'n');
  EXPECT_EQ(exclusion_mode_from_code('x'), std::nullopt);
  EXPECT_EQ(exclusion_mode_from_code('V'), std::nullopt);
}

struct FlagCase {
  const char* what;
  float z;
  FlagIndex index;
  ExclusionMode mode;
  double observed_mean;
  bool flagged;
};

// Default bounds: Epi Info WAZ -6..5, HAZ -6..6, WHZ -5..5; Kandu mean -3..mean +3.
constexpr FlagCase kFlagCases[] = {
    {"Epi Info: WHZ on the upper bound stays", 5.000f, FlagIndex::whz, ExclusionMode::epi_info, 0.0,
     false},
    {"Epi Info: WHZ just above it goes", 5.001f, FlagIndex::whz, ExclusionMode::epi_info, 0.0,
     true},
    {"Epi Info: WHZ on the lower bound stays", -5.000f, FlagIndex::whz, ExclusionMode::epi_info,
     0.0, false},
    {"Epi Info: WHZ just below it goes", -5.001f, FlagIndex::whz, ExclusionMode::epi_info, 0.0,
     true},
    {"Epi Info: WAZ upper bound is 5", 5.5f, FlagIndex::waz, ExclusionMode::epi_info, 0.0, true},
    {"Epi Info: WAZ lower bound is -6", -5.9f, FlagIndex::waz, ExclusionMode::epi_info, 0.0, false},
    {"Epi Info: HAZ upper bound is 6", 5.9f, FlagIndex::haz, ExclusionMode::epi_info, 0.0, false},
    {"Epi Info: HAZ beyond -6 goes", -6.1f, FlagIndex::haz, ExclusionMode::epi_info, 0.0, true},
    {"Epi Info ignores the observed mean", 4.0f, FlagIndex::whz, ExclusionMode::epi_info, 3.0,
     false},
    // Observed WHZ mean -1.2: the window is -4.2 to 1.8.
    {"Kandu: on the lower end stays", -4.2f, FlagIndex::whz, ExclusionMode::kandu, -1.2, false},
    {"Kandu: below the window goes", -4.201f, FlagIndex::whz, ExclusionMode::kandu, -1.2, true},
    {"Kandu: on the upper end stays", 1.8f, FlagIndex::whz, ExclusionMode::kandu, -1.2, false},
    {"Kandu: above the window goes", 1.801f, FlagIndex::whz, ExclusionMode::kandu, -1.2, true},
    // -1.3 + 3 = 1.7 in decimal; in single precision 1.7 lies above the double 1.7, and the
    // value must still stay.
    {"Kandu: on the upper end in single precision", 1.7f, FlagIndex::whz, ExclusionMode::kandu,
     -1.3, false},
    {"Kandu: a z the Epi Info rule keeps", 2.5f, FlagIndex::waz, ExclusionMode::kandu, -1.2, true},
    {"Kandu: a z the Epi Info rule drops", -5.5f, FlagIndex::haz, ExclusionMode::kandu, -3.0,
     false},
    {"no exclusion keeps everything", 15.0f, FlagIndex::whz, ExclusionMode::none, 0.0, false},
};

TEST(FlagTest, DefaultBoundsKeepValuesOnTheBound) {
  const FlagParameters defaults;
  for (const FlagCase& c : kFlagCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(is_flagged(c.z, c.index, c.mode, c.observed_mean, defaults), c.flagged);
  }
}

TEST(FlagTest, ReadsTheEditedBoundTextsAtEveryTest) {
  FlagParameters p;
  p.whz_h = "4,5";  // typed with a comma: the tolerant parse still reads 4.5
  EXPECT_TRUE(is_flagged(4.6f, FlagIndex::whz, ExclusionMode::epi_info, 0.0, p));
  EXPECT_FALSE(is_flagged(4.5f, FlagIndex::whz, ExclusionMode::epi_info, 0.0, p));
  // Other indices keep their own bounds.
  EXPECT_FALSE(is_flagged(4.6f, FlagIndex::haz, ExclusionMode::epi_info, 0.0, p));

  p.waz_oh = "2";
  EXPECT_TRUE(is_flagged(1.0f, FlagIndex::waz, ExclusionMode::kandu, -1.5, p));   // above 0.5
  EXPECT_FALSE(is_flagged(1.0f, FlagIndex::whz, ExclusionMode::kandu, -1.5, p));  // below 1.5
}

TEST(FlagTest, BoundThatIsNotANumberActsAsMinus99999) {
  FlagParameters p;
  p.whz_h = "abc";  // high bound -99999: every z lies above it
  EXPECT_TRUE(is_flagged(0.0f, FlagIndex::whz, ExclusionMode::epi_info, 0.0, p));
  p = FlagParameters{};
  p.whz_l = "";  // low bound -99999: nothing lies below it
  EXPECT_FALSE(is_flagged(-15.0f, FlagIndex::whz, ExclusionMode::epi_info, 0.0, p));
}

TEST(FlagParameters, SavingResetsKanduOffsetsBeyondTen) {
  FlagParameters p;
  p.whz_oh = "12";
  p.whz_ol = "-10";  // magnitude 10 is allowed
  p.haz_ol = "-10.5";
  p.haz_oh = "-11";  // a high offset of magnitude above 10 goes back to 3, whatever its sign
  p.waz_ol = "x";    // not a number: -99999
  p.waz_oh = "2.5";
  p.waz_h = "50";  // Epi Info ranges are not limited
  const FlagParameters saved = with_offsets_checked(p);
  EXPECT_EQ(saved.whz_oh, "3");
  EXPECT_EQ(saved.whz_ol, "-10");
  EXPECT_EQ(saved.haz_ol, "-3");
  EXPECT_EQ(saved.haz_oh, "3");
  EXPECT_EQ(saved.waz_ol, "-3");
  EXPECT_EQ(saved.waz_oh, "2.5");
  EXPECT_EQ(saved.waz_h, "50");
}

}  // namespace
}  // namespace olvar::anthro
