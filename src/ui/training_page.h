#pragma once
// The Training page: two sub-pages, "Numeric continuous data" (the standardisation test of
// weight, height and MUAC) and "Categorical data" (agreement on categories), each a grid with
// its report buttons, and the two speed buttons of the page (paste from the clipboard, transfer
// of the shown grid to the spreadsheet). The reports are computed by training/; this page shows
// the grids, asks the questions and hands the documents to the office program.

#include <QWidget>
#include <functional>
#include <optional>

#include "workspace/app_context.h"
#include "core/prompter.h"
#include "core/workspace.h"
#include "platform/process_launcher.h"
#include "document/office_hand_off.h"
#include "ui/document_shelf.h"

class QPushButton;
class QTabWidget;
class QTableView;

namespace olvar::ui {

class TrainingGridModel;

class TrainingPage : public QWidget {
  Q_OBJECT

 public:
  TrainingPage(core::Workspace& workspace, workspace::AppContext& app, QWidget* parent = nullptr);
  ~TrainingPage() override;

  // The questions and messages go through the prompter; the report editor opens a document
  // when no office program can be started; the launcher starts the office program (tests pass
  // one that records). Each may be replaced at any time.
  void set_prompter(core::Prompter* prompter) { prompter_ = prompter; }
  void set_editor(std::function<document::ReportEditorOpener&()> editor) {
    editor_ = std::move(editor);
  }
  void set_launcher(platform::ProcessLauncher* launcher);
  // Called when a command or a typed cell changed a grid.
  std::function<void()> on_changed;

  // Writes the headings and shows the grids again (a survey was read or a new one started).
  void reload();

  // The commands of the buttons.
  void new_report();                 // "New Report": the table to the spreadsheet
  void previous_report();            // "Report from previous Olvar versions"
  void replace_supervisor_values();  // "Replace supervisor values with mean from enumerators"
  void categorical_report();         // "Report" of the categorical sub-page
  void paste_from_clipboard();       // into the grid of the shown sub-page, at its current cell
  void transfer_to_spreadsheet();    // the grid of the shown sub-page

  QTabWidget* sub_pages() const { return sub_pages_; }
  QTableView* continuous_view() const { return continuous_view_; }
  QTableView* categorical_view() const { return categorical_view_; }
  // The file of the last hand-off (tests).
  const std::optional<document::HandOffResult>& last_hand_off() const { return last_hand_off_; }
  DocumentShelf shelf;  // set by the window

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Document { rtf, table };
  void hand_off(std::string text, Document kind, std::string_view name);
  bool categorical_shown() const;
  void changed();

  core::Workspace& workspace_;
  workspace::AppContext& app_;
  core::Prompter* prompter_ = nullptr;
  std::function<document::ReportEditorOpener&()> editor_;
  platform::SpawnProcessLauncher spawn_launcher_;
  platform::ProcessLauncher* launcher_ = &spawn_launcher_;
  std::optional<document::HandOffResult> last_hand_off_;

  QTabWidget* sub_pages_ = nullptr;
  QTableView* continuous_view_ = nullptr;
  QTableView* categorical_view_ = nullptr;
  TrainingGridModel* continuous_model_ = nullptr;
  TrainingGridModel* categorical_model_ = nullptr;
};

}  // namespace olvar::ui
