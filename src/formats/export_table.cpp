#include "formats/export_table.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "anthro/flags.h"
#include "anthro/month_length.h"
#include "anthro/row_evaluation.h"
#include "anthro/zscore_engine.h"
#include "core/standard_variables.h"
#include "core/text_conversions.h"
#include "formats/batch_analysis.h"
#include "stats/column_summary.h"

namespace olvar::formats {

namespace {

using anthro::AnthroResult;
using anthro::FlagIndex;
using core::StdVar;

// Fields of a line, 0-based.
constexpr std::size_t kMonths = 7, kWeight = 8, kHeight = 9, kEdema = 10, kMuac = 11;
constexpr std::size_t kEnteredFields = 12;   // SURVDATE to MUAC
constexpr std::size_t kFirstRestField = 15;  // MEASURE: WAZ, HAZ, WHZ of the file are left out
constexpr std::size_t kMeasure = 15, kClothes = 16;

// The tab-separated fields of a line up to its last non-empty one: the survey file ends every
// field with a TAB and may write empty spare columns after the last variable.
std::vector<std::string> fields_of(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (start <= line.size()) {
    const std::size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) {
      if (start < line.size()) fields.emplace_back(line.substr(start));
      break;
    }
    fields.emplace_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  while (!fields.empty() && fields.back().empty()) fields.pop_back();
  return fields;
}

std::vector<std::string_view> lines_of(std::string_view bytes) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

const std::string& field(const std::vector<std::string>& fields, std::size_t index) {
  static const std::string kEmpty;
  return index < fields.size() ? fields[index] : kEmpty;
}

// A line of tabs and blanks only is no child: the table may hold spare rows.
bool blank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
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

ExportSettings export_settings(const core::OptionsPage& options, char decimal_separator) {
  ExportSettings settings;
  settings.clothes_weight_g = options.Edit26;
  settings.analysis = analysis::analysis_settings(options, decimal_separator);
  return settings;
}

std::array<double, 3> kandu_means(const core::SurveyTable& survey, const ExportSettings& settings) {
  const analysis::AnalysisTable analysis =
      analysis::SG6_uebergabe(survey, settings.analysis, analysis::Transfer::copy());
  return {stats::DeskripStatCont(analysis.table, core::column(StdVar::waz)).mean,
          stats::DeskripStatCont(analysis.table, core::column(StdVar::haz)).mean,
          stats::DeskripStatCont(analysis.table, core::column(StdVar::whz)).mean};
}

std::string export_table(std::string_view file_bytes, const std::array<double, 3>& means,
                         const ExportSettings& settings, const anthro::WhoReference& who) {
  const char separator = settings.analysis.decimal_separator;
  const std::vector<std::string_view> lines = lines_of(file_bytes);
  if (lines.size() < 2) return "";

  std::string out;
  // Line 0 is the file's date order; line 1 names the variables.
  const std::vector<std::string> names = fields_of(lines[1]);
  bool first = true;
  for (std::size_t k = 0; k < kEnteredFields; ++k) append_cell(out, field(names, k), first);
  for (const char* heading : kExportHeadings) append_cell(out, heading, first);
  for (std::size_t k = kFirstRestField; k < names.size(); ++k) append_cell(out, names[k], first);
  out += '\n';

  const Flagger flagger(settings, means);
  const std::int32_t clothes_weight_g = anthro::clothes_weight_grams(settings.clothes_weight_g);

  for (std::size_t l = 2; l < lines.size(); ++l) {
    const std::string_view line = lines[l];
    if (line.find('\xA5') != std::string_view::npos) break;
    if (blank(line)) continue;
    std::vector<std::string> fields = fields_of(line);
    // Numbers from MONTHS on are written with the system's decimal separator.
    for (std::size_t k = kMonths; k < fields.size(); ++k)
      core::normalise_decimal(fields[k], separator);
    const std::size_t width = std::max(fields.size(), names.size());

    anthro::Measurement m;
    const std::string& sex = field(fields, 5);
    // "m" is a boy and any other code a girl; without a sex no index can be computed.
    m.sex = sex.empty() ? ' ' : (lower_first(sex) == 'm' ? 'm' : 'f');
    const std::string& months = field(fields, kMonths);
    m.age_days = months.empty()
                     ? -1.0
                     : core::parse_tolerant(months, separator) * anthro::kDaysPerMonthForSurveyAges;
    m.weight_g = units(field(fields, kWeight), 1000.0, separator);
    m.height_cm_x1000 = units(field(fields, kHeight), 1000.0, separator);
    m.muac_mm_x100 = units(field(fields, kMuac), 100.0, separator);
    const char position = lower_first(field(fields, kMeasure));
    if (position == 'l' || position == 'h') m.position = position;
    if (field(fields, kClothes) == "y") m.clothes = 'y';
    m.clothes_weight_g = clothes_weight_g;
    // The exported z-scores are those without oedema; oedema counts in the flags only.
    m.oedema = ' ';
    const bool oedema = lower_first(field(fields, kEdema)) == 'y';

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
    for (std::size_t k = 0; k < kEnteredFields; ++k) append_cell(out, field(fields, k), first);
    for (const std::string& cell :
         {z(nchs.waz.z), z(nchs.haz.z), z(nchs.whz.z), z(whor.waz.z), z(whor.haz.z), z(whor.whz.z),
          z(whor.baz.z), pct(nchs.waz.pct_of_median), pct(nchs.haz.pct_of_median),
          pct(nchs.whz.pct_of_median), flagger.flags(nchs, oedema), flagger.flags(whor, oedema),
          z(whor.muacz.z)}) {
      append_cell(out, cell, first);
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
    for (std::size_t k = kFirstRestField; k < width; ++k) append_cell(out, field(fields, k), first);
    out += '\n';
  }
  return out;
}

std::string export_survey_file(const std::filesystem::path& file,
                               const std::array<double, 3>& means, const ExportSettings& settings,
                               const anthro::WhoReference& who) {
  std::error_code ignored;
  std::ifstream in(file, std::ios::binary);
  if (!in || std::filesystem::is_directory(file, ignored)) {
    throw std::runtime_error("cannot open " + file.string() + " for reading");
  }
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw std::runtime_error("cannot read " + file.string());
  return export_table(bytes, means, settings, who);
}

}  // namespace olvar::formats
