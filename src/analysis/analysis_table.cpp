#include "analysis/analysis_table.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "core/standard_variables.h"
#include "core/text_conversions.h"
#include "stats/column_summary.h"

namespace olvar::analysis {

namespace {

using core::StdVar;

std::optional<anthro::FlagIndex> flag_index_of(int z_column) {
  if (z_column == core::column(StdVar::waz)) return anthro::FlagIndex::waz;
  if (z_column == core::column(StdVar::haz)) return anthro::FlagIndex::haz;
  if (z_column == core::column(StdVar::whz)) return anthro::FlagIndex::whz;
  return std::nullopt;
}

bool in_range(float value, std::string_view low, std::string_view high, char separator) {
  return core::parse_tolerant(low, separator) <= value &&
         value <= core::parse_tolerant(high, separator);
}

bool range_selected(const core::SurveyTable& survey, int row, const AnalysisSelection& s,
                    char separator) {
  if (row == 0 || (!s.zr && !s.zh)) return true;
  if (s.zr) {
    const float months = core::parse_tolerant(survey.cell(StdVar::months, row), separator);
    if (!in_range(months, s.zrl, s.zrh, separator)) return false;
  }
  if (s.zh) {
    const float height = core::parse_tolerant(survey.cell(StdVar::height, row), separator);
    if (!in_range(height, s.zhl, s.zhh, separator)) return false;
  }
  return true;
}

bool filled(const core::TextGrid& table, StdVar variable, int row) {
  return !table.cell(core::column(variable), row).empty();
}

// Sizes `table` like the survey and empties it, keeping the cells' storage.
void reset_like(core::TextGrid& table, const core::SurveyTable& survey) {
  if (table.column_count() != survey.column_count() || table.row_count() != survey.row_count()) {
    table = core::TextGrid(survey.column_count(), survey.row_count());
  } else {
    table.clear_cells();
  }
}

void copy_row(const core::SurveyTable& survey, int row, core::TextGrid& table) {
  // The last column is never copied: it is the empty column kept after the last variable.
  for (int column = 0; column < survey.column_count() - 1; ++column) {
    const std::string_view text = survey.cell(column, row);
    if (!text.empty()) table.set_cell(column, row, text);
  }
}

}  // namespace

void SG6_uebergabe(const core::SurveyTable& survey, const AnalysisOptions& options,
                   int filter_column, int z_column, std::string_view filter_text,
                   AnalysisTable& into) {
  const char separator = options.decimal_separator;
  core::TextGrid& table = into.table;
  into.missing_z = 0;
  into.excluded_z = 0;
  // Without a filter or a range every row is selected: the table is the survey less its last
  // column, copied column by column as memory instead of cell by cell.
  const bool every_row = filter_text.empty() && !options.selection.zr && !options.selection.zh;
  if (every_row) {
    table = static_cast<const core::TextGrid&>(survey);
    table.clear_column(survey.column_count() - 1);
  } else {
    reset_like(table, survey);
  }

  for (int row = 0; row < survey.row_count(); ++row) {
    const bool passes_filter =
        filter_text.empty() || survey.cell(filter_column, row) == filter_text;
    if (!every_row && passes_filter &&
        range_selected(survey, row, options.selection, separator)) {
      copy_row(survey, row, table);
    }
    const bool child = filled(table, StdVar::id, row) || filled(table, StdVar::sex, row);
    if (child && !filled(table, StdVar::cluster, row))
      table.set_cell(core::column(StdVar::cluster), row, "1");
    if (child && !filled(table, StdVar::team, row))
      table.set_cell(core::column(StdVar::team), row, "999");
  }
  if (z_column < 0) return;

  // The observed mean is the column summary's mean (present values: filled and readable);
  // summing in row order here gives the same double without a second parse of every cell.
  std::vector<float>& z_values = into.scratch_z;
  z_values.assign(static_cast<std::size_t>(table.row_count()), 0.0f);
  double sum = 0.0;
  std::int64_t present = 0;
  for (int row = 1; row < table.row_count(); ++row) {
    const std::string_view z_text = table.cell(z_column, row);
    if (z_text.empty()) continue;
    const float z = core::parse_tolerant(z_text, separator);
    z_values[static_cast<std::size_t>(row)] = z;
    if (z == core::kUnreadable) continue;
    sum += z;
    ++present;
  }
  const double observed_mean = present > 0 ? sum / static_cast<double>(present) : 0.0;

  const std::optional<anthro::FlagIndex> index = flag_index_of(z_column);
  const std::optional<anthro::FlagTest> flag_test =
      index ? std::optional<anthro::FlagTest>(std::in_place, *index, options.mode, observed_mean,
                                              options.flags, separator)
            : std::nullopt;
  for (int row = 1; row < table.row_count(); ++row) {
    if (table.cell(z_column, row).empty()) {
      if (filled(table, StdVar::sex, row) || filled(table, StdVar::weight, row) ||
          filled(table, StdVar::height, row) || filled(table, StdVar::edema, row)) {
        ++into.missing_z;
      }
      continue;
    }
    if (!index) continue;
    const float z = z_values[static_cast<std::size_t>(row)];
    if (flag_test->flagged(z)) {
      table.set_cell(z_column, row, "");
      ++into.excluded_z;
    }
  }
}

AnalysisTable SG6_uebergabe(const core::SurveyTable& survey, const AnalysisOptions& options,
                            int filter_column, int z_column, std::string_view filter_text) {
  AnalysisTable result;
  SG6_uebergabe(survey, options, filter_column, z_column, filter_text, result);
  return result;
}

AnalysisTable RemoveAllNonPlausible_Zscores(const core::SurveyTable& survey,
                                            const AnalysisOptions& options) {
  const char separator = options.decimal_separator;
  AnalysisTable result;
  SG6_uebergabe(survey, options, -1, -1, "", result);
  struct Index {
    StdVar variable;
    anthro::FlagIndex flag;
    double mean;
  };
  Index indices[] = {
      {StdVar::waz, anthro::FlagIndex::waz, 0.0},
      {StdVar::haz, anthro::FlagIndex::haz, 0.0},
      {StdVar::whz, anthro::FlagIndex::whz, 0.0},
  };
  for (Index& index : indices) {
    index.mean = stats::DeskripStatCont(result.table, core::column(index.variable)).mean;
  }

  core::TextGrid& table = result.table;
  table.clear_cells();
  for (int row = 0; row < survey.row_count(); ++row) copy_row(survey, row, table);
  for (int row = 1; row < table.row_count(); ++row) {
    // A child without CLUSTER belongs to the one cluster of a survey without clusters, whether
    // it has an ID or only a SEX, as in the transfer above: with the ID alone, a survey imported
    // without CLUSTER and ID columns would give the calculator and the weighted analysis nothing.
    if (!filled(table, StdVar::cluster, row) &&
        (filled(table, StdVar::id, row) || filled(table, StdVar::sex, row))) {
      table.set_cell(core::column(StdVar::cluster), row, "1");
    }
    for (const Index& index : indices) {
      const int column = core::column(index.variable);
      const float z = core::parse_tolerant_empty_zero(table.cell(column, row), separator);
      if (anthro::is_flagged(z, index.flag, options.mode, index.mean, options.flags, separator)) {
        table.set_cell(column, row, "");
      }
    }
  }
  return result;
}

}  // namespace olvar::analysis
