#include "ui/grid_models.h"

#include "core/standard_variables.h"
#include "ui/palette.h"
#include "ui/qt_convert.h"

namespace olvar::ui {

SurveyTableModel::SurveyTableModel(core::Workspace& workspace, CellWriter writer, QObject* parent)
    : QAbstractTableModel(parent), workspace_(workspace), writer_(std::move(writer)) {}

int SurveyTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(0, workspace_.survey.row_count() - 1);
}

int SurveyTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(0, workspace_.survey.column_count() - 1);
}

QVariant SurveyTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int column = table_column(index);
  if (role == Qt::DisplayRole || role == Qt::EditRole) {
    return to_qstring(workspace_.survey.cell(column, table_row(index)));
  }
  const bool skipped = skipped_column && skipped_column() == column;
  if (role == Qt::ToolTipRole && skipped && skipped_reason) return skipped_reason();
  if (role == Qt::ForegroundRole && skipped) return palette::kSkippedText;
  if (role != Qt::BackgroundRole) return {};
  if (is_marked && is_marked(column, table_row(index))) return palette::kMarked;
  if (skipped) return palette::kSkipped;
  if (column >= core::column(core::StdVar::waz) && column <= core::column(core::StdVar::whz)) {
    return palette::kComputed;
  }
  return {};
}

QVariant SurveyTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return to_qstring(workspace_.survey.cell(section + 1, 0));
  const std::string_view number = workspace_.survey.cell(0, section + 1);
  return number.empty() ? QVariant(section + 1) : QVariant(to_qstring(number));
}

Qt::ItemFlags SurveyTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

bool SurveyTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || !writer_) return false;
  const int row = table_row(index);
  if (!writer_(workspace_, table_column(index), row, from_qstring(value.toString()))) {
    return false;
  }
  // Row evaluation may rewrite SEX, EDEMA, MONTHS and the z-scores: repaint the whole row.
  emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
  emit cell_written(table_column(index), row);
  return true;
}

void SurveyTableModel::reload() {
  beginResetModel();
  endResetModel();
}

void SurveyTableModel::repaint_row(int row) {
  if (row < 1 || row > rowCount()) return;
  emit dataChanged(index(row - 1, 0), index(row - 1, columnCount() - 1));
  emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
}

TextGridModel::TextGridModel(core::TextGrid& grid, bool headings_in_row0, bool editable,
                             QObject* parent)
    : QAbstractTableModel(parent),
      grid_(grid),
      headings_in_row0_(headings_in_row0),
      editable_(editable) {}

int TextGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(0, grid_.row_count() - first_row());
}

int TextGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.column_count();
}

QVariant TextGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  return to_qstring(grid_.cell(index.column(), index.row() + first_row()));
}

QVariant TextGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal && headings_in_row0_) {
    const std::string_view heading = grid_.cell(section, 0);
    if (!heading.empty()) return to_qstring(heading);
  }
  return section + (orientation == Qt::Vertical ? first_row() : 0);
}

Qt::ItemFlags TextGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags result = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
  if (editable_) result |= Qt::ItemIsEditable;
  return result;
}

bool TextGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || !editable_) return false;
  const int row = index.row() + first_row();
  grid_.set_cell(index.column(), row, from_qstring(value.toString()));
  if (on_written) on_written(index.column(), row);
  emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
  return true;
}

void TextGridModel::reload() {
  beginResetModel();
  endResetModel();
}

}  // namespace olvar::ui
