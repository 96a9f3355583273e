#pragma once
// The cluster sampling table handed out: printed as a report document ("Print cluster table")
// and as a tab-separated table for the spreadsheet program ("Transfer data to spreadsheet").

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/language_table.h"
#include "core/text_grid.h"
#include "document/document_buffer.h"

namespace olvar::planning {

inline constexpr core::LanguageEntry kClusterTableTitle{924};
inline constexpr core::LanguageEntry kPrintedUnitHeading{925};
inline constexpr core::LanguageEntry kPrintedPopulationHeading{926};
inline constexpr core::LanguageEntry kPrintedClusterHeading{927};
inline constexpr core::LanguageEntry kReserveClusterNote{95};  // "*RC: Reserve Cluster"

// What the printed table says about the seed, so that the draw can be repeated.
inline constexpr std::string_view kSeedCaption = "Seed of the random draw: ";

// The printed table: the header with 2 cm margins, the title (entry 924), centred tab stops, the
// headings (entries 925 to 927), one line per row from row 1 with its three cells each followed
// by a tab (rows whose three cells are empty are left out), the seed of the draw when known, and
// the reserve cluster note (entry 95).
document::DocumentBuffer cluster_table_document(const core::TextGrid& table,
                                               const core::LanguageTable& text,
                                               std::optional<std::uint32_t> seed);

// The table for the spreadsheet program: rows 0 to the last row whose population or cluster cell
// is not empty, every cell followed by a tab, a line feed after each row.
document::DocumentBuffer cluster_table_for_spreadsheet(const core::TextGrid& table);

}  // namespace olvar::planning
