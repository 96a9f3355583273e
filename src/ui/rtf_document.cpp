#include "ui/rtf_document.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <cmath>

#include "ui/qt_convert.h"

namespace olvar::ui {

namespace {

QTextCharFormat format_of(const document::RtfRun& run) {
  QTextCharFormat format;
  format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
  format.setFontItalic(run.italic);
  format.setFontUnderline(run.underline);
  format.setFontPointSize(run.half_points / 2.0);
  const QString own_family = run.fixed_width ? kFixedWidthFamily : kProportionalFamily;
  format.setFontFamilies({run.font.empty() ? own_family : to_qstring(run.font)});
  format.setFontFixedPitch(run.fixed_width);
  return format;
}

QString family_of(const QTextCharFormat& format, const QTextDocument& document) {
  const QStringList families = format.fontFamilies().toStringList();
  // Text without a face of its own shows in the document's default font.
  return families.isEmpty() ? document.defaultFont().family() : families.first();
}

bool is_fixed_width(const QTextCharFormat& format, const QString& family) {
  if (format.fontFixedPitch()) return true;
  return family.contains(QStringLiteral("Courier"), Qt::CaseInsensitive) ||
         family.contains(QStringLiteral("Mono"), Qt::CaseInsensitive);
}

int twips_of(qreal pixels) { return static_cast<int>(std::lround(pixels / kPixelsPerTwip)); }

QTextBlockFormat block_format_of(const document::RtfParagraph& paragraph) {
  QTextBlockFormat format;
  switch (paragraph.alignment) {
    case document::RtfAlignment::left:
      format.setAlignment(Qt::AlignLeft);
      break;
    case document::RtfAlignment::centre:
      format.setAlignment(Qt::AlignHCenter);
      break;
    case document::RtfAlignment::right:
      format.setAlignment(Qt::AlignRight);
      break;
    case document::RtfAlignment::justified:
      format.setAlignment(Qt::AlignJustify);
      break;
  }
  // Qt and RTF agree: a left margin for every line, the first line indented from it.
  format.setLeftMargin(paragraph.left_indent * kPixelsPerTwip);
  format.setTextIndent(paragraph.first_indent * kPixelsPerTwip);
  format.setRightMargin(paragraph.right_indent * kPixelsPerTwip);
  return format;
}

document::RtfParagraph paragraph_of(const QTextBlock& block) {
  const QTextBlockFormat format = block.blockFormat();
  document::RtfParagraph paragraph;
  const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
  if (alignment & Qt::AlignHCenter) {
    paragraph.alignment = document::RtfAlignment::centre;
  } else if (alignment & Qt::AlignRight) {
    paragraph.alignment = document::RtfAlignment::right;
  } else if (alignment & Qt::AlignJustify) {
    paragraph.alignment = document::RtfAlignment::justified;
  }
  paragraph.left_indent = twips_of(format.leftMargin());
  paragraph.first_indent = twips_of(format.textIndent());
  paragraph.right_indent = twips_of(format.rightMargin());
  paragraph.bullet = block.textList() != nullptr;
  return paragraph;
}

}  // namespace

void fill_document(QTextDocument& document, const document::RtfDocument& rtf) {
  // A loaded document is where Undo stops: filling it is no step to undo.
  document.setUndoRedoEnabled(false);
  document.clear();
  QTextCursor cursor(&document);
  bool first_block = true;
  for (const document::RtfRun& run : rtf.runs) {
    const QTextCharFormat format = format_of(run);
    if (first_block) {
      cursor.setCharFormat(format);
      first_block = false;
    }
    const QStringList paragraphs = to_qstring(run.text).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
      if (i > 0) cursor.insertBlock(QTextBlockFormat(), format);
      if (!paragraphs[i].isEmpty()) cursor.insertText(paragraphs[i], format);
    }
  }
  // Neighbouring bulleted paragraphs make one list, as in the word processor.
  QTextList* list = nullptr;
  std::size_t index = 0;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next(), ++index) {
    const document::RtfParagraph paragraph =
        index < rtf.paragraphs.size() ? rtf.paragraphs[index] : document::RtfParagraph();
    QTextCursor at(block);
    at.setBlockFormat(block_format_of(paragraph));
    if (!paragraph.bullet) {
      list = nullptr;
    } else if (list != nullptr) {
      list->add(block);
    } else {
      list = at.createList(QTextListFormat::ListDisc);
    }
  }
  document.setUndoRedoEnabled(true);
  document.setModified(false);
}

document::RtfDocument rtf_document_of(const QTextDocument& document) {
  document::RtfDocument rtf;
  rtf.runs = runs_of_document(document);
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    // A soft line break is a paragraph end in the runs: its line keeps the paragraph's format.
    const qsizetype lines = 1 + block.text().count(QChar::LineSeparator);
    rtf.paragraphs.insert(rtf.paragraphs.end(), lines, paragraph_of(block));
  }
  return rtf;
}

std::vector<document::RtfRun> runs_of_document(const QTextDocument& document) {
  std::vector<document::RtfRun> runs;
  const auto add = [&runs, &document](const QTextCharFormat& format, const QString& text) {
    document::RtfRun run;
    run.bold = format.fontWeight() >= QFont::DemiBold;
    run.italic = format.fontItalic();
    run.underline = format.fontUnderline();
    const QString family = family_of(format, document);
    run.fixed_width = is_fixed_width(format, family);
    // The reports' own faces name no font, as the RTF reader gives them.
    if (family != (run.fixed_width ? kFixedWidthFamily : kProportionalFamily)) {
      run.font = from_qstring(family);
    }
    const double points = format.fontPointSize();
    run.half_points = points > 0 ? static_cast<int>(std::lround(points * 2)) : 24;
    QString plain = text;
    plain.replace(QChar::LineSeparator, QLatin1Char('\n'));  // a soft line break
    run.text = from_qstring(plain);
    if (!runs.empty()) {
      document::RtfRun& last = runs.back();
      document::RtfRun format_only = run;
      format_only.text = last.text;
      if (format_only == last) {
        last.text += run.text;
        return;
      }
    }
    runs.push_back(std::move(run));
  };
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    if (block != document.begin()) add(block.charFormat(), QStringLiteral("\n"));
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (fragment.isValid()) add(fragment.charFormat(), fragment.text());
    }
  }
  return runs;
}

}  // namespace olvar::ui
