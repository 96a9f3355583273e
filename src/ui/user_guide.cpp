#include "ui/user_guide.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <utility>

#include "ui/caption_translator.h"
#include "ui/qt_convert.h"

namespace olvar::ui {

namespace fs = std::filesystem;

UserGuide::UserGuide(core::ProgramFolders folders, QObject* parent)
    : QObject(parent), folders_(std::move(folders)) {}

fs::path UserGuide::folder() const {
  const fs::path contents =
      core::locate_program_file(folders_, std::string("guide/") + kGuideContents);
  std::error_code ec;
  return fs::is_regular_file(contents, ec) ? contents.parent_path() : fs::path();
}

QTextBrowser* UserGuide::open(QWidget* parent, const QString& page) {
  const fs::path guide = folder();
  if (guide.empty()) {
    QMessageBox::information(
        parent, QApplication::applicationName(),
        translate_caption("The file %1 is not in the program's data folder (looked for in %2).")
            .arg(QStringLiteral("guide/") + QLatin1String(kGuideContents),
                 path_to_qstring(folders_.program / "guide")));
    return nullptr;
  }
  if (window_.isNull()) {
    // A window of its own, so that the guide stays open beside the survey while one works.
    auto* window = new QDialog(nullptr, Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(translate_caption("Olvar user guide"));
    auto* layout = new QVBoxLayout(window);
    auto* bar = new QToolBar(window);
    browser_ = new QTextBrowser(window);
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({path_to_qstring(guide)});
    bar->addAction(translate_caption("Back"), browser_, &QTextBrowser::backward);
    bar->addAction(translate_caption("Contents"), browser_,
                   [this] { browser_->setSource(QUrl(QLatin1String(kGuideContents))); });
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, window);
    connect(close, &QDialogButtonBox::rejected, window, &QWidget::close);
    layout->addWidget(bar);
    layout->addWidget(browser_);
    layout->addWidget(close);
    window->resize(820, 640);
    window_ = window;
  }
  const QUrl base = QUrl::fromLocalFile(path_to_qstring(guide) + QLatin1Char('/'));
  browser_->setSource(base.resolved(QUrl(page.isEmpty() ? QLatin1String(kGuideContents) : page)));
  window_->show();
  window_->raise();
  window_->activateWindow();
  return browser_;
}

QString guide_page_of(const QWidget* widget) {
  for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
    const QVariant page = w->property(kGuidePageProperty);
    if (page.isValid() && !page.toString().isEmpty()) return page.toString();
  }
  return QString::fromLatin1(kGuideContents);
}

bool UserGuide::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr) {
      const QWidget* focus = QApplication::focusWidget();
      open(widget->window(), guide_page_of(focus != nullptr ? focus : widget));
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

QString about_text() {
  return QStringLiteral(
             "<h3>Olvar %1</h3>"
             "<p>Nutrition and mortality surveys in emergencies: planning, training, data entry, "
             "data quality, prevalences and death rates.</p>"
             "<p><b>Licence:</b> GNU General Public License, version 3 or later.</p>"
             "<p><b>WHO tables:</b> the WAZ, HAZ, WHZ, BMI-for-age and MUAC-for-age z-scores use "
             "the LMS parameters of the WHO Child Growth Standards (2006) and the WHO Growth "
             "Reference for 5 to 19 years (2007), as distributed with WHO's <i>anthro</i> and "
             "<i>anthroplus</i> R packages, and WHO's monthly MUAC-for-age table (3 to 60 months) "
             "as packaged in the <i>MUACz</i> R package (World Health Organization; the packages "
             "are GPL-3). The NCHS 1977 reference is computed from its published "
             "parameters.</p><p>%2</p>")
      .arg(QStringLiteral(OLVAR_VERSION),
           translate_caption(
               "The WHO z-scores are computed from the tables of the WHO Child Growth Standards "
               "(2006) as the World Health Organization publishes them. WHO has not checked this "
               "program and is not responsible for its results; the standards and their terms "
               "of use are WHO's."));
}

void show_about(QWidget* parent) {
  QMessageBox::about(parent, translate_caption("About Olvar"), about_text());
}

}  // namespace olvar::ui
