#pragma once
// The "Population Pyramid" window: a snapshot of the drawing of mortality/pyramid.h, painted
// once into a picture, with "Close", "Print" and "&Clipboard".

#include <QDialog>
#include <QPixmap>

#include "core/prompter.h"
#include "graphs/display_list.h"
#include "mortality/pyramid.h"  // what the window shows

namespace olvar::ui {

class PyramidWindow : public QDialog {
  Q_OBJECT

 public:
  PyramidWindow(graphs::Drawing drawing, core::Prompter* prompter, QWidget* parent = nullptr);
  const QPixmap& picture() const { return picture_; }
  void print();
  void copy_to_clipboard();

 private:
  graphs::Drawing drawing_;
  core::Prompter* prompter_;
  QPixmap picture_;
};

}  // namespace olvar::ui
