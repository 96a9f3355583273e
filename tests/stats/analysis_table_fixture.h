#pragma once
// A small analysis table for the statistics tests: the Survey table's 20 columns, row 0 the
// headings, one data row per call of add().
//
//   AnalysisTable t;
//   t.add().cluster("1").team("2").whz("-2.5");

#include <string>

#include "core/text_grid.h"

namespace olvar::stats::testing {

class AnalysisTable {
 public:
  static constexpr int kCluster = 2, kTeam = 3, kMonths = 8, kWaz = 13, kHaz = 14, kWhz = 15;

  class Row {
   public:
    Row(core::TextGrid& grid, int row) : grid_(grid), row_(row) {}
    Row& cell(int column, const std::string& text) {
      grid_.set_cell(column, row_, text);
      return *this;
    }
    Row& cluster(const std::string& text) { return cell(kCluster, text); }
    Row& team(const std::string& text) { return cell(kTeam, text); }
    Row& months(const std::string& text) { return cell(kMonths, text); }
    Row& whz(const std::string& text) { return cell(kWhz, text); }

   private:
    core::TextGrid& grid_;
    int row_;
  };

  AnalysisTable() : grid_(20, 1) {
    const char* headings[] = {"",     "SURVDATE", "CLUSTER", "TEAM", "ID",  "HH",   "SEX",
                              "BIRTHDAT", "MONTHS", "WEIGHT", "HEIGHT", "EDEMA", "MUAC", "WAZ",
                              "HAZ",  "WHZ",      "MEASURE", "CLOTHES", "STRATA", "WTFACTOR"};
    for (int c = 0; c < 20; ++c) grid_.set_cell(c, 0, headings[c]);
  }

  Row add() {
    const int row = grid_.row_count();
    grid_.resize(grid_.column_count(), row + 1);
    grid_.set_cell(0, row, std::to_string(row));
    return Row(grid_, row);
  }
  // One row per text in the WHZ column.
  AnalysisTable& add_whz(std::initializer_list<const char*> values) {
    for (const char* v : values) add().whz(v);
    return *this;
  }

  const core::TextGrid& grid() const { return grid_; }

 private:
  core::TextGrid grid_;
};

}  // namespace olvar::stats::testing
