#pragma once
// The import of a survey from a data file of another program (Files > "Import EPI Info File"):
// the choice of the file, then the mapping window, with one list per standard variable
// SURVDATE to MUAC offering the file's fields and the order of the dates in the file. OK reads
// the records into a new survey that replaces the open one; a file that cannot be read leaves
// the open survey as it was and says why.
//
//   ImportWindow::start(services, survey_window);  // the window, or null when nothing to map

#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "anthro/row_evaluation.h"
#include "core/prompter.h"
#include "core/workspace.h"
#include "formats/survey_import.h"
#include "workspace/app_context.h"

class QComboBox;
class QLabel;

namespace olvar::ui {

class ImportWindow : public QDialog {
  Q_OBJECT

 public:
  // What the import needs of the survey window, which outlives the mapping window.
  struct Services {
    workspace::AppContext& app;  // Language and WHO tables, dates, the data folder
    core::Prompter& prompter;
    const core::Workspace& current;  // its pages and options are kept by the import
    std::function<anthro::RowEvaluationSettings(const core::Workspace&)> evaluation_settings;
    std::function<void(core::Workspace)> replace;  // puts the imported survey in place
  };

  // Asks for the file (its folder becomes the data folder), reads its fields and opens the
  // mapping window (modal to `parent`, not blocking). Returns null when the user cancels or the
  // file cannot be read; the prompter has told why.
  static ImportWindow* start(Services services, QWidget* parent);

  ImportWindow(Services services, std::string file, std::string bytes, formats::ImportHeader header,
               QWidget* parent = nullptr);

  // The mapping the lists and the date format choice give.
  formats::ImportMapping mapping() const;
  // OK: the import under mapping(); the window closes.
  void accept() override;

 private:
  Services services_;
  std::string file_;
  std::string bytes_;
  formats::ImportHeader header_;
  std::array<QComboBox*, formats::kImportTargetCount> lists_{};
  QComboBox* date_format_ = nullptr;
};

}  // namespace olvar::ui
