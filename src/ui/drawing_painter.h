#pragma once
// Paints a core drawing (a graph described as a list of steps) with Qt: on a widget, on the
// printer's page at a larger scale, or into an image for the clipboard.

#include <QImage>
#include <QWidget>

#include "foodsecurity/drawing.h"

class QPainter;

namespace olvar::ui {

void paint_drawing(QPainter& painter, const foodsecurity::Drawing& drawing, double scale = 1);
QImage drawing_image(const foodsecurity::Drawing& drawing);

// A widget showing one drawing at its own size.
class DrawingWidget : public QWidget {
  Q_OBJECT

 public:
  explicit DrawingWidget(QWidget* parent = nullptr);
  void set_drawing(foodsecurity::Drawing drawing);
  const foodsecurity::Drawing& drawing() const { return drawing_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  foodsecurity::Drawing drawing_;
};

}  // namespace olvar::ui
