#pragma once
// The window "Statistical Calculator": ad hoc statistics on the variables of the open survey.
// Each use opens a new, non-modal window. The controls are bound to calculator::CalculatorInputs;
// "Calculate" runs calculator::Calculate and shows its lines, "Excel" hands them to the
// spreadsheet program.

#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "calculator/statistical_calculator.h"
#include "workspace/app_context.h"
#include "core/options_page.h"
#include "core/prompter.h"
#include "core/survey_table.h"
#include "platform/process_launcher.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace olvar::ui {

// What the window reads and whom it asks; everything outlives the window (the survey window
// owns the survey and its options, and closes its calculators with itself).
struct CalculatorServices {
  const core::SurveyTable& survey;
  const core::OptionsPage& options;  // the flags and the selection in force
  workspace::AppContext& app;             // Language table, office program, folders, separator
  core::Prompter& prompter;
  std::function<void(const std::filesystem::path&)> open_report_editor;
};

class CalculatorWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kResultWidthAtRest = 569;
  static constexpr int kResultWidthWithResults = 769;

  CalculatorWindow(CalculatorServices services, QWidget* parent = nullptr);
  ~CalculatorWindow() override;

  // Tests record the office program's start instead of running it.
  void set_launcher(platform::ProcessLauncher* launcher);

  // The commands of the buttons.
  void calculate();
  void export_to_spreadsheet();
  void reset();

  // The lines of the result box (Windows-1252), "Results:" first; empty before Calculate.
  const std::vector<std::string>& result_lines() const { return lines_; }
  // The inputs as the controls stand.
  calculator::CalculatorInputs inputs() const;

 private:
  struct KindChoice {
    QRadioButton* cat = nullptr;
    QRadioButton* cont = nullptr;
    QButtonGroup* group = nullptr;
  };
  KindChoice new_kind_choice(const QString& name);
  void set_kind(KindChoice& choice, std::optional<calculator::VariableKind> kind);
  static calculator::VariableKind kind_of(const KindChoice& choice);
  // The column of a list's item (0 without a selection).
  static int column_of(const QComboBox* list);
  calculator::VariableKind proposed_kind(int column) const;
  analysis::AnalysisOptions analysis_options() const;
  void show_results(bool shown);
  std::string text(int entry) const;

  CalculatorServices services_;
  std::unique_ptr<platform::ProcessLauncher> own_launcher_;
  platform::ProcessLauncher* launcher_;
  std::vector<std::string> lines_;

  QComboBox* main_list_ = nullptr;
  KindChoice main_kind_;
  std::array<QLineEdit*, calculator::kRangePairs> range_from_{};
  std::array<QLineEdit*, calculator::kRangePairs> range_to_{};
  std::array<QComboBox*, calculator::kCrossings> crossing_lists_{};
  std::array<KindChoice, calculator::kCrossings> crossing_kinds_{};
  QComboBox* prevalence_list_ = nullptr;
  QComboBox* operator_list_ = nullptr;
  QLineEdit* cutoff_ = nullptr;
  QLineEdit* prevalence_from_ = nullptr;
  QLineEdit* prevalence_to_ = nullptr;
  QCheckBox* descriptive_ = nullptr;
  QPlainTextEdit* result_box_ = nullptr;
  QLabel* note_box_ = nullptr;
};

}  // namespace olvar::ui
