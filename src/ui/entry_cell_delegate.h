#pragma once
// The cell editor of the Data View: every typed character goes through the data entry check
// before it reaches the editor, and Enter commits the cell and moves the cursor on as the page
// does. With the pull-down option a column may get a pick list or a calendar instead of the
// plain editor. The delegate decides nothing itself; the window's callbacks call the controller.

#include <QStyledItemDelegate>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/date_conventions.h"
#include "core/date_text.h"

namespace olvar::ui {

class EntryCellDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  // The pull-down editor of one column; neither choices nor a date picker: the plain editor.
  struct PullDown {
    std::vector<std::string> choices;  // a pick list
    // A key typed into the pick list: the choice it shows, nullopt to leave the list as it
    // is. Unset: the list's own search by first letters.
    std::function<std::optional<std::string>(char key)> pick_from_key;
    bool date_picker = false;  // a calendar, for a date column
  };

  // A printable character typed into the editor: returns what goes into the cell instead.
  std::function<std::string(char key)> on_character;
  // Enter, Return or Tab in the editor, after the cell was written and the editor closed.
  std::function<void()> on_enter;
  // The editor a column (1-based) gets; unset: the plain editor everywhere.
  std::function<PullDown(int column)> pull_down;
  // A pick list or a calendar opened: the survey counts as changed.
  std::function<void()> on_pull_down_opened;
  // The calendar writes its date in the system order and separator; an empty cell opens it on
  // today, and two-digit years in the cell are read against today's year.
  core::DateConventions dates;
  core::CivilDate today;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  // While a typed character is checked its warning may take the focus: the editor must stay
  // open (Qt closes it on losing the focus) so that the character still goes in.
  bool checking_ = false;
};

}  // namespace olvar::ui
