#pragma once
// The shock-year model: for one wealth group, month by month over the reference year and two
// years with a shock, how much of the energy requirement the household meets from its own food,
// stocks, gifts and purchases, and how much of its non-food costs it can still pay. Months 1 to
// 12 are the reference year, 13 to 24 Year 1 and 25 to 36 Year 2; month 13 starts afresh, month
// 25 carries over from month 24.

#include <array>
#include <string>
#include <string_view>

#include "graphs/display_list.h"
#include "foodsecurity/hea_tables.h"

namespace olvar::foodsecurity {

inline constexpr int kModelMonths = 36;
inline constexpr int kModelResults = 18;

enum Result {
  requirement = 0,
  food_income,
  food_available,
  cash_income,
  cash_available,
  kcals_met,
  kcals_to_purchase,
  cost_of_purchase,
  kcals_purchased,
  cash_spent_on_food,
  kcal_carry_over,
  cash_carry_over,
  total_kcals,
  percent_requirement,
  cash_spent_on_non_food,
  non_food_costs,
  percent_non_food,
  price_per_kcal,
};

// The labels of the results, in order, as the spreadsheet report writes them.
extern const std::array<std::string_view, kModelResults> kResultLabels;

struct ModelResults {
  // months[w - 1][result]
  std::array<std::array<double, kModelResults>, kModelMonths> months{};
  double at(int month, Result result) const { return months[month - 1][result]; }
};

// Runs the model for the wealth group whose quantities are in household column group + 3.
ModelResults run_shock_model(const HeaTables& tables, int group, bool include_asset_sale);

// The table "Excel Report" hands to the spreadsheet: the monthly results of the group, then the
// household, seasonal and shock-year tables. Lines end in a line feed, cells in a tab.
std::string shock_report_text(const HeaTables& tables, std::string_view group_name,
                              const ModelResults& results);

// The graph of the two coverage percentages, 557 × 184 pixels.
graphs::Drawing shock_graph(const HeaTables& tables, std::string_view group_name,
                    const ModelResults& results);

}  // namespace olvar::foodsecurity
