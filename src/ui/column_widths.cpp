#include "ui/column_widths.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QTableView>
#include <algorithm>

namespace olvar::ui {

void keep_column_widths(QTableView* view, std::vector<std::pair<int, int>> widths) {
  QAbstractItemModel* model = view->model();
  if (model == nullptr) return;
  const auto apply = [view, widths = std::move(widths)] {
    QHeaderView* header = view->horizontalHeader();
    const int columns = view->model()->columnCount();
    for (const auto& [column, width] : widths) {
      if (column < columns) view->setColumnWidth(column, width);
    }
    for (int column = 0; column < columns; ++column) {
      const int heading = header->sectionSizeHint(column);
      if (header->sectionSize(column) < heading) header->resizeSection(column, heading);
    }
  };
  apply();
  QObject::connect(model, &QAbstractItemModel::modelReset, view, apply);
  QObject::connect(model, &QAbstractItemModel::headerDataChanged, view, apply);
  QObject::connect(model, &QAbstractItemModel::columnsInserted, view, apply);
}

}  // namespace olvar::ui
