#pragma once
// The filter window of the data entry page: a variable and the condition boxes (three for "=",
// one for ">=", one for "<=", three for "<>"), OK to filter, and "Remove Filter", usable only
// while a filter is active, for the way back to the unfiltered table. It only gathers the
// choice; the caller filters (formats::SurveyFilter).

#include <QDialog>
#include <array>
#include <optional>

#include "core/language_table.h"
#include "core/survey_table.h"
#include "formats/survey_filter.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace olvar::ui {

class FilterWindow : public QDialog {
  Q_OBJECT

 public:
  FilterWindow(const core::SurveyTable& table, bool filter_active,
               const core::LanguageTable& text, QWidget* parent = nullptr);

  // What the user chose: OK filters, "Remove Filter" brings the unfiltered table back.
  enum class Choice { none, filter, remove_filter };
  Choice choice() const { return choice_; }
  // The chosen variable's Survey table column; nullopt when none was chosen.
  std::optional<int> column() const;
  formats::FilterConditions conditions() const;

  QComboBox* variable_list() const { return variable_; }
  // Boxes in the order =, =, =, >=, <=, <>, <>, <>.
  const std::array<QLineEdit*, 8>& boxes() const { return boxes_; }
  QPushButton* ok_button() const { return ok_; }
  QPushButton* remove_button() const { return remove_; }

 private:
  QComboBox* variable_;
  std::array<QLineEdit*, 8> boxes_{};
  QPushButton* ok_;
  QPushButton* remove_;
  Choice choice_ = Choice::none;
};

}  // namespace olvar::ui
