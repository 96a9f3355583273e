#include "ui/planning_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/text_conversions.h"
#include "planning/cluster_assignment.h"
#include "planning/cluster_table_documents.h"
#include "planning/planning_random.h"
#include "planning/survey_protocol.h"
#include "ui/grid_models.h"
#include "ui/qt_convert.h"

namespace olvar::ui {

namespace {

QGroupBox* group_with_form(const QString& caption, QFormLayout*& form) {
  auto* box = new QGroupBox(caption);
  form = new QFormLayout(box);
  return box;
}

}  // namespace

PlanningPageWidget::PlanningPageWidget(core::PlanningPage& page, Services services, QWidget* parent)
    : QWidget(parent), page_(page), services_(std::move(services)) {
  session_.decimal_separator = services_.decimal_separator;
  // Three columns: the anthropometric survey, the mortality survey, the tables. Stacked in one
  // column the two sample sizes were taller than a 1366 x 768 screen. On a smaller screen still
  // the page scrolls rather than making the window larger than the screen.
  auto* content = new QWidget;
  auto* scroll = new QScrollArea;
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  auto* page_layout = new QVBoxLayout(this);
  page_layout->setContentsMargins(0, 0, 0, 0);
  page_layout->addWidget(scroll);
  auto* columns = new QHBoxLayout(content);
  auto* left = new QVBoxLayout;
  auto* middle = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  columns->addLayout(left, 2);
  columns->addLayout(middle, 2);
  columns->addLayout(right, 3);

  // The survey and the sampling kind.
  QFormLayout* form = nullptr;
  QGroupBox* survey = group_with_form(tr("Survey"), form);
  survey_name_ = add_edit("Surveyname", &page_.survey_name);
  form->addRow(tr("Survey name"), survey_name_);
  random_ = new QRadioButton(tr("Random"));
  random_->setObjectName(QStringLiteral("SamplingRandom"));
  cluster_ = new QRadioButton(tr("Cluster"));
  cluster_->setObjectName(QStringLiteral("SamplingCluster"));
  auto* kind = new QHBoxLayout;
  kind->addWidget(random_);
  kind->addWidget(cluster_);
  kind->addStretch(1);
  form->addRow(tr("Sampling"), kind);
  connect(random_, &QRadioButton::clicked, this, [this] { SamplingRandomClick(false); });
  connect(cluster_, &QRadioButton::clicked, this, [this] { SamplingRandomClick(true); });
  csps1_ = new QCheckBox(tr("Correction small population size"));
  csps1_->setObjectName(QStringLiteral("csps1"));
  connect(csps1_, &QCheckBox::clicked, this, [this](bool ticked) { csps1Click(ticked); });
  form->addRow(csps1_);
  population_ = add_output("PopSize_field");
  form->addRow(tr("Population size"), population_);
  left->addWidget(survey);

  QGroupBox* anthropometry = group_with_form(tr("Anthropometric survey"), form);
  form->addRow(tr("Estimated prevalence (%)"), add_edit("sc_b", &page_.sc_b));
  form->addRow(tr("Desired precision (± %)"), add_edit("sc_c", &page_.sc_c));
  form->addRow(tr("Design effect"), add_edit("sc_d", &page_.sc_d));
  form->addRow(tr("Children to be included"), add_output("Panel2"));
  form->addRow(tr("Average household size"), add_edit("sc_e", &page_.sc_e));
  form->addRow(tr("Children under five (% of the population)"), add_edit("sc_f", &page_.sc_f));
  form->addRow(tr("Non-response households (%)"), add_edit("sc_g", &page_.sc_g));
  form->addRow(tr("Households to be included"), add_output("Panel7"));
  left->addWidget(anthropometry);
  left->addStretch(1);

  QGroupBox* mortality = group_with_form(tr("Mortality survey"), form);
  form->addRow(tr("Estimated death rate (per 10,000 per day)"), add_edit("sm_a", &page_.sm_a));
  form->addRow(tr("Desired precision (± per 10,000 per day)"), add_edit("sm_b", &page_.sm_b));
  form->addRow(tr("Design effect"), add_edit("sm_c", &page_.sm_c));
  form->addRow(tr("Recall period (days)"), add_edit("sm_d", &page_.sm_d));
  form->addRow(tr("Persons to be included"), add_output("Panel3"));
  form->addRow(tr("Average household size"), add_edit("sm_e", &page_.sm_e));
  form->addRow(tr("Non-response households (%)"), add_edit("sm_f", &page_.sm_f));
  form->addRow(tr("Households to be included"), add_output("Panel10"));
  middle->addWidget(mortality);

  problems_ = new QLabel;
  problems_->setObjectName(QStringLiteral("planning_problems"));
  problems_->setWordWrap(true);
  problems_->setStyleSheet(QStringLiteral("color: #b00000"));
  middle->addWidget(problems_);
  auto* protocol = new QPushButton(tr("Survey Protocol"));
  protocol->setObjectName(QStringLiteral("SurveyProtocol"));
  connect(protocol, &QPushButton::clicked, this, [this] { survey_protocol(); });
  middle->addWidget(protocol, 0, Qt::AlignLeft);
  middle->addStretch(1);

  // The cluster sampling table.
  auto* clusters = new QGroupBox(tr("Cluster sampling table"));
  auto* clusters_layout = new QVBoxLayout(clusters);
  auto* tools = new QHBoxLayout;
  const auto tool = [this, tools](const char* name, const QString& caption,
                                  void (PlanningPageWidget::*command)()) {
    auto* button = new QToolButton;
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    connect(button, &QToolButton::clicked, this, [this, command] { (this->*command)(); });
    tools->addWidget(button);
  };
  tool("PasteClusters", tr("Paste from clipboard"), &PlanningPageWidget::paste_clusters);
  tool("TransferClusters", tr("Transfer to spreadsheet"),
       &PlanningPageWidget::transfer_to_spreadsheet);
  tool("PrintClusters", tr("Print cluster table"), &PlanningPageWidget::print_cluster_table);
  tools->addStretch(1);
  clusters_layout->addLayout(tools);
  cluster_model_ = new TextGridModel(page_.cluster_table, true, true, this);
  cluster_model_->on_written = [this](int, int) { table_changed(); };
  cluster_view_ = new QTableView;
  cluster_view_->setObjectName(QStringLiteral("ClusterTable"));
  cluster_view_->setModel(cluster_model_);
  cluster_view_->verticalHeader()->setDefaultSectionSize(22);
  cluster_view_->setEditTriggers(QAbstractItemView::DoubleClicked |
                                 QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed);
  cluster_view_->setColumnWidth(0, 200);
  cluster_view_->setColumnWidth(1, 110);
  cluster_view_->horizontalHeader()->setStretchLastSection(true);
  clusters_layout->addWidget(cluster_view_, 1);
  QLabel* reserve_note = new QLabel(to_qstring(text(planning::kReserveClusterNote)));
  clusters_layout->addWidget(reserve_note);
  auto* assign_row = new QHBoxLayout;
  assign_row->addWidget(new QLabel(tr("Number of clusters")));
  QLineEdit* clusters_wanted = add_edit("Edit19", &page_.Edit19);
  clusters_wanted->setMaximumWidth(70);
  assign_row->addWidget(clusters_wanted);
  auto* assign = new QPushButton(tr("Assign Cluster"));
  assign->setObjectName(QStringLiteral("AssignCluster"));
  connect(assign, &QPushButton::clicked, this, [this] { assign_clusters(); });
  assign_row->addWidget(assign);
  assign_row->addSpacing(16);
  assign_row->addWidget(new QLabel(tr("Seed (empty: time of day)")));
  QLineEdit* seed = add_edit("seed", &seed_, /*stored=*/false);
  seed->setMaximumWidth(110);
  assign_row->addWidget(seed);
  assign_row->addStretch(1);
  clusters_layout->addLayout(assign_row);
  seed_used_ = new QLabel;
  seed_used_->setObjectName(QStringLiteral("seed_used"));
  clusters_layout->addWidget(seed_used_);
  right->addWidget(clusters, 1);

  // The random number table.
  auto* numbers = new QGroupBox(tr("Random number table"));
  auto* numbers_layout = new QHBoxLayout(numbers);
  numbers_layout->addWidget(new QLabel(tr("Range from")));
  numbers_layout->addWidget(add_edit("Edit14", &random_inputs_.Edit14, /*stored=*/false));
  numbers_layout->addWidget(new QLabel(tr("to")));
  numbers_layout->addWidget(add_edit("Edit16", &random_inputs_.Edit16, /*stored=*/false));
  numbers_layout->addWidget(new QLabel(tr("Numbers")));
  numbers_layout->addWidget(add_edit("Edit15", &random_inputs_.Edit15, /*stored=*/false));
  auto* generate = new QPushButton(tr("Generate Table"));
  generate->setObjectName(QStringLiteral("GenerateTable"));
  connect(generate, &QPushButton::clicked, this, [this] { generate_random_numbers(); });
  numbers_layout->addWidget(generate);
  right->addWidget(numbers);
  scroll->setWidget(content);

  load();
}

QLineEdit* PlanningPageWidget::add_edit(const std::string& name, std::string* field, bool stored) {
  auto* edit = new QLineEdit;
  edit->setObjectName(QString::fromStdString(name));
  edits_.emplace_back(name, edit);
  bound_.emplace_back(edit, field);
  connect(edit, &QLineEdit::textEdited, this, [this, field, stored](const QString& typed) {
    *field = from_qstring(typed);
    if (stored) field_edited();
  });
  return edit;
}

QLineEdit* PlanningPageWidget::add_output(const std::string& name) {
  auto* edit = new QLineEdit;
  edit->setObjectName(QString::fromStdString(name));
  edit->setReadOnly(true);
  edit->setStyleSheet(QStringLiteral("background: #eeeeee; font-weight: bold"));
  edits_.emplace_back(name, edit);
  return edit;
}

QLineEdit* PlanningPageWidget::edit(const std::string& name) const {
  for (const auto& [field, edit] : edits_) {
    if (field == name) return edit;
  }
  return nullptr;
}

std::string PlanningPageWidget::text(core::LanguageEntry entry) const {
  return services_.text != nullptr ? services_.text->text(entry) : std::string();
}

void PlanningPageWidget::show_fields() {
  for (const auto& [edit, field] : bound_) edit->setText(to_qstring(*field));
  random_->setChecked(!page_.cluster_sampling);
  cluster_->setChecked(page_.cluster_sampling);
  // Random sampling keeps both design effects at 1.
  edit("sc_d")->setReadOnly(!page_.cluster_sampling);
  edit("sm_c")->setReadOnly(!page_.cluster_sampling);
  csps1_->setChecked(session_.csps1);
}

void PlanningPageWidget::load() {
  show_fields();
  last_cluster_seed_.reset();
  seed_used_->clear();
  cluster_model_->reload();
  session_.population_size =
      planning::population_size(page_.cluster_table, services_.decimal_separator);
  planning::recompute_sample_sizes(page_, session_);
  show_outputs();
}

void PlanningPageWidget::shown() {
  if (services_.text != nullptr) {
    planning::set_cluster_table_headings(page_.cluster_table, *services_.text);
  }
  cluster_model_->headerDataChanged(Qt::Horizontal, 0, 2);
  session_.population_size =
      planning::population_size(page_.cluster_table, services_.decimal_separator);
  planning::recompute_sample_sizes(page_, session_);
  show_outputs();
  survey_name_->setFocus();
}

void PlanningPageWidget::field_edited() {
  planning::recompute_sample_sizes(page_, session_);
  show_outputs();
  if (services_.mark_changed) services_.mark_changed();
}

void PlanningPageWidget::table_changed() {
  session_.population_size =
      planning::population_size(page_.cluster_table, services_.decimal_separator);
  planning::recompute_sample_sizes(page_, session_);
  show_outputs();
  if (services_.mark_changed) services_.mark_changed();
}

void PlanningPageWidget::show_outputs() {
  const planning::SampleSizeOutputs& out = session_.outputs;
  edit("Panel2")->setText(to_qstring(out.Panel2));
  edit("Panel7")->setText(to_qstring(out.Panel7));
  edit("Panel3")->setText(to_qstring(out.Panel3));
  edit("Panel10")->setText(to_qstring(out.Panel10));
  population_->setText(QString::number(session_.population_size));
  QString problems;
  for (const std::string& problem :
       planning::unreadable_inputs(page_, services_.decimal_separator)) {
    if (!problems.isEmpty()) problems += QLatin1Char('\n');
    problems += to_qstring(problem);
  }
  problems_->setText(problems);
}

void PlanningPageWidget::SamplingRandomClick(bool cluster) {
  const bool changed = page_.cluster_sampling != cluster;
  planning::SamplingRandomClick(page_, cluster, session_);
  show_fields();
  show_outputs();
  if (changed && services_.mark_changed) services_.mark_changed();
}

void PlanningPageWidget::csps1Click(bool ticked) {
  planning::csps1Click(ticked, page_, session_, *services_.text, services_.prompter());
  csps1_->setChecked(session_.csps1);
  show_outputs();
}

void PlanningPageWidget::survey_protocol() {
  const std::optional<document::DocumentBuffer> document = planning::survey_protocol(
      page_, session_.outputs,
      core::locate_program_file(services_.folders, planning::kSurveyProtocolTemplate));
  if (!document) {
    services_.prompter().inform(text(planning::kMissingTemplate));
    return;
  }
  services_.write_report_document(*document, "survey protocol");
}

std::optional<std::uint32_t> PlanningPageWidget::seed_to_use() {
  if (core::trim_spaces(seed_).empty()) return planning::seed_from_time_of_day();
  const std::optional<std::uint32_t> seed = planning::parse_seed(seed_);
  if (!seed) {
    services_.prompter().inform("Seed: \"" + seed_ +
                                "\" is not a whole number from 0 to 4294967295.");
  }
  return seed;
}

void PlanningPageWidget::assign_clusters() {
  const std::optional<std::uint32_t> seed = seed_to_use();
  if (!seed) return;
  const planning::AssignResult result = planning::assign_clusters(
      page_.cluster_table, page_.Edit19, *seed, *services_.text, services_.prompter());
  if (result.outcome == planning::AssignOutcome::refused) {
    services_.prompter().inform(result.message);
    return;
  }
  if (result.outcome == planning::AssignOutcome::cancelled) return;
  last_cluster_seed_ = result.seed;
  seed_used_->setText(tr("Seed of this draw: %1 (type it as the seed to repeat the draw)")
                          .arg(static_cast<qulonglong>(result.seed)));
  cluster_model_->reload();
  if (services_.mark_changed) services_.mark_changed();
}

void PlanningPageWidget::paste_clusters() {
  if (!services_.prompter().ask_yes_no(services_.text->text(933))) return;
  const QModelIndex current = cluster_view_->currentIndex();
  const int column = current.isValid() ? current.column() : 0;
  const int row = current.isValid() ? current.row() + 1 : 1;  // model row 0 is table row 1
  const std::string clipboard = services_.clipboard_text ? services_.clipboard_text() : "";
  planning::paste_into_table(page_.cluster_table, column, row, clipboard);
  cluster_model_->reload();
  table_changed();
}

void PlanningPageWidget::transfer_to_spreadsheet() {
  if (services_.text != nullptr) {
    planning::set_cluster_table_headings(page_.cluster_table, *services_.text);
  }
  services_.hand_to_spreadsheet(planning::cluster_table_for_spreadsheet(page_.cluster_table),
                                "cluster table");
}

void PlanningPageWidget::print_cluster_table() {
  services_.write_report_document(
      planning::cluster_table_document(page_.cluster_table, *services_.text, last_cluster_seed_),
      "cluster table");
}

void PlanningPageWidget::generate_random_numbers() {
  const std::optional<std::uint32_t> seed = seed_to_use();
  if (!seed) return;
  planning::PlanningRandom random(*seed);
  const planning::RandomNumberDraw draw =
      planning::draw_random_numbers(random_inputs_, random, services_.decimal_separator);
  if (!draw.drawn()) {
    services_.prompter().inform(draw.message.empty() ? services_.text->text(draw.message_entry)
                                                     : draw.message);
    return;
  }
  seed_used_->setText(
      tr("Seed of the random number table: %1").arg(static_cast<qulonglong>(*seed)));
  services_.write_report_document(planning::random_number_document(random_inputs_, draw.numbers),
                                  "random numbers");
}

void PlanningPageWidget::hand_out_blank_form(planning::BlankForm form) {
  const std::optional<document::DocumentBuffer> document =
      planning::blank_form(form, services_.folders);
  if (!document) {
    services_.prompter().inform(text(planning::kMissingTemplate));
    return;
  }
  services_.write_report_document(*document, "blank form");
}

}  // namespace olvar::ui
