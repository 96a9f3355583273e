#include "anthro/corrections.h"

#include <string>

#include "core/text_conversions.h"

namespace olvar::anthro {
namespace {

// Heights above this many cm cannot be a child's: they were typed in millimetres.
constexpr float kLargestHeightCm = 220.0f;

std::string lower_ascii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// The fixed (6, 1) format without padding. The value is formatted as the single-precision
// number it is held as, so that 12.5 x 0.964 = 12.05 reads as "12.1", as by hand.
std::string one_decimal(float value, char decimal_separator) {
  return std::string(core::trim_spaces(core::format_fixed(value, 6, 1, decimal_separator)));
}

std::optional<CorrectedCell> rewrite(core::SurveyTable& table, core::StdVar variable, int row,
                                     std::string after) {
  std::string before(table.cell(variable, row));
  if (after == before) return std::nullopt;
  table.set_cell(variable, row, after);
  return CorrectedCell{variable, row, std::move(before), std::move(after)};
}

}  // namespace

std::optional<double> oedema_weight_factor(std::string_view edema_text) {
  // Factors of the oedema grades as the program's options captions state them.
  const std::string code = lower_ascii(edema_text);
  if (code == "y") return 0.964;
  if (code == "1") return 0.9732;
  if (code == "2") return 0.9569;
  if (code == "3") return 0.9162;
  return std::nullopt;
}

std::optional<CorrectedCell> EdemaCorrection(core::SurveyTable& table, int row,
                                             bool automatic_correction, std::string_view question,
                                             core::Prompter& prompter, char decimal_separator) {
  if (!table.contains(core::column(core::StdVar::weight), row) || row < 1) return std::nullopt;
  const float weight =
      core::parse_tolerant(table.cell(core::StdVar::weight, row), decimal_separator);
  if (!(weight > 0.0f) || !automatic_correction) return std::nullopt;
  const std::optional<double> factor = oedema_weight_factor(table.cell(core::StdVar::edema, row));
  if (!factor) return std::nullopt;
  const auto corrected = static_cast<float>(weight * *factor);
  if (corrected == weight) return std::nullopt;
  if (!prompter.ask_yes_no(question)) return std::nullopt;
  return rewrite(table, core::StdVar::weight, row, one_decimal(corrected, decimal_separator));
}

std::optional<CorrectedCell> HeightCorrection(core::SurveyTable& table, int row,
                                              char decimal_separator) {
  if (!table.contains(core::column(core::StdVar::height), row) || row < 1) return std::nullopt;
  float height = core::parse_tolerant(table.cell(core::StdVar::height, row), decimal_separator);
  if (!(height > 0.0f)) return std::nullopt;
  if (height > kLargestHeightCm) height /= 10.0f;
  return rewrite(table, core::StdVar::height, row, one_decimal(height, decimal_separator));
}

}  // namespace olvar::anthro
