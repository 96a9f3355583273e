#include "ui/results_page.h"

#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/prompter.h"
#include "ui/busy_cursor.h"
#include "ui/drawing_painter.h"
#include "ui/qt_convert.h"

namespace olvar::ui {

namespace {

using reports::ResultsGrouping;
using reports::ResultsIndex;

constexpr int kSampleExceedsPopulation = stats::kSampleExceedsPopulationEntry;
constexpr int kCopiedEntry = 1350;  // said after the lines (and the graph) were copied
// Graph type items: the distributions (All, Sex), group means, cases per cluster by index.
constexpr int kGaussian = 1136, kCumulative = 1137, kProbabilityPlot = 1138, kGroupMeans = 1139;

QRadioButton* radio(const QString& caption, const char* name, QLayout* layout) {
  auto* button = new QRadioButton(caption);
  button->setObjectName(QString::fromLatin1(name));
  layout->addWidget(button);
  return button;
}

}  // namespace

ResultsPage::ResultsPage(core::Workspace& workspace, core::OptionsPage& options,
                         const core::LanguageTable& text, char decimal_separator, QWidget* parent)
    : QWidget(parent),
      workspace_(workspace),
      options_(options),
      language_(text),
      decimal_separator_(decimal_separator) {
  // Two columns of controls beside the lines, so that the page fits a 1366 x 768 screen.
  auto* layout = new QHBoxLayout(this);
  auto* controls = new QVBoxLayout;
  auto* commands = new QVBoxLayout;
  layout->addLayout(controls);
  layout->addLayout(commands);

  auto* reference = new QGroupBox(tr("Reference"));
  auto* reference_layout = new QVBoxLayout(reference);
  who_button_ = radio(this->text(964), "WHO_Button3", reference_layout);
  nchs_button_ = radio(this->text(963), "NCHS_Button3", reference_layout);
  connect(who_button_, &QRadioButton::clicked, this, [this] {
    if (on_choose_reference) on_choose_reference(core::kReferenceWho);
    refresh();
  });
  connect(nchs_button_, &QRadioButton::clicked, this, [this] {
    if (on_choose_reference) on_choose_reference(core::kReferenceNchs);
    refresh();
  });
  controls->addWidget(reference);

  auto* index_box = new QGroupBox(tr("Index"));
  auto* index_layout = new QVBoxLayout(index_box);
  index_buttons_[0] = radio(tr("Weight/Age"), "RadioButton7", index_layout);
  index_buttons_[1] = radio(tr("Height/Age"), "RadioButton8", index_layout);
  index_buttons_[2] = radio(tr("Weight/Height"), "RadioButton9", index_layout);
  index_buttons_[3] = radio(tr("MUAC"), "RadioButton4", index_layout);
  index_buttons_[2]->setChecked(true);
  controls->addWidget(index_box);

  auto* grouping_box = new QGroupBox(tr("Grouping"));
  auto* grouping_layout = new QVBoxLayout(grouping_box);
  grouping_buttons_[0] = radio(tr("All"), "RadioButton14", grouping_layout);
  grouping_buttons_[1] = radio(tr("Sex"), "RadioButton3", grouping_layout);
  grouping_buttons_[2] = radio(tr("Cluster"), "RadioButton1", grouping_layout);
  grouping_buttons_[3] = radio(tr("Age"), "RadioButton2", grouping_layout);
  grouping_buttons_[0]->setChecked(true);
  controls->addWidget(grouping_box);
  controls->addStretch(1);

  auto* exclusion = new QGroupBox(tr("Exclusion"));
  auto* exclusion_layout = new QVBoxLayout(exclusion);
  exclusion_buttons_[0] = radio(this->text(1015), "excl_vv", exclusion_layout);
  exclusion_buttons_[1] = radio(this->text(1016), "excl_pc", exclusion_layout);
  exclusion_buttons_[2] = radio(this->text(1017), "excl_ne", exclusion_layout);
  const core::ExclusionMode modes[3] = {core::ExclusionMode::epi_info, core::ExclusionMode::kandu,
                                        core::ExclusionMode::none};
  for (int k = 0; k < 3; ++k) {
    connect(exclusion_buttons_[k], &QRadioButton::clicked, this,
            [this, mode = modes[k]] { choose_exclusion(mode); });
  }
  commands->addWidget(exclusion);

  for (QRadioButton* button : index_buttons_) {
    connect(button, &QRadioButton::clicked, this, [this] { refresh(); });
  }
  for (QRadioButton* button : grouping_buttons_) {
    connect(button, &QRadioButton::clicked, this, [this] { refresh(); });
  }

  auto* graph = new QGroupBox(tr("Graph"));
  auto* graph_layout = new QVBoxLayout(graph);
  graph_type_ = new QComboBox;
  graph_type_->setObjectName(QStringLiteral("Graphtype"));
  graph_layout->addWidget(graph_type_);
  // A choice of the user (not the list being filled again) draws the chosen graph.
  connect(graph_type_, &QComboBox::activated, this, [this] { redraw_graph(); });
  auto* show_graph = graph_button_ = new QPushButton(tr("Show graph"));
  show_graph->setObjectName(QStringLiteral("GraphButton"));
  connect(show_graph, &QPushButton::clicked, this, [this] {
    if (on_show_graph) on_show_graph(index(), graph_choice());
  });
  graph_layout->addWidget(show_graph);
  commands->addWidget(graph);

  auto* clipboard = new QPushButton(tr("Clipboard"));
  clipboard->setObjectName(QStringLiteral("ClipboardButton"));
  connect(clipboard, &QPushButton::clicked, this, [this] { copy_to_clipboard(); });
  commands->addWidget(clipboard);
  auto* report = report_button_ = new QPushButton(tr("Report Word"));
  report->setObjectName(QStringLiteral("BitBtn2"));
  report->setToolTip(tr("The results report, opened in the word processor"));
  commands->addWidget(report);
  commands->addStretch(1);

  auto* lines = new QVBoxLayout;
  auto* bar = new QHBoxLayout;
  auto* heading = new QLabel(tr("Results"));
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  bar->addWidget(heading);
  bar->addStretch(1);
  auto* speed = report_speed_button_ = new QToolButton;
  speed->setObjectName(QStringLiteral("SpeedButton5"));
  speed->setText(tr("Report Word"));
  speed->setToolTip(report->toolTip());
  bar->addWidget(speed);
  lines->addLayout(bar);
  for (QAbstractButton* button :
       {static_cast<QAbstractButton*>(report), static_cast<QAbstractButton*>(speed)}) {
    connect(button, &QAbstractButton::clicked, this, [this] {
      if (on_report_in_word) on_report_in_word();
    });
  }
  memo_ = new QPlainTextEdit;
  memo_->setObjectName(QStringLiteral("TR"));
  memo_->setReadOnly(true);
  memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  graph_view_ = new DrawingWidget;
  graph_view_->setObjectName(QStringLiteral("results_graph"));
  graph_view_->setVisible(false);
  lines->addWidget(graph_view_, 0, Qt::AlignLeft);
  lines->addWidget(memo_, 1);
  layout->addLayout(lines, 1);

  show_exclusion();
  fill_graph_types();
}

QString ResultsPage::text(int entry) const { return to_qstring(language_.text(entry)); }

ResultsIndex ResultsPage::index() const {
  const ResultsIndex indices[4] = {ResultsIndex::waz, ResultsIndex::haz, ResultsIndex::whz,
                                   ResultsIndex::muac};
  for (int k = 0; k < 4; ++k) {
    if (index_buttons_[k]->isChecked()) return indices[k];
  }
  return ResultsIndex::whz;
}

ResultsGrouping ResultsPage::grouping() const {
  const ResultsGrouping groupings[4] = {ResultsGrouping::all, ResultsGrouping::sex,
                                        ResultsGrouping::cluster, ResultsGrouping::age};
  for (int k = 0; k < 4; ++k) {
    if (grouping_buttons_[k]->isChecked()) return groupings[k];
  }
  return ResultsGrouping::all;
}

GraphChoice ResultsPage::graph_choice() const {
  const int item = std::max(0, graph_type_->currentIndex());
  const int entry = item < static_cast<int>(graph_entries_.size()) ? graph_entries_[item] : 0;
  return {grouping(), item, entry};
}

void ResultsPage::fill_graph_types() {
  std::vector<int> entries;
  const ResultsIndex i = index();
  switch (grouping()) {
    case ResultsGrouping::all:
    case ResultsGrouping::sex:
      entries = {kGaussian, kCumulative};
      if (i != ResultsIndex::muac) entries.push_back(kProbabilityPlot);
      break;
    case ResultsGrouping::cluster:
      entries = {kGroupMeans};
      if (i == ResultsIndex::whz) entries.insert(entries.end(), {1140, 1141, 1142, 1143, 1144});
      if (i == ResultsIndex::haz) entries.insert(entries.end(), {1145, 1146});
      if (i == ResultsIndex::waz) entries.insert(entries.end(), {1147, 1148});
      break;
    case ResultsGrouping::age:
      entries = {kGroupMeans};
      break;
  }
  // The previous selection stays while the list still holds it; MUAC starts at the cumulative
  // distribution, since its Gaussian curve is rarely meaningful for rounded millimetres.
  const int previous = graph_type_->currentIndex() >= 0 &&
                               graph_type_->currentIndex() < static_cast<int>(graph_entries_.size())
                           ? graph_entries_[graph_type_->currentIndex()]
                           : kGaussian;
  graph_entries_ = entries;
  graph_type_->clear();
  for (int entry : entries) graph_type_->addItem(text(entry));
  int selected = 0;
  for (std::size_t k = 0; k < entries.size(); ++k) {
    if (entries[k] == previous) selected = static_cast<int>(k);
  }
  if (i == ResultsIndex::muac && entries.front() == kGaussian) selected = 1;
  graph_type_->setCurrentIndex(selected);
}

void ResultsPage::choose_exclusion(core::ExclusionMode mode) {
  options_.exclusion = mode;
  show_exclusion();
  if (on_exclusion_changed) on_exclusion_changed();
  refresh();
}

void ResultsPage::show_exclusion() {
  exclusion_buttons_[0]->setChecked(options_.exclusion == core::ExclusionMode::epi_info);
  exclusion_buttons_[1]->setChecked(options_.exclusion == core::ExclusionMode::kandu);
  exclusion_buttons_[2]->setChecked(options_.exclusion == core::ExclusionMode::none);
}

void ResultsPage::show_reference(bool who) {
  who_button_->setChecked(who);
  nchs_button_->setChecked(!who);
}

void ResultsPage::refresh() {
  const BusyCursor busy;
  graph_button_->setEnabled(static_cast<bool>(on_show_graph));
  report_button_->setEnabled(static_cast<bool>(on_report_in_word));
  report_speed_button_->setEnabled(static_cast<bool>(on_report_in_word));
  fill_graph_types();
  const stats::PopulationCorrectionInputs planning =
      planning_inputs ? planning_inputs() : stats::PopulationCorrectionInputs{};
  reports::ResultsPageInputs in =
      reports::results_page_inputs(options_, planning, decimal_separator_);
  in.index = index();
  in.grouping = grouping();
  const reports::ResultsPageValues values = reports::results_page_values(workspace_.survey, in);
  lines_ = reports::MainTextResults(values, in, language_);
  QStringList shown;
  for (const std::string& line : lines_) shown << to_qstring(line);
  memo_->setPlainText(shown.join(QLatin1Char('\n')));
  redraw_graph();
  if (values.population_correction == stats::PopulationCorrection::sample_exceeds_population &&
      prompter_ != nullptr) {
    prompter_->inform(language_.text(kSampleExceedsPopulation));
  }
}

void ResultsPage::redraw_graph() {
  std::optional<graphs::Drawing> drawing;
  if (draw_graph) drawing = draw_graph(index(), graph_choice());
  graph_shown_ = drawing.has_value();
  graph_view_->set_drawing(drawing ? std::move(*drawing) : graphs::Drawing{});
  graph_view_->setVisible(graph_shown_);
}

const graphs::Drawing* ResultsPage::shown_graph() const {
  return graph_shown_ ? &graph_view_->drawing() : nullptr;
}

void ResultsPage::entered(char reference, core::SortOrder order) {
  if (!visit_) {
    visit_ = reports::enter_results_page(workspace_, scratch_folder, dates, reference, order);
  }
  show_exclusion();
  refresh();
}

bool ResultsPage::left(char reference) {
  if (!visit_) return false;
  reports::ResultsPageVisit visit = std::move(*visit_);
  visit_.reset();
  return reports::leave_results_page(workspace_, std::move(visit), reference);
}

void ResultsPage::copy_to_clipboard() {
  auto* data = new QMimeData;
  data->setText(memo_->toPlainText());
  if (const graphs::Drawing* graph = shown_graph()) data->setImageData(drawing_image(*graph, 2));
  QGuiApplication::clipboard()->setMimeData(data);
  if (prompter_ != nullptr) prompter_->inform(language_.text(kCopiedEntry));
}

}  // namespace olvar::ui
