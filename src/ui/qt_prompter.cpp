#include "ui/qt_prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>

#include "ui/qt_convert.h"

namespace olvar::ui {

void QtPrompter::inform(std::string_view message) {
  QMessageBox::information(parent_, title_, to_qstring(message));
}

void QtPrompter::warn_while_typing(std::string_view message) {
  if (typing_warning_ == nullptr) {
    typing_warning_ = new QMessageBox(QMessageBox::Warning, title_, QString(), QMessageBox::Ok,
                                      parent_);
    typing_warning_->setObjectName(QStringLiteral("typing_warning"));
    typing_warning_->setAttribute(Qt::WA_DeleteOnClose);
    typing_warning_->setAttribute(Qt::WA_ShowWithoutActivating);
    typing_warning_->setWindowModality(Qt::NonModal);
    typing_warning_->setFocusPolicy(Qt::NoFocus);
  }
  typing_warning_->setText(to_qstring(message));
  QWidget* const typing = QApplication::focusWidget();
  typing_warning_->show();
  // A window manager may still hand the new box the focus: the keys stay with the cell.
  if (typing != nullptr && QApplication::focusWidget() != typing) typing->setFocus();
}

bool QtPrompter::ask_yes_no(std::string_view question) {
  return QMessageBox::question(parent_, title_, to_qstring(question),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

core::Prompter::Answer QtPrompter::ask_yes_no_cancel(std::string_view question) {
  switch (QMessageBox::question(parent_, title_, to_qstring(question),
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                QMessageBox::Cancel)) {
    case QMessageBox::Yes:
      return Answer::yes;
    case QMessageBox::No:
      return Answer::no;
    default:  // Cancel, Escape and closing the box all back out
      return Answer::cancel;
  }
}

std::optional<std::string> QtPrompter::ask_text(std::string_view question,
                                                std::string_view suggestion) {
  bool ok = false;
  const QString answer = QInputDialog::getText(parent_, title_, to_qstring(question),
                                               QLineEdit::Normal, to_qstring(suggestion), &ok);
  if (!ok) return std::nullopt;
  return from_qstring(answer);
}

std::optional<std::string> QtPrompter::choose_file(std::string_view caption,
                                                   std::string_view filter, bool for_saving) {
  const QString qt_filter = qt_file_filter(to_qstring(filter));
  const QString file =
      for_saving ? QFileDialog::getSaveFileName(parent_, to_qstring(caption), start_folder_,
                                                qt_filter)
                 : QFileDialog::getOpenFileName(parent_, to_qstring(caption), start_folder_,
                                                qt_filter);
  if (file.isEmpty()) return std::nullopt;
  return qstring_to_path(file).string();
}

std::optional<std::string> QtPrompter::choose_file_to_save(std::string_view caption,
                                                           std::string_view filter,
                                                           std::string_view proposed) {
  const QString start = proposed.empty() ? start_folder_ : path_to_qstring(std::string(proposed));
  const QString file = QFileDialog::getSaveFileName(parent_, to_qstring(caption), start,
                                                    qt_file_filter(to_qstring(filter)));
  if (file.isEmpty()) return std::nullopt;
  return qstring_to_path(file).string();
}

QString qt_file_filter(const QString& filter) {
  if (!filter.contains(QLatin1Char('|'))) return filter;
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString pattern = parts[i + 1];
    pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
    entries << (parts[i].contains(QLatin1Char('(')) ? parts[i]
                                                     : parts[i] + QStringLiteral(" (") + pattern +
                                                           QLatin1Char(')'));
  }
  return entries.join(QStringLiteral(";;"));
}

}  // namespace olvar::ui
