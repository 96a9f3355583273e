#pragma once
// Row evaluation: one Survey table row through the z-score engine. Codes are normalised in the
// cells, the age is derived (and MONTHS written), and WAZ, HAZ and WHZ are written back with
// three decimals for the selected reference, or emptied when the index cannot be computed.
// Runs after every edit of a row, for every row after a file is read, and whenever an option
// or the reference changes.

#include <cstdint>
#include <string>

#include "anthro/measurement.h"
#include "anthro/who_reference.h"
#include "core/date_conventions.h"
#include "core/survey_table.h"

namespace olvar::anthro {

// What row evaluation needs besides the row: the options and conventions in force.
struct RowEvaluationSettings {
  Reference reference = Reference::who2006;
  bool extra_columns_shown = false;  // MEASURE and CLOTHES count only while shown
  std::string clothes_weight_g;      // the clothes weight option, as typed (grams)
  core::DateConventions conventions;
  int current_year = 0;  // today's year, which places two-digit years
};

// The clothes weight option in whole grams; 0 when it is not a whole number. Every reader of
// the option takes it this way, so that its z-scores are those of the Data View.
std::int32_t clothes_weight_grams(const std::string& text);

// The measurement record as row evaluation reads it from `row` (codes normalised in the cells,
// dates completed, MONTHS written); the engine has not run yet.
Measurement measurement_of_row(core::SurveyTable& table, int row,
                               const RowEvaluationSettings& settings);

// Evaluates `row` and writes its WHZ, HAZ and WAZ. Returns the engine's result, which the
// result panel of the Data View shows.
AnthroResult Anthropometrie_Line(core::SurveyTable& table, int row,
                                 const RowEvaluationSettings& settings, const WhoReference& who);

// Evaluates every data row (rows 1 to the last row).
void evaluate_all_rows(core::SurveyTable& table, const RowEvaluationSettings& settings,
                       const WhoReference& who);

}  // namespace olvar::anthro
