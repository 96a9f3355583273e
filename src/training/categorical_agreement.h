#pragma once
// Agreement of each enumerator with the supervisor when classifying children into two or three
// categories (y/n for oedema, r/y/g for the MUAC classes): Fleiss' kappa for the two raters and
// the cross-table of supervisor against enumerator.
//
//   const CategoryReport report = categorical_report(grid, text);
//   if (!report.too_many_categories) WriteReportDocument(DocumentBuffer(report.text), ...);

#include <array>
#include <string>
#include <vector>

#include "core/language_table.h"
#include "core/text_grid.h"

namespace olvar::training {

// The categories in order of first appearance (rows 2 to 101, columns 1 to 21 in each row);
// exactly "r", "y" and "g" become g, y, r. Absent categories are empty texts. A category is a
// non-empty text compared exactly.
struct CategorySet {
  std::array<std::string, 3> texts;
  int count = 0;          // L: 0 to 3
  bool too_many = false;  // a fourth distinct text was found
};
CategorySet find_categories(const core::TextGrid& grid);

struct EnumeratorAgreement {
  int column = 0;    // 2 ... 21
  std::string name;  // the heading of the column
  double kappa = 0;  // 0 when it cannot be computed (one category only, no child)
  std::array<std::array<int, 3>, 3> cross{};  // [supervisor's category][enumerator's]
};

// Kappa and cross-table for one enumerator column against the supervisor over children 1 to q.
// An empty cell is no category: a child with a missing classification adds fewer than two to
// its counts, while the formula still uses 4q and 2q.
EnumeratorAgreement agreement(const core::TextGrid& grid, int column, const CategorySet& set,
                              int children);

inline constexpr core::LanguageEntry kTooManyCategories{1129};

struct CategoryReport {
  bool too_many_categories = false;  // show entry 1129; no document
  CategorySet categories;
  int children = 0;
  std::vector<EnumeratorAgreement> enumerators;  // those whose child-1 cell is filled
  std::string text;                              // the RTF document without the closing brace
};
// The report of the categorical grid (its headings written, training_grid.h).
CategoryReport categorical_report(const core::TextGrid& grid, const core::LanguageTable& text);

}  // namespace olvar::training
