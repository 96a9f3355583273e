#include "formats/saved_mappings.h"

#include <gmock/gmock.h>
#include <algorithm>
#include <gtest/gtest.h>

namespace olvar::formats {
namespace {

using core::StdVar;

std::size_t slot(StdVar v) {
  return static_cast<std::size_t>(std::find(kImportTargets.begin(), kImportTargets.end(), v) -
                                  kImportTargets.begin());
}

TEST(SavedMappings, AMappingComesBackForTheSameFieldsOnlyAndTheNewestWins) {
  const std::vector<ImportField> phone = {{"today"}, {"child_sex"}, {"kg"}, {"wt"}};
  ImportMapping mapping;
  mapping.field_of_target[slot(StdVar::survdate)] = 0;
  mapping.field_of_target[slot(StdVar::sex)] = 1;
  mapping.field_of_target[slot(StdVar::weight)] = 2;
  mapping.field_of_target[slot(StdVar::wtfactor)] = 3;
  mapping.file_order = core::DateOrder::mdy;

  SavedMappings saved;
  ASSERT_TRUE(saved.put(phone, mapping));
  ASSERT_TRUE(saved.put({{"a"}, {"b"}}, ImportMapping{}));
  const SavedMappings read = SavedMappings::parse(saved.text());
  const std::optional<ImportMapping> again = read.find(phone);
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(again->field_of_target, mapping.field_of_target);
  EXPECT_EQ(again->file_order, core::DateOrder::mdy);
  // Other columns, or the same in another order, are another file.
  EXPECT_FALSE(read.find({{"today"}, {"child_sex"}, {"kg"}}).has_value());
  EXPECT_FALSE(read.find({{"child_sex"}, {"today"}, {"kg"}, {"wt"}}).has_value());

  ImportMapping changed = mapping;
  changed.field_of_target[slot(StdVar::weight)] = -1;
  SavedMappings twice = read;
  twice.put(phone, changed);
  EXPECT_EQ(twice.size(), 2u);
  EXPECT_EQ(SavedMappings::parse(twice.text()).find(phone)->field_of_target[slot(StdVar::weight)],
            -1);
  // A name that cannot stand on one line is not kept.
  EXPECT_FALSE(twice.put({{"a\tb"}}, mapping));
  EXPECT_EQ(twice.size(), 2u);
}

TEST(SavedMappings, DamagedLinesAreLeftOut) {
  const std::string text =
      "2\tSEX\tKG\tdmy\tSEX=1\tWEIGHT=2\n"
      "2\tA\tB\tdmy\tSEX=3\n"      // no field 3
      "2\tC\tD\txyz\tSEX=1\n"      // no date order
      "3\tE\tF\n"                  // cut
      "x\tG\tdmy\n"                // no count
      "1\tH\tdmy\tWAZ=1\r\n"       // no target
      "1\tI\tymd\tMUAC=1\r\n";
  const SavedMappings saved = SavedMappings::parse(text);
  EXPECT_EQ(saved.size(), 2u);
  EXPECT_EQ(saved.find({{"I"}})->field_of_target[slot(StdVar::muac)], 0);
  EXPECT_EQ(saved.find({{"SEX"}, {"KG"}})->field_of_target[slot(StdVar::weight)], 1);
}

}  // namespace
}  // namespace olvar::formats
