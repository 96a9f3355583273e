// The standardisation test of continuous measurements: the new report's table, its verdicts,
// the report of previous versions and the replacement of the supervisor's values.

#include "training/standardisation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "core/language_table.h"
#include "core/workspace.h"
#include "document/rtf.h"
#include "training/training_grid.h"

namespace olvar::training {
namespace {

core::LanguageTable english() {
  core::LanguageTable text;
  text.read_english(
      "0857 Weight1\n0858 Weight2\n0859 Height1\n0860 Height2\n0928 Old report\n"
      "0929 Note one\n0930 Note two\n0931 Note three\n0932 Note four\n0983 Child\n"
      "0997 Enumerator\n1090 Supervisor\n");
  return text;
}

core::TextGrid empty_grid() {
  core::Workspace workspace;
  core::TextGrid grid = workspace.training_continuous;
  write_continuous_headings(grid, english());
  return grid;
}

// Writes the two measurements of one kind for an observer and a child (1-based).
void put(core::TextGrid& grid, int group, Kind kind, int child, std::string_view x1,
         std::string_view x2) {
  const int column = group_column(group) + first_offset(kind) - 1;
  grid.set_cell(column, kFirstChildRow + child - 1, x1);
  grid.set_cell(column + 1, kFirstChildRow + child - 1, x2);
}

std::string text_of(double value) {
  std::ostringstream out;
  out.precision(1);
  out << std::fixed << value;
  return out.str();
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

// One complete test of a supervisor and five enumerators weighing ten children twice. The
// children weigh w = 8, 9, 10, 11, 12, 8, 9, 10, 11, 12 kg; each observer reads w plus an
// offset (first, second measurement):
//
//   supervisor  (0, 0)                  enumerator 3  (+0.3, +0.1)
//   enumerator 1 (+0.2, +0.3) children 1-5, (+0.2, +0.1) children 6-10
//   enumerator 2 (+0.2, +0.2)           enumerator 4  (+0.5, -0.1)
//   enumerator 5 (+0.6, +0.6)
//
// With t = w - 10, Σt = 0 over each half and Σt² = 20. For an observer with offsets (a, b) and
// d = a - b on every child: mean = 10 + (a + b)/2; Σ deviations² = 2Σt² + 10 d²/2 = 40 + 5d²;
// SD² = (40 + 5d²)/19; TEM² = 10 d² / 20 = d²/2; R = (1 - 19 d² / (80 + 10 d²)) × 100.
//   supervisor, enum 2, enum 5: d = 0, SD = √(40/19) = 1.451, TEM 0, R 100.
//   enum 1: |d| = 0.1, mean 10.2, SD² = 40.1/19, TEM = √0.005 = 0.0707 (acceptable, ≤ 0.10),
//           TEM% = 0.0707/10.2 = 0.69 %, R = (1 - 0.19/80.1) = 99.76 (good).
//   enum 3: d = 0.2, mean 10.2, TEM = √0.02 = 0.1414 (poor, ≤ 0.21), TEM% 1.39, R 99.05 (good).
//   enum 4: d = 0.6, mean 10.2, SD² = 41.8/19 = 2.2, TEM = √0.18 = 0.4243 (reject),
//           TEM% 4.16, R = 1 - 0.18/2.2 = 91.82 (poor).
// Median of each child: the 6th smallest of the 12 offsets. Children 1-5: -0.1, 0, 0, 0.1,
// 0.2, [0.2], 0.2, 0.3, 0.3, 0.5, 0.6, 0.6; children 6-10: -0.1, 0, 0, 0.1, 0.1, [0.2], ...
// so the median is w + 0.2 for every child.
//   bias from supervisor = mean |(a + b)/2|: sup 0 (good), enum 1 (0.25 and 0.15) 0.20, enum 2
//   0.20, enum 3 0.20, enum 4 0.20 (poor, ≤ 0.21), enum 5 0.60 (reject).
//   bias from median = mean |(a + b)/2 - 0.2|: sup 0.20 (poor), enum 1 0.05 (acceptable),
//   enum 2, 3, 4 0 (good), enum 5 0.40 (reject).
// Summary rows (E = 5 enumerators, K = 6 observers, q = 10):
//   first measurements of the enumerators: offsets .2 .2 .3 .5 .6, mean .36, so m1 = 10.36;
//   Σ(x - m1)² = 5 × 20 + 10 × Σ(o - .36)² = 100 + 10 × 0.132 = 101.32, s1² = 101.32/49,
//   s1 = 1.438. TEM_1: each child's bracket Σx² - (Σx)²/5 = Σ(o - .36)² = 0.132; sum 1.32 over
//   (E - 1)q = 40: TEM_1 = √0.033 = 0.1817 (team: acceptable, ≤ 0.21), TEM% = 1.75,
//   R_1 = 1 - 0.033/2.0678 = 98.40 (acceptable).
//   second measurements: offsets .3/.1, .2, .1, -.1, .6, mean .2, m2 = 10.2; Σ(x - m2)² =
//   100 + 0.1 + 0 + 0.1 + 0.9 + 1.6 = 102.7, s2 = √(102.7/49) = 1.448. Brackets: children 1-5
//   (.3 .2 .1 -.1 .6, mean .22) 0.268, children 6-10 (.1 .2 .1 -.1 .6, mean .18) 0.268;
//   TEM_2 = √(2.68/40) = √0.067 = 0.2588 (team: reject, > 0.24), TEM% 2.54, R_2 = 96.80.
//   with the supervisor, first: offsets 0 .2 .2 .3 .5 .6 (mean .3) bracket 0.24, TEM_S1 =
//   √(2.4/50) = √0.048 = 0.2191; second: brackets 0.3083 (children 1-5) and 0.295 (6-10),
//   TEM_S2 = √(3.0167/50) = 0.2456. Row "inter enum + sup": TEM = (0.2191 + 0.2456)/2 = 0.2324
//   (poor, ≤ 0.24), TEM% = (2.115 + 2.408)/2 = 2.26, R = (97.68 + 97.12)/2 = 97.40;
//   m_all = 10 + 28/120 = 10.233, Σ(x - m_all)² = 240 + 12.5 - 120 × 0.2333² = 245.97,
//   s_all = √(245.97/119) = 1.438.
//   TOTAL intra+inter: ΣTEM_j²/5 = (0.005 + 0 + 0.02 + 0.18 + 0)/5 = 0.041, plus
//   (0.033 + 0.067)/2 = 0.05: TEM_T = √0.091 = 0.3017 (reject); m_e = 10.28, TEM% 2.93;
//   s_e² = (200 + 12.5 - 100 × 0.28²)/99 = 204.66/99, R_T = 1 - 0.091/2.0673 = 95.60
//   (acceptable).
//   TOTAL+ sup: 0.205/6 + (0.048 + 0.0603)/2 = 0.08833, TEM_TS = 0.2972 (reject), TEM% =
//   0.2972/10.233 = 2.90, R_TS = 1 - 0.08833/2.0669 = 95.73 (acceptable).
core::TextGrid five_enumerators() {
  core::TextGrid grid = empty_grid();
  const int base[] = {8, 9, 10, 11, 12, 8, 9, 10, 11, 12};
  const auto offsets = [](int group, int child) -> std::pair<double, double> {
    switch (group) {
      case 0:
        return {0, 0};
      case 1:
        return {0.2, child <= 5 ? 0.3 : 0.1};
      case 2:
        return {0.2, 0.2};
      case 3:
        return {0.3, 0.1};
      case 4:
        return {0.5, -0.1};
      default:
        return {0.6, 0.6};
    }
  };
  for (int group = 0; group <= 5; ++group) {
    for (int child = 1; child <= 10; ++child) {
      const auto [a, b] = offsets(group, child);
      put(grid, group, Kind::weight, child, text_of(base[child - 1] + a),
          text_of(base[child - 1] + b));
    }
  }
  return grid;
}

TEST(Standardisation, FiveEnumeratorsTenChildrenWorkedOutByHand) {
  const core::TextGrid grid = five_enumerators();
  const std::vector<std::string> lines = lines_of(new_report_text(grid, '.'));
  const std::vector<std::string> expected = {
      "Standardisation test results\t\t\t\t\tPrecision\t\t\t\tAccuracy\t\tOUTCOME",
      "Weight\t\tsubjects\tmean\tSD\tmax\tTechnical error\tTEM/mean\tCoef of reliability\t"
      "Bias from superv\tBias from median\t\t\tFrom\tFrom",
      "\t\t#\tkg\tkg\tkg\tTEM (kg)\tTEM (%)\tR (%)\tBias (kg)\tBias (kg)\t\t\tSupervisor\tMedian",
      "\tSupervisor\t10\t10.0\t1.5\t0.00\t0.00\t0.0\t100.0\t0.00\t0.20\t"
      "TEM good\tR value good\tBias good\tBias poor\t",
      "\tEnumerator 1\t10\t10.2\t1.5\t0.10\t0.07\t0.7\t99.8\t0.20\t0.05\t"
      "TEM acceptable\tR value good\tBias poor\tBias acceptable\t",
      "\tEnumerator 2\t10\t10.2\t1.5\t0.00\t0.00\t0.0\t100.0\t0.20\t0.00\t"
      "TEM good\tR value good\tBias poor\tBias good\t",
      "\tEnumerator 3\t10\t10.2\t1.5\t0.20\t0.14\t1.4\t99.1\t0.20\t0.00\t"
      "TEM poor\tR value good\tBias poor\tBias good\t",
      "\tEnumerator 4\t10\t10.2\t1.5\t0.60\t0.42\t4.2\t91.8\t0.20\t0.00\t"
      "TEM reject\tR value poor\tBias poor\tBias good\t",
      "\tEnumerator 5\t10\t10.6\t1.5\t0.00\t0.00\t0.0\t100.0\t0.60\t0.40\t"
      "TEM good\tR value good\tBias reject\tBias reject\t",
      "\tenum inter 1st\t5x10\t10.4\t1.4\t-\t0.18\t1.8\t98.4\t-\t-\t"
      "TEM acceptable\tR value acceptable\t\t\t",
      "\tenum inter 2nd\t5x10\t10.2\t1.4\t-\t0.26\t2.5\t96.8\t-\t-\t"
      "TEM reject\tR value acceptable\t\t\t",
      "\tinter enum + sup\t6x10\t10.2\t1.4\t-\t0.23\t2.3\t97.4\t-\t-\t"
      "TEM poor\tR value acceptable\t\t\t",
      "\tTOTAL intra+inter\t5x10\t-\t-\t-\t0.30\t2.9\t95.6\t-\t-\t"
      "TEM reject\tR value acceptable\t\t\t",
      "\tTOTAL+ sup\t6x10\t-\t-\t-\t0.30\t2.9\t95.7\t-\t-\t"
      "TEM reject\tR value acceptable\t\t\t",
      "",
      // Height and MUAC have no supervisor values: their two header lines only.
      "Height\t\tsubjects\tmean\tSD\tmax\tTechnical error\tTEM/mean\tCoef of reliability\t"
      "Bias from superv\tBias from median\t\t\tFrom\tFrom",
      "\t\t#\tcm\tcm\tcm\tTEM (cm)\tTEM (%)\tR (%)\tBias (cm)\tBias (cm)\t\t\tSupervisor\tMedian",
      "MUAC\t\tsubjects\tmean\tSD\tmax\tTechnical error\tTEM/mean\tCoef of reliability\t"
      "Bias from superv\tBias from median\t\t\tFrom\tFrom",
      "\t\t#\tmm\tmm\tmm\tTEM (mm)\tTEM (%)\tR (%)\tBias (mm)\tBias (mm)\t\t\tSupervisor\tMedian",
      "Suggested cut-off points for acceptability of measurements",
  };
  ASSERT_GE(lines.size(), expected.size());
  for (std::size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(lines[k], expected[k]) << "line " << k;
  }
  // The cut-off table closes the report: 18 lines, the last one the bias reject limits.
  EXPECT_EQ(lines.size(), expected.size() + 17);
  EXPECT_EQ(lines.back(), "\treject\t>3\t>0.21\t>1.4");

  // The unrounded figures behind the printed ones.
  const StandardisationTable table = standardise(grid, Kind::weight, '.');
  ASSERT_EQ(table.observers.size(), 6u);
  EXPECT_NEAR(table.observers[1].tem, std::sqrt(0.005), 1e-5);
  EXPECT_NEAR(table.observers[4].r, 91.8182, 1e-3);
  EXPECT_NEAR(table.summary[0].tem, std::sqrt(0.033), 1e-5);
  EXPECT_NEAR(table.summary[1].tem, std::sqrt(0.067), 1e-5);
  EXPECT_NEAR(table.summary[2].tem, 0.232359, 1e-5);
  EXPECT_NEAR(table.summary[3].tem, std::sqrt(0.091), 1e-5);
  EXPECT_NEAR(table.summary[3].r, 95.598, 1e-3);
  EXPECT_NEAR(table.summary[4].tem, std::sqrt(0.0883333), 1e-5);
  EXPECT_NEAR(table.summary[4].r, 95.726, 1e-3);
}

TEST(Standardisation, SupervisorAloneOnTwoChildren) {
  // TEM = √((0.2² + 0.2²) / 4) = 0.141, mean 11.0, TEM % 1.3: "TEM poor" for an individual.
  core::TextGrid grid = empty_grid();
  put(grid, 0, Kind::weight, 1, "10.0", "10.2");
  put(grid, 0, Kind::weight, 2, "12.0", "11.8");
  const StandardisationTable table = standardise(grid, Kind::weight, '.');
  ASSERT_EQ(table.children, 2);
  ASSERT_EQ(table.observers.size(), 1u);
  EXPECT_NEAR(table.observers[0].tem, 0.141, 5e-4);
  EXPECT_NEAR(table.observers[0].mean, 11.0, 1e-6);
  EXPECT_EQ(tem_grade(Kind::weight, table.observers[0].tem, false), Grade::poor);
  const std::vector<std::string> lines = lines_of(new_report_text(grid, '.'));
  // SD = √((1 + 0.64 + 1 + 0.64)/3) = 1.05, R = 1 - 0.02/1.0933 = 98.2. The bias of the
  // supervisor from himself is 0.00, "Bias good".
  EXPECT_TRUE(lines[3].starts_with("\tSupervisor\t2\t11.0\t1.0\t0.20\t0.14\t1.3\t98.2\t0.00\t"))
      << lines[3];
  EXPECT_NE(lines[3].find("\tTEM poor\tR value acceptable\tBias good\t"), std::string::npos);
  // Only the supervisor: every enumerator figure divides by zero and shows 0.
  EXPECT_EQ(lines[4],
            "\tenum inter 1st\t0x2\t0.0\t0.0\t-\t0.00\t0.0\t0.0\t-\t-\t"
            "TEM good\tR value reject\t\t\t");
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find("nan"), std::string::npos) << line;
    EXPECT_EQ(line.find("inf"), std::string::npos) << line;
  }
}

TEST(Standardisation, OneEnumeratorGivesZeroInterEnumeratorTem) {
  core::TextGrid grid = empty_grid();
  put(grid, 0, Kind::height, 1, "80.0", "80.4");
  put(grid, 0, Kind::height, 2, "90.0", "90.0");
  put(grid, 1, Kind::height, 1, "80.6", "80.2");
  put(grid, 1, Kind::height, 2, "90.2", "90.0");
  const StandardisationTable table = standardise(grid, Kind::height, '.');
  ASSERT_EQ(table.observers.size(), 2u);
  EXPECT_EQ(table.summary[0].tem, 0);
  EXPECT_EQ(table.summary[1].tem, 0);
  // With the supervisor: child 1 firsts 80.0/80.6: bracket 0.18; child 2 90.0/90.2: 0.02;
  // TEM_S1 = √(0.2 / 2) = 0.316. Seconds 80.4/80.2 and 90.0/90.0: TEM_S2 = √(0.02/2) = 0.1.
  EXPECT_NEAR(table.summary[2].tem, (std::sqrt(0.1) + 0.1) / 2, 1e-4);
  EXPECT_GT(table.summary[3].tem, 0);  // the enumerator's own TEM
  EXPECT_GT(table.summary[4].tem, 0);
  // For two observers the median is the lower middle of the four values: child 1 has
  // 80.0 80.2 80.4 80.6, median 80.2; the enumerator's mean 80.4 is 0.2 above it, his mean on
  // child 2 (90.1) 0.1 above 90.0: bias from the median 0.15.
  EXPECT_NEAR(table.observers[1].bias_median, 0.15, 1e-4);
  EXPECT_NEAR(table.observers[0].bias_median, 0.0, 1e-4);
}

TEST(Standardisation, OneEnumeratorAndOneChildNeverDividesByZero) {
  core::TextGrid grid = empty_grid();
  put(grid, 0, Kind::muac, 1, "140", "141");
  put(grid, 1, Kind::muac, 1, "142", "142");
  const std::string report = new_report_text(grid, '.');
  EXPECT_EQ(report.find("nan"), std::string::npos);
  EXPECT_EQ(report.find("inf"), std::string::npos);
  const StandardisationTable table = standardise(grid, Kind::muac, '.');
  EXPECT_EQ(table.summary[0].sd, 0);
  EXPECT_EQ(table.summary[0].r, 0);
}

TEST(Standardisation, ZeroMeasurementsAndExactAgreementGiveFiniteFigures) {
  // All zero: mean and SD 0, TEM% and R are 0 and the report is still written.
  core::TextGrid zeros = empty_grid();
  for (int g = 0; g <= 2; ++g) put(zeros, g, Kind::weight, 1, "0", "0");
  const std::vector<std::string> lines = lines_of(new_report_text(zeros, '.'));
  EXPECT_EQ(lines[3],
            "\tSupervisor\t1\t0.0\t0.0\t0.00\t0.00\t0.0\t0.0\t0.00\t0.00\t"
            "TEM good\tR value reject\tBias good\tBias good\t");

  // Observers who agree exactly on values that are not exact in binary: the bracket sums
  // Σx² - (Σx)²/n may round to slightly below 0; the TEM is then 0, not "nan".
  core::TextGrid same = empty_grid();
  const char* values[] = {"10.1", "13.7", "9.3", "11.9", "7.7", "12.3", "8.9"};
  for (int g = 0; g <= 20; ++g) {
    for (int child = 1; child <= 7; ++child) {
      put(same, g, Kind::weight, child, values[child - 1], values[child - 1]);
    }
  }
  const StandardisationTable table = standardise(same, Kind::weight, '.');
  for (const SummaryValues& row : table.summary) {
    EXPECT_TRUE(std::isfinite(row.tem)) << row.label;
    EXPECT_NEAR(row.tem, 0, 1e-6) << row.label;
  }
}

TEST(Standardisation, MissingValuesReadAsZeroAndFlagTheRow) {
  core::TextGrid grid = empty_grid();
  put(grid, 0, Kind::weight, 1, "10.0", "10.0");
  put(grid, 0, Kind::weight, 2, "12.0", "12.0");
  put(grid, 1, Kind::weight, 1, "10.0", "");  // second measurement forgotten
  put(grid, 1, Kind::weight, 2, "12.0", "12.0");
  const StandardisationTable table = standardise(grid, Kind::weight, '.');
  EXPECT_EQ(table.observers[0].missing, 0);
  EXPECT_EQ(table.observers[1].missing, 1);
  EXPECT_NEAR(table.observers[1].tem, std::sqrt(100.0 / 4), 1e-4);  // 10 - 0 = 10
  const std::vector<std::string> lines = lines_of(new_report_text(grid, '.'));
  EXPECT_EQ(lines[3].back(), '\t');  // no flag on a complete row
  EXPECT_NE(lines[4].find("TEM reject"), std::string::npos);
  EXPECT_EQ(lines[4].substr(lines[4].rfind('\t') + 1), "1 missing value read as 0");
}

TEST(Standardisation, ObserverRowsFollowTheirOwnGroupsAcrossAGap) {
  core::TextGrid grid = empty_grid();
  put(grid, 0, Kind::weight, 1, "10.0", "10.0");
  put(grid, 3, Kind::weight, 1, "10.4", "10.4");  // enumerators 1 and 2 absent
  const StandardisationTable table = standardise(grid, Kind::weight, '.');
  ASSERT_EQ(table.observers.size(), 2u);
  EXPECT_EQ(table.observers[1].group, 3);
  EXPECT_EQ(table.observers[1].name, "Enumerator 3");
  EXPECT_NEAR(table.observers[1].bias_supervisor, 0.4, 1e-5);
}

TEST(Standardisation, AValueOnALimitFallsInTheBetterClass) {
  struct Case {
    Kind kind;
    double tem;
    bool team;
    Grade expected;
  };
  const Case tems[] = {
      {Kind::weight, 0.04, false, Grade::good},
      {Kind::weight, 0.10, false, Grade::acceptable},
      {Kind::weight, 0.10, true, Grade::good},
      {Kind::weight, 0.21, false, Grade::poor},
      {Kind::weight, 0.21000000001, false, Grade::poor},  // equal in single precision
      {Kind::weight, 0.24, true, Grade::poor},
      {Kind::weight, 0.2401, true, Grade::reject},
      {Kind::height, 0.6, false, Grade::acceptable},
      {Kind::height, 1.5, true, Grade::poor},
      {Kind::height, 1.0, true, Grade::acceptable},
      {Kind::muac, 3.3, false, Grade::poor},
      {Kind::muac, 3.31, true, Grade::reject},
  };
  for (const Case& c : tems) {
    SCOPED_TRACE(testing::Message() << kind_name(c.kind) << " " << c.tem << " " << c.team);
    EXPECT_EQ(tem_grade(c.kind, c.tem, c.team), c.expected);
  }
  EXPECT_EQ(r_grade(99), Grade::good);
  EXPECT_EQ(r_grade(95), Grade::acceptable);
  EXPECT_EQ(r_grade(94.99), Grade::poor);
  EXPECT_EQ(r_grade(90), Grade::poor);
  EXPECT_EQ(r_grade(89.9), Grade::reject);
  EXPECT_EQ(bias_grade(Kind::weight, -0.10), Grade::acceptable);  // the absolute value counts
  EXPECT_EQ(bias_grade(Kind::height, 0.8), Grade::acceptable);
  EXPECT_EQ(bias_grade(Kind::muac, 3), Grade::poor);
  EXPECT_EQ(bias_grade(Kind::muac, -3.5), Grade::reject);
  EXPECT_EQ(tem_verdict(Grade::acceptable), "TEM acceptable");
  EXPECT_EQ(r_verdict(Grade::reject), "R value reject");
  EXPECT_EQ(bias_verdict(Grade::poor), "Bias poor");
}

TEST(Standardisation, DecimalCommaIsReadAndWritten) {
  core::TextGrid grid = empty_grid();
  put(grid, 0, Kind::weight, 1, "10,0", "10,2");
  put(grid, 0, Kind::weight, 2, "12,0", "11,8");
  const std::vector<std::string> lines = lines_of(new_report_text(grid, ','));
  EXPECT_TRUE(lines[3].starts_with("\tSupervisor\t2\t11,0\t1,0\t0,20\t0,14\t1,3\t98,2\t"))
      << lines[3];
}

TEST(PreviousReport, SumsOfSquaresWithOkPoorAndError) {
  core::TextGrid grid = empty_grid();
  // Supervisor: differences 0.5 and 0, SS_S = 0.25, one positive, none negative.
  put(grid, 0, Kind::height, 1, "80.5", "80.0");
  put(grid, 0, Kind::height, 2, "90.0", "90.0");
  // Enumerator 1: differences 0.5 and -0.5, SS_E = 0.5 = 2 × SS_S: "OK". Accuracy terms
  // (81.0 - 80.5) = 0.5 and (89.5 + 90 = 179.5) - 180 = -0.5: SS_A 0.5 ≤ 3 × 0.25 "OK".
  put(grid, 1, Kind::height, 1, "80.75", "80.25");
  put(grid, 1, Kind::height, 2, "89.5", "90.0");
  // Enumerator 2: differences 1 and 0, SS_E = 1 > 0.5 "POOR"; accuracy terms 161 - 160.5 = 0.5
  // and 181 - 180 = 1, SS_A = 1.25 > 3 × 0.25 "POOR".
  put(grid, 2, Kind::height, 1, "81.0", "80.0");
  put(grid, 2, Kind::height, 2, "90.5", "90.5");
  // Enumerator 3 forgot a value: read as -99999, both sums above the limit.
  put(grid, 3, Kind::height, 1, "80.0", "");
  put(grid, 3, Kind::height, 2, "90.0", "90.0");
  const std::string report = previous_report_text(grid, english(), '.');
  // The header with 2 cm margins, the title, then each kind's section.
  EXPECT_TRUE(report.starts_with(std::string(document::rtf::kHeaderWithMargins) +
                                 R"(Old report\b0\fs24\par\par\par \b Weight: \b0\par\par )"));
  EXPECT_NE(
      report.find(R"(\tab\tab Superv.(H1+H2)] \par\par Supervisor \tab    0.25\tab\tab 1/0 \par )"),
      std::string::npos)
      << report;
  EXPECT_NE(report.find(R"(Enumerator 1\tab    0.50 OK\tab    0.50 OK\tab 1/1\tab 1/1 \par )"),
            std::string::npos);
  EXPECT_NE(report.find(R"(Enumerator 2\tab    1.00 POOR\tab    1.25 POOR\tab 1/0\tab 2/0 \par )"),
            std::string::npos);
  EXPECT_NE(report.find(R"(Enumerator 3\tab Error\tab Error\tab 1/0\tab 0/1 \par )"),
            std::string::npos);
  // Weight and MUAC have no supervisor values: header lines only, then the notes.
  EXPECT_TRUE(
      report.ends_with(R"(\tab\tab Superv.(MUAC1+MUAC2] \par\par )"
                       R"(Note one \par Note two \par Note three \par Note four\par\pard\par )"));
  EXPECT_EQ(report.back(), ' ');  // the closing brace is added by the hand-off
}

TEST(ReplaceSupervisorValues, MeanOfTheFilledEnumeratorCells) {
  core::TextGrid grid = empty_grid();
  put(grid, 0, Kind::weight, 1, "9.0", "9.0");
  put(grid, 1, Kind::weight, 1, "10.0", "10.2");
  put(grid, 2, Kind::weight, 1, "10.3", "");
  put(grid, 0, Kind::weight, 2, "5.0", "5.0");  // no enumerator measured child 2
  replace_supervisor_values(grid, '.');
  EXPECT_EQ(grid.cell(1, 2), "10.2");  // (10.0 + 10.3)/2 = 10.15, rounded half away from zero
  EXPECT_EQ(grid.cell(2, 2), "10.2");
  EXPECT_EQ(grid.cell(1, 3), "");
  EXPECT_EQ(grid.cell(2, 3), "");
  EXPECT_EQ(grid.cell(7, 2), "10.0");  // enumerator 1 untouched
}

}  // namespace
}  // namespace olvar::training
