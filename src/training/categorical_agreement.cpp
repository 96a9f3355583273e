#include "training/categorical_agreement.h"

#include <algorithm>

#include "core/text_conversions.h"
#include "document/rtf.h"
#include "training/training_grid.h"

namespace olvar::training {

namespace {

constexpr core::LanguageEntry kTitle{1115};
constexpr core::LanguageEntry kChildren{1116};
constexpr core::LanguageEntry kKappaOf{1117};
constexpr core::LanguageEntry kBandsHeading{1118};
constexpr core::LanguageEntry kBands[] = {{1119}, {1120}, {1121}, {1122}, {1123}, {1124}};
constexpr const char* kBandTexts[] = {" < 0.00 \\par ",      " 0.00 - 0.20 \\par ",
                                      " 0.21 - 0.40 \\par ", " 0.41 - 0.60 \\par ",
                                      " 0.61 - 0.80 \\par ", " 0.81 - 1.00 \\par\\par\\par "};
constexpr core::LanguageEntry kNotes[] = {{1125}, {1126}, {1127}, {1128}};
constexpr core::LanguageEntry kCrossTableOf{1130};
constexpr core::LanguageEntry kCategoriesLine{1133};
constexpr std::size_t kBandLabelWidth = 33;

}  // namespace

CategorySet find_categories(const core::TextGrid& grid) {
  CategorySet set;
  for (int row = kFirstChildRow; row <= kLastChildRow && row < grid.row_count(); ++row) {
    for (int column = 1; column <= kEnumerators + 1; ++column) {
      const std::string_view cell = grid.cell(column, row);
      if (cell.empty()) continue;
      const auto known = set.texts.begin() + set.count;
      if (std::find(set.texts.begin(), known, cell) != known) continue;
      if (set.count == 3) {
        set.too_many = true;
        return set;
      }
      set.texts[static_cast<std::size_t>(set.count++)] = std::string(cell);
    }
  }
  std::array<std::string, 3> sorted = set.texts;
  std::sort(sorted.begin(), sorted.end());
  if (set.count == 3 && sorted == std::array<std::string, 3>{"g", "r", "y"}) {
    set.texts = {"g", "y", "r"};
  }
  return set;
}

EnumeratorAgreement agreement(const core::TextGrid& grid, int column, const CategorySet& set,
                              int children) {
  EnumeratorAgreement result;
  result.column = column;
  result.name = std::string(grid.cell(column, 0));
  const int used = set.count == 3 ? 3 : 2;  // two columns of the cross-table below three
  std::vector<std::array<int, 3>> n(static_cast<std::size_t>(children), {0, 0, 0});
  for (int i = 0; i < children; ++i) {
    const std::string_view supervisor = grid.cell(1, kFirstChildRow + i);
    const std::string_view enumerator = grid.cell(column, kFirstChildRow + i);
    for (int j = 0; j < used; ++j) {
      const std::string& category = set.texts[static_cast<std::size_t>(j)];
      if (category.empty()) continue;  // an absent category never matches a missing cell
      if (supervisor == category) n[i][j] = 1;
      if (enumerator == category) n[i][j] += 1;
    }
    for (int a = 0; a < used; ++a) {
      for (int b = 0; b < used; ++b) {
        const std::string& ca = set.texts[static_cast<std::size_t>(a)];
        const std::string& cb = set.texts[static_cast<std::size_t>(b)];
        if (!ca.empty() && !cb.empty() && supervisor == ca && enumerator == cb) {
          ++result.cross[a][b];
        }
      }
    }
  }
  double total = 0, s2 = 0;
  for (const auto& counts : n) {
    for (int j = 0; j < set.count; ++j) {
      total += counts[j];
      s2 += counts[j] * counts[j];
    }
  }
  if (total > 0 && children >= 1) {
    double p_sum = 0;
    for (int j = 0; j < 3; ++j) {
      double column_sum = 0;
      for (const auto& counts : n) column_sum += counts[j];
      const double p = column_sum / total;
      p_sum += p * (1 - p);
    }
    // With one category only the chance agreement is 1 and kappa is not defined: 0 is shown.
    if (p_sum > 0) result.kappa = 1 - (4.0 * children - s2) / (2.0 * children * p_sum);
  }
  return result;
}

CategoryReport categorical_report(const core::TextGrid& grid, const core::LanguageTable& text) {
  CategoryReport report;
  report.categories = find_categories(grid);
  if (report.categories.too_many) {
    report.too_many_categories = true;
    return report;
  }
  const CategorySet& set = report.categories;
  report.children = children_used(grid, 1);

  std::string& out = report.text;
  out = document::rtf::kHeaderWithMargins;
  out += text.text(kTitle) + " \\b0\\fs24\\par\\par ";
  out += text.text(kChildren) + " " + std::to_string(report.children) + " \\par ";
  out += text.text(kCategoriesLine) + " " + set.texts[0] + " " + set.texts[1] + " " + set.texts[2] +
         " \\par\\par\\par ";

  std::string tables;
  const int shown = set.count == 3 ? 3 : 2;
  for (int column = 2; column <= kEnumerators + 1; ++column) {
    if (grid.cell(column, kFirstChildRow).empty()) continue;
    EnumeratorAgreement a = agreement(grid, column, set, report.children);
    out +=
        text.text(kKappaOf) + " " + a.name + ":\t" + core::format_fixed(a.kappa, 5, 4) + " \\par ";
    tables += text.text(kCrossTableOf) + " " + a.name + " \\par ";
    for (int b = 0; b < shown; ++b) tables += "\t" + set.texts[static_cast<std::size_t>(b)];
    tables += " \\par ";
    for (int r = 0; r < shown; ++r) {
      tables += set.texts[static_cast<std::size_t>(r)];
      for (int b = 0; b < shown; ++b) tables += "\t" + std::to_string(a.cross[r][b]);
      tables += " \\par ";
    }
    report.enumerators.push_back(std::move(a));
  }

  out += " \\par " + text.text(kBandsHeading) + " \\par ";
  for (int k = 0; k < 6; ++k) {
    std::string label = text.text(kBands[k]);
    if (label.size() < kBandLabelWidth) label.resize(kBandLabelWidth, ' ');
    out += label + "\t" + kBandTexts[k];
  }
  out += tables + " \\par ";
  for (const core::LanguageEntry note : kNotes) out += text.text(note) + " \\par ";
  out += "\\pard\\par ";
  return report;
}

}  // namespace olvar::training
