#pragma once
// Paints a display list (graphs/display_list.h) with Qt: on a widget, on the printer's page at a
// larger scale, or into an image for the clipboard and for PNG files.

#include <QImage>
#include <QWidget>

#include "graphs/display_list.h"

class QPainter;

namespace olvar::ui {

void paint_drawing(QPainter& painter, const graphs::Drawing& drawing, double scale = 1);
// The drawing on a white image of its size times `scale`.
QImage drawing_image(const graphs::Drawing& drawing, double scale = 1);

// A widget showing one drawing at its own size times its scale (1 unless set).
class DrawingWidget : public QWidget {
  Q_OBJECT

 public:
  explicit DrawingWidget(QWidget* parent = nullptr);
  void set_drawing(graphs::Drawing drawing);
  void set_scale(double scale);
  const graphs::Drawing& drawing() const { return drawing_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  graphs::Drawing drawing_;
  double scale_ = 1;
};

}  // namespace olvar::ui
