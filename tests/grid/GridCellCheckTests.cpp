// The check-box cell: box, text rectangle, extent, toggling by a click and
// the invalidation after the first draw.
#include <gtest/gtest.h>

#include "GridCellCheck.h"
#include "GridTestSupport.h"

using gridtest::MakeGrid;
using gridtest::TestParent;

namespace {

// Dark pixels inside a box: a ticked box has its tick mark too.
int DarkPixels(const fw::MemoryBitmap& bitmap, const RECT& box)
{
    int count = 0;
    for (int y = box.top + 2; y < box.bottom - 2; ++y)
        for (int x = box.left + 2; x < box.right - 2; ++x) {
            COLORREF c = bitmap.Pixel(x, y);
            count += GetRValue(c) + GetGValue(c) + GetBValue(c) < 200;
        }
    return count;
}

RECT UpdateRect(HWND window)
{
    RECT rect{};
    ::GetUpdateRect(window, &rect, FALSE);
    return rect;
}

}  // namespace

TEST(GridCellCheck, DrawsItsBoxTickedOrNotAndLeavesRoomForIt)
{
    TestParent parent;
    auto grid = MakeGrid(parent);
    ASSERT_NE(nullptr, grid);
    grid->SetRowCount(3);
    grid->SetColumnCount(2);
    ASSERT_TRUE(grid->SetCellType(1, 0, &CGridCellCheck::Class));
    auto* check = static_cast<CGridCellCheck*>(grid->GetCell(1, 0));
    ASSERT_TRUE(check->IsKindOf(&CGridCellCheck::Class));
    const int side = ::GetSystemMetrics(SM_CXHSCROLL);
    EXPECT_EQ(side, CGridCellCheck::BoxSide());
    const int margin = static_cast<int>(check->GetMargin());

    fw::MemoryBitmap bitmap(100, 40);
    const RECT box{margin, margin, margin + side, margin + side};
    bitmap.Fill(RGB(255, 255, 255));
    ASSERT_TRUE(check->Draw(bitmap.DC(), 1, 0, RECT{0, 0, 99, 39}, true));
    const int unticked = DarkPixels(bitmap, box);
    EXPECT_FALSE(check->SetCheck(true));
    bitmap.Fill(RGB(255, 255, 255));
    ASSERT_TRUE(check->Draw(bitmap.DC(), 1, 0, RECT{0, 0, 99, 39}, true));
    EXPECT_GT(DarkPixels(bitmap, box), unticked + 3);
    EXPECT_TRUE(check->GetCheck());

    RECT text{0, 0, 99, 39};
    check->GetTextRect(&text);
    EXPECT_EQ(side + 2 * margin, text.left);
    RECT narrow{0, 0, 5, 39};
    check->GetTextRect(&narrow);
    EXPECT_EQ(5, narrow.left);  // never past the right edge

    grid->SetItemText(1, 1, grid->GetItemText(1, 0).c_str());
    const SIZE plain = grid->GetCell(1, 1)->GetCellExtent(nullptr);
    const SIZE boxed = check->GetCellExtent(nullptr);
    EXPECT_EQ(plain.cx + side + 2 * margin, boxed.cx);
    EXPECT_GE(boxed.cy, side + 2 * margin);
}

TEST(GridCellCheck, AClickAnywhereTogglesAndOnlyADrawnCellInvalidates)
{
    TestParent parent;
    auto grid = MakeGrid(parent);
    ASSERT_NE(nullptr, grid);
    grid->SetRowCount(2);
    grid->SetColumnCount(2);
    grid->SetCellType(1, 0, &CGridCellCheck::Class);
    auto* check = static_cast<CGridCellCheck*>(grid->GetCell(1, 0));

    ::ValidateRect(grid->Handle(), nullptr);
    check->SetCheck(true);  // never drawn: nothing to invalidate
    RECT nothing = UpdateRect(grid->Handle());
    EXPECT_TRUE(::IsRectEmpty(&nothing));

    // A row only 10 pixels high: the box is centred and a click toggles.
    fw::MemoryBitmap bitmap(100, 40);
    bitmap.Fill(RGB(255, 255, 255));
    const RECT cell{20, 15, 79, 24};
    ASSERT_TRUE(check->Draw(bitmap.DC(), 1, 0, cell, true));
    const int side = CGridCellCheck::BoxSide();
    const int margin = static_cast<int>(check->GetMargin());
    int above = 0;  // a centred box taller than the row reaches above it
    for (int y = cell.top - (side - 10) / 2; y < cell.top; ++y)
        for (int x = cell.left + margin; x < cell.left + margin + side; ++x)
            above += bitmap.Pixel(x, y) != RGB(255, 255, 255);
    EXPECT_GT(above, side / 2);
    ::ValidateRect(grid->Handle(), nullptr);
    check->OnClick(POINT{58, 9});  // relative to the cell: its bottom-right pixel
    EXPECT_FALSE(check->GetCheck());
    RECT invalid = UpdateRect(grid->Handle());
    EXPECT_EQ(cell.left, invalid.left);
    EXPECT_EQ(cell.top, invalid.top);
    EXPECT_EQ(cell.right + 1, invalid.right);
    EXPECT_EQ(cell.bottom + 1, invalid.bottom);
    check->OnClick(POINT{0, 0});
    EXPECT_TRUE(check->GetCheck());
    check->OnClick(POINT{60, 0});  // outside the cell
    EXPECT_TRUE(check->GetCheck());
}
