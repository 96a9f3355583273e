#pragma once
// The colours of the grids. The core decides what a cell is; this file how it looks.

#include <QColor>

namespace olvar::ui::palette {

// A cell that failed the plausibility check of its row.
inline const QColor kMarked{218, 112, 214};
// WAZ, HAZ and WHZ: written by the program, not typed, so set apart from the typed cells.
inline const QColor kComputed{235, 235, 228};
// The age column that typing passes over (MONTHS or BIRTHDAT, by the age entry option): greyed
// so that the enumerator sees at once that the cursor will not stop there.
inline const QColor kSkipped{200, 200, 200};
inline const QColor kSkippedText{110, 110, 110};
// The result panel: the percentile bars and their markers (a z-score inside its range is shown
// on the marker colour, one outside on kMarked).
inline const QColor kBar{240, 240, 50};
inline const QColor kMarker{135, 206, 250};

}  // namespace olvar::ui::palette
