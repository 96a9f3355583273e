#pragma once
// The result panel beside the Data View: the current child's three percentile bars with their
// markers, percentiles and z-scores. It draws an entry::ResultPanel and computes nothing.

#include <QGroupBox>
#include <array>

#include "entry/result_panel.h"

class QLabel;

namespace olvar::ui {

class PercentileBarWidget;

class ResultPanelWidget : public QGroupBox {
  Q_OBJECT

 public:
  explicit ResultPanelWidget(QWidget* parent = nullptr);

  // `caption` is the frame caption, `labels` the captions of the three bars.
  void show_panel(const entry::ResultPanel& panel, const QString& caption,
                  const std::array<QString, 3>& labels);

  // The texts shown, bar by bar (for the tests): percentile, z-score, percent of median.
  QString percentile_text(int bar) const;
  QString z_text(int bar) const;

 private:
  struct Row {
    QLabel* caption = nullptr;
    PercentileBarWidget* bar = nullptr;
    QLabel* percentile = nullptr;
    QLabel* z = nullptr;
    QLabel* pct_median = nullptr;
  };
  std::array<Row, 3> rows_{};
};

}  // namespace olvar::ui
