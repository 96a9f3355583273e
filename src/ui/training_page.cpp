#include "ui/training_page.h"

#include <QAbstractTableModel>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "document/output_settings_record.h"
#include "platform/environment.h"
#include "training/categorical_agreement.h"
#include "training/standardisation.h"
#include "training/training_grid.h"
#include "ui/qt_convert.h"

namespace olvar::ui {

// One training grid: its two heading rows become the column headings ("Supervisor" over
// "Weight1"), the child numbers of column 0 the row headings; the view shows children 1 to 100.
class TrainingGridModel : public QAbstractTableModel {
 public:
  TrainingGridModel(core::TextGrid& grid, QObject* parent)
      : QAbstractTableModel(parent), grid_(grid) {}

  static int grid_column(const QModelIndex& index) { return index.column() + 1; }
  static int grid_row(const QModelIndex& index) { return index.row() + training::kFirstChildRow; }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : std::max(0, grid_.row_count() - training::kFirstChildRow);
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : std::max(0, grid_.column_count() - 1);
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return to_qstring(std::string(grid_.cell(grid_column(index), grid_row(index))));
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) {
      return to_qstring(std::string(grid_.cell(0, section + training::kFirstChildRow)));
    }
    // The observer's name stands in row 0 over the first column of his group.
    int column = section + 1;
    while (column > 1 && grid_.cell(column, 0).empty()) --column;
    std::string heading(grid_.cell(column, 0));
    const std::string_view measurement = grid_.cell(section + 1, 1);
    if (!measurement.empty()) heading += "\n" + std::string(measurement);
    return to_qstring(heading);
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
  }
  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (role != Qt::EditRole || !index.isValid()) return false;
    grid_.set_cell(grid_column(index), grid_row(index), from_qstring(value.toString()));
    emit dataChanged(index, index);
    if (on_written) on_written();
    return true;
  }
  void reload() {
    beginResetModel();
    endResetModel();
  }

  std::function<void()> on_written;

 private:
  core::TextGrid& grid_;
};

namespace {

QTableView* new_training_view(TrainingGridModel* model, int column_width) {
  auto* view = new QTableView;
  view->setModel(model);
  view->verticalHeader()->setDefaultSectionSize(22);
  view->horizontalHeader()->setDefaultSectionSize(column_width);
  view->setSelectionMode(QAbstractItemView::ContiguousSelection);
  view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed);
  return view;
}

QWidget* button_row(std::initializer_list<QPushButton*> buttons) {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  for (QPushButton* button : buttons) layout->addWidget(button);
  layout->addStretch();
  return row;
}

}  // namespace

TrainingPage::TrainingPage(core::Workspace& workspace, workspace::AppContext& app, QWidget* parent)
    : QWidget(parent), workspace_(workspace), app_(app) {
  continuous_model_ = new TrainingGridModel(workspace_.training_continuous, this);
  categorical_model_ = new TrainingGridModel(workspace_.training_categorical, this);
  continuous_model_->on_written = [this] { changed(); };
  categorical_model_->on_written = [this] { changed(); };
  continuous_view_ = new_training_view(continuous_model_, 64);
  continuous_view_->setObjectName(QStringLiteral("TPG_anthro"));
  categorical_view_ = new_training_view(categorical_model_, 70);
  categorical_view_->setObjectName(QStringLiteral("TPG_categories"));

  auto* paste = new QPushButton(tr("Paste from clipboard"));
  auto* transfer = new QPushButton(tr("Transfer data to spreadsheet"));
  connect(paste, &QPushButton::clicked, this, &TrainingPage::paste_from_clipboard);
  connect(transfer, &QPushButton::clicked, this, &TrainingPage::transfer_to_spreadsheet);

  auto* new_report_button = new QPushButton(tr("New Report"));
  auto* previous_button = new QPushButton(tr("Report from previous Olvar versions"));
  auto* replace_button =
      new QPushButton(tr("Replace supervisor values with mean from enumerators"));
  connect(new_report_button, &QPushButton::clicked, this, &TrainingPage::new_report);
  connect(previous_button, &QPushButton::clicked, this, &TrainingPage::previous_report);
  connect(replace_button, &QPushButton::clicked, this, &TrainingPage::replace_supervisor_values);
  auto* continuous = new QWidget;
  auto* continuous_layout = new QVBoxLayout(continuous);
  continuous_layout->addWidget(continuous_view_);
  continuous_layout->addWidget(button_row({new_report_button, previous_button, replace_button}));

  auto* report_button = new QPushButton(tr("Report"));
  connect(report_button, &QPushButton::clicked, this, &TrainingPage::categorical_report);
  auto* categorical = new QWidget;
  auto* categorical_layout = new QVBoxLayout(categorical);
  categorical_layout->addWidget(categorical_view_);
  categorical_layout->addWidget(button_row({report_button}));

  continuous_view_->installEventFilter(this);
  categorical_view_->installEventFilter(this);

  sub_pages_ = new QTabWidget;
  sub_pages_->addTab(continuous, tr("Numeric continuous data"));
  sub_pages_->addTab(categorical, tr("Categorical data"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(button_row({paste, transfer}));
  layout->addWidget(sub_pages_);
  reload();
}

TrainingPage::~TrainingPage() = default;

void TrainingPage::set_launcher(platform::ProcessLauncher* launcher) {
  launcher_ = launcher != nullptr ? launcher : &spawn_launcher_;
}

void TrainingPage::reload() {
  if (app_.text != nullptr) {
    training::write_continuous_headings(workspace_.training_continuous, *app_.text);
    training::write_categorical_headings(workspace_.training_categorical, *app_.text);
  }
  continuous_model_->reload();
  categorical_model_->reload();
  // Whole headings: "Enumerator 20" is wider than the usual cell.
  for (QTableView* view : {continuous_view_, categorical_view_}) {
    view->resizeColumnsToContents();
    const int minimum = view->horizontalHeader()->defaultSectionSize();
    for (int column = 0; column < view->model()->columnCount(); ++column) {
      if (view->columnWidth(column) < minimum) view->setColumnWidth(column, minimum);
    }
  }
}

void TrainingPage::showEvent(QShowEvent* event) {
  // The headings are written each time the page is shown.
  reload();
  QWidget::showEvent(event);
}

bool TrainingPage::eventFilter(QObject* watched, QEvent* event) {
  // Delete empties the selected cells, a change of the survey like any other key.
  auto* view = qobject_cast<QTableView*>(watched);
  if (view != nullptr && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    // While a cell is being edited the keys go to its editor, not to the view.
    const QModelIndexList selected = view->selectionModel()->selectedIndexes();
    for (const QModelIndex& index : selected) {
      view->model()->setData(index, QString(), Qt::EditRole);
    }
    return !selected.isEmpty();
  }
  return QWidget::eventFilter(watched, event);
}

bool TrainingPage::categorical_shown() const { return sub_pages_->currentIndex() == 1; }

void TrainingPage::changed() {
  if (on_changed) on_changed();
}

void TrainingPage::hand_off(std::string text, Document kind, std::string_view name) {
  if (prompter_ == nullptr || !editor_) return;
  document::OutputFolders folders =
      document::output_folders(app_.folders.program, platform::process_environment());
  folders.writable_folder = app_.folders.writable;
  if (!app_.output_folder.empty()) folders.report_folder = app_.output_folder;
  shelf.name(folders, name);
  document::HandOffServices services{
      *launcher_, *prompter_, editor_(),
      [this](int entry) { return app_.text != nullptr ? app_.text->text(entry) : std::string(); }};
  const document::DocumentBuffer buffer(std::move(text));
  const document::OutputSettings settings = document::output_settings_of(app_.settings);
  try {
    last_hand_off_ = kind == Document::rtf
                         ? document::WriteReportDocument(buffer, settings, folders, services)
                         : document::HandToSpreadsheet(buffer, settings, folders, services);
    shelf.tell(*last_hand_off_);
  } catch (const std::exception& error) {
    prompter_->inform(error.what());
  }
}

void TrainingPage::new_report() {
  reload();
  hand_off(training::new_report_text(workspace_.training_continuous, app_.dates.decimal_separator),
           Document::table, "standardisation test");
}

void TrainingPage::previous_report() {
  reload();
  hand_off(training::previous_report_text(workspace_.training_continuous, *app_.text,
                                          app_.dates.decimal_separator),
           Document::rtf, "previous versions");
}

void TrainingPage::replace_supervisor_values() {
  if (prompter_ == nullptr) return;
  if (!prompter_->ask_yes_no(app_.text->text(training::kReplaceSupervisorQuestion))) return;
  training::replace_supervisor_values(workspace_.training_continuous, app_.dates.decimal_separator);
  continuous_model_->reload();
  changed();
}

void TrainingPage::categorical_report() {
  if (prompter_ == nullptr) return;
  reload();
  training::CategoryReport report =
      training::categorical_report(workspace_.training_categorical, *app_.text);
  if (report.too_many_categories) {
    prompter_->inform(app_.text->text(training::kTooManyCategories));
    return;
  }
  hand_off(std::move(report.text), Document::rtf, "agreement on categories");
}

void TrainingPage::paste_from_clipboard() {
  if (prompter_ == nullptr) return;
  if (!prompter_->ask_yes_no(app_.text->text(training::kPasteQuestion))) return;
  QTableView* view = categorical_shown() ? categorical_view_ : continuous_view_;
  core::TextGrid& grid =
      categorical_shown() ? workspace_.training_categorical : workspace_.training_continuous;
  const QModelIndex current = view->currentIndex();
  const int column = current.isValid() ? TrainingGridModel::grid_column(current) : 1;
  const int row =
      current.isValid() ? TrainingGridModel::grid_row(current) : training::kFirstChildRow;
  const std::string text = from_qstring(QGuiApplication::clipboard()->text());
  if (training::paste_text(grid, column, row, text)) {
    (categorical_shown() ? categorical_model_ : continuous_model_)->reload();
    view->setCurrentIndex(current);
    changed();
  }
}

void TrainingPage::transfer_to_spreadsheet() {
  reload();
  hand_off(training::transfer_text(categorical_shown() ? workspace_.training_categorical
                                                       : workspace_.training_continuous),
           Document::table, "training table");
}

}  // namespace olvar::ui
