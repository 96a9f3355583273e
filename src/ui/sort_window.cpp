#include "ui/user_guide.h"
#include "ui/sort_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/qt_convert.h"

namespace olvar::ui {

namespace {

// A list of the table's variables after an empty entry (no choice); each item carries its
// column.
QComboBox* variable_list(const core::SurveyTable& table) {
  auto* list = new QComboBox;
  list->addItem(QString());
  for (int column = 1; column <= table.last_named_column(); ++column) {
    if (table.cell(column, 0).empty()) continue;
    list->addItem(to_qstring(table.cell(column, 0)), column);
  }
  return list;
}

std::optional<int> chosen_column(const QComboBox* list) {
  const QVariant column = list->currentData();
  if (!column.isValid()) return std::nullopt;
  return column.toInt();
}

}  // namespace

SortWindow::SortWindow(const core::SurveyTable& table, core::SortOrder order,
                       const core::LanguageTable& text, QWidget* parent)
    : QDialog(parent) {
  setProperty(kGuidePageProperty, "enter.html#tools");  // F1 opens the guide there
  setObjectName(QStringLiteral("SortWindow"));
  setWindowTitle(tr("Sort"));
  first_ = variable_list(table);
  first_->setObjectName(QStringLiteral("SortFirst"));
  first_->setToolTip(to_qstring(text.text(934)));
  second_ = variable_list(table);
  second_->setObjectName(QStringLiteral("SortSecond"));
  second_->setToolTip(to_qstring(text.text(965)));

  auto* form = new QFormLayout;
  form->addRow(to_qstring(text.text(1103)), first_);
  form->addRow(to_qstring(text.text(1104)), second_);

  auto* order_box = new QGroupBox(QStringLiteral(" Sort order "));
  ascending_ = new QRadioButton(QStringLiteral("Ascending"));
  ascending_->setObjectName(QStringLiteral("Ascending"));
  descending_ = new QRadioButton(QStringLiteral("Descending"));
  descending_->setObjectName(QStringLiteral("Descending"));
  (order == core::SortOrder::descending ? descending_ : ascending_)->setChecked(true);
  auto* order_layout = new QVBoxLayout(order_box);
  order_layout->addWidget(ascending_);
  order_layout->addWidget(descending_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(order_box);
  layout->addWidget(buttons);
}

std::optional<int> SortWindow::first_column() const { return chosen_column(first_); }
std::optional<int> SortWindow::second_column() const { return chosen_column(second_); }

core::SortOrder SortWindow::order() const {
  return descending_->isChecked() ? core::SortOrder::descending : core::SortOrder::ascending;
}

}  // namespace olvar::ui
