// Column widths that outlast a reset of the model (a reload after a file was read or a table
// was rebuilt gives every column the default width again).
#include "ui/column_widths.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTableView>

#include "core/text_grid.h"
#include "ui/grid_models.h"

namespace olvar::ui {
namespace {

TEST(ColumnWidths, NamedWidthsAndWholeHeadingsOutlastAReload) {
  core::TextGrid grid(3, 4);
  grid.set_cell(0, 0, "Item");
  grid.set_cell(1, 0, "Members now < 5, counted at the visit");
  grid.set_cell(2, 0, "N");
  TextGridModel model(grid, true, true);
  QTableView view;
  view.setModel(&model);
  view.horizontalHeader()->setDefaultSectionSize(40);
  keep_column_widths(&view, {{0, 220}});
  for (int reload = 0; reload < 2; ++reload) {
    EXPECT_EQ(view.columnWidth(0), 220);
    EXPECT_GE(view.columnWidth(1), view.horizontalHeader()->sectionSizeHint(1));
    EXPECT_GT(view.columnWidth(1), 40);
    EXPECT_EQ(view.columnWidth(2), 40);  // its heading fits the default width
    model.reload();
  }
}

}  // namespace
}  // namespace olvar::ui
