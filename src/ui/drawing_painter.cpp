#include "ui/drawing_painter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include "ui/qt_convert.h"

namespace olvar::ui {

namespace {

QColor colour_of(foodsecurity::Rgb rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

}  // namespace

void paint_drawing(QPainter& painter, const foodsecurity::Drawing& drawing, double scale) {
  painter.save();
  painter.scale(scale, scale);
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (const foodsecurity::Step& step : drawing.steps) {
    if (const auto* line = std::get_if<foodsecurity::Line>(&step)) {
      painter.setPen(QPen(colour_of(line->colour), line->width));
      painter.drawLine(QPointF(line->x1, line->y1), QPointF(line->x2, line->y2));
    } else if (const auto* box = std::get_if<foodsecurity::Box>(&step)) {
      const QRectF rect(QPointF(box->x1, box->y1), QPointF(box->x2, box->y2));
      painter.setPen(box->outline ? QPen(Qt::black) : QPen(Qt::NoPen));
      switch (box->fill) {
        case foodsecurity::Fill::none: painter.setBrush(Qt::NoBrush); break;
        case foodsecurity::Fill::solid: painter.setBrush(colour_of(box->fill_colour)); break;
        case foodsecurity::Fill::cross_hatch:
          painter.setBrush(QBrush(Qt::black, Qt::DiagCrossPattern));
          break;
      }
      painter.drawRect(rect);
    } else if (const auto* text = std::get_if<foodsecurity::Text>(&step)) {
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

QImage drawing_image(const foodsecurity::Drawing& drawing) {
  QImage image(std::max(drawing.width, 1), std::max(drawing.height, 1), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  paint_drawing(painter, drawing);
  return image;
}

DrawingWidget::DrawingWidget(QWidget* parent) : QWidget(parent) {}

void DrawingWidget::set_drawing(foodsecurity::Drawing drawing) {
  drawing_ = std::move(drawing);
  setFixedSize(std::max(drawing_.width, 1), std::max(drawing_.height, 1));
  update();
}

void DrawingWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  paint_drawing(painter, drawing_);
}

}  // namespace olvar::ui
