#pragma once
// The growth chart of the child under the cursor of the Data View, beside the result panel:
// weight-for-age, length/height-for-age or weight-for-length/height, chosen in a list above it.

#include <QWidget>

#include "anthro/row_evaluation.h"
#include "anthro/who_reference.h"
#include "core/language_table.h"
#include "core/survey_table.h"
#include "graphs/growth_chart.h"

class QComboBox;

namespace olvar::ui {

class DrawingWidget;

class GrowthChartWidget : public QWidget {
  Q_OBJECT

 public:
  GrowthChartWidget(const anthro::WhoReference& who, const core::LanguageTable& text,
                    QWidget* parent = nullptr);

  // Draws the chart of Survey table row `row` (nothing happens to the table).
  void show_row(const core::SurveyTable& survey, int row,
                const anthro::RowEvaluationSettings& settings);
  void set_kind(graphs::GrowthChartKind kind);
  graphs::GrowthChartKind kind() const { return kind_; }
  const graphs::GrowthChart& chart() const { return chart_; }

 private:
  void redraw();

  const anthro::WhoReference& who_;
  const core::LanguageTable& text_;
  graphs::GrowthChartKind kind_ = graphs::GrowthChartKind::weight_for_height;
  anthro::Measurement child_;
  anthro::Reference reference_ = anthro::Reference::who2006;
  graphs::GrowthChart chart_;
  QComboBox* kinds_ = nullptr;
  DrawingWidget* picture_ = nullptr;
};

}  // namespace olvar::ui
