#pragma once
// The core's questions and messages as Qt dialogs, owned by the window they belong to.

#include <QPointer>
#include <QString>

#include "core/prompter.h"

class QMessageBox;
class QWidget;

namespace olvar::ui {

class QtPrompter : public core::Prompter {
 public:
  // `parent` centres the dialogs; `title` is their caption.
  QtPrompter(QWidget* parent, QString title) : parent_(parent), title_(std::move(title)) {}

  void inform(std::string_view message) override;
  // A warning about a key just typed, in a box that does not take the focus: the keys typed
  // after it go on into the grid. One box serves every warning until it is closed.
  void warn_while_typing(std::string_view message);
  bool ask_yes_no(std::string_view question) override;
  Answer ask_yes_no_cancel(std::string_view question) override;
  std::optional<std::string> ask_text(std::string_view question,
                                      std::string_view suggestion) override;
  // `filter` in the form "Survey files (*.as)|*.as|All files (*)|*": pairs of caption and pattern.
  std::optional<std::string> choose_file(std::string_view caption, std::string_view filter,
                                         bool for_saving) override;

  std::optional<std::string> choose_file_to_save(std::string_view caption, std::string_view filter,
                                                 std::string_view proposed) override;

  // Where the file dialogs start.
  void set_start_folder(QString folder) { start_folder_ = std::move(folder); }

 private:
  QWidget* parent_;
  QString title_;
  QString start_folder_;
  QPointer<QMessageBox> typing_warning_;
};

// "A|*.a|B|*.b" as Qt's "A (*.a);;B (*.b)"; a filter already in Qt's form is kept.
QString qt_file_filter(const QString& filter);

}  // namespace olvar::ui
