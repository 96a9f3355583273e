#pragma once
// The two corrections applied while data is typed: the weight of a child with oedema (the
// oedema fluid is not body mass) and a height typed in millimetres. Data entry calls them when
// the cursor leaves the EDEMA or the HEIGHT cell of a row; each returns the cell it rewrote so
// the window can refresh it. (The third correction, clothes, lives in the z-score engine.)

#include <optional>
#include <string>
#include <string_view>

#include "core/prompter.h"
#include "core/standard_variables.h"
#include "core/survey_table.h"

namespace olvar::anthro {

// One cell a correction rewrote, with its text before and after.
struct CorrectedCell {
  core::StdVar variable;
  int row = 0;
  std::string before;
  std::string after;
};

// The share of the weight that is body mass, by the lower-cased EDEMA text: "y" for the yes/no
// coding, "1" to "3" for the graded coding; nullopt for any other text (no correction).
std::optional<double> oedema_weight_factor(std::string_view edema_text);

// Oedema weight correction of `row`. When `automatic_correction` (the option) is on, the WEIGHT
// is positive and the EDEMA text gives a factor, the user is asked `question` (the language
// text for it); on Yes WEIGHT becomes the corrected weight with one decimal. Returns the
// rewritten cell, or nullopt when nothing changed.
std::optional<CorrectedCell> EdemaCorrection(core::SurveyTable& table, int row,
                                             bool automatic_correction, std::string_view question,
                                             core::Prompter& prompter,
                                             char decimal_separator = '.');

// Height correction of `row`: a positive HEIGHT above 220 is taken as millimetres and divided by
// 10; every positive height is then written with one decimal. An empty, non-numeric or
// non-positive HEIGHT stays as typed. Returns the rewritten cell, or nullopt when the text did
// not change.
std::optional<CorrectedCell> HeightCorrection(core::SurveyTable& table, int row,
                                              char decimal_separator = '.');

}  // namespace olvar::anthro
