#pragma once
// The double-entry check: two survey files of the same questionnaires, entered by different
// people, compared line by line; the report (RTF, without its closing brace, which the hand-off
// adds) lists every line that differs.

#include <string>
#include <string_view>

#include "core/language_table.h"

namespace olvar::formats {

struct DoubleEntryFile {
  std::string name;   // as shown in the report
  std::string bytes;  // the whole file
};

struct DoubleEntryChoice {
  bool anthropometric = true;  // "Anthropometric Data"
  bool mortality = false;      // "Mortality Data": household and individual level
};

struct DoubleEntryReport {
  std::string rtf;
  int differences = 0;
};

DoubleEntryReport double_entry_report(const DoubleEntryFile& first, const DoubleEntryFile& second,
                                      const DoubleEntryChoice& choice,
                                      const core::LanguageTable& text);

}  // namespace olvar::formats
