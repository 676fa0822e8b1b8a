// Painting and geometry: backgrounds, grid lines by mode, hidden rows and
// columns, pressed headers, virtual cells.
#include <gtest/gtest.h>

#include "GridTestSupport.h"

using gridtest::MakeGrid;
using gridtest::Render;
using gridtest::TestParent;

namespace {

std::unique_ptr<CGridCtrl> Plain(TestParent& parent)
{
    auto grid = MakeGrid(parent, 300, 200);
    grid->SetRowCount(5);
    grid->SetColumnCount(3);
    grid->SetFixedRowCount(1);
    grid->SetFixedColumnCount(1);
    for (int row = 0; row < 5; ++row)
        grid->SetRowHeight(row, 20);
    for (int col = 0; col < 3; ++col)
        grid->SetColumnWidth(col, 50);
    return grid;
}

}  // namespace

TEST(GridCtrlDraw, GridLinesFollowTheirModeOverTheBodyOnly)
{
    TestParent parent;
    auto grid = Plain(parent);
    const COLORREF line = RGB(255, 0, 255);
    grid->SetGridLineColour(line);
    // Body cell (2, 1) spans x 50..99, y 40..59; its last pixel column and row carry the lines.
    struct Case {
        int mode;
        bool vertical, horizontal;
    } cases[] = {{GridLines::kNone, false, false},
                 {GridLines::kHorizontal, false, true},
                 {GridLines::kVertical, true, false},
                 {GridLines::kBoth, true, true}};
    for (const Case& c : cases) {
        grid->SetGridLines(c.mode);
        auto bitmap = Render(*grid);
        EXPECT_EQ(c.vertical, bitmap->Pixel(99, 50) == line) << c.mode;
        EXPECT_EQ(c.horizontal, bitmap->Pixel(75, 59) == line) << c.mode;
        EXPECT_NE(line, bitmap->Pixel(49, 10)) << c.mode;  // never over the fixed cells
    }
    // The four backgrounds and the area beyond the cells.
    grid->GetDefaultCell(true, true)->SetBackColour(RGB(10, 0, 0));
    grid->GetDefaultCell(true, false)->SetBackColour(RGB(20, 0, 0));
    grid->GetDefaultCell(false, true)->SetBackColour(RGB(30, 0, 0));
    grid->GetDefaultCell(false, false)->SetBackColour(RGB(40, 0, 0));
    grid->SetGridBackColour(RGB(50, 0, 0));
    auto bitmap = Render(*grid);
    EXPECT_EQ(RGB(10, 0, 0), bitmap->Pixel(25, 10));
    EXPECT_EQ(RGB(20, 0, 0), bitmap->Pixel(75, 10));
    EXPECT_EQ(RGB(30, 0, 0), bitmap->Pixel(25, 50));
    EXPECT_EQ(RGB(40, 0, 0), bitmap->Pixel(75, 50));
    EXPECT_EQ(RGB(50, 0, 0), bitmap->Pixel(200, 50));
    EXPECT_EQ(RGB(50, 0, 0), bitmap->Pixel(75, 150));
}

TEST(GridCtrlDraw, HiddenRowsTakeNoSpaceAndHeadersOfTheFocusArePressed)
{
    TestParent parent;
    auto grid = Plain(parent);
    grid->SetItemBackColour(2, 1, RGB(0, 200, 0));
    grid->SetItemBackColour(3, 1, RGB(0, 0, 200));
    grid->SetRowHeight(2, 0);
    RECT rect{};
    ASSERT_TRUE(grid->GetCellRect(3, 1, &rect));
    EXPECT_EQ(40, rect.top);  // right under row 1
    auto bitmap = Render(*grid);
    EXPECT_EQ(RGB(0, 0, 200), bitmap->Pixel(75, 45));
    for (int y = 0; y < 200; ++y)
        ASSERT_NE(RGB(0, 200, 0), bitmap->Pixel(75, y)) << y;

    // The fixed cells of the focus cell's row and column look pressed:
    // no raised highlight on their top-left edge.
    const COLORREF light = ::GetSysColor(COLOR_3DHIGHLIGHT);
    bitmap = Render(*grid);
    EXPECT_EQ(light, bitmap->Pixel(60, 0));  // raised header of column 1
    grid->SetFocusCell(3, 1);
    bitmap = Render(*grid);
    EXPECT_NE(light, bitmap->Pixel(60, 0));
    EXPECT_NE(light, bitmap->Pixel(0, 45));  // the fixed cell of row 3
    EXPECT_EQ(light, bitmap->Pixel(110, 0));  // column 2's header stays raised
    grid->SetTrackFocusCell(false);
    bitmap = Render(*grid);
    EXPECT_EQ(light, bitmap->Pixel(60, 0));
}

TEST(GridCtrlDraw, VirtualCellsAreAskedForWhenPainted)
{
    TestParent parent;
    auto grid = MakeGrid(parent, 300, 200);
    grid->SetVirtualMode(true);
    grid->SetRowCount(1000);
    grid->SetColumnCount(4);
    grid->SetFixedRowCount(1);
    parent.display = [](GridDisplayInfo* info) {
        if (info->row == 1 && info->column == 1)
            info->backColour = RGB(0, 120, 0);
    };
    parent.displayRequests = 0;
    RECT rect{};
    ASSERT_TRUE(grid->GetCellRect(1, 1, &rect));
    auto bitmap = Render(*grid);
    EXPECT_EQ(RGB(0, 120, 0), bitmap->Pixel((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
    const GridCellRange visible = grid->GetVisibleNonFixedCellRange();
    // Only what is on screen is asked for.
    EXPECT_LE(parent.displayRequests, (visible.maxRow + 1) * 4 + 4);
    EXPECT_GE(parent.displayRequests, visible.maxRow * 4);
}
