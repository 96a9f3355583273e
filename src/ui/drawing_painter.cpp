#include "ui/drawing_painter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

#include "ui/qt_convert.h"

namespace olvar::ui {

namespace {

QColor colour_of(graphs::Rgb rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

bool finite(std::initializer_list<double> values) {
  for (const double v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

}  // namespace

void paint_drawing(QPainter& painter, const graphs::Drawing& drawing, double scale) {
  painter.save();
  painter.scale(scale, scale);
  painter.setClipRect(QRectF(0, 0, drawing.width, drawing.height));
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (const graphs::Step& step : drawing.steps) {
    if (const auto* line = std::get_if<graphs::Line>(&step)) {
      if (!finite({line->x1, line->y1, line->x2, line->y2, line->width})) continue;
      QPen pen(colour_of(line->colour), line->width);
      if (line->dotted) pen.setStyle(Qt::DotLine);
      painter.setPen(pen);
      painter.drawLine(QPointF(line->x1, line->y1), QPointF(line->x2, line->y2));
    } else if (const auto* box = std::get_if<graphs::Box>(&step)) {
      if (!finite({box->x1, box->y1, box->x2, box->y2})) continue;
      const QRectF rect = QRectF(QPointF(box->x1, box->y1), QPointF(box->x2, box->y2)).normalized();
      painter.setPen(box->outline ? QPen(Qt::black) : QPen(Qt::NoPen));
      switch (box->fill) {
        case graphs::Fill::none:
          painter.setBrush(Qt::NoBrush);
          break;
        case graphs::Fill::solid:
          painter.setBrush(colour_of(box->fill_colour));
          break;
        case graphs::Fill::cross_hatch:
          painter.setBrush(QBrush(Qt::black, Qt::DiagCrossPattern));
          break;
      }
      painter.drawRect(rect);
    } else if (const auto* ellipse = std::get_if<graphs::Ellipse>(&step)) {
      if (!finite({ellipse->x1, ellipse->y1, ellipse->x2, ellipse->y2})) continue;
      painter.setPen(Qt::NoPen);
      painter.setBrush(colour_of(ellipse->fill_colour));
      painter.drawEllipse(
          QRectF(QPointF(ellipse->x1, ellipse->y1), QPointF(ellipse->x2, ellipse->y2))
              .normalized());
    } else if (const auto* text = std::get_if<graphs::Text>(&step)) {
      if (!finite({text->x, text->y, text->size})) continue;
      QFont font(QString::fromStdString(text->font));
      font.setPointSizeF(text->size);
      font.setBold(text->bold);
      painter.setFont(font);
      painter.setPen(Qt::black);
      // Placed by the top of the text, as the core describes it.
      painter.drawText(QPointF(text->x, text->y + QFontMetricsF(font).ascent()),
                       to_qstring(text->text));
    }
  }
  painter.restore();
}

QImage drawing_image(const graphs::Drawing& drawing, double scale) {
  if (!(scale > 0) || !std::isfinite(scale)) scale = 1;
  QImage image(std::max(static_cast<int>(std::lround(drawing.width * scale)), 1),
               std::max(static_cast<int>(std::lround(drawing.height * scale)), 1),
               QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  paint_drawing(painter, drawing, scale);
  return image;
}

DrawingWidget::DrawingWidget(QWidget* parent) : QWidget(parent) {}

void DrawingWidget::set_drawing(graphs::Drawing drawing) {
  drawing_ = std::move(drawing);
  set_scale(scale_);
}

void DrawingWidget::set_scale(double scale) {
  scale_ = scale > 0 && std::isfinite(scale) ? scale : 1;
  setFixedSize(std::max(static_cast<int>(std::lround(drawing_.width * scale_)), 1),
               std::max(static_cast<int>(std::lround(drawing_.height * scale_)), 1));
  update();
}

void DrawingWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  paint_drawing(painter, drawing_, scale_);
}

}  // namespace olvar::ui
