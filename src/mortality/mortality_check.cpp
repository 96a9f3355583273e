#include "mortality/mortality_check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <vector>

#include "core/text_conversions.h"
#include "document/rtf.h"
#include "mortality/death_rates.h"
#include "stats/distributions.h"

namespace olvar::mortality {

namespace {

constexpr int kClusterColumn = 2;
constexpr int kTeamColumn = 3;
constexpr int kHouseholdColumn = 4;
constexpr int kHighestClusterNumber = 999;
constexpr int kOldestAgeShown = 70;

long whole_or(std::string_view text, long fallback) {
  return read_whole_number(text).value_or(fallback);
}

std::string trimmed_fixed(double value, int precision, int decimals) {
  const std::string text = core::format_fixed(static_cast<float>(value), precision, decimals);
  const auto first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

// A ratio whose denominator is 0 (no girls, no older children) has no value; the report says
// "-" there rather than dividing by zero.
std::string ratio_text(double numerator, double denominator) {
  if (denominator == 0) return "-";
  return core::format_fixed(static_cast<float>(numerator / denominator), 3, 2);
}

std::string p_text(double p) { return core::format_fixed(static_cast<float>(p), 4, 3); }

struct Dispersion {
  bool shown = false;
  double index = 0;
  double p = 1;
};

Dispersion dispersion(const std::vector<long>& values) {
  Dispersion d;
  const auto n = static_cast<double>(values.size());
  if (values.size() < 2) return d;
  double sum = 0;
  for (long x : values) sum += static_cast<double>(x);
  const double mean = sum / n;
  if (!(mean > 0)) return d;
  double squares = 0;
  for (long x : values) squares += (static_cast<double>(x) - mean) * (static_cast<double>(x) - mean);
  const double variance = squares / (n - 1);
  d.shown = true;
  d.index = variance / mean;
  const int df = static_cast<int>(values.size()) - 1;
  d.p = stats::ChiSquareUpperP(df, df * d.index);
  return d;
}

void remove_last_separators(std::string& document) {
  for (auto at = document.find(", \\"); at != std::string::npos; at = document.find(", \\", at))
    document.erase(at, 2);
}

}  // namespace

int last_checked_row(const core::TextGrid& individuals) {
  for (int row = individuals.row_count() - 2; row >= 1; --row) {
    if (!individuals.cell(kClusterColumn, row).empty() ||
        !individuals.cell(kTeamColumn, row).empty() ||
        !individuals.cell(kHouseholdColumn, row).empty())
      return row;
  }
  return 1;
}

std::string mortality_plausibility_report(const core::TextGrid& grid,
                                          const core::LanguageTable& text) {
  const int last = last_checked_row(grid);
  auto cell = [&](int column, int row) -> std::string_view {
    return grid.contains(column, row) ? grid.cell(column, row) : std::string_view();
  };
  auto person = [&](int row, int k, PersonField field) {
    return cell(person_column(k, field), row);
  };
  auto entry = [&](int number) -> const std::string& { return text.text(number); };

  std::string doc(document::rtf::kHeaderWithoutMargins);
  doc += entry(1182) + " \\b0\\fs24\\par " + "\\par\\par ";
  doc += "\\b " + entry(1) + " \\b0\\par\\pard\\par ";

  // Missing and contradictory entries; the keys and person strings for the duplicate test.
  std::string missing_key, half_person, born_older;
  std::vector<std::string> keys(static_cast<std::size_t>(last) + 1);
  std::vector<std::string> members(static_cast<std::size_t>(last) + 1);
  for (int r = 1; r <= last; ++r) {
    const std::string number = std::to_string(r) + ", ";
    if (cell(kClusterColumn, r).empty() || cell(kTeamColumn, r).empty() ||
        cell(kHouseholdColumn, r).empty())
      missing_key += number;
    for (int k = 1; k <= kPersons; ++k) {
      if (person(r, k, sex).empty() != person(r, k, age).empty()) half_person += number;
      if (person(r, k, born) == "y" && whole_or(person(r, k, age), 0) >= 1) born_older += number;
    }
    std::string key = std::string(cell(kClusterColumn, r)) + "#" +
                      std::string(cell(kTeamColumn, r)) + "#" + std::string(cell(kHouseholdColumn, r));
    keys[static_cast<std::size_t>(r)] = key.substr(0, 60);
    std::string joined;
    for (int c = person_column(1, sex); c <= person_column(kPersons, location); ++c)
      joined += cell(c, r);
    members[static_cast<std::size_t>(r)] = joined.substr(0, 100);
  }
  doc += entry(1183) + missing_key + "\\par\\par ";
  doc += entry(1184) + half_person + "\\par\\par ";
  doc += entry(1185) + born_older + "\\par\\par ";
  doc += "\\par\\par \\b " + entry(1186) + " \\b0\\par\\par ";

  // Duplicates.
  std::string same_key, same_members, same_both;
  for (int r = 1; r < last; ++r) {
    for (int s = r + 1; s <= last; ++s) {
      const auto ur = static_cast<std::size_t>(r), us = static_cast<std::size_t>(s);
      const std::string pair = std::to_string(r) + " and " + std::to_string(s) + ", ";
      if (keys[ur] == keys[us]) same_key += pair;
      if (members[ur] == members[us]) same_members += pair;
      if (keys[ur] + members[ur] == keys[us] + members[us]) same_both += pair;
    }
  }
  doc += entry(1187) + same_key + "\\par\\par ";
  doc += entry(1188) + same_members + "\\par\\par ";
  doc += entry(1189) + same_both + "\\par\\par ";
  doc += "\\par\\par \\b " + entry(1190) + " \\b0\\par\\par ";

  // Births and deaths per household.
  std::string many_births, many_deaths;
  for (int r = 1; r <= last; ++r) {
    int births = 0, deaths = 0;
    for (int k = 1; k <= kPersons; ++k) {
      births += person(r, k, born) == "y";
      deaths += person(r, k, died) == "y";
    }
    if (births >= 2) many_births += std::to_string(r) + ", ";
    if (deaths >= 3) many_deaths += std::to_string(r) + ", ";
  }
  doc += entry(1191) + many_births + "\\par\\par ";
  doc += entry(1192) + many_deaths + "\\par\\par ";
  remove_last_separators(doc);

  // Households by cluster number: the Cluster cell must be the number's digits exactly.
  doc += "\\par\\par\\b " + entry(1193) + " \\b0\\par\\par ";
  doc += entry(1194) + "\t" + entry(1195) + "\t" + entry(1196) + "\t" + entry(1197) + " \\par\\par ";
  std::array<long, kHighestClusterNumber + 1> households{}, with_child{};
  for (int r = 1; r <= last; ++r) {
    const std::string_view cluster = cell(kClusterColumn, r);
    const auto number = read_whole_number(cluster);
    if (!number || *number < 1 || *number > kHighestClusterNumber ||
        std::to_string(*number) != cluster)
      continue;
    ++households[static_cast<std::size_t>(*number)];
    for (int k = 1; k <= kPersons; ++k) {
      const std::string_view a = person(r, k, age);
      if (!a.empty() && core::parse_tolerant_empty_zero(a) < 5) {
        ++with_child[static_cast<std::size_t>(*number)];
        break;
      }
    }
  }
  for (int c = 1; c <= kHighestClusterNumber; ++c) {
    const auto uc = static_cast<std::size_t>(c);
    if (households[uc] == 0) continue;
    doc += std::to_string(c) + "\t\t" + trimmed_fixed(households[uc], 5, 0) + "\t\t" +
           trimmed_fixed(with_child[uc], 5, 0) + "\t\t\t\t" +
           trimmed_fixed(100.0 * with_child[uc] / households[uc], 5, 1) + "\\par ";
  }
  doc += "\\par ";

  // Age histogram, bars of at most 65 characters.
  doc += "\\par\\par\\b " + entry(898) + " \\b0\\par\\par " + entry(1199) + " \\par\\par ";
  std::array<long, kOldestAgeShown + 1> ages{};
  for (int r = 1; r <= last; ++r) {
    for (int k = 1; k <= kPersons; ++k) {
      const std::string_view a = person(r, k, age);
      if (a.empty()) continue;
      const double rounded = std::nearbyint(core::parse_tolerant_or_zero(a));
      if (rounded >= 1 && rounded <= kOldestAgeShown) ++ages[static_cast<std::size_t>(rounded)];
    }
  }
  const long scale = *std::max_element(ages.begin(), ages.end()) / 65 + 1;
  for (int a = 1; a <= kOldestAgeShown; ++a) {
    std::string label = std::to_string(a);
    label.resize(std::max<std::size_t>(label.size(), 3), ' ');
    const auto bar = static_cast<long>(
        std::nearbyint(static_cast<double>(ages[static_cast<std::size_t>(a)]) / scale));
    doc += "Age < " + label + ": " + std::string(static_cast<std::size_t>(bar), '#') + "\\par ";
  }

  // Sex and age ratios of the children; only whole years count.
  long b01 = 0, b24 = 0, b05 = 0, b59 = 0, g01 = 0, g24 = 0, g05 = 0, g59 = 0;
  for (int r = 1; r <= last; ++r) {
    for (int k = 1; k <= kPersons; ++k) {
      const long months = whole_or(person(r, k, age), -1) * 12;
      if (months < 0) continue;
      const std::string_view s = person(r, k, sex);
      const bool boy = s == "m", girl = s == "f";
      if (!boy && !girl) continue;
      (boy ? b01 : g01) += months < 24;
      (boy ? b24 : g24) += months >= 24 && months < 60;
      (boy ? b05 : g05) += months < 60;
      (boy ? b59 : g59) += months >= 60 && months < 120;
    }
  }
  doc += " \\par\\par\\b " + entry(81) + " \\par\\b0 " + entry(51) + " \\par\\par ";
  auto sex_verdict = [&](double p, long boys, long girls) {
    return " " + entry(p < 0.05 ? (boys > girls ? 52 : 53) : 54);
  };
  auto difference_verdict = [&](double p) { return " " + entry(p < 0.05 ? 48 : 49); };
  const double n5 = static_cast<double>(b01 + b24 + g01 + g24);
  if (n5 > 0) {
    const double e = n5 / 2;
    const double sex_chi = std::pow(e - b01 - b24, 2) / e + std::pow(e - g01 - g24, 2) / e;
    const double p1 = stats::ChiSquareUpperP(1, sex_chi);
    doc += entry(59) + " " + ratio_text(b05, g05) + " (U5) \\tab p-value = " + p_text(p1) +
           sex_verdict(p1, b01 + b24, g01 + g24);
    const double e1 = n5 * 0.411765, e2 = n5 * 0.588235;
    const double age_chi =
        std::pow(b01 + g01 - e1, 2) / e1 + std::pow(b24 + g24 - e2, 2) / e2;
    const double p2 = stats::ChiSquareUpperP(1, age_chi);
    doc += "\\par " + entry(55) + " " + ratio_text(b01 + g01, b24 + g24) +
           " (U5) \\tab p-value = " + p_text(p2) + difference_verdict(p2) + "\\par " + entry(1200);
    const double both_chi = std::pow(b01 - e1 / 2, 2) / (e1 / 2) + std::pow(g01 - e1 / 2, 2) / (e1 / 2) +
                            std::pow(b24 - e2 / 2, 2) / (e2 / 2) + std::pow(g24 - e2 / 2, 2) / (e2 / 2);
    const double p3 = stats::ChiSquareUpperP(1, both_chi);
    doc += "\\par " + entry(58) + " (U5) \\tab p-value = " + p_text(p3) + difference_verdict(p3) +
           "\\par " + entry(1201);
  }
  doc += "\\par\\par ";
  const double n10 = static_cast<double>(b05 + b59 + g05 + g59);
  if (n10 > 0) {
    const double e = n10 / 2;
    const double sex_chi =
        std::pow(e - b05 - b59, 2) / e + std::pow(e - g05 - g59, 2) / e;
    const double p1 = stats::ChiSquareUpperP(1, sex_chi);
    doc += entry(59) + " " + ratio_text(b05 + b59, g05 + g59) + " (U10) \\tab\\tab p-value = " +
           p_text(p1) + sex_verdict(p1, b05 + b59, g05 + g59);
    // The second proportion is 0.47519 (the two sum to 0.999), kept as the check has always
    // computed it so that reports stay comparable.
    const double e1 = n10 * 0.52381, e2 = n10 * 0.47519;
    const double age_chi =
        std::pow(b05 + g05 - e1, 2) / e1 + std::pow(b59 + g59 - e2, 2) / e2;
    const double p2 = stats::ChiSquareUpperP(1, age_chi);
    doc += "\\par " + entry(55) + " " + ratio_text(b05 + g05, b59 + g59) +
           " (U10) \\tab p-value = " + p_text(p2) + difference_verdict(p2) + "\\par " + entry(1202);
    const double both_chi = std::pow(b05 - e1 / 2, 2) / (e1 / 2) + std::pow(g05 - e1 / 2, 2) / (e1 / 2) +
                            std::pow(b59 - e2 / 2, 2) / (e2 / 2) + std::pow(g59 - e2 / 2, 2) / (e2 / 2);
    const double p3 = stats::ChiSquareUpperP(1, both_chi);
    doc += "\\par " + entry(58) + " (U10) \\tab p-value = " + p_text(p3) + difference_verdict(p3) +
           "\\par " + entry(1203);
  }

  // Household size and under-fives per household.
  doc += " \\par\\par\\par\\b " + entry(1204) + " \\b0\\par\\par ";
  if (last >= 2) {
    std::vector<long> sizes, under_fives;
    for (int r = 1; r <= last; ++r) {
      long size = 0, young = 0;
      for (int k = 1; k <= kPersons; ++k) {
        const std::string_view a = person(r, k, age);
        size += !person(r, k, sex).empty() && !a.empty();
        young += !a.empty() && whole_or(a, 0) < 5;
      }
      sizes.push_back(size);
      under_fives.push_back(young);
    }
    const Dispersion size_test = dispersion(sizes);
    if (size_test.shown)
      doc += entry(1205) + core::format_fixed(static_cast<float>(size_test.index), 3, 2) +
             " (p=" + p_text(size_test.p) + ") \\par ";
    const Dispersion young_test = dispersion(under_fives);
    if (young_test.shown)
      doc += entry(1206) + core::format_fixed(static_cast<float>(young_test.index), 3, 2) +
             " (p=" + p_text(young_test.p) + ") \\par " + entry(1207) + " \\par ";
  }

  // Deaths and births between clusters (distinct Cluster texts, compared exactly).
  std::vector<std::string> clusters;
  std::vector<long> deaths, young_deaths, births;
  for (int r = 1; r <= last; ++r) {
    const std::string_view cluster = cell(kClusterColumn, r);
    auto found = std::find(clusters.begin(), clusters.end(), cluster);
    if (found == clusters.end()) {
      clusters.emplace_back(cluster);
      deaths.push_back(0);
      young_deaths.push_back(0);
      births.push_back(0);
      found = clusters.end() - 1;
    }
    const auto i = static_cast<std::size_t>(found - clusters.begin());
    for (int k = 1; k <= kPersons; ++k) {
      if (person(r, k, died) == "y") {
        ++deaths[i];
        if (whole_or(person(r, k, age), 0) < 5) ++young_deaths[i];
      }
      if (person(r, k, born) == "y") ++births[i];
    }
  }
  if (clusters.size() >= 2) {
    const std::array<std::pair<int, const std::vector<long>*>, 3> series{
        {{1208, &deaths}, {1209, &young_deaths}, {1210, &births}}};
    for (const auto& [number, values] : series) {
      const Dispersion d = dispersion(*values);
      if (!d.shown) continue;
      doc += entry(number) + core::format_fixed(static_cast<float>(d.index), 3, 2) + " (p=" +
             p_text(d.p) + ") \\par ";
      if (number == 1210) doc += entry(1211) + " \\par\\par " + entry(45) + entry(1212) + " \\par\\par ";
    }
  }
  return doc;
}

}  // namespace olvar::mortality
