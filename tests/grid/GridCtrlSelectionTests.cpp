// Focus, selection and sorting, the fixed-cell clicks and select all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "GridTestSupport.h"
#include "support/Printers.h"

using gridtest::MakeGrid;
using gridtest::Render;
using gridtest::TestParent;

namespace {

std::vector<std::wstring> Column(CGridCtrl& grid, int col)
{
    std::vector<std::wstring> texts;
    for (int row = grid.GetFixedRowCount(); row < grid.GetRowCount(); ++row)
        texts.push_back(grid.GetItemText(row, col).str());
    return texts;
}

void Fill(CGridCtrl& grid, const std::vector<std::vector<const wchar_t*>>& rows)
{
    grid.SetRowCount(static_cast<int>(rows.size()) + 1);
    grid.SetColumnCount(static_cast<int>(rows[0].size()));
    grid.SetFixedRowCount(1);
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c)
            grid.SetItemText(static_cast<int>(r) + 1, static_cast<int>(c), rows[r][c]);
}

}  // namespace

TEST(GridCtrlSelection, FocusNeverLiesOnAFixedCell)
{
    CGridCtrl grid(4, 4, 1, 1);
    EXPECT_EQ(GridCellId(), grid.SetFocusCell(0, 0));
    EXPECT_EQ(GridCellId(1, 1), grid.GetFocusCell());
    EXPECT_EQ(GridState::kFocused, grid.GetItemState(1, 1) & GridState::kFocused);
    EXPECT_EQ(GridCellId(1, 1), grid.SetFocusCell(3, 2));
    EXPECT_EQ(0u, grid.GetItemState(1, 1) & GridState::kFocused);
    EXPECT_EQ(GridState::kFocused, grid.GetItemState(3, 2) & GridState::kFocused);
    grid.SetFocusCell(-1, -1);
    EXPECT_EQ(GridCellId(), grid.GetFocusCell());
    EXPECT_EQ(0u, grid.GetItemState(3, 2) & GridState::kFocused);

    // Removing the focus row forgets the focus; a row above it moves it up.
    grid.SetFocusCell(3, 2);
    grid.SetRowCount(3);
    EXPECT_EQ(GridCellId(), grid.GetFocusCell());

    // A cell outside the grid does not take the focus, nor half a cell; once
    // the grid grew under it, it would have it without the flag.
    grid.SetFocusCell(2, 2);
    EXPECT_EQ(GridCellId(2, 2), grid.SetFocusCell(5, 2));
    EXPECT_EQ(GridCellId(2, 2), grid.SetFocusCell(-1, 2));
    grid.SetRowCount(6);
    EXPECT_EQ(GridCellId(2, 2), grid.GetFocusCell());
    EXPECT_EQ(GridState::kFocused, grid.GetItemState(2, 2) & GridState::kFocused);
    EXPECT_EQ(0u, grid.GetItemState(5, 2) & GridState::kFocused);
}

TEST(GridCtrlSelection, RangesSelectAndDeselectAndReportTheirBounds)
{
    CGridCtrl grid(6, 4, 1, 1);
    EXPECT_EQ(GridCellRange(6, 4, -1, -1), grid.GetSelectedCellRange());  // nothing selected

    grid.SetSelectedRange(0, 0, 2, 2);  // raised out of the fixed cells
    EXPECT_FALSE(grid.IsCellSelected(0, 0));
    EXPECT_FALSE(grid.IsCellSelected(1, 0));
    EXPECT_TRUE(grid.IsCellSelected(1, 1));
    EXPECT_TRUE(grid.IsCellSelected(2, 2));
    EXPECT_EQ(GridCellRange(1, 1, 2, 2), grid.GetSelectedCellRange());
    EXPECT_EQ(4, grid.GetSelectedCount());

    grid.SetSelectedRange(4, 3, 5, 3);  // a new range replaces the old one
    EXPECT_FALSE(grid.IsCellSelected(1, 1));
    EXPECT_EQ(GridCellRange(4, 3, 5, 3), grid.GetSelectedCellRange());
    grid.SetSelectedRange(4, 3, 4, 3, false, false);  // deselect only
    EXPECT_FALSE(grid.IsCellSelected(4, 3));
    EXPECT_TRUE(grid.IsCellSelected(5, 3));
    grid.SetSelectedRange(3, 3, 9, 3);  // out of bounds: nothing new
    EXPECT_EQ(0, grid.GetSelectedCount());

    grid.SelectAllCells();
    EXPECT_EQ(GridCellRange(1, 1, 5, 3), grid.GetSelectedCellRange());
    EXPECT_EQ(15, grid.GetSelectedCount());
    grid.SetFixedColumnsSelectable(true);
    grid.SelectAllCells();
    EXPECT_EQ(GridCellRange(1, 1, 5, 3), grid.GetSelectedCellRange());  // select all keeps to the body
    grid.SetListMode(true);
    grid.SetSingleRowSelection(true);
    grid.SelectRows(GridCellId(2, 2));
    EXPECT_TRUE(grid.IsCellSelected(2, 0));  // rows start at column 0 now
    EXPECT_EQ(GridCellRange(2, 0, 2, 3), grid.GetSelectedCellRange());

    grid.ResetSelectedRange();
    EXPECT_EQ(0, grid.GetSelectedCount());
    EXPECT_EQ(GridCellId(), grid.GetFocusCell());
}

TEST(GridCtrlSelection, ListModeWithSingleRowSelectionKeepsOneRow)
{
    CGridCtrl grid(6, 3, 1, 0);
    grid.SetListMode(true);
    grid.SetSingleRowSelection(true);
    grid.SelectRows(GridCellId(2, 1));
    grid.SelectRows(GridCellId(4, 1));
    EXPECT_FALSE(grid.IsCellSelected(2, 0));
    EXPECT_TRUE(grid.IsCellSelected(4, 0));
    EXPECT_TRUE(grid.IsCellSelected(4, 2));
    EXPECT_EQ(GridCellRange(4, 0, 4, 2), grid.GetSelectedCellRange());
    grid.SelectRows(GridCellId(0, 1));  // a fixed row: nothing
    EXPECT_EQ(GridCellRange(4, 0, 4, 2), grid.GetSelectedCellRange());

    grid.SetSingleColSelection(true);
    grid.SelectColumns(GridCellId(0, 2));
    EXPECT_EQ(GridCellRange(1, 2, 5, 2), grid.GetSelectedCellRange());
}

TEST(GridCtrlSelection, DisabledSelectionChangesNothing)
{
    CGridCtrl grid(5, 3, 1, 0);
    grid.SetSelectedRange(1, 0, 1, 2);
    grid.EnableSelection(false);
    EXPECT_EQ(0, grid.GetSelectedCount());  // switching it off resets it
    grid.SetSelectedRange(1, 0, 2, 2);
    grid.SelectAllCells();
    grid.SelectRows(GridCellId(3, 1));
    EXPECT_EQ(0, grid.GetSelectedCount());
    EXPECT_FALSE(grid.IsCellSelected(1, 1));
    grid.SetItemState(2, 2, GridState::kSelected);
    EXPECT_FALSE(grid.IsCellSelected(2, 2));
}

TEST(GridCtrlSelection, SortsRowsWholeByTextNumberOrFunction)
{
    CGridCtrl grid;
    Fill(grid, {{L"pear", L"10"}, {L"apple", L"9"}, {L"fig", L"100"}, {L"kiwi", L"-3"}});
    grid.SetItemText(0, 0, L"Name");
    grid.SetRowHeight(2, 40);  // apple's row
    grid.SetSelectedRange(1, 0, 2, 1);
    grid.SetFocusCell(2, 1);

    ASSERT_TRUE(grid.SortItems(0, true));
    EXPECT_EQ((std::vector<std::wstring>{L"apple", L"fig", L"kiwi", L"pear"}), Column(grid, 0));
    EXPECT_EQ((std::vector<std::wstring>{L"9", L"100", L"-3", L"10"}), Column(grid, 1));  // rows stay whole
    EXPECT_EQ(40, grid.GetRowHeight(1));
    EXPECT_EQ(L"Name", grid.GetItemText(0, 0));  // fixed rows stay
    EXPECT_EQ(0, grid.GetSortColumn());
    EXPECT_TRUE(grid.GetSortAscending());
    EXPECT_EQ(0, grid.GetSelectedCount());
    EXPECT_EQ(GridCellId(), grid.GetFocusCell());

    ASSERT_TRUE(grid.SortItems(1, false));  // as text, descending
    EXPECT_EQ((std::vector<std::wstring>{L"9", L"100", L"10", L"-3"}), Column(grid, 1));
    ASSERT_TRUE(grid.SortItems(&CGridCtrl::NumericCompare, 1, true));
    EXPECT_EQ((std::vector<std::wstring>{L"-3", L"9", L"10", L"100"}), Column(grid, 1));
    grid.SetCompareFunction(&CGridCtrl::NumericCompare);
    ASSERT_TRUE(grid.SortItems(1, false));
    EXPECT_EQ((std::vector<std::wstring>{L"100", L"10", L"9", L"-3"}), Column(grid, 1));

    EXPECT_FALSE(grid.SortItems(2, true));  // no such column
    EXPECT_FALSE(grid.SortItems(-9, true));  // nor this one, which a change of the grid drops all the same
    EXPECT_EQ(-9, grid.GetSortColumn());
    grid.SetRowCount(6);
    EXPECT_EQ(-1, grid.GetSortColumn());
    EXPECT_EQ(0, CGridCtrl::TextCompare(nullptr, grid.GetCell(1, 0), 0));
    EXPECT_EQ(0, CGridCtrl::NumericCompare(grid.GetCell(1, 0), nullptr, 0));
}

TEST(GridCtrlSelection, EqualRowsKeepTheirOrderAndLargeSortsAreOrdered)
{
    CGridCtrl grid(9, 2, 1, 0);
    for (int row = 1; row < 9; ++row) {
        grid.SetItemText(row, 0, L"same");
        grid.SetItemData(row, 0, row);
    }
    grid.SortItems(0, true);
    for (int row = 1; row < 9; ++row)
        EXPECT_EQ(row, grid.GetItemData(row, 0));
    grid.SortItems(0, false);
    for (int row = 1; row < 9; ++row)
        EXPECT_EQ(row, grid.GetItemData(row, 0));

    CGridCtrl big(2001, 1, 1, 0);
    unsigned seed = 7;
    for (int row = 1; row < 2001; ++row) {
        seed = seed * 1103515245u + 12345u;
        big.SetItemText(row, 0, fw::WString::Format(L"%05u", (seed >> 8) % 500).c_str());
    }
    big.SortItems(&CGridCtrl::NumericCompare, 0, false);
    for (int row = 2; row < 2001; ++row)
        ASSERT_GE(_wtoi(big.GetItemText(row - 1, 0).c_str()), _wtoi(big.GetItemText(row, 0).c_str())) << row;
}

TEST(GridCtrlSelection, HeaderClicksSortAscendingThenDescendingAndSelectTheColumn)
{
    TestParent parent;
    auto grid = MakeGrid(parent);
    ASSERT_NE(nullptr, grid);
    Fill(*grid, {{L"b", L"2"}, {L"c", L"1"}, {L"a", L"3"}});
    grid->SetHeaderSort(true);
    grid->SetSingleColSelection(true);

    grid->OnFixedRowClick(GridCellId(0, 0));
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"b", L"c"}), Column(*grid, 0));
    EXPECT_TRUE(grid->GetSortAscending());
    grid->OnFixedRowClick(GridCellId(0, 0));
    EXPECT_EQ((std::vector<std::wstring>{L"c", L"b", L"a"}), Column(*grid, 0));
    EXPECT_FALSE(grid->GetSortAscending());
    grid->OnFixedRowClick(GridCellId(0, 1));
    EXPECT_EQ((std::vector<std::wstring>{L"1", L"2", L"3"}), Column(*grid, 1));
    EXPECT_TRUE(grid->GetSortAscending());
    EXPECT_EQ(1, grid->GetSortColumn());
    // The clicked column is selected.
    EXPECT_TRUE(grid->IsCellSelected(1, 1));
    EXPECT_TRUE(grid->IsCellSelected(3, 1));
    EXPECT_EQ(CGridCtrl::MouseMode::kSelectCol, grid->GetMouseMode());

    grid->SetFixedRowSelection(false);
    grid->ResetSelectedRange();
    grid->OnFixedRowClick(GridCellId(0, 1));
    EXPECT_EQ(0, grid->GetSelectedCount());

    // A fixed-column click selects the row; list mode switches that off.
    grid->SetFixedColumnCount(1);
    grid->SetListMode(true);
    EXPECT_FALSE(grid->GetFixedColumnSelection());
    EXPECT_EQ(-1, grid->GetSortColumn());
    grid->OnFixedColumnClick(GridCellId(2, 0));
    EXPECT_EQ(0, grid->GetSelectedCount());
    grid->SetFixedColumnSelection(true);
    grid->SetSingleRowSelection(true);
    grid->OnFixedColumnClick(GridCellId(2, 0));
    EXPECT_EQ(GridCellRange(2, 1, 2, 1), grid->GetSelectedCellRange());
    EXPECT_EQ(CGridCtrl::MouseMode::kSelectRow, grid->GetMouseMode());
}

TEST(GridCtrlSelection, SelectAllCommandNotifiesAroundTheSelection)
{
    TestParent parent;
    auto grid = MakeGrid(parent);
    ASSERT_NE(nullptr, grid);
    grid->SetRowCount(4);
    grid->SetColumnCount(3);
    grid->SetFixedRowCount(1);
    grid->Send(WM_COMMAND, kGridSelectAllCommand, 0);
    EXPECT_EQ((std::vector<UINT>{LVN_ITEMCHANGING, LVN_ITEMCHANGED}), parent.Codes());
    EXPECT_EQ(9, grid->GetSelectedCount());

    parent.Clear();
    grid->EnableSelection(false);
    grid->Send(WM_COMMAND, kGridSelectAllCommand, 0);
    EXPECT_TRUE(parent.notices.empty());
    EXPECT_EQ(0, grid->GetSelectedCount());
}

TEST(GridCtrlSelection, PaintingShowsHeadersSelectionAndFocus)
{
    TestParent parent;
    auto grid = MakeGrid(parent, 300, 200);
    ASSERT_NE(nullptr, grid);
    grid->SetRowCount(5);
    grid->SetColumnCount(3);
    grid->SetFixedRowCount(1);
    for (int col = 0; col < 3; ++col)
        grid->SetColumnWidth(col, 60);
    grid->SetSelectedRange(2, 0, 2, 2);
    RECT header{}, selected{}, plain{};
    ASSERT_TRUE(grid->GetCellRect(0, 1, &header));
    ASSERT_TRUE(grid->GetCellRect(2, 1, &selected));
    ASSERT_TRUE(grid->GetCellRect(3, 1, &plain));
    auto centre = [](const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };

    auto bitmap = Render(*grid);
    POINT at = centre(header);
    EXPECT_EQ(grid->GetDefaultCell(true, false)->GetBackColour(), bitmap->Pixel(at.x, at.y));
    at = centre(selected);
    EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), bitmap->Pixel(at.x, at.y));
    at = centre(plain);
    EXPECT_EQ(::GetSysColor(COLOR_WINDOW), bitmap->Pixel(at.x, at.y));
    EXPECT_EQ(grid->GetGridLineColour(), bitmap->Pixel(plain.right, at.y));  // vertical line
    EXPECT_EQ(grid->GetGridLineColour(), bitmap->Pixel(at.x, plain.bottom));  // horizontal line
    EXPECT_EQ(grid->GetGridBackColour(), bitmap->Pixel(250, 100));           // beyond the last column
    EXPECT_EQ(grid->GetGridBackColour(), bitmap->Pixel(50, 195));            // below the last row

    grid->SetFocusCell(3, 1);
    bitmap = Render(*grid);
    EXPECT_EQ(::GetSysColor(COLOR_WINDOWTEXT), bitmap->Pixel(plain.left, at.y));  // the focus frame
    grid->SetGridLines(GridLines::kNone);
    bitmap = Render(*grid);
    EXPECT_NE(grid->GetGridLineColour(), bitmap->Pixel(at.x, plain.bottom + grid->GetRowHeight(4)));  // row 4's line is gone
}

TEST(GridCtrlSelection, VirtualModeSortsByEachRowsOwnContents)
{
    TestParent parent;
    auto grid = MakeGrid(parent);
    ASSERT_NE(nullptr, grid);
    struct Row {
        const wchar_t* name;
        const wchar_t* number;
    };
    static const Row rows[] = {
        {L"Name", L"No."}, {L"pear", L"10"}, {L"apple", L"9"}, {L"fig", L"100"}, {L"kiwi", L"-3"}};
    grid->SetVirtualMode(true);
    grid->SetDisplayCallback([](GridDisplayInfo* info, LPARAM) -> BOOL {
        info->text = info->column == 0 ? rows[info->row].name : rows[info->row].number;
        info->data = static_cast<LPARAM>(wcslen(rows[info->row].name));
        return TRUE;
    });
    grid->SetRowCount(5);
    grid->SetColumnCount(2);
    grid->SetFixedRowCount(1);

    ASSERT_TRUE(grid->SortItems(0, true));
    EXPECT_EQ((std::vector<std::wstring>{L"apple", L"fig", L"kiwi", L"pear"}), Column(*grid, 0));
    EXPECT_EQ((std::vector<std::wstring>{L"9", L"100", L"-3", L"10"}), Column(*grid, 1));  // rows stay whole
    EXPECT_EQ(L"Name", grid->GetItemText(0, 0));
    ASSERT_TRUE(grid->SortItems(&CGridCtrl::NumericCompare, 1, false));
    EXPECT_EQ((std::vector<std::wstring>{L"100", L"10", L"9", L"-3"}), Column(*grid, 1));
    // The application's function sees each row's own cell (here its value: the name's length).
    auto byLength = [](const CGridCellBase* a, const CGridCellBase* b, LPARAM) {
        return static_cast<int>(a->GetData() - b->GetData());
    };
    ASSERT_TRUE(grid->SortItems(byLength, 0, true));
    EXPECT_EQ(L"fig", grid->GetItemText(1, 0));
    EXPECT_EQ(L"apple", grid->GetItemText(4, 0));
}

namespace {

uintptr_t g_deepest = 0;

// The numeric compare, noting how far down the stack it is called.
int CompareNotingDepth(const CGridCellBase* first, const CGridCellBase* second, LPARAM)
{
    volatile char here = 0;
    g_deepest = std::min(g_deepest, reinterpret_cast<uintptr_t>(&here));
    return CGridCtrl::NumericCompare(first, second, 0);
}

}  // namespace

TEST(GridCtrlSelection, UnluckyOrdersSortInLittleStack)
{
    // Rising to the middle, then falling: the middle pivot is the largest.
    constexpr int kRows = 8000;
    CGridCtrl grid(kRows + 1, 1, 1, 0);
    for (int row = 1; row <= kRows; ++row)
        grid.SetItemText(row, 0, fw::WString::Format(L"%d", row <= kRows / 2 ? row : kRows + 1 - row).c_str());
    volatile char top = 0;
    g_deepest = reinterpret_cast<uintptr_t>(&top);
    ASSERT_TRUE(grid.SortItems(&CompareNotingDepth, 0, true));
    EXPECT_LT(reinterpret_cast<uintptr_t>(&top) - g_deepest, 16u * 1024u);  // the device's stacks are small
    for (int row = 2; row <= kRows; ++row)
        ASSERT_LE(_wtoi(grid.GetItemText(row - 1, 0).c_str()), _wtoi(grid.GetItemText(row, 0).c_str())) << row;
}
