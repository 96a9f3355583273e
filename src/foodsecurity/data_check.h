#pragma once
// The two windows that help judge the reference-year data before the shock-year model is run:
// the check of entered data (per wealth group the energy requirement against the food income,
// the cash income against the non-food costs and the food to buy) and the graph of the income
// sources. Both only read the tables.

#include <string>
#include <vector>

#include "core/text_grid.h"
#include "graphs/display_list.h"
#include "foodsecurity/hea_tables.h"

namespace olvar::foodsecurity {

inline constexpr int kCheckRows = 15;
inline constexpr std::string_view kCheckTitle = "Check of entered data for reference year";
inline constexpr std::string_view kIncomeGraphTitle =
    "Percent contribution of the various income sources for the different wealth groups";
inline constexpr std::string_view kClipboardMessage =
    "The diagram is saved in the clipboard and can be integrated in another application.";

// The price of one kcal of the purchased diet, averaged over the twelve reference-year months.
double reference_price_per_kcal(const HeaTables& tables);

// Fills the check table (15 rows, a column per wealth group after the labels). Cells a pass does
// not write keep what an earlier pass wrote, as the window recomputes into its own table.
void fill_check_table(core::TextGrid& table, const HeaTables& tables);
core::TextGrid check_table(const HeaTables& tables);

// The income graph for the window's scroll area; the first four rows of the wealth group list
// name the groups.
graphs::Drawing income_graph(const HeaTables& tables, const std::vector<std::string>& wealth_groups,
                     int area_width, int area_height);

}  // namespace olvar::foodsecurity
