#include "ui/mortality_entry_page.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "core/date_text.h"
#include "mortality/death_rates.h"
#include "mortality/roster_import.h"
#include "ui/column_widths.h"
#include "ui/mortality_table_model.h"
#include "ui/qt_convert.h"

namespace olvar::ui {

namespace {

// Captions of the entry pages.
constexpr core::LanguageEntry kInsertRow{1450};
constexpr core::LanguageEntry kDeleteRow{1451};
constexpr core::LanguageEntry kTakeOver{1452};
constexpr core::LanguageEntry kPaste{1453};
constexpr core::LanguageEntry kTransferData{1454};
constexpr core::LanguageEntry kDeleteVariable{1455};
constexpr core::LanguageEntry kSave{1456};
constexpr core::LanguageEntry kPlausibilityReport{1457};
constexpr core::LanguageEntry kRecallPeriod{1458};
constexpr core::LanguageEntry kCausesOfDeath{1459};
constexpr core::LanguageEntry kLocationsOfDeath{1460};
constexpr core::LanguageEntry kNewVariable{1461};
constexpr core::LanguageEntry kCellsLeftOut{1462};
constexpr core::LanguageEntry kValues{1463};
constexpr core::LanguageEntry kNoVariableChosen{1464};
constexpr core::LanguageEntry kAddVariableButton{876};
// Household table headings.
constexpr core::LanguageEntry kHousehold{1045};
constexpr core::LanguageEntry kCluster{846};
constexpr core::LanguageEntry kMembersNow{1046};
constexpr core::LanguageEntry kAll{1047};
constexpr core::LanguageEntry kJoined{1048};
constexpr core::LanguageEntry kLeft{1049};
constexpr core::LanguageEntry kBirths{1062};
constexpr core::LanguageEntry kDeaths{1063};

const char* const kPersonHeadings[mortality::kPersonCells] = {
    "Sex", "Age", "Joined", "Left", "Born", "Died", "Cause", "Location"};

const QDate kDayZero(1970, 1, 1);

QDate to_qdate(int day_number) { return kDayZero.addDays(day_number); }
int to_day_number(const QDate& date) { return static_cast<int>(kDayZero.daysTo(date)); }

// The picker shows the date in the system order and separator.
QString picker_format(const core::DateConventions& dates) {
  const QString s(QChar::fromLatin1(dates.separator));
  switch (dates.order) {
    case core::DateOrder::mdy: return "MM" + s + "dd" + s + "yyyy";
    case core::DateOrder::ymd: return "yyyy" + s + "MM" + s + "dd";
    default: return "dd" + s + "MM" + s + "yyyy";
  }
}

QPushButton* button(const std::string& caption, const char* name, QWidget* owner,
                    std::function<void()> action) {
  auto* b = new QPushButton(to_qstring(caption));
  b->setObjectName(QString::fromLatin1(name));
  QObject::connect(b, &QPushButton::clicked, owner, [action = std::move(action)] { action(); });
  return b;
}

}  // namespace

// The person grid (`i_mor_entry`): 8 columns, persons 1 to 20, over the form.
class PersonGridModel : public QAbstractTableModel {
 public:
  PersonGridModel(mortality::HouseholdForm& form, QObject* parent)
      : QAbstractTableModel(parent), form_(form) {}
  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : mortality::kPersons;
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : mortality::kPersonCells;
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return to_qstring(cell(index));
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return QString::fromLatin1(kPersonHeadings[section]);
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable
                           : Qt::NoItemFlags;
  }
  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (role != Qt::EditRole || !index.isValid()) return false;
    cell(index) = from_qstring(value.toString());
    emit dataChanged(index, index);
    if (on_written) on_written();
    return true;
  }
  void reload() {
    beginResetModel();
    endResetModel();
  }
  std::string& cell(const QModelIndex& index) const {
    return form_.persons[static_cast<std::size_t>(index.row())]
                        [static_cast<std::size_t>(index.column())];
  }
  std::function<void()> on_written;

 private:
  mortality::HouseholdForm& form_;
};

// The additional-variables grid (`i_mor_a_v`): one column per named additional variable and,
// while the table has room, one more headed as the place of a new variable; one row with the
// values of the household in the form.
class AdditionalVariablesModel : public QAbstractTableModel {
 public:
  AdditionalVariablesModel(core::TextGrid& table, mortality::HouseholdForm& form,
                           QObject* parent)
      : QAbstractTableModel(parent), table_(table), form_(form) {}
  int named() const {
    int last = -1;
    for (int c = table_.column_count() - 1; c >= mortality::kFirstAdditionalColumn; --c) {
      if (!table_.cell(c, 0).empty()) {
        last = c - mortality::kFirstAdditionalColumn;
        break;
      }
    }
    return last + 1;
  }
  bool has_new_column() const {
    return mortality::kFirstAdditionalColumn + named() < mortality::kMaxIndividualColumns;
  }
  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 1; }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : named() + (has_new_column() ? 1 : 0);
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    const auto j = static_cast<std::size_t>(index.column());
    if (index.column() >= named() || j >= form_.additional.size()) return {};
    return to_qstring(form_.additional[j]);
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return values_heading;
    if (section >= named()) return new_heading;
    return to_qstring(std::string(table_.cell(mortality::kFirstAdditionalColumn + section, 0)));
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (!index.isValid()) return Qt::NoItemFlags;
    // The place of a new variable takes no value until the variable has a name.
    if (index.column() >= named()) return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
  }
  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (role != Qt::EditRole || !index.isValid() || index.column() >= named()) return false;
    const auto j = static_cast<std::size_t>(index.column());
    if (j >= form_.additional.size()) return false;
    form_.additional[j] = from_qstring(value.toString());
    emit dataChanged(index, index);
    if (on_written) on_written();
    return true;
  }
  void reload() {
    beginResetModel();
    endResetModel();
  }
  QString values_heading;
  QString new_heading;
  std::function<void()> on_written;

 private:
  core::TextGrid& table_;
  mortality::HouseholdForm& form_;
};

core::TextGrid individual_table_headings() {
  core::TextGrid g(mortality::kFirstAdditionalColumn, 1);
  mortality::write_individual_headings(g);
  return g;
}

core::TextGrid household_table_headings(const core::LanguageTable& text) {
  core::TextGrid g(12, 2);
  const auto put = [&](int column, core::LanguageEntry top, const std::string& bottom) {
    g.set_cell(column, 0, text.text(top));
    g.set_cell(column, 1, bottom);
  };
  put(1, kHousehold, "");
  put(2, kCluster, "");
  put(3, kMembersNow, text.text(kAll));
  put(5, kJoined, text.text(kAll));
  put(7, kLeft, text.text(kAll));
  put(9, kBirths, "");
  put(10, kDeaths, text.text(kAll));
  for (int column : {4, 6, 8, 11}) g.set_cell(column, 1, "< 5");
  return g;
}

namespace {

// On screen every column carries its whole heading: "Members now < 5" rather than "< 5".
core::TextGrid household_display_headings(const core::LanguageTable& text) {
  core::TextGrid g = household_table_headings(text);
  for (int column : {4, 6, 8, 11}) g.set_cell(column, 0, std::string(g.cell(column - 1, 0)));
  return g;
}

}  // namespace

// ---- Individual level ----

IndividualEntryPage::IndividualEntryPage(MortalityEntryServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)) {
  // Nothing is written back while the controls are built; reload() loads the first row.
  loading_ = true;
  form_.date = services_.today;

  // The household: date, cluster, team, household number, and the recall period.
  date_ = new QDateEdit;
  date_->setObjectName(QStringLiteral("i_mor_date"));
  date_->setDisplayFormat(picker_format(services_.dates));
  date_->setCalendarPopup(true);
  date_->setDate(to_qdate(form_.date));
  cluster_ = new QComboBox;
  cluster_->setObjectName(QStringLiteral("i_mor_cluster"));
  cluster_->setEditable(true);
  for (int c = 1; c <= 99; ++c) cluster_->addItem(QString::number(c));
  team_ = new QComboBox;
  team_->setObjectName(QStringLiteral("i_mor_team"));
  team_->setEditable(true);
  for (int t = 1; t <= 9; ++t) team_->addItem(QString::number(t));
  hh_ = new QLineEdit;
  hh_->setObjectName(QStringLiteral("i_mor_hh"));
  rd_i_ = new QLineEdit;
  rd_i_->setObjectName(QStringLiteral("rd_i"));
  rd_i_->setReadOnly(true);
  rd_i_->setMaximumWidth(60);
  for (QWidget* w : {static_cast<QWidget*>(date_), static_cast<QWidget*>(cluster_),
                     static_cast<QWidget*>(team_), static_cast<QWidget*>(hh_)}) {
    w->installEventFilter(this);
  }
  if (cluster_->lineEdit() != nullptr) cluster_->lineEdit()->installEventFilter(this);
  if (team_->lineEdit() != nullptr) team_->lineEdit()->installEventFilter(this);
  connect(date_, &QDateEdit::dateChanged, this, [this] { form_control_changed(); });
  connect(cluster_, &QComboBox::currentTextChanged, this, [this] { form_control_changed(); });
  connect(team_, &QComboBox::currentTextChanged, this, [this] { form_control_changed(); });
  connect(hh_, &QLineEdit::textEdited, this, [this] { form_control_changed(); });
  cluster_->setCurrentText(QString());
  team_->setCurrentText(QString());

  auto* household = new QHBoxLayout;
  household->addWidget(new QLabel(tr("Date")));
  household->addWidget(date_);
  household->addWidget(new QLabel(to_qstring(text(846))));  // Cluster
  household->addWidget(cluster_);
  household->addWidget(new QLabel(tr("Team")));
  household->addWidget(team_);
  household->addWidget(new QLabel(QStringLiteral("HH")));
  household->addWidget(hh_);
  household->addStretch();
  household->addWidget(new QLabel(to_qstring(text(kRecallPeriod.number))));
  household->addWidget(rd_i_);

  // The persons.
  persons_model_ = new PersonGridModel(form_, this);
  persons_model_->on_written = [this] { write_back(); };
  persons_view_ = new QTableView;
  persons_view_->setObjectName(QStringLiteral("i_mor_entry"));
  persons_view_->setModel(persons_model_);
  persons_view_->horizontalHeader()->setDefaultSectionSize(56);
  persons_view_->horizontalHeader()->setStretchLastSection(true);
  persons_view_->verticalHeader()->setDefaultSectionSize(22);
  // Every key goes through the check of person_key(): no cell editor opens, the first key in a
  // cell replaces its text, the next ones add to it, Backspace and Delete correct it.
  persons_view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  persons_view_->installEventFilter(this);
  connect(persons_view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { typing_row_ = typing_column_ = -1; });

  // The cause and location labels; the first two causes are fixed.
  auto* causes = new QGroupBox(to_qstring(text(kCausesOfDeath.number)));
  auto* cause_form = new QFormLayout(causes);
  for (std::size_t i = 0; i < cde_.size(); ++i) {
    cde_[i] = new QLineEdit;
    cde_[i]->setObjectName(QStringLiteral("cde%1").arg(i + 1));
    cde_[i]->setReadOnly(i < 2);
    cause_form->addRow(QStringLiteral("%1] ").arg(i + 1), cde_[i]);
  }
  auto* locations = new QGroupBox(to_qstring(text(kLocationsOfDeath.number)));
  auto* location_form = new QFormLayout(locations);
  for (std::size_t i = 0; i < lde_.size(); ++i) {
    lde_[i] = new QLineEdit;
    lde_[i]->setObjectName(QStringLiteral("lde%1").arg(i + 1));
    location_form->addRow(QStringLiteral("%1] ").arg(i + 1), lde_[i]);
  }
  core::MortalityOptions& o = services_.workspace->mortality_options;
  std::string* const labels[11] = {&o.cde1, &o.cde2, &o.cde3, &o.cde4, &o.cde5, &o.cde6,
                                   &o.cde7, &o.lde1, &o.lde2, &o.lde3, &o.lde4};
  for (int i = 0; i < 11; ++i) {
    QLineEdit* edit = i < 7 ? cde_[static_cast<std::size_t>(i)]
                            : lde_[static_cast<std::size_t>(i - 7)];
    std::string* label = labels[i];
    connect(edit, &QLineEdit::textEdited, this, [this, label](const QString& typed) {
      *label = from_qstring(typed);
      if (services_.changed) services_.changed();
    });
  }

  // The additional variables.
  additional_model_ = new AdditionalVariablesModel(table(), form_, this);
  additional_model_->values_heading = to_qstring(text(kValues.number));
  additional_model_->new_heading = to_qstring(text(kNewVariable.number));
  additional_model_->on_written = [this] { write_back(); };
  additional_view_ = new QTableView;
  additional_view_->setObjectName(QStringLiteral("i_mor_a_v"));
  additional_view_->setModel(additional_model_);
  additional_view_->setMaximumHeight(70);

  // The commands.
  auto* commands = new QHBoxLayout;
  commands->addWidget(button(text(kInsertRow.number), "i_mor_insert", this, [this] { insert_row(); }));
  commands->addWidget(button(text(kDeleteRow.number), "i_mor_delete", this, [this] { delete_row(); }));
  take_over_ = button(text(kTakeOver.number), "i_mor_take_over", this, [this] { take_over(); });
  commands->addWidget(take_over_);
  commands->addWidget(button(text(kPaste.number), "i_mor_paste", this, [this] { paste(); }));
  commands->addWidget(
      button(text(kTransferData.number), "i_mor_transfer", this, [this] { transfer(); }));
  commands->addWidget(button(text(kAddVariableButton.number), "i_mor_add_variable", this,
                             [this] { add_variable(); }));
  commands->addWidget(button(text(kDeleteVariable.number), "i_mor_delete_variable", this,
                             [this] { delete_variable(); }));
  plausibility_ = button(text(kPlausibilityReport.number), "i_mor_plausibility", this, [this] {
    if (services_.plausibility_report) services_.plausibility_report();
  });
  commands->addWidget(plausibility_);
  save_ = button(text(kSave.number), "i_mor_save", this, [this] {
    if (services_.save) services_.save();
  });
  commands->addWidget(save_);
  commands->addStretch();

  // The individual table (`i_mor_data`): a click in it loads that household into the form.
  table_model_ = new MortalityTableModel(table(), individual_table_headings(), 1, this);
  table_model_->on_written = [this](int, int row) {
    if (row == current_row_) load_form();
    if (services_.changed) services_.changed();
  };
  table_view_ = new QTableView;
  table_view_->setObjectName(QStringLiteral("i_mor_data"));
  table_view_->setModel(table_model_);
  table_view_->horizontalHeader()->setDefaultSectionSize(70);
  // The Date column shows a whole date; every heading is shown whole.
  const int date_width =
      table_view_->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) +
      2 * table_view_->fontMetrics().averageCharWidth();
  keep_column_widths(table_view_, {{0, date_width}});
  connect(table_view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) set_current_row(table_model_->table_row(current));
          });

  auto* form_widget = new QWidget;
  auto* form_layout = new QGridLayout(form_widget);
  form_layout->addLayout(household, 0, 0, 1, 3);
  form_layout->addWidget(persons_view_, 1, 0, 2, 1);
  form_layout->addWidget(causes, 1, 1);
  form_layout->addWidget(locations, 1, 2);
  form_layout->addWidget(additional_view_, 2, 1, 1, 2);
  form_layout->addLayout(commands, 3, 0, 1, 3);
  form_layout->setColumnStretch(0, 3);
  form_layout->setColumnStretch(1, 2);
  form_layout->setColumnStretch(2, 2);
  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->addWidget(form_widget);
  splitter->addWidget(table_view_);
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter);
  reload();
}

std::string IndividualEntryPage::text(int entry) const {
  return services_.text != nullptr ? services_.text->text(entry) : std::string();
}

void IndividualEntryPage::reload() {
  mortality::ensure_spare_individual_rows(table());
  table_model_->reload();
  additional_model_->reload();
  load_labels();
  rd_i_->setText(to_qstring(mortality::recall_period_text(*services_.workspace)));
  current_row_ = std::clamp(current_row_, 1, std::max(1, table().row_count() - 1));
  load_form();
}

void IndividualEntryPage::load_labels() {
  const core::MortalityOptions& o = services_.workspace->mortality_options;
  const std::string* const labels[11] = {&o.cde1, &o.cde2, &o.cde3, &o.cde4, &o.cde5, &o.cde6,
                                         &o.cde7, &o.lde1, &o.lde2, &o.lde3, &o.lde4};
  for (int i = 0; i < 11; ++i) {
    QLineEdit* edit = i < 7 ? cde_[static_cast<std::size_t>(i)]
                            : lde_[static_cast<std::size_t>(i - 7)];
    edit->setText(to_qstring(*labels[i]));
  }
}

void IndividualEntryPage::load_form() {
  loading_ = true;
  mortality::load_household_form(table(), current_row_, services_.dates, services_.current_year,
                                 form_);
  date_->setDate(to_qdate(form_.date));
  cluster_->setCurrentText(to_qstring(form_.cluster));
  team_->setCurrentText(to_qstring(form_.team));
  hh_->setText(to_qstring(form_.hh));
  persons_model_->reload();
  additional_model_->reload();
  typing_row_ = typing_column_ = -1;
  loading_ = false;
}

void IndividualEntryPage::set_current_row(int row) {
  if (row < 1 || row >= table().row_count()) return;
  current_row_ = row;
  load_form();
}

void IndividualEntryPage::form_control_changed() {
  if (loading_) return;
  form_.date = to_day_number(date_->date());
  form_.cluster = from_qstring(cluster_->currentText());
  form_.team = from_qstring(team_->currentText());
  form_.hh = from_qstring(hh_->text());
  write_back();
}

void IndividualEntryPage::write_back() {
  if (loading_) return;
  mortality::write_household_form(form_, services_.dates, current_row_, table());
  const int model_row = current_row_ - 1;
  emit table_model_->dataChanged(table_model_->index(model_row, 0),
                                 table_model_->index(model_row, table_model_->columnCount() - 1));
  if (services_.changed) services_.changed();
}

void IndividualEntryPage::table_changed(bool reshaped) {
  mortality::ensure_spare_individual_rows(table());
  if (reshaped) {
    table_model_->reload();
    additional_model_->reload();
  } else {
    emit table_model_->dataChanged(
        table_model_->index(0, 0),
        table_model_->index(table_model_->rowCount() - 1, table_model_->columnCount() - 1));
  }
  load_form();
  if (services_.changed) services_.changed();
}

bool IndividualEntryPage::person_key(int key, const QString& typed) {
  const QModelIndex index = persons_view_->currentIndex();
  if (!index.isValid()) return false;
  const int column = index.column() + 1;
  const int person = index.row() + 1;
  if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab) {
    const mortality::PersonCell next = mortality::next_person_cell({column, person});
    persons_view_->setCurrentIndex(persons_model_->index(next.person - 1, next.column - 1));
    return true;
  }
  if (key == Qt::Key_Backspace) {
    std::string cell = persons_model_->cell(index);
    if (!cell.empty()) cell.pop_back();
    typing_row_ = index.row();
    typing_column_ = index.column();
    persons_model_->setData(index, to_qstring(cell), Qt::EditRole);
    return true;
  }
  if (key == Qt::Key_Delete) {
    persons_model_->setData(index, QString(), Qt::EditRole);
    return true;
  }
  if (typed.size() != 1 || !typed.at(0).isPrint()) return false;
  const std::string character = from_qstring(typed);
  if (character.size() != 1) return false;
  // The check warns before the character reaches the cell; the character goes in all the same.
  const std::optional<core::LanguageEntry> warning = mortality::person_key_warning(
      form_.persons[static_cast<std::size_t>(person - 1)], column, character[0]);
  if (warning && prompter() != nullptr) {
    prompter()->inform(text(warning->number));
    persons_view_->setFocus();
  }
  const bool continuing = typing_row_ == index.row() && typing_column_ == index.column();
  const std::string cell = continuing ? persons_model_->cell(index) + character : character;
  typing_row_ = index.row();
  typing_column_ = index.column();
  persons_model_->setData(index, to_qstring(cell), Qt::EditRole);
  return true;
}

bool IndividualEntryPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const auto* key_event = static_cast<const QKeyEvent*>(event);
  if (watched == persons_view_) {
    if (key_event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    return person_key(key_event->key(), key_event->text());
  }
  // Enter in the household fields moves on to the next control.
  if (key_event->key() == Qt::Key_Return || key_event->key() == Qt::Key_Enter) {
    focusNextChild();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void IndividualEntryPage::insert_row() {
  if (mortality::insert_individual_row(table(), current_row_)) table_changed(false);
}

void IndividualEntryPage::delete_row() {
  if (mortality::delete_individual_row(table(), current_row_)) table_changed(false);
}

void IndividualEntryPage::take_over() {
  if (prompter() == nullptr || !prompter()->ask_yes_no(text(mortality::kAskTakeOver.number)))
    return;
  mortality::take_over_individuals(services_.workspace->survey, table());
  current_row_ = 1;
  table_changed(true);
  table_view_->setCurrentIndex(table_model_->index(0, 0));
}

void IndividualEntryPage::paste() {
  if (prompter() == nullptr || !services_.clipboard_text) return;
  if (!prompter()->ask_yes_no(text(mortality::kAskPaste.number))) return;
  const QModelIndex at = table_view_->currentIndex();
  const int column = at.isValid() ? MortalityTableModel::table_column(at) : 1;
  const int row = at.isValid() ? table_model_->table_row(at) : current_row_;
  const int left_out = mortality::paste_into_table(services_.clipboard_text(), column, row,
                                                   table().column_count() - 1, table());
  table_changed(true);
  if (left_out > 0) prompter()->inform(std::to_string(left_out) + " " + text(kCellsLeftOut.number));
}

void IndividualEntryPage::transfer() {
  if (services_.hand_to_spreadsheet) {
    services_.hand_to_spreadsheet(mortality::individual_table_text(table()));
  }
}

void IndividualEntryPage::add_variable() {
  if (prompter() == nullptr) return;
  const QModelIndex at = table_view_->currentIndex();
  if (at.isValid() && MortalityTableModel::table_column(at) > 254) return;
  const std::optional<std::string> name =
      prompter()->ask_text(text(kAddVariableButton.number) + ": " +
                               text(mortality::kAddVariablePrompt.number),
                           "");
  if (!name || mortality::additional_variable_name(*name).empty()) return;
  const QModelIndex current = additional_view_->currentIndex();
  const int position = current.isValid() ? current.column() : additional_model_->named();
  if (!mortality::add_additional_variable(table(), position, *name)) return;
  table_changed(true);
}

void IndividualEntryPage::delete_variable() {
  if (prompter() == nullptr) return;
  const QModelIndex current = additional_view_->currentIndex();
  if (!current.isValid() || current.column() >= additional_model_->named()) {
    prompter()->inform(text(kNoVariableChosen.number));
    return;
  }
  const std::string name(
      table().cell(mortality::kFirstAdditionalColumn + current.column(), 0));
  if (!prompter()->ask_yes_no(name + " " + text(mortality::kAskDeleteVariable.number))) return;
  if (mortality::delete_additional_variable(table(), current.column())) table_changed(true);
}

void IndividualEntryPage::apply_mode(bool takeover_button, bool save_enabled) {
  take_over_->setVisible(takeover_button);
  save_->setEnabled(save_enabled);
}

// ---- Household level ----

HouseholdEntryPage::HouseholdEntryPage(MortalityEntryServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)) {
  rd_hh_ = new QLineEdit;
  rd_hh_->setObjectName(QStringLiteral("rd_hh"));
  rd_hh_->setReadOnly(true);
  rd_hh_->setMaximumWidth(60);
  auto* commands = new QHBoxLayout;
  commands->addWidget(button(text(kInsertRow.number), "mor_insert", this, [this] { insert_row(); }));
  commands->addWidget(button(text(kDeleteRow.number), "mor_delete", this, [this] { delete_row(); }));
  take_over_ = button(text(kTakeOver.number), "mor_take_over", this, [this] { take_over(); });
  commands->addWidget(take_over_);
  commands->addWidget(button(text(kPaste.number), "mor_paste", this, [this] { paste(); }));
  commands->addWidget(
      button(text(kTransferData.number), "mor_transfer", this, [this] { transfer(); }));
  save_ = button(text(kSave.number), "mor_save", this, [this] {
    if (services_.save) services_.save();
  });
  commands->addWidget(save_);
  commands->addStretch();
  commands->addWidget(new QLabel(to_qstring(text(kRecallPeriod.number))));
  commands->addWidget(rd_hh_);

  const core::LanguageTable empty;
  table_model_ = new MortalityTableModel(
      table(), household_display_headings(services_.text != nullptr ? *services_.text : empty), 2,
      this);
  table_model_->on_written = [this](int, int) {
    if (services_.changed) services_.changed();
  };
  table_view_ = new QTableView;
  table_view_->setObjectName(QStringLiteral("Mor"));
  table_view_->setModel(table_model_);
  table_view_->horizontalHeader()->setDefaultSectionSize(95);
  keep_column_widths(table_view_);  // the headings whole ("Members now < 5")
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(commands);
  layout->addWidget(table_view_);
  reload();
}

std::string HouseholdEntryPage::text(int entry) const {
  return services_.text != nullptr ? services_.text->text(entry) : std::string();
}

void HouseholdEntryPage::reload() {
  // The heading rows are not stored with the survey; the spreadsheet transfer carries them.
  if (table().row_is_empty(0) && table().row_is_empty(1) && services_.text != nullptr) {
    const core::TextGrid headings = household_table_headings(*services_.text);
    for (int r = 0; r < 2; ++r) {
      for (int c = 1; c <= mortality::kHouseholdColumns; ++c) {
        table().set_cell(c, r, headings.cell(c, r));
      }
    }
  }
  mortality::ensure_spare_household_rows(table());
  table_model_->reload();
  rd_hh_->setText(to_qstring(mortality::recall_period_text(*services_.workspace)));
}

int HouseholdEntryPage::current_row() const {
  const QModelIndex at = table_view_->currentIndex();
  return at.isValid() ? table_model_->table_row(at) : mortality::kHouseholdFirstRow;
}

void HouseholdEntryPage::table_changed() {
  mortality::ensure_spare_household_rows(table());
  table_model_->reload();
  if (services_.changed) services_.changed();
}

void HouseholdEntryPage::insert_row() {
  const QModelIndex at = table_view_->currentIndex();
  if (mortality::insert_household_row(table(), current_row())) table_changed();
  if (at.isValid()) table_view_->setCurrentIndex(table_model_->index(at.row(), at.column()));
}

void HouseholdEntryPage::delete_row() {
  const QModelIndex at = table_view_->currentIndex();
  if (mortality::delete_household_row(table(), current_row())) table_changed();
  if (at.isValid()) table_view_->setCurrentIndex(table_model_->index(at.row(), at.column()));
}

void HouseholdEntryPage::take_over() {
  if (prompter() == nullptr || !prompter()->ask_yes_no(text(mortality::kAskTakeOver.number)))
    return;
  mortality::take_over_households(services_.workspace->survey, table());
  table_changed();
}

void HouseholdEntryPage::paste() {
  if (prompter() == nullptr || !services_.clipboard_text) return;
  if (!prompter()->ask_yes_no(text(mortality::kAskPaste.number))) return;
  const QModelIndex at = table_view_->currentIndex();
  const int column = at.isValid() ? MortalityTableModel::table_column(at) : 1;
  const int left_out = mortality::paste_into_table(services_.clipboard_text(), column,
                                                   current_row(), mortality::kHouseholdColumns,
                                                   table());
  table_changed();
  if (left_out > 0) prompter()->inform(std::to_string(left_out) + " " + text(kCellsLeftOut.number));
}

void HouseholdEntryPage::transfer() {
  if (services_.hand_to_spreadsheet) {
    services_.hand_to_spreadsheet(mortality::household_table_text(table()));
  }
}

void HouseholdEntryPage::apply_mode(bool takeover_button, bool save_enabled) {
  take_over_->setVisible(takeover_button);
  save_->setEnabled(save_enabled);
}

}  // namespace olvar::ui
