#pragma once
// Between the core's RTF document (document/rtf_text.h) and Qt's rich-text document, for the
// report editor window: character formats with their face names, and each paragraph's
// alignment, indents and bullets.

#include <QString>
#include <vector>

#include "document/rtf_text.h"

class QTextDocument;

namespace olvar::ui {

// The font of the fixed-width blocks of the reports, and the one of the text around them.
inline const QString kFixedWidthFamily = QStringLiteral("Courier New");
inline const QString kProportionalFamily = QStringLiteral("Times New Roman");

// The editor's paragraph indents are pixels of 96 to the inch; RTF's are twips (a twentieth of
// a point), the ruler's points.
inline constexpr double kPixelsPerPoint = 96.0 / 72.0;
inline constexpr double kPixelsPerTwip = kPixelsPerPoint / 20.0;

// Replaces the document's content by the RTF document.
void fill_document(QTextDocument& document, const document::RtfDocument& rtf);

// The RTF document of the text with its character and paragraph formats.
document::RtfDocument rtf_document_of(const QTextDocument& document);

// The runs of the document's text and character formats.
std::vector<document::RtfRun> runs_of_document(const QTextDocument& document);

}  // namespace olvar::ui
