// The grid's model: window class, creation, dimensions, cells, sizes,
// options, virtual mode, notifications and memory failures.
#include <gtest/gtest.h>

#include "GridCell.h"
#include "GridCellCheck.h"
#include "GridTestSupport.h"
#include "framework/App.h"
#include "support/Allocations.h"
#include "support/MessageBoxes.h"
#include "support/Printers.h"

using gridtest::MakeGrid;
using gridtest::TestParent;
using testsupport::FailingAllocation;

namespace {

// Every row has a cell in every column, heights and widths match the counts.
void ExpectConsistent(CGridCtrl& grid)
{
    for (int row = 0; row < grid.GetRowCount(); ++row) {
        EXPECT_GE(grid.GetRowHeight(row), 0) << row;
        for (int col = 0; col < grid.GetColumnCount(); ++col)
            ASSERT_NE(nullptr, grid.GetCell(row, col)) << row << "," << col;
    }
    for (int col = 0; col < grid.GetColumnCount(); ++col)
        EXPECT_GE(grid.GetColumnWidth(col), 0) << col;
    EXPECT_EQ(-1, grid.GetRowHeight(grid.GetRowCount()));
    EXPECT_EQ(-1, grid.GetColumnWidth(grid.GetColumnCount()));
    EXPECT_EQ(nullptr, grid.GetCell(grid.GetRowCount(), 0));
}

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

}  // namespace

TEST(GridCtrl, WindowClassIsRegisteredForThisModuleWithTheDefaultProcedure)
{
    CGridCtrl grid;
    WNDCLASSW wc{};
    ASSERT_TRUE(::GetClassInfoW(fw::ThisModule(), L"MFCGridCtrl", &wc));
    EXPECT_EQ(static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS), wc.style);
    EXPECT_EQ(0, wc.cbClsExtra);
    EXPECT_EQ(0, wc.cbWndExtra);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), wc.hbrBackground);
    EXPECT_TRUE(CGridCtrl::RegisterWindowClass());  // already there

    std::unique_ptr<fw::Object> made(CGridCtrl::Class.CreateObject());
    ASSERT_NE(nullptr, made);
    auto* byClass = dynamic_cast<CGridCtrl*>(made.get());
    ASSERT_NE(nullptr, byClass);
    EXPECT_EQ(0, byClass->GetRowCount());
    EXPECT_STREQ("CGridCtrl", made->GetRuntimeClass()->name);
}

TEST(GridCtrl, NewGridHasItsInitialValues)
{
    CGridCtrl grid;
    EXPECT_EQ(0, grid.GetRowCount());
    EXPECT_EQ(0, grid.GetColumnCount());
    EXPECT_EQ(0, grid.GetFixedRowCount());
    EXPECT_EQ(0, grid.GetFixedColumnCount());
    EXPECT_EQ(::GetSysColor(COLOR_BTNSHADOW), grid.GetGridBackColour());
    EXPECT_EQ(RGB(192, 192, 192), grid.GetGridLineColour());
    EXPECT_EQ(kGridDefaultColour, grid.GetTipBackColour());
    EXPECT_EQ(GridLines::kBoth, grid.GetGridLines());
    EXPECT_TRUE(grid.IsEditable());
    EXPECT_FALSE(grid.GetModified());
    EXPECT_FALSE(grid.GetListMode());
    EXPECT_FALSE(grid.GetSingleRowSelection());
    EXPECT_TRUE(grid.GetRedraw());
    EXPECT_TRUE(grid.IsSelectable());
    EXPECT_TRUE(grid.GetFixedColumnSelection());
    EXPECT_TRUE(grid.GetFixedRowSelection());
    EXPECT_FALSE(grid.GetHeaderSort());
    EXPECT_TRUE(grid.GetWantTab());
    EXPECT_FALSE(grid.GetDoubleBuffering());
    EXPECT_TRUE(grid.GetColumnsHideable());
    EXPECT_TRUE(grid.GetTrackFocusCell());
    EXPECT_TRUE(grid.GetFrameFocusCell());
    EXPECT_EQ(3u, grid.GetAutoSizeFlags());
    EXPECT_EQ(-1, grid.GetSortColumn());
    EXPECT_TRUE(grid.GetSortAscending());
    EXPECT_EQ(&CGridCell::Class, grid.GetDefaultCellType());
    EXPECT_EQ(GridCellId(), grid.GetFocusCell());
    EXPECT_FALSE(grid.GetVirtualMode());
    EXPECT_EQ(::GetSysColor(COLOR_WINDOW), grid.GetDefaultCell(false, false)->GetBackColour());
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), grid.GetDefaultCell(true, false)->GetBackColour());
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), grid.GetDefaultCell(true, true)->GetBackColour());

    // Single-row selection counts only in list mode.
    grid.SetSingleRowSelection(true);
    EXPECT_FALSE(grid.GetSingleRowSelection());
    grid.SetListMode(true);
    EXPECT_TRUE(grid.GetSingleRowSelection());

    CGridCtrl sized(4, 3, 1, 1);
    EXPECT_EQ(4, sized.GetRowCount());
    EXPECT_EQ(3, sized.GetColumnCount());
    EXPECT_EQ(sized.GetDefaultCell(false, false)->GetHeight(), sized.GetRowHeight(2));
    EXPECT_EQ(sized.GetDefaultCell(false, true)->GetWidth(), sized.GetColumnWidth(2));
}

TEST(GridCtrl, CreatedByCodeOrAttachedToATemplateControl)
{
    TestParent parent;
    auto grid = MakeGrid(parent, 300, 200);
    ASSERT_NE(nullptr, grid);
    wchar_t name[32]{};
    ::GetClassNameW(grid->Handle(), name, 32);
    EXPECT_STREQ(L"MFCGridCtrl", name);
    EXPECT_EQ(7, grid->GetId());
    EXPECT_EQ(grid.get(), fw::WindowImpl::FromHandle(grid->Handle()));

    HWND dialog = ::CreateDialogParamW(fw::ThisModule(), MAKEINTRESOURCEW(100), parent.Handle(), QuietDialog, 0);
    ASSERT_NE(nullptr, dialog);
    CGridCtrl attached(200, 2, 1, 0);
    ASSERT_TRUE(attached.SubclassDlgItem(7, dialog));
    // The forced size recalculation found that 200 rows need a vertical bar.
    EXPECT_EQ(0x2, attached.GetScrollBarState() & 0x2);
    RECT before = attached.GetWindowRect();
    attached.SetRowCount(1);
    attached.Send(WM_SIZE, SIZE_RESTORED, 0);
    EXPECT_EQ(0, attached.GetScrollBarState());
    RECT after = attached.GetWindowRect();
    EXPECT_EQ(before.right - before.left, after.right - after.left);  // the size came back
    ::DestroyWindow(dialog);
    EXPECT_EQ(nullptr, attached.Handle());  // let go with its window
}

TEST(GridCtrl, FixedCountsCreateRowsAndKeepTheFixedFlagsInStep)
{
    CGridCtrl grid;
    grid.SetColumnCount(2);
    ASSERT_TRUE(grid.SetFixedRowCount(1));  // on 0 rows: the row is made first
    ASSERT_EQ(1, grid.GetRowCount());
    EXPECT_EQ(0x30u, grid.GetItemState(0, 0) & 0x30u);
    EXPECT_EQ(grid.GetDefaultCell(true, false), grid.GetCell(0, 1)->GetDefaultCell());

    grid.SetRowCount(4);
    grid.SetFixedRowCount(3);
    grid.SetFixedColumnCount(1);
    grid.SetItemBackColour(2, 1, RGB(9, 9, 9));
    EXPECT_EQ(0x70u, grid.GetItemState(2, 0) & 0x70u);
    ASSERT_TRUE(grid.SetFixedRowCount(1));
    // Still fixed as a column: only the row flag goes.
    EXPECT_EQ(0x50u, grid.GetItemState(2, 0) & 0x70u);
    // No longer fixed at all: both flags go and the colours are the defaults again.
    EXPECT_EQ(0u, grid.GetItemState(2, 1) & 0x70u);
    EXPECT_EQ(kGridDefaultColour, grid.GetItemBackColour(2, 1));
    EXPECT_EQ(grid.GetDefaultCell(false, false), grid.GetCell(2, 1)->GetDefaultCell());

    ASSERT_TRUE(grid.SetFixedColumnCount(0));
    EXPECT_EQ(0u, grid.GetItemState(2, 0) & 0x70u);
    EXPECT_EQ(0x30u, grid.GetItemState(0, 0) & 0x70u);

    // Fixed counts never exceed the totals.
    grid.SetFixedColumnCount(2);
    grid.SetRowCount(0);
    EXPECT_EQ(0, grid.GetFixedRowCount());
    grid.SetColumnCount(1);
    EXPECT_EQ(1, grid.GetFixedColumnCount());
    grid.SetRowCount(2);
    EXPECT_EQ(0x50u, grid.GetItemState(1, 0) & 0x70u);  // new cells of a fixed column
}

TEST(GridCtrl, InsertAndDeleteRowsAndColumns)
{
    TestParent parent;
    auto grid = MakeGrid(parent);
    ASSERT_NE(nullptr, grid);
    EXPECT_EQ(0, grid->InsertRow(L"first"));  // a grid without columns gets one
    EXPECT_EQ(1, grid->GetColumnCount());
    EXPECT_EQ(grid->GetCell(0, 0)->GetTextExtent(L"first").cy, grid->GetRowHeight(0));
    grid->SetFixedRowCount(1);
    EXPECT_EQ(1, grid->InsertRow(L""));
    EXPECT_EQ(grid->GetDefaultCell(true, false)->GetHeight(), grid->GetRowHeight(1));
    EXPECT_EQ(2, grid->InsertRow(L"c", -1));
    EXPECT_EQ(1, grid->InsertRow(L"b", 1));
    EXPECT_EQ(L"b", grid->GetItemText(1, 0));
    EXPECT_EQ(L"c", grid->GetItemText(3, 0));

    // Inside the fixed rows or beyond the last row: refused, nothing changes.
    EXPECT_EQ(-1, grid->InsertRow(L"no", 0));
    EXPECT_EQ(-1, grid->InsertRow(L"no", 4));
    EXPECT_EQ(4, grid->GetRowCount());
    EXPECT_EQ(L"first", grid->GetItemText(0, 0));

    EXPECT_EQ(1, grid->InsertColumn(L"Size", DT_RIGHT));
    EXPECT_EQ(2, grid->GetColumnCount());
    EXPECT_EQ(grid->GetCell(0, 1)->GetTextExtent(L"Size").cx, grid->GetColumnWidth(1));
    EXPECT_EQ(static_cast<UINT>(DT_RIGHT), grid->GetItemFormat(3, 1));
    EXPECT_EQ(1, grid->InsertColumn(L"Name", DT_LEFT, 1));
    EXPECT_EQ(L"Size", grid->GetItemText(0, 2));
    EXPECT_EQ(3, grid->InsertColumn(L"End", DT_LEFT, 3));  // at the count: appends
    grid->SetFixedColumnCount(1);
    EXPECT_EQ(-1, grid->InsertColumn(L"no", DT_LEFT, 0));
    EXPECT_EQ(-1, grid->InsertColumn(L"no", DT_LEFT, 5));
    EXPECT_EQ(0x50u, grid->GetItemState(2, 0) & 0x50u);

    grid->SetFocusCell(3, 2);
    EXPECT_TRUE(grid->DeleteRow(1));
    EXPECT_EQ(3, grid->GetRowCount());
    EXPECT_EQ(L"c", grid->GetItemText(2, 0));
    EXPECT_FALSE(grid->DeleteRow(3));
    EXPECT_FALSE(grid->DeleteRow(-1));
    EXPECT_TRUE(grid->DeleteColumn(1));
    EXPECT_EQ(L"Size", grid->GetItemText(0, 1));
    EXPECT_FALSE(grid->DeleteColumn(3));
    EXPECT_TRUE(grid->DeleteColumn(0));  // a fixed column
    EXPECT_EQ(0, grid->GetFixedColumnCount());
    EXPECT_TRUE(grid->DeleteRow(0));  // a fixed row
    EXPECT_EQ(0, grid->GetFixedRowCount());
    ExpectConsistent(*grid);

    EXPECT_TRUE(grid->DeleteNonFixedRows());
    EXPECT_EQ(0, grid->GetRowCount());
    grid->SetRowCount(3);
    grid->SetFixedRowCount(1);
    EXPECT_TRUE(grid->DeleteNonFixedRows());
    EXPECT_EQ(1, grid->GetRowCount());
    EXPECT_TRUE(grid->DeleteAllItems());
    EXPECT_EQ(0, grid->GetRowCount());
    EXPECT_EQ(0, grid->GetColumnCount());
}

TEST(GridCtrl, ItemOperationsForwardToTheCellAndCheckTheirCoordinates)
{
    CGridCtrl grid(3, 3, 1, 0);
    EXPECT_TRUE(grid.SetItemText(1, 1, L"text"));
    EXPECT_EQ(L"text", grid.GetItemText(1, 1));
    EXPECT_FALSE(grid.SetItemText(3, 1, L"x"));
    EXPECT_FALSE(grid.SetItemText(1, -1, L"x"));
    EXPECT_EQ(L"", grid.GetItemText(5, 5));
    EXPECT_TRUE(grid.SetItemData(1, 1, 1234));
    EXPECT_EQ(1234, grid.GetItemData(1, 1));
    EXPECT_TRUE(grid.SetItemImage(1, 1, 2));
    EXPECT_EQ(2, grid.GetItemImage(1, 1));
    EXPECT_TRUE(grid.SetItemFormat(1, 1, DT_CENTER));
    EXPECT_EQ(static_cast<UINT>(DT_CENTER), grid.GetItemFormat(1, 1));
    EXPECT_TRUE(grid.SetItemTextColour(1, 1, RGB(1, 1, 1)));
    EXPECT_EQ(RGB(1, 1, 1), grid.GetItemTextColour(1, 1));
    EXPECT_TRUE(grid.SetItemBackColour(1, 1, RGB(2, 2, 2)));
    EXPECT_EQ(RGB(2, 2, 2), grid.GetItemBackColour(1, 1));
    LOGFONTW font = *grid.GetItemFont(1, 1);
    font.lfHeight = -21;
    EXPECT_TRUE(grid.SetItemFont(1, 1, &font));
    EXPECT_EQ(-21, grid.GetItemFont(1, 1)->lfHeight);
    EXPECT_EQ(nullptr, grid.GetItemFont(9, 9));

    // The state keeps the selection in step.
    EXPECT_TRUE(grid.SetItemState(2, 2, GridState::kSelected));
    EXPECT_TRUE(grid.IsCellSelected(2, 2));
    EXPECT_EQ(GridCellRange(2, 2, 2, 2), grid.GetSelectedCellRange());
    EXPECT_TRUE(grid.SetItemState(2, 2, 0));
    EXPECT_FALSE(grid.IsCellSelected(2, 2));
    EXPECT_EQ(GridCellRange(3, 3, -1, -1), grid.GetSelectedCellRange());
    EXPECT_FALSE(grid.SetItemState(3, 0, 0));

    grid.SetItemState(2, 1, GridState::kReadOnly);
    EXPECT_FALSE(grid.IsCellEditable(2, 1));
    EXPECT_TRUE(grid.IsCellEditable(2, 2));
    grid.SetEditable(false);
    EXPECT_FALSE(grid.IsCellEditable(2, 2));
}

TEST(GridCtrl, ModifiedFlagsAndTheSortDroppedByAChangeOfTheSortedColumn)
{
    CGridCtrl grid(4, 3, 1, 0);
    grid.SetModified(false);
    EXPECT_FALSE(grid.GetModified());
    grid.SetItemText(1, 1, L"a");
    EXPECT_TRUE(grid.GetModified());
    EXPECT_TRUE(grid.GetModified(1, 1));
    EXPECT_EQ(0x80u, grid.GetItemState(1, 1) & 0x80u);
    grid.SetModified(false, 1, 1);
    EXPECT_FALSE(grid.GetModified(1, 1));

    grid.SetItemText(2, 2, L"b");
    grid.SetModified(false);  // the whole grid: every cell's flag goes
    EXPECT_FALSE(grid.GetModified(2, 2));

    grid.SortItems(2, true);
    EXPECT_EQ(2, grid.GetSortColumn());
    grid.SetItemText(1, 1, L"other column");
    EXPECT_EQ(2, grid.GetSortColumn());
    grid.SetItemText(3, 2, L"sorted column");
    EXPECT_EQ(-1, grid.GetSortColumn());
    grid.SortItems(2, true);
    grid.SetRowCount(6);  // any change of the whole grid
    EXPECT_EQ(-1, grid.GetSortColumn());
}

TEST(GridCtrl, CellTypesAreChangedByDescriptorAndChecked)
{
    CGridCtrl grid(2, 2, 1, 0);
    grid.SetItemText(1, 0, L"keep");
    grid.SetItemData(1, 0, 5);
    ASSERT_TRUE(grid.SetCellType(1, 0, &CGridCellCheck::Class));
    CGridCellBase* cell = grid.GetCell(1, 0);
    EXPECT_TRUE(cell->IsKindOf(&CGridCellCheck::Class));
    EXPECT_STREQ(L"keep", cell->GetText());
    EXPECT_EQ(5, cell->GetData());
    EXPECT_EQ(&grid, cell->GetGrid());

    EXPECT_FALSE(grid.SetCellType(2, 0, &CGridCellCheck::Class));
    EXPECT_FALSE(grid.SetCellType(1, 0, &CGridCtrl::Class));
    EXPECT_FALSE(grid.SetCellType(1, 0, nullptr));
    EXPECT_FALSE(grid.SetDefaultCellType(&CGridCtrl::Class));
    EXPECT_FALSE(grid.SetDefaultCellType(&CGridCellBase::Class));  // cannot be made
    EXPECT_EQ(&CGridCell::Class, grid.GetDefaultCellType());
    ASSERT_TRUE(grid.SetDefaultCellType(&CGridCellCheck::Class));
    grid.SetRowCount(3);
    EXPECT_TRUE(grid.GetCell(2, 1)->IsKindOf(&CGridCellCheck::Class));
    EXPECT_FALSE(grid.GetCell(1, 1)->IsKindOf(&CGridCellCheck::Class));

    // Rows made with a class for one column: only their cells there are of it.
    ASSERT_TRUE(grid.SetDefaultCellType(&CGridCell::Class));
    EXPECT_FALSE(grid.SetRowCount(5, 0, &CGridCellBase::Class));
    ASSERT_TRUE(grid.SetRowCount(5, 0, &CGridCellCheck::Class));
    for (int row = 3; row < 5; ++row) {
        EXPECT_TRUE(grid.GetCell(row, 0)->IsKindOf(&CGridCellCheck::Class)) << row;
        EXPECT_FALSE(grid.GetCell(row, 1)->IsKindOf(&CGridCellCheck::Class)) << row;
        EXPECT_EQ(&grid, grid.GetCell(row, 0)->GetGrid());
    }
}

TEST(GridCtrl, SizesHideColumnsAndAutoSizeKeepsThemHidden)
{
    TestParent parent;
    auto grid = MakeGrid(parent);
    ASSERT_NE(nullptr, grid);
    grid->SetRowCount(3);
    grid->SetColumnCount(3);
    grid->SetFixedRowCount(1);
    grid->SetItemText(0, 1, L"H");
    grid->SetItemText(2, 1, L"a much longer text in the body");
    grid->SetItemText(0, 2, L"Header");

    EXPECT_FALSE(grid->SetColumnWidth(1, -1));
    EXPECT_FALSE(grid->SetColumnWidth(3, 10));
    EXPECT_FALSE(grid->SetRowHeight(3, 10));
    EXPECT_TRUE(grid->SetRowHeight(2, 33));
    EXPECT_EQ(33, grid->GetRowHeight(2));

    HDC dc = ::GetDC(grid->Handle());
    const int headerWidth = grid->GetCell(0, 1)->GetCellExtent(dc).cx;
    const int bodyWidth = grid->GetCell(2, 1)->GetCellExtent(dc).cx;
    ::ReleaseDC(grid->Handle(), dc);
    EXPECT_TRUE(grid->AutoSizeColumn(1, GridAutoSize::kHeader));
    EXPECT_EQ(headerWidth, grid->GetColumnWidth(1));
    EXPECT_TRUE(grid->AutoSizeColumn(1));  // the grid's flags: header and data
    EXPECT_EQ(bodyWidth, grid->GetColumnWidth(1));

    EXPECT_TRUE(grid->SetColumnWidth(2, 0));
    EXPECT_FALSE(grid->AutoSizeColumn(2));
    grid->AutoSizeColumns();
    EXPECT_EQ(0, grid->GetColumnWidth(2));
    EXPECT_GT(grid->GetColumnWidth(0), 0);
    // Nothing to measure (header rows asked for, none there): the width stays.
    auto flat = MakeGrid(parent, 200, 100, 9);
    flat->SetRowCount(2);
    flat->SetColumnCount(1);
    flat->SetItemText(1, 0, L"text");
    EXPECT_FALSE(flat->AutoSizeColumn(0, GridAutoSize::kHeader));
    EXPECT_EQ(flat->GetDefaultCell(false, true)->GetWidth(), flat->GetColumnWidth(0));

    grid->SetRowHeight(1, 0);
    EXPECT_FALSE(grid->AutoSizeRow(1));
    EXPECT_EQ(0, grid->GetRowHeight(1));
    EXPECT_TRUE(grid->AutoSizeRow(2));
    EXPECT_LT(grid->GetRowHeight(2), 33);
}

TEST(GridCtrl, VirtualModeAsksTheCallbackOrTheParentForEveryCell)
{
    TestParent parent;
    auto grid = MakeGrid(parent);
    ASSERT_NE(nullptr, grid);
    parent.display = [](GridDisplayInfo* info) {
        info->text = fw::WString::Format(L"r%dc%d", info->row, info->column);
        if (info->row == 2)
            info->textColour = RGB(0, 0, 255);
    };
    grid->SetVirtualMode(true);
    EXPECT_TRUE(grid->GetVirtualMode());
    EXPECT_FALSE(grid->IsEditable());
    EXPECT_FALSE(grid->GetFixedRowSelection());
    EXPECT_FALSE(grid->GetFixedColumnSelection());
    EXPECT_EQ(1u, grid->GetAutoSizeFlags());
    grid->SetRowCount(70000);
    grid->SetColumnCount(3);
    grid->SetFixedRowCount(1);
    EXPECT_EQ(L"r5c2", grid->GetItemText(5, 2));
    EXPECT_EQ(RGB(0, 0, 255), grid->GetItemTextColour(2, 0));
    EXPECT_GT(parent.displayRequests, 0);
    EXPECT_EQ(0x30u, grid->GetItemState(0, 1) & 0x30u);
    EXPECT_FALSE(grid->SetItemText(1, 1, L"x"));
    EXPECT_FALSE(grid->SetCellType(1, 1, &CGridCellCheck::Class));

    // A callback replaces the notification.
    grid->SetDisplayCallback([](GridDisplayInfo* info, LPARAM user) -> BOOL {
        info->text = fw::WString::Format(L"cb%d", static_cast<int>(user) + info->row);
        return TRUE;
    }, 100);
    const int requests = parent.displayRequests;
    EXPECT_EQ(L"cb103", grid->GetItemText(3, 0));
    EXPECT_EQ(requests, parent.displayRequests);

    // The selection lives in the map only, keyed by full row numbers.
    grid->SetSelectedRange(1, 0, 1, 0);
    EXPECT_TRUE(grid->IsCellSelected(1, 0));
    EXPECT_EQ(GridState::kSelected, grid->GetItemState(1, 0) & GridState::kSelected);
    EXPECT_FALSE(grid->IsCellSelected(65537, 0));
    grid->SetSelectedRange(65537, 1, 65537, 1);
    EXPECT_TRUE(grid->IsCellSelected(65537, 1));
    EXPECT_FALSE(grid->IsCellSelected(1, 1));
    EXPECT_EQ(GridCellRange(65537, 1, 65537, 1), grid->GetSelectedCellRange());

    grid->SetVirtualMode(false);
    EXPECT_EQ(0, grid->GetRowCount());
}

TEST(GridCtrl, NotificationsCarryTheGridAndTheCellToTheParentOrOwner)
{
    TestParent parent;
    TestParent owner;
    auto grid = MakeGrid(parent, 200, 100, 8);
    ASSERT_NE(nullptr, grid);
    parent.answers[LVN_BEGINLABELEDITW] = -1;
    EXPECT_EQ(-1, grid->SendNotification(4, 5, LVN_BEGINLABELEDITW));
    ASSERT_EQ(1u, parent.notices.size());
    const gridtest::Notice& notice = parent.notices[0];
    EXPECT_EQ(LVN_BEGINLABELEDITW, notice.code);
    EXPECT_EQ(4, notice.row);
    EXPECT_EQ(5, notice.col);
    EXPECT_EQ(8u, notice.id);
    EXPECT_EQ(grid->Handle(), notice.from);

    grid->SetOwner(owner.Handle());
    grid->SendNotification(1, 2, NM_CLICK);
    EXPECT_EQ(1u, parent.notices.size());
    ASSERT_EQ(1u, owner.notices.size());
    EXPECT_EQ(NM_CLICK, owner.notices[0].code);

    CGridCtrl windowless;
    EXPECT_EQ(0, windowless.SendNotification(0, 0, NM_CLICK));
}

TEST(GridCtrl, MemoryRunningOutLeavesAConsistentSmallerGridAndIsReported)
{
    TestParent parent;
    auto grid = MakeGrid(parent);
    ASSERT_NE(nullptr, grid);
    grid->SetColumnCount(4);
    testsupport::MessageBoxRecorder boxes;
    bool grown;
    {
        FailingAllocation failing(200);
        grown = grid->SetRowCount(100000);
    }
    EXPECT_FALSE(grown);
    EXPECT_GT(grid->GetRowCount(), 0);
    EXPECT_LT(grid->GetRowCount(), 100000);
    ExpectConsistent(*grid);
    ASSERT_EQ(1u, boxes.Texts().size());
    EXPECT_EQ(L"Out of memory.", boxes.Texts()[0]);

    const int rows = grid->GetRowCount();
    {
        // The rows' room for the columns, one allocation each, then a few blocks of cells.
        FailingAllocation failing(rows + 10);
        grown = grid->SetColumnCount(40);
    }
    EXPECT_FALSE(grown);
    EXPECT_GT(grid->GetColumnCount(), 4);
    EXPECT_LT(grid->GetColumnCount(), 40);
    ExpectConsistent(*grid);

    int inserted;
    {
        FailingAllocation failing(0);
        inserted = grid->InsertRow(L"no room");
    }
    EXPECT_EQ(-1, inserted);
    EXPECT_EQ(rows, grid->GetRowCount());
    {
        FailingAllocation failing(0);  // a column of so many cells takes a new block
        inserted = grid->InsertColumn(L"no room");
    }
    EXPECT_EQ(-1, inserted);
    ExpectConsistent(*grid);
    EXPECT_EQ(4u, boxes.Texts().size());

    // A count the device's library cannot hold throws another exception: caught and reported alike.
    const size_t shown = boxes.Texts().size();
    {
        FailingAllocation failing(0, testsupport::AllocationFailure::kTooLong);
        EXPECT_FALSE(grid->SetRowCount(rows + 100));
    }
    {
        FailingAllocation failing(0, testsupport::AllocationFailure::kTooLong);
        EXPECT_EQ(-1, grid->InsertRow(L"too long"));
    }
    {
        FailingAllocation failing(0, testsupport::AllocationFailure::kTooLong);
        EXPECT_EQ(-1, grid->InsertColumn(L"too long"));
    }
    EXPECT_EQ(shown + 3, boxes.Texts().size());
    ExpectConsistent(*grid);

    // Afterwards the grid works as before.
    EXPECT_TRUE(grid->SetRowCount(rows + 10));
    ExpectConsistent(*grid);
}

TEST(GridCtrl, FindsCellsByStateAndSetsTextsAsEditsWithTheParentsConsent)
{
    TestParent parent;
    auto grid = MakeGrid(parent);
    ASSERT_NE(nullptr, grid);
    grid->SetRowCount(4);
    grid->SetColumnCount(3);
    grid->SetItemState(1, 2, GridState::kSelected);
    grid->SetItemState(3, 0, GridState::kSelected | GridState::kReadOnly);
    EXPECT_EQ(GridCellId(1, 2), grid->GetNextItem(GridCellId(), GridState::kSelected));
    EXPECT_EQ(GridCellId(3, 0), grid->GetNextItem(GridCellId(1, 2), GridState::kSelected));
    EXPECT_EQ(GridCellId(), grid->GetNextItem(GridCellId(3, 0), GridState::kSelected));
    EXPECT_EQ(GridCellId(3, 0), grid->GetNextItem(GridCellId(0, 0), GridState::kReadOnly | CGridCtrl::kSearchBelow));
    EXPECT_EQ(GridCellId(1, 2), grid->GetNextItem(GridCellId(1, 0), GridState::kSelected | CGridCtrl::kSearchRight));
    EXPECT_EQ(GridCellId(), grid->GetNextItem(GridCellId(1, 2), GridState::kSelected | CGridCtrl::kSearchAbove));

    grid->SetItemText(2, 1, L"old");
    EXPECT_TRUE(grid->SetItemTextAsEdited(2, 1, L"new"));
    EXPECT_EQ(L"new", grid->GetItemText(2, 1));
    EXPECT_EQ((std::vector<UINT>{LVN_BEGINLABELEDITW, LVN_ENDLABELEDITW}), parent.Codes());
    parent.answers[LVN_ENDLABELEDITW] = -1;
    EXPECT_FALSE(grid->SetItemTextAsEdited(2, 1, L"refused"));
    EXPECT_EQ(L"new", grid->GetItemText(2, 1));
    parent.answers[LVN_BEGINLABELEDITW] = -1;
    parent.Clear();
    EXPECT_FALSE(grid->SetItemTextAsEdited(2, 1, L"not asked"));
    EXPECT_EQ((std::vector<UINT>{LVN_BEGINLABELEDITW}), parent.Codes());
}
