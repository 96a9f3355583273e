#include "foodsecurity/shock_model.h"

#include <cmath>
#include <optional>

#include "core/text_conversions.h"
#include "foodsecurity/hea_pages.h"

namespace olvar::foodsecurity {

using graphs::Box;
using graphs::Drawing;
using graphs::Fill;
using graphs::kBlack;
using graphs::kWhite;
using graphs::Line;
using graphs::Rgb;
using graphs::Text;

const std::array<std::string_view, kModelResults> kResultLabels = {
    "Requirement per month",
    "Food income per month with adjustments for year 1 and year 2",
    "Food income + food stock + carry over + additional food in beginning of year1/year2",
    "Cash income per month with adjustments for year 1 and year 2",
    "Cash income + cash stock + carry over + additional cash/sales of assets in beginning of "
    "year1/year2 - non food expenditures",
    "Kcals met from food income",
    "Kcals which must be purchased",
    "Cost of purchase",
    "Kcals actually purchased",
    "Cash spend on food",
    "Kcal carry over",
    "Cash carry over",
    "Total Kcals available",
    "% Requirement",
    "Cash spend on non-food",
    "Household non-food costs",
    "% household non-food costs which can be aforded after food requirement met",
    "Price per kcal",
};

namespace {

// A month's requirement uses the mean month length of the reference calendar.
constexpr double kDaysPerMonth = 30.4375000001;

std::optional<int> find_begins(const core::TextGrid& grid, std::string_view heading) {
  for (int row = 0; row < grid.row_count(); ++row) {
    if (grid.cell(0, row).substr(0, heading.size()) == heading) return row;
  }
  return std::nullopt;
}

std::optional<int> find_equal(const core::TextGrid& grid, std::string_view text) {
  for (int row = 0; row < grid.row_count(); ++row) {
    if (grid.cell(0, row) == text) return row;
  }
  return std::nullopt;
}

// The price of one kcal of the purchased diet in month w.
double monthly_price_per_kcal(const HeaTables& tables, int w) {
  const core::TextGrid& shock = tables.shock;
  const auto diet = find_heading(shock, "% of these foods in the diet", 4, false);
  if (!diet) return 0;
  double price = 0;
  for (int row = 4; row < *diet; ++row) {
    const std::string_view name = shock.cell(0, row);
    std::optional<int> food;
    for (int r = 0; r < tables.household.row_count() && !name.empty(); ++r) {
      if (tables.household.cell(1, r) == name) {
        food = r;
        break;
      }
    }
    if (!food) continue;
    const double kcal_per_kg = amount(tables.household, 2, *food);
    if (kcal_per_kg == 0) continue;
    price += amount(shock, w, row) * amount(shock, w, row + *diet - 3) / 100 / kcal_per_kg;
  }
  return price;
}

}  // namespace

ModelResults run_shock_model(const HeaTables& tables, int group, bool include_asset_sale) {
  const core::TextGrid& household = tables.household;
  const core::TextGrid& seasonal = tables.seasonal;
  const core::TextGrid& shock = tables.shock;
  const int g = group + kFirstGroupColumn;
  const auto quantity = [&](int row) { return amount(household, g, row); };

  const double requirement = amount(household, g, 3) * amount(household, g, 4) * kDaysPerMonth;
  const auto fi = find_heading(household, "Food Income", 1, false);
  const auto fs = fi ? find_heading(household, "Food Stocks", *fi, false) : std::nullopt;
  const auto ci = find_heading(household, "Cash Income", 0, false);
  const auto as = find_heading(household, "Assets", 0, false);
  const auto sc = find_heading(seasonal, "Cash Income", 0, false);
  const auto fip = find_heading(shock, "Food income in %", 0, false);
  const auto cip = find_heading(shock, "Cash income in %", 0, false);

  // Non-food costs: a twelfth of the non-dispensable costs each month.
  double non_dispensable = 0, dispensable = 0;
  const auto nd = find_begins(household, "Non dispensable");
  const auto d = find_heading(household, "Dispensable", nd ? *nd + 1 : 0, false);
  if (nd) {
    const int end = d ? *d : household.row_count();
    for (int row = *nd; row < end; ++row) non_dispensable += quantity(row);
  }
  if (d) {
    for (int row = *d; row < household.row_count(); ++row) dispensable += quantity(row);
  }
  const double total_costs = non_dispensable + dispensable;
  const double share = total_costs > 0 ? 100 * non_dispensable / total_costs : 100;
  const double monthly_costs = total_costs / 12 * share / 100;

  double stocks = 0;
  if (fs && ci) {
    for (int row = *fs + 1; row < *ci; ++row) stocks += amount(household, 2, row) * quantity(row);
  }
  double savings = 0;
  if (const auto cs = find_equal(household, "Cash savings")) {
    for (int row = *cs + 1; row <= *cs + 4; ++row) savings += quantity(row);
  }
  const auto gifts = find_heading(shock, "Additional gifts", 2, false);
  double asset_sales[2] = {0, 0};
  if (const auto type = find_equal(shock, "Type"); type && as) {
    const std::vector<int> assets = section_items(household, *as);
    for (std::size_t i = 0; i < assets.size(); ++i) {
      const int row = *type + 1 + static_cast<int>(i);
      for (int y = 0; y < 2; ++y) {
        asset_sales[y] += quantity(assets[i]) * amount(shock, 3 + y, row) *
                          amount(shock, 1 + y, row) / 100;
      }
    }
  }

  ModelResults results;
  for (int w = 1; w <= kModelMonths; ++w) {
    auto& r = results.months[w - 1];
    const int m = (w - 1) % 12 + 1;
    const int year = (w - 1) / 12;  // 0 reference year, 1 Year 1, 2 Year 2

    double food = 0;
    if (fi && fs) {
      for (int c = *fi; c <= *fs; ++c) {
        double kcal = amount(household, 2, c) * quantity(c) * amount(seasonal, m + 1, c - 5) / 100;
        if (year > 0) kcal = fip ? kcal * amount(shock, year, c + *fip - *fi + 1) / 100 : 0;
        food += kcal;
      }
    }
    double cash = 0;
    if (ci && as && sc) {
      for (int c = *ci; c <= *as; ++c) {
        const int shock_row = cip ? c + *cip - *ci + 1 : -1;
        const double price =
            year == 0 ? amount(household, 2, c) : amount(shock, 2 + year, shock_row);
        double money = price * quantity(c) * amount(seasonal, m + 1, c + *sc - *ci) / 100;
        if (year > 0) money *= amount(shock, year, shock_row) / 100;
        cash += money;
      }
    }
    const bool carries = w >= 2 && w != 13;
    const auto* before = w >= 2 ? &results.months[w - 2] : nullptr;

    double food_available = food;
    if (w == 1) food_available += stocks;
    if (w > 12 && gifts) food_available += amount(shock, w - 12, *gifts + 2);
    if (carries) food_available += (*before)[kcal_carry_over];

    double cash_available = cash;
    if (w == 1) cash_available += savings;
    if (w > 12 && gifts) cash_available += amount(shock, w - 12, *gifts + 3);
    if (carries) cash_available += (*before)[cash_carry_over];
    if ((w == 13 || w == 25) && include_asset_sale) cash_available += asset_sales[year - 1];
    cash_available = cash_available > monthly_costs ? cash_available - monthly_costs : 0;

    const double ppk = monthly_price_per_kcal(tables, w);
    const double met = food_available > requirement ? requirement : food_available;
    const double to_purchase = met >= requirement ? 0 : requirement - met;
    const double cost = ppk * to_purchase;
    double purchased = 0;
    if (cash_available > cost) {
      purchased = to_purchase;
    } else if (cash_available > 0 && ppk > 0) {
      purchased = cash_available / ppk;
    }
    const double total = met + purchased;
    const double non_food_paid =
        cash_available - monthly_costs > 0 ? monthly_costs : cash_available;

    r[Result::requirement] = requirement;
    r[Result::food_income] = food;
    r[Result::food_available] = food_available;
    r[Result::cash_income] = cash;
    r[Result::cash_available] = cash_available;
    r[Result::kcals_met] = met;
    r[Result::kcals_to_purchase] = to_purchase;
    r[Result::cost_of_purchase] = cost;
    r[Result::kcals_purchased] = purchased;
    r[Result::cash_spent_on_food] = cost > 0 ? purchased * ppk : 0;
    r[Result::kcal_carry_over] = food_available - met;
    r[Result::cash_carry_over] = cash_available > cost ? cash_available - cost : 0;
    r[Result::total_kcals] = total;
    r[Result::percent_requirement] = requirement > 0 ? 100 * total / requirement : 0;
    r[Result::cash_spent_on_non_food] = non_food_paid;
    r[Result::non_food_costs] = monthly_costs;
    r[Result::percent_non_food] = monthly_costs > 0 ? 100 * non_food_paid / monthly_costs : 100;
    r[Result::price_per_kcal] = ppk;
  }
  return results;
}

namespace {

void append_table(std::string& out, const core::TextGrid& grid, int first_row, int last_row) {
  for (int row = first_row; row <= last_row; ++row) {
    for (int column = 0; column + 1 < grid.column_count(); ++column) {
      out += grid.cell(column, row);
      out += '\t';
    }
    out += '\n';
  }
}

int last_row_with(const core::TextGrid& grid, int column, int from_row) {
  for (int row = from_row; row > 1; --row) {
    if (!grid.cell(column, row).empty()) return row;
  }
  return 1;
}

}  // namespace

std::string shock_report_text(const HeaTables& tables, std::string_view group_name,
                              const ModelResults& results) {
  std::string out = "Results for: ";
  out += group_name;
  out += "\n\n";
  for (const int row : {1, 2}) {
    for (int column = 1; column <= kModelMonths; ++column) {
      out += '\t';
      out += tables.shock.cell(column, row);
    }
    out += '\n';
  }
  for (int k = 0; k < kModelResults; ++k) {
    out += kResultLabels[k];
    out += '\t';
    const int decimals = k == Result::price_per_kcal ? 8 : 2;
    for (int w = 1; w <= kModelMonths; ++w) {
      out += core::format_fixed_trimmed(results.months[w - 1][k], 12, decimals);
      out += '\t';
    }
    out += '\n';
  }
  const core::TextGrid& household = tables.household;
  const core::TextGrid& seasonal = tables.seasonal;
  const core::TextGrid& shock = tables.shock;
  out += "\n\nHousehold data:\n\n";
  append_table(out, household, 0, last_row_with(household, 1, household.row_count() - 2));
  out += "\n\nSeasonal data:\n\n";
  append_table(out, seasonal, 0, last_row_with(seasonal, 1, seasonal.row_count() - 2));
  out += "\n\nModel data:\n\n";
  append_table(out, shock, 1, last_row_with(shock, 0, shock.row_count() - 1));
  return out;
}

Drawing shock_graph(const HeaTables& tables, std::string_view group_name,
                    const ModelResults& results) {
  Drawing drawing{557, 184, {}};
  auto& steps = drawing.steps;
  steps.push_back(Box{0, 0, 557, 184, kWhite, Fill::solid, false});
  steps.push_back(Line{25, 15, 25, 169});
  steps.push_back(Line{10, 154, 544, 154});
  steps.push_back(Text{80, 2,
                       "Fulfilment in %: Energy requirement (blue) and non-food costs (red)",
                       "MS Sans Serif", 9, true});
  steps.push_back(Text{250, 16, std::string(group_name), "MS Sans Serif", 8, false});
  const auto courier = [&](double x, double y, std::string text) {
    steps.push_back(Text{x, y, std::move(text), "Courier New", 8, false});
  };
  courier(15, 4, " % ");
  courier(2, 26, "100");
  courier(2, 56, " 75");
  courier(2, 86, " 50");
  courier(2, 116, " 25");
  std::string letters;
  for (int column = 1; column <= kModelMonths; ++column) {
    const std::string_view name = tables.shock.cell(column, 2);
    letters += name.empty() ? ' ' : name.front();
    letters += ' ';
  }
  courier(30, 156, letters);
  courier(35, 169, "      Reference year            Year 1                   Year 2");
  for (const int y : {34, 64, 94, 124}) {
    for (int i = 0; i <= 64; ++i) steps.push_back(Line{25.0 + 8 * i, double(y), 31.0 + 8 * i, double(y)});
  }
  const Rgb red{255, 0, 0};
  const Rgb blue{0, 0, 255};
  for (int w = 1; w <= 35; ++w) {
    if (w == 12) continue;
    const auto y = [](double percent) { return std::nearbyint(154 - 1.2 * percent); };
    const double x1 = 14 * w + 24;
    const double x2 = 14 * w + 38;
    steps.push_back(Line{x1, y(results.at(w, percent_non_food)), x2,
                         y(results.at(w + 1, percent_non_food)), red, 2});
    steps.push_back(Line{x1, y(results.at(w, percent_requirement)), x2,
                         y(results.at(w + 1, percent_requirement)), blue, 2});
  }
  return drawing;
}

}  // namespace olvar::foodsecurity
