// The shock-year model on a small zone whose months are worked out by hand below, plus the
// report and the graph built from its results.

#include <gtest/gtest.h>

#include <string>

#include "foodsecurity/hea_file.h"
#include "foodsecurity/hea_pages.h"
#include "foodsecurity/shock_model.h"
#include "graphs/svg_renderer.h"
#include "support/test_paths.h"

namespace olvar::foodsecurity {

using graphs::Drawing;
using graphs::Line;
using graphs::Rgb;
using graphs::Step;
using graphs::svg_of;
namespace {

// One wealth group of 4 people eating 2000 kcal a day: R = 4 × 2000 × 30.4375 = 243 500 kcal a
// month. Food income: 400 kg of sorghum at 3000 kcal/kg = 1 200 000 kcal a year, 50 % in the
// first month and 25 % in each of the next two. A stock of 10 kg (30 000 kcal). Cash income:
// 120 days of labour at 100, 10 % of them in each of months 1 to 10 (1 200 a month). Savings
// 500. Non-dispensable costs 2 400 and dispensable 600 a year: 200 a month. Five goats.
HeaTables small_zone() {
  HeaTables t;
  core::TextGrid& h = t.household;
  h.set_cell(3, 0, "Group 1");
  h.set_cell(3, 1, "Poor");
  h.set_cell(0, 2, "Household");
  h.set_cell(3, 3, "4");
  h.set_cell(3, 4, "2000");
  const auto item = [&](int row, const char* name, const char* factor, const char* quantity) {
    h.set_cell(1, row, name);
    h.set_cell(2, row, factor);
    h.set_cell(3, row, quantity);
  };
  h.set_cell(0, 6, "Food Income");
  item(7, "Sorghum #", "3000", "400");
  h.set_cell(0, 8, "Food Stocks");
  item(9, "Grain stock", "3000", "10");
  h.set_cell(0, 10, "Cash Income");
  item(11, "Labour", "100", "120");
  h.set_cell(0, 12, "Assets");
  item(13, "Goats", "1000", "5");
  h.set_cell(0, 14, "Cash savings");
  item(15, "Cash at hand", "", "500");
  h.set_cell(0, 19, "Non dispensable");
  item(20, "Soap", "", "2400");
  h.set_cell(0, 21, "Dispensable");
  item(22, "Clothes", "", "600");

  core::TextGrid& s = t.seasonal;
  s.set_cell(0, 1, "Food Income");
  s.set_cell(1, 2, "Sorghum #");
  s.set_cell(2, 2, "50");
  s.set_cell(3, 2, "25");
  s.set_cell(4, 2, "25");
  s.set_cell(0, 4, "Cash Income");
  s.set_cell(1, 5, "Labour");
  for (int m = 1; m <= 10; ++m) s.set_cell(m + 1, 5, "10");

  // Lay out the shock-year table as the page does, then fill in the assumptions.
  FoodSecurity state;
  state.tables = t;
  set_start_month(state, 0);
  rebuild_shock_table(state.tables);
  core::TextGrid& m = state.tables.shock;
  EXPECT_EQ(m.cell(0, 4), "Sorghum #");       // price row
  EXPECT_EQ(m.cell(0, 6), "Sorghum #");       // diet row
  EXPECT_EQ(m.cell(0, 11), "Sorghum #");      // food income in %
  EXPECT_EQ(m.cell(0, 15), "Labour");         // cash income in %
  EXPECT_EQ(m.cell(0, 17), "Additional gifts");
  EXPECT_EQ(m.cell(0, 26), "Goats");
  for (int w = 1; w <= 36; ++w) {
    // Sorghum costs 3 a kg in the reference year, 6 in Year 1 and 4.5 in Year 2: a kcal costs
    // 0.001, 0.002 and 0.0015.
    m.set_cell(w, 4, w <= 12 ? "3" : w <= 24 ? "6" : "4.5");
    m.set_cell(w, 6, "100");
  }
  m.set_cell(1, 11, "50");   // the harvest halves in Year 1
  m.set_cell(2, 11, "100");
  m.set_cell(1, 15, "20");   // labour falls to a fifth in Year 1
  m.set_cell(2, 15, "100");
  m.set_cell(3, 15, "100");
  m.set_cell(4, 15, "100");
  m.set_cell(1, 19, "10000");  // food gift in month 13
  m.set_cell(2, 20, "300");    // cash gift in month 14
  m.set_cell(1, 26, "40");     // 40 % of the goats sold at 500 in Year 1: 1 000
  m.set_cell(2, 26, "20");     // 20 % at 800 in Year 2: 800
  m.set_cell(3, 26, "500");
  m.set_cell(4, 26, "800");
  return state.tables;
}

TEST(ShockModel, ReferenceYearByHand) {
  const ModelResults r = run_shock_model(small_zone(), 0, true);
  EXPECT_NEAR(r.at(1, requirement), 243500, 1e-3);
  // Month 1: 600 000 + 30 000 stock = 630 000 kcal, 386 500 carried; cash 1 200 + 500 − 200.
  EXPECT_NEAR(r.at(1, food_available), 630000, 1e-3);
  EXPECT_NEAR(r.at(1, kcal_carry_over), 386500, 1e-3);
  EXPECT_NEAR(r.at(1, cash_available), 1500, 1e-6);
  EXPECT_NEAR(r.at(1, percent_requirement), 100, 1e-9);
  // Months 2 to 5 live on the harvest; 256 000 is left after month 4 and 12 500 after month 5.
  EXPECT_NEAR(r.at(5, kcal_carry_over), 12500, 1e-3);
  // Month 6: 12 500 eaten, 231 000 bought for 231; cash 1 200 + 5 500 − 200 = 6 500.
  EXPECT_NEAR(r.at(6, kcals_to_purchase), 231000, 1e-3);
  EXPECT_NEAR(r.at(6, cash_spent_on_food), 231, 1e-6);
  EXPECT_NEAR(r.at(6, cash_carry_over), 6269, 1e-6);
  EXPECT_NEAR(r.at(6, price_per_kcal), 0.001, 1e-12);
  // Months 11 and 12 have no income: 9 295 − 200 − 243.5 = 8 851.5, then 8 408.
  EXPECT_NEAR(r.at(12, cash_carry_over), 8408, 1e-6);
}

TEST(ShockModel, YearOneDeficitByHand) {
  const ModelResults r = run_shock_model(small_zone(), 0, true);
  // Month 13 starts afresh: half the harvest (300 000) + the gift of 10 000 kcal; cash: a fifth
  // of the labour (240) + 1 000 from the goats − 200 = 1 040, all carried.
  EXPECT_NEAR(r.at(13, food_available), 310000, 1e-3);
  EXPECT_NEAR(r.at(13, cash_available), 1040, 1e-6);
  EXPECT_NEAR(r.at(13, kcal_carry_over), 66500, 1e-3);
  // Month 14: 150 000 + 66 500 = 216 500 kcal; 27 000 bought at 0.002 = 54;
  // cash 240 + 300 gift + 1 040 − 200 = 1 380, 1 326 carried.
  EXPECT_NEAR(r.at(14, kcals_purchased), 27000, 1e-3);
  EXPECT_NEAR(r.at(14, cash_carry_over), 1326, 1e-6);
  // Month 15: 93 500 bought for 187: 240 + 1 326 − 200 − 187 = 1 179.
  EXPECT_NEAR(r.at(15, cash_carry_over), 1179, 1e-6);
  // Months 16 and 17: nothing harvested, the whole 243 500 kcal cost 487:
  // 240 + 1 179 − 200 − 487 = 732, then 240 + 732 − 200 − 487 = 285.
  EXPECT_NEAR(r.at(17, cash_carry_over), 285, 1e-6);
  // Month 18: cash 240 + 285 − 200 = 325 buys 325 / 0.002 = 162 500 kcal of 243 500:
  // a deficit of 81 000 kcal, 66.73 % of the requirement; the 200 of non-food costs are paid.
  EXPECT_NEAR(r.at(18, cash_available), 325, 1e-6);
  EXPECT_NEAR(r.at(18, cost_of_purchase), 487, 1e-6);
  EXPECT_NEAR(r.at(18, kcals_purchased), 162500, 1e-3);
  EXPECT_NEAR(r.at(18, kcals_to_purchase) - r.at(18, kcals_purchased), 81000, 1e-3);
  EXPECT_NEAR(r.at(18, percent_requirement), 100.0 * 162500 / 243500, 1e-6);
  EXPECT_NEAR(r.at(18, cash_carry_over), 0, 1e-9);
  EXPECT_NEAR(r.at(18, percent_non_food), 100, 1e-9);
  // Month 19: 240 − 200 = 40 buys 20 000 kcal (8.2 %); 40 − 200 is not above 0, so the non-food
  // costs count as 40 of 200 paid: 20 %.
  EXPECT_NEAR(r.at(19, kcals_purchased), 20000, 1e-3);
  EXPECT_NEAR(r.at(19, cash_spent_on_non_food), 40, 1e-6);
  EXPECT_NEAR(r.at(19, percent_non_food), 20, 1e-9);
  // Months 23 and 24 have neither food nor cash: nothing eaten, nothing paid.
  EXPECT_NEAR(r.at(23, percent_requirement), 0, 1e-9);
  EXPECT_NEAR(r.at(24, cash_available), 0, 1e-9);
  // Month 25 carries over from month 24 (nothing) and sells goats for 800:
  // 1 200 + 800 − 200 = 1 800.
  EXPECT_NEAR(r.at(25, cash_available), 1800, 1e-6);
  EXPECT_NEAR(r.at(25, price_per_kcal), 0.0015, 1e-12);
}

TEST(ShockModel, WithoutAssetSalesOnlyMonths13And25LoseTheSale) {
  const HeaTables t = small_zone();
  const ModelResults with = run_shock_model(t, 0, true);
  const ModelResults without = run_shock_model(t, 0, false);
  for (int w = 1; w <= 12; ++w) EXPECT_EQ(with.months[w - 1], without.months[w - 1]) << w;
  EXPECT_NEAR(with.at(13, cash_available) - without.at(13, cash_available), 1000, 1e-6);
  EXPECT_NEAR(without.at(25, cash_available), 1000, 1e-6);
}

TEST(ShockModel, NoRequirementAndNoCostsGiveZeroAndHundred) {
  HeaTables t = small_zone();
  t.household.set_cell(3, 3, "");
  t.household.set_cell(3, 20, "");
  t.household.set_cell(3, 22, "");
  const ModelResults r = run_shock_model(t, 0, true);
  EXPECT_EQ(r.at(5, percent_requirement), 0);
  EXPECT_EQ(r.at(5, percent_non_food), 100);
}

TEST(ShockModel, ReportAndGraph) {
  const HeaTables t = small_zone();
  const ModelResults r = run_shock_model(t, 0, true);
  const std::string report = shock_report_text(t, "Poor", r);
  EXPECT_EQ(report.substr(0, 20), "Results for: Poor\n\n\t");
  EXPECT_NE(report.find("\nKcals actually purchased\t"), std::string::npos);
  EXPECT_NE(report.find("\t162500.00\t"), std::string::npos);
  EXPECT_NE(report.find("\nPrice per kcal\t0.00100000\t"), std::string::npos);
  EXPECT_NE(report.find("\n\n\nHousehold data:\n\n\t\t\tGroup 1\t"), std::string::npos);
  EXPECT_NE(report.find("\n\n\nModel data:\n\n"), std::string::npos);

  const Drawing graph = shock_graph(t, "Poor", r);
  EXPECT_EQ(graph.width, 557);
  EXPECT_EQ(graph.height, 184);
  // Month 18 to 19: the requirement line falls from 154 − 1.2 × 66.73 to 154 − 1.2 × 8.21.
  bool found = false;
  for (const Step& step : graph.steps) {
    const auto* line = std::get_if<Line>(&step);
    if (line && line->x1 == 14 * 18 + 24 && line->colour == Rgb{0, 0, 255}) {
      EXPECT_EQ(line->y1, 74);
      EXPECT_EQ(line->y2, 144);
      found = true;
    }
  }
  EXPECT_TRUE(found);
  EXPECT_NE(svg_of(graph).find("Fulfilment in %"), std::string::npos);
}

TEST(ShockModel, DefaultZoneVeryPoorFallShortInYearOne) {
  FoodSecurity state;
  const std::string path = test::source_path("data/default.fs");
  adopt_read_tables(state, read_hea_file(path), path);
  rebuild_shock_table(state.tables);
  const ModelResults r = run_shock_model(state.tables, 0, true);
  double reference = 0, shock = 0;
  for (int w = 1; w <= 12; ++w) reference += r.at(w, percent_requirement) / 12;
  for (int w = 13; w <= 24; ++w) shock += r.at(w, percent_requirement) / 12;
  EXPECT_GT(reference, 95);
  EXPECT_LT(shock, reference);
}

}  // namespace
}  // namespace olvar::foodsecurity
