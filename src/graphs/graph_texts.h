#pragma once
// What the results page's graphs take from the program besides the data: the Language table for
// their texts, the reference in force (its name is the reference curve's legend) and the
// exclusion mode (named under the Gaussian curve).

#include <string>

#include "anthro/measurement.h"
#include "core/flag_parameters.h"
#include "core/language_table.h"

namespace olvar::graphs {

struct GraphTexts {
  const core::LanguageTable& text;
  anthro::Reference reference = anthro::Reference::who2006;
  core::ExclusionMode exclusion = core::kDefaultExclusionMode;

  const std::string& operator()(int entry) const { return text.text(entry); }
};

}  // namespace olvar::graphs
