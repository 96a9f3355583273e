#include "mortality/result_tables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace olvar::mortality {
namespace {

using ::testing::HasSubstr;

core::TextGrid two_households() {
  core::TextGrid t(170, 10);
  t.set_cell(2, 1, "1");
  t.set_cell(person_column(1, PersonField::sex), 1, "m");
  t.set_cell(person_column(1, PersonField::age), 1, "3");
  t.set_cell(person_column(2, PersonField::sex), 1, "f");
  t.set_cell(person_column(2, PersonField::age), 1, "30");
  t.set_cell(2, 2, "2");
  t.set_cell(person_column(1, PersonField::sex), 2, "f");
  t.set_cell(person_column(1, PersonField::age), 2, "40");
  t.set_cell(person_column(1, PersonField::died), 2, "y");
  t.set_cell(person_column(1, PersonField::cause), 2, "3");
  return t;
}

TEST(ResultTables, GridsCarryHeadingsLabelsAndSums) {
  const core::TextGrid t = two_households();
  const IndividualResults r =
      individual_results(t, age_groups(AgeGrouping::ten_years, core::OptionsPage{}), 90);
  const core::TextGrid rates = rates_grid(r);
  EXPECT_EQ(rates.cell(1, 0), "Crude Death Rate (95% CI)");
  EXPECT_EQ(rates.cell(0, 7), "0-9");
  const core::TextGrid clusters = cluster_grid(r);
  EXPECT_EQ(clusters.cell(0, 0), "Cluster");
  EXPECT_EQ(clusters.cell(0, 3), "Sum:");
  EXPECT_EQ(clusters.cell(1, 3), "2.5");
  EXPECT_EQ(clusters.cell(7, 3), "1");

  core::TextGrid labels(1, 11);
  labels.set_cell(0, 2, "Illness");
  const Transfer transfer = individual_transfer_text(t, r, labels, 90);
  EXPECT_EQ(transfer.error, "");
  EXPECT_THAT(transfer.text, HasSubstr("Households\t2\n"));
  EXPECT_THAT(transfer.text, HasSubstr("Households with children under five\t1\n"));
  EXPECT_THAT(transfer.text, HasSubstr("\n'0-9\t"));
  EXPECT_THAT(transfer.text, HasSubstr("3] Illness\t100.0\t"));
}

TEST(ResultTables, TransferNamesTheRowOfAnAgeThatIsNotAWholeNumber) {
  core::TextGrid t = two_households();
  t.set_cell(person_column(2, PersonField::age), 1, "2,5");
  const IndividualResults r =
      individual_results(t, age_groups(AgeGrouping::five_years, core::OptionsPage{}), 90);
  const Transfer transfer = individual_transfer_text(t, r, core::TextGrid(1, 11), 90);
  EXPECT_EQ(transfer.text, "");
  EXPECT_THAT(transfer.error, HasSubstr("Row 1, person 2: the age \"2,5\" is not a whole number"));
}

}  // namespace
}  // namespace olvar::mortality

namespace olvar::mortality {
namespace {

TEST(ResultTables, TransferCountsAHouseholdOnTwoRowsOnce) {
  core::TextGrid t(170, 10);
  for (int row : {1, 2}) {
    t.set_cell(1, row, "07.08.2019");
    t.set_cell(2, row, "1");
    t.set_cell(3, row, "4");
    t.set_cell(4, row, "1");
  }
  for (int k = 1; k <= kPersons; ++k) {
    t.set_cell(person_column(k, PersonField::sex), 1, "f");
    t.set_cell(person_column(k, PersonField::age), 1, "30");
  }
  t.set_cell(person_column(1, PersonField::sex), 2, "m");
  t.set_cell(person_column(1, PersonField::age), 2, "1");  // the only child: on the second row
  const IndividualResults r =
      individual_results(t, age_groups(AgeGrouping::ten_years, core::OptionsPage{}), 90);
  const Transfer transfer = individual_transfer_text(t, r, core::TextGrid(1, 11), 90);
  EXPECT_THAT(transfer.text, HasSubstr("Households\t1\n"));
  EXPECT_THAT(transfer.text, HasSubstr("Households with children under five\t1\n"));
  EXPECT_THAT(transfer.text, HasSubstr("Average household size\t21.0\n"));
}

}  // namespace
}  // namespace olvar::mortality
