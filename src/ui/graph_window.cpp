#include "ui/user_guide.h"
#include "ui/graph_window.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>

#include "graphs/svg_renderer.h"
#include "platform/safe_write.h"
#include "ui/busy_cursor.h"
#include "ui/drawing_painter.h"
#include "ui/qt_convert.h"

namespace olvar::ui {

namespace {

constexpr double kPictureScale = 2;  // clipboard and PNG: sharp enough to print from

std::string lower_extension(const std::filesystem::path& file) {
  std::string extension = file.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

}  // namespace

GraphWindow::GraphWindow(const core::LanguageTable& text, core::Prompter* prompter, QWidget* parent)
    : QDialog(parent), text_(text), prompter_(prompter) {
  setProperty(kGuidePageProperty, "report-results-page.html#graphs");  // F1 opens the guide there
  setWindowTitle(to_qstring(text_.text(1411)));
  picture_ = new DrawingWidget;
  picture_->setObjectName(QStringLiteral("graph_picture"));
  auto* scroll = new QScrollArea;
  scroll->setWidget(picture_);
  scroll->setAlignment(Qt::AlignCenter);
  scroll->setWidgetResizable(false);
  memo_ = new QPlainTextEdit;
  memo_->setObjectName(QStringLiteral("graph_memo"));
  memo_->setReadOnly(true);
  memo_->setFont(QFont(QStringLiteral("Courier New"), 9));
  memo_->setVisible(false);
  auto* print_button = new QPushButton(to_qstring(text_.text(1412)));
  auto* copy_button = new QPushButton(to_qstring(text_.text(1413)));
  auto* save_button = new QPushButton(to_qstring(text_.text(1414)));
  print_button->setObjectName(QStringLiteral("print_button"));
  copy_button->setObjectName(QStringLiteral("copy_button"));
  save_button->setObjectName(QStringLiteral("save_button"));
  connect(print_button, &QPushButton::clicked, this, &GraphWindow::print);
  connect(copy_button, &QPushButton::clicked, this, &GraphWindow::copy_to_clipboard);
  connect(save_button, &QPushButton::clicked, this, [this] { save_as(); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(print_button);
  buttons->addWidget(copy_button);
  buttons->addWidget(save_button);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(scroll, 3);
  layout->addWidget(memo_, 1);
  layout->addLayout(buttons);
  resize(520, 600);
}

const graphs::Drawing& GraphWindow::drawing() const { return picture_->drawing(); }

void GraphWindow::show_graph(graphs::Drawing drawing, const std::string& title,
                             const std::vector<std::string>& memo) {
  picture_->set_drawing(std::move(drawing));
  setWindowTitle(to_qstring(title.empty() ? text_.text(1411) : title));
  QString lines;
  for (const std::string& line : memo) lines += to_qstring(line) + QLatin1Char('\n');
  memo_->setPlainText(lines);
  memo_->setVisible(!memo.empty());
}

QImage GraphWindow::picture() const { return drawing_image(drawing(), kPictureScale); }

void GraphWindow::print_to(QPrinter& printer) const {
  QPainter painter;
  if (!painter.begin(&printer)) return;
  const QRect page = painter.viewport();
  const graphs::Drawing& d = drawing();
  const double scale = std::min(page.width() / std::max(1.0, double(d.width)),
                                page.height() / std::max(1.0, double(d.height)));
  paint_drawing(painter, d, scale);
}

void GraphWindow::print() {
  QPrinter printer;
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const BusyCursor busy;
  print_to(printer);
}

void GraphWindow::copy_to_clipboard() {
  QGuiApplication::clipboard()->setImage(picture());
  if (prompter_ != nullptr) prompter_->inform(text_.text(838));
}

bool GraphWindow::save_as() {
  if (prompter_ == nullptr) return false;
  const auto chosen = prompter_->choose_file_to_save(
      text_.text(1414), "PNG picture (*.png);;SVG picture (*.svg)", "");
  if (!chosen) return false;
  std::filesystem::path file(*chosen);
  if (file.extension().empty()) file += ".png";
  return save_to(file);
}

bool GraphWindow::save_to(const std::filesystem::path& file) {
  const auto fail = [&](const std::string& why) {
    if (prompter_ != nullptr) prompter_->inform(text_.text(1415) + " " + why);
    return false;
  };
  if (!protected_file_.empty() && platform::is_same_file(file, protected_file_)) {
    return fail(file.string() + " is the open survey");
  }
  std::string bytes;
  if (lower_extension(file) == ".svg") {
    bytes = graphs::svg_of(drawing());
  } else {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture().save(&buffer, "PNG")) return fail("the picture could not be made");
    bytes.assign(png.constData(), static_cast<std::size_t>(png.size()));
  }
  try {
    platform::write_file_safely(file, bytes);
  } catch (const std::exception& e) {
    return fail(e.what());
  }
  return true;
}

}  // namespace olvar::ui
