#include "formats/export_table.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "anthro/flags.h"
#include "anthro/month_length.h"
#include "anthro/row_evaluation.h"
#include "anthro/zscore_engine.h"
#include "core/standard_variables.h"
#include "core/survey_file.h"
#include "core/text_conversions.h"
#include "formats/batch_analysis.h"
#include "stats/column_summary.h"

namespace olvar::formats {

namespace {

using anthro::AnthroResult;
using anthro::FlagIndex;
using core::StdVar;

// Columns of the Survey table: SURVDATE to MUAC are exported as entered, WAZ, HAZ and WHZ are
// left out (the export computes its own), MEASURE and every later variable follow the computed
// columns.
constexpr int kLastEnteredColumn = core::column(StdVar::muac);
constexpr int kFirstRestColumn = core::column(StdVar::measure);

// A row of the table that holds no child: every variable cell empty or blank. The table keeps
// spare rows after (and the user may leave some between) the children.
bool blank_row(const core::SurveyTable& table, int row, int last_column) {
  for (int column = 1; column <= last_column; ++column) {
    if (table.cell(column, row).find_first_not_of(' ') != std::string_view::npos) return false;
  }
  return true;
}

// Engine units of an entered measurement: value x factor, rounded; 0 when empty. A text that is
// not a number reads as -99999, which no index accepts.
std::int32_t units(const std::string& text, double factor, char separator) {
  if (text.empty()) return 0;
  return anthro::engine_units(core::parse_tolerant(text, separator), factor);
}

char lower_first(const std::string& text) {
  return text.empty() ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
}

class Flagger {
 public:
  Flagger(const ExportSettings& settings, const std::array<double, 3>& means)
      : active_(settings.analysis.mode != core::ExclusionMode::none),
        tests_{test(settings, means, FlagIndex::waz), test(settings, means, FlagIndex::haz),
               test(settings, means, FlagIndex::whz)} {}

  // "WAZ, HAZ, WHZ" or the part of it that is flagged. A z-score the engine did not compute
  // lies outside every window; oedema flags WAZ and WHZ, the indices it makes meaningless.
  std::string flags(const AnthroResult& r, bool oedema) const {
    if (!active_) return "";
    std::string text;
    const auto add = [&](FlagIndex index, float z, bool with_oedema, const char* name) {
      if (anthro::is_missing_z(z) || tests_[static_cast<int>(index)].flagged(z) || with_oedema) {
        if (!text.empty()) text += ", ";
        text += name;
      }
    };
    add(FlagIndex::waz, r.waz.z, oedema, "WAZ");
    add(FlagIndex::haz, r.haz.z, false, "HAZ");
    add(FlagIndex::whz, r.whz.z, oedema, "WHZ");
    return text;
  }

 private:
  static anthro::FlagTest test(const ExportSettings& settings, const std::array<double, 3>& means,
                               FlagIndex index) {
    return anthro::FlagTest(index, settings.analysis.mode, means[static_cast<int>(index)],
                            settings.analysis.flags, settings.analysis.decimal_separator);
  }
  bool active_;
  std::array<anthro::FlagTest, 3> tests_;
};

void append_cell(std::string& out, std::string_view cell, bool& first) {
  if (!first) out += '\t';
  out += cell;
  first = false;
}

}  // namespace

ExportSettings export_settings(const core::OptionsPage& options,
                               const core::DateConventions& dates) {
  ExportSettings settings;
  settings.clothes_weight_g = options.Edit26;
  settings.analysis.selection = {options.zr, options.zrl, options.zrh,
                                 options.zh, options.zhl, options.zhh};
  settings.analysis.mode = options.exclusion;
  settings.analysis.flags = options.flags;
  settings.analysis.decimal_separator = dates.decimal_separator;
  settings.dates = dates;
  return settings;
}

std::array<double, 3> kandu_means(const core::SurveyTable& survey, const ExportSettings& settings) {
  const analysis::AnalysisTable analysis =
      analysis::SG6_uebergabe(survey, settings.analysis, -1, -1, "");
  return {stats::DeskripStatCont(analysis.table, core::column(StdVar::waz)).mean,
          stats::DeskripStatCont(analysis.table, core::column(StdVar::haz)).mean,
          stats::DeskripStatCont(analysis.table, core::column(StdVar::whz)).mean};
}

std::string export_table(const core::SurveyTable& survey, const std::array<double, 3>& means,
                         const ExportSettings& settings, const anthro::WhoReference& who) {
  const char separator = settings.analysis.decimal_separator;
  // The variables are those the table names; the standard ones sit at their fixed columns
  // whatever order the file gave them in.
  const int last_column = std::max(survey.last_named_column(), core::column(StdVar::muac));
  const auto cell = [&](int column, int row) { return std::string(survey.cell(column, row)); };

  std::string out;
  bool first = true;
  for (int column = 1; column <= kLastEnteredColumn; ++column) {
    append_cell(out, survey.cell(column, 0), first);
  }
  for (const char* heading : kExportHeadings) append_cell(out, heading, first);
  for (int column = kFirstRestColumn; column <= last_column; ++column) {
    append_cell(out, survey.cell(column, 0), first);
  }
  out += '\n';

  const Flagger flagger(settings, means);
  const std::int32_t clothes_weight_g = anthro::clothes_weight_grams(settings.clothes_weight_g);
  const int last_row = survey.last_used_row();

  for (int row = 1; row <= last_row; ++row) {
    if (blank_row(survey, row, last_column)) continue;
    std::vector<std::string> cells(static_cast<std::size_t>(last_column) + 1);
    for (int column = 1; column <= last_column; ++column) {
      std::string& text = cells[static_cast<std::size_t>(column)];
      text = cell(column, row);
      // Numbers from MONTHS on are written with the system's decimal separator.
      if (column >= core::column(StdVar::months)) core::normalise_decimal(text, separator);
    }
    const auto field = [&](StdVar variable) -> const std::string& {
      return cells[static_cast<std::size_t>(core::column(variable))];
    };

    anthro::Measurement m;
    const std::string& sex = field(StdVar::sex);
    // "m" is a boy and any other code a girl; without a sex no index can be computed.
    m.sex = sex.empty() ? ' ' : (lower_first(sex) == 'm' ? 'm' : 'f');
    const std::string& months = field(StdVar::months);
    m.age_days = months.empty()
                     ? -1.0
                     : core::parse_tolerant(months, separator) * anthro::kDaysPerMonthForSurveyAges;
    m.weight_g = units(field(StdVar::weight), 1000.0, separator);
    m.height_cm_x1000 = units(field(StdVar::height), 1000.0, separator);
    m.muac_mm_x100 = units(field(StdVar::muac), 100.0, separator);
    const char position = lower_first(field(StdVar::measure));
    if (position == 'l' || position == 'h') m.position = position;
    if (field(StdVar::clothes) == "y") m.clothes = 'y';
    m.clothes_weight_g = clothes_weight_g;
    // The exported z-scores are those without oedema; oedema counts in the flags only.
    m.oedema = ' ';
    const bool oedema = lower_first(field(StdVar::edema)) == 'y';

    const AnthroResult nchs = anthro::evaluate(m, anthro::Reference::nchs1977, who);
    const AnthroResult whor = anthro::evaluate(m, anthro::Reference::who2006, who);
    // Fixed number format without its padding blanks, which would make a spreadsheet read the
    // cell as text.
    const auto z = [separator](float value) {
      return anthro::is_missing_z(value)
                 ? std::string()
                 : std::string(core::trim_spaces(core::format_fixed(value, 4, 3, separator)));
    };
    const auto pct = [separator](double value) {
      return value > 1.0 ? core::format_fixed_trimmed(value, 4, 2, separator) : std::string();
    };

    first = true;
    for (int column = 1; column <= kLastEnteredColumn; ++column) {
      append_cell(out, cells[static_cast<std::size_t>(column)], first);
    }
    for (const std::string& computed :
         {z(nchs.waz.z), z(nchs.haz.z), z(nchs.whz.z), z(whor.waz.z), z(whor.haz.z), z(whor.whz.z),
          z(whor.baz.z), pct(nchs.waz.pct_of_median), pct(nchs.haz.pct_of_median),
          pct(nchs.whz.pct_of_median), flagger.flags(nchs, oedema), flagger.flags(whor, oedema),
          z(whor.muacz.z)}) {
      append_cell(out, computed, first);
    }
    // Height-age: the age at which the child's height is the WHO median; without a height or a
    // sex there is none, and no MUAC-for-age at it either.
    std::string height_age, muacz_at_height_age;
    if (m.height_cm_x1000 > 0 && m.sex != ' ') {
      const int day = height_age_day(who, m.sex == 'f', m.height_cm_x1000 / 1000.0);
      height_age = core::format_fixed_trimmed((day - 0.5) / anthro::kDaysPerMonthForSurveyAges, 4,
                                              2, separator);
      anthro::Measurement at_height_age = m;
      at_height_age.age_days = day - 0.5;
      muacz_at_height_age =
          z(anthro::evaluate(at_height_age, anthro::Reference::who2006, who).muacz.z);
    }
    append_cell(out, height_age, first);
    append_cell(out, muacz_at_height_age, first);
    for (int column = kFirstRestColumn; column <= last_column; ++column) {
      append_cell(out, cells[static_cast<std::size_t>(column)], first);
    }
    out += '\n';
  }
  return out;
}

std::string export_table(std::string_view file_bytes, const std::array<double, 3>& means,
                         const ExportSettings& settings, const anthro::WhoReference& who) {
  const core::SurveyReadContext context{settings.dates, {}, {}};
  const core::SurveyReadResult read =
      core::read_survey_bytes(file_bytes, "", core::Workspace{}, context);
  return export_table(read.workspace.survey, means, settings, who);
}

std::string export_survey_file(const std::filesystem::path& file,
                               const std::array<double, 3>& means, const ExportSettings& settings,
                               const anthro::WhoReference& who) {
  const core::SurveyReadContext context{settings.dates, {}, {}};
  const core::SurveyReadResult read = core::DateiLesen(file, core::Workspace{}, context);
  return export_table(read.workspace.survey, means, settings, who);
}

}  // namespace olvar::formats
