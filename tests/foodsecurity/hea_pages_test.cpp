// The page rebuilds and the household table's row commands.

#include <gtest/gtest.h>

#include "foodsecurity/hea_file.h"
#include "foodsecurity/hea_pages.h"
#include "support/test_paths.h"

namespace olvar::foodsecurity {
namespace {

FoodSecurity default_state() {
  FoodSecurity state;
  const std::string path = test::source_path("data/default.fs");
  adopt_read_tables(state, read_hea_file(path), path);
  return state;
}

int household_row(const HeaTables& tables, std::string_view name) {
  for (int row = 0; row < kHouseholdRows; ++row) {
    if (tables.household.cell(1, row) == name) return row;
  }
  return -1;
}

TEST(FindItemRow, ExactNameBeforeBeginsWith) {
  core::TextGrid grid(2, 5);
  grid.set_cell(1, 1, "Milk, own herd");
  grid.set_cell(1, 2, "Milk");
  grid.set_cell(1, 3, "sorghum, bought");
  EXPECT_EQ(find_item_row(grid, 1, "Milk", 1, 4), 2);
  EXPECT_EQ(find_item_row(grid, 1, "Milk, own herd", 1, 4), 1);
  EXPECT_EQ(find_item_row(grid, 1, "Sorghum", 1, 4), 3);
  EXPECT_EQ(find_item_row(grid, 1, "Maize", 1, 4), std::nullopt);
  // A row that is another item's own is never taken by "begins with".
  grid.set_cell(1, 2, "");
  EXPECT_EQ(find_item_row(grid, 1, "Milk", 1, 4, {"Milk, own herd"}), std::nullopt);
}

TEST(SeasonalRebuild, NewItemMilkDoesNotTakeOverMilkOwnHerd) {
  FoodSecurity state = default_state();
  HeaTables& t = state.tables;
  const int own_herd = household_row(t, "Milk, own herd");
  // A new food item "Milk" inserted above "Milk, own herd".
  ASSERT_TRUE(insert_household_row(t.household, own_herd));
  t.household.set_cell(1, own_herd, "Milk");
  t.household.set_cell(2, own_herd, "650");
  ASSERT_TRUE(rebuild_seasonal_page(t));
  const int milk_row = own_herd - 5;
  EXPECT_EQ(t.seasonal.cell(1, milk_row), "Milk");
  EXPECT_EQ(t.seasonal.cell(2, milk_row), "");
  EXPECT_EQ(t.seasonal.cell(14, milk_row), "");
  EXPECT_EQ(t.seasonal.cell(1, milk_row + 1), "Milk, own herd");
  EXPECT_EQ(t.seasonal.cell(2, milk_row + 1), "10");
  EXPECT_EQ(t.seasonal.cell(14, milk_row + 1), "          100");
}

TEST(SeasonalRebuild, ARenamedItemKeepsItsValuesByBeginsWith) {
  FoodSecurity state = default_state();
  HeaTables& t = state.tables;
  const int row = household_row(t, "Wild foods");
  t.household.set_cell(1, row, "wild");
  ASSERT_TRUE(rebuild_seasonal_page(t));
  EXPECT_EQ(t.seasonal.cell(1, row - 5), "wild");
  EXPECT_EQ(t.seasonal.cell(7, row - 5), "10");
}

TEST(SeasonalRebuild, WithoutCashIncomeHeadingNothingChanges) {
  FoodSecurity state = default_state();
  HeaTables& t = state.tables;
  for (int row = 0; row < kHouseholdRows; ++row) {
    if (t.household.cell(0, row) == "Cash Income") t.household.set_cell(0, row, "Cash");
  }
  const core::TextGrid before = t.seasonal;
  EXPECT_FALSE(rebuild_seasonal_page(t));
  EXPECT_EQ(t.seasonal, before);
}

TEST(RowTotals, OnlyPositiveMonthsCount) {
  core::TextGrid seasonal(kSeasonalColumns, kSeasonalRows);
  seasonal.set_cell(2, 1, "10");
  seasonal.set_cell(3, 1, "0");
  seasonal.set_cell(4, 1, "-5");
  seasonal.set_cell(5, 1, "20");
  seasonal.set_cell(14, 2, "stays");
  recompute_row_totals(seasonal);
  EXPECT_EQ(seasonal.cell(14, 1), "           30");
  EXPECT_EQ(seasonal.cell(14, 2), "stays");
}

TEST(StartMonth, OctoberRewritesBothTables) {
  FoodSecurity state = default_state();
  set_start_month(state, 9);
  EXPECT_EQ(state.tables.seasonal.cell(2, 0), "Oct");
  EXPECT_EQ(state.tables.seasonal.cell(13, 0), "Sep");
  for (const int column : {1, 13, 25}) EXPECT_EQ(state.tables.shock.cell(column, 2), "Oct");
  set_start_month(state, 0);
  EXPECT_EQ(state.tables.seasonal.cell(2, 0), "Jan");
  EXPECT_EQ(state.tables.shock.cell(36, 2), "Dec");
}

TEST(HouseholdRows, InsertAndDelete) {
  FoodSecurity state = default_state();
  core::TextGrid& h = state.tables.household;
  const core::TextGrid before = h;
  EXPECT_FALSE(insert_household_row(h, 4));
  EXPECT_EQ(h, before);
  // A heading row is never deleted; nor are the general rows above row 5.
  EXPECT_FALSE(delete_household_row(h, 6));
  EXPECT_FALSE(delete_household_row(h, 3));
  EXPECT_EQ(h, before);

  ASSERT_TRUE(insert_household_row(h, 8));
  EXPECT_TRUE(h.row_is_empty(8, false));
  EXPECT_EQ(h.cell(1, 9), before.cell(1, 8));
  ASSERT_TRUE(delete_household_row(h, 8));
  EXPECT_EQ(h, before);
}

TEST(HouseholdRebuild, NamesAndUnitsFollowTheWealthGroupList) {
  FoodSecurity state = default_state();
  state.wealth_groups[1] = "";  // an empty row is skipped
  rebuild_household_page(state);
  const core::TextGrid& h = state.tables.household;
  EXPECT_EQ(h.cell(3, 1), "Very poor");
  EXPECT_EQ(h.cell(4, 1), "Middle");
  EXPECT_EQ(h.cell(5, 1), "Better off");
  EXPECT_EQ(h.cell(6, 1), "");
  EXPECT_EQ(h.cell(5, 6), "kg");
  EXPECT_EQ(h.cell(6, 6), "");
  EXPECT_TRUE(is_heading_row(h, 6));
  EXPECT_FALSE(is_heading_row(h, 3));
}

TEST(ShockRebuild, OpeningTwiceKeepsEverythingEntered) {
  FoodSecurity state = default_state();
  HeaTables& t = state.tables;
  rebuild_shock_table(t);
  const core::TextGrid once = t.shock;
  rebuild_shock_table(t);
  EXPECT_EQ(t.shock, once);
}

TEST(ShockRebuild, ANewPurchaseFoodMovesTheBlocksAndKeepsValues) {
  FoodSecurity state = default_state();
  HeaTables& t = state.tables;
  const std::string price = std::string(t.shock.cell(1, 4));
  const int cowpeas = household_row(t, "Cowpeas");
  t.household.set_cell(1, cowpeas, "Cowpeas #");
  rebuild_shock_table(t);
  EXPECT_EQ(t.shock.cell(0, 4), "Sorghum # (own harvest)");
  EXPECT_EQ(t.shock.cell(1, 4), price);
  EXPECT_EQ(t.shock.cell(0, 6), "Cowpeas #");
  EXPECT_EQ(t.shock.cell(1, 6), "");
  EXPECT_EQ(t.shock.cell(0, 7), "% of these foods in the diet");
  EXPECT_EQ(t.shock.cell(1, 8), "70");
  // The asset percentages and the gifts moved down with the blocks.
  const auto type = find_heading(t.shock, "Type", 3, false);
  ASSERT_TRUE(type);
  EXPECT_EQ(t.shock.cell(0, *type + 1), "Goats (head)");
  EXPECT_EQ(t.shock.cell(1, *type + 1), "30");
  const auto gifts = find_heading(t.shock, "Additional gifts", 2, false);
  ASSERT_TRUE(gifts);
  EXPECT_EQ(t.shock.cell(0, *gifts + 2), "Food (kcal)");
  EXPECT_EQ(t.shock.cell(1, *gifts + 1), "Oct");
}

TEST(ShockRebuild, WithoutAGiftsBlockAnEmptyOneIsLaidOut) {
  // Taking the captions and price rows at the top of the table as gifts would add prices to
  // the food of the shock years.
  FoodSecurity state = default_state();
  HeaTables& t = state.tables;
  for (int row = 0; row < kShockRows; ++row) {
    if (contains(t.shock.cell(0, row), "Additional gifts")) {
      for (int r = row; r <= row + 3; ++r) {
        for (int c = 0; c < kShockColumns; ++c) t.shock.set_cell(c, r, "");
      }
    }
  }
  rebuild_shock_table(t);
  const auto gifts = find_heading(t.shock, "Additional gifts", 2, false);
  ASSERT_TRUE(gifts);
  EXPECT_EQ(t.shock.cell(1, *gifts + 1), "Oct");
  for (int c = 1; c <= 24; ++c) {
    EXPECT_EQ(t.shock.cell(c, *gifts + 2), "");
    EXPECT_EQ(t.shock.cell(c, *gifts + 3), "");
  }
}

TEST(WealthGroups, AnEmptySecondRowOffersOnlyTheFirstGroup) {
  FoodSecurity state = default_state();
  state.wealth_groups[1] = "";
  EXPECT_EQ(selectable_wealth_groups(state), std::vector<std::string>{"Very poor"});
}

}  // namespace
}  // namespace olvar::foodsecurity
