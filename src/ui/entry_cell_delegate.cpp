#include "ui/entry_cell_delegate.h"

#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>

#include "ui/grid_models.h"
#include "ui/qt_convert.h"

namespace olvar::ui {
namespace {

class PickListEditor : public QComboBox {
 public:
  using QComboBox::QComboBox;
  std::function<std::optional<std::string>(char key)> pick_from_key;
};

class DatePickerEditor : public QDateEdit {
 public:
  using QDateEdit::QDateEdit;
  // A cell holding text that is no date keeps it unless another day is picked: the calendar
  // cannot show that text, and Enter alone must not replace it by the day shown instead.
  bool keeps_unreadable_text = false;
  QDate shown;
};

// The calendar's field in the system order, so that the day reads as the cell will hold it.
QString display_format(const core::DateConventions& dates) {
  const QString s(QChar::fromLatin1(dates.separator));
  switch (dates.order) {
    case core::DateOrder::mdy:
      return QStringLiteral("MM") + s + QStringLiteral("dd") + s + QStringLiteral("yyyy");
    case core::DateOrder::ymd:
      return QStringLiteral("yyyy") + s + QStringLiteral("MM") + s + QStringLiteral("dd");
    case core::DateOrder::dmy:
    case core::DateOrder::unknown:  // read as day first, as the date texts are
      break;
  }
  return QStringLiteral("dd") + s + QStringLiteral("MM") + s + QStringLiteral("yyyy");
}

bool is_printable_ascii(const QString& typed) {
  return typed.size() == 1 && typed[0].unicode() >= 0x20 && typed[0].unicode() < 0x7f;
}

}  // namespace

QWidget* EntryCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
  const PullDown editor = pull_down ? pull_down(SurveyTableModel::table_column(index)) : PullDown{};
  if (!editor.choices.empty()) {
    auto* list = new PickListEditor(parent);
    for (const std::string& choice : editor.choices) list->addItem(to_qstring(choice));
    list->pick_from_key = editor.pick_from_key;
    if (on_pull_down_opened) on_pull_down_opened();
    return list;
  }
  if (editor.date_picker) {
    auto* calendar = new DatePickerEditor(parent);
    calendar->setCalendarPopup(true);
    calendar->setDisplayFormat(display_format(dates));
    if (on_pull_down_opened) on_pull_down_opened();
    return calendar;
  }
  return QStyledItemDelegate::createEditor(parent, option, index);
}

void EntryCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  const std::string text = from_qstring(index.data(Qt::EditRole).toString());
  if (auto* list = dynamic_cast<PickListEditor*>(editor)) {
    // A text that is none of the choices shows no choice; the cell keeps it unless one is picked.
    list->setCurrentIndex(list->findText(to_qstring(text)));
    return;
  }
  if (auto* calendar = dynamic_cast<DatePickerEditor*>(editor)) {
    const std::optional<int> day = core::day_number(text, dates, today.year);
    const core::CivilDate date = day ? core::civil_date_of(*day) : today;
    calendar->shown = QDate(date.year, date.month, date.day);
    calendar->keeps_unreadable_text = !day && text.find_first_not_of(' ') != std::string::npos;
    calendar->setDate(calendar->shown);
    return;
  }
  QStyledItemDelegate::setEditorData(editor, index);
}

void EntryCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const {
  // The chosen text goes to the model as a typed one does: the controller writes the cell and
  // evaluates and checks the row.
  if (auto* list = dynamic_cast<PickListEditor*>(editor)) {
    if (list->currentIndex() >= 0) model->setData(index, list->currentText(), Qt::EditRole);
    return;
  }
  if (auto* calendar = dynamic_cast<DatePickerEditor*>(editor)) {
    const QDate picked = calendar->date();
    if (calendar->keeps_unreadable_text && picked == calendar->shown) return;
    const std::optional<int> day =
        core::day_number_of({picked.year(), picked.month(), picked.day()});
    if (day) model->setData(index, to_qstring(core::date_text(*day, dates)), Qt::EditRole);
    return;
  }
  QStyledItemDelegate::setModelData(editor, model, index);
}

bool EntryCellDelegate::eventFilter(QObject* object, QEvent* event) {
  if (checking_ && event->type() == QEvent::FocusOut) return true;
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr || event->type() != QEvent::KeyPress) {
    return QStyledItemDelegate::eventFilter(object, event);
  }
  const auto* key = static_cast<const QKeyEvent*>(event);
  const bool moves_on = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                        (key->key() == Qt::Key_Tab && key->modifiers() == Qt::NoModifier);
  if (moves_on) {
    // Qt commits an editor on Enter only later, from the event loop, and moves on Tab by its
    // own rule; the cursor must move after the cell is written and as the page says, so commit
    // and close here, in order.
    emit commitData(widget);
    emit closeEditor(widget, QAbstractItemDelegate::SubmitModelCache);
    if (on_enter) on_enter();
    return true;
  }
  const QString typed = key->text();
  const bool command = (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
  if (auto* list = dynamic_cast<PickListEditor*>(object); list && list->pick_from_key) {
    if (command || !is_printable_ascii(typed)) {
      return QStyledItemDelegate::eventFilter(object, event);
    }
    const auto choice = list->pick_from_key(static_cast<char>(typed[0].unicode()));
    if (choice) list->setCurrentIndex(list->findText(to_qstring(*choice)));
    return true;
  }
  auto* editor = qobject_cast<QLineEdit*>(object);
  // Only the ASCII keys have a check; other letters go into the cell as typed.
  if (editor == nullptr || !on_character || command || !is_printable_ascii(typed)) {
    return QStyledItemDelegate::eventFilter(object, event);
  }
  checking_ = true;
  const std::string text = on_character(static_cast<char>(typed[0].unicode()));
  checking_ = false;
  editor->insert(to_qstring(text));
  editor->setFocus();
  return true;
}

}  // namespace olvar::ui
