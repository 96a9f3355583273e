#include "core/variable_view.h"

#include <array>

#include "core/standard_variables.h"
#include "core/text_conversions.h"

namespace olvar::core {

namespace {

struct Defaults {
  VariableType type;
  std::string_view minimum;
  std::string_view maximum;
};

// The attributes a new table gives the standard variables, by column. The z-scores have no
// limits: their plausibility is judged by the flag rules, not by the cell marks.
constexpr std::array<Defaults, kStandardVariableCount + 1> kDefaults = {{
    {VariableType::numeric, "", ""},        // column 0: not a variable
    {VariableType::date, "", ""},           // SURVDATE
    {VariableType::numeric, "1", "999"},    // CLUSTER
    {VariableType::numeric, "1", "20"},     // TEAM
    {VariableType::numeric, "", ""},        // ID
    {VariableType::numeric, "", ""},        // HH
    {VariableType::character, "", ""},      // SEX
    {VariableType::date, "", ""},           // BIRTHDAT
    {VariableType::numeric, "6", "59.99"},  // MONTHS
    {VariableType::numeric, "3", "31"},     // WEIGHT
    {VariableType::numeric, "54", "124"},   // HEIGHT
    {VariableType::character, "", ""},      // EDEMA
    {VariableType::numeric, "70", "235"},   // MUAC
    {VariableType::numeric, "", ""},        // WAZ
    {VariableType::numeric, "", ""},        // HAZ
    {VariableType::numeric, "", ""},        // WHZ
    {VariableType::character, "", ""},      // MEASURE
    {VariableType::character, "", ""},      // CLOTHES
    {VariableType::numeric, "", ""},        // STRATA
    {VariableType::numeric, "", ""},        // WTFACTOR
}};

std::optional<float> limit(const TextGrid& view, int row, VariableField field,
                           char decimal_separator) {
  const std::string_view text = view.cell(field_column(field), row);
  if (text.empty()) return std::nullopt;
  return parse_tolerant(text, decimal_separator);
}

}  // namespace

std::string_view type_text(VariableType type) {
  switch (type) {
    case VariableType::character:
      return "character";
    case VariableType::date:
      return "date";
    case VariableType::numeric:
      break;
  }
  return "numeric";
}

TextGrid new_variable_view() {
  TextGrid view(kVariableViewColumns, kVariableViewRows);
  VSG_New(view);
  return view;
}

void VSG_New(TextGrid& view) {
  if (view.column_count() != kVariableViewColumns || view.row_count() != kVariableViewRows) {
    view.resize(kVariableViewColumns, kVariableViewRows);
  }
  for (int row = 1; row < view.row_count(); ++row) {
    for (int column = 0; column < view.column_count(); ++column) view.set_cell(column, row, "");
  }
  for (int k = 1; k <= kStandardVariableCount; ++k) {
    view.set_cell(field_column(VariableField::name), k, kStandardHeaders[k]);
    view.set_cell(field_column(VariableField::type), k, type_text(kDefaults[k].type));
    view.set_cell(field_column(VariableField::minimum), k, kDefaults[k].minimum);
    view.set_cell(field_column(VariableField::maximum), k, kDefaults[k].maximum);
  }
}

VariableType variable_type(const TextGrid& view, int row) {
  const std::string_view text = view.cell(field_column(VariableField::type), row);
  if (text == type_text(VariableType::date)) return VariableType::date;
  if (text == type_text(VariableType::character)) return VariableType::character;
  return VariableType::numeric;
}

std::optional<float> variable_minimum(const TextGrid& view, int row, char decimal_separator) {
  return limit(view, row, VariableField::minimum, decimal_separator);
}

std::optional<float> variable_maximum(const TextGrid& view, int row, char decimal_separator) {
  return limit(view, row, VariableField::maximum, decimal_separator);
}

}  // namespace olvar::core
