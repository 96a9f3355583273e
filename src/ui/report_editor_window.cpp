#include "ui/user_guide.h"
#include "ui/report_editor_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSpinBox>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextList>
#include <QToolBar>
#include <QVBoxLayout>
#include <cmath>
#include <functional>
#include <optional>

#include "document/rtf_text.h"
#include "platform/safe_write.h"
#include "ui/qt_convert.h"
#include "ui/rtf_document.h"

namespace olvar::ui {

namespace {

const QString kUntitled = QStringLiteral("Untitled");
const QString kFilter = QStringLiteral("Rich Text Files (*.RTF *.rtf);;Text Files (*.TXT *.txt)");
constexpr int kTextMargin = 6;  // pixels left and right of the text, as the ruler assumes

bool is_text_file(const QString& file) {
  return file.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive);
}

// The picture of an alignment button: lines of text set left, centred or right, as word
// processors show them; a picture is narrower than the word and needs no translation.
QIcon alignment_icon(Qt::Alignment alignment, const QColor& ink) {
  QPixmap picture(16, 16);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setPen(QPen(ink, 1.5));
  const int widths[] = {14, 9, 14, 9, 14};
  for (int k = 0; k < 5; ++k) {
    const int width = widths[k];
    const int left = alignment & Qt::AlignHCenter ? 1 + (14 - width) / 2
                     : alignment & Qt::AlignRight ? 15 - width
                                                  : 1;
    painter.drawLine(left, 2 + 3 * k, left + width, 2 + 3 * k);
  }
  return QIcon(picture);
}

// The picture of the bullets button: three bulleted lines.
QIcon bullets_icon(const QColor& ink) {
  QPixmap picture(16, 16);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  for (int k = 0; k < 3; ++k) {
    const int y = 3 + 5 * k;
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawEllipse(QPointF(2.5, y), 1.8, 1.8);
    painter.setPen(QPen(ink, 1.5));
    painter.drawLine(6, y, 15, y);
  }
  return QIcon(picture);
}

}  // namespace

// The ruler above the text: a scale and three markers (first line, left, right indent) that the
// user drags; the arithmetic is the core's (reports/editor_ruler.h).
class IndentRuler : public QWidget {
 public:
  static constexpr int kMarkerWidth = 10;

  explicit IndentRuler(std::function<void(document::ParagraphIndents)> on_drop)
      : on_drop_(std::move(on_drop)) {
    setFixedHeight(22);
    setMouseTracking(false);
  }

  void show_indents(const document::ParagraphIndents& indents) {
    indents_ = indents;
    markers_ = document::ruler_markers(indents, width());
    update();
  }

 protected:
  void resizeEvent(QResizeEvent*) override { show_indents(indents_); }

  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(kTextMargin, height() / 2, width() - kTextMargin, height() / 2);
    // A tick every half centimetre (at 96 dpi, 1 cm is 37.8 pixels).
    for (int k = 0; kTextMargin + k * 189 / 10 < width(); ++k) {
      const int x = kTextMargin + k * 189 / 10;
      p.drawLine(x, height() / 2 - (k % 2 == 0 ? 4 : 2), x, height() / 2);
    }
    p.setBrush(palette().color(QPalette::Text));
    p.setPen(Qt::NoPen);
    const auto down = [&](int left, int top) {
      p.drawPolygon(QPolygon({QPoint(left, top), QPoint(left + kMarkerWidth, top),
                              QPoint(left + kMarkerWidth / 2, top + 6)}));
    };
    const auto up = [&](int left, int bottom) {
      p.drawPolygon(QPolygon({QPoint(left, bottom), QPoint(left + kMarkerWidth, bottom),
                              QPoint(left + kMarkerWidth / 2, bottom - 6)}));
    };
    down(edge(document::RulerMarker::first_line), 1);
    up(edge(document::RulerMarker::left), height() - 1);
    up(edge(document::RulerMarker::right), height() - 1);
  }

  void mousePressEvent(QMouseEvent* event) override {
    const int x = event->position().toPoint().x();
    const bool top = event->position().y() < height() / 2;
    const document::RulerMarker candidates[] = {
        top ? document::RulerMarker::first_line : document::RulerMarker::left,
        document::RulerMarker::right};
    for (const document::RulerMarker marker : candidates) {
      if (x >= edge(marker) && x < edge(marker) + kMarkerWidth) {
        dragging_ = marker;
        half_ = kMarkerWidth / 2;
        move_to(x);
        return;
      }
    }
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    if (dragging_) move_to(event->position().toPoint().x());
  }

  void mouseReleaseEvent(QMouseEvent*) override {
    if (!dragging_) return;
    const document::RulerMarker marker = *dragging_;
    dragging_.reset();
    on_drop_(document::drop_marker(indents_, marker, edge(marker), half_, markers_.left, width()));
  }

 private:
  int& edge(document::RulerMarker marker) {
    switch (marker) {
      case document::RulerMarker::first_line:
        return markers_.first_line;
      case document::RulerMarker::left:
        return markers_.left;
      case document::RulerMarker::right:
        break;
    }
    return markers_.right;
  }
  void move_to(int x) {
    edge(*dragging_) = x - half_;  // the marker's centre under the mouse
    update();
  }

  std::function<void(document::ParagraphIndents)> on_drop_;
  document::ParagraphIndents indents_;
  document::RulerMarkers markers_;
  std::optional<document::RulerMarker> dragging_;
  int half_ = 0;
};

ReportEditorWindow::ReportEditorWindow(QString start_folder, QWidget* parent)
    : QMainWindow(parent), start_folder_(std::move(start_folder)) {
  setProperty(kGuidePageProperty, "publish.html");  // F1 opens the guide there
  setWindowTitle(QStringLiteral("Editor"));
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  ruler_ = new IndentRuler([this](document::ParagraphIndents indents) {
    set_indents(indents);
    update_controls();
  });
  text_ = new QTextEdit;
  text_->setLineWrapMode(QTextEdit::WidgetWidth);
  text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text_->document()->setDocumentMargin(kTextMargin);
  layout->addWidget(ruler_);
  layout->addWidget(text_);
  setCentralWidget(central);
  statusBar();
  build_actions();

  // The default text: the first Courier face, 12 points.
  QTextCharFormat start;
  const QStringList families = QFontDatabase::families();
  QString courier = kFixedWidthFamily;
  for (const QString& family : families) {
    if (family.contains(QStringLiteral("Courier"))) {
      courier = family;
      break;
    }
  }
  start.setFontFamilies({courier});
  start.setFontPointSize(12);
  text_->setCurrentCharFormat(start);

  connect(text_, &QTextEdit::cursorPositionChanged, this, &ReportEditorWindow::update_controls);
  connect(text_, &QTextEdit::currentCharFormatChanged, this, &ReportEditorWindow::update_controls);
  set_document_name(kUntitled);
  resize(800, 600);
  update_controls();
}

void ReportEditorWindow::build_actions() {
  QMenu* file = menuBar()->addMenu(tr("File"));
  QMenu* edit = menuBar()->addMenu(tr("Edit"));
  QToolBar* bar = addToolBar(tr("Tools"));
  bar->setMovable(false);
  bar->setIconSize(QSize(16, 16));  // the pictures of the alignment buttons
  const auto action = [this](QMenu* menu, const QString& caption, auto slot) {
    QAction* a = menu->addAction(caption);
    a->setStatusTip(QString(caption).remove(QLatin1Char('&')));
    a->setToolTip(a->statusTip());
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  QAction* a_new = action(file, tr("New"), [this] { file_new(); });
  QAction* a_open = action(file, tr("Open"), [this] { file_open(); });
  QAction* a_save = action(file, tr("Save"), [this] { file_save(); });
  action(file, tr("Save as"), [this] { file_save_as(); });
  file->addSeparator();
  QAction* a_print = action(file, tr("Print"), [this] { file_print(); });
  file->addSeparator();
  action(file, tr("Exit"), [this] { close(); });
  QAction* a_undo = action(edit, tr("Undo"), [this] { text_->undo(); });
  edit->addSeparator();
  QAction* a_cut = action(edit, tr("Cut"), [this] { text_->cut(); });
  QAction* a_copy = action(edit, tr("Copy"), [this] { text_->copy(); });
  QAction* a_paste = action(edit, tr("Paste"), [this] { text_->paste(); });
  edit->addSeparator();
  action(edit, tr("Font"), [this] {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, text_->currentCharFormat().font(), this);
    if (ok) {
      QTextCharFormat format;
      format.setFont(font);
      apply_char_format(format);
    }
    text_->setFocus();
  });
  for (QAction* a : {a_new, a_open, a_save, a_print}) bar->addAction(a);
  bar->addSeparator();
  for (QAction* a : {a_undo, a_cut, a_copy, a_paste}) bar->addAction(a);
  bar->addSeparator();

  font_name_ = new QFontComboBox;
  // As wide as a usual face name ("Times New Roman"), not wider: the tool bar fits the window.
  font_name_->setMaximumWidth(font_name_->fontMetrics().horizontalAdvance(QLatin1Char('m')) * 11);
  font_name_->setStatusTip(tr("Font"));
  connect(font_name_, &QFontComboBox::currentFontChanged, this, [this](const QFont& font) {
    if (updating_) return;
    QTextCharFormat format;
    format.setFontFamilies({font.family()});
    apply_char_format(format);
  });
  bar->addWidget(font_name_);
  font_size_ = new QSpinBox;
  font_size_->setRange(0, 400);
  font_size_->setStatusTip(tr("Font size"));
  connect(font_size_, &QSpinBox::valueChanged, this, [this](int size) {
    if (updating_ || size <= 0) return;  // a size of 0 has no glyphs to show
    QTextCharFormat format;
    format.setFontPointSize(size);
    apply_char_format(format);
  });
  bar->addWidget(font_size_);
  bar->addSeparator();

  const auto toggle = [this, bar](const QString& caption, const QString& glyph) {
    QAction* a = bar->addAction(glyph);
    a->setCheckable(true);
    a->setStatusTip(caption);
    a->setToolTip(caption);
    return a;
  };
  bold_ = toggle(tr("Bold"), QStringLiteral("B"));
  italic_ = toggle(tr("Italic"), QStringLiteral("I"));
  underline_ = toggle(tr("Underline"), QStringLiteral("U"));
  connect(bold_, &QAction::toggled, this, [this](bool on) {
    if (updating_) return;
    QTextCharFormat f;
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
    apply_char_format(f);
  });
  connect(italic_, &QAction::toggled, this, [this](bool on) {
    if (updating_) return;
    QTextCharFormat f;
    f.setFontItalic(on);
    apply_char_format(f);
  });
  connect(underline_, &QAction::toggled, this, [this](bool on) {
    if (updating_) return;
    QTextCharFormat f;
    f.setFontUnderline(on);
    apply_char_format(f);
  });
  bar->addSeparator();
  auto* alignment = new QActionGroup(this);
  align_left_ = toggle(tr("Left align"), QStringLiteral("Left"));
  align_center_ = toggle(tr("Center align"), QStringLiteral("Center"));
  align_right_ = toggle(tr("Right align"), QStringLiteral("Right"));
  const QColor ink = palette().color(QPalette::ButtonText);
  align_left_->setIcon(alignment_icon(Qt::AlignLeft, ink));
  align_center_->setIcon(alignment_icon(Qt::AlignHCenter, ink));
  align_right_->setIcon(alignment_icon(Qt::AlignRight, ink));
  for (auto [a, align] :
       {std::pair{align_left_, Qt::AlignLeft}, std::pair{align_center_, Qt::AlignHCenter},
        std::pair{align_right_, Qt::AlignRight}}) {
    alignment->addAction(a);
    connect(a, &QAction::triggered, this, [this, align] {
      if (!updating_) text_->setAlignment(align);
    });
  }
  bar->addSeparator();
  bullets_ = toggle(tr("Bullets"), QStringLiteral("\u2022"));
  bullets_->setIcon(bullets_icon(ink));
  connect(bullets_, &QAction::toggled, this, [this](bool on) {
    if (updating_) return;
    QTextCursor cursor = text_->textCursor();
    if (on) {
      cursor.createList(QTextListFormat::ListDisc);
    } else if (QTextList* list = cursor.currentList()) {
      list->remove(cursor.block());
      QTextBlockFormat plain = cursor.blockFormat();
      plain.setIndent(0);
      cursor.setBlockFormat(plain);
    }
  });
}

void ReportEditorWindow::apply_char_format(const QTextCharFormat& format) {
  // With a selection the selection changes; without one, the text typed next.
  QTextCursor cursor = text_->textCursor();
  if (cursor.hasSelection()) cursor.mergeCharFormat(format);
  text_->mergeCurrentCharFormat(format);
}

document::ParagraphIndents ReportEditorWindow::current_indents() const {
  const QTextBlockFormat block = text_->textCursor().blockFormat();
  // Qt: left margin for every line, text indent for the first relative to it, in pixels; the
  // ruler's indents are points.
  const auto points = [](qreal pixels) {
    return static_cast<int>(std::lround(pixels / kPixelsPerPoint));
  };
  const int left_margin = points(block.leftMargin());
  const int text_indent = points(block.textIndent());
  return {left_margin + text_indent, -text_indent, points(block.rightMargin())};
}

void ReportEditorWindow::set_indents(const document::ParagraphIndents& indents) {
  QTextCursor cursor = text_->textCursor();
  QTextBlockFormat block = cursor.blockFormat();
  block.setLeftMargin((indents.first + indents.left) * kPixelsPerPoint);
  block.setTextIndent(-indents.left * kPixelsPerPoint);
  block.setRightMargin(indents.right * kPixelsPerPoint);
  cursor.setBlockFormat(block);
}

void ReportEditorWindow::update_controls() {
  updating_ = true;
  const QTextCharFormat format = text_->currentCharFormat();
  bold_->setChecked(format.fontWeight() >= QFont::DemiBold);
  italic_->setChecked(format.fontItalic());
  underline_->setChecked(format.fontUnderline());
  font_size_->setValue(static_cast<int>(format.fontPointSize()));
  const QStringList families = format.fontFamilies().toStringList();
  if (!families.isEmpty()) font_name_->setCurrentFont(QFont(families.first()));
  const Qt::Alignment align = text_->alignment();
  align_center_->setChecked(align & Qt::AlignHCenter);
  align_right_->setChecked(align & Qt::AlignRight);
  align_left_->setChecked(!(align & (Qt::AlignHCenter | Qt::AlignRight)));
  bullets_->setChecked(text_->textCursor().currentList() != nullptr);
  ruler_->show_indents(current_indents());
  updating_ = false;
}

void ReportEditorWindow::set_document_name(const QString& name) {
  document_name_ = name;
  setWindowTitle(QStringLiteral("Editor - ") + QFileInfo(name).fileName());
}

bool ReportEditorWindow::load_file(const QString& file) {
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = in.readAll();
  const std::string content = bytes.toStdString();
  if (is_text_file(file) && !content.starts_with("{\\rtf")) {
    document::RtfRun run;
    run.text = content;
    std::erase(run.text, '\r');
    fill_document(*text_->document(), document::RtfDocument{{run}, {}});
  } else {
    fill_document(*text_->document(), document::read_rtf_document(content));
  }
  text_->document()->setModified(false);
  text_->moveCursor(QTextCursor::Start);
  return true;
}

bool ReportEditorWindow::save_file(const QString& file) {
  const document::RtfDocument rtf = rtf_document_of(*text_->document());
  const std::string bytes =
      is_text_file(file) ? document::plain_text(rtf.runs) : document::write_rtf(rtf);
  try {
    platform::write_file_safely(qstring_to_path(file), bytes);
  } catch (const platform::WriteFailure& e) {
    last_write_failure_ = QString::fromLocal8Bit(e.what());
    return false;
  }
  text_->document()->setModified(false);
  return true;
}

void ReportEditorWindow::open_report_editor(const std::filesystem::path& document) {
  const QString file = path_to_qstring(document);
  if (load_file(file)) {
    // Saving a report kept by the program must not overwrite it: "Untitled" makes Save ask.
    set_document_name(kUntitled);
  }
  show();
  raise();
  activateWindow();
  text_->setFocus();
}

void ReportEditorWindow::file_new() {
  text_->clear();
  text_->document()->setModified(false);
  set_document_name(kUntitled);
}

void ReportEditorWindow::file_open() {
  QFileDialog dialog(this, tr("Open"), start_folder_, kFilter);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString file = dialog.selectedFiles().first();
  if (!load_file(file)) {
    QMessageBox::warning(this, windowTitle(), tr("Cannot read %1").arg(file));
    return;
  }
  set_document_name(file);
  text_->setFocus();
}

bool ReportEditorWindow::file_save() {
  if (document_name_ == kUntitled) return file_save_as();
  if (!save_file(document_name_)) {
    QMessageBox::warning(this, windowTitle(), last_write_failure_);
    return false;
  }
  return true;
}

bool ReportEditorWindow::file_save_as() {
  QFileDialog dialog(this, tr("Save as"), start_folder_, kFilter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("rtf"));
  // The overwrite question is asked below, with Yes, No and Cancel.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  const QString file = dialog.selectedFiles().first();
  if (QFileInfo::exists(file) &&
      QMessageBox::question(this, windowTitle(), QStringLiteral("OK to overwrite %1").arg(file),
                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) !=
          QMessageBox::Yes) {
    return false;
  }
  if (!save_file(file)) {
    QMessageBox::warning(this, windowTitle(), last_write_failure_);
    return false;
  }
  set_document_name(file);
  return true;
}

void ReportEditorWindow::file_print() {
  QPrinter printer;
  printer.setDocName(document_name_);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() == QDialog::Accepted) text_->print(&printer);
}

}  // namespace olvar::ui
