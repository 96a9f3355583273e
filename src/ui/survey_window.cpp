#include "ui/survey_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <cctype>
#include <algorithm>

#include "anthro/ethiopian_conversion.h"
#include "calculator/forms_and_sheets.h"
#include "core/date_text.h"
#include "core/standard_variables.h"
#include "core/survey_file.h"
#include "document/office_hand_off.h"
#include "document/output_settings_record.h"
#include "document/rtf.h"
#include "entry/data_entry_controller.h"
#include "mortality/mortality_check.h"
#include "platform/file_association.h"
#include "platform/process_launcher.h"
#include "reports/plausibility_report.h"
#include "reports/results_report.h"
#include "core/program_files.h"
#include "ui/busy_cursor.h"
#include "ui/calculator_window.h"
#include "ui/caption_translator.h"
#include "ui/user_guide.h"
#include "ui/data_entry_page.h"
#include "ui/data_tools.h"
#include "ui/death_rates_page.h"
#include "ui/food_security_page.h"
#include "ui/graph_window.h"
#include "ui/grid_models.h"
#include "ui/growth_chart_widget.h"
#include "ui/import_window.h"
#include "ui/options_page_widget.h"
#include "ui/planning_page.h"
#include "ui/qt_convert.h"
#include "ui/report_editor_window.h"
#include "ui/result_panel_widget.h"
#include "ui/results_page.h"
#include "ui/training_page.h"
#include "ui/weighted_analysis_command.h"
#include "workspace/language_change.h"
#include "workspace/recent_files.h"
#include "workspace/shutdown.h"
#include "workspace/survey_options_sync.h"
#include "workspace/survey_session.h"
#include "workspace/window_caption.h"

namespace olvar::ui {

namespace {

// Page order of the tab widget, as workspace::SurveyPage numbers them.
int page_index(workspace::SurveyPage page) { return static_cast<int>(page); }

constexpr std::string_view kSurveyFilter = "Survey files (*.as)|*.as|All files (*)|*";

}  // namespace

SurveyWindow::SurveyWindow(workspace::AppContext& app, const workspace::StartUpInputs& inputs,
                           QWidget* parent)
    : QMainWindow(parent),
      app_(app),
      inputs_(inputs),
      qt_prompter_(this, to_qstring(workspace::kProgramTitle)),
      prompter_(&qt_prompter_) {
  options_ = core::Options_New(app_.settings, app_.dates.decimal_separator);
  core::reset_to_new_table(workspace_, today_text());
  workspace_.options = workspace::survey_options_of(options_);
  workspace_.extra_columns_shown = options_.show_extra_columns;
  qt_prompter_.set_start_folder(to_qstring(app_.settings.last_folder));

  guide_ = new UserGuide(app_.folders, this);
  QApplication::instance()->installEventFilter(guide_);
  build_pages();
  build_menus();
  // A survey or a data file dropped on the window is opened or imported.
  setAcceptDrops(true);
  if (const QScreen* screen = QApplication::primaryScreen()) {
    setGeometry(screen->availableGeometry());
  }
  data_entry_page_->reset_entry();
  reload_all();
}

void SurveyWindow::set_prompter(core::Prompter* prompter) {
  prompter_ = prompter ? prompter : &qt_prompter_;
  if (training_page_ != nullptr) training_page_->set_prompter(prompter_);
  if (death_rates_page_ != nullptr) death_rates_page_->set_prompter(prompter_);
  if (food_security_page_ != nullptr) food_security_page_->set_prompter(prompter_);
  if (results_page_ != nullptr) results_page_->set_prompter(prompter_);
  data_entry_page_->set_prompter(prompter_);  // a new controller, asking through this one
}

DataEntryPage* SurveyWindow::build_data_entry_page() {
  DataEntryPage::Services services;
  services.refresh_caption = [this] { refresh_caption(); };
  services.evaluate_row = [this](core::Workspace& workspace, int row) {
    evaluate_row(workspace, row);
  };
  services.plausibility_report = [this] { run_plausibility_check(); };
  services.choose_reference = [this](char reference) { choose_reference(reference); };
  services.evaluation_settings = [this] { return evaluation_settings(workspace_); };
  data_tools_ = new DataTools(
      {workspace_, app_, filter_active_, [this]() -> core::Prompter& { return *prompter_; },
       [this]() -> const core::OptionsPage& { return options_; }, [this] { return save_survey(); },
       [this] { return new_survey(); },
       [this] {
         data_entry_page_->reset_entry();
         reload_all();
       },
       [this](const document::DocumentBuffer& d, bool table) { hand_off(d, table); },
       [this](const QString& caption) { setWindowTitle(caption); }},
      this);
  services.add_tool_buttons = [this](QToolBar* bar) { data_tools_->add_entry_buttons(bar); };
  return new DataEntryPage(workspace_, app_, options_, prompter_, std::move(services));
}

QTabWidget* SurveyWindow::data_entry_tabs() const { return data_entry_page_->tabs(); }
QTableView* SurveyWindow::data_view() const { return data_entry_page_->data_view(); }
SurveyTableModel* SurveyWindow::survey_model() const { return data_entry_page_->survey_model(); }
ResultPanelWidget* SurveyWindow::result_panel() const { return data_entry_page_->result_panel(); }
entry::DataEntryController* SurveyWindow::entry() const { return data_entry_page_->entry(); }
GrowthChartWidget* SurveyWindow::growth_chart() const { return data_entry_page_->growth_chart(); }

SurveyWindow::~SurveyWindow() {
  // The pages read the Workspace while they are hidden and destroyed; it is a member, gone
  // before the QWidget base destroys its children, so the pages go first.
  delete takeCentralWidget();
}

std::string SurveyWindow::text(int entry) const {
  return app_.text != nullptr ? app_.text->text(entry) : std::string();
}

std::string SurveyWindow::today_text() const {
  const core::CivilDate today{app_.today.year, app_.today.month, app_.today.day};
  const std::optional<int> day = core::day_number_of(today);
  return day ? core::date_text(*day, app_.dates) : std::string();
}

anthro::RowEvaluationSettings SurveyWindow::evaluation_settings(
    const core::Workspace& workspace) const {
  anthro::RowEvaluationSettings settings;
  settings.reference = app_.settings.reference == core::kReferenceNchs ? anthro::Reference::nchs1977
                                                                       : anthro::Reference::who2006;
  settings.extra_columns_shown = workspace.extra_columns_shown;
  settings.clothes_weight_g = options_.Edit26;
  settings.conventions = app_.dates;
  settings.current_year = app_.today.year;
  return settings;
}

void SurveyWindow::evaluate_row(core::Workspace& workspace, int row) const {
  if (row < 1) return;
  anthro::Anthropometrie_Line(workspace.survey, row, evaluation_settings(workspace), *app_.who);
}

void SurveyWindow::evaluate_all() {
  const BusyCursor busy;
  anthro::evaluate_all_rows(workspace_.survey, evaluation_settings(workspace_), *app_.who);
}

void SurveyWindow::build_pages() {
  pages_ = new QTabWidget;
  setCentralWidget(pages_);

  PlanningPageWidget::Services planning_services;
  planning_services.text = app_.text;
  planning_services.folders = app_.folders;
  planning_services.decimal_separator = app_.dates.decimal_separator;
  planning_services.prompter = [this]() -> core::Prompter& { return *prompter_; };
  planning_services.write_report_document = [this](const document::DocumentBuffer& document) {
    hand_off(document, false);
  };
  planning_services.hand_to_spreadsheet = [this](const document::DocumentBuffer& table) {
    hand_off(table, true);
  };
  planning_services.mark_changed = [this] { mark_changed(); };
  planning_services.clipboard_text = [] {
    return from_qstring(QGuiApplication::clipboard()->text());
  };
  planning_widget_ = new PlanningPageWidget(workspace_.planning, std::move(planning_services));
  page_widgets_[0] = planning_widget_;

  training_page_ = new TrainingPage(workspace_, app_);
  training_page_->set_prompter(prompter_);
  training_page_->set_editor([this]() -> document::ReportEditorOpener& { return report_editor(); });
  training_page_->on_changed = [this] { mark_changed(); };
  page_widgets_[1] = training_page_;

  data_entry_page_ = build_data_entry_page();
  page_widgets_[2] = data_entry_page_;
  results_page_ = new ResultsPage(workspace_, options_, *app_.text, app_.dates.decimal_separator);
  results_page_->set_prompter(prompter_);
  results_page_->scratch_folder = app_.folders.writable;
  results_page_->dates = app_.dates;
  results_page_->on_choose_reference = [this](char code) { choose_reference(code); };
  results_page_->on_exclusion_changed = [this] {
    // One exclusion mode for the whole program: the Options page shows it, the settings keep it.
    app_.settings.exclusion_mode = core::exclusion_mode_code(options_.exclusion);
    options_widget_->load();
  };
  results_page_->planning_inputs = [this] { return population_correction_inputs(); };
  results_page_->on_report_in_word = [this] { write_results_report(); };
  results_page_->on_show_graph = [this](reports::ResultsIndex index, GraphChoice choice) {
    // The page's index and grouping buttons are listed in the graphs' order.
    const auto graph_index = static_cast<graphs::GraphIndex>(index);
    if (const std::optional<graphs::GraphType> type = graphs::graph_type_for_page(
            graph_index, static_cast<graphs::Grouping>(choice.grouping), choice.item)) {
      show_graph(graph_index, *type);
    }
  };
  page_widgets_[3] = results_page_;

  death_rates_page_ = new DeathRatesPage(workspace_, app_);
  death_rates_page_->set_prompter(prompter_);
  death_rates_page_->set_editor(
      [this]() -> document::ReportEditorOpener& { return report_editor(); });
  death_rates_page_->on_changed = [this] { mark_changed(); };
  death_rates_page_->on_save = [this] { save_survey(); };
  death_rates_page_->on_plausibility_report = [this] { run_mortality_check(); };
  death_rates_page_->on_import_roster = [this] { import_roster(); };
  death_rates_page_->population_correction = [this] { return population_correction_inputs(); };
  page_widgets_[4] = death_rates_page_;

  food_security_page_ = new FoodSecurityPage(app_);
  food_security_page_->set_prompter(prompter_);
  food_security_page_->set_editor(
      [this]() -> document::ReportEditorOpener& { return report_editor(); });
  page_widgets_[5] = food_security_page_;

  options_widget_ = new OptionsPageWidget(options_, *app_.text, this);
  connect(options_widget_, &OptionsPageWidget::save_clicked, this, [this] { save_options(); });
  connect(options_widget_, &OptionsPageWidget::edited, results_page_,
          &ResultsPage::show_exclusion);
  connect(options_widget_, &OptionsPageWidget::reset_clicked, this, [this] { reset_options(); });
  connect(
      options_widget_, &OptionsPageWidget::office_program_clicked, this, [this](bool microsoft) {
        const BusyCursor busy;
        core::RadioButton5Click(options_, app_.settings, microsoft ? "ww" : "oo", inputs_.search);
        options_widget_->load();  // shows the stored choice when nothing was found
      });
  page_widgets_[6] = options_widget_;

  const QString captions[] = {tr("Planning"),
                              tr("Training"),
                              tr("Data Entry Anthropometry"),
                              tr("Results Anthropometry"),
                              tr("Death Rates"),
                              tr("Food Security"),
                              tr("Options")};
  for (int k = 0; k < 7; ++k) pages_->addTab(page_widgets_[k], captions[k]);
  // F1 opens the guide at the page about the page shown (user_guide.h).
  const char* guide_pages[] = {"plan.html",          "train.html",         "enter.html",
                               "publish.html",       "mortality.html",     "food-security.html",
                               "enter.html#options"};
  for (int k = 0; k < 7; ++k) page_widgets_[k]->setProperty(kGuidePageProperty, guide_pages[k]);
  const auto name_guide_page = [this](int index) {
    setProperty(kGuidePageProperty,
                index >= 0 ? page_widgets_[index]->property(kGuidePageProperty) : QVariant());
  };
  connect(pages_, &QTabWidget::currentChanged, this, name_guide_page);
  pages_->setCurrentIndex(page_index(workspace::SurveyPage::data_entry));
  name_guide_page(pages_->currentIndex());
  current_page_ = pages_->currentIndex();
  connect(pages_, &QTabWidget::currentChanged, this, &SurveyWindow::page_changed);
}

void SurveyWindow::choose_reference(char code) {
  if (app_.settings.reference != code) {
    app_.settings.reference = code;
    // The z-score columns always hold the indices of the selected reference.
    if (entry()) {
      data_entry_page_->apply_settings();
      data_entry_page_->run([](entry::DataEntryController& entry) { return entry.evaluate_all(); });
    } else {
      evaluate_all();
      data_entry_page_->reload_survey();
    }
  }
  show_reference();
}

void SurveyWindow::show_reference() {
  const bool who = app_.settings.reference != core::kReferenceNchs;
  data_entry_page_->show_reference(who);
  results_page_->show_reference(who);
}

void SurveyWindow::build_menus() {
  files_menu_ = menuBar()->addMenu(tr("&Files"));
  QAction* new_action = files_menu_->addAction(tr("&New"), this, [this] { new_survey(); });
  QAction* open_action = files_menu_->addAction(tr("&Open"), this, [this] { open_with_dialog(); });
  open_action->setObjectName(QStringLiteral("open_action"));
  save_action_ = files_menu_->addAction(tr("&Save"), this, [this] { save_survey(); });
  files_menu_->addAction(tr("Save &as"), this, [this] { save_survey_as(); });
  files_menu_->addAction(tr("Import Epi Info, dBase, CSV/TSV or XLSX File"), this,
                         [this] { import_survey(); })
      ->setObjectName(QStringLiteral("ImportEpiInfoFile"));
  files_menu_->addSeparator();
  for (int k = 0; k < 4; ++k) {
    recent_actions_[k] = files_menu_->addAction(QString(), this, [this, k] { open_recent(k); });
  }
  files_menu_->addSeparator();
  files_menu_->addAction(tr("E&xit"), this, [this] { close(); });
  new_action->setShortcut(QKeySequence::New);
  open_action->setShortcut(QKeySequence::Open);
  save_action_->setShortcut(QKeySequence::Save);

  // Undo and redo of data entry: cell edits, pastes, cleared blocks, rows and variables. In a
  // cell's editor the keys undo the typing in that cell instead.
  QMenu* edit_menu = menuBar()->addMenu(tr("&Edit"));
  QAction* undo_action = edit_menu->addAction(tr("&Undo"), this, [this] {
    data_entry_page_->run([](entry::DataEntryController& entry) { return entry.undo(); });
  });
  undo_action->setObjectName(QStringLiteral("Undo"));
  undo_action->setShortcut(QKeySequence::Undo);
  QAction* redo_action = edit_menu->addAction(tr("&Redo"), this, [this] {
    data_entry_page_->run([](entry::DataEntryController& entry) { return entry.redo(); });
  });
  redo_action->setObjectName(QStringLiteral("Redo"));
  redo_action->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence::Redo});

  extras_menu_ = menuBar()->addMenu(tr("E&xtras"));
  extras_menu_->addAction(translate_caption(workspace::kLanguageSelectionCaption), this, [this] {
    QStringList files;
    for (const std::string& file : workspace::language_files(app_.folders))
      files << to_qstring(file);
    std::optional<std::string> selected;
    if (!files.isEmpty()) {
      bool ok = false;
      const QString choice = QInputDialog::getItem(
          this, translate_caption(workspace::kLanguageSelectionCaption),
          translate_caption(workspace::kLanguageSelectionPrompt) + QLatin1Char('\n') +
              translate_caption(workspace::kLanguageSelectionHint),
          files, 0, false, &ok);
      if (!ok) return;
      selected = from_qstring(choice);
    }
    workspace::change_language(selected, app_.folders, *prompter_);
  });
  const auto add_forms = [this](QMenu* menu, const QString& standard, const QString& simple,
                                planning::BlankForm standard_form,
                                planning::BlankForm simple_form) {
    menu->addAction(standard, this, [this, standard_form] {
      planning_widget_->hand_out_blank_form(standard_form);
    });
    menu->addAction(simple, this,
                    [this, simple_form] { planning_widget_->hand_out_blank_form(simple_form); });
  };
  add_forms(extras_menu_->addMenu(tr("Blank forms for anthropometric surveys")),
            tr("Standard form"), tr("Simple form"), planning::BlankForm::anthropometry_standard,
            planning::BlankForm::anthropometry_simple);
  add_forms(extras_menu_->addMenu(to_qstring(text(1095))), to_qstring(text(1096)),
            to_qstring(text(1097)), planning::BlankForm::mortality_standard,
            planning::BlankForm::mortality_simple);
  extras_menu_->addAction(tr("Ethiopian date conversion"), this, [this] {
    const anthro::EthiopianConversion done =
        anthro::convert_ethiopian_dates(workspace_.survey, app_.folders.program, app_.dates,
                                        *prompter_, [this] { evaluate_all(); });
    if (done.cells_converted > 0) mark_changed();
    data_entry_page_->check_all();
    if (done.confirmed) prompter_->inform(anthro::ethiopian_conversion_message(done));
  });

  // Each use opens a calculator window of its own; it closes with the survey window.
  QAction* plausibility_check = extras_menu_->addAction(tr("Plausibility Check Anthropometry"),
                                                        this, [this] { run_plausibility_check(); });
  plausibility_check->setObjectName(QStringLiteral("PlausibilityCheck1"));
  QAction* results_report =
      extras_menu_->addAction(tr("Report in Word"), this, [this] { write_results_report(); });
  results_report->setObjectName(QStringLiteral("ReportinWord1"));
  QAction* weighted = extras_menu_->addAction(tr("Weighted analysis of survey"), this, [this] {
    const BusyCursor busy;
    const document::DocumentBuffer table =
        Weightedanalysisofsurvey1Click(workspace_.survey, options_, app_, *this);
    refresh_caption();
    hand_off(table, true);
  });
  weighted->setObjectName(QStringLiteral("Weightedanalysisofsurvey1"));
  QAction* mortality_check = extras_menu_->addAction(tr("Plausibility Check Death Rates"), this,
                                                     [this] { run_mortality_check(); });
  mortality_check->setObjectName(QStringLiteral("PlausibilityCheckDeathRates"));
  QAction* calculator_action = extras_menu_->addAction(tr("Statistical Calculator"), this, [this] {
    auto* calculator = new CalculatorWindow(
        {workspace_.survey, options_, app_, *prompter_,
         [this](const std::filesystem::path& file) { report_editor().open_report_editor(file); }},
        this);
    calculator->show();
  });
  calculator_action->setObjectName(QStringLiteral("StatisticalCalculator"));
  data_tools_->add_extras_entries(extras_menu_);
  QMenu* forms = extras_menu_->addMenu(tr("Other forms and sheets"));
  for (const calculator::FormOrSheet& entry : calculator::forms_and_sheets()) {
    forms->addAction(translate_caption(entry.caption.data()), this, [this, &entry] {
      platform::SpawnProcessLauncher launcher;
      calculator::open_form_or_sheet(entry, document::output_settings_of(app_.settings),
                                     app_.folders, launcher, *prompter_);
    });
  }

  QMenu* help_menu = menuBar()->addMenu(tr("&Help"));
  QAction* guide_action = help_menu->addAction(
      tr("User guide"), this, [this] { guide_->open(this, guide_page_of(this)); });
  guide_action->setObjectName(QStringLiteral("UserGuide"));
  guide_action->setShortcut(QKeySequence(Qt::Key_F1));
  // F1 reaches the guide through its event filter, in every window; the menu only shows the key.
  guide_action->setShortcutContext(Qt::WidgetShortcut);
  help_menu->addAction(tr("About Olvar"), this, [this] { show_about(this); })
      ->setObjectName(QStringLiteral("AboutOlvar"));

  QToolBar* bar = addToolBar(tr("Files"));
  bar->setMovable(false);
  bar->addAction(new_action);
  bar->addAction(open_action);
  bar->addAction(save_action_);
  bar->addAction(calculator_action);
  refresh_recent_files();
}

void SurveyWindow::run_plausibility_check() {
  if (!app_.who->found()) {
    prompter_->inform(
        "The WHO reference table is missing or unusable: the plausibility check, "
        "which judges WHO z-scores, cannot be made.");
    return;
  }
  const BusyCursor busy;
  // The check reports its progress in the caption; the survey's caption comes back after it.
  const reports::PlausibilityContext context{
      *app_.text,
      *app_.who,
      evaluation_settings(workspace_),
      options_,
      app_.folders.writable,
      [this](std::string_view caption) {
        setWindowTitle(to_qstring(caption));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      },
      app_.sort_order};
  try {
    const reports::PlausibilityReport report = reports::Plausibility(workspace_, context);
    refresh_caption();
    hand_off(report.document, false);
  } catch (const std::exception& error) {
    refresh_caption();
    prompter_->inform(error.what());
  }
}

stats::PopulationCorrectionInputs SurveyWindow::population_correction_inputs() const {
  const planning::PlanningSession& session = planning_widget_->session();
  return stats::PopulationCorrectionInputs{session.csps1, std::to_string(session.population_size),
                                           workspace_.planning.sc_f, session.outputs.Panel2,
                                           session.outputs.Panel3};
}

void SurveyWindow::write_results_report() {
  const BusyCursor busy;
  const reports::ResultsReportContext context{*app_.text, *app_.who,
                                              evaluation_settings(workspace_), options_,
                                              population_correction_inputs()};
  try {
    const std::optional<reports::ResultsReport> report = reports::results_report(
        workspace_, context,
        core::locate_program_file(app_.folders, reports::kResultsReportTemplate));
    if (!report) {
      prompter_->inform(text(reports::kReportTemplateMissing.number));
      return;
    }
    if (report->who.population_correction() ==
        stats::PopulationCorrection::sample_exceeds_population) {
      prompter_->inform(text(stats::kSampleExceedsPopulationEntry));
    }
    if (const int left_out = report->who.rows_with_unusable_cluster(); left_out > 0) {
      prompter_->inform(text(analysis::kLeftOutForClusterEntry) + " " + std::to_string(left_out));
    }
    hand_off(report->document, false);
  } catch (const std::exception& error) {
    prompter_->inform(error.what());
  }
}

void SurveyWindow::run_mortality_check() {
  const BusyCursor busy;
  document::DocumentBuffer document(
      mortality::mortality_plausibility_report(workspace_.mortality_individuals, *app_.text));
  document << document::rtf::kDocumentEnd;
  hand_off(document, false);
}

void SurveyWindow::hand_off(const document::DocumentBuffer& document, bool table) {
  document::OutputFolders folders = document::output_folders(app_.folders.program, inputs_.env);
  folders.writable_folder = app_.folders.writable;
  folders.report_folder = app_.output_folder;
  if (!launcher_) launcher_ = std::make_unique<platform::SpawnProcessLauncher>();
  document::HandOffServices services{*launcher_, *prompter_, report_editor(),
                                     [this](int entry) { return text(entry); }};
  try {
    const document::OutputSettings settings = document::output_settings_of(app_.settings);
    last_hand_off_ = table ? document::HandToSpreadsheet(document, settings, folders, services)
                           : document::WriteReportDocument(document, settings, folders, services);
  } catch (const std::exception& error) {
    prompter_->inform(error.what());
  }
}

void SurveyWindow::mark_changed() {
  workspace_.changed = true;
  refresh_caption();
}

void SurveyWindow::refresh_caption() {
  QString caption = to_qstring(workspace::survey_window_caption(
      workspace_.file_name, workspace::count_children(workspace_.survey), *app_.text));
  if (workspace_.changed) caption += QStringLiteral(" *");
  setWindowTitle(caption);
}

void SurveyWindow::refresh_recent_files() {
  const std::array<std::string, 4> captions =
      workspace::recent_file_captions(app_.settings.recent_files);
  for (int k = 0; k < 4; ++k) {
    recent_actions_[k]->setText(to_qstring(captions[k]));
    recent_actions_[k]->setEnabled(!app_.settings.recent_files[k].empty());
  }
}

void SurveyWindow::reload_all() {
  data_entry_page_->reload();
  training_page_->reload();
  planning_widget_->load();
  death_rates_page_->reload();
  show_reference();
  refresh_caption();
  if (data_tools_ != nullptr) data_tools_->refresh();
}

bool SurveyWindow::ask_to_save_changes() {
  if (!workspace_.changed) return true;
  switch (prompter_->ask_yes_no_cancel(text(workspace::kSaveChangesQuestion))) {
    case core::Prompter::Answer::no:
      return true;
    case core::Prompter::Answer::cancel:
      return false;
    case core::Prompter::Answer::yes:
      break;
  }
  return save_survey();
}

bool SurveyWindow::new_survey() {
  if (!ask_to_save_changes()) return false;
  core::reset_to_new_table(workspace_, today_text());
  core::reset_kandu_offsets(options_.flags);
  options_widget_->load();
  workspace_.file_name.clear();
  workspace_.changed = false;
  filter_active_ = false;
  data_entry_page_->reset_entry();
  restart_results_visit();
  reload_all();
  // A new survey starts at its first row, with nothing of the previous child in the panel.
  data_entry_page_->go_to_first_row();
  return true;
}

bool SurveyWindow::open_survey(const std::filesystem::path& file) {
  if (!ask_to_save_changes()) return false;
  const BusyCursor busy;
  // The survey opens the way the command-line tool and the headless modes open it, under the
  // options in force on the Options page.
  workspace_.options = workspace::survey_options_of(options_);
  workspace_.extra_columns_shown = options_.show_extra_columns;
  workspace::SurveySession session = workspace::survey_session(app_, *prompter_);
  // Long reads say how far they are in the caption; refresh_caption() puts it back.
  session.show_progress = [this](std::string_view caption) { setWindowTitle(to_qstring(caption)); };
  const workspace::OpenOutcome outcome = workspace::open_survey(workspace_, file, session);
  if (!outcome.opened) {
    // The open survey stays as it was. A file without a header was told already.
    refresh_caption();
    if (outcome.failure != core::SurveyFileError::Kind::no_header) {
      prompter_->inform(outcome.failure_message);
    }
    return false;
  }
  filter_active_ = false;
  workspace::show_survey_options(options_, workspace_.options);
  options_.show_extra_columns = workspace_.extra_columns_shown;
  options_widget_->load();
  workspace::put_at_top(app_.settings.recent_files, file.string());
  refresh_recent_files();
  data_entry_page_->reset_entry();  // every mark of the read file computed
  restart_results_visit();
  reload_all();
  activate();
  return true;
}

void SurveyWindow::open_with_dialog() {
  // Unsaved changes are settled before the file dialog, so that Cancel there or here leaves
  // everything as it was.
  if (!ask_to_save_changes()) return;
  const std::optional<std::string> file =
      prompter_->choose_file(from_qstring(tr("Open")), kSurveyFilter, false);
  if (!file) return;
  // Asked above already; should the file fail to open, the survey keeps its changed state.
  const bool changed = workspace_.changed;
  workspace_.changed = false;
  if (open_survey(*file)) {
    app_.settings.last_folder = workspace::dialog_folder_of(*file);
    qt_prompter_.set_start_folder(to_qstring(app_.settings.last_folder));
  } else {
    workspace_.changed = changed;
    refresh_caption();
  }
}

void SurveyWindow::import_survey(const std::string& file) {
  pages_->setCurrentIndex(page_index(workspace::SurveyPage::data_entry));
  if (!ask_to_save_changes()) return;
  workspace_.options = workspace::survey_options_of(options_);
  ImportWindow::Services services{
      app_, *prompter_, workspace_,
      [this](const core::Workspace& w) { return evaluation_settings(w); },
      [this](core::Workspace imported) {
        workspace_ = std::move(imported);
        filter_active_ = false;  // the filter's backup belongs to the survey before
        data_entry_page_->reset_entry();
        reload_all();
        activate();
      }};
  if (file.empty()) {
    ImportWindow::start(std::move(services), this);
  } else {
    ImportWindow::open_file(std::move(services), file, this);
  }
  qt_prompter_.set_start_folder(to_qstring(app_.settings.last_folder));  // the data folder
}

void SurveyWindow::import_roster() {
  ImportWindow::Services services{
      app_, *prompter_, workspace_,
      [this](const core::Workspace& w) { return evaluation_settings(w); },
      [this](core::Workspace imported) {
        // Only the individual mortality table is new; the rest of the survey is kept.
        workspace_.mortality_individuals = std::move(imported.mortality_individuals);
        workspace_.changed = true;
        death_rates_page_->reload();
        refresh_caption();
      },
      ImportWindow::Kind::roster};
  ImportWindow::start(std::move(services), this);
  qt_prompter_.set_start_folder(to_qstring(app_.settings.last_folder));
}

bool SurveyWindow::take_dropped_file(const std::filesystem::path& file) {
  std::string extension = file.extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == ".as") {
    open_survey(file);
    return true;
  }
  for (const char* data : {".csv", ".tsv", ".txt", ".xlsx", ".rec", ".dbf"}) {
    if (extension != data) continue;
    import_survey(file.string());
    return true;
  }
  return false;
}

namespace {

// The local file of a drag that carries exactly one.
std::optional<std::filesystem::path> dragged_file(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) return std::nullopt;
  const QUrl url = data->urls().front();
  if (!url.isLocalFile()) return std::nullopt;
  return std::filesystem::path(url.toLocalFile().toStdString());
}

}  // namespace

void SurveyWindow::dragEnterEvent(QDragEnterEvent* event) {
  const std::optional<std::filesystem::path> file = dragged_file(event->mimeData());
  if (!file) return;
  std::string extension = file->extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* known : {".as", ".csv", ".tsv", ".txt", ".xlsx", ".rec", ".dbf"}) {
    if (extension == known) event->acceptProposedAction();
  }
}

void SurveyWindow::dropEvent(QDropEvent* event) {
  const std::optional<std::filesystem::path> file = dragged_file(event->mimeData());
  if (file && take_dropped_file(*file)) event->acceptProposedAction();
}

void SurveyWindow::open_recent(int index) {
  if (index < 0 || index > 3 || app_.settings.recent_files[index].empty()) return;
  if (!ask_to_save_changes()) return;
  const std::string file = workspace::open_recent_file(app_.settings.recent_files, index);
  refresh_recent_files();
  // Asked above already; should the file fail to open, the survey keeps its changed state, so
  // that leaving the program still offers to save it.
  const bool changed = workspace_.changed;
  workspace_.changed = false;
  if (!open_survey(file)) workspace_.changed = changed;
  refresh_caption();
}

bool SurveyWindow::save_survey() {
  workspace_.options = workspace::survey_options_of(options_);
  const BusyCursor busy;
  const workspace::SaveResult saved = workspace::save_survey(
      workspace_, workspace::survey_session(app_, *prompter_), filter_active_);
  if (!saved.failure_message.empty()) {
    prompter_->inform(saved.failure_message);
    return false;
  }
  if (saved.outcome.add_to_recent_files) {
    workspace::put_at_top(app_.settings.recent_files, workspace_.file_name);
    refresh_recent_files();
  }
  reload_all();  // the save may have added spare rows
  return saved.outcome.saved;
}

bool SurveyWindow::save_survey_as() {
  workspace_.options = workspace::survey_options_of(options_);
  const core::SaveContext context{app_.dates, *app_.text, *prompter_, filter_active_};
  try {
    const core::SaveOutcome outcome = core::Saveas1Click(workspace_, context);
    if (outcome.add_to_recent_files) {
      workspace::put_at_top(app_.settings.recent_files, workspace_.file_name);
      refresh_recent_files();
    }
    reload_all();
    return outcome.saved;
  } catch (const core::SurveyFileError& error) {
    prompter_->inform(error.what());
    return false;
  }
}

void SurveyWindow::restart_results_visit() {
  // The order remembered on entering the Results page belongs to the survey that was replaced.
  results_page_->forget_visit();
  if (current_page_ == page_index(workspace::SurveyPage::results)) {
    results_page_->entered(app_.settings.reference, app_.sort_order);
  }
}

void SurveyWindow::page_changed(int index) {
  // Leaving the Options page saves it: the analysis reads the options from there.
  if (current_page_ == page_index(workspace::SurveyPage::options) && index != current_page_) {
    save_options();
  }
  const int results = page_index(workspace::SurveyPage::results);
  if (current_page_ == results && index != current_page_) {
    // The table returns to its order; the marks (and, after a switch of reference, the
    // z-scores) are computed again for it.
    const bool evaluate = results_page_->left(app_.settings.reference);
    if (evaluate && entry()) {
      data_entry_page_->run([](entry::DataEntryController& entry) { return entry.evaluate_all(); });
    } else if (evaluate) {
      evaluate_all();
    }
    data_entry_page_->check_all();
    refresh_caption();
  }
  if (index == results && index != current_page_) {
    results_page_->entered(app_.settings.reference, app_.sort_order);
    data_entry_page_->reload_survey();
  }
  if (index == page_index(workspace::SurveyPage::planning)) planning_widget_->shown();
  if (index == page_index(workspace::SurveyPage::options)) {
    core::enter_options_page(options_, app_.settings, inputs_.search);
    options_widget_->load();
  }
  if (index == page_index(workspace::SurveyPage::data_entry) && index != current_page_) {
    data_entry_page_->entered();
  }
  current_page_ = index;
}

void SurveyWindow::save_options() {
  core::OptionsSaveContext context;
  context.settings_file = app_.settings_file;
  context.decimal_separator = app_.dates.decimal_separator;
  // The mode word in any case, as the modes themselves read it ("settings2" saves as SETTINGS2).
  context.settings_mode =
      workspace::window_mode_for(app_.command_line.mode_word).options_save_saves_survey;
  context.prompter = prompter_;
  const core::OptionsSaveOutcome outcome = core::SaveOptionsClick(options_, app_.settings, context);
  options_widget_->load();
  workspace_.extra_columns_shown = options_.show_extra_columns;
  // The survey's own options (age entry, auto-fill, oedema coding, Kandu window) apply to data
  // entry at once, not only after the survey is saved.
  workspace_.options = workspace::survey_options_of(options_);
  if (outcome.evaluate_rows) evaluate_all();
  data_entry_page_->apply_settings();
  data_entry_page_->check_all();
  if (outcome.save_survey) save_survey();
}

void SurveyWindow::reset_options() {
  core::OptionsResetContext context{
      app_.settings_file, app_.dates.decimal_separator, inputs_.search,
      [this] {
        platform::install_file_association(inputs_.env, inputs_.executable, inputs_.search,
                                           inputs_.run);
      },
      prompter_};
  const char reference_before = app_.settings.reference;
  core::ResetOptionsClick(options_, app_.settings, context);
  options_widget_->load();
  // Every control that mirrors a reset option follows it: the reference buttons of both pages
  // (with the z-scores of the reference now chosen) and data entry.
  const char reference_now = app_.settings.reference;
  app_.settings.reference = reference_before;
  choose_reference(reference_now);
  data_entry_page_->apply_settings();
  mark_changed();
}

void SurveyWindow::apply_mode(const workspace::WindowMode& mode) {
  const bool visible[] = {mode.tab_planning, mode.tab_training,    mode.tab_data_entry,
                          mode.tab_results,  mode.tab_death_rates, mode.tab_food_security,
                          mode.tab_options};
  for (int k = 0; k < 7; ++k) pages_->setTabVisible(k, visible[k]);
  files_menu_->menuAction()->setVisible(mode.menu_files);
  extras_menu_->menuAction()->setVisible(mode.menu_extras);
  save_action_->setEnabled(mode.save_button_enabled);
  options_widget_->apply_mode(mode);
  death_rates_page_->apply_mode(mode);
  if (mode.show_page) pages_->setCurrentIndex(page_index(*mode.show_page));
}

void SurveyWindow::activate() {
  core::refresh_headers_on_activation(workspace_);
  data_entry_page_->refresh_headings();
  refresh_caption();
  show_reference();
  const workspace::WindowMode mode =
      workspace::window_mode_at_activation(app_.command_line.mode_word, first_activation_);
  first_activation_ = false;
  if (mode != workspace::WindowMode{}) apply_mode(mode);
  data_entry_page_->apply_hidden_columns();
}

void SurveyWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) activate();
  QMainWindow::changeEvent(event);
}

void SurveyWindow::closeEvent(QCloseEvent* event) {
  if (current_page_ == page_index(workspace::SurveyPage::options)) save_options();
  // A survey saved on leaving keeps the order of its rows, not the Results page's sort.
  if (results_page_->visiting() && results_page_->left(app_.settings.reference)) {
    if (entry()) {
      data_entry_page_->run([](entry::DataEntryController& entry) { return entry.evaluate_all(); });
    } else {
      evaluate_all();
    }
  }
  workspace::ShutdownContext context;
  context.settings_file = app_.settings_file;
  context.output_folder = app_.output_folder;
  context.text = [this](int entry) { return text(entry); };
  context.save_survey = [this] { return save_survey(); };
  if (workspace::close_survey_window(app_.settings, workspace_.changed, context, *prompter_)) {
    if (editor_) editor_->close();
    event->accept();
  } else {
    event->ignore();
  }
}

ReportEditorWindow& SurveyWindow::report_editor() {
  if (!editor_)
    editor_ = std::make_unique<ReportEditorWindow>(path_to_qstring(app_.folders.program));
  return *editor_;
}

}  // namespace olvar::ui
