#include "ui/survey_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "anthro/ethiopian_conversion.h"
#include "calculator/forms_and_sheets.h"
#include "core/date_text.h"
#include "core/hidden_columns.h"
#include "core/standard_variables.h"
#include "core/survey_file.h"
#include "core/variable_view_upkeep.h"
#include "document/office_hand_off.h"
#include "document/output_settings_record.h"
#include "document/rtf.h"
#include "entry/data_entry_controller.h"
#include "mortality/mortality_check.h"
#include "platform/file_association.h"
#include "platform/process_launcher.h"
#include "reports/plausibility_report.h"
#include "ui/busy_cursor.h"
#include "ui/calculator_window.h"
#include "ui/death_rates_page.h"
#include "ui/entry_cell_delegate.h"
#include "ui/food_security_page.h"
#include "ui/grid_models.h"
#include "ui/import_window.h"
#include "ui/options_page_widget.h"
#include "ui/planning_page.h"
#include "ui/qt_convert.h"
#include "ui/report_editor_window.h"
#include "ui/result_panel_widget.h"
#include "ui/training_page.h"
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

QTableView* new_grid_view(QAbstractItemModel* model) {
  auto* view = new QTableView;
  view->setModel(model);
  view->setAlternatingRowColors(false);
  view->verticalHeader()->setDefaultSectionSize(22);
  view->horizontalHeader()->setDefaultSectionSize(72);
  view->setSelectionMode(QAbstractItemView::ContiguousSelection);
  // Typing into a cell starts editing it: enumerators type whole forms without a click per cell.
  view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed);
  return view;
}

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

  build_pages();
  build_menus();
  if (const QScreen* screen = QApplication::primaryScreen()) {
    setGeometry(screen->availableGeometry());
  }
  reset_entry();
  reload_all();
}

void SurveyWindow::set_prompter(core::Prompter* prompter) {
  prompter_ = prompter ? prompter : &qt_prompter_;
  if (training_page_ != nullptr) training_page_->set_prompter(prompter_);
  if (death_rates_page_ != nullptr) death_rates_page_->set_prompter(prompter_);
  if (food_security_page_ != nullptr) food_security_page_->set_prompter(prompter_);
  reset_entry();  // the controller asks through the prompter it was given
}

entry::EntrySettings SurveyWindow::entry_settings() const {
  entry::EntrySettings settings;
  settings.reference = app_.settings.reference == core::kReferenceNchs ? anthro::Reference::nchs1977
                                                                       : anthro::Reference::who2006;
  settings.oedema_correction = options_.oedema_correction;
  settings.flags = options_.flags;
  return settings;
}

void SurveyWindow::reset_entry() {
  entry_.reset();
  const entry::EntryEnvironment environment{*app_.text, *app_.who, app_.dates, app_.today.year};
  entry_ = std::make_unique<entry::DataEntryController>(workspace_, environment, *prompter_,
                                                        entry_settings());
  if (survey_model_ != nullptr) survey_model_->reload();
  refresh_result_panel();  // its caption and the child under the cursor, before any click
}

void SurveyWindow::run_entry(
    const std::function<entry::EntryUpdate(entry::DataEntryController&)>& command) {
  if (!entry_) return;
  show_entry_update(command(*entry_));
}

void SurveyWindow::show_entry_update(const entry::EntryUpdate& update) {
  if (update.whole_table || update.columns_changed) {
    survey_model_->reload();
    apply_hidden_columns();
  } else {
    for (const int row : update.rows) survey_model_->repaint_row(row);
  }
  move_cursor_to(update.current.column, update.current.row);
  refresh_caption();
  refresh_result_panel();
}

void SurveyWindow::move_cursor_to(int column, int row) {
  const QModelIndex target = survey_model_->index(row - 1, column - 1);
  if (!target.isValid()) return;
  if (data_view_->currentIndex() != target) data_view_->setCurrentIndex(target);
  data_view_->scrollTo(target);
}

void SurveyWindow::refresh_result_panel() {
  if (!entry_ || result_panel_ == nullptr) return;
  entry::EntryUpdate update;
  const entry::ResultPanel panel = entry_->result_panel(&update);
  for (const int row : update.rows) survey_model_->repaint_row(row);
  const QString caption =
      to_qstring(text(panel.caption_start.number) + " " + text(panel.caption_reference.number));
  // The first two bars are named after their index; the third by the label the panel names.
  result_panel_->show_panel(
      panel, caption,
      {tr("Weight-for-age"), tr("Height-for-age"), to_qstring(text(panel.third_label.number))});
}

void SurveyWindow::paste_clipboard() {
  const std::string clipboard = from_qstring(QGuiApplication::clipboard()->text());
  run_entry([&clipboard](entry::DataEntryController& entry) { return entry.paste(clipboard); });
}

std::pair<entry::CellPosition, entry::CellPosition> SurveyWindow::selected_block() const {
  const QModelIndex current = data_view_->currentIndex();
  int top = current.row(), bottom = current.row(), left = current.column(),
      right = current.column();
  const QItemSelection selection = data_view_->selectionModel()->selection();
  if (!selection.isEmpty()) {
    top = left = std::numeric_limits<int>::max();
    bottom = right = -1;
    for (const QItemSelectionRange& range : selection) {
      top = std::min(top, range.top());
      bottom = std::max(bottom, range.bottom());
      left = std::min(left, range.left());
      right = std::max(right, range.right());
    }
  }
  const auto cell = [](int model_column, int model_row) {
    return entry::CellPosition{model_column + 1, model_row + 1};  // the grid hides column and row 0
  };
  return {cell(left, top), cell(right, bottom)};
}

std::optional<std::pair<int, int>> SurveyWindow::selected_rows() const {
  const QItemSelection selection = data_view_->selectionModel()->selection();
  if (selection.isEmpty()) return std::nullopt;
  const QItemSelectionRange& range = selection.first();
  if (range.top() == range.bottom()) return std::nullopt;  // one row: the current row
  return std::make_pair(range.top() + 1, range.bottom() + 1);
}

SurveyWindow::~SurveyWindow() {
  // The views read the Workspace and the controller while they are hidden and destroyed; both
  // are members, gone before the QWidget base destroys its children, so the pages go first.
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

  page_widgets_[2] = build_data_entry_page();
  page_widgets_[3] = build_results_page();

  death_rates_page_ = new DeathRatesPage(workspace_, app_);
  death_rates_page_->set_prompter(prompter_);
  death_rates_page_->set_editor(
      [this]() -> document::ReportEditorOpener& { return report_editor(); });
  death_rates_page_->on_changed = [this] { mark_changed(); };
  page_widgets_[4] = death_rates_page_;

  food_security_page_ = new FoodSecurityPage(app_);
  food_security_page_->set_prompter(prompter_);
  food_security_page_->set_editor(
      [this]() -> document::ReportEditorOpener& { return report_editor(); });
  page_widgets_[5] = food_security_page_;

  options_widget_ = new OptionsPageWidget(options_, *app_.text, this);
  connect(options_widget_, &OptionsPageWidget::save_clicked, this, [this] { save_options(); });
  connect(options_widget_, &OptionsPageWidget::reset_clicked, this, [this] {
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
    if (entry_) entry_->set_settings(entry_settings());
    mark_changed();
  });
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
  pages_->setCurrentIndex(page_index(workspace::SurveyPage::data_entry));
  current_page_ = pages_->currentIndex();
  connect(pages_, &QTabWidget::currentChanged, this, &SurveyWindow::page_changed);
}

QWidget* SurveyWindow::grid_page(core::TextGrid& grid, bool headings_in_row0) {
  auto* model = new TextGridModel(grid, headings_in_row0, true, this);
  model->on_written = [this](int, int) { mark_changed(); };
  grid_models_.push_back(model);
  QTableView* view = new_grid_view(model);
  view->horizontalHeader()->setDefaultSectionSize(86);  // room for a whole date
  return view;
}

QWidget* SurveyWindow::build_data_entry_page() {
  survey_model_ = new SurveyTableModel(
      workspace_,
      [this](core::Workspace& workspace, int column, int row, const std::string& value) {
        if (!entry_) {
          workspace.survey.set_cell(column, row, value);
          evaluate_row(workspace, row);
          return true;
        }
        // The model repaints the edited row itself; the cursor stays with the editor.
        for (const int changed : entry_->edit_cell({column, row}, value).rows) {
          if (changed != row) survey_model_->repaint_row(changed);
        }
        return true;
      },
      this);
  survey_model_->is_marked = [this](int column, int row) {
    return entry_ && entry_->is_marked(column, row);
  };
  connect(survey_model_, &SurveyTableModel::cell_written, this, [this] {
    mark_changed();
    refresh_result_panel();
  });
  data_view_ = new_grid_view(survey_model_);
  data_view_->setObjectName(QStringLiteral("PG"));
  auto* delegate = new EntryCellDelegate(data_view_);
  delegate->on_character = [this](char key) {
    return entry_ ? entry_->type_character(key).text : std::string(1, key);
  };
  delegate->on_enter = [this] { run_entry([](auto& entry) { return entry.enter(); }); };
  delegate->pull_down = [this](int column) {
    EntryCellDelegate::PullDown editor;
    if (!options_.pull_down_entry || !entry_) return editor;
    editor.choices = entry::pull_down_choices(column, entry_->typing_rules());
    editor.date_picker = entry::uses_date_picker(column);
    if (column == core::column(core::StdVar::sex)) editor.pick_from_key = entry::sex_pick_from_key;
    return editor;
  };
  delegate->on_pull_down_opened = [this] {
    if (entry_) entry_->mark_changed();
    mark_changed();  // the caption shows the change too
  };
  delegate->dates = app_.dates;
  delegate->today = {app_.today.year, app_.today.month, app_.today.day};
  data_view_->setItemDelegate(delegate);
  data_view_->installEventFilter(this);
  connect(data_view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (!current.isValid() || !entry_) return;
            const entry::CellPosition cell{SurveyTableModel::table_column(current),
                                           SurveyTableModel::table_row(current)};
            if (entry_->current() == cell) {
              refresh_result_panel();
              return;
            }
            show_entry_update(entry_->select_cell(cell));
          });
  result_panel_ = new ResultPanelWidget;
  auto* data_page = new QWidget;
  auto* data_layout = new QHBoxLayout(data_page);
  data_layout->setContentsMargins(0, 0, 0, 0);
  data_layout->addWidget(data_view_, 1);
  data_layout->addWidget(result_panel_, 0);

  variables_model_ = new TextGridModel(workspace_.variables, true, true, this);
  variables_model_->on_written = [this](int column, int row) {
    if (column == 1) core::complete_type_entry(workspace_, row);
    mark_changed();
  };
  variable_view_ = new_grid_view(variables_model_);
  variable_view_->setObjectName(QStringLiteral("vsg"));
  variable_view_->setColumnWidth(0, 100);
  variable_view_->setColumnWidth(1, 100);
  variable_view_->setColumnWidth(3, 250);

  data_entry_tabs_ = new QTabWidget;
  data_entry_tabs_->setTabPosition(QTabWidget::South);
  data_entry_tabs_->addTab(data_page, tr("Data View"));
  data_entry_tabs_->addTab(variable_view_, tr("Variable View"));
  connect(data_entry_tabs_, &QTabWidget::currentChanged, this,
          &SurveyWindow::data_entry_tab_changed);
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(build_entry_commands());
  disclaimer_ = new QLabel(
      tr("The WHO z-scores are computed from the tables of the WHO Child Growth Standards (2006) "
         "as the World Health Organization publishes them. WHO has not checked this program and is "
         "not responsible for its results; the standards and their terms of use are WHO's."));
  disclaimer_->setObjectName(QStringLiteral("DisclaimerText"));
  disclaimer_->setWordWrap(true);
  disclaimer_->hide();
  layout->addWidget(disclaimer_);
  layout->addWidget(data_entry_tabs_, 1);
  return page;
}

QWidget* SurveyWindow::build_entry_commands() {
  auto* bar = new QToolBar;
  const auto add = [this, bar](const char* name, const QString& caption,
                               entry::EntryUpdate (entry::DataEntryController::*command)()) {
    QAction* action = bar->addAction(caption, this, [this, command] {
      run_entry([command](entry::DataEntryController& entry) { return (entry.*command)(); });
    });
    action->setObjectName(QString::fromLatin1(name));
  };
  add("NewData", tr("&New"), &entry::DataEntryController::new_row);
  add("InsertRow", tr("&Insert"), &entry::DataEntryController::insert_row);
  QAction* remove = bar->addAction(tr("&Delete"), this, [this] {
    const std::optional<std::pair<int, int>> rows = selected_rows();
    run_entry([rows](entry::DataEntryController& entry) { return entry.delete_rows(rows); });
  });
  remove->setObjectName(QStringLiteral("deleteb"));
  bar->addSeparator();
  add("AddVariable", tr("Add variable"), &entry::DataEntryController::add_variable);
  add("DeleteVariable", tr("Delete variable"), &entry::DataEntryController::delete_variable);
  bar->addSeparator();
  add("Button6", QStringLiteral("<<"), &entry::DataEntryController::go_first);
  add("Button8", QStringLiteral(">>"), &entry::DataEntryController::go_last);
  add("Button3", QStringLiteral("ID"), &entry::DataEntryController::go_to_id);
  bar->addSeparator();
  QAction* paste = bar->addAction(tr("Paste"), this, [this] { paste_clipboard(); });
  paste->setObjectName(QStringLiteral("Apaste"));
  bar->addSeparator();
  QAction* plausibility =
      bar->addAction(tr("Plausibility report"), this, [this] { run_plausibility_check(); });
  plausibility->setObjectName(QStringLiteral("PlausibilityReport"));
  bar->addSeparator();
  entry_who_button_ = new QRadioButton(to_qstring(text(964)));
  entry_who_button_->setObjectName(QStringLiteral("WHO_button"));
  entry_nchs_button_ = new QRadioButton(to_qstring(text(963)));
  entry_nchs_button_->setObjectName(QStringLiteral("NCHS_button"));
  connect(entry_who_button_, &QRadioButton::clicked, this,
          [this] { choose_reference(core::kReferenceWho); });
  connect(entry_nchs_button_, &QRadioButton::clicked, this,
          [this] { choose_reference(core::kReferenceNchs); });
  bar->addWidget(entry_who_button_);
  bar->addWidget(entry_nchs_button_);
  disclaimer_button_ = new QPushButton(tr("Disclaimer"));
  disclaimer_button_->setObjectName(QStringLiteral("Disclaimer"));
  connect(disclaimer_button_, &QPushButton::clicked, this,
          [this] { disclaimer_->setVisible(!disclaimer_->isVisible()); });
  bar->addWidget(disclaimer_button_);
  return bar;
}

void SurveyWindow::choose_reference(char code) {
  if (app_.settings.reference != code) {
    app_.settings.reference = code;
    // The z-score columns always hold the indices of the selected reference.
    if (entry_) {
      entry_->set_settings(entry_settings());
      show_entry_update(entry_->evaluate_all());
    } else {
      evaluate_all();
      survey_model_->reload();
    }
  }
  show_reference();
}

void SurveyWindow::show_reference() {
  const bool who = app_.settings.reference != core::kReferenceNchs;
  for (QRadioButton* button : {who_button_, entry_who_button_}) button->setChecked(who);
  for (QRadioButton* button : {nchs_button_, entry_nchs_button_}) button->setChecked(!who);
  disclaimer_button_->setVisible(who);
  if (!who) disclaimer_->hide();
}

QWidget* SurveyWindow::build_results_page() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* reference = new QGroupBox(tr("Reference"));
  auto* reference_layout = new QVBoxLayout(reference);
  who_button_ = new QRadioButton(to_qstring(text(964)));
  who_button_->setObjectName(QStringLiteral("WHO_Button3"));
  nchs_button_ = new QRadioButton(to_qstring(text(963)));
  nchs_button_->setObjectName(QStringLiteral("NCHS_Button3"));
  reference_layout->addWidget(who_button_);
  reference_layout->addWidget(nchs_button_);
  connect(who_button_, &QRadioButton::clicked, this,
          [this] { choose_reference(core::kReferenceWho); });
  connect(nchs_button_, &QRadioButton::clicked, this,
          [this] { choose_reference(core::kReferenceNchs); });
  layout->addWidget(reference);
  layout->addWidget(
      new QLabel(tr("The results summaries and graphs are not available in this "
                    "version.")));
  layout->addStretch(1);
  return page;
}

void SurveyWindow::build_menus() {
  files_menu_ = menuBar()->addMenu(tr("&Files"));
  QAction* new_action = files_menu_->addAction(tr("&New"), this, [this] { new_survey(); });
  QAction* open_action = files_menu_->addAction(tr("&Open"), this, [this] { open_with_dialog(); });
  open_action->setObjectName(QStringLiteral("open_action"));
  save_action_ = files_menu_->addAction(tr("&Save"), this, [this] { save_survey(); });
  files_menu_->addAction(tr("Save &as"), this, [this] { save_survey_as(); });
  files_menu_->addAction(tr("Import EPI Info File"), this, [this] { import_survey(); })
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
    run_entry([](entry::DataEntryController& entry) { return entry.undo(); });
  });
  undo_action->setObjectName(QStringLiteral("Undo"));
  undo_action->setShortcut(QKeySequence::Undo);
  QAction* redo_action = edit_menu->addAction(tr("&Redo"), this, [this] {
    run_entry([](entry::DataEntryController& entry) { return entry.redo(); });
  });
  redo_action->setObjectName(QStringLiteral("Redo"));
  redo_action->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence::Redo});

  extras_menu_ = menuBar()->addMenu(tr("E&xtras"));
  extras_menu_->addAction(to_qstring(workspace::kLanguageSelectionCaption), this, [this] {
    QStringList files;
    for (const std::string& file : workspace::language_files(app_.folders))
      files << to_qstring(file);
    std::optional<std::string> selected;
    if (!files.isEmpty()) {
      bool ok = false;
      const QString choice = QInputDialog::getItem(
          this, to_qstring(workspace::kLanguageSelectionCaption),
          to_qstring(workspace::kLanguageSelectionPrompt) + QLatin1Char('\n') +
              to_qstring(workspace::kLanguageSelectionHint),
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
    if (entry_) entry_->check_all();
    survey_model_->reload();
    apply_hidden_columns();
  });

  // Each use opens a calculator window of its own; it closes with the survey window.
  QAction* plausibility_check = extras_menu_->addAction(tr("Plausibility Check Anthropometry"),
                                                        this, [this] { run_plausibility_check(); });
  plausibility_check->setObjectName(QStringLiteral("PlausibilityCheck1"));
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
  QMenu* forms = extras_menu_->addMenu(tr("Other forms and sheets"));
  for (const calculator::FormOrSheet& entry : calculator::forms_and_sheets()) {
    forms->addAction(to_qstring(entry.caption), this, [this, &entry] {
      platform::SpawnProcessLauncher launcher;
      std::error_code ec;
      calculator::open_form_or_sheet(entry, document::output_settings_of(app_.settings),
                                     std::filesystem::current_path(ec), launcher, *prompter_);
    });
  }

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
      }};
  try {
    const reports::PlausibilityReport report = reports::Plausibility(workspace_, context);
    refresh_caption();
    hand_off(report.document, false);
  } catch (const std::exception& error) {
    refresh_caption();
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

void SurveyWindow::apply_hidden_columns() {
  // A model reset gives every column the default width again. Each standard column is as wide
  // as its longest usual text and its heading ("11.03.2006" whole, codes of a few characters),
  // so that at 1366 x 768 the WAZ, HAZ and WHZ columns stand beside the result panel.
  using core::StdVar;
  const std::pair<StdVar, int> widths[] = {
      {StdVar::survdate, 84}, {StdVar::cluster, 60}, {StdVar::team, 46},     {StdVar::id, 46},
      {StdVar::hh, 40},       {StdVar::sex, 36},     {StdVar::birthdat, 84}, {StdVar::months, 56},
      {StdVar::weight, 60},   {StdVar::height, 56},  {StdVar::edema, 52},    {StdVar::muac, 46},
      {StdVar::waz, 52},      {StdVar::haz, 52},     {StdVar::whz, 52}};
  for (const auto& [variable, width] : widths) {
    data_view_->setColumnWidth(core::column(variable) - 1, width);
  }
  for (int column = 1; column < workspace_.survey.column_count(); ++column) {
    data_view_->setColumnHidden(column - 1, core::is_column_hidden(workspace_, column));
  }
}

void SurveyWindow::reload_all() {
  survey_model_->reload();
  variables_model_->reload();
  for (TextGridModel* model : grid_models_) model->reload();
  training_page_->reload();
  planning_widget_->load();
  death_rates_page_->reload();
  apply_hidden_columns();
  show_reference();
  refresh_caption();
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
  reset_entry();
  reload_all();
  // A new survey starts at its first row, with nothing of the previous child in the panel.
  data_view_->scrollToTop();
  move_cursor_to(1, 1);
  refresh_result_panel();
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
  reset_entry();  // every mark of the read file computed
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

void SurveyWindow::import_survey() {
  pages_->setCurrentIndex(page_index(workspace::SurveyPage::data_entry));
  if (!ask_to_save_changes()) return;
  workspace_.options = workspace::survey_options_of(options_);
  ImportWindow::Services services{
      app_, *prompter_, workspace_,
      [this](const core::Workspace& w) { return evaluation_settings(w); },
      [this](core::Workspace imported) {
        workspace_ = std::move(imported);
        reset_entry();
        reload_all();
        activate();
      }};
  ImportWindow::start(std::move(services), this);
  qt_prompter_.set_start_folder(to_qstring(app_.settings.last_folder));  // the data folder
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

void SurveyWindow::page_changed(int index) {
  // Leaving the Options page saves it: the analysis reads the options from there.
  if (current_page_ == page_index(workspace::SurveyPage::options) && index != current_page_) {
    save_options();
  }
  if (index == page_index(workspace::SurveyPage::planning)) planning_widget_->shown();
  if (index == page_index(workspace::SurveyPage::options)) {
    core::enter_options_page(options_, app_.settings, inputs_.search);
    options_widget_->load();
  }
  if (index == page_index(workspace::SurveyPage::data_entry) && index != current_page_) {
    apply_hidden_columns();
    if (entry_) show_entry_update(entry_->check_all());
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
  if (entry_) {
    entry_->set_settings(entry_settings());
    entry_->check_all();
  }
  survey_model_->reload();
  apply_hidden_columns();
  if (outcome.save_survey) save_survey();
}

void SurveyWindow::data_entry_tab_changed(int index) {
  if (index == 1) {
    std::array<std::string, core::kVariableViewColumns> headings;
    for (int k = 0; k < core::kVariableViewColumns; ++k) headings[k] = text(935 + k);
    core::enter_variable_view(workspace_, headings);
    variables_model_->reload();
  } else if (current_data_tab_ == 1) {
    core::leave_variable_view(workspace_, *prompter_);
    survey_model_->reload();
    apply_hidden_columns();
    if (entry_) show_entry_update(entry_->check_all());
  }
  current_data_tab_ = index;
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
  if (mode.show_page) pages_->setCurrentIndex(page_index(*mode.show_page));
}

void SurveyWindow::activate() {
  core::refresh_headers_on_activation(workspace_);
  survey_model_->headerDataChanged(Qt::Horizontal, 0, survey_model_->columnCount() - 1);
  refresh_caption();
  show_reference();
  const workspace::WindowMode mode =
      workspace::window_mode_at_activation(app_.command_line.mode_word, first_activation_);
  first_activation_ = false;
  if (mode != workspace::WindowMode{}) apply_mode(mode);
  apply_hidden_columns();
}

bool SurveyWindow::eventFilter(QObject* watched, QEvent* event) {
  // Enter, Tab and the right arrow on the grid outside an editor move on as after typing (with
  // the skips and the new row of the page); in an editor the cell delegate does it once the
  // cell is written.
  if (watched == data_view_ && event->type() == QEvent::KeyPress && entry_ &&
      data_view_->indexWidget(data_view_->currentIndex()) == nullptr) {
    const auto* key_event = static_cast<const QKeyEvent*>(event);
    const int key = key_event->key();
    const bool plain =
        key_event->modifiers() == Qt::NoModifier || key_event->modifiers() == Qt::KeypadModifier;
    // The keys of a spreadsheet: copy and paste the block, Delete and Backspace empty it.
    if (key_event->matches(QKeySequence::Copy)) {
      const auto [from, to] = selected_block();
      QGuiApplication::clipboard()->setText(to_qstring(entry_->copy_cells(from, to)));
      return true;
    }
    if (key_event->matches(QKeySequence::Paste)) {
      paste_clipboard();
      return true;
    }
    // Undo and redo as the Edit menu's keys do, also where the menu's shortcuts do not reach.
    if (key_event->matches(QKeySequence::Undo)) {
      run_entry([](entry::DataEntryController& entry) { return entry.undo(); });
      return true;
    }
    if (key_event->matches(QKeySequence::Redo) ||
        (key == Qt::Key_Y && key_event->modifiers() == Qt::ControlModifier)) {
      run_entry([](entry::DataEntryController& entry) { return entry.redo(); });
      return true;
    }
    if (plain && (key == Qt::Key_Delete || key == Qt::Key_Backspace)) {
      const auto [from, to] = selected_block();
      run_entry(
          [from, to](entry::DataEntryController& entry) { return entry.clear_cells(from, to); });
      return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter ||
        (plain && (key == Qt::Key_Tab || key == Qt::Key_Right))) {
      run_entry([](entry::DataEntryController& entry) { return entry.enter(); });
      return true;
    }
  }
  // Releasing Delete on the grid counts as a change, as it does in the data entry of old.
  if (watched == data_view_ && event->type() == QEvent::KeyRelease && entry_ &&
      static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    entry_->mark_changed();
    refresh_caption();
  }
  return QMainWindow::eventFilter(watched, event);
}

void SurveyWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) activate();
  QMainWindow::changeEvent(event);
}

void SurveyWindow::closeEvent(QCloseEvent* event) {
  if (current_page_ == page_index(workspace::SurveyPage::options)) save_options();
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
