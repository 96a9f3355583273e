#include "ui/user_guide.h"
#include "ui/busy_cursor.h"
#include "ui/calculator_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

#include "calculator/calculator_variables.h"
#include "core/language_table.h"
#include "platform/environment.h"
#include "document/document_buffer.h"
#include "document/office_hand_off.h"
#include "document/output_settings_record.h"
#include "ui/qt_convert.h"

namespace olvar::ui {

namespace {

// The report editor as the survey window opens it.
class EditorOpener : public document::ReportEditorOpener {
 public:
  explicit EditorOpener(const std::function<void(const std::filesystem::path&)>& open)
      : open_(open) {}
  void open_report_editor(const std::filesystem::path& document) override {
    if (open_) open_(document);
  }

 private:
  const std::function<void(const std::filesystem::path&)>& open_;
};

QLineEdit* new_box(const QString& name) {
  auto* box = new QLineEdit;
  box->setObjectName(name);
  box->setMaximumWidth(90);
  return box;
}

}  // namespace

CalculatorWindow::CalculatorWindow(CalculatorServices services, QWidget* parent)
    : QWidget(parent, Qt::Window),
      services_(std::move(services)),
      own_launcher_(std::make_unique<platform::SpawnProcessLauncher>()),
      launcher_(own_launcher_.get()) {
  setProperty(kGuidePageProperty, "report-calculator.html");  // F1 opens the guide there
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Statistical Calculator"));
  setObjectName(QStringLiteral("CalculatorWindow"));

  QStringList variables;
  for (const std::string& name : calculator::variable_list(services_.survey)) {
    variables << to_qstring(name);
  }
  const auto new_list = [&variables](const QString& name) {
    auto* list = new QComboBox;
    list->setObjectName(name);
    list->addItems(variables);
    list->setCurrentIndex(-1);
    list->setMinimumWidth(120);
    return list;
  };

  // "Variable"
  auto* variable_box = new QGroupBox(QStringLiteral("Variable"));
  auto* variable_layout = new QHBoxLayout(variable_box);
  main_list_ = new_list(QStringLiteral("main_list"));
  main_kind_ = new_kind_choice(QStringLiteral("main"));
  variable_layout->addWidget(main_list_, 1);
  variable_layout->addWidget(main_kind_.cat);
  variable_layout->addWidget(main_kind_.cont);

  // "Broken down"
  auto* ranges_box = new QGroupBox(QStringLiteral("Broken down"));
  auto* ranges_layout = new QGridLayout(ranges_box);
  ranges_layout->addWidget(new QLabel(QStringLiteral("from (low)*")), 0, 0);
  ranges_layout->addWidget(new QLabel(QStringLiteral("to (high)*")), 0, 1);
  for (int i = 0; i < calculator::kRangePairs; ++i) {
    range_from_[i] = new_box(QStringLiteral("range_from_%1").arg(i + 1));
    range_to_[i] = new_box(QStringLiteral("range_to_%1").arg(i + 1));
    ranges_layout->addWidget(range_from_[i], i + 1, 0);
    ranges_layout->addWidget(range_to_[i], i + 1, 1);
  }
  ranges_layout->addWidget(new QLabel(QStringLiteral("* including borders")),
                           calculator::kRangePairs + 1, 0, 1, 2);

  // "Crosstable with"
  auto* cross_box = new QGroupBox(QStringLiteral("Crosstable with"));
  auto* cross_layout = new QGridLayout(cross_box);
  for (int i = 0; i < calculator::kCrossings; ++i) {
    crossing_lists_[i] = new_list(QStringLiteral("crossing_list_%1").arg(i + 1));
    crossing_kinds_[i] = new_kind_choice(QStringLiteral("crossing_%1").arg(i + 1));
    cross_layout->addWidget(crossing_lists_[i], i, 0);
    cross_layout->addWidget(crossing_kinds_[i].cat, i, 1);
    cross_layout->addWidget(crossing_kinds_[i].cont, i, 2);
  }

  // "Prevalence rate"
  auto* prevalence_box = new QGroupBox(QStringLiteral("Prevalence rate"));
  auto* prevalence_layout = new QGridLayout(prevalence_box);
  prevalence_list_ = new_list(QStringLiteral("prevalence_list"));
  operator_list_ = new QComboBox;
  operator_list_->setObjectName(QStringLiteral("operator_list"));
  operator_list_->setEditable(true);  // free typing allowed
  operator_list_->addItems(
      {QStringLiteral("<"), QStringLiteral(">"), QStringLiteral("<="), QStringLiteral(">=")});
  operator_list_->setCurrentIndex(-1);
  operator_list_->setMaximumWidth(70);
  cutoff_ = new_box(QStringLiteral("cutoff"));
  prevalence_from_ = new_box(QStringLiteral("prevalence_from"));
  prevalence_to_ = new_box(QStringLiteral("prevalence_to"));
  prevalence_layout->addWidget(prevalence_list_, 0, 0, 1, 2);
  prevalence_layout->addWidget(operator_list_, 1, 0);
  prevalence_layout->addWidget(cutoff_, 1, 1);
  prevalence_layout->addWidget(new QLabel(QStringLiteral("from (low)*")), 2, 0);
  prevalence_layout->addWidget(new QLabel(QStringLiteral("to (high)*")), 2, 1);
  prevalence_layout->addWidget(prevalence_from_, 3, 0);
  prevalence_layout->addWidget(prevalence_to_, 3, 1);

  descriptive_ = new QCheckBox(QStringLiteral("Descriptive Statistics"));
  descriptive_->setObjectName(QStringLiteral("descriptive"));
  descriptive_->setChecked(true);

  auto* calculate_button = new QPushButton(QStringLiteral("Calculate"));
  calculate_button->setObjectName(QStringLiteral("calculate"));
  auto* export_button = new QPushButton(QStringLiteral("Excel"));
  export_button->setObjectName(QStringLiteral("export"));
  auto* reset_button = new QPushButton(QStringLiteral("Reset"));
  reset_button->setObjectName(QStringLiteral("reset"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
  buttons->addButton(calculate_button, QDialogButtonBox::ActionRole);
  buttons->addButton(export_button, QDialogButtonBox::ActionRole);
  buttons->addButton(reset_button, QDialogButtonBox::ResetRole);
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));

  result_box_ = new QPlainTextEdit;
  result_box_->setObjectName(QStringLiteral("result_box"));
  result_box_->setReadOnly(true);
  result_box_->setLineWrapMode(QPlainTextEdit::NoWrap);
  result_box_->setFixedWidth(kResultWidthAtRest);
  result_box_->setMinimumHeight(420);

  std::string note;
  for (const int entry : calculator::kNoteEntries) note += (note.empty() ? "" : " ") + text(entry);
  note_box_ = new QLabel(to_qstring(note));
  note_box_->setObjectName(QStringLiteral("note_box"));
  note_box_->setWordWrap(true);
  note_box_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  note_box_->setMargin(8);
  note_box_->setFixedWidth(kResultWidthWithResults - kResultWidthAtRest + 40);
  note_box_->setAutoFillBackground(true);
  QPalette grey = note_box_->palette();
  grey.setColor(QPalette::Window, QColor(0xD4, 0xD4, 0xD4));
  note_box_->setPalette(grey);

  auto* inputs = new QVBoxLayout;
  inputs->addWidget(variable_box);
  inputs->addWidget(ranges_box);
  inputs->addWidget(cross_box);
  inputs->addWidget(prevalence_box);
  inputs->addWidget(descriptive_);
  inputs->addStretch(1);
  auto* results = new QHBoxLayout;
  results->addWidget(result_box_, 0);
  results->addWidget(note_box_, 0);
  auto* right = new QVBoxLayout;
  right->addLayout(results, 1);
  right->addWidget(buttons);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(inputs, 0);
  layout->addLayout(right, 1);

  // Choosing a variable proposes its kind; choosing a crossing or prevalence variable turns the
  // descriptive lines off, since the user is then after the table or the rate. Only the user's
  // choices count (`activated`), not the window's own changes at opening and at Reset.
  connect(main_list_, &QComboBox::activated, this,
          [this] { set_kind(main_kind_, proposed_kind(column_of(main_list_))); });
  for (int i = 0; i < calculator::kCrossings; ++i) {
    connect(crossing_lists_[i], &QComboBox::activated, this, [this, i] {
      set_kind(crossing_kinds_[i], proposed_kind(column_of(crossing_lists_[i])));
      descriptive_->setChecked(false);
    });
  }
  connect(prevalence_list_, &QComboBox::activated, this,
          [this] { descriptive_->setChecked(false); });
  // A cut-off and a range of the prevalence exclude each other.
  const auto clear_prevalence_range = [this] {
    prevalence_from_->clear();
    prevalence_to_->clear();
  };
  const auto clear_cutoff = [this] {
    const QSignalBlocker block(operator_list_);
    operator_list_->setCurrentIndex(-1);
    operator_list_->setEditText(QString());
    cutoff_->clear();
  };
  connect(operator_list_, &QComboBox::activated, this, clear_prevalence_range);
  connect(operator_list_->lineEdit(), &QLineEdit::textEdited, this, clear_prevalence_range);
  connect(cutoff_, &QLineEdit::textEdited, this, clear_prevalence_range);
  connect(prevalence_from_, &QLineEdit::textEdited, this, clear_cutoff);
  connect(prevalence_to_, &QLineEdit::textEdited, this, clear_cutoff);

  connect(calculate_button, &QPushButton::clicked, this, &CalculatorWindow::calculate);
  connect(export_button, &QPushButton::clicked, this, &CalculatorWindow::export_to_spreadsheet);
  connect(reset_button, &QPushButton::clicked, this, &CalculatorWindow::reset);
  connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);

  main_list_->setCurrentIndex(std::min(1, main_list_->count() - 1));  // CLUSTER
  set_kind(main_kind_, proposed_kind(column_of(main_list_)));
  adjustSize();
  if (const QScreen* screen = QApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }
}

CalculatorWindow::~CalculatorWindow() = default;

void CalculatorWindow::set_launcher(platform::ProcessLauncher* launcher) {
  launcher_ = launcher != nullptr ? launcher : own_launcher_.get();
}

CalculatorWindow::KindChoice CalculatorWindow::new_kind_choice(const QString& name) {
  KindChoice choice;
  choice.cat = new QRadioButton(QStringLiteral("cat."));
  choice.cat->setObjectName(name + QStringLiteral("_cat"));
  choice.cont = new QRadioButton(QStringLiteral("cont"));
  choice.cont->setObjectName(name + QStringLiteral("_cont"));
  choice.group = new QButtonGroup(this);
  choice.group->addButton(choice.cat);
  choice.group->addButton(choice.cont);
  return choice;
}

void CalculatorWindow::set_kind(KindChoice& choice, std::optional<calculator::VariableKind> kind) {
  if (!kind) {
    // Neither button: counts as categorical, as any state other than "cont" does.
    choice.group->setExclusive(false);
    choice.cat->setChecked(false);
    choice.cont->setChecked(false);
    choice.group->setExclusive(true);
    return;
  }
  (*kind == calculator::VariableKind::continuous ? choice.cont : choice.cat)->setChecked(true);
}

calculator::VariableKind CalculatorWindow::kind_of(const KindChoice& choice) {
  return choice.cont->isChecked() ? calculator::VariableKind::continuous
                                  : calculator::VariableKind::categorical;
}

int CalculatorWindow::column_of(const QComboBox* list) {
  return list->currentIndex() >= 0 ? list->currentIndex() + 1 : 0;
}

analysis::AnalysisOptions CalculatorWindow::analysis_options() const {
  return calculator::analysis_options(services_.options, services_.app.dates.decimal_separator);
}

calculator::VariableKind CalculatorWindow::proposed_kind(int column) const {
  if (column < 1) return calculator::VariableKind::categorical;
  if (const auto fixed = calculator::standard_kind(column)) return *fixed;
  const BusyCursor busy;
  const analysis::AnalysisTable table =
      analysis::RemoveAllNonPlausible_Zscores(services_.survey, analysis_options());
  return calculator::classify_variable(table.table, column);
}

std::string CalculatorWindow::text(int entry) const {
  return services_.app.text != nullptr ? services_.app.text->text(entry) : std::string();
}

calculator::CalculatorInputs CalculatorWindow::inputs() const {
  calculator::CalculatorInputs in;
  in.main_column = column_of(main_list_);
  in.main_kind = kind_of(main_kind_);
  for (int i = 0; i < calculator::kRangePairs; ++i) {
    in.ranges[i] = {from_qstring(range_from_[i]->text()), from_qstring(range_to_[i]->text())};
  }
  for (int i = 0; i < calculator::kCrossings; ++i) {
    in.crossings[i] = {column_of(crossing_lists_[i]), kind_of(crossing_kinds_[i])};
  }
  in.descriptive = descriptive_->isChecked();
  in.prevalence.column = column_of(prevalence_list_);
  in.prevalence.op = from_qstring(operator_list_->currentText());
  in.prevalence.cutoff = from_qstring(cutoff_->text());
  in.prevalence.range = {from_qstring(prevalence_from_->text()),
                         from_qstring(prevalence_to_->text())};
  return in;
}

void CalculatorWindow::show_results(bool shown) {
  note_box_->setVisible(!shown);
  result_box_->setFixedWidth(shown ? kResultWidthWithResults : kResultWidthAtRest);
}

void CalculatorWindow::calculate() {
  calculator::CalculatorResult result;
  {
    const BusyCursor busy;
    show_results(true);
    result_box_->clear();
    result = calculator::Calculate(services_.survey, analysis_options(), inputs());
    lines_ = result.lines;
    QStringList shown;
    for (const std::string& line : lines_) shown << to_qstring(line);
    result_box_->setPlainText(shown.join(QLatin1Char('\n')));
  }
  for (const std::string& message : result.messages) services_.prompter.inform(message);
}

void CalculatorWindow::export_to_spreadsheet() {
  if (lines_.size() <= 1) {
    services_.prompter.inform("There are no results to hand over yet: press \"Calculate\" first.");
    return;
  }
  const document::DocumentBuffer buffer(
      calculator::export_text(lines_, text(calculator::kExportHeadingEntry)));
  document::OutputFolders folders =
      document::output_folders(services_.app.folders.program, platform::process_environment());
  folders.writable_folder = services_.app.folders.writable;
  folders.report_folder = services_.app.output_folder;
  EditorOpener editor(services_.open_report_editor);
  document::HandOffServices hand_off{*launcher_, services_.prompter, editor,
                                    [this](int entry) { return text(entry); }};
  try {
    document::HandToSpreadsheet(buffer, document::output_settings_of(services_.app.settings), folders,
                               hand_off);
  } catch (const document::HandOffError& error) {
    services_.prompter.inform(error.what());
  }
}

void CalculatorWindow::reset() {
  for (int i = 0; i < calculator::kCrossings; ++i) {
    crossing_lists_[i]->setCurrentIndex(-1);
    set_kind(crossing_kinds_[i], std::nullopt);
  }
  for (int i = 0; i < calculator::kRangePairs; ++i) {
    range_from_[i]->clear();
    range_to_[i]->clear();
  }
  prevalence_list_->setCurrentIndex(-1);
  operator_list_->setCurrentIndex(-1);
  operator_list_->setEditText(QString());
  cutoff_->clear();
  prevalence_from_->clear();
  prevalence_to_->clear();
  result_box_->clear();
  lines_.clear();
  show_results(false);
  main_list_->setCurrentIndex(std::min(1, main_list_->count() - 1));
  set_kind(main_kind_, proposed_kind(column_of(main_list_)));
}

}  // namespace olvar::ui
