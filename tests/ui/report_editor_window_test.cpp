// The report editor: what it shows survives a save and a reopen; its tool bar fits the window.
#include "ui/report_editor_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFontComboBox>
#include <QLayout>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextList>
#include <QToolBar>

#include "support/temp_folder.h"
#include "ui/rtf_document.h"

namespace olvar::ui {
namespace {

QAction* action_with_tip(const ReportEditorWindow& editor, const QString& tip) {
  for (QAction* action : editor.findChildren<QAction*>()) {
    if (action->statusTip() == tip) return action;
  }
  return nullptr;
}

// Selects the paragraphs first to last, all of their text.
void select_paragraphs(QTextEdit* text, int first, int last) {
  const QTextBlock end = text->document()->findBlockByNumber(last);
  QTextCursor cursor(text->document()->findBlockByNumber(first));
  cursor.setPosition(end.position() + end.length() - 1, QTextCursor::KeepAnchor);
  text->setTextCursor(cursor);
}

// Drags a marker of the ruler as the mouse does: pressed at `from`, let go at `to`.
void drag(QWidget* ruler, QPoint from, QPoint to) {
  QMouseEvent press(QEvent::MouseButtonPress, from, ruler->mapToGlobal(from), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(ruler, &press);
  QMouseEvent move(QEvent::MouseMove, to, ruler->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(ruler, &move);
  QMouseEvent release(QEvent::MouseButtonRelease, to, ruler->mapToGlobal(to), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(ruler, &release);
}

TEST(ReportEditorWindow, AlignmentIndentsBulletsAndFacesSurviveASaveAndReopen) {
  test::TempFolder temp;
  ReportEditorWindow editor(QString::fromStdString(temp.path().string()));
  editor.open_report_editor(temp.write(
      "noname.rtf",
      "{\\rtf1 Centred\\par Right\\par Indented\\par Bullet one\\par Bullet two\\par Other face}"));
  QTextEdit* text = editor.text_edit();
  QTextDocument* shown = text->document();

  // Each format through the editor's own controls.
  select_paragraphs(text, 0, 0);
  action_with_tip(editor, QStringLiteral("Center align"))->trigger();
  select_paragraphs(text, 1, 1);
  action_with_tip(editor, QStringLiteral("Right align"))->trigger();
  select_paragraphs(text, 2, 2);
  QWidget* ruler = editor.centralWidget()->layout()->itemAt(0)->widget();
  const int below = ruler->height() - 4;  // the left and right indent markers hang below
  drag(ruler, {7, below}, {67, below});
  drag(ruler, {ruler->width() - 9, below}, {ruler->width() - 49, below});
  select_paragraphs(text, 3, 4);
  action_with_tip(editor, QStringLiteral("Bullets"))->setChecked(true);
  select_paragraphs(text, 5, 5);
  auto* faces = editor.findChild<QFontComboBox*>();
  ASSERT_NE(faces, nullptr);
  int other = 0;
  while (other < faces->count() && faces->itemText(other) == faces->currentText()) ++other;
  ASSERT_LT(other, faces->count());
  faces->setCurrentIndex(other);
  const QString face = faces->itemText(other);

  const QTextBlockFormat indented = shown->findBlockByNumber(2).blockFormat();
  EXPECT_GT(indented.leftMargin(), 0);  // the lines after the first
  EXPECT_GT(indented.rightMargin(), 0);
  ASSERT_NE(shown->findBlockByNumber(3).textList(), nullptr);
  const document::RtfDocument before = rtf_document_of(*shown);

  const QString file = QString::fromStdString((temp / "kept.rtf").string());
  ASSERT_TRUE(editor.save_file(file));
  ReportEditorWindow reopened(QString::fromStdString(temp.path().string()));
  ASSERT_TRUE(reopened.load_file(file));
  const QTextDocument* read = reopened.text_edit()->document();
  EXPECT_EQ(read->toPlainText(), shown->toPlainText());
  EXPECT_EQ(read->findBlockByNumber(0).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
            Qt::AlignHCenter);
  EXPECT_EQ(read->findBlockByNumber(1).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
            Qt::AlignRight);
  const QTextBlockFormat indented_read = read->findBlockByNumber(2).blockFormat();
  EXPECT_DOUBLE_EQ(indented_read.leftMargin(), indented.leftMargin());
  EXPECT_DOUBLE_EQ(indented_read.textIndent(), indented.textIndent());
  EXPECT_DOUBLE_EQ(indented_read.rightMargin(), indented.rightMargin());
  // The two bullets stay one list; the paragraph after them has none.
  const QTextList* list = read->findBlockByNumber(3).textList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(read->findBlockByNumber(4).textList(), list);
  EXPECT_EQ(read->findBlockByNumber(5).textList(), nullptr);
  const QTextBlock last = read->findBlockByNumber(5);
  EXPECT_EQ(last.begin().fragment().charFormat().fontFamilies().toStringList().value(0), face);
  // And nothing else changed on the way.
  const document::RtfDocument after = rtf_document_of(*read);
  EXPECT_EQ(after.runs, before.runs);
  EXPECT_EQ(after.paragraphs, before.paragraphs);
}

TEST(ReportEditorWindow, ToolBarFitsTheDefaultWidth) {
  test::TempFolder temp;
  ReportEditorWindow editor(QString::fromStdString(temp.path().string()));
  editor.show();
  const QList<QToolBar*> bars = editor.findChildren<QToolBar*>();
  ASSERT_FALSE(bars.isEmpty());
  for (const QToolBar* bar : bars) {
    EXPECT_LE(bar->sizeHint().width(), editor.width());
    // None of its buttons is pushed into the overflow menu.
    for (QAction* action : bar->actions()) {
      const QWidget* button = bar->widgetForAction(action);
      ASSERT_NE(button, nullptr);
      EXPECT_TRUE(button->isVisible()) << action->statusTip().toStdString();
    }
  }
}

}  // namespace
}  // namespace olvar::ui
