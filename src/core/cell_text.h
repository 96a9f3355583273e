#pragma once
// Cell text the survey file can hold. The file separates fields by TAB and lines by CR LF, and a
// line holding the byte 0xA5 followed by a section name opens a section (a data line starting
// with 0xA5 ends the children's block). A cell holding any of these would come back as other
// cells, other rows or a cut table. Such text is made holdable where it enters the program
// (import, paste, typing) and, as a last guard, where it is written:
//   - a line break (CR LF, CR or LF) or a TAB becomes one blank;
//   - the byte 0xA5 at the start of the text, or before a section name, becomes "Y".
// Anything else is kept byte for byte.

#include <string>
#include <string_view>

#include "core/text_grid.h"
#include "core/workspace.h"

namespace olvar::core {

// The letter that takes the place of a marker byte 0xA5 ("¥" in Windows-1252) the file could
// mistake for a section.
inline constexpr char kMarkerStandIn = 'Y';

// Whether the survey file holds `text` as it is.
bool file_can_hold(std::string_view text);
// `text` as the survey file can hold it (the rules above); unchanged when it already can.
std::string holdable_text(std::string_view text);
// Makes `text` holdable in place; returns whether it changed.
bool make_holdable(std::string& text);
// Makes every cell of `grid` holdable; returns the number of cells changed.
int make_cells_holdable(TextGrid& grid);
// Every table and text field of the workspace a save writes; returns the number changed.
int make_workspace_holdable(Workspace& workspace);

}  // namespace olvar::core
