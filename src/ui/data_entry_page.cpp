#include "ui/data_entry_page.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <limits>

#include "core/hidden_columns.h"
#include "core/standard_variables.h"
#include "core/variable_view_upkeep.h"
#include "entry/data_entry_controller.h"
#include "ui/entry_cell_delegate.h"
#include "ui/grid_models.h"
#include "ui/growth_chart_widget.h"
#include "ui/qt_convert.h"
#include "ui/qt_prompter.h"
#include "ui/result_panel_widget.h"

namespace olvar::ui {

namespace {

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

DataEntryPage::DataEntryPage(core::Workspace& workspace, workspace::AppContext& app,
                             const core::OptionsPage& options, core::Prompter* prompter,
                             Services services, QWidget* parent)
    : QWidget(parent),
      workspace_(workspace),
      app_(app),
      options_(options),
      prompter_(prompter),
      services_(std::move(services)) {
  survey_model_ = new SurveyTableModel(
      workspace_,
      [this](core::Workspace& workspace, int column, int row, const std::string& value) {
        if (!entry_) {
          workspace.survey.set_cell(column, row, value);
          if (row >= 1 && services_.evaluate_row) services_.evaluate_row(workspace, row);
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
  survey_model_->skipped_column = [this] { return entry_ ? entry_->skipped_column() : 0; };
  survey_model_->skipped_reason = [this] {
    return entry_ ? to_qstring(entry_->skipped_column_reason()) : QString();
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
  delegate->on_enter = [this] { run([](auto& entry) { return entry.enter(); }); };
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
  result_panel_ = new ResultPanelWidget;
  auto* data_page = new QWidget;
  auto* data_layout = new QHBoxLayout(data_page);
  data_layout->setContentsMargins(0, 0, 0, 0);
  auto* grid_column = new QVBoxLayout;
  grid_column->addWidget(data_view_, 1);
  skip_note_ = new QLabel;
  skip_note_->setObjectName(QStringLiteral("skip_note"));
  skip_note_->setWordWrap(true);
  skip_note_->hide();
  grid_column->addWidget(skip_note_);
  data_layout->addLayout(grid_column, 1);
  auto* side = new QVBoxLayout;
  side->addWidget(result_panel_);
  growth_chart_ = new GrowthChartWidget(*app_.who, *app_.text);
  side->addWidget(growth_chart_);
  data_layout->addLayout(side, 0);
  connect(data_view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (!current.isValid() || !entry_) return;
            const entry::CellPosition cell{SurveyTableModel::table_column(current),
                                           SurveyTableModel::table_row(current)};
            show_skip_note(cell.column);
            if (entry_->current() == cell) {
              refresh_result_panel();
              return;
            }
            show_entry_update(entry_->select_cell(cell));
          });

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

  tabs_ = new QTabWidget;
  tabs_->setTabPosition(QTabWidget::South);
  tabs_->addTab(data_page, tr("Data View"));
  tabs_->addTab(variable_view_, tr("Variable View"));
  connect(tabs_, &QTabWidget::currentChanged, this, &DataEntryPage::tab_changed);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(build_commands());
  disclaimer_ = new QLabel(
      tr("The WHO z-scores are computed from the tables of the WHO Child Growth Standards (2006) "
         "as the World Health Organization publishes them. WHO has not checked this program and is "
         "not responsible for its results; the standards and their terms of use are WHO's."));
  disclaimer_->setObjectName(QStringLiteral("DisclaimerText"));
  disclaimer_->setWordWrap(true);
  disclaimer_->hide();
  layout->addWidget(disclaimer_);
  layout->addWidget(tabs_, 1);
}

DataEntryPage::~DataEntryPage() {
  // The views read the controller while they are hidden and destroyed; the controller is a
  // member, gone before the QWidget base destroys its children, so the views go first.
  delete tabs_;
}

QWidget* DataEntryPage::build_commands() {
  auto* bar = new QToolBar;
  const auto add = [this, bar](const char* name, const QString& caption,
                               entry::EntryUpdate (entry::DataEntryController::*command)()) {
    QAction* action = bar->addAction(caption, this, [this, command] {
      run([command](entry::DataEntryController& entry) { return (entry.*command)(); });
    });
    action->setObjectName(QString::fromLatin1(name));
  };
  add("NewData", tr("&New"), &entry::DataEntryController::new_row);
  add("InsertRow", tr("&Insert"), &entry::DataEntryController::insert_row);
  QAction* remove = bar->addAction(tr("&Delete"), this, [this] {
    const std::optional<std::pair<int, int>> rows = selected_rows();
    run([rows](entry::DataEntryController& entry) { return entry.delete_rows(rows); });
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
  QAction* plausibility = bar->addAction(tr("Plausibility report"), this, [this] {
    if (services_.plausibility_report) services_.plausibility_report();
  });
  plausibility->setObjectName(QStringLiteral("PlausibilityReport"));
  bar->addSeparator();
  if (services_.add_tool_buttons) {
    services_.add_tool_buttons(bar);
    bar->addSeparator();
  }
  who_button_ = new QRadioButton(to_qstring(text(964)));
  who_button_->setObjectName(QStringLiteral("WHO_button"));
  nchs_button_ = new QRadioButton(to_qstring(text(963)));
  nchs_button_->setObjectName(QStringLiteral("NCHS_button"));
  const auto choose = [this](char reference) {
    if (services_.choose_reference) services_.choose_reference(reference);
  };
  connect(who_button_, &QRadioButton::clicked, this, [choose] { choose(core::kReferenceWho); });
  connect(nchs_button_, &QRadioButton::clicked, this, [choose] { choose(core::kReferenceNchs); });
  bar->addWidget(who_button_);
  bar->addWidget(nchs_button_);
  disclaimer_button_ = new QPushButton(tr("Disclaimer"));
  disclaimer_button_->setObjectName(QStringLiteral("Disclaimer"));
  connect(disclaimer_button_, &QPushButton::clicked, this,
          [this] { disclaimer_->setVisible(!disclaimer_->isVisible()); });
  bar->addWidget(disclaimer_button_);
  return bar;
}

std::string DataEntryPage::text(int entry) const {
  return app_.text != nullptr ? app_.text->text(entry) : std::string();
}

void DataEntryPage::set_prompter(core::Prompter* prompter) {
  prompter_ = prompter;
  reset_entry();  // the controller asks through the prompter it was given
}

entry::EntrySettings DataEntryPage::entry_settings() const {
  entry::EntrySettings settings;
  settings.reference = app_.settings.reference == core::kReferenceNchs ? anthro::Reference::nchs1977
                                                                       : anthro::Reference::who2006;
  settings.oedema_correction = options_.oedema_correction;
  settings.flags = options_.flags;
  return settings;
}

void DataEntryPage::reset_entry() {
  entry_.reset();
  const entry::EntryEnvironment environment{*app_.text, *app_.who, app_.dates, app_.today.year};
  entry_ = std::make_unique<entry::DataEntryController>(workspace_, environment, *prompter_,
                                                        entry_settings());
  // The window's own dialogs show a typing warning without taking the keys typed after it.
  if (auto* dialogs = dynamic_cast<QtPrompter*>(prompter_)) {
    entry_->set_typing_warning(
        [dialogs](const std::string& message) { dialogs->warn_while_typing(message); });
  }
  survey_model_->reload();
  refresh_result_panel();  // its caption and the child under the cursor, before any click
}

void DataEntryPage::apply_settings() {
  if (entry_) entry_->set_settings(entry_settings());
}

void DataEntryPage::run(
    const std::function<entry::EntryUpdate(entry::DataEntryController&)>& command) {
  if (!entry_) return;
  show_entry_update(command(*entry_));
}

void DataEntryPage::entered() {
  apply_hidden_columns();
  if (entry_) show_entry_update(entry_->check_all());
}

void DataEntryPage::check_all() {
  if (entry_) entry_->check_all();
  reload_survey();
}

void DataEntryPage::reload() {
  survey_model_->reload();
  variables_model_->reload();
  apply_hidden_columns();
}

void DataEntryPage::reload_survey() {
  survey_model_->reload();
  apply_hidden_columns();
}

void DataEntryPage::refresh_headings() {
  survey_model_->headerDataChanged(Qt::Horizontal, 0, survey_model_->columnCount() - 1);
}

void DataEntryPage::go_to_first_row() {
  data_view_->scrollToTop();
  move_cursor_to(1, 1);
  refresh_result_panel();
}

void DataEntryPage::show_entry_update(const entry::EntryUpdate& update) {
  if (update.whole_table || update.columns_changed) {
    survey_model_->reload();
    apply_hidden_columns();
  } else {
    for (const int row : update.rows) survey_model_->repaint_row(row);
  }
  move_cursor_to(update.current.column, update.current.row);
  if (services_.refresh_caption) services_.refresh_caption();
  refresh_result_panel();
}

void DataEntryPage::show_skip_note(int column) {
  if (!entry_ || column != entry_->skipped_column()) {
    skip_note_->hide();
    return;
  }
  const QString reason = to_qstring(entry_->skipped_column_reason());
  skip_note_->setText(reason);
  skip_note_->show();
  const QRect cell = data_view_->visualRect(data_view_->currentIndex());
  QToolTip::showText(data_view_->viewport()->mapToGlobal(cell.bottomLeft()), reason, data_view_);
}

void DataEntryPage::move_cursor_to(int column, int row) {
  const QModelIndex target = survey_model_->index(row - 1, column - 1);
  if (!target.isValid()) return;
  if (data_view_->currentIndex() != target) data_view_->setCurrentIndex(target);
  data_view_->scrollTo(target);
}

void DataEntryPage::refresh_result_panel() {
  if (!entry_ || result_panel_ == nullptr) return;
  entry::EntryUpdate update;
  const entry::ResultPanel panel = entry_->result_panel(&update);
  if (growth_chart_ != nullptr && services_.evaluation_settings) {
    growth_chart_->show_row(workspace_.survey, data_view_->currentIndex().row() + 1,
                            services_.evaluation_settings());
  }
  for (const int row : update.rows) survey_model_->repaint_row(row);
  const QString caption =
      to_qstring(text(panel.caption_start.number) + " " + text(panel.caption_reference.number));
  // The first two bars are named after their index; the third by the label the panel names.
  result_panel_->show_panel(
      panel, caption,
      {tr("Weight-for-age"), tr("Height-for-age"), to_qstring(text(panel.third_label.number))});
}

void DataEntryPage::mark_changed() {
  workspace_.changed = true;
  if (services_.refresh_caption) services_.refresh_caption();
}

void DataEntryPage::show_reference(bool who) {
  who_button_->setChecked(who);
  nchs_button_->setChecked(!who);
  disclaimer_button_->setVisible(who);
  if (!who) disclaimer_->hide();
}

void DataEntryPage::paste_clipboard() {
  const std::string clipboard = from_qstring(QGuiApplication::clipboard()->text());
  run([&clipboard](entry::DataEntryController& entry) { return entry.paste(clipboard); });
}

std::pair<entry::CellPosition, entry::CellPosition> DataEntryPage::selected_block() const {
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

std::optional<std::pair<int, int>> DataEntryPage::selected_rows() const {
  const QItemSelection selection = data_view_->selectionModel()->selection();
  if (selection.isEmpty()) return std::nullopt;
  const QItemSelectionRange& range = selection.first();
  if (range.top() == range.bottom()) return std::nullopt;  // one row: the current row
  return std::make_pair(range.top() + 1, range.bottom() + 1);
}

void DataEntryPage::apply_hidden_columns() {
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

void DataEntryPage::tab_changed(int index) {
  if (index == 1) {
    std::array<std::string, core::kVariableViewColumns> headings;
    for (int k = 0; k < core::kVariableViewColumns; ++k) headings[k] = text(935 + k);
    core::enter_variable_view(workspace_, headings);
    variables_model_->reload();
  } else if (current_tab_ == 1) {
    core::leave_variable_view(workspace_, *prompter_);
    survey_model_->reload();
    apply_hidden_columns();
    if (entry_) show_entry_update(entry_->check_all());
  }
  current_tab_ = index;
}

bool DataEntryPage::eventFilter(QObject* watched, QEvent* event) {
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
      run([](entry::DataEntryController& entry) { return entry.undo(); });
      return true;
    }
    if (key_event->matches(QKeySequence::Redo) ||
        (key == Qt::Key_Y && key_event->modifiers() == Qt::ControlModifier)) {
      run([](entry::DataEntryController& entry) { return entry.redo(); });
      return true;
    }
    if (plain && (key == Qt::Key_Delete || key == Qt::Key_Backspace)) {
      const auto [from, to] = selected_block();
      run([from, to](entry::DataEntryController& entry) { return entry.clear_cells(from, to); });
      return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter ||
        (plain && (key == Qt::Key_Tab || key == Qt::Key_Right))) {
      run([](entry::DataEntryController& entry) { return entry.enter(); });
      return true;
    }
  }
  // Releasing Delete on the grid counts as a change, as it does in the data entry of old.
  if (watched == data_view_ && event->type() == QEvent::KeyRelease && entry_ &&
      static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    entry_->mark_changed();
    if (services_.refresh_caption) services_.refresh_caption();
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace olvar::ui
