#pragma once
// The Options page: every control bound to a field of core::OptionsPage. Typing writes the field
// at once; load() shows the fields again after the core changed them (reset, save, office
// program search). Saving, resetting and the office search are the window's, through signals.

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "core/language_table.h"
#include "core/options_page.h"
#include "workspace/command_line_mode.h"

class QGroupBox;
class QFormLayout;
class QLineEdit;
class QRadioButton;

namespace olvar::ui {

class OptionsPageWidget : public QWidget {
  Q_OBJECT

 public:
  OptionsPageWidget(core::OptionsPage& page, const core::LanguageTable& text,
                    QWidget* parent = nullptr);

  // Shows the fields of the page in the controls.
  void load();
  // Hides the option groups the command-line mode leaves out.
  void apply_mode(const workspace::WindowMode& mode);

  QLineEdit* edit(const std::string& name) const;  // by field name, for the tests

 signals:
  void save_clicked();
  void reset_clicked();
  void office_program_clicked(bool microsoft);  // "MS-Office" or "OpenOffice"
  void edited();

 private:
  QLineEdit* add_edit(QFormLayout* form, const QString& caption, std::string& field,
                      const std::string& name);
  // An edit box bound to the field, not yet placed.
  QLineEdit* bind_edit(std::string& field, const std::string& name);
  void add_check(QFormLayout* form, const QString& caption, bool& field);
  QGroupBox* group(const QString& caption, QFormLayout*& form);

  core::OptionsPage& page_;
  std::vector<std::function<void()>> loaders_;
  std::vector<std::pair<std::string, QLineEdit*>> edits_;
  QGroupBox* autofill_ = nullptr;
  QGroupBox* age_entry_ = nullptr;
  QGroupBox* entry_mode_ = nullptr;
  QGroupBox* clothes_ = nullptr;
  QGroupBox* oedema_correction_ = nullptr;
  QGroupBox* extra_columns_ = nullptr;
  QGroupBox* output_program_ = nullptr;
  QRadioButton* ms_office_ = nullptr;
  QRadioButton* open_office_ = nullptr;
};

}  // namespace olvar::ui
