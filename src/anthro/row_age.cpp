#include "anthro/row_age.h"

#include <optional>
#include <string>

#include "anthro/month_length.h"
#include "core/date_text.h"
#include "core/text_conversions.h"

namespace olvar::anthro {

namespace {

using core::StdVar;

std::string months_text(double age_days, const core::DateConventions& conventions) {
  return core::format_fixed(age_days / kDaysPerMonthForSurveyAges, 5, 2, conventions.decimal_separator);
}

void complete_cell(core::SurveyTable& table, StdVar variable, int row,
                   const core::DateConventions& conventions) {
  const std::string_view typed = table.cell(variable, row);
  std::string completed = core::complete_typed_date(typed, conventions);
  if (completed != typed) table.set_cell(variable, row, completed);
}

}  // namespace

double age_of_row(core::SurveyTable& table, int row, const core::DateConventions& conventions,
                  int current_year) {
  if (!table.cell(StdVar::survdate, row).empty()) {
    complete_cell(table, StdVar::survdate, row, conventions);
  }
  if (table.cell(StdVar::birthdat, row).size() > 4) {
    complete_cell(table, StdVar::birthdat, row, conventions);
  }

  const std::string_view survey_date = table.cell(StdVar::survdate, row);
  const std::string_view birth_date = table.cell(StdVar::birthdat, row);
  double age_days = kMissingAge;
  if (!survey_date.empty() && !birth_date.empty()) {
    const std::optional<int> survey_day = core::day_number(survey_date, conventions, current_year);
    const std::optional<int> birth_day = core::day_number(birth_date, conventions, current_year);
    if (survey_day && birth_day) {
      age_days = static_cast<double>(*survey_day - *birth_day);
      if (birth_date.size() > 4) {
        table.set_cell(StdVar::months, row, months_text(age_days, conventions));
      }
    }
  }

  const std::string_view months = table.cell(StdVar::months, row);
  if (!months.empty()) {
    const std::optional<float> value = core::parse_number(months, conventions.decimal_separator);
    age_days = value ? static_cast<double>(*value) * kDaysPerMonthForSurveyAges : kMissingAge;
  }
  return age_days;
}

bool fill_months_from_age(core::SurveyTable& table, int row, double age_days,
                          const core::DateConventions& conventions) {
  if (!(age_days > 0.0) || !table.cell(StdVar::months, row).empty()) return false;
  table.set_cell(StdVar::months, row, months_text(age_days, conventions));
  return true;
}

}  // namespace olvar::anthro
