#pragma once
// The mortality plausibility report: a read-only quality check of the individual mortality
// table (missing and contradictory entries, duplicate households, unusual births and deaths,
// households per cluster, an age histogram, sex and age ratio tests of the children and
// dispersion tests between households and clusters), written as the RTF text of the document
// buffer. The caller closes the document and hands it to the word processor.
//
//   std::string rtf = mortality::mortality_plausibility_report(ws.mortality_individuals, text);
//   rtf += document::rtf::kDocumentEnd;

#include <string>

#include "core/language_table.h"
#include "core/text_grid.h"

namespace olvar::mortality {

// The last row to examine: searching upwards from the second-last row, the first row with a
// Cluster, Team or HH cell; 1 when there is none.
int last_checked_row(const core::TextGrid& individuals);

std::string mortality_plausibility_report(const core::TextGrid& individuals,
                                          const core::LanguageTable& text);

}  // namespace olvar::mortality
