#pragma once
// The two grids of the Training page and what both sub-pages share: their headings, the number
// of children a report uses, pasting text into a grid and the table handed to the spreadsheet.
//
// Continuous grid (`TPG_anthro`, 127 x 102): rows 0 and 1 are headings, rows 2 to 101 children
// 1 to 100. Columns 1 to 126 are 21 groups of six, one per observer: group 0 the supervisor,
// groups 1 to 20 the enumerators. Inside a group: weight 1, weight 2, height 1, height 2,
// MUAC 1, MUAC 2. Categorical grid (`TPG_categories`, 22 x 102): column 1 the supervisor,
// columns 2 to 21 enumerators 1 to 20, rows 2 to 101 children.

#include <string>
#include <string_view>

#include "core/language_table.h"
#include "core/text_grid.h"

namespace olvar::training {

inline constexpr int kFirstChildRow = 2;
inline constexpr int kLastChildRow = 101;
inline constexpr int kEnumerators = 20;
inline constexpr int kGroupWidth = 6;
inline constexpr int kContinuousColumns = 127;
inline constexpr int kCategoricalColumns = 22;
inline constexpr int kGridRows = 102;

inline constexpr core::LanguageEntry kChildHeading{983};
inline constexpr core::LanguageEntry kSupervisorHeading{1090};
inline constexpr core::LanguageEntry kEnumeratorHeading{997};  // followed by a blank and g
inline constexpr core::LanguageEntry kWeight1Heading{857};
inline constexpr core::LanguageEntry kWeight2Heading{858};
inline constexpr core::LanguageEntry kHeight1Heading{859};
inline constexpr core::LanguageEntry kHeight2Heading{860};
inline constexpr core::LanguageEntry kPasteQuestion{933};

// The first column of observer group g (0 the supervisor).
constexpr int group_column(int group) { return kGroupWidth * group + 1; }

// Rewrites the headings of the continuous grid (rows 0 and 1, the child numbers of column 0),
// as showing the Training page does. Children's rows are not touched.
void write_continuous_headings(core::TextGrid& grid, const core::LanguageTable& text);
// The same for the categorical grid (row 0, the corner cell of row 1, the child numbers).
void write_categorical_headings(core::TextGrid& grid, const core::LanguageTable& text);

// The heading of observer group g: Language entry 1090, or entry 997, a blank and g.
std::string observer_name(int group, const core::LanguageTable& text);

// The number of children a report uses: the last child row, searched upwards from row 101,
// whose cell in `column` is filled, minus 1; 0 when the column is empty.
int children_used(const core::TextGrid& grid, int column);

// Pastes clipboard text at (column, row): lines (LF, CR LF or CR) go to successive rows, tabs
// separate cells. Cells beyond the grid are dropped; the headings (rows 0 and 1) and column 0
// are never written. Returns whether any cell was written.
bool paste_text(core::TextGrid& grid, int column, int row, std::string_view text);

// The grid as handed to the spreadsheet: rows 0 to the last, columns 1 on, each cell followed by
// a tab, an LF after each row.
std::string transfer_text(const core::TextGrid& grid);

}  // namespace olvar::training
