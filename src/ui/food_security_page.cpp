#include "ui/food_security_page.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/language_table.h"
#include "foodsecurity/data_check.h"
#include "foodsecurity/hea_file.h"
#include "foodsecurity/hea_pages.h"
#include "platform/environment.h"
#include "platform/safe_write.h"
#include "document/output_settings_record.h"
#include "ui/column_widths.h"
#include "ui/drawing_painter.h"
#include "ui/qt_convert.h"

namespace olvar::ui {

namespace {
constexpr std::string_view kSaveHeaQuestion =
    "The Food Security data has changed since it was opened or saved. Save it?";
}  // namespace

namespace fs = foodsecurity;

// A food security table in a grid. The horizontal headings are given per column, since the
// tables' own first rows are data; typing into a refused row is reported, not taken.
class FoodGridModel : public QAbstractTableModel {
 public:
  FoodGridModel(core::TextGrid& grid, int first_row, std::function<QString(int)> heading,
                QObject* parent)
      : QAbstractTableModel(parent), grid_(grid), first_row_(first_row),
        heading_(std::move(heading)) {}

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : grid_.row_count() - first_row_;
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : grid_.column_count();
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    if (role == Qt::TextAlignmentRole && right_aligned_ && index.column() > 0) {
      return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    const QString text = to_qstring(grid_.cell(index.column(), index.row() + first_row_));
    // Totals are stored padded with blanks to their field width; shown, the blanks would push
    // the number out of its column.
    return role == Qt::DisplayRole ? text.trimmed() : text;
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + first_row_;
    return heading_(section);
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
  }
  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (role != Qt::EditRole || !index.isValid()) return false;
    const int row = index.row() + first_row_;
    if (refuse && refuse(row)) return false;
    grid_.set_cell(index.column(), row, from_qstring(value.toString()));
    emit dataChanged(index, index);
    if (on_written) on_written();
    return true;
  }
  void reload() {
    beginResetModel();
    endResetModel();
  }
  int grid_row(const QModelIndex& index) const { return index.row() + first_row_; }

  std::function<bool(int row)> refuse;  // true: the row takes no typing (said why)
  std::function<void()> on_written;
  bool right_aligned_ = false;

 private:
  core::TextGrid& grid_;
  int first_row_;
  std::function<QString(int)> heading_;
};

namespace {

constexpr const char* kOverviewText =
    "The household economy model shows how the households of an area meet their food and "
    "non-food needs. Divide the population into wealth groups, enter for a reference year "
    "without shock each group's food and cash income, stocks, savings, assets and expenditures "
    "(Household data), spread the incomes over the months of the year (Seasonal data), and set "
    "out how two years with a shock differ (Data for years with shock): the page then shows, "
    "month by month, how much of the energy requirement and of the non-food costs each group "
    "can cover.";

QTableView* new_view(QAbstractItemModel* model) {
  auto* view = new QTableView;
  view->setModel(model);
  view->verticalHeader()->setDefaultSectionSize(22);
  view->horizontalHeader()->setDefaultSectionSize(80);
  view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed);
  return view;
}

QPushButton* button(const char* text, QWidget* owner, std::function<void()> action) {
  auto* b = new QPushButton(QString::fromUtf8(text));
  QObject::connect(b, &QPushButton::clicked, owner, std::move(action));
  return b;
}

// "Check of entered data": recomputed whenever it becomes the active window.
class CheckWindow : public QWidget {
 public:
  CheckWindow(const fs::HeaTables& tables, QWidget* parent)
      : QWidget(parent, Qt::Window), tables_(tables) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Check of entered data"));
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(to_qstring(fs::kCheckTitle));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    grid_ = new QTableWidget;
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(22);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Small enough that the longest label fits the 200 pixels of the first column.
    QFont small = grid_->font();
    small.setPointSizeF(8);
    grid_->setFont(small);
    layout->addWidget(grid_);
    auto* close = new QPushButton(QStringLiteral("&Close"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(700, 440);
    refill();
  }
  void refill() {
    fs::fill_check_table(table_, tables_);
    grid_->setColumnCount(table_.column_count());
    grid_->setRowCount(table_.row_count());
    for (int c = 0; c < table_.column_count(); ++c) {
      grid_->setColumnWidth(c, c == 0 ? 200 : 100);
      for (int r = 0; r < table_.row_count(); ++r) {
        // The cells are padded to line up as text; in the grid the alignment does that.
        const QString text = to_qstring(table_.cell(c, r));
        auto* item = new QTableWidgetItem(c > 0 ? text.trimmed() : text);
        item->setToolTip(text.trimmed());
        if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (r == 0 || c == 0) item->setBackground(palette().button());
        grid_->setItem(r, c, item);
      }
    }
  }
  const core::TextGrid& table() const { return table_; }

 protected:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::WindowActivate) refill();
    return QWidget::event(e);
  }

 private:
  const fs::HeaTables& tables_;
  core::TextGrid table_;
  QTableWidget* grid_ = nullptr;
};

// "Graph": the income sources, drawn once when the window is made.
class IncomeGraphWindow : public QWidget {
 public:
  IncomeGraphWindow(const fs::FoodSecurity& state, core::Prompter* prompter, QWidget* parent)
      : QWidget(parent, Qt::Window), prompter_(prompter) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Graph"));
    resize(760, 700);
    auto* layout = new QVBoxLayout(this);
    auto* scroll = new QScrollArea;
    scroll->setBackgroundRole(QPalette::Base);
    picture_ = new DrawingWidget;
    scroll->setWidget(picture_);
    layout->addWidget(scroll);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(button("Print", this, [this] { print(); }));
    buttons->addWidget(button("&Clipboard", this, [this] {
      QGuiApplication::clipboard()->setImage(drawing_image(picture_->drawing()));
      if (prompter_ != nullptr) prompter_->inform(fs::kClipboardMessage);
    }));
    buttons->addWidget(button("Close", this, [this] { close(); }));
    buttons->addStretch();
    layout->addLayout(buttons);
    // The scroll area is not laid out yet: its size follows from the window's.
    const QSize area = size() - QSize(40, 80);
    picture_->set_drawing(fs::income_graph(state.tables, state.wealth_groups, area.width(),
                                           area.height()));
  }

 private:
  void print() {
    QPrinter printer;
    QPainter painter;
    if (!painter.begin(&printer)) return;
    // Seven times the screen coordinates: a printer has about seven times the dots per inch.
    paint_drawing(painter, picture_->drawing(), 7);
    painter.end();
  }

  core::Prompter* prompter_;
  DrawingWidget* picture_ = nullptr;
};

}  // namespace

FoodSecurityPage::FoodSecurityPage(workspace::AppContext& app, QWidget* parent)
    : QWidget(parent), app_(app) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  sub_pages_ = new QTabWidget;
  layout->addWidget(sub_pages_);

  // Overview.
  auto* overview = new QWidget;
  auto* ov = new QVBoxLayout(overview);
  auto* text = new QLabel(QString::fromUtf8(kOverviewText));
  text->setWordWrap(true);
  ov->addWidget(text);
  ov->addWidget(new QLabel(
      QStringLiteral("Please enter here the wealth groups which you would like to investigate")));
  wealth_groups_ = new QTableWidget(fs::kWealthGroupRows, 1);
  wealth_groups_->setHorizontalHeaderLabels({QStringLiteral("Wealth group")});
  wealth_groups_->horizontalHeader()->setStretchLastSection(true);
  wealth_groups_->verticalHeader()->setDefaultSectionSize(22);
  wealth_groups_->setMaximumWidth(320);
  connect(wealth_groups_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (filling_) return;
    state_.wealth_groups[item->row()] = from_qstring(item->text());
  });
  ov->addWidget(wealth_groups_, 1);
  ov->addWidget(new QLabel(
      QStringLiteral("and here a starting month (usually the month when harvest starts)")));
  start_month_ = new QComboBox;
  for (const std::string_view name : fs::kMonthNames) start_month_->addItem(to_qstring(name));
  start_month_->setMaximumWidth(120);
  connect(start_month_, &QComboBox::currentIndexChanged, this, [this](int month) {
    if (filling_ || month < 0) return;
    fs::set_start_month(state_, month);
    reload();
  });
  ov->addWidget(start_month_);
  auto* ov_buttons = new QHBoxLayout;
  ov_buttons->addWidget(button("Reset to default HEA", this, [this] { reset_to_default(); }));
  ov_buttons->addWidget(button("Open HEA", this, [this] { open_hea(); }));
  ov_buttons->addWidget(button("Save HEA", this, [this] { save_hea(); }));
  ov_buttons->addStretch();
  ov->addLayout(ov_buttons);
  sub_pages_->addTab(overview, QStringLiteral("Overview"));

  // Household data.
  auto* household = new QWidget;
  auto* hl = new QVBoxLayout(household);
  household_model_ = new FoodGridModel(state_.tables.household, 0, [this](int column) {
    switch (column) {
      case 0: return QStringLiteral("Section");
      case 1: return QStringLiteral("Item");
      case 2: return QStringLiteral("Kcal/kg or price");
      default: {
        const std::string_view name = state_.tables.household.cell(column, 1);
        return name.empty() ? QStringLiteral("Group %1").arg(column - 2) : to_qstring(name);
      }
    }
  }, this);
  household_model_->refuse = [this](int row) {
    if (!fs::is_heading_row(state_.tables.household, row)) return false;
    inform(fs::kTypingRefused);
    return true;
  };
  household_view_ = new_view(household_model_);
  household_view_->installEventFilter(this);
  keep_column_widths(household_view_, {{0, 120}, {1, 220}, {2, 110}});
  hl->addWidget(household_view_, 1);
  hl->addWidget(new QLabel(QStringLiteral(
      "#: Food which has to be purchased in significant amounts when the own production is not "
      "enough")));
  auto* hb = new QHBoxLayout;
  hb->addWidget(button("Save data", this, [this] { save_hea(); }));
  hb->addWidget(button("Insert Row", this, [this] { insert_row(); }));
  hb->addWidget(button("Delete Row", this, [this] { delete_row(); }));
  hb->addWidget(button("Reset to default HEA", this, [this] { reset_to_default(); }));
  hb->addWidget(button("Open HEA", this, [this] { open_hea(); }));
  hb->addWidget(button("Graph for sources of income", this, [this] { open_income_graph(); }));
  hb->addWidget(button("Check of entered data", this, [this] { open_check_window(); }));
  hb->addStretch();
  hl->addLayout(hb);
  sub_pages_->addTab(household, QStringLiteral("Household data for reference year"));

  // Seasonal data.
  seasonal_model_ = new FoodGridModel(state_.tables.seasonal, 1, [this](int column) {
    const std::string_view heading = state_.tables.seasonal.cell(column, 0);
    if (!heading.empty()) return to_qstring(heading);
    return column == 14 ? QStringLiteral("Total") : QStringLiteral("Month %1").arg(column - 1);
  }, this);
  seasonal_view_ = new_view(seasonal_model_);
  seasonal_view_->horizontalHeader()->setDefaultSectionSize(56);
  keep_column_widths(seasonal_view_, {{0, 100}, {1, 220}});
  connect(seasonal_view_, &QTableView::clicked, this, [this] {
    fs::recompute_row_totals(state_.tables.seasonal);
    seasonal_model_->reload();
  });
  sub_pages_->addTab(seasonal_view_, QStringLiteral("Seasonal data for reference year"));

  // Data for years with shock.
  auto* shock = new QWidget;
  auto* sl = new QVBoxLayout(shock);
  shock_model_ = new FoodGridModel(state_.tables.shock, 0, [this](int column) {
    if (column == 0) return QStringLiteral("Item");
    const std::string_view year = state_.tables.shock.cell(column, 1);
    const std::string_view month = state_.tables.shock.cell(column, 2);
    if (column > fs::kModelMonths || month.empty()) return QStringLiteral("Column %1").arg(column);
    return to_qstring(month) + QLatin1Char(' ') +
           (column <= 12 ? QStringLiteral("ref.") : to_qstring(year));
  }, this);
  shock_model_->right_aligned_ = true;
  shock_view_ = new_view(shock_model_);
  keep_column_widths(shock_view_, {{0, 240}});
  connect(shock_view_, &QTableView::clicked, this, [this] { run_model(); });
  shock_model_->on_written = [this] { run_model(); };
  sl->addWidget(shock_view_, 1);
  auto* lower = new QHBoxLayout;
  auto* panel = new QVBoxLayout;
  panel->addWidget(new QLabel(QStringLiteral("Wealth group")));
  group_list_ = new QListWidget;
  group_list_->setMaximumWidth(200);
  connect(group_list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!filling_ && row >= 0) run_model();
  });
  panel->addWidget(group_list_);
  asset_sale_ = new QCheckBox(QStringLiteral("Include sale of assets to meet food deficit"));
  asset_sale_->setChecked(true);
  connect(asset_sale_, &QCheckBox::clicked, this, [this] { run_model(); });
  panel->addWidget(asset_sale_);
  panel->addWidget(button("Clipboard", this, [this] { copy_graph(); }));
  panel->addWidget(button("Excel Report", this, [this] { excel_report(); }));
  lower->addLayout(panel);
  graph_ = new DrawingWidget;
  lower->addWidget(graph_);
  lower->addStretch();
  sl->addLayout(lower);
  sub_pages_->addTab(shock, QStringLiteral("Data for years with shock"));

  connect(sub_pages_, &QTabWidget::currentChanged, this, &FoodSecurityPage::sub_page_opened);
}

FoodSecurityPage::~FoodSecurityPage() = default;

void FoodSecurityPage::set_launcher(platform::ProcessLauncher* launcher) {
  launcher_ = launcher != nullptr ? launcher : &spawn_launcher_;
}

bool FoodSecurityPage::eventFilter(QObject* watched, QEvent* event) {
  // Typing into a heading row is refused at the first key, before an editor opens; moving
  // through the table, Enter, Tab and Backspace stay free.
  if (watched == household_view_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const QModelIndex current = household_view_->currentIndex();
    const QString text = key->text();
    const bool typed = !text.isEmpty() && text != QStringLiteral("\r") &&
                       text != QStringLiteral("\t") && text != QStringLiteral("\b") &&
                       key->key() != Qt::Key_Escape;
    if (typed && current.isValid() &&
        fs::is_heading_row(state_.tables.household, household_model_->grid_row(current))) {
      inform(fs::kTypingRefused);
      household_view_->setFocus();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void FoodSecurityPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!fs::hea_data_loaded(state_.tables)) reset_to_default();
}

std::filesystem::path FoodSecurityPage::default_file() const {
  return app_.folders.program / fs::kDefaultHeaFile;
}

void FoodSecurityPage::inform(std::string_view message) {
  if (prompter_ != nullptr) prompter_->inform(message);
}

bool FoodSecurityPage::read_file(const std::filesystem::path& path) {
  try {
    fs::adopt_read_tables(state_, fs::read_hea_file(path), path);
  } catch (const fs::HeaFileError& error) {
    inform(error.what());
    return false;
  }
  saved_ = state_.tables;
  reload();
  sub_page_opened(sub_pages_->currentIndex());
  return true;
}

bool FoodSecurityPage::settle_unsaved_changes() {
  if (!has_unsaved_changes() || prompter_ == nullptr) return true;
  switch (prompter_->ask_yes_no_cancel(kSaveHeaQuestion)) {
    case core::Prompter::Answer::no:
      return true;
    case core::Prompter::Answer::cancel:
      return false;
    case core::Prompter::Answer::yes:
      break;
  }
  return save_hea();
}

void FoodSecurityPage::reset_to_default() {
  if (!settle_unsaved_changes()) return;
  const std::filesystem::path path = default_file();
  if (!std::filesystem::exists(path)) {
    inform(fs::kDefaultMissing);
    return;
  }
  read_file(path);
}

void FoodSecurityPage::open_hea() {
  if (prompter_ == nullptr || !settle_unsaved_changes()) return;
  const auto chosen = prompter_->choose_file("Open HEA", fs::kOpenFilter, false);
  if (chosen) read_file(*chosen);
}

bool FoodSecurityPage::save_hea() {
  if (prompter_ == nullptr) return false;
  // The dialog proposes the current file unless it is the default one, which stays as shipped.
  const auto chosen = prompter_->choose_file_to_save("Save HEA", fs::kSaveFilter,
                                                     fs::proposed_save_name(state_).string());
  if (!chosen) return false;
  const std::filesystem::path path = fs::with_hea_extension(*chosen);
  try {
    fs::write_hea_file(path, state_.tables);
    state_.file_name = path;
    saved_ = state_.tables;
  } catch (const std::exception& error) {
    inform(error.what());
    return false;
  }
  return true;
}

void FoodSecurityPage::insert_row() {
  const QModelIndex current = household_view_->currentIndex();
  const int row = current.isValid() ? household_model_->grid_row(current) : 0;
  if (!fs::insert_household_row(state_.tables.household, row)) {
    inform(fs::kInsertRefused);
    return;
  }
  household_model_->reload();
  household_view_->setCurrentIndex(current);
}

void FoodSecurityPage::delete_row() {
  const QModelIndex current = household_view_->currentIndex();
  if (!current.isValid()) return;
  if (fs::delete_household_row(state_.tables.household, household_model_->grid_row(current))) {
    household_model_->reload();
    household_view_->setCurrentIndex(current);
  }
}

QWidget* FoodSecurityPage::open_check_window() {
  auto* window = new CheckWindow(state_.tables, this);
  window->show();
  return window;
}

QWidget* FoodSecurityPage::open_income_graph() {
  auto* window = new IncomeGraphWindow(state_, prompter_, this);
  window->show();
  return window;
}

void FoodSecurityPage::copy_graph() {
  QGuiApplication::clipboard()->setImage(drawing_image(graph_->drawing()));
  if (app_.text != nullptr) inform(app_.text->text(838));
}

void FoodSecurityPage::excel_report() {
  const int group = group_list_->currentRow();
  if (group < 0 || prompter_ == nullptr || !editor_) return;
  run_model();
  const std::string name = from_qstring(group_list_->currentItem()->text());
  document::OutputFolders folders =
      document::output_folders(app_.folders.program, platform::process_environment());
  folders.writable_folder = app_.folders.writable;
  if (!app_.output_folder.empty()) folders.report_folder = app_.output_folder;
  shelf.name(folders, "shock year " + name);
  document::HandOffServices services{
      *launcher_, *prompter_, editor_(),
      [this](int entry) { return app_.text != nullptr ? app_.text->text(entry) : std::string(); }};
  const document::DocumentBuffer buffer(fs::shock_report_text(state_.tables, name, results_));
  try {
    last_hand_off_ = document::HandToSpreadsheet(
        buffer, document::output_settings_of(app_.settings), folders, services);
    shelf.tell(*last_hand_off_);
  } catch (const std::exception& error) {
    inform(error.what());
  }
}

void FoodSecurityPage::load_wealth_groups() {
  filling_ = true;
  for (int row = 0; row < fs::kWealthGroupRows; ++row) {
    wealth_groups_->setItem(row, 0, new QTableWidgetItem(to_qstring(state_.wealth_groups[row])));
  }
  start_month_->setCurrentIndex(state_.start_month);
  filling_ = false;
}

void FoodSecurityPage::reload() {
  load_wealth_groups();
  household_model_->reload();
  seasonal_model_->reload();
  shock_model_->reload();
}

void FoodSecurityPage::sub_page_opened(int index) {
  switch (index) {
    case 0:
      wealth_groups_->setFocus();
      break;
    case 1:
      fs::rebuild_household_page(state_);
      household_model_->reload();
      break;
    case 2:
      fs::rebuild_seasonal_page(state_.tables);
      seasonal_model_->reload();
      break;
    case 3:
      open_shock_page();
      break;
    default:
      break;
  }
}

void FoodSecurityPage::open_shock_page() {
  fs::rebuild_shock_table(state_.tables);
  shock_model_->reload();
  filling_ = true;
  group_list_->clear();
  for (const std::string& name : fs::selectable_wealth_groups(state_)) {
    group_list_->addItem(to_qstring(name));
  }
  if (group_list_->count() > 0) group_list_->setCurrentRow(0);
  filling_ = false;
  run_model();
}

void FoodSecurityPage::run_model() {
  const int group = group_list_->currentRow();
  if (group < 0) return;
  results_ = fs::run_shock_model(state_.tables, group, asset_sale_->isChecked());
  graph_->set_drawing(fs::shock_graph(state_.tables, from_qstring(group_list_->item(group)->text()),
                                      results_));
}

}  // namespace olvar::ui
