#include "ui/user_guide.h"
#include "ui/filter_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_convert.h"

namespace olvar::ui {

namespace {

std::string box_text(const QLineEdit* box) { return from_qstring(box->text()); }

}  // namespace

FilterWindow::FilterWindow(const core::SurveyTable& table, bool filter_active,
                           const core::LanguageTable& text, QWidget* parent)
    : QDialog(parent) {
  setProperty(kGuidePageProperty, "enter.html#tools");  // F1 opens the guide there
  setObjectName(QStringLiteral("FilterWindow"));
  setWindowTitle(tr("Filter"));
  variable_ = new QComboBox;
  variable_->setObjectName(QStringLiteral("FilterVariable"));
  variable_->addItem(QString());
  for (int column = 1; column <= table.last_named_column(); ++column) {
    if (table.cell(column, 0).empty()) continue;
    variable_->addItem(to_qstring(table.cell(column, 0)), column);
  }

  const char* names[] = {"Equal1", "Equal2", "Equal3", "AtLeast", "AtMost",
                         "NotEqual1", "NotEqual2", "NotEqual3"};
  for (int k = 0; k < 8; ++k) {
    boxes_[k] = new QLineEdit;
    boxes_[k]->setObjectName(QString::fromLatin1(names[k]));
  }
  auto* grid = new QGridLayout;
  const auto row_of = [&](int row, const QString& sign, int first_box, int count) {
    grid->addWidget(new QLabel(sign), row, 0);
    for (int k = 0; k < count; ++k) grid->addWidget(boxes_[first_box + k], row, 1 + k);
  };
  row_of(0, QStringLiteral("="), 0, 3);
  row_of(1, QStringLiteral(">="), 3, 1);
  row_of(2, QStringLiteral("<="), 4, 1);
  row_of(3, QStringLiteral("<>"), 5, 3);

  ok_ = new QPushButton(tr("OK"));
  ok_->setObjectName(QStringLiteral("FilterOk"));
  ok_->setDefault(true);
  remove_ = new QPushButton(QStringLiteral("Remove Filter"));
  remove_->setObjectName(QStringLiteral("RemoveFilter"));
  remove_->setEnabled(filter_active);
  auto* cancel = new QPushButton(tr("Cancel"));
  connect(ok_, &QPushButton::clicked, this, [this] {
    choice_ = Choice::filter;
    accept();
  });
  connect(remove_, &QPushButton::clicked, this, [this] {
    choice_ = Choice::remove_filter;
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ok_);
  buttons->addWidget(remove_);
  buttons->addStretch(1);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  const auto label = [&text](int entry) {
    auto* l = new QLabel(to_qstring(text.text(entry)));
    l->setWordWrap(true);
    return l;
  };
  layout->addWidget(label(1050));
  layout->addWidget(variable_);
  layout->addWidget(label(1051));
  layout->addLayout(grid);
  layout->addWidget(label(1052));
  layout->addWidget(label(1053));
  layout->addLayout(buttons);
}

std::optional<int> FilterWindow::column() const {
  const QVariant column = variable_->currentData();
  if (!column.isValid()) return std::nullopt;
  return column.toInt();
}

formats::FilterConditions FilterWindow::conditions() const {
  formats::FilterConditions c;
  for (int k = 0; k < 3; ++k) {
    c.equal[k] = box_text(boxes_[k]);
    c.not_equal[k] = box_text(boxes_[5 + k]);
  }
  c.at_least = box_text(boxes_[3]);
  c.at_most = box_text(boxes_[4]);
  return c;
}

}  // namespace olvar::ui
