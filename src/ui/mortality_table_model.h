#pragma once
// A mortality table of the Death Rates page as a Qt model: data rows from `first_row` on, column
// 0 the row number (the vertical header). Headings come from the table's own row 0 where it
// names an additional variable, otherwise from a grid of reference headings (rows 0 and 1 joined
// by a space), so that no column shows a bare number.

#include <QAbstractTableModel>
#include <functional>

#include "core/text_grid.h"

namespace olvar::ui {

class MortalityTableModel : public QAbstractTableModel {
 public:
  MortalityTableModel(core::TextGrid& grid, core::TextGrid headings, int first_row,
                      QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  void reload();
  void set_headings(core::TextGrid headings);
  // Table column and row of a model index.
  static int table_column(const QModelIndex& index) { return index.column() + 1; }
  int table_row(const QModelIndex& index) const { return index.row() + first_row_; }
  int first_row() const { return first_row_; }

  // Called after a cell was written, with the table's column and row.
  std::function<void(int column, int row)> on_written;

 private:
  core::TextGrid& grid_;
  core::TextGrid headings_;
  int first_row_;
};

}  // namespace olvar::ui
