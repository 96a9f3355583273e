#include "ui/mortality_table_model.h"

#include <algorithm>
#include <string>

#include "ui/qt_convert.h"

namespace olvar::ui {

MortalityTableModel::MortalityTableModel(core::TextGrid& grid, core::TextGrid headings,
                                         int first_row, QObject* parent)
    : QAbstractTableModel(parent),
      grid_(grid),
      headings_(std::move(headings)),
      first_row_(first_row) {}

int MortalityTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(0, grid_.row_count() - first_row_);
}

int MortalityTableModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  int last = grid_.column_count() - 1;
  // Spare columns after the last additional variable have no name yet: they are not shown
  // until Add variable names them.
  if (first_row_ == 1) {
    while (last >= headings_.column_count() && grid_.cell(last, 0).empty()) --last;
  }
  return std::max(0, last);
}

QVariant MortalityTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  return to_qstring(std::string(grid_.cell(table_column(index), table_row(index))));
}

QVariant MortalityTableModel::headerData(int section, Qt::Orientation orientation,
                                         int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  const int column = section + 1;
  // The individual table names its additional variables in row 0; the fixed columns take the
  // reference headings, since a file may carry an empty or older heading row.
  std::string heading(grid_.cell(column, 0));
  if (first_row_ == 1 && !heading.empty() && column >= headings_.column_count()) {
    return to_qstring(heading);
  }
  if (column >= headings_.column_count()) return to_qstring(heading);
  heading = std::string(headings_.cell(column, 0));
  const std::string_view second = headings_.cell(column, 1);
  if (!second.empty()) heading += (heading.empty() ? "" : " ") + std::string(second);
  return to_qstring(heading);
}

Qt::ItemFlags MortalityTableModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable
                         : Qt::NoItemFlags;
}

bool MortalityTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid()) return false;
  grid_.set_cell(table_column(index), table_row(index), from_qstring(value.toString()));
  if (on_written) on_written(table_column(index), table_row(index));
  emit dataChanged(index, index);
  return true;
}

void MortalityTableModel::reload() {
  beginResetModel();
  endResetModel();
}

void MortalityTableModel::set_headings(core::TextGrid headings) {
  headings_ = std::move(headings);
  if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

}  // namespace olvar::ui
