#pragma once
// The "Population Pyramid" window: a snapshot of the drawing of mortality/pyramid.h, painted
// once into a picture, with "Close", "Print" and "&Clipboard".

#include <QDialog>
#include <QPixmap>
#include <vector>

#include "core/prompter.h"
#include "mortality/pyramid.h"

class QPainter;

namespace olvar::ui {

// Paints the display list, every unit multiplied by `scale` (fonts keep their size).
void paint_display_list(QPainter& painter, const std::vector<mortality::DisplayItem>& items,
                        int scale);

class PyramidWindow : public QDialog {
  Q_OBJECT

 public:
  PyramidWindow(std::vector<mortality::DisplayItem> drawing, core::Prompter* prompter,
                QWidget* parent = nullptr);
  const QPixmap& picture() const { return picture_; }
  void print();
  void copy_to_clipboard();

 private:
  std::vector<mortality::DisplayItem> drawing_;
  core::Prompter* prompter_;
  QPixmap picture_;
};

}  // namespace olvar::ui
