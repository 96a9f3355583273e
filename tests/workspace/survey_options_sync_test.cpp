#include "workspace/survey_options_sync.h"

#include <gtest/gtest.h>

namespace olvar::workspace {
namespace {

TEST(SurveyOptionsSync, SharedFieldsTravelBothWaysAndOthersStay) {
  core::OptionsPage page;
  page.autofill_team = false;
  page.age_by_months = true;
  page.oedema_yn = false;
  page.Edit26 = "250";
  page.flags.whz_ol = "-2.5";
  page.Edit11 = "60";
  page.ma12 = "99";
  const core::OptionsPage saved = survey_options_of(page);
  EXPECT_FALSE(saved.autofill_team);
  EXPECT_TRUE(saved.age_by_months);
  EXPECT_FALSE(saved.oedema_yn);
  EXPECT_EQ(saved.Edit26, "250");
  EXPECT_EQ(saved.flags.whz_ol, "-2.5");
  EXPECT_EQ(saved.Edit11, "60");
  EXPECT_EQ(saved.ma12, "99");

  EXPECT_EQ(saved.muac1, core::OptionsPage{}.muac1);  // only what the file carries is taken

  core::OptionsPage other;
  other.muac1 = "110";  // not carried by the survey file
  other.zr = true;
  show_survey_options(other, saved);
  EXPECT_EQ(survey_options_of(other).Edit26, "250");
  EXPECT_EQ(other.flags.whz_ol, "-2.5");
  EXPECT_EQ(other.flags.whz_l, "-5");  // Epi Info ranges are not in the file
  EXPECT_EQ(other.muac1, "110");
  EXPECT_TRUE(other.zr);
}

}  // namespace
}  // namespace olvar::workspace
