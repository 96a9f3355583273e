#include "ui/rtf_document.h"

#include <QFontDatabase>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
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
  format.setFontFamilies({run.fixed_width ? kFixedWidthFamily : kProportionalFamily});
  format.setFontFixedPitch(run.fixed_width);
  return format;
}

bool is_fixed_width(const QTextCharFormat& format) {
  if (format.fontFixedPitch()) return true;
  const QStringList families = format.fontFamilies().toStringList();
  for (const QString& family : families) {
    if (family.contains(QStringLiteral("Courier"), Qt::CaseInsensitive) ||
        family.contains(QStringLiteral("Mono"), Qt::CaseInsensitive)) {
      return true;
    }
  }
  return false;
}

}  // namespace

void fill_document(QTextDocument& document, const std::vector<document::RtfRun>& runs) {
  document.clear();
  QTextCursor cursor(&document);
  cursor.beginEditBlock();
  bool first_block = true;
  for (const document::RtfRun& run : runs) {
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
  cursor.endEditBlock();
  document.setModified(false);
}

std::vector<document::RtfRun> runs_of_document(const QTextDocument& document) {
  std::vector<document::RtfRun> runs;
  const auto add = [&runs](const QTextCharFormat& format, const QString& text) {
    document::RtfRun run;
    run.bold = format.fontWeight() >= QFont::DemiBold;
    run.italic = format.fontItalic();
    run.underline = format.fontUnderline();
    run.fixed_width = is_fixed_width(format);
    const double points = format.fontPointSize();
    run.half_points = points > 0 ? static_cast<int>(std::lround(points * 2)) : 24;
    QString plain = text;
    plain.replace(QChar::LineSeparator, QLatin1Char('\n'));  // a soft line break
    run.text = from_qstring(plain);
    if (!runs.empty()) {
      document::RtfRun& last = runs.back();
      if (last.bold == run.bold && last.italic == run.italic && last.underline == run.underline &&
          last.fixed_width == run.fixed_width && last.half_points == run.half_points) {
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
