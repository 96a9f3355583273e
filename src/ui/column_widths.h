#pragma once
// Column widths of a table view that outlast a reset of its model: a reset gives every column the
// default width again, which cut the item names of the food security tables and the headings of
// the household mortality table short.

#include <utility>
#include <vector>

class QTableView;

namespace olvar::ui {

// Gives the columns the widths named (column, pixels) and every column at least the width of its
// heading, now and after every reset or heading change of the view's model.
void keep_column_widths(QTableView* view, std::vector<std::pair<int, int>> widths = {});

}  // namespace olvar::ui
