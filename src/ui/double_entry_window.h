#pragma once
// The double-entry check window (Extras > "Check of Double Entry"): the two survey files entered
// by different people and what to compare. It only gathers the choice; the caller writes the
// report (formats::double_entry_report).

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "core/language_table.h"
#include "formats/double_entry.h"

class QCheckBox;
class QLineEdit;

namespace olvar::ui {

class DoubleEntryWindow : public QDialog {
  Q_OBJECT

 public:
  // `choose_file` asks for one survey file (a file dialog); nullopt when cancelled.
  DoubleEntryWindow(const core::LanguageTable& text,
                    std::function<std::optional<std::string>(const std::string& caption)> choose_file,
                    QWidget* parent = nullptr);

  std::string first_file() const;
  std::string second_file() const;
  formats::DoubleEntryChoice choice() const;

  QLineEdit* first_box() const { return first_; }
  QLineEdit* second_box() const { return second_; }
  QCheckBox* mortality_box() const { return mortality_; }

 private:
  QLineEdit* first_;
  QLineEdit* second_;
  QCheckBox* anthropometric_;
  QCheckBox* mortality_;
};

}  // namespace olvar::ui
