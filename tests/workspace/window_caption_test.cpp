#include "workspace/window_caption.h"

#include <gtest/gtest.h>

namespace olvar::workspace {
namespace {

TEST(WindowCaption, CountsRowsThatDescribeAChild) {
  core::SurveyTable table;
  // Row 1 as a new table starts it: date and numbers only.
  table.set_cell(core::StdVar::survdate, 1, "1.1.2020");
  table.set_cell(core::StdVar::id, 1, "1");
  EXPECT_EQ(count_children(table), 0);
  table.set_cell(core::StdVar::sex, 1, "m");
  table.set_cell(core::StdVar::weight, 3, "9.5");  // row 2 left empty
  table.set_cell(core::StdVar::months, 4, "12");
  EXPECT_EQ(count_children(table), 3);
}

TEST(WindowCaption, ShowsFileNameWithoutFolderAndTheCount) {
  core::LanguageTable text;
  text.read_english("0807 Survey:\n0808 children\n");
  EXPECT_EQ(survey_window_caption("/home/a/kassala.as", 312, text),
            "Olvar2019 - Survey: kassala.as - 312 children");
  EXPECT_EQ(survey_window_caption("", 0, text), "Olvar2019 - 0 children");
}

}  // namespace
}  // namespace olvar::workspace
