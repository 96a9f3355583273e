#include "ui/growth_chart_widget.h"

#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/drawing_painter.h"
#include "ui/qt_convert.h"

namespace olvar::ui {

namespace {

// The chart beside the result panel is drawn smaller than the results page's graphs.
constexpr double kChartScale = 0.7;

}  // namespace

GrowthChartWidget::GrowthChartWidget(const anthro::WhoReference& who,
                                     const core::LanguageTable& text, QWidget* parent)
    : QWidget(parent), who_(who), text_(text) {
  kinds_ = new QComboBox;
  kinds_->setObjectName(QStringLiteral("growth_chart_kind"));
  kinds_->addItem(to_qstring(text_.text(1404)));
  kinds_->addItem(to_qstring(text_.text(1405)));
  kinds_->addItem(to_qstring(text_.text(1406)));
  kinds_->setCurrentIndex(static_cast<int>(kind_));
  connect(kinds_, &QComboBox::currentIndexChanged, this,
          [this](int index) { set_kind(static_cast<graphs::GrowthChartKind>(index)); });
  picture_ = new DrawingWidget;
  picture_->setObjectName(QStringLiteral("growth_chart"));
  picture_->set_scale(kChartScale);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(to_qstring(text_.text(1416))));
  layout->addWidget(kinds_);
  layout->addWidget(picture_);
  layout->addStretch(1);
  redraw();
}

void GrowthChartWidget::show_row(const core::SurveyTable& survey, int row,
                                 const anthro::RowEvaluationSettings& settings) {
  child_ = graphs::child_of_row(survey, row, settings).value_or(anthro::Measurement{});
  reference_ = settings.reference;
  redraw();
}

void GrowthChartWidget::set_kind(graphs::GrowthChartKind kind) {
  kind_ = kind;
  if (kinds_->currentIndex() != static_cast<int>(kind))
    kinds_->setCurrentIndex(static_cast<int>(kind));
  redraw();
}

void GrowthChartWidget::redraw() {
  chart_ = graphs::growth_chart(child_, kind_, reference_, who_, text_);
  picture_->set_drawing(chart_.drawing);
}

}  // namespace olvar::ui
