#include "ui/death_rates_page.h"

#include <QAbstractTableModel>
#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "core/language_table.h"
#include "mortality/result_tables.h"
#include "mortality/roster_import.h"
#include "platform/environment.h"
#include "document/output_settings_record.h"
#include "ui/column_widths.h"
#include "ui/grid_models.h"
#include "ui/pyramid_window.h"
#include "ui/qt_convert.h"

namespace olvar::ui {

namespace {

enum SubPage { individual_data, household_data, household_results, individual_results };

}  // namespace

// A mortality data table: data rows from `first_row` on, column 0 the row number, and the
// headings of a reference grid (the table's own heading row is stored with the survey as it was
// read, so it is not rewritten here).
class MortalityTableModel : public QAbstractTableModel {
 public:
  MortalityTableModel(core::TextGrid& grid, core::TextGrid headings, int first_row,
                      QObject* parent)
      : QAbstractTableModel(parent),
        grid_(grid),
        headings_(std::move(headings)),
        first_row_(first_row) {}
  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : std::max(0, grid_.row_count() - first_row_);
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : std::max(0, grid_.column_count() - 1);
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return to_qstring(std::string(grid_.cell(index.column() + 1, index.row() + first_row_)));
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    std::string heading(grid_.cell(section + 1, 0));
    if (first_row_ == 1 && !heading.empty()) return to_qstring(heading);  // additional variables
    heading = std::string(headings_.cell(section + 1, 0));
    const std::string_view second = headings_.cell(section + 1, 1);
    if (!second.empty()) heading += (heading.empty() ? "" : " ") + std::string(second);
    return to_qstring(heading);
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable
                           : Qt::NoItemFlags;
  }
  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (role != Qt::EditRole || !index.isValid()) return false;
    grid_.set_cell(index.column() + 1, index.row() + first_row_, from_qstring(value.toString()));
    if (on_written) on_written();
    emit dataChanged(index, index);
    return true;
  }
  void reload() {
    beginResetModel();
    endResetModel();
  }
  std::function<void()> on_written;

 private:
  core::TextGrid& grid_;
  core::TextGrid headings_;
  int first_row_;
};

namespace {

core::TextGrid individual_headings() {
  core::TextGrid g(mortality::kFirstAdditionalColumn, 1);
  mortality::write_individual_headings(g);
  return g;
}

core::TextGrid household_headings() {
  core::TextGrid g(12, 2);
  mortality::write_household_headings(g);
  // Shown as one heading per column: "Members now all", "Members now < 5", ...
  for (int c = 4; c <= 11; ++c) {
    if (g.cell(c, 0).empty() && c != 9) g.set_cell(c, 0, std::string(g.cell(c - 1, 0)));
  }
  return g;
}

QTableView* table_view(QAbstractItemModel* model) {
  auto* view = new QTableView;
  view->setModel(model);
  keep_column_widths(view);  // the headings whole ("Members now < 5")
  return view;
}

QTableView* grid_view(TextGridModel* model) {
  auto* view = new QTableView;
  view->setModel(model);
  view->horizontalHeader()->setDefaultSectionSize(90);
  return view;
}

}  // namespace

DeathRatesPage::DeathRatesPage(core::Workspace& workspace, workspace::AppContext& app,
                               QWidget* parent)
    : QWidget(parent), workspace_(workspace), app_(app) {
  individual_model_ = new MortalityTableModel(workspace_.mortality_individuals,
                                              individual_headings(), 1, this);
  individual_model_->on_written = [this] {
    if (on_changed) on_changed();
  };
  household_model_ = new MortalityTableModel(workspace_.mortality_households,
                                             household_headings(), 2, this);
  household_model_->on_written = [this] {
    if (on_changed) on_changed();
  };
  // Column 0 holds the cluster numbers, which the row headings show.
  core::TextGrid results_headings(10, 1);
  const char* const kResultsHeadings[] = {"",       "Population now", "Joined",   "Left",
                                          "< 5 now", "< 5 joined",    "< 5 left", "Births",
                                          "Deaths",  "Deaths < 5"};
  for (int c = 0; c < 10; ++c) results_headings.set_cell(c, 0, kResultsHeadings[c]);
  household_results_model_ =
      new MortalityTableModel(household_results_, results_headings, 2, this);
  household_results_model_->on_written = [this] { compute_household_rates(); };
  rates_model_ = new TextGridModel(rates_, true, false, this);
  causes_model_ = new TextGridModel(causes_, true, false, this);
  age_groups_model_ = new TextGridModel(age_groups_, true, false, this);
  clusters_model_ = new TextGridModel(clusters_, true, false, this);

  // Household results: the cluster table (typed totals recompute the rates) and the rates.
  auto* household_page = new QWidget;
  auto* household_layout = new QVBoxLayout(household_page);
  household_layout->addWidget(new QLabel(tr("Table for Clusters")));
  household_layout->addWidget(table_view(household_results_model_));
  household_rates_label_ = new QLabel;
  household_rates_label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  household_layout->addWidget(household_rates_label_);

  // Individual results.
  auto* individual_page = new QWidget;
  auto* individual_layout = new QGridLayout(individual_page);
  flexible_ = new QRadioButton(tr("Flexible Intervals"));
  five_ = new QRadioButton(tr("5 years"));
  ten_ = new QRadioButton(tr("10 years"));
  flexible_->setChecked(true);
  auto* group = new QButtonGroup(this);
  auto* choices = new QHBoxLayout;
  for (QRadioButton* b : {flexible_, five_, ten_}) {
    group->addButton(b);
    choices->addWidget(b);
    connect(b, &QRadioButton::clicked, this, &DeathRatesPage::compute_results);
  }
  auto* transfer = new QPushButton(tr("Transfer tables to Excel"));
  connect(transfer, &QPushButton::clicked, this, &DeathRatesPage::transfer_to_spreadsheet);
  auto* pyramid = new QPushButton(tr("Pop. pyramid"));
  connect(pyramid, &QPushButton::clicked, this, &DeathRatesPage::open_pyramid);
  choices->addStretch();
  choices->addWidget(pyramid);
  choices->addWidget(transfer);
  individual_message_ = new QLabel;
  individual_message_->setWordWrap(true);
  individual_layout->addLayout(choices, 0, 0, 1, 2);
  individual_layout->addWidget(individual_message_, 1, 0, 1, 2);
  QTableView* rates_view = grid_view(rates_model_);
  rates_view->horizontalHeader()->setDefaultSectionSize(170);
  rates_view->horizontalHeader()->setStretchLastSection(true);
  individual_layout->addWidget(rates_view, 2, 0);
  QTableView* causes_view = grid_view(causes_model_);
  causes_view->horizontalHeader()->setDefaultSectionSize(140);
  individual_layout->addWidget(causes_view, 2, 1);
  individual_layout->addWidget(new QLabel(tr("Table for Age Groups")), 3, 0);
  individual_layout->addWidget(new QLabel(tr("Table for Clusters")), 3, 1);
  individual_layout->addWidget(grid_view(age_groups_model_), 4, 0);
  individual_layout->addWidget(grid_view(clusters_model_), 4, 1);

  sub_pages_ = new QTabWidget;
  sub_pages_->addTab(table_view(individual_model_), tr("Data Entry Individual Level"));
  sub_pages_->addTab(table_view(household_model_), tr("Data Entry Household Level"));
  sub_pages_->addTab(household_page, tr("Results Household Level"));
  sub_pages_->addTab(individual_page, tr("Results Individual Level"));
  connect(sub_pages_, &QTabWidget::currentChanged, this, [this](int index) {
    if (index == household_results || index == individual_results) compute_results();
  });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(sub_pages_);
  reload();
}

void DeathRatesPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The Planning page's recall period is the one the rates use.
  if (!workspace_.planning.sm_d.empty()) workspace_.rd_hh = workspace_.planning.sm_d;
  reload();
}

void DeathRatesPage::reload() {
  individual_model_->reload();
  household_model_->reload();
  const int shown = sub_pages_->currentIndex();
  if (shown == household_results || shown == individual_results) compute_results();
}

mortality::AgeGrouping DeathRatesPage::grouping() const {
  if (five_->isChecked()) return mortality::AgeGrouping::five_years;
  if (ten_->isChecked()) return mortality::AgeGrouping::ten_years;
  return mortality::AgeGrouping::flexible;
}

core::TextGrid DeathRatesPage::labels() const {
  const core::MortalityOptions& o = workspace_.mortality_options;
  const std::string* const all[11] = {&o.cde1, &o.cde2, &o.cde3, &o.cde4, &o.cde5, &o.cde6,
                                      &o.cde7, &o.lde1, &o.lde2, &o.lde3, &o.lde4};
  return mortality::cause_labels(all);
}

void DeathRatesPage::compute_results() {
  household_results_ = mortality::household_results_table(workspace_.mortality_households);
  household_results_model_->reload();
  compute_household_rates();

  const mortality::RecallPeriod recall =
      mortality::read_recall_period(mortality::recall_period_text(workspace_));
  recall_days_ = recall.days.value_or(0);
  individual_.reset();
  rates_ = causes_ = age_groups_ = clusters_ = core::TextGrid();
  if (recall.days) {
    individual_message_->clear();
    individual_ = mortality::individual_results(
        workspace_.mortality_individuals, mortality::age_groups(grouping(), workspace_.options),
        *recall.days);
    rates_ = mortality::rates_grid(*individual_);
    causes_ = mortality::causes_grid(*individual_, labels());
    age_groups_ = mortality::age_group_grid(*individual_);
    clusters_ = mortality::cluster_grid(*individual_);
  } else {
    individual_message_->setText(to_qstring(recall.message));
  }
  for (TextGridModel* m : {rates_model_, causes_model_, age_groups_model_, clusters_model_}) {
    m->reload();
  }
}

void DeathRatesPage::compute_household_rates() {
  const mortality::RecallPeriod recall =
      mortality::read_recall_period(mortality::recall_period_text(workspace_));
  if (!recall.days) {
    household_rates_label_->setText(to_qstring(recall.message));
    return;
  }
  const mortality::HouseholdResults h =
      mortality::household_rates(household_results_, *recall.days);
  QString text = tr("Crude death rate (95% CI): %1   Design effect: %2\n"
                    "Under-five death rate (95% CI): %3   Design effect: %4")
                     .arg(to_qstring(mortality::rate_text(h.crude)),
                          to_qstring(mortality::design_effect_text(h.crude)),
                          to_qstring(mortality::rate_text(h.under_five)),
                          to_qstring(mortality::design_effect_text(h.under_five)));
  if (h.totals_shown) {
    QStringList sums;
    for (long v : h.totals) sums << QString::number(v);
    text += tr("\nClusters: %1   Sums: %2").arg(h.clusters).arg(sums.join("  "));
  }
  household_rates_label_->setText(text);
}

PyramidWindow* DeathRatesPage::open_pyramid() {
  // The pyramid always shows the five-year groups.
  if (!five_->isChecked()) five_->setChecked(true);
  compute_results();
  if (!individual_) {
    if (prompter_ != nullptr) prompter_->inform(from_qstring(individual_message_->text()));
    return nullptr;
  }
  auto* window = new PyramidWindow(mortality::population_pyramid(*individual_), prompter_, this);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->show();
  return window;
}

QString DeathRatesPage::crude_text() const { return household_rates_label_->text(); }

void DeathRatesPage::transfer_to_spreadsheet() {
  compute_results();
  if (!individual_) {
    if (prompter_ != nullptr) prompter_->inform(from_qstring(individual_message_->text()));
    return;
  }
  mortality::Transfer transfer = mortality::individual_transfer_text(
      workspace_.mortality_individuals, *individual_, labels(), recall_days_);
  if (prompter_ == nullptr || !editor_) return;
  if (!transfer.error.empty()) {
    prompter_->inform(transfer.error);
    return;
  }
  document::OutputFolders folders =
      document::output_folders(app_.folders.program, platform::process_environment());
  folders.writable_folder = app_.folders.writable;
  if (!app_.output_folder.empty()) folders.report_folder = app_.output_folder;
  document::HandOffServices services{
      *launcher_, *prompter_, editor_(),
      [this](int entry) { return app_.text != nullptr ? app_.text->text(entry) : std::string(); }};
  const document::DocumentBuffer buffer(std::move(transfer.text));
  try {
    last_hand_off_ = document::HandToSpreadsheet(buffer, document::output_settings_of(app_.settings),
                                                folders, services);
  } catch (const std::exception& error) {
    prompter_->inform(error.what());
  }
}

}  // namespace olvar::ui
