#include "ui/death_rates_page.h"

#include <QAbstractTableModel>
#include <QButtonGroup>
#include <QClipboard>
#include <QGuiApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "core/date_text.h"
#include "core/language_table.h"
#include "mortality/result_tables.h"
#include "mortality/roster_import.h"
#include "platform/environment.h"
#include "document/output_settings_record.h"
#include "ui/column_widths.h"
#include "ui/grid_models.h"
#include "ui/mortality_entry_page.h"
#include "ui/mortality_table_model.h"
#include "ui/pyramid_window.h"
#include "ui/qt_convert.h"

namespace olvar::ui {

namespace {

enum SubPage { individual_data, household_data, household_results, individual_results };

}  // namespace

namespace {

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
  // The labels a survey starts with; a survey file's own labels replace them, and a new survey
  // keeps those of the one before.
  core::MortalityOptions& labels = workspace_.mortality_options;
  if (labels == core::MortalityOptions{}) {
    labels = {"Unknown", "Injury/Traumatic", "Illness", "", "", "", "",
              "In current location", "During migration", "In place of last residence", "Other"};
  }
  MortalityEntryServices services;
  services.workspace = &workspace_;
  services.text = app_.text;
  services.dates = app_.dates;
  services.current_year = app_.today.year;
  services.today = core::day_number_of({app_.today.year, app_.today.month, app_.today.day})
                       .value_or(0);
  services.prompter = [this] { return prompter_; };
  services.hand_to_spreadsheet = [this](std::string table) {
    hand_to_spreadsheet(std::move(table));
  };
  services.changed = [this] {
    if (on_changed) on_changed();
  };
  services.save = [this] {
    if (on_save) on_save();
  };
  services.plausibility_report = [this] {
    if (on_plausibility_report) on_plausibility_report();
  };
  services.clipboard_text = [] { return from_qstring(QGuiApplication::clipboard()->text()); };
  individual_entry_ = new IndividualEntryPage(services);
  household_entry_ = new HouseholdEntryPage(services);

  // Column 0 holds the cluster numbers, which the row headings show.
  household_results_model_ =
      new MortalityTableModel(household_results_, household_results_headings(), 2, this);
  household_results_model_->on_written = [this](int, int) {
    tell_population_correction(compute_household_rates());
  };
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
  individual_message_->setObjectName(QStringLiteral("IndividualMessage"));
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
  sub_pages_->addTab(individual_entry_, tr("Data Entry Individual Level"));
  sub_pages_->addTab(household_entry_, tr("Data Entry Household Level"));
  sub_pages_->addTab(household_page, tr("Results Household Level"));
  sub_pages_->addTab(individual_page, tr("Results Individual Level"));
  connect(sub_pages_, &QTabWidget::currentChanged, this, [this](int index) {
    if (index == household_results || index == individual_results) compute_results();
  });
  auto* layout = new QVBoxLayout(this);
  // A household roster exported by the phone forms, with its lists of persons who left and
  // died, becomes the individual table through the import's preview-and-map window.
  auto* import_roster = new QPushButton(tr("Import household roster..."));
  import_roster->setObjectName(QStringLiteral("ImportRoster"));
  connect(import_roster, &QPushButton::clicked, this, [this] {
    if (on_import_roster) on_import_roster();
  });
  auto* top_row = new QHBoxLayout;
  top_row->addWidget(import_roster);
  top_row->addStretch(1);
  layout->addLayout(top_row);
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
  individual_entry_->reload();
  household_entry_->reload();
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
  const stats::PopulationCorrection household_correction = compute_household_rates();

  const mortality::RecallPeriod recall =
      mortality::read_recall_period(mortality::recall_period_text(workspace_));
  recall_days_ = recall.days.value_or(0);
  individual_.reset();
  rates_ = causes_ = age_groups_ = clusters_ = core::TextGrid();
  if (recall.days) {
    individual_message_->clear();
    individual_ = mortality::individual_results(
        workspace_.mortality_individuals, mortality::age_groups(grouping(), workspace_.options),
        *recall.days, correction_inputs());
    rates_ = mortality::rates_grid(*individual_);
    causes_ = mortality::causes_grid(*individual_, labels());
    age_groups_ = mortality::age_group_grid(*individual_);
    clusters_ = mortality::cluster_grid(*individual_);
    if (const int left_out = individual_->persons_with_unusable_cluster; left_out > 0) {
      individual_message_->setText(to_qstring(mortality::persons_left_out_text(left_out)));
    }
    // Population, males, females, joined, left, born, died as the language file words them.
    const int headings[] = {kPopulationEntry, kMalesEntry,  kFemalesEntry, kJoinedEntry,
                            kLeftEntry,       kBirthsEntry, kDeathsEntry};
    for (int c = 1; c <= 7; ++c) {
      const std::string heading = text(headings[c - 1]);
      if (heading.empty()) continue;
      age_groups_.set_cell(c, 0, heading);
      clusters_.set_cell(c, 0, heading);
    }
    if (!text(kClusterEntry).empty()) clusters_.set_cell(0, 0, text(kClusterEntry));
  } else {
    individual_message_->setText(to_qstring(recall.message));
  }
  for (TextGridModel* m : {rates_model_, causes_model_, age_groups_model_, clusters_model_}) {
    m->reload();
  }
  // Once for the whole calculation, as the estimator tells it once per call.
  std::vector<const mortality::Rate*> rates;
  if (individual_) rates = mortality::all_rates(*individual_);
  mortality::Rate household_state;
  household_state.correction = household_correction;
  rates.push_back(&household_state);
  tell_population_correction(mortality::correction_state(rates));
}

stats::PopulationCorrectionInputs DeathRatesPage::correction_inputs() const {
  return population_correction ? population_correction() : stats::PopulationCorrectionInputs{};
}

stats::PopulationCorrection DeathRatesPage::compute_household_rates() {
  const mortality::RecallPeriod recall =
      mortality::read_recall_period(mortality::recall_period_text(workspace_));
  if (!recall.days) {
    household_rates_label_->setText(to_qstring(recall.message));
    return stats::PopulationCorrection::not_requested;
  }
  const mortality::HouseholdResults h =
      mortality::household_rates(household_results_, *recall.days, correction_inputs());
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
  if (const int left_out =
          mortality::households_with_unusable_cluster(workspace_.mortality_households);
      left_out > 0) {
    text += QLatin1Char('\n') + to_qstring(mortality::households_left_out_text(left_out));
  }
  household_rates_label_->setText(text);
  return mortality::correction_state({&h.crude, &h.under_five});
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
  mortality::TransferTexts texts;
  const std::pair<std::string*, int> entries[] = {
      {&texts.title, 1170},         {&texts.level, 1181},         {&texts.indicators, 1171},
      {&texts.households, 1172},    {&texts.with_children, 1173}, {&texts.household_size, 25},
      {&texts.population, 1174},    {&texts.clusters, 951},       {&texts.children, 1175},
      {&texts.birth_rate, 1176},    {&texts.in_migration, 1177},  {&texts.out_migration, 1178},
      {&texts.death_rates, 840},    {&texts.tables, 1179}};
  for (const auto& [field, entry] : entries) {
    if (!text(entry).empty()) *field = text(entry);
  }
  texts.age_table = "Table for Age Groups";
  texts.cluster_table = "Table for Clusters";
  mortality::Transfer transfer = mortality::individual_transfer_text(
      workspace_.mortality_individuals, *individual_, labels(), recall_days_, texts);
  if (!transfer.error.empty()) {
    if (prompter_ != nullptr) prompter_->inform(transfer.error);
    return;
  }
  hand_to_spreadsheet(std::move(transfer.text));
}

void DeathRatesPage::hand_to_spreadsheet(std::string table) {
  if (prompter_ == nullptr || !editor_) return;
  document::OutputFolders folders =
      document::output_folders(app_.folders.program, platform::process_environment());
  folders.writable_folder = app_.folders.writable;
  if (!app_.output_folder.empty()) folders.report_folder = app_.output_folder;
  document::HandOffServices services{
      *launcher_, *prompter_, editor_(),
      [this](int entry) { return app_.text != nullptr ? app_.text->text(entry) : std::string(); }};
  const document::DocumentBuffer buffer(std::move(table));
  try {
    last_hand_off_ = document::HandToSpreadsheet(buffer, document::output_settings_of(app_.settings),
                                                folders, services);
  } catch (const std::exception& error) {
    prompter_->inform(error.what());
  }
}

void DeathRatesPage::apply_mode(const workspace::WindowMode& mode) {
  individual_entry_->apply_mode(mode.household_takeover_button, mode.save_button_enabled);
  household_entry_->apply_mode(mode.household_takeover_button, mode.save_button_enabled);
}

std::string DeathRatesPage::text(int entry) const {
  return app_.text != nullptr ? app_.text->text(entry) : std::string();
}

core::TextGrid DeathRatesPage::household_results_headings() const {
  core::TextGrid g(10, 2);
  const std::string all = text(kAllEntry);
  const std::string joined = text(kJoinedEntry);
  const std::string left = text(kLeftEntry);
  const std::string rows[2][10] = {
      {text(kClusterEntry), text(kPopulationEntry), text(kPopulationEntry),
       text(kPopulationEntry), "< 5", "< 5", "< 5", "< 5", text(kDeathsEntry), text(kDeathsEntry)},
      {"", all, joined, left, all, joined, left, text(kBirthsEntry), all, "<5"}};
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 10; ++c) g.set_cell(c, r, rows[r][c]);
  }
  return g;
}

void DeathRatesPage::tell_population_correction(stats::PopulationCorrection state) {
  if (prompter_ == nullptr) return;
  if (state == stats::PopulationCorrection::sample_exceeds_population) {
    prompter_->inform(text(stats::kSampleExceedsPopulationEntry));
  } else if (state == stats::PopulationCorrection::inputs_unreadable) {
    prompter_->inform(text(kCorrectionUnreadableEntry));
  }
}

}  // namespace olvar::ui
