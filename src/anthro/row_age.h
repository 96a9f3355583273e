#pragma once
// The age of a child in days, from the survey date and date of birth of a Survey table row or
// from the age in months typed by the enumerator.

#include "core/date_conventions.h"
#include "core/survey_table.h"

namespace olvar::anthro {

inline constexpr double kMissingAge = -1.0;

// The age in days of a row, as row evaluation needs it; kMissingAge when there is none. Works
// in this order, and writes back into the row:
//   1. SURVDATE (when not empty) and BIRTHDAT (when longer than 4 characters) typed as digits
//      only are completed (core::complete_typed_date) and written back.
//   2. BIRTHDAT longer than 4 characters and both dates present: MONTHS := the difference of
//      the two dates in days / kDaysPerMonthForSurveyAges, written with format_fixed(5, 2).
//   3. Both dates present: age := the difference in days.
//   4. MONTHS present: age := MONTHS * kDaysPerMonthForSurveyAges, which overrides step 3, so that with
//      both dates the age passes through the two-decimal MONTHS text, and a typed MONTHS serves
//      when a date is missing.
// A date that cannot be read gives no age of its own but leaves a typed MONTHS in force: the
// plausibility mark of the date cell shows that it needs correcting, and the child keeps the
// indices its age in months gives. An unreadable MONTHS gives kMissingAge. A
// negative difference stays negative; the engine treats it as missing.
double age_of_row(core::SurveyTable& table, int row, const core::DateConventions& conventions,
                  int current_year);

// The result panel of the Data View fills an empty MONTHS from a positive age in days. Returns
// whether MONTHS was written.
bool fill_months_from_age(core::SurveyTable& table, int row, double age_days,
                          const core::DateConventions& conventions);

}  // namespace olvar::anthro
