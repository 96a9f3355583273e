#pragma once
// Between the core's RTF runs (reports/rtf_text.h) and Qt's rich-text document, for the report
// editor window.

#include <QString>
#include <vector>

#include "document/rtf_text.h"

class QTextDocument;

namespace olvar::ui {

// The font of the fixed-width blocks of the reports, and the one of the text around them.
inline const QString kFixedWidthFamily = QStringLiteral("Courier New");
inline const QString kProportionalFamily = QStringLiteral("Times New Roman");

// Replaces the document's content by the runs.
void fill_document(QTextDocument& document, const std::vector<document::RtfRun>& runs);

// The runs of the document's text and character formats (paragraph formats are not kept).
std::vector<document::RtfRun> runs_of_document(const QTextDocument& document);

}  // namespace olvar::ui
