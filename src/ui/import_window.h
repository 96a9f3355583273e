#pragma once
// The preview-and-map window of the imports: the file's fields mapped to targets, the order of
// its dates (guessed from the dates themselves and shown as a guess the user can change), and
// a preview of the first records as the import will write them, the values it will refuse
// marked with the reason. Two imports use it:
//   - a survey (Files > Import): Epi Info, dBase, CSV/TSV or XLSX, the targets the standard
//     variables; a mapping can be saved and is offered again for a file with the same fields;
//     OK reads the records into a new survey that replaces the open one;
//   - a household roster (Death Rates page), the targets its columns, with its lists of persons
//     who left and died; OK builds the individual mortality table.
// A file that cannot be read leaves the open survey as it was and says why.
//
//   ImportWindow::start(services, survey_window);            // asks for the file
//   ImportWindow::open_file(services, file, survey_window);  // a file dropped on the window

#include <QDialog>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "anthro/row_evaluation.h"
#include "core/prompter.h"
#include "core/workspace.h"
#include "formats/survey_import.h"
#include "workspace/app_context.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace olvar::ui {

class ImportWindow : public QDialog {
  Q_OBJECT

 public:
  enum class Kind { survey, roster };

  // What the import needs of the survey window, which outlives the mapping window.
  struct Services {
    workspace::AppContext& app;  // Language and WHO tables, dates, the data folder
    core::Prompter& prompter;
    const core::Workspace& current;  // its pages and options are kept by the import
    std::function<anthro::RowEvaluationSettings(const core::Workspace&)> evaluation_settings;
    std::function<void(core::Workspace)> replace;  // puts the imported survey in place
    Kind kind = Kind::survey;
  };

  // Asks for the file (its folder becomes the data folder), reads its fields and opens the
  // mapping window (modal to `parent`, not blocking). Returns null when the user cancels or the
  // file cannot be read; the prompter has told why.
  static ImportWindow* start(Services services, QWidget* parent);
  // The same for a file already chosen (dropped on the window).
  static ImportWindow* open_file(Services services, const std::string& file, QWidget* parent);

  ImportWindow(Services services, std::string file, std::string bytes, formats::ImportHeader header,
               QWidget* parent = nullptr);

  // The survey import's mapping the lists and the date format choice give.
  formats::ImportMapping mapping() const;
  // OK: the import under mapping(); the window closes.
  void accept() override;

  // The number of records the preview shows at most.
  static constexpr int kPreviewRows = 12;

 private:
  const std::vector<std::string>& target_names() const;
  void fill_lists(const std::vector<int>& preselected);
  // The preview and the refused values again, after a change of the mapping or the date order.
  void refresh_preview();
  // The date order guessed from the dates of the fields mapped to dates, shown beside it.
  void guess_date_order();
  void choose_sheet(const QString& sheet);
  void save_mapping();
  void accept_roster();
  QWidget* roster_lists();

  Services services_;
  std::string file_;
  std::string bytes_;
  formats::ImportHeader header_;
  std::vector<QComboBox*> lists_;
  QComboBox* date_format_ = nullptr;
  QLabel* date_guess_ = nullptr;
  QLabel* saved_note_ = nullptr;
  QLabel* refused_note_ = nullptr;
  QTableWidget* preview_ = nullptr;
  QComboBox* sheet_ = nullptr;
  QLineEdit* left_file_ = nullptr;
  QLineEdit* died_file_ = nullptr;
  bool order_chosen_ = false;  // the user picked the order: no guess overrides it
  bool filling_ = false;
};

}  // namespace olvar::ui
