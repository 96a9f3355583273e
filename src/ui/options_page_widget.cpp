#include "ui/options_page_widget.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <array>

#include "ui/qt_convert.h"

namespace olvar::ui {

namespace {

QString entry(const core::LanguageTable& text, int number, const char* fallback) {
  const std::string& found = text.text(number);
  return found.empty() ? to_qstring(fallback) : to_qstring(found);
}

}  // namespace

OptionsPageWidget::OptionsPageWidget(core::OptionsPage& page, const core::LanguageTable& text,
                                     QWidget* parent)
    : QWidget(parent), page_(page) {
  auto* content = new QWidget;
  // Four columns of groups, each as tall as its content, so that the whole page shows on a
  // 1366 x 768 screen.
  auto* columns_layout = new QHBoxLayout(content);
  std::array<QVBoxLayout*, 4> columns{};
  for (QVBoxLayout*& column : columns) {
    column = new QVBoxLayout;
    columns_layout->addLayout(column);
  }
  columns_layout->addStretch(1);
  QFormLayout* form = nullptr;

  autofill_ = group(tr("Auto-fill of a new row"), form);
  add_check(form, QStringLiteral("ID"), page_.autofill_id);
  add_check(form, QStringLiteral("HH"), page_.autofill_hh);
  add_check(form, QStringLiteral("CLUSTER"), page_.autofill_cluster);
  add_check(form, QStringLiteral("TEAM"), page_.autofill_team);
  add_check(form, QStringLiteral("SURVDATE"), page_.autofill_survdate);
  columns[0]->addWidget(autofill_);

  age_entry_ = group(tr("Age entry"), form);
  auto* by_birth = new QRadioButton(tr("by date of birth"));
  auto* by_months = new QRadioButton(tr("by months"));
  form->addRow(by_birth);
  form->addRow(by_months);
  connect(by_months, &QRadioButton::toggled, this, [this](bool on) {
    page_.age_by_months = on;
    emit edited();
  });
  loaders_.push_back([this, by_birth, by_months] {
    by_months->setChecked(page_.age_by_months);
    by_birth->setChecked(!page_.age_by_months);
  });
  auto* oedema_group = new QGroupBox(tr("Oedema coding"));
  auto* oedema_layout = new QVBoxLayout(oedema_group);
  auto* yes_no = new QRadioButton(QStringLiteral("y / n"));
  auto* grades = new QRadioButton(QStringLiteral("0, 1, 2, 3"));
  // Under each coding, the factors the oedema weight correction applies with it.
  auto* yes_no_factor = new QLabel(entry(text, 1011, ""));
  auto* grades_factors = new QLabel(entry(text, 1012, ""));
  yes_no_factor->setObjectName(QStringLiteral("OedemaFactorYesNo"));
  grades_factors->setObjectName(QStringLiteral("OedemaFactorsGrades"));
  for (QLabel* factors : {yes_no_factor, grades_factors}) {
    factors->setWordWrap(true);
    factors->setIndent(20);
  }
  oedema_layout->addWidget(yes_no);
  oedema_layout->addWidget(yes_no_factor);
  oedema_layout->addWidget(grades);
  oedema_layout->addWidget(grades_factors);
  connect(yes_no, &QRadioButton::toggled, this, [this](bool on) {
    page_.oedema_yn = on;
    emit edited();
  });
  loaders_.push_back([this, yes_no, grades] {
    yes_no->setChecked(page_.oedema_yn);
    grades->setChecked(!page_.oedema_yn);
  });
  form->addRow(oedema_group);
  columns[0]->addWidget(age_entry_);

  entry_mode_ = group(tr("Data entry"), form);
  add_check(form, tr("with pull-down editors"), page_.pull_down_entry);
  columns[0]->addWidget(entry_mode_);

  clothes_ = group(tr("Clothes"), form);
  add_edit(form, tr("Weight of the clothes (g)"), page_.Edit26, "Edit26");
  columns[0]->addWidget(clothes_);

  oedema_correction_ = group(tr("Oedema"), form);
  add_check(form, entry(text, 1010, "Correct the weight of children with oedema automatically"),
            page_.oedema_correction);

  extra_columns_ = group(tr("Columns"), form);
  add_check(form,
            entry(text, 1149, "Show the columns MEASURE, CLOTHES,") + QLatin1Char('\n') +
                entry(text, 1150, "STRATA and WTFACTOR"),
            page_.show_extra_columns);

  QGroupBox* ages = group(tr("Age groups (months)"), form);
  std::string* bounds[] = {&page_.Edit2, &page_.Edit3, &page_.Edit4, &page_.Edit5,  &page_.Edit6,
                           &page_.Edit7, &page_.Edit8, &page_.Edit9, &page_.Edit10, &page_.Edit11};
  for (int g = 0; g < 5; ++g) {
    auto* row = new QWidget;
    auto* row_layout = new QHBoxLayout(row);
    row_layout->setContentsMargins(0, 0, 0, 0);
    for (int k = 0; k < 2; ++k) {
      std::string& field = *bounds[2 * g + k];
      const std::string name = "Edit" + std::to_string(2 + 2 * g + k);
      auto* line = new QLineEdit;
      line->setMaximumWidth(60);
      edits_.emplace_back(name, line);
      const bool group_start = k == 0 && g > 0;
      connect(line, &QLineEdit::textEdited, this, [this, &field, group_start](const QString& t) {
        field = from_qstring(t);
        // A new start of group 2 to 5 moves the end of the group before it.
        if (group_start) {
          core::Edit24Change(page_);
          load();
        }
        emit edited();
      });
      loaders_.push_back([this, line, &field] {
        if (line->text() != to_qstring(field)) line->setText(to_qstring(field));
      });
      row_layout->addWidget(line);
      if (k == 0) row_layout->addWidget(new QLabel(QStringLiteral("-")));
    }
    form->addRow(tr("Group %1").arg(g + 1), row);
  }
  columns[1]->addWidget(ages);

  QGroupBox* mortality = group(tr("Mortality age groups (years)"), form);
  std::string* years[] = {&page_.ma01, &page_.ma02, &page_.ma03, &page_.ma04,
                          &page_.ma05, &page_.ma06, &page_.ma07, &page_.ma08,
                          &page_.ma09, &page_.ma10, &page_.ma11, &page_.ma12};
  for (int g = 0; g < 6; ++g) {
    auto* row = new QWidget;
    auto* row_layout = new QHBoxLayout(row);
    row_layout->setContentsMargins(0, 0, 0, 0);
    for (int k = 0; k < 2; ++k) {
      std::string* field = years[2 * g + k];
      const int number = 2 * g + k + 1;
      auto* line = new QLineEdit;
      line->setMaximumWidth(60);
      edits_.emplace_back((number < 10 ? "ma0" : "ma") + std::to_string(number), line);
      // The upper bounds of groups 1 to 5 follow the next group's lower bound.
      if (k == 1 && g < 5) line->setReadOnly(true);
      connect(line, &QLineEdit::textEdited, this, [this, field](const QString& t) {
        *field = from_qstring(t);
        core::recompute_mortality_upper_bounds(page_);
        load();
        emit edited();
      });
      loaders_.push_back([line, field] {
        if (line->text() != to_qstring(*field)) line->setText(to_qstring(*field));
      });
      row_layout->addWidget(line);
      if (k == 0) row_layout->addWidget(new QLabel(QStringLiteral("-")));
    }
    form->addRow(tr("Group %1").arg(g + 1), row);
  }
  columns[1]->addWidget(mortality);

  QGroupBox* selection = group(tr("Selection of the analysis"), form);
  add_check(form, tr("Restrict to ages (months)"), page_.zr);
  add_edit(form, tr("from"), page_.zrl, "zrl");
  add_edit(form, tr("to"), page_.zrh, "zrh");
  add_check(form, tr("Restrict to heights (cm)"), page_.zh);
  add_edit(form, tr("from"), page_.zhl, "zhl");
  add_edit(form, tr("to"), page_.zhh, "zhh");
  columns[2]->addWidget(selection);
  columns[2]->addWidget(extra_columns_);

  QGroupBox* muac = group(tr("MUAC cut-offs (mm)"), form);
  add_edit(form, tr("severe below"), page_.muac1, "muac1");
  add_edit(form, tr("moderate below"), page_.muac2, "muac2");
  columns[1]->addWidget(muac);

  QGroupBox* flags = group(tr("Flags"), form);
  // The Options page names each rule with what it does; the Results page with the short names.
  auto* epi = new QRadioButton(entry(text, 1013, "Epi Info 6 flags"));
  auto* kandu = new QRadioButton(entry(text, 1014, "Kandu flags"));
  auto* none = new QRadioButton(entry(text, 1017, "No exclusion"));
  form->addRow(epi);
  form->addRow(kandu);
  form->addRow(none);
  const auto bind_mode = [this](QRadioButton* button, core::ExclusionMode mode) {
    connect(button, &QRadioButton::toggled, this, [this, mode](bool on) {
      if (on) page_.exclusion = mode;
      emit edited();
    });
    loaders_.push_back([this, button, mode] { button->setChecked(page_.exclusion == mode); });
  };
  bind_mode(epi, core::ExclusionMode::epi_info);
  bind_mode(kandu, core::ExclusionMode::kandu);
  bind_mode(none, core::ExclusionMode::none);
  core::FlagParameters& f = page_.flags;
  const QString epi_range = tr("Epi Info 6: %1 from / to");
  const QString kandu_range = tr("Kandu: %1 below / above the mean");
  const auto pair = [&](const QString& caption, std::string& low, std::string& high,
                        const std::string& low_name, const std::string& high_name) {
    auto* row = new QWidget;
    auto* row_layout = new QHBoxLayout(row);
    row_layout->setContentsMargins(0, 0, 0, 0);
    for (auto [field, name] : {std::pair{&low, low_name}, std::pair{&high, high_name}}) {
      auto* line = new QLineEdit;
      line->setMaximumWidth(60);
      edits_.emplace_back(name, line);
      connect(line, &QLineEdit::textEdited, this, [this, field](const QString& t) {
        *field = from_qstring(t);
        emit edited();
      });
      loaders_.push_back([line, field] { line->setText(to_qstring(*field)); });
      row_layout->addWidget(line);
    }
    form->addRow(caption, row);
  };
  pair(epi_range.arg(QStringLiteral("WAZ")), f.waz_l, f.waz_h, "waz_l", "waz_h");
  pair(epi_range.arg(QStringLiteral("HAZ")), f.haz_l, f.haz_h, "haz_l", "haz_h");
  pair(epi_range.arg(QStringLiteral("WHZ")), f.whz_l, f.whz_h, "whz_l", "whz_h");
  pair(kandu_range.arg(QStringLiteral("WAZ")), f.waz_ol, f.waz_oh, "waz_ol", "waz_oh");
  pair(kandu_range.arg(QStringLiteral("HAZ")), f.haz_ol, f.haz_oh, "haz_ol", "haz_oh");
  pair(kandu_range.arg(QStringLiteral("WHZ")), f.whz_ol, f.whz_oh, "whz_ol", "whz_oh");
  columns[3]->addWidget(flags);

  // Boys and girls of an age group side by side.
  auto* expected = new QGroupBox(tr("Expected proportions of the age groups (per 1000)"));
  auto* proportions_grid = new QGridLayout(expected);
  proportions_grid->addWidget(new QLabel(tr("Boys")), 0, 1);
  proportions_grid->addWidget(new QLabel(tr("Girls")), 0, 2);
  std::string* proportions[] = {&page_.epc01, &page_.epc02, &page_.epc03, &page_.epc04,
                                &page_.epc05, &page_.epc06, &page_.epc07, &page_.epc08,
                                &page_.epc09, &page_.epc10};
  for (int k = 0; k < 10; ++k) {
    const std::string name = (k < 9 ? "epc0" : "epc") + std::to_string(k + 1);
    if (k % 2 == 0)
      proportions_grid->addWidget(new QLabel(tr("Group %1").arg(k / 2 + 1)), 1 + k / 2, 0);
    proportions_grid->addWidget(bind_edit(*proportions[k], name), 1 + k / 2, 1 + k % 2);
  }
  proportions_grid->setColumnStretch(3, 1);
  columns[3]->addWidget(expected);
  columns[3]->addWidget(oedema_correction_);

  output_program_ = group(tr(" Program for Output "), form);
  ms_office_ = new QRadioButton(QStringLiteral("MS-Office"));
  open_office_ = new QRadioButton(QStringLiteral("OpenOffice"));
  form->addRow(ms_office_);
  form->addRow(open_office_);
  // Clicked, not toggled: the search runs when the user chooses, not when load() shows a value.
  connect(ms_office_, &QRadioButton::clicked, this, [this] { emit office_program_clicked(true); });
  connect(open_office_, &QRadioButton::clicked, this,
          [this] { emit office_program_clicked(false); });
  loaders_.push_back([this] {
    ms_office_->setChecked(page_.RadioButton5);
    open_office_->setChecked(!page_.RadioButton5);
  });
  QLineEdit* path = add_edit(form, tr("Word processor"), page_.wordprocessor, "wordprocessor");
  path->setMinimumWidth(200);
  columns[2]->addWidget(output_program_);

  auto* save = new QPushButton(tr("Save"));
  save->setObjectName(QStringLiteral("SaveOptions"));
  connect(save, &QPushButton::clicked, this, &OptionsPageWidget::save_clicked);
  auto* reset = new QPushButton(tr("Reset"));
  reset->setObjectName(QStringLiteral("ResetOptions"));
  connect(reset, &QPushButton::clicked, this, &OptionsPageWidget::reset_clicked);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(save);
  buttons->addWidget(reset);
  columns[3]->addLayout(buttons);
  for (QVBoxLayout* column : columns) column->addStretch(1);

  auto* scroll = new QScrollArea;
  scroll->setWidget(content);
  scroll->setWidgetResizable(true);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(scroll);
  load();
}

QGroupBox* OptionsPageWidget::group(const QString& caption, QFormLayout*& form) {
  auto* box = new QGroupBox(caption);
  form = new QFormLayout(box);
  return box;
}

QLineEdit* OptionsPageWidget::add_edit(QFormLayout* form, const QString& caption,
                                       std::string& field, const std::string& name) {
  QLineEdit* line = bind_edit(field, name);
  form->addRow(caption, line);
  return line;
}

QLineEdit* OptionsPageWidget::bind_edit(std::string& field, const std::string& name) {
  auto* line = new QLineEdit;
  line->setMaximumWidth(name == "wordprocessor" ? 16777215 : 80);
  edits_.emplace_back(name, line);
  connect(line, &QLineEdit::textEdited, this, [this, &field](const QString& t) {
    field = from_qstring(t);
    emit edited();
  });
  loaders_.push_back([line, &field] { line->setText(to_qstring(field)); });
  return line;
}

void OptionsPageWidget::add_check(QFormLayout* form, const QString& caption, bool& field) {
  auto* box = new QCheckBox(caption);
  connect(box, &QCheckBox::toggled, this, [this, &field](bool on) {
    field = on;
    emit edited();
  });
  loaders_.push_back([box, &field] { box->setChecked(field); });
  form->addRow(box);
}

void OptionsPageWidget::load() {
  // Showing a value must not write it back through the change handlers.
  const QSignalBlocker blocker(this);
  for (const auto& loader : loaders_) loader();
}

void OptionsPageWidget::apply_mode(const workspace::WindowMode& mode) {
  autofill_->setVisible(mode.group_autofill);
  age_entry_->setVisible(mode.group_age_entry);
  entry_mode_->setVisible(mode.group_data_entry_mode);
  clothes_->setVisible(mode.group_clothes_weight);
  oedema_correction_->setVisible(mode.group_oedema_correction);
  extra_columns_->setVisible(mode.group_extra_columns);
  output_program_->setVisible(mode.group_output_program);
}

QLineEdit* OptionsPageWidget::edit(const std::string& name) const {
  for (const auto& [field, line] : edits_) {
    if (field == name) return line;
  }
  return nullptr;
}

}  // namespace olvar::ui
