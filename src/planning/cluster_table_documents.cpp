#include "planning/cluster_table_documents.h"

#include <string>

#include "planning/cluster_assignment.h"

namespace olvar::planning {

document::DocumentBuffer cluster_table_document(const core::TextGrid& table,
                                               const core::LanguageTable& text,
                                               std::optional<std::uint32_t> seed) {
  document::DocumentBuffer doc;
  doc << document::rtf::kHeaderWithMargins << text.text(kClusterTableTitle) << R"(\b0\fs24\par )"
      << R"(\par )";
  doc << R"(\f0)" << document::rtf::centred_tab_stop(2700) << document::rtf::centred_tab_stop(5700)
      << " ";
  doc << text.text(kPrintedUnitHeading) << R"(\tab )" << text.text(kPrintedPopulationHeading)
      << R"(\tab )" << text.text(kPrintedClusterHeading) << R"( \par\par )";
  for (int row = 1; row < table.row_count(); ++row) {
    if (table.row_is_empty(row, /*skip_column0=*/false)) continue;
    for (int column = 0; column < 3; ++column) doc << table.cell(column, row) << R"(\tab )";
    doc << R"(\par )";
  }
  if (seed) doc << R"(\par )" << kSeedCaption << std::to_string(*seed);
  doc << R"(\par\par )" << text.text(kReserveClusterNote) << R"( \pard )";
  return doc;
}

document::DocumentBuffer cluster_table_for_spreadsheet(const core::TextGrid& table) {
  int last = 0;
  for (int row = 1; row < table.row_count(); ++row) {
    if (!table.cell(kClusterPopulationColumn, row).empty() ||
        !table.cell(kClusterLabelColumn, row).empty()) {
      last = row;
    }
  }
  document::DocumentBuffer doc;
  for (int row = 0; row <= last; ++row) {
    for (int column = 0; column < 3; ++column) doc << table.cell(column, row) << "\t";
    doc << "\n";
  }
  return doc;
}

}  // namespace olvar::planning
