#pragma once
// The Planning page: sample sizes of an anthropometric and a mortality survey on the left, the
// cluster sampling table and the random number table on the right. The edit boxes are bound to
// the stored fields of core::PlanningPage; the outputs, the correction switch and the random
// number inputs live in planning::PlanningSession. Every command calls the planning core and
// hands the document it returns to the window through the services.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/language_table.h"
#include "core/program_files.h"
#include "core/prompter.h"
#include "core/workspace.h"
#include "planning/blank_forms.h"
#include "planning/random_number_table.h"
#include "planning/sample_size.h"
#include "document/document_buffer.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;

namespace olvar::ui {

class TextGridModel;

class PlanningPageWidget : public QWidget {
  Q_OBJECT

 public:
  // What the page needs from the window.
  struct Services {
    const core::LanguageTable* text = nullptr;
    core::ProgramFolders folders;  // where the templates are found
    char decimal_separator = '.';
    std::function<core::Prompter&()> prompter;
    // Each document is handed over with its kind, which its file name carries.
    std::function<void(const document::DocumentBuffer&, std::string_view kind)>
        write_report_document;
    std::function<void(const document::DocumentBuffer&, std::string_view kind)>
        hand_to_spreadsheet;
    std::function<void()> mark_changed;
    // The clipboard's text (the window reads it; tests give their own).
    std::function<std::string()> clipboard_text;
  };

  PlanningPageWidget(core::PlanningPage& page, Services services, QWidget* parent = nullptr);

  // Shows the fields of the page in the controls (after a file was read or a new survey begun).
  void load();
  // The page is shown: table headings, population size and both sample sizes computed anew, the
  // survey name focused.
  void shown();

  const planning::PlanningSession& session() const { return session_; }

  // The commands of the page's buttons, and of the Extras menu's blank forms.
  void SamplingRandomClick(bool cluster);
  void csps1Click(bool ticked);
  void survey_protocol();
  void assign_clusters();
  void paste_clusters();
  void transfer_to_spreadsheet();
  void print_cluster_table();
  void generate_random_numbers();
  void hand_out_blank_form(planning::BlankForm form);

  // Controls by field name ("sc_b", "Panel2", "Edit19", "Edit14", "seed", ...), for the tests.
  QLineEdit* edit(const std::string& name) const;
  QTableView* cluster_view() const { return cluster_view_; }
  QCheckBox* correction_box() const { return csps1_; }
  QLabel* problems_label() const { return problems_; }

 private:
  // An edit box bound to a field; typing into a `stored` one recomputes the sample sizes and
  // marks the survey changed (the seed and the random number inputs are not saved).
  QLineEdit* add_edit(const std::string& name, std::string* field, bool stored = true);
  QLineEdit* add_output(const std::string& name);
  void show_fields();
  void field_edited();
  void table_changed();
  void show_outputs();
  std::string text(core::LanguageEntry entry) const;
  // The seed box, or the time of day when it is empty; nullopt after telling the user a typed
  // seed is no whole number.
  std::optional<std::uint32_t> seed_to_use();

  core::PlanningPage& page_;
  Services services_;
  planning::PlanningSession session_;
  std::optional<std::uint32_t> last_cluster_seed_;  // of the assignment now in the table
  planning::RandomNumberInputs random_inputs_;      // not stored with the survey
  std::string seed_;                                // the seed box; empty: the time of day

  std::vector<std::pair<std::string, QLineEdit*>> edits_;
  std::vector<std::pair<QLineEdit*, std::string*>> bound_;
  QLineEdit* survey_name_ = nullptr;
  QRadioButton* random_ = nullptr;
  QRadioButton* cluster_ = nullptr;
  QCheckBox* csps1_ = nullptr;
  QLineEdit* population_ = nullptr;
  QLabel* problems_ = nullptr;
  QLabel* seed_used_ = nullptr;
  QTableView* cluster_view_ = nullptr;
  TextGridModel* cluster_model_ = nullptr;
};

}  // namespace olvar::ui
