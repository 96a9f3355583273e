#pragma once
// The user guide that ships with the program (HTML in the data folder's "guide" folder), shown in
// a window of its own, and the About box. F1 in any window opens the guide at that window's page:
// a window names its page in the dynamic property kGuidePageProperty, and one event filter on the
// application answers F1 for all of them.

#include <QObject>
#include <QPointer>
#include <QString>
#include <filesystem>

#include "core/program_files.h"

class QTextBrowser;
class QWidget;

namespace olvar::ui {

// The property a window sets to the guide page about it, for example "plan.html".
inline constexpr const char* kGuidePageProperty = "olvar_guide_page";
inline constexpr const char* kGuideContents = "index.html";

class UserGuide : public QObject {
  Q_OBJECT
 public:
  explicit UserGuide(core::ProgramFolders folders, QObject* parent = nullptr);

  // The folder holding the guide's pages; empty when the guide is not installed.
  std::filesystem::path folder() const;

  // Shows the guide window at `page` (a file of the guide, with an optional "#anchor"). Without
  // the guide installed, says where it was looked for. Returns the guide's text browser, or
  // nullptr when there is no guide.
  QTextBrowser* open(QWidget* parent, const QString& page);

  // F1 anywhere in the program: the guide at the page of the window that has the focus (or its
  // nearest owner naming a page), else the contents.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  core::ProgramFolders folders_;
  QPointer<QWidget> window_;
  QTextBrowser* browser_ = nullptr;
};

// The page a widget's window names, walking up to the first window that names one.
QString guide_page_of(const QWidget* widget);

// "About Olvar": the version, the licence, and the source and terms of the WHO tables.
QString about_text();
void show_about(QWidget* parent);

}  // namespace olvar::ui
