#include "ui/pyramid_window.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace olvar::ui {

void paint_display_list(QPainter& painter, const std::vector<mortality::DisplayItem>& items,
                        int scale) {
  for (const mortality::DisplayItem& i : items) {
    switch (i.kind) {
      case mortality::DisplayItem::text: {
        QFont font("Times");
        font.setPointSize(i.font_size);
        painter.setFont(font);
        painter.setPen(Qt::black);
        const QFontMetrics metrics(font);
        painter.drawText(i.x1 * scale, i.y1 * scale + metrics.ascent(),
                         QString::fromStdString(i.content));
        break;
      }
      case mortality::DisplayItem::line:
        painter.setPen(Qt::black);
        painter.drawLine(i.x1 * scale, i.y1 * scale, i.x2 * scale, i.y2 * scale);
        break;
      case mortality::DisplayItem::rectangle: {
        const QRect r = QRect(QPoint(i.x1 * scale, i.y1 * scale),
                              QPoint(i.x2 * scale, i.y2 * scale)).normalized();
        const QColor fill = i.fill == "blue" ? QColor(Qt::blue)
                            : i.fill == "red" ? QColor(Qt::red)
                                              : QColor(Qt::white);
        painter.setPen(i.fill == "white" ? QPen(Qt::NoPen) : QPen(Qt::black));
        painter.setBrush(fill);
        painter.drawRect(r);
        painter.setBrush(Qt::NoBrush);
        break;
      }
    }
  }
}

PyramidWindow::PyramidWindow(std::vector<mortality::DisplayItem> drawing,
                             core::Prompter* prompter, QWidget* parent)
    : QDialog(parent), drawing_(std::move(drawing)), prompter_(prompter) {
  setWindowTitle(tr("Population Pyramid"));
  resize(633, 454);
  picture_ = QPixmap(mortality::kPyramidWidth, mortality::kPyramidHeight);
  picture_.fill(Qt::white);
  {
    QPainter painter(&picture_);
    paint_display_list(painter, drawing_, 1);
  }
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
  paint_display_list(painter, drawing_, 7);
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
