#include "ui/entry_cell_delegate.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "ui/qt_convert.h"

namespace olvar::ui {

bool EntryCellDelegate::eventFilter(QObject* object, QEvent* event) {
  auto* editor = qobject_cast<QLineEdit*>(object);
  if (checking_ && event->type() == QEvent::FocusOut) return true;
  if (editor == nullptr || event->type() != QEvent::KeyPress) {
    return QStyledItemDelegate::eventFilter(object, event);
  }
  const auto* key = static_cast<const QKeyEvent*>(event);
  const bool moves_on = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                        (key->key() == Qt::Key_Tab && key->modifiers() == Qt::NoModifier);
  if (moves_on) {
    // Qt commits an editor on Enter only later, from the event loop, and moves on Tab by its
    // own rule; the cursor must move after the cell is written and as the page says, so commit
    // and close here, in order.
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
    if (on_enter) on_enter();
    return true;
  }
  const QString typed = key->text();
  const bool command = (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
  // Only the ASCII keys have a check; other letters go into the cell as typed.
  if (on_character && !command && typed.size() == 1 && typed[0].unicode() >= 0x20 &&
      typed[0].unicode() < 0x7f) {
    checking_ = true;
    const std::string text = on_character(static_cast<char>(typed[0].unicode()));
    checking_ = false;
    editor->insert(to_qstring(text));
    editor->setFocus();
    return true;
  }
  return QStyledItemDelegate::eventFilter(object, event);
}

}  // namespace olvar::ui
