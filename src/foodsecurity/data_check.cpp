#include "foodsecurity/data_check.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "core/text_conversions.h"

namespace olvar::foodsecurity {

using graphs::Box;
using graphs::Drawing;
using graphs::Fill;
using graphs::kBlack;
using graphs::kWhite;
using graphs::Line;
using graphs::Rgb;
using graphs::Text;

namespace {

std::optional<int> find_equal(const core::TextGrid& grid, int column, std::string_view text,
                              int from_row, int before_row) {
  for (int row = from_row; row < before_row; ++row) {
    if (grid.cell(column, row) == text) return row;
  }
  return std::nullopt;
}

struct GroupSums {
  double requirement = 0, food = 0, cash = 0, non_dispensable = 0, dispensable = 0;
};

GroupSums sums_for(const core::TextGrid& household, int g) {
  const int fourth_last = household.row_count() - 4;
  const auto value = [&](int c, int r) { return amount(household, c, r); };
  GroupSums sums;
  sums.requirement = value(g, 3) * value(g, 4) * 365.25;
  const auto income = [&](std::string_view heading) {
    double total = 0;
    if (const auto row = find_equal(household, 0, heading, 0, household.row_count())) {
      for (int r = *row + 1; r <= fourth_last && household.cell(0, r).empty(); ++r) {
        total += value(2, r) * value(g, r);
      }
    }
    return total;
  };
  sums.food = income("Food Income");
  sums.cash = income("Cash Income");
  if (const auto row = find_equal(household, 0, "Non dispensable", 0, household.row_count())) {
    for (int r = *row + 1; r <= fourth_last && !contains(household.cell(0, r), "Dispensable");
         ++r) {
      sums.non_dispensable += value(g, r);
    }
  }
  if (const auto row = find_equal(household, 0, "Dispensable", 0, household.row_count())) {
    for (int r = *row + 1; r <= fourth_last; ++r) sums.dispensable += value(g, r);
  }
  return sums;
}

std::string right_aligned(std::string text) {
  if (text.size() < 16) text.insert(0, 16 - text.size(), ' ');
  return text;
}

std::string whole(double value) { return core::format_fixed_trimmed(value, 12, 0); }
std::string percent(double value) { return whole(value) + " %"; }

}  // namespace

double reference_price_per_kcal(const HeaTables& tables) {
  const core::TextGrid& household = tables.household;
  const core::TextGrid& shock = tables.shock;
  const int limit = shock.row_count() - 3;
  double price = 0;
  for (int row = 0; row < household.row_count(); ++row) {
    const std::string name(household.cell(1, row));
    if (!contains(name, "#")) continue;
    const double kcal_per_kg = amount(household, 2, row);
    const auto price_row = find_equal(shock, 0, name, 0, limit);
    const auto diet_row = price_row ? find_equal(shock, 0, name, *price_row + 1, limit) : std::nullopt;
    if (!diet_row) continue;
    double sum = 0;
    for (int m = 1; m <= 12; ++m) sum += amount(shock, m, *price_row) * amount(shock, m, *diet_row) / 100;
    if (kcal_per_kg != 0) price += sum / (12 * kcal_per_kg);
  }
  return price;
}

void fill_check_table(core::TextGrid& table, const HeaTables& tables) {
  const std::vector<std::string> groups = household_wealth_groups(tables);
  const int columns = static_cast<int>(groups.size()) + 1;
  if (table.column_count() != columns || table.row_count() != kCheckRows) {
    table.resize(columns, kCheckRows);
  }
  const char* labels[] = {"",
                          "Household Kcal requirement",
                          "Food income kcal",
                          "% Kcals met from food income",
                          "Cash income",
                          "Actual non food costs (non dispensable)",
                          "Full non-food costs (dispensable)",
                          "Kcal which should be bought",
                          "Kcal which can be bought",
                          "Kcal deficit",
                          "Cash remaining",
                          "        % which can be afforded:",
                          "Kcal requirement",
                          "Actual non food costs (non dispensable)",
                          "Full non-food costs (dispensable)"};
  for (int row = 1; row < kCheckRows; ++row) table.set_cell(0, row, labels[row]);

  const double p = reference_price_per_kcal(tables);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const int column = static_cast<int>(i) + 1;
    const auto put = [&](int row, std::string text) {
      table.set_cell(column, row, right_aligned(std::move(text)));
    };
    const GroupSums s = sums_for(tables.household, static_cast<int>(i) + kFirstGroupColumn);
    const double r = s.requirement, f = s.food, c = s.cash, n = s.non_dispensable,
                 d = s.dispensable;
    const double k = r - f;
    put(0, groups[i]);
    put(1, whole(r));
    put(2, whole(f));
    if (r > 0) put(3, percent(f * 100 / r));
    put(4, whole(c));
    put(5, whole(n));
    put(6, whole(d));
    put(7, whole(k));
    if (p <= 0) continue;
    const double b = std::max((c - n) / p, 0.0);
    put(8, whole(b));
    put(9, k <= b ? "0" : whole(k - b));
    const double x = c - d - n - k * p;
    put(10, x < 0 ? "0" : whole(x));
    // With no requirement there is nothing to divide by; the group needs nothing.
    put(12, k <= b ? "100 %" : (r != 0 ? percent(100 - (k - b) * 100 / r) : "-"));
    put(13, c > n ? "100 %" : (n > 0 ? percent(c * 100 / n) : "-"));
    const double y = c - n - k * p;
    if (d <= 0) {
      put(14, "-");
    } else if (f > r || y > d) {
      put(14, "100 %");
    } else {
      put(14, y > 0 ? percent(y * 100 / d) : "0 %");
    }
  }
}

core::TextGrid check_table(const HeaTables& tables) {
  core::TextGrid table;
  fill_check_table(table, tables);
  return table;
}

Drawing income_graph(const HeaTables& tables, const std::vector<std::string>& wealth_groups,
                     int area_width, int area_height) {
  const core::TextGrid& household = tables.household;
  const int end = household.row_count() - 2;  // the last two rows are never looked at
  int at = 1;
  const auto next = [&](std::string_view heading) -> std::optional<int> {
    for (; at < end; ++at) {
      if (household.cell(0, at).substr(0, heading.size()) == heading) return at;
    }
    return std::nullopt;
  };
  const auto food_first = next("Food Income");
  const auto food_stocks = next("Food Stocks");
  const auto cash_first = next("Cash Income");
  const auto assets = next("Assets");
  const auto savings = next("Cash savings");

  struct Section {
    const char* title;
    Rgb colour;
    std::optional<int> first, after;
  };
  const Section sections[] = {{"Food Income", {255, 0, 0}, food_first, food_stocks},
                              {"Cash Income", {0, 0, 255}, cash_first, assets},
                              {"Assets", {0, 128, 0}, assets, savings}};
  int lines = 0;
  for (const Section& s : sections) {
    if (s.first && s.after) lines += *s.after - 1 - *s.first;
  }
  // The three section headers take 94 pixels each and every row of a section, its heading
  // included, 22: the classic height formula falls 14 pixels short of the last bar, so the
  // picture is at least as high as what is drawn on it.
  int drawn = 3 * 94 + 10;
  for (const Section& s : sections) {
    if (s.first && s.after) drawn += (*s.after - *s.first) * 22;
  }
  const int needed = std::max((lines + 12) * 22 + 70, drawn);
  Drawing drawing{area_width, area_height > needed ? area_height - 20 : needed, {}};
  auto& steps = drawing.steps;
  steps.push_back(Box{0, 0, double(drawing.width), double(drawing.height), kWhite});
  steps.push_back(Text{15, 0, std::string(kIncomeGraphTitle), "Times", 13});
  const double xs[] = {170, 280, 390, 500};
  const auto name = [&](int i) {
    return i < static_cast<int>(wealth_groups.size()) ? wealth_groups[i] : std::string();
  };
  double t = 0;
  for (const Section& s : sections) {
    for (int i = 0; i < 4; ++i) steps.push_back(Text{xs[i], t + 22, name(i), "Times", 12});
    for (int i = 0; i < 4; ++i) {
      if (name(i).empty()) continue;
      steps.push_back(Box{xs[i], t + 42, xs[i] + 100, t + 60, kBlack, Fill::cross_hatch, true});
      steps.push_back(Text{xs[i] + 20, t + 60, "(100 %)", "Times", 10});
    }
    steps.push_back(Text{5, t + 72, s.title, "Times", 12});
    t += 94;
    if (!s.first || !s.after) continue;
    const int first = *s.first, last = *s.after - 1;
    for (int r = first; r <= last; ++r) {
      steps.push_back(Text{5, t + 22.0 * (r - first), std::string(household.cell(1, r)), "Times", 10});
    }
    double totals[4] = {0, 0, 0, 0};
    for (int r = first; r <= last; ++r) {
      for (int i = 0; i < 4; ++i) totals[i] += amount(household, 2, r) * amount(household, 3 + i, r);
    }
    for (int r = first; r <= last; ++r) {
      for (int i = 0; i < 4; ++i) {
        const double v = amount(household, 2, r) * amount(household, 3 + i, r);
        if (v == 0 || totals[i] == 0) continue;
        const double w = std::nearbyint(v / totals[i] * 100);
        steps.push_back(Box{xs[i], t, xs[i] + w, t + 21, s.colour});
      }
      t += 22;
    }
  }
  return drawing;
}

}  // namespace olvar::foodsecurity
