// The check of entered data and the income graph.

#include <gtest/gtest.h>

#include <string>

#include "foodsecurity/data_check.h"

namespace olvar::foodsecurity {

using graphs::Box;
using graphs::Drawing;
using graphs::Fill;
using graphs::Rgb;
using graphs::Step;
namespace {

// One group: requirement factors 6 × 2100 (4 602 150 kcal a year); food income from
// "Sorghum #" (1000 kcal/kg × food_kg); cash from one item at price 1; one non-dispensable and
// one dispensable cost; sorghum at 2 per kg for the whole diet (P = 0.002 per kcal).
HeaTables one_group(double food_kg, double cash, double non_dispensable, double dispensable,
                    bool priced = true) {
  HeaTables t;
  core::TextGrid& h = t.household;
  h.set_cell(3, 1, "Poor");
  h.set_cell(3, 3, "6");
  h.set_cell(3, 4, "2100");
  h.set_cell(0, 6, "Food Income");
  h.set_cell(1, 7, priced ? "Sorghum #" : "Sorghum");
  h.set_cell(2, 7, "1000");
  h.set_cell(3, 7, std::to_string(food_kg));
  h.set_cell(0, 8, "Food Stocks");
  h.set_cell(0, 9, "Cash Income");
  h.set_cell(1, 10, "Labour");
  h.set_cell(2, 10, "1");
  h.set_cell(3, 10, std::to_string(cash));
  h.set_cell(0, 11, "Assets");
  h.set_cell(0, 12, "Non dispensable");
  h.set_cell(3, 13, std::to_string(non_dispensable));
  h.set_cell(0, 14, "Dispensable");
  h.set_cell(3, 15, std::to_string(dispensable));
  t.shock.set_cell(0, 4, "Sorghum #");
  t.shock.set_cell(0, 6, "Sorghum #");
  for (int m = 1; m <= 12; ++m) {
    t.shock.set_cell(m, 4, "2");
    t.shock.set_cell(m, 6, "100");
  }
  return t;
}

std::string cell(const core::TextGrid& table, int row) {
  std::string text(table.cell(1, row));
  const auto start = text.find_first_not_of(' ');
  EXPECT_EQ(text.size(), 16u) << row;
  return start == std::string::npos ? "" : text.substr(start);
}

TEST(DataCheck, RequirementAndFoodIncome) {
  const core::TextGrid t = check_table(one_group(3000, 20000, 1000, 500));
  EXPECT_EQ(t.row_count(), 15);
  EXPECT_EQ(t.column_count(), 2);
  EXPECT_EQ(cell(t, 0), "Poor");
  EXPECT_EQ(t.cell(0, 1), "Household Kcal requirement");
  EXPECT_EQ(cell(t, 1), "4602150");
  EXPECT_EQ(cell(t, 2), "3000000");
  EXPECT_EQ(cell(t, 3), "65 %");
  EXPECT_EQ(cell(t, 7), "1602150");
}

TEST(DataCheck, AffordableBlock) {
  struct Case {
    const char* what;
    double food_kg, cash, non_dispensable, dispensable;
    std::vector<std::pair<int, std::string>> expected;
  };
  // K = 1 602 150 kcal at 0.002 cost 3 204.30.
  const Case cases[] = {
      {"enough cash", 3000, 20000, 1000, 500,
       {{8, "9500000"}, {9, "0"}, {10, "15296"}, {12, "100 %"}, {13, "100 %"}, {14, "100 %"}}},
      {"cash equals the costs", 3000, 1000, 1000, 500,
       {{8, "0"}, {9, "1602150"}, {10, "0"}, {12, "65 %"}, {13, "100 %"}, {14, "0 %"}}},
      {"cash 30 against costs 120", 3000, 30, 120, 500, {{13, "25 %"}}},
      {"no cash and no costs", 3000, 0, 0, 500, {{13, "-"}}},
      {"no dispensable costs", 3000, 20000, 1000, 0, {{10, "15796"}, {14, "-"}}},
      {"food above the requirement", 5000, 0, 100, 500,
       {{7, "-397850"}, {9, "0"}, {12, "100 %"}, {14, "100 %"}}},
      {"part of the dispensable costs", 3000, 4704.3, 1000, 1000, {{14, "50 %"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const core::TextGrid t =
        check_table(one_group(c.food_kg, c.cash, c.non_dispensable, c.dispensable));
    for (const auto& [row, text] : c.expected) EXPECT_EQ(cell(t, row), text) << row;
  }
}

TEST(DataCheck, WithoutPurchaseFoodsTheAffordableRowsStayEmpty) {
  core::TextGrid t;
  t.resize(2, 15);
  t.set_cell(1, 9, "earlier");
  fill_check_table(t, one_group(3000, 20000, 1000, 500, false));
  EXPECT_EQ(cell(t, 7), "1602150");
  EXPECT_EQ(t.cell(1, 8), "");
  EXPECT_EQ(t.cell(1, 9), "earlier");  // what an earlier pass wrote stays
  EXPECT_EQ(reference_price_per_kcal(one_group(3000, 20000, 1000, 500, false)), 0);
}

int boxes_of(const Drawing& d, Fill fill, double x) {
  int count = 0;
  for (const Step& step : d.steps) {
    const auto* box = std::get_if<Box>(&step);
    if (box && box->fill == fill && box->x1 == x && box->x2 > box->x1 && box->y1 > 0) ++count;
  }
  return count;
}

TEST(IncomeGraph, BarsPerItemAndGroup) {
  HeaTables t = one_group(3000, 20000, 1000, 500);
  core::TextGrid& h = t.household;
  // Two more food items; the second group has an empty name, a fifth group is never drawn.
  h.insert_rows(8, 2);
  h.set_cell(1, 8, "Milk");
  h.set_cell(2, 8, "500");
  h.set_cell(3, 8, "0");
  h.set_cell(1, 9, "Wild foods");
  h.set_cell(2, 9, "1000");
  h.set_cell(3, 9, "1000");
  for (int row : {7, 8, 9}) {
    h.set_cell(4, row, "10");
    h.set_cell(7, row, "10");
  }
  h.set_cell(0, 15, "Cash savings");  // the assets section: its heading and row 14
  const std::vector<std::string> groups = {"Poor", "", "Middle", "Better off", "Rich"};
  const Drawing d = income_graph(t, groups, 700, 100);
  // Sections of 4, 2 and 2 lines below three headers of 94 pixels, and a margin of 10: more
  // than (3 + 1 + 1 + 12) × 22 + 70, which would cut the last bar.
  EXPECT_EQ(d.height, 8 * 22 + 3 * 94 + 10);
  EXPECT_EQ(d.width, 700);
  // The first group: sorghum 3 000 000 and wild foods 1 000 000 of 4 000 000, no bar for milk.
  std::vector<double> widths;
  for (const Step& step : d.steps) {
    const auto* box = std::get_if<Box>(&step);
    if (box && box->fill == Fill::solid && box->x1 == 170 && box->fill_colour == Rgb{255, 0, 0}) {
      widths.push_back(box->x2 - box->x1);
    }
  }
  EXPECT_EQ(widths, (std::vector<double>{75, 25}));
  EXPECT_EQ(boxes_of(d, Fill::cross_hatch, 170), 3);
  EXPECT_EQ(boxes_of(d, Fill::cross_hatch, 280), 0);  // empty name: no scale
  EXPECT_GT(boxes_of(d, Fill::solid, 280), 0);         // but its bars
  EXPECT_EQ(boxes_of(d, Fill::solid, 610), 0);         // no fifth group
  EXPECT_EQ(income_graph(t, groups, 700, 1000).height, 980);
}

}  // namespace
}  // namespace olvar::foodsecurity
