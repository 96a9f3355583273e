#pragma once
// The cell editor of the Data View: every typed character goes through the data entry check
// before it reaches the editor, and Enter commits the cell and moves the cursor on as the page
// does. The delegate decides nothing itself; the window's callbacks call the controller.

#include <QStyledItemDelegate>
#include <functional>
#include <string>

namespace olvar::ui {

class EntryCellDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  // A printable character typed into the editor: returns what goes into the cell instead.
  std::function<std::string(char key)> on_character;
  // Enter, Return or Tab in the editor, after the cell was written and the editor closed.
  std::function<void()> on_enter;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  // While a typed character is checked its warning may take the focus: the editor must stay
  // open (Qt closes it on losing the focus) so that the character still goes in.
  bool checking_ = false;
};

}  // namespace olvar::ui
