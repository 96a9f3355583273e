#pragma once
// The sort window of the data entry page: the first and, optionally, the second variable to
// sort the children by, and the order (" Sort order ": "Ascending" / "Descending") that holds
// for both. It only gathers the choice; the caller sorts (core::SortSurvey).

#include <QDialog>
#include <optional>

#include "core/language_table.h"
#include "core/survey_sort.h"
#include "core/survey_table.h"

class QComboBox;
class QRadioButton;

namespace olvar::ui {

class SortWindow : public QDialog {
  Q_OBJECT

 public:
  // The lists offer the variables of `table` (columns 1 to its last named column); the order
  // starts at `order`, the one chosen last.
  SortWindow(const core::SurveyTable& table, core::SortOrder order, const core::LanguageTable& text,
             QWidget* parent = nullptr);

  // The Survey table columns chosen; the first is nullopt when none was chosen.
  std::optional<int> first_column() const;
  std::optional<int> second_column() const;
  core::SortOrder order() const;

  QComboBox* first_list() const { return first_; }
  QComboBox* second_list() const { return second_; }
  QRadioButton* descending_button() const { return descending_; }

 private:
  QComboBox* first_;
  QComboBox* second_;
  QRadioButton* ascending_;
  QRadioButton* descending_;
};

}  // namespace olvar::ui
