#include "formats/batch_analysis.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "anthro/flags.h"
#include "anthro/month_length.h"
#include "anthro/who_lookup.h"
#include "anthro/zscore_engine.h"
#include "core/standard_variables.h"
#include "core/text_conversions.h"
#include "stats/column_summary.h"
#include "workspace/survey_session.h"

namespace olvar::formats {

namespace {

using anthro::AnthroResult;
using anthro::FlagIndex;
using core::StdVar;

constexpr int kAppended = 33;
constexpr int kTrailingEmpty = 2;
constexpr int kLastHeightAgeDay = 6570;

std::string z_text(float z) { return anthro::is_missing_z(z) ? "" : core::format_fixed(z, 4, 3); }

// "severe" below -3 (70 % of the median) or with oedema where the index counts it,
// "moderate" from -3 up to -2 (70 to 80 %), "normal" above.
std::string class_text(double value, double severe_below, double moderate_below, bool oedema) {
  if (oedema || value < severe_below) return "severe";
  if (value < moderate_below) return "moderate";
  return "normal";
}

std::string z_class(float z, bool counts_oedema, bool oedema) {
  const bool with_oedema = counts_oedema && oedema;
  if (!with_oedema && anthro::is_missing_z(z)) return "";
  return class_text(z, -3.0, -2.0, with_oedema);
}

std::string pct_class(double pct, bool oedema) {
  if (pct == 0.0 && !oedema) return "";
  return class_text(pct, 70.0, 80.0, oedema);
}

std::string pct_text(double pct) { return pct > 1.0 ? core::format_fixed(pct, 4, 2) : ""; }

bool filled(const core::SurveyTable& table, StdVar v, int row) {
  return !table.cell(v, row).empty();
}

// The row's measurement with its EDEMA cell emptied for the engine, so that oedema suppresses
// no index; the cell is put back afterwards.
anthro::Measurement measurement_without_oedema(core::SurveyTable& work, int row,
                                               const anthro::RowEvaluationSettings& settings) {
  const std::string edema(work.cell(StdVar::edema, row));
  work.set_cell(StdVar::edema, row, "");
  anthro::Measurement m = anthro::measurement_of_row(work, row, settings);
  work.set_cell(StdVar::edema, row, edema);
  return m;
}

struct Flagger {
  std::array<anthro::FlagTest, 3> tests;
  // A missing index (99) is flagged in every mode, "none" included.
  std::string flag(FlagIndex index, float z) const {
    return anthro::is_missing_z(z) || tests[static_cast<int>(index)].flagged(z) ? "1" : "0";
  }
};

Flagger flagger(const analysis::AnalysisOptions& options, const std::array<double, 3>& means) {
  auto test = [&](FlagIndex index) {
    return anthro::FlagTest(index, options.mode, means[static_cast<int>(index)], options.flags,
                            options.decimal_separator);
  };
  return Flagger{{test(FlagIndex::waz), test(FlagIndex::haz), test(FlagIndex::whz)}};
}

}  // namespace

int height_age_day(const anthro::WhoReference& who, bool girls, double height_cm) {
  int day = 1;
  for (; day <= kLastHeightAgeDay; ++day) {
    const auto p = anthro::who_lms_by_age(who, anthro::WhoTable::length_for_age_days,
                                          anthro::WhoTable::height_for_age_months, girls, day);
    if (p && height_cm < p->lms.m) break;
  }
  return day;
}

namespace {

// The appended columns of one survey row at a time, so that no grid of the whole output is
// ever built: a companion file of millions of lines or fields costs the memory of one line.
class AppendedColumns {
 public:
  AppendedColumns(const core::SurveyTable& survey, const BatchAnalysisSettings& settings,
                  const anthro::WhoReference& who)
      : survey_(survey), settings_(settings), who_(who), work_(survey) {
    // The Kandu means come from the z-scores as read, that is of the stored reference; the
    // same means serve the NCHS and the WHO flags.
    const analysis::AnalysisTable analysis =
        analysis::SG6_uebergabe(survey, settings.analysis, -1, -1, "");
    const std::array<double, 3> means = {
        stats::DeskripStatCont(analysis.table, core::column(StdVar::waz)).mean,
        stats::DeskripStatCont(analysis.table, core::column(StdVar::haz)).mean,
        stats::DeskripStatCont(analysis.table, core::column(StdVar::whz)).mean};
    flags_ = flagger(settings.analysis, means);
    nchs_ = settings.evaluation;
    nchs_.reference = anthro::Reference::nchs1977;
    who_settings_ = settings.evaluation;
    who_settings_.reference = anthro::Reference::who2006;
  }

  // The 33 values of survey row `r` (all empty for a row without measurements).
  const std::array<std::string, kAppended>& of_row(int r) {
    for (std::string& field : line_) field.clear();
    auto put = [&](int offset, std::string text) {
      line_[static_cast<std::size_t>(offset)] = std::move(text);
    };
    const core::SurveyTable& survey = survey_;
    const anthro::WhoReference& who = who_;
    const Flagger& flags = *flags_;
    const anthro::RowEvaluationSettings& nchs = nchs_;
    const anthro::RowEvaluationSettings& who_settings = who_settings_;
    const BatchAnalysisSettings& settings = settings_;
    core::SurveyTable& work = work_;
    const std::string_view edema = survey.cell(StdVar::edema, r);
    const bool oedema = !edema.empty() && std::tolower(static_cast<unsigned char>(edema[0])) == 'y';
    const bool weight = filled(survey, StdVar::weight, r);
    const bool height = filled(survey, StdVar::height, r);

    if (weight || height || !edema.empty()) {
      const AnthroResult a =
          anthro::evaluate(measurement_without_oedema(work, r, nchs), nchs.reference, who);
      put(0, z_text(a.waz.z));
      put(1, z_text(a.haz.z));
      put(2, z_text(a.whz.z));
      put(6, pct_text(a.waz.pct_of_median));
      put(7, pct_text(a.haz.pct_of_median));
      put(8, pct_text(a.whz.pct_of_median));
      put(9, z_class(a.waz.z, true, oedema));
      put(10, z_class(a.haz.z, false, oedema));
      put(11, z_class(a.whz.z, true, oedema));
      put(12, pct_class(a.whz.pct_of_median, oedema));
      put(16, flags.flag(FlagIndex::waz, a.waz.z));
      put(17, flags.flag(FlagIndex::haz, a.haz.z));
      put(18, flags.flag(FlagIndex::whz, a.whz.z));
    }
    if (weight || height || !edema.empty() || filled(survey, StdVar::muac, r)) {
      anthro::Measurement m = measurement_without_oedema(work, r, who_settings);
      const AnthroResult a = anthro::evaluate(m, anthro::Reference::who2006, who);
      put(3, z_text(a.waz.z));
      put(4, z_text(a.haz.z));
      put(5, z_text(a.whz.z));
      put(13, z_class(a.waz.z, true, oedema));
      put(14, z_class(a.haz.z, false, oedema));
      const std::string whz_class = z_class(a.whz.z, true, oedema);
      put(15, whz_class);
      put(19, flags.flag(FlagIndex::waz, a.waz.z));
      put(20, flags.flag(FlagIndex::haz, a.haz.z));
      put(21, flags.flag(FlagIndex::whz, a.whz.z));
      if (m.age_days >= 0)
        put(22, core::format_fixed(m.age_days / anthro::kDaysPerMonthForSurveyAges, 5, 2));
      const bool muac = m.muac_mm_x100 > 0;
      put(23, muac && m.muac_mm_x100 < 11000 ? "1" : "0");
      put(24, muac && m.muac_mm_x100 < 11500 ? "1" : "0");
      put(25, muac && m.muac_mm_x100 < 12500 ? "1" : "0");
      put(26, z_text(a.muacz.z));
      put(27, z_class(a.muacz.z, false, false));
      put(30, z_text(a.baz.z));
      if (!whz_class.empty()) {
        put(31, oedema || a.whz.z < -2.0f ? "1" : "0");
        put(32, oedema || a.whz.z < -3.0f ? "1" : "0");
      }
      // MUAC-for-age at the height-age: without a MUAC or a sex there is nothing to compute.
      const bool girls = m.sex == 'f' || m.sex == 'w';
      if (muac && (girls || m.sex == 'm')) {
        const auto h =
            core::parse_number(survey.cell(StdVar::height, r), settings.analysis.decimal_separator);
        m.age_days = height_age_day(who, girls, h.value_or(0.0f)) - 0.5;
        const AnthroResult at_height_age = anthro::evaluate(m, anthro::Reference::who2006, who);
        if (at_height_age.muacz.computed()) {
          put(28, z_text(at_height_age.muacz.z));
          put(29, z_class(at_height_age.muacz.z, false, false));
        }
      }
    }
    return line_;
  }

 private:
  const core::SurveyTable& survey_;
  const BatchAnalysisSettings& settings_;
  const anthro::WhoReference& who_;
  core::SurveyTable work_;
  std::optional<Flagger> flags_;
  anthro::RowEvaluationSettings nchs_;
  anthro::RowEvaluationSettings who_settings_;
  std::array<std::string, kAppended> line_;
};

using NextLine = std::function<bool(std::vector<std::string_view>&)>;

BatchAnalysisNotes write_batch_lines(std::ostream& out, const core::SurveyTable& survey,
                                     const NextLine& next_line,
                                     const BatchAnalysisSettings& settings,
                                     const anthro::WhoReference& who) {
  BatchAnalysisNotes notes;
  std::vector<std::string_view> fields;
  const bool has_header = next_line(fields);
  // N: the position after the rightmost non-empty heading of the caller.
  std::size_t n = 0;
  for (std::size_t i = has_header ? fields.size() : 0; i > 0; --i) {
    if (!fields[i - 1].empty()) {
      n = i;
      break;
    }
  }
  AppendedColumns appended(survey, settings, who);
  const int last_row = survey.last_used_row();
  std::string text;
  bool more_input = has_header;
  for (int r = 0; more_input || r <= last_row; ++r) {
    if (r > 0) {
      more_input = more_input && next_line(fields);
      if (!more_input) fields.clear();
    }
    text.clear();
    bool any = false;
    for (std::size_t c = 0; c < n; ++c) {
      if (c < fields.size()) {
        any = any || !fields[c].empty();
        text += fields[c];
      }
      text += ',';
    }
    // Fields beyond the header have no column of their own: they are left out, and said so.
    for (std::size_t c = n; c < fields.size(); ++c) {
      if (fields[c].empty()) continue;
      ++notes.lines_with_fields_beyond_header;
      if (notes.first_line_with_fields_beyond_header == 0) {
        notes.first_line_with_fields_beyond_header = r + 1;
      }
      break;
    }
    if (r == 0) {
      for (const char* heading : kBatchHeadings) {
        text += heading;
        text += ',';
      }
      any = true;
    } else if (r <= last_row) {
      for (const std::string& field : appended.of_row(r)) {
        any = any || !field.empty();
        text += field;
        text += ',';
      }
    } else {
      text.append(kAppended, ',');
    }
    text.append(kTrailingEmpty, ',');
    if (!any) continue;
    text += "\r\n";
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  return notes;
}

}  // namespace

std::string run_batch_analysis(const core::SurveyTable& survey, const BatchInputLines& input,
                               const BatchAnalysisSettings& settings,
                               const anthro::WhoReference& who, BatchAnalysisNotes* notes) {
  std::size_t next = 0;
  const NextLine next_line = [&](std::vector<std::string_view>& fields) {
    if (next >= input.size()) return false;
    fields.assign(input[next].begin(), input[next].end());
    ++next;
    return true;
  };
  std::ostringstream out;
  const BatchAnalysisNotes said = write_batch_lines(out, survey, next_line, settings, who);
  if (notes != nullptr) *notes = said;
  return std::move(out).str();
}

BatchAnalysisSettings batch_analysis_settings(const core::Workspace& workspace,
                                              const workspace::AppContext& app) {
  const core::OptionsPage& options = workspace.options;
  BatchAnalysisSettings settings;
  settings.evaluation =
      workspace::row_evaluation_settings(app.settings, options, app.dates, app.today.year);
  settings.analysis.selection = {options.zr, options.zrl, options.zrh,
                                 options.zh, options.zhl, options.zhh};
  settings.analysis.mode = options.exclusion;
  settings.analysis.flags = options.flags;
  settings.analysis.decimal_separator = app.dates.decimal_separator;
  return settings;
}

BatchAnalysisNotes write_batch_analysis_file(const core::Workspace& workspace,
                                             const workspace::AppContext& app,
                                             const std::filesystem::path& input_path,
                                             const anthro::WhoReference& who, std::ostream& out) {
  std::error_code ignored;
  std::ifstream in(input_path, std::ios::binary);
  if (!in || std::filesystem::is_directory(input_path, ignored)) {
    throw std::runtime_error("cannot open " + input_path.string() + " for reading");
  }
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw std::runtime_error("cannot read " + input_path.string());
  BatchLineReader reader(bytes);
  std::vector<std::string_view> header;
  if (!reader.next(header) || !header_names_a_column(header)) {
    throw BatchInputError(input_path.string(), 1, "the header line names no column");
  }
  bool header_given = false;
  const NextLine next_line = [&](std::vector<std::string_view>& fields) {
    if (!header_given) {
      header_given = true;
      fields = header;
      return true;
    }
    return reader.next(fields);
  };
  return write_batch_lines(out, workspace.survey, next_line,
                           batch_analysis_settings(workspace, app), who);
}

std::string BatchAnalysisNotes::message(const std::string& input) const {
  if (lines_with_fields_beyond_header == 0) return "";
  return std::to_string(lines_with_fields_beyond_header) + " lines of " + input +
         " have fields beyond the " + "columns its header names (the first is line " +
         std::to_string(first_line_with_fields_beyond_header) + "); those fields were left out";
}

}  // namespace olvar::formats
