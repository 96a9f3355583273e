#pragma once
// Qt models over the tables of the Workspace. Each holds a reference to the core's table and
// translates: row 0 of a table with headings is the horizontal header, the rest are the rows;
// no model keeps a copy of the data.

#include <QAbstractTableModel>
#include <functional>
#include <string>

#include "core/text_grid.h"
#include "core/workspace.h"

namespace olvar::ui {

// The Data View (`PG`): model row r is Survey table row r + 1, model column c is column c + 1;
// the row numbers of column 0 are the vertical header, the variable names of row 0 the
// horizontal one.
class SurveyTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // Writes one typed cell and does what typing implies (row evaluation, the row's plausibility
  // marks). Returns whether the cell was taken.
  using CellWriter = std::function<bool(core::Workspace&, int column, int row,
                                        const std::string& text)>;

  SurveyTableModel(core::Workspace& workspace, CellWriter writer, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // The table was replaced or reshaped (file read, new survey, column commands).
  void reload();
  // The cells or marks of Survey table row `row` changed: repaint that row.
  void repaint_row(int row);

  // Whether a cell (table column, table row) carries a plausibility mark; unset: none does.
  std::function<bool(int column, int row)> is_marked;
  // The column that typing passes over (greyed, with the reason as its tooltip); 0 for none.
  std::function<int()> skipped_column;
  std::function<QString()> skipped_reason;
  // Survey table column and row of a model index.
  static int table_column(const QModelIndex& index) { return index.column() + 1; }
  static int table_row(const QModelIndex& index) { return index.row() + 1; }

 signals:
  void cell_written(int column, int row);

 private:
  core::Workspace& workspace_;
  CellWriter writer_;
};

// A plain grid over any TextGrid: the Variable View (`vsg`), the mortality, training and planning
// tables. With `headings_in_row0` row 0 is the horizontal header; otherwise columns are
// numbered. Edits go through `on_written` afterwards, so the owner can mark the survey changed.
class TextGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  TextGridModel(core::TextGrid& grid, bool headings_in_row0, bool editable,
                QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  void reload();
  int first_row() const { return headings_in_row0_ ? 1 : 0; }

  // Called after a cell was written, with the grid's column and row.
  std::function<void(int column, int row)> on_written;

 private:
  core::TextGrid& grid_;
  bool headings_in_row0_;
  bool editable_;
};

}  // namespace olvar::ui
