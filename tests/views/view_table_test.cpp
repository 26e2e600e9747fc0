// The table of views that the screen, the printer, kelm-export, the fuzz targets and the
// benchmarks loop over: a row added or edited must keep the rows apart and consistent.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "source/klplot/pages/view_table.h"
#include "tests/views/recording_canvas.h"

namespace kelm::klplot {
namespace {

TEST(ViewTable, RowsHaveTheirOwnUnitTitlePictureAndPrintItemInOneMenuOrder) {
  std::set<int> units, printOrders;
  std::set<std::string> titles, pictures, printItems;
  for (const ViewRow& view : viewRows()) {
    units.insert(view.unit);
    titles.insert(view.title);
    pictures.insert(view.pictureName);
    printItems.insert(view.printMenuText);
    printOrders.insert(view.printOrder);
    EXPECT_EQ(viewRowOfUnit(view.unit), &view) << view.title;
  }
  for (std::size_t distinct : {units.size(), titles.size(), pictures.size(), printItems.size(), printOrders.size()})
    EXPECT_EQ(distinct, std::size_t(kViewCount));
  // The print items take the places 1..N of the File menu's print section, each once.
  EXPECT_EQ(*printOrders.begin(), 1);
  EXPECT_EQ(*printOrders.rbegin(), kViewCount);
  EXPECT_TRUE(std::ranges::is_sorted(printedViewRows(), {}, &ViewRow::printOrder));
  EXPECT_EQ(viewRowOfUnit(0), nullptr);
  EXPECT_EQ(viewRowOfUnit(kFieldUnit + 1), nullptr);
}

TEST(ViewTable, AViewWithAMarkerSlotReturnsItsColumnAndNoOtherDoes) {
  auto data = std::make_unique<ProjectData>();
  for (const ViewRow& view : viewRows()) {
    testing::RecordingCanvas canvas;
    PlotMapping mapping;
    const ViewDrawn drawn = view.draw(ViewContext{canvas, mapping, 1016, 1048, 13}, *data, ViewInputs{});
    EXPECT_EQ(drawn.markerColumn.has_value(), view.marker != MarkerSlot::none) << view.title;
    const ViewPlacement at = view.placement(1600, 1000);
    EXPECT_GT(at.width, 0) << view.title;
    EXPECT_LE(at.x + at.width, 1600) << view.title;
    EXPECT_LE(at.y + at.height, 1000) << view.title;
  }
}

}  // namespace
}  // namespace kelm::klplot
