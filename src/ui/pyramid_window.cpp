#include "ui/user_guide.h"
#include "ui/pyramid_window.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/drawing_painter.h"

namespace olvar::ui {

PyramidWindow::PyramidWindow(graphs::Drawing drawing, core::Prompter* prompter, QWidget* parent)
    : QDialog(parent), drawing_(std::move(drawing)), prompter_(prompter) {
  setProperty(kGuidePageProperty, "mortality.html#pyramid");  // F1 opens the guide there
  setWindowTitle(tr("Population Pyramid"));
  resize(633, 454);
  picture_ = QPixmap::fromImage(drawing_image(drawing_));
  auto* area = new QLabel;
  area->setPixmap(picture_);
  auto* close = new QPushButton(tr("Close"));
  auto* print_button = new QPushButton(tr("Print"));
  auto* clipboard = new QPushButton(tr("&Clipboard"));
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  connect(print_button, &QPushButton::clicked, this, &PyramidWindow::print);
  connect(clipboard, &QPushButton::clicked, this, &PyramidWindow::copy_to_clipboard);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(close);
  buttons->addWidget(print_button);
  buttons->addWidget(clipboard);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(area);
  layout->addLayout(buttons);
}

void PyramidWindow::print() {
  QPrinter printer;
  QPainter painter;
  if (!painter.begin(&printer)) return;
  paint_drawing(painter, drawing_, 7);
  painter.end();
}

void PyramidWindow::copy_to_clipboard() {
  QApplication::clipboard()->setPixmap(picture_);
  if (prompter_ != nullptr) {
    prompter_->inform(
        "The diagram is saved in the clipboard and can be integrated in another application.");
  }
}

}  // namespace olvar::ui
