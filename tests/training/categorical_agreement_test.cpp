// Agreement on categories: the category set, kappa per enumerator, the cross-tables and the
// report document.

#include "training/categorical_agreement.h"

#include <gtest/gtest.h>

#include <string>

#include "core/workspace.h"
#include "document/rtf.h"
#include "training/training_grid.h"

namespace olvar::training {
namespace {

core::LanguageTable english() {
  core::LanguageTable text;
  text.read_english(
      "0983 Child\n0997 Enumerator\n1090 Supervisor\n1115 Title\n1116 Children:\n1117 Kappa\n"
      "1118 Bands:\n1119 Poor agreement\n1120 Slight\n1121 Fair\n1122 Moderate\n"
      "1123 Substantial\n1124 A band label longer than thirty-three characters\n1125 N1\n"
      "1126 N2\n1127 N3\n1128 N4\n1130 Cross\n1133 Categories:\n");
  return text;
}

core::TextGrid grid_with(const std::vector<std::string>& supervisor,
                         const std::vector<std::vector<std::string>>& enumerators) {
  core::TextGrid grid = core::Workspace{}.training_categorical;
  write_categorical_headings(grid, english());
  for (std::size_t i = 0; i < supervisor.size(); ++i) {
    grid.set_cell(1, kFirstChildRow + static_cast<int>(i), supervisor[i]);
  }
  for (std::size_t e = 0; e < enumerators.size(); ++e) {
    for (std::size_t i = 0; i < enumerators[e].size(); ++i) {
      grid.set_cell(2 + static_cast<int>(e), kFirstChildRow + static_cast<int>(i),
                    enumerators[e][i]);
    }
  }
  return grid;
}

TEST(CategoricalAgreement, TenChildrenWithOneDisagreement) {
  // Supervisor y for children 1-5, n for 6-10; the enumerator y for 1-4, n for 5-10.
  // Counts n(i, y), n(i, n): children 1-4 (2, 0), child 5 (1, 1), children 6-10 (0, 2):
  // S2 = 4 × 4 + 1 + 1 + 5 × 4 = 38; p(y) = 9/20 = 0.45, p(n) = 0.55;
  // P = 2 × 0.45 × 0.55 = 0.495; kappa = 1 - (40 - 38)/(20 × 0.495) = 1 - 2/9.9 = 0.7980.
  const core::TextGrid grid = grid_with({"y", "y", "y", "y", "y", "n", "n", "n", "n", "n"},
                                        {{"y", "y", "y", "y", "n", "n", "n", "n", "n", "n"}});
  const CategoryReport report = categorical_report(grid, english());
  ASSERT_FALSE(report.too_many_categories);
  EXPECT_EQ(report.children, 10);
  ASSERT_EQ(report.enumerators.size(), 1u);
  EXPECT_NEAR(report.enumerators[0].kappa, 1 - 2 / 9.9, 1e-9);
  EXPECT_EQ(report.enumerators[0].cross[0][0], 4);  // supervisor y, enumerator y
  EXPECT_EQ(report.enumerators[0].cross[0][1], 1);
  EXPECT_EQ(report.enumerators[0].cross[1][0], 0);
  EXPECT_EQ(report.enumerators[0].cross[1][1], 5);

  const std::string expected_start =
      std::string(document::rtf::kHeaderWithMargins) +
      "Title \\b0\\fs24\\par\\par Children: 10 \\par Categories: y n  \\par\\par\\par "
      "Kappa Enumerator 1:\t0.7980 \\par  \\par Bands: \\par "
      "Poor agreement                   \t < 0.00 \\par "
      "Slight                           \t 0.00 - 0.20 \\par ";
  EXPECT_EQ(report.text.substr(0, expected_start.size()), expected_start);
  EXPECT_NE(report.text.find("A band label longer than thirty-three characters\t 0.81 - 1.00 "
                             "\\par\\par\\par Cross Enumerator 1 \\par \ty\tn \\par "
                             "y\t4\t1 \\par n\t0\t5 \\par  \\par N1 \\par N2 \\par N3 \\par "
                             "N4 \\par \\pard\\par "),
            std::string::npos)
      << report.text;
}

TEST(CategoricalAgreement, KappaOfSpecialAgreements) {
  struct Case {
    const char* name;
    std::vector<std::string> supervisor, enumerator;
    double kappa;
  };
  const Case cases[] = {
      // Complete agreement with two categories: S2 = 4q, kappa 1.
      {"all agree", {"y", "n", "n", "y"}, {"y", "n", "n", "y"}, 1.0},
      // One category only: P = 0, kappa shown as 0.
      {"one category", {"y", "y", "y"}, {"y", "y", "y"}, 0.0},
      // Complete disagreement: every child counts (1, 1), S2 = 4 with q = 2, p = 0.5 each,
      // P = 0.5: kappa = 1 - (8 - 4)/(4 × 0.5) = -1.
      {"all differ", {"y", "n"}, {"n", "y"}, -1.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const core::TextGrid grid = grid_with(c.supervisor, {c.enumerator});
    const CategoryReport report = categorical_report(grid, english());
    ASSERT_EQ(report.enumerators.size(), 1u);
    EXPECT_NEAR(report.enumerators[0].kappa, c.kappa, 1e-12);
  }
  const core::TextGrid same = grid_with({"y", "y"}, {{"y", "y"}});
  EXPECT_NE(categorical_report(same, english()).text.find(":\t0.0000 \\par "), std::string::npos);
  const core::TextGrid agree = grid_with({"y", "n"}, {{"y", "n"}});
  EXPECT_NE(categorical_report(agree, english()).text.find(":\t1.0000 \\par "), std::string::npos);
}

TEST(CategoricalAgreement, RedYellowGreenAreListedGreenYellowRed) {
  const core::TextGrid grid = grid_with({"r", "g", "y", "g"}, {{"r", "g", "g", "g"}});
  const CategorySet set = find_categories(grid);
  EXPECT_EQ(set.count, 3);
  EXPECT_EQ(set.texts, (std::array<std::string, 3>{"g", "y", "r"}));
  const CategoryReport report = categorical_report(grid, english());
  EXPECT_NE(report.text.find("Categories: g y r \\par"), std::string::npos);
  // Rows and columns g, y, r: supervisor g twice (enumerator g), y once (enumerator g), r once.
  EXPECT_NE(report.text.find("\tg\ty\tr \\par g\t2\t0\t0 \\par y\t1\t0\t0 \\par r\t0\t0\t1 \\par "),
            std::string::npos)
      << report.text;
  // Three other texts keep their order of first appearance.
  EXPECT_EQ(find_categories(grid_with({"b", "a", "c"}, {})).texts,
            (std::array<std::string, 3>{"b", "a", "c"}));
}

TEST(CategoricalAgreement, FourCategoriesStopTheReport) {
  // "R" and "r" are different texts.
  const core::TextGrid grid = grid_with({"R", "r", "y"}, {{"g", "r", "y"}});
  const CategoryReport report = categorical_report(grid, english());
  EXPECT_TRUE(report.too_many_categories);
  EXPECT_TRUE(report.text.empty());
}

TEST(CategoricalAgreement, EmptyCellsAndAbsentEnumerators) {
  // Enumerator 1 missed child 2: that child counts 1 only, the formula keeps 4q and 2q.
  // n: child 1 (2, 0), child 2 (0, 1), child 3 (0, 2): total 5, S2 = 4 + 1 + 4 = 9;
  // p = 2/5, 3/5, P = 0.48; kappa = 1 - (12 - 9)/(6 × 0.48) = 1 - 3/2.88 = -0.0417.
  // Enumerator 2 has no child-1 cell: left out; enumerator 3 is reported under its own name.
  const core::TextGrid grid =
      grid_with({"y", "n", "n"}, {{"y", "", "n"}, {"", "n", "n"}, {"y", "n", "n"}});
  const CategoryReport report = categorical_report(grid, english());
  ASSERT_EQ(report.enumerators.size(), 2u);
  EXPECT_NEAR(report.enumerators[0].kappa, 1 - 3 / 2.88, 1e-12);
  EXPECT_EQ(report.enumerators[1].name, "Enumerator 3");
  EXPECT_EQ(report.text.find("Enumerator 2"), std::string::npos);
  EXPECT_NE(report.text.find("Kappa Enumerator 1:\t-0.0417 \\par "), std::string::npos);

  // No supervisor values: no child is used, every kappa is 0 and the report is still written.
  const CategoryReport no_supervisor = categorical_report(grid_with({}, {{"y", "n"}}), english());
  EXPECT_EQ(no_supervisor.children, 0);
  EXPECT_NE(no_supervisor.text.find("Children: 0 \\par"), std::string::npos);
  EXPECT_NE(no_supervisor.text.find(":\t0.0000 \\par "), std::string::npos);
}

}  // namespace
}  // namespace olvar::training
