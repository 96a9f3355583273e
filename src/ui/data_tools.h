#pragma once
// The data tools of the survey window: the Sort, Filter and "Transfer data to Excel" buttons of
// the data entry page, and the Extras menu's "Copy Data to Excel", "Merge surveys" and "Check
// of Double Entry". Each opens its window, calls the core and hands the result back to the
// survey window through the services below, so that the window itself keeps a few lines.
//
//   data_tools_ = new DataTools(services, this);
//   data_tools_->add_entry_buttons(tool_bar);
//   data_tools_->add_extras_entries(extras_menu);
//   data_tools_->refresh();  // after New, Open or Save: the Filter button in step

#include <QObject>
#include <functional>
#include <memory>
#include <string_view>

#include "core/options_page.h"
#include "core/prompter.h"
#include "core/survey_sort.h"
#include "core/workspace.h"
#include "document/document_buffer.h"
#include "formats/survey_filter.h"
#include "workspace/app_context.h"

class QAction;
class QMenu;
class QToolBar;
class QWidget;

namespace olvar::ui {

class DataTools : public QObject {
  Q_OBJECT

 public:
  struct Services {
    core::Workspace& workspace;
    workspace::AppContext& app;
    bool& filter_active;  // the survey window's filter mark, which saving reads
    std::function<core::Prompter&()> prompter;
    std::function<const core::OptionsPage&()> options;
    std::function<bool()> save_survey;  // the Save command; whether it saved
    std::function<bool()> new_survey;   // the New command; false when the user backed out
    // The Survey table was reordered or replaced by the command `step` names for Undo (empty:
    // nothing to undo, as when the survey before comes back).
    std::function<void(const std::string& step)> table_replaced;
    std::function<void(const document::DocumentBuffer&, bool table, std::string_view kind)>
        hand_off;
    std::function<void(const QString&)> show_caption;  // progress in the window caption
  };

  DataTools(Services services, QWidget* window);

  void add_entry_buttons(QToolBar* bar);
  void add_extras_entries(QMenu* extras);
  // A filter backup from before another survey was opened, created or saved under a new name
  // (the filter mark is then cleared) is dropped, and the Filter button says whether a filter
  // is active.
  void refresh();

  // The commands, as the buttons and menu entries call them.
  void open_sort_window();
  void open_filter_window();
  void export_to_spreadsheet();
  void open_merge_window();
  void open_double_entry_window();

 private:
  std::string text(int entry) const;
  // Whether the merged survey replaced the open one.
  bool merge_files(const std::vector<std::filesystem::path>& files);

  // The open survey as it stood before Merge, given back when no merge is made.
  struct Snapshot {
    core::Workspace workspace;
    bool filter_active = false;
    formats::SurveyFilter filter;
  };

  Services services_;
  QWidget* window_;
  formats::SurveyFilter filter_;
  QAction* filter_action_ = nullptr;
};

}  // namespace olvar::ui
