#include "ui/result_panel_widget.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPolygonF>

#include "ui/palette.h"
#include "ui/qt_convert.h"

namespace olvar::ui {

// One bar of entry::kBarWidth by entry::kBarHeight pixels with the diamond at the percentile.
class PercentileBarWidget : public QWidget {
 public:
  explicit PercentileBarWidget(QWidget* parent = nullptr) : QWidget(parent) {
    setFixedSize(entry::kBarWidth + 2, entry::kBarHeight + 2);
  }
  void show_bar(const entry::PercentileBar& bar) {
    bar_ = bar;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(Qt::gray);
    painter.setBrush(palette::kBar);
    painter.drawRect(0, 0, entry::kBarWidth, entry::kBarHeight);
    if (!bar_.computed) return;
    const double x = bar_.marker_x;
    const double middle = entry::kBarHeight / 2.0;
    const double half = middle - 1.0;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette::kMarker);
    painter.drawPolygon(QPolygonF({QPointF(x, middle - half), QPointF(x + half, middle),
                                   QPointF(x, middle + half), QPointF(x - half, middle)}));
  }

 private:
  entry::PercentileBar bar_;
};

ResultPanelWidget::ResultPanelWidget(QWidget* parent) : QGroupBox(parent) {
  setObjectName(QStringLiteral("ResultPanel"));
  auto* layout = new QGridLayout(this);
  // What each number of a bar's line is.
  const std::array<QString, 3> headings = {tr("Percentile"), tr("Z-score"), tr("% of median")};
  for (int column = 0; column < 3; ++column) {
    auto* heading = new QLabel(headings[column]);
    heading->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(heading, 0, column + 1);
  }
  for (int k = 0; k < 3; ++k) {
    Row& row = rows_[k];
    row.caption = new QLabel;
    row.bar = new PercentileBarWidget;
    row.percentile = new QLabel;
    row.z = new QLabel;
    row.pct_median = new QLabel;
    row.z->setAutoFillBackground(true);
    // Room for "100.0", "-10.00" and "100 " without the panel changing its width as it follows
    // the cursor.
    for (QLabel* number : {row.percentile, row.z, row.pct_median}) {
      number->setMinimumWidth(number->fontMetrics().horizontalAdvance(QStringLiteral("-10.00")) + 6);
      number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    layout->addWidget(row.caption, 2 * k + 1, 0, 1, 4);
    layout->addWidget(row.bar, 2 * k + 2, 0);
    layout->addWidget(row.percentile, 2 * k + 2, 1);
    layout->addWidget(row.z, 2 * k + 2, 2);
    layout->addWidget(row.pct_median, 2 * k + 2, 3);
  }
  layout->setRowStretch(7, 1);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void ResultPanelWidget::show_panel(const entry::ResultPanel& panel, const QString& caption,
                                   const std::array<QString, 3>& labels) {
  setTitle(caption);
  const std::array<const entry::PercentileBar*, 3> bars = {&panel.waz, &panel.haz, &panel.whz};
  for (int k = 0; k < 3; ++k) {
    Row& row = rows_[k];
    const entry::PercentileBar& bar = *bars[k];
    row.caption->setText(labels[k]);
    row.bar->show_bar(bar);
    row.percentile->setText(to_qstring(bar.percentile_text));
    row.z->setText(to_qstring(bar.z_text));
    row.pct_median->setText(to_qstring(bar.pct_median_text));
    QPalette colours = row.z->palette();
    colours.setColor(QPalette::Window, bar.outside_range ? palette::kMarked : palette::kMarker);
    row.z->setPalette(colours);
  }
}

QString ResultPanelWidget::percentile_text(int bar) const { return rows_.at(bar).percentile->text(); }

QString ResultPanelWidget::z_text(int bar) const { return rows_.at(bar).z->text(); }

}  // namespace olvar::ui
