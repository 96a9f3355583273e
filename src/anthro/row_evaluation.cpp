#include "anthro/row_evaluation.h"

#include <cctype>
#include <charconv>

#include "anthro/row_age.h"
#include "anthro/zscore_engine.h"
#include "core/standard_variables.h"
#include "core/text_conversions.h"

namespace olvar::anthro {

namespace {

using core::StdVar;

void normalise_codes(core::SurveyTable& table, int row) {
  const std::string_view sex = table.cell(StdVar::sex, row);
  if (sex == "1" || sex == "M") {
    table.set_cell(StdVar::sex, row, "m");
  } else if (sex == "2" || sex == "0" || sex == "F") {
    table.set_cell(StdVar::sex, row, "f");
  }
  if (table.cell(StdVar::edema, row) == "N") table.set_cell(StdVar::edema, row, "n");
}

char first_char(std::string_view text) { return text.empty() ? ' ' : text.front(); }

std::int32_t measured(const core::SurveyTable& table, StdVar variable, int row, double factor,
                      char separator) {
  const std::string_view text = table.cell(variable, row);
  if (text.empty()) return 0;
  // An unreadable text parses as -99999, a large negative value no index accepts.
  return engine_units(core::parse_tolerant(text, separator), factor);
}

void write_zscore(core::SurveyTable& table, StdVar variable, int row, const IndexResult& index,
                  char separator) {
  if (index.computed()) {
    table.set_cell(variable, row, core::format_fixed(index.z, 4, 3, separator));
  } else {
    table.set_cell(variable, row, "");
  }
}

}  // namespace

std::int32_t clothes_weight_grams(const std::string& text) {
  const std::string_view trimmed = core::trim_spaces(text);
  std::int32_t grams = 0;
  const auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), grams);
  if (error != std::errc() || end != trimmed.data() + trimmed.size()) return 0;
  return grams;
}

Measurement measurement_of_row(core::SurveyTable& table, int row,
                               const RowEvaluationSettings& settings) {
  Measurement m;
  normalise_codes(table, row);
  // Only a lower-case "y" means oedema to the engine; the stored text is not lower-cased.
  m.oedema = first_char(table.cell(StdVar::edema, row));
  if (settings.extra_columns_shown) {
    m.position = first_char(table.cell(StdVar::measure, row));
    m.clothes = first_char(table.cell(StdVar::clothes, row));
  }
  m.clothes_weight_g = clothes_weight_grams(settings.clothes_weight_g);
  m.age_days = age_of_row(table, row, settings.conventions, settings.current_year);

  const char separator = settings.conventions.decimal_separator;
  m.weight_g = measured(table, StdVar::weight, row, 1000.0, separator);
  m.height_cm_x1000 = measured(table, StdVar::height, row, 1000.0, separator);
  m.muac_mm_x100 = measured(table, StdVar::muac, row, 100.0, separator);
  const std::string_view sex = table.cell(StdVar::sex, row);
  m.sex =
      sex.empty() ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(sex.front())));
  return m;
}

AnthroResult Anthropometrie_Line(core::SurveyTable& table, int row,
                                 const RowEvaluationSettings& settings, const WhoReference& who) {
  if (row < 1 || row >= table.row_count()) return {};
  const Measurement m = measurement_of_row(table, row, settings);
  const AnthroResult result = evaluate(m, settings.reference, who);
  const char separator = settings.conventions.decimal_separator;
  write_zscore(table, StdVar::whz, row, result.whz, separator);
  write_zscore(table, StdVar::haz, row, result.haz, separator);
  write_zscore(table, StdVar::waz, row, result.waz, separator);
  return result;
}

void evaluate_all_rows(core::SurveyTable& table, const RowEvaluationSettings& settings,
                       const WhoReference& who) {
  for (int row = 1; row < table.row_count(); ++row) Anthropometrie_Line(table, row, settings, who);
}

}  // namespace olvar::anthro
