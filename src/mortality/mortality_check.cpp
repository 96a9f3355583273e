#include "mortality/mortality_check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/text_conversions.h"
#include "document/rtf.h"
#include "mortality/death_rates.h"
#include "mortality/household_rows.h"

namespace olvar::mortality {

namespace {

constexpr int kClusterColumn = 2;
constexpr int kTeamColumn = 3;
constexpr int kHouseholdColumn = 4;
constexpr int kHighestClusterNumber = 999;
constexpr long kLongestBar = 65;  // characters of the histogram's longest bar

long whole_or(std::string_view text, long fallback) {
  return read_whole_number(text).value_or(fallback);
}

std::optional<stats::Dispersion> dispersion(const std::vector<long>& counts) {
  const std::vector<double> values(counts.begin(), counts.end());
  return stats::index_of_dispersion(values);
}

// The children of one span against a sex ratio of one and an expected share of the younger
// ones. Each test has one degree of freedom, the four-group test included, so that the
// p-values stay comparable with the reports this check has always written.
ChildRatios child_ratios(long younger_boys, long older_boys, long younger_girls,
                         long older_girls, double younger_share, double older_share) {
  ChildRatios r;
  r.younger_boys = younger_boys;
  r.older_boys = older_boys;
  r.younger_girls = younger_girls;
  r.older_girls = older_girls;
  const double n = static_cast<double>(younger_boys + older_boys + younger_girls + older_girls);
  const double half = n / 2;
  r.sex = stats::chi_square_test(
      std::array{static_cast<double>(r.boys()), static_cast<double>(r.girls())},
      std::array{half, half}, 1);
  r.expected_younger = n * younger_share;
  r.expected_older = n * older_share;
  r.age = stats::chi_square_test(
      std::array{static_cast<double>(younger_boys + younger_girls),
                 static_cast<double>(older_boys + older_girls)},
      std::array{r.expected_younger, r.expected_older}, 1);
  const double ey = r.expected_younger / 2, eo = r.expected_older / 2;
  r.age_sex = stats::chi_square_test(
      std::array{static_cast<double>(younger_boys), static_cast<double>(younger_girls),
                 static_cast<double>(older_boys), static_cast<double>(older_girls)},
      std::array{ey, ey, eo, eo}, 1);
  return r;
}

// --- Layout --------------------------------------------------------------------------------

std::string trimmed_fixed(double value, int precision, int decimals) {
  const std::string text = core::format_fixed(static_cast<float>(value), precision, decimals);
  const auto first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

// A ratio without a denominator (no girls, no older children) has no value; the report says
// "-" there.
std::string ratio_text(std::optional<double> ratio) {
  return ratio ? core::format_fixed(static_cast<float>(*ratio), 3, 2) : "-";
}

std::string p_text(double p) { return core::format_fixed(static_cast<float>(p), 4, 3); }

std::string index_text(const stats::Dispersion& d) {
  return core::format_fixed(static_cast<float>(d.index), 3, 2) + " (p=" + p_text(d.p) + ")";
}

std::string row_list(const std::vector<int>& rows) {
  std::string list;
  for (int row : rows) list += (list.empty() ? "" : ", ") + std::to_string(row);
  return list;
}

// The rows of each group. A group of up to four rows is named as its pairs, "3 and 4" (at
// most six of them), all such pairs in the order of their rows; a larger group, after them,
// as its size and its rows, the first 20 named: "(8000 households: 1, 2, ..., 20 and 7980
// more)". Thousands of copies of one household so make one entry, not millions of pairs.
std::string group_list(const std::vector<std::vector<int>>& groups) {
  constexpr std::size_t kLargestNamedAsPairs = 4;
  constexpr std::size_t kRowsNamed = 20;
  std::vector<std::pair<int, int>> pairs;
  for (const std::vector<int>& rows : groups) {
    if (rows.size() > kLargestNamedAsPairs) continue;
    for (std::size_t i = 0; i < rows.size(); ++i)
      for (std::size_t j = i + 1; j < rows.size(); ++j) pairs.emplace_back(rows[i], rows[j]);
  }
  std::sort(pairs.begin(), pairs.end());
  std::string list;
  for (const auto& [first, second] : pairs)
    list += (list.empty() ? "" : ", ") + std::to_string(first) + " and " + std::to_string(second);
  for (const std::vector<int>& rows : groups) {
    if (rows.size() <= kLargestNamedAsPairs) continue;
    std::string text = "(" + std::to_string(rows.size()) + " households: ";
    const std::size_t named = std::min(rows.size(), kRowsNamed);
    for (std::size_t i = 0; i < named; ++i) {
      if (i > 0) text += (i + 1 == named && named == rows.size()) ? " and " : ", ";
      text += std::to_string(rows[i]);
    }
    if (named < rows.size()) text += " and " + std::to_string(rows.size() - named) + " more";
    list += (list.empty() ? "" : ", ") + text + ")";
  }
  return list;
}

}  // namespace

std::optional<double> ChildRatios::sex_ratio() const {
  if (girls() == 0) return std::nullopt;
  return static_cast<double>(boys()) / static_cast<double>(girls());
}

std::optional<double> ChildRatios::age_ratio() const {
  const long older = older_boys + older_girls;
  if (older == 0) return std::nullopt;
  return static_cast<double>(younger_boys + younger_girls) / static_cast<double>(older);
}

int last_checked_row(const core::TextGrid& individuals) {
  for (int row = individuals.row_count() - 2; row >= 1; --row) {
    if (!individuals.cell(kClusterColumn, row).empty() ||
        !individuals.cell(kTeamColumn, row).empty() ||
        !individuals.cell(kHouseholdColumn, row).empty())
      return row;
  }
  return 1;
}

MortalityCheckValues mortality_check_values(const core::TextGrid& grid) {
  MortalityCheckValues v;
  const int last = last_checked_row(grid);
  v.last_row = last;
  auto cell = [&](int column, int row) -> std::string_view {
    return grid.contains(column, row) ? grid.cell(column, row) : std::string_view();
  };
  auto person = [&](int row, int k, PersonField field) {
    return cell(person_column(k, field), row);
  };

  // The first row of the household of each row: a household of more than kPersons persons
  // goes on in the rows below its first and counts once.
  std::vector<int> first_of(static_cast<std::size_t>(last) + 1);
  for (int r = 1; r <= last; ++r) {
    first_of[static_cast<std::size_t>(r)] =
        continues_household(grid, r) ? first_of[static_cast<std::size_t>(r - 1)] : r;
  }
  const auto continues = [&](int r) { return first_of[static_cast<std::size_t>(r)] != r; };

  // Missing and contradictory entries; the keys and person strings for the duplicate test.
  std::vector<std::string> keys(static_cast<std::size_t>(last) + 1);
  std::vector<std::string> members(static_cast<std::size_t>(last) + 1);
  for (int r = 1; r <= last; ++r) {
    if (cell(kClusterColumn, r).empty() || cell(kTeamColumn, r).empty() ||
        cell(kHouseholdColumn, r).empty())
      v.households_with_key_missing.push_back(r);
    for (int k = 1; k <= kPersons; ++k) {
      if (person(r, k, sex).empty() != person(r, k, age).empty())
        v.persons_with_sex_or_age_missing.push_back(r);
      if (person(r, k, born) == "y" && whole_or(person(r, k, age), 0) >= 1)
        v.births_aged_one_or_more.push_back(r);
    }
    // The key and the members are compared on their first 60 and 100 characters.
    std::string key = std::string(cell(kClusterColumn, r)) + "#" +
                      std::string(cell(kTeamColumn, r)) + "#" + std::string(cell(kHouseholdColumn, r));
    keys[static_cast<std::size_t>(r)] = key.substr(0, 60);
    std::string joined;
    for (int c = person_column(1, sex); c <= person_column(kPersons, location); ++c)
      joined += cell(c, r);
    members[static_cast<std::size_t>(r)] = joined.substr(0, 100);
  }

  // Rows of equal text fall into one group; a table of identical rows costs one pass. A
  // household's rows below its first are part of it, not households of their own.
  const auto groups_of = [&](const auto& text_of_row) {
    std::unordered_map<std::string, std::size_t> group_of_text;
    std::vector<std::vector<int>> groups;
    for (int r = 1; r <= last; ++r) {
      if (continues(r)) continue;
      const auto [at, added] =
          group_of_text.emplace(text_of_row(static_cast<std::size_t>(r)), groups.size());
      if (added) groups.emplace_back();
      groups[at->second].push_back(r);
    }
    std::erase_if(groups, [](const std::vector<int>& rows) { return rows.size() < 2; });
    return groups;
  };
  v.same_key = groups_of([&](std::size_t r) { return keys[r]; });
  v.same_members = groups_of([&](std::size_t r) { return members[r]; });
  // The key part is cut to 60 characters at most; its length keeps "1#1#1" + "2" apart from
  // "1#1#12" + "".
  v.same_key_and_members = groups_of(
      [&](std::size_t r) { return std::to_string(keys[r].size()) + ":" + keys[r] + members[r]; });

  // Births and deaths per household, named by its first row.
  for (int r = 1; r <= last;) {
    int births = 0, deaths = 0;
    int next = r;
    do {
      for (int k = 1; k <= kPersons; ++k) {
        births += person(next, k, born) == "y";
        deaths += person(next, k, died) == "y";
      }
      ++next;
    } while (next <= last && continues(next));
    if (births >= 2) v.two_or_more_births.push_back(r);
    if (deaths >= 3) v.three_or_more_deaths.push_back(r);
    r = next;
  }

  // Households by cluster number: the Cluster cell must be the number's digits exactly.
  std::array<long, kHighestClusterNumber + 1> households{}, with_child{};
  std::vector<bool> child_counted(static_cast<std::size_t>(last) + 1, false);
  for (int r = 1; r <= last; ++r) {
    const std::string_view cluster = cell(kClusterColumn, r);
    const auto number = read_whole_number(cluster);
    if (!number || *number < 1 || *number > kHighestClusterNumber ||
        std::to_string(*number) != cluster)
      continue;
    const auto first = static_cast<std::size_t>(first_of[static_cast<std::size_t>(r)]);
    if (!continues(r)) ++households[static_cast<std::size_t>(*number)];
    for (int k = 1; k <= kPersons && !child_counted[first]; ++k) {
      const std::string_view a = person(r, k, age);
      if (!a.empty() && core::parse_tolerant_empty_zero(a) < 5) {
        ++with_child[static_cast<std::size_t>(*number)];
        child_counted[first] = true;
      }
    }
  }
  for (int c = 1; c <= kHighestClusterNumber; ++c) {
    const auto uc = static_cast<std::size_t>(c);
    if (households[uc] > 0) v.households_by_cluster.push_back({c, households[uc], with_child[uc]});
  }

  // Age histogram: every age that reads as a number, rounded half to even.
  for (int r = 1; r <= last; ++r) {
    for (int k = 1; k <= kPersons; ++k) {
      const std::string_view a = person(r, k, age);
      if (a.empty()) continue;
      const double rounded = std::nearbyint(core::parse_tolerant_or_zero(a));
      if (rounded >= 1 && rounded <= kOldestAgeShown)
        ++v.persons_by_age[static_cast<std::size_t>(rounded)];
    }
  }

  // Sex and age ratios of the children; only whole years count (compared as years, so that an
  // absurd age typed cannot overflow on its way to months).
  long b01 = 0, b24 = 0, b05 = 0, b59 = 0, g01 = 0, g24 = 0, g05 = 0, g59 = 0;
  for (int r = 1; r <= last; ++r) {
    for (int k = 1; k <= kPersons; ++k) {
      const long years = whole_or(person(r, k, age), -1);
      if (years < 0) continue;
      const std::string_view s = person(r, k, sex);
      const bool boy = s == "m", girl = s == "f";
      if (!boy && !girl) continue;
      (boy ? b01 : g01) += years < 2;
      (boy ? b24 : g24) += years >= 2 && years < 5;
      (boy ? b05 : g05) += years < 5;
      (boy ? b59 : g59) += years >= 5 && years < 10;
    }
  }
  if (b01 + b24 + g01 + g24 > 0) v.under_five = child_ratios(b01, b24, g01, g24, 0.411765, 0.588235);
  // The second share is 0.47519 (the two sum to 0.999), kept as the check has always computed
  // it so that reports stay comparable.
  if (b05 + b59 + g05 + g59 > 0) v.under_ten = child_ratios(b05, b59, g05, g59, 0.52381, 0.47519);

  // Household size and under-fives per household.
  if (last >= 2) {
    std::vector<long> sizes, under_fives;
    for (int r = 1; r <= last; ++r) {
      long size = 0, young = 0;
      for (int k = 1; k <= kPersons; ++k) {
        const std::string_view a = person(r, k, age);
        size += !person(r, k, sex).empty() && !a.empty();
        young += !a.empty() && whole_or(a, 0) < 5;
      }
      if (continues(r)) {
        sizes.back() += size;
        under_fives.back() += young;
        continue;
      }
      sizes.push_back(size);
      under_fives.push_back(young);
    }
    v.household_size = dispersion(sizes);
    v.under_fives_per_household = dispersion(under_fives);
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
  v.deaths_by_cluster = dispersion(deaths);
  v.under_five_deaths_by_cluster = dispersion(young_deaths);
  v.births_by_cluster = dispersion(births);
  return v;
}

std::string mortality_plausibility_report(const MortalityCheckValues& v,
                                          const core::LanguageTable& text) {
  auto entry = [&](int number) -> const std::string& { return text.text(number); };

  std::string doc(document::rtf::kHeaderWithoutMargins);
  doc += entry(1182) + " \\b0\\fs24\\par " + "\\par\\par ";
  doc += "\\b " + entry(1) + " \\b0\\par\\pard\\par ";

  doc += entry(1183) + row_list(v.households_with_key_missing) + "\\par\\par ";
  doc += entry(1184) + row_list(v.persons_with_sex_or_age_missing) + "\\par\\par ";
  doc += entry(1185) + row_list(v.births_aged_one_or_more) + "\\par\\par ";
  doc += "\\par\\par \\b " + entry(1186) + " \\b0\\par\\par ";

  doc += entry(1187) + group_list(v.same_key) + "\\par\\par ";
  doc += entry(1188) + group_list(v.same_members) + "\\par\\par ";
  doc += entry(1189) + group_list(v.same_key_and_members) + "\\par\\par ";
  doc += "\\par\\par \\b " + entry(1190) + " \\b0\\par\\par ";

  doc += entry(1191) + row_list(v.two_or_more_births) + "\\par\\par ";
  doc += entry(1192) + row_list(v.three_or_more_deaths) + "\\par\\par ";

  doc += "\\par\\par\\b " + entry(1193) + " \\b0\\par\\par ";
  doc += entry(1194) + "\t" + entry(1195) + "\t" + entry(1196) + "\t" + entry(1197) + " \\par\\par ";
  for (const ClusterHouseholds& c : v.households_by_cluster) {
    doc += std::to_string(c.cluster) + "\t\t" + trimmed_fixed(static_cast<double>(c.households), 5, 0) +
           "\t\t" + trimmed_fixed(static_cast<double>(c.with_child), 5, 0) + "\t\t\t\t" +
           trimmed_fixed(100.0 * static_cast<double>(c.with_child) / static_cast<double>(c.households),
                         5, 1) +
           "\\par ";
  }
  doc += "\\par ";

  // Age histogram: one '#' per `scale` persons, so that the longest bar has at most 65.
  doc += "\\par\\par\\b " + entry(898) + " \\b0\\par\\par " + entry(1199) + " \\par\\par ";
  const long scale =
      *std::max_element(v.persons_by_age.begin(), v.persons_by_age.end()) / kLongestBar + 1;
  for (int a = 1; a <= kOldestAgeShown; ++a) {
    std::string label = std::to_string(a);
    label.resize(std::max<std::size_t>(label.size(), 3), ' ');
    const auto bar = static_cast<long>(std::nearbyint(
        static_cast<double>(v.persons_by_age[static_cast<std::size_t>(a)]) / scale));
    doc += "Age < " + label + ": " + std::string(static_cast<std::size_t>(bar), '#') + "\\par ";
  }

  doc += " \\par\\par\\b " + entry(81) + " \\par\\b0 " + entry(51) + " \\par\\par ";
  auto sex_verdict = [&](const ChildRatios& r) {
    return " " + entry(r.sex.p < 0.05 ? (r.boys() > r.girls() ? 52 : 53) : 54);
  };
  auto difference_verdict = [&](double p) { return " " + entry(p < 0.05 ? 48 : 49); };
  if (v.under_five) {
    const ChildRatios& r = *v.under_five;
    doc += entry(59) + " " + ratio_text(r.sex_ratio()) + " (U5) \\tab p-value = " + p_text(r.sex.p) +
           sex_verdict(r);
    doc += "\\par " + entry(55) + " " + ratio_text(r.age_ratio()) + " (U5) \\tab p-value = " +
           p_text(r.age.p) + difference_verdict(r.age.p) + "\\par " + entry(1200);
    doc += "\\par " + entry(58) + " (U5) \\tab p-value = " + p_text(r.age_sex.p) +
           difference_verdict(r.age_sex.p) + "\\par " + entry(1201);
  }
  doc += "\\par\\par ";
  if (v.under_ten) {
    const ChildRatios& r = *v.under_ten;
    doc += entry(59) + " " + ratio_text(r.sex_ratio()) + " (U10) \\tab\\tab p-value = " +
           p_text(r.sex.p) + sex_verdict(r);
    doc += "\\par " + entry(55) + " " + ratio_text(r.age_ratio()) + " (U10) \\tab p-value = " +
           p_text(r.age.p) + difference_verdict(r.age.p) + "\\par " + entry(1202);
    doc += "\\par " + entry(58) + " (U10) \\tab p-value = " + p_text(r.age_sex.p) +
           difference_verdict(r.age_sex.p) + "\\par " + entry(1203);
  }

  doc += " \\par\\par\\par\\b " + entry(1204) + " \\b0\\par\\par ";
  if (v.household_size) doc += entry(1205) + index_text(*v.household_size) + " \\par ";
  if (v.under_fives_per_household)
    doc += entry(1206) + index_text(*v.under_fives_per_household) + " \\par " + entry(1207) + " \\par ";

  if (v.deaths_by_cluster) doc += entry(1208) + index_text(*v.deaths_by_cluster) + " \\par ";
  if (v.under_five_deaths_by_cluster)
    doc += entry(1209) + index_text(*v.under_five_deaths_by_cluster) + " \\par ";
  if (v.births_by_cluster) {
    doc += entry(1210) + index_text(*v.births_by_cluster) + " \\par ";
    doc += entry(1211) + " \\par\\par " + entry(45) + entry(1212) + " \\par\\par ";
  }
  return doc;
}

std::string mortality_plausibility_report(const core::TextGrid& individuals,
                                          const core::LanguageTable& text) {
  return mortality_plausibility_report(mortality_check_values(individuals), text);
}

}  // namespace olvar::mortality
