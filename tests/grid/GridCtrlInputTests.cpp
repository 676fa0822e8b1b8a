// The grid as a window a person uses: clicks, drags and keys posted to a real
// grid in a real parent, then its state, its notifications and its pixels.
#include <gtest/gtest.h>

#include <initializer_list>

#include "GridCellCheck.h"
#include "GridTestSupport.h"
#include "support/Printers.h"

using gridtest::MakeGrid;
using testsupport::PumpMessages;
using gridtest::Render;
using gridtest::TestParent;

namespace {

LPARAM At(POINT point)
{
    return MAKELPARAM(point.x, point.y);
}

POINT Centre(CGridCtrl& grid, int row, int col)
{
    RECT rect{};
    EXPECT_TRUE(grid.GetCellRect(row, col, &rect)) << row << "," << col;
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void Click(CGridCtrl& grid, POINT point, WPARAM keys = 0)
{
    grid.Post(WM_LBUTTONDOWN, MK_LBUTTON | keys, At(point));
    grid.Post(WM_LBUTTONUP, keys, At(point));
    PumpMessages();
}

void ClickCell(CGridCtrl& grid, int row, int col, WPARAM keys = 0)
{
    Click(grid, Centre(grid, row, col), keys);
}

void Drag(CGridCtrl& grid, POINT from, POINT to)
{
    grid.Post(WM_LBUTTONDOWN, MK_LBUTTON, At(from));
    grid.Post(WM_MOUSEMOVE, MK_LBUTTON, At(to));
    grid.Post(WM_LBUTTONUP, 0, At(to));
    PumpMessages();
}

// Holds modifier keys down in this thread's keyboard state.
class HeldKeys {
public:
    explicit HeldKeys(std::initializer_list<int> keys)
    {
        ::GetKeyboardState(m_saved);
        BYTE state[256];
        ::GetKeyboardState(state);
        for (int key : keys)
            state[key] |= 0x80;
        ::SetKeyboardState(state);
    }
    ~HeldKeys() { ::SetKeyboardState(m_saved); }

private:
    BYTE m_saved[256];
};

void Key(CGridCtrl& grid, UINT key)
{
    grid.Post(WM_KEYDOWN, key, 0);
    PumpMessages();
}

HWND Editor(CGridCtrl& grid)
{
    return ::GetDlgItem(grid.Handle(), kGridEditorId);
}

// A grid of rows x cols with "r,c" texts, one fixed row, columns 60 wide.
std::unique_ptr<CGridCtrl> Filled(TestParent& parent, int rows, int cols, int width = 400, int height = 300)
{
    auto grid = MakeGrid(parent, width, height);
    grid->SetRowCount(rows);
    grid->SetColumnCount(cols);
    grid->SetFixedRowCount(1);
    for (int row = 0; row < rows; ++row) {
        grid->SetRowHeight(row, 20);
        for (int col = 0; col < cols; ++col)
            grid->SetItemText(row, col, fw::WString::Format(L"%d,%d", row, col).c_str());
    }
    for (int col = 0; col < cols; ++col)
        grid->SetColumnWidth(col, 60);
    return grid;
}

}  // namespace

TEST(GridCtrlInput, AClickFocusesSelectsAndTellsTheParent)
{
    TestParent parent;
    auto grid = Filled(parent, 6, 4);
    ClickCell(*grid, 2, 1);
    EXPECT_EQ(GridCellId(2, 1), grid->GetFocusCell());
    EXPECT_TRUE(grid->IsCellSelected(2, 1));
    EXPECT_EQ(GridCellId(2, 1), grid->GetClickDownCell());
    EXPECT_EQ((std::vector<UINT>{LVN_ITEMCHANGING, LVN_ITEMCHANGED, NM_CLICK}), parent.Codes());
    EXPECT_EQ(2, parent.notices[2].row);
    EXPECT_EQ(1, parent.notices[2].col);
    ASSERT_EQ(1u, parent.commands.size());
    EXPECT_EQ(MAKEWPARAM(7, 0), parent.commands[0].first);
    EXPECT_EQ(reinterpret_cast<LPARAM>(grid->Handle()), parent.commands[0].second);
    EXPECT_EQ(grid->Handle(), ::GetFocus());
    EXPECT_EQ(CGridCtrl::MouseMode::kNothing, grid->GetMouseMode());

    // Shift extends from the selection start; control adds and removes.
    ClickCell(*grid, 4, 2, MK_SHIFT);
    EXPECT_EQ(GridCellRange(2, 1, 4, 2), grid->GetSelectedCellRange());
    ClickCell(*grid, 5, 3, MK_CONTROL);
    EXPECT_TRUE(grid->IsCellSelected(3, 2));
    EXPECT_TRUE(grid->IsCellSelected(5, 3));
    ClickCell(*grid, 5, 3, MK_CONTROL);
    EXPECT_FALSE(grid->IsCellSelected(5, 3));

    // A click beyond the last row: nothing valid, no command posted.
    parent.Clear();
    Click(*grid, POINT{30, 290});
    EXPECT_TRUE(parent.commands.empty());
}

TEST(GridCtrlInput, ASecondClickOnTheFocusCellEditsOnlyWhenEditable)
{
    TestParent parent;
    auto grid = Filled(parent, 5, 3);
    grid->SetEditable(false);
    ClickCell(*grid, 2, 1);
    ClickCell(*grid, 2, 1);
    EXPECT_EQ(nullptr, Editor(*grid));
    EXPECT_EQ(GridCellId(2, 1), grid->GetFocusCell());

    grid->SetEditable(true);
    parent.Clear();
    ClickCell(*grid, 2, 1);
    HWND editor = Editor(*grid);
    ASSERT_NE(nullptr, editor);
    EXPECT_EQ(editor, ::GetFocus());
    EXPECT_TRUE(grid->GetCell(2, 1)->IsEditing());
    EXPECT_EQ((std::vector<UINT>{LVN_BEGINLABELEDITW}), parent.Codes());
    wchar_t text[32]{};
    ::GetWindowTextW(editor, text, 32);
    EXPECT_STREQ(L"2,1", text);
    DWORD start = 0, end = 0;
    ::SendMessageW(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(3u, start);  // opened by the mouse: caret at the end
    EXPECT_EQ(3u, end);

    // Typing and enter: the new text, the parent is told.
    ::SendMessageW(editor, WM_CHAR, L'x', 0);
    ::SendMessageW(editor, WM_CHAR, VK_RETURN, 0);
    PumpMessages();
    EXPECT_EQ(L"2,1x", grid->GetItemText(2, 1));
    EXPECT_FALSE(grid->GetCell(2, 1)->IsEditing());
    EXPECT_EQ(nullptr, Editor(*grid));
    EXPECT_EQ(LVN_ENDLABELEDITW, parent.notices.back().code);
    EXPECT_TRUE(grid->GetModified(2, 1));

    // The parent may refuse to start or to keep an edit.
    parent.answers[LVN_ENDLABELEDITW] = -1;
    Key(*grid, VK_F2);
    ASSERT_NE(nullptr, Editor(*grid));
    ::SendMessageW(Editor(*grid), WM_CHAR, L'y', 0);
    ::SetFocus(grid->Handle());
    PumpMessages();
    EXPECT_EQ(L"2,1x", grid->GetItemText(2, 1));
    parent.answers[LVN_BEGINLABELEDITW] = -1;
    Key(*grid, VK_F2);
    EXPECT_EQ(nullptr, Editor(*grid));
}

TEST(GridCtrlInput, ATypedLetterReplacesTheTextAndEscapeRestoresItSilently)
{
    TestParent parent;
    auto grid = Filled(parent, 5, 3);
    ClickCell(*grid, 1, 1);
    parent.Clear();
    grid->Post(WM_CHAR, L'Q', 0);
    PumpMessages();
    HWND editor = Editor(*grid);
    ASSERT_NE(nullptr, editor);
    wchar_t text[32]{};
    ::GetWindowTextW(editor, text, 32);
    EXPECT_STREQ(L"Q", text);
    ::SendMessageW(editor, WM_CHAR, VK_ESCAPE, 0);
    PumpMessages();
    EXPECT_EQ(nullptr, Editor(*grid));
    EXPECT_EQ(L"1,1", grid->GetItemText(1, 1));
    EXPECT_EQ((std::vector<UINT>{LVN_BEGINLABELEDITW}), parent.Codes());  // no change notification

    // Escape, control and a mouse mode start nothing; the editor widens while typing.
    grid->Post(WM_CHAR, VK_ESCAPE, 0);
    PumpMessages();
    EXPECT_EQ(nullptr, Editor(*grid));
    grid->Post(WM_CHAR, L'a', 0);
    PumpMessages();
    editor = Editor(*grid);
    ASSERT_NE(nullptr, editor);
    RECT before{};
    ::GetWindowRect(editor, &before);
    for (int i = 0; i < 20; ++i)
        ::SendMessageW(editor, WM_CHAR, L'W', 0);
    RECT after{};
    ::GetWindowRect(editor, &after);
    EXPECT_GT(after.right - after.left, before.right - before.left);
    RECT client = grid->GetClientRect();
    ::MapWindowPoints(grid->Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_LE(after.right, client.right);  // never beyond the grid
}

TEST(GridCtrlInput, TabAndArrowsGoOnEditingTheNextCell)
{
    TestParent parent;
    auto grid = Filled(parent, 4, 3);
    ClickCell(*grid, 1, 1);
    grid->Post(WM_CHAR, L'z', 0);
    PumpMessages();
    ASSERT_NE(nullptr, Editor(*grid));
    ::SendMessageW(Editor(*grid), WM_CHAR, VK_TAB, 0);
    PumpMessages();
    EXPECT_EQ(L"z", grid->GetItemText(1, 1));
    EXPECT_EQ(GridCellId(1, 2), grid->GetFocusCell());
    HWND editor = Editor(*grid);
    ASSERT_NE(nullptr, editor);  // editing the next cell, its text selected
    DWORD start = 0, end = 0;
    ::SendMessageW(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(3u, end);
    ::SendMessageW(editor, WM_KEYDOWN, VK_DOWN, 0);  // opened by a key: arrows end it
    PumpMessages();
    EXPECT_EQ(GridCellId(2, 2), grid->GetFocusCell());
    ASSERT_NE(nullptr, Editor(*grid));
    ::SetFocus(grid->Handle());
    PumpMessages();
    EXPECT_EQ(nullptr, Editor(*grid));
}

TEST(GridCtrlInput, KeysMoveTheFocusSkippingHiddenColumnsAndNeverIntoFixedCells)
{
    TestParent parent;
    auto grid = Filled(parent, 6, 5);
    grid->SetFixedColumnCount(1);
    grid->SetColumnWidth(2, 0);
    ClickCell(*grid, 1, 1);
    Key(*grid, VK_RIGHT);
    EXPECT_EQ(GridCellId(1, 3), grid->GetFocusCell());  // column 2 is hidden
    Key(*grid, VK_LEFT);
    EXPECT_EQ(GridCellId(1, 1), grid->GetFocusCell());
    Key(*grid, VK_LEFT);
    EXPECT_EQ(GridCellId(1, 1), grid->GetFocusCell());  // not into the fixed column
    Key(*grid, VK_UP);
    EXPECT_EQ(GridCellId(1, 1), grid->GetFocusCell());  // nor the fixed row
    Key(*grid, VK_END);
    EXPECT_EQ(GridCellId(1, 4), grid->GetFocusCell());
    Key(*grid, VK_HOME);
    EXPECT_EQ(GridCellId(1, 1), grid->GetFocusCell());
    {
        HeldKeys control({VK_CONTROL});
        Key(*grid, VK_END);
        EXPECT_EQ(GridCellId(5, 4), grid->GetFocusCell());
        Key(*grid, VK_HOME);
        EXPECT_EQ(GridCellId(1, 1), grid->GetFocusCell());
    }
    // Tab wraps to the next row; at the last cell it stays.
    Key(*grid, VK_END);
    Key(*grid, VK_TAB);
    EXPECT_EQ(GridCellId(2, 1), grid->GetFocusCell());
    {
        HeldKeys shift({VK_SHIFT});
        Key(*grid, VK_TAB);
        EXPECT_EQ(GridCellId(1, 4), grid->GetFocusCell());
    }
    {
        HeldKeys control({VK_CONTROL});
        Key(*grid, VK_END);
    }
    parent.Clear();
    Key(*grid, VK_TAB);
    EXPECT_EQ(GridCellId(5, 4), grid->GetFocusCell());
    EXPECT_TRUE(parent.notices.empty());
    // Each move selects the target and says so.
    Key(*grid, VK_UP);
    EXPECT_EQ((std::vector<UINT>{LVN_ITEMCHANGING, LVN_ITEMCHANGED}), parent.Codes());
    EXPECT_EQ(4, parent.notices[1].row);
    EXPECT_EQ(GridCellRange(4, 4, 4, 4), grid->GetSelectedCellRange());

    EXPECT_EQ(static_cast<LRESULT>(DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB), grid->Send(WM_GETDLGCODE));
    grid->SetWantTab(false);
    EXPECT_EQ(static_cast<LRESULT>(DLGC_WANTARROWS | DLGC_WANTCHARS), grid->Send(WM_GETDLGCODE));
    HeldKeys control({VK_CONTROL});
    Key(*grid, 'A');
    EXPECT_EQ(GridCellRange(1, 1, 5, 4), grid->GetSelectedCellRange());
}

TEST(GridCtrlInput, ShiftDownExtendsARowSelectionInListMode)
{
    TestParent parent;
    auto grid = Filled(parent, 8, 3);
    grid->SetListMode(true);
    ClickCell(*grid, 2, 1);
    EXPECT_EQ(GridCellRange(2, 0, 2, 2), grid->GetSelectedCellRange());
    {
        HeldKeys shift({VK_SHIFT});
        Key(*grid, VK_DOWN);
        Key(*grid, VK_DOWN);
    }
    EXPECT_EQ(GridCellRange(2, 0, 4, 2), grid->GetSelectedCellRange());
    Key(*grid, VK_DOWN);
    EXPECT_EQ(GridCellRange(5, 0, 5, 2), grid->GetSelectedCellRange());
    EXPECT_EQ(GridCellId(5, 1), grid->GetFocusCell());

    // A click on a check-box cell's row toggles it and notifies as the file manager expects.
    grid->SetCellType(3, 0, &CGridCellCheck::Class);
    Render(*grid);  // drawn once, as on screen
    parent.Clear();
    ClickCell(*grid, 3, 0);
    EXPECT_TRUE(static_cast<CGridCellCheck*>(grid->GetCell(3, 0))->GetCheck());
    EXPECT_EQ(GridCellRange(3, 0, 3, 2), grid->GetSelectedCellRange());
    EXPECT_EQ((std::vector<UINT>{LVN_ITEMCHANGING, LVN_ITEMCHANGED, NM_CLICK}), parent.Codes());
}

TEST(GridCtrlInput, AColumnDraggedToWidthZeroStaysHidden)
{
    TestParent parent;
    auto grid = Filled(parent, 5, 4);
    RECT header{};
    ASSERT_TRUE(grid->GetCellRect(0, 1, &header));
    // Drag the right divider of column 1 onto its left edge.
    Drag(*grid, POINT{header.right, 10}, POINT{header.left - 5, 10});
    EXPECT_EQ(0, grid->GetColumnWidth(1));
    RECT moved{};
    ASSERT_TRUE(grid->GetCellRect(0, 2, &moved));
    EXPECT_EQ(header.left, moved.left);

    // The keyboard skips it; a double click on its divider does not bring it back.
    ClickCell(*grid, 2, 0);
    Key(*grid, VK_RIGHT);
    EXPECT_EQ(GridCellId(2, 2), grid->GetFocusCell());
    grid->Post(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(moved.left, 10));
    PumpMessages();
    EXPECT_EQ(0, grid->GetColumnWidth(1));

    // Dragging a divider sizes; a double click auto-sizes a visible column.
    RECT third{};
    ASSERT_TRUE(grid->GetCellRect(0, 3, &third));
    Drag(*grid, POINT{third.right, 10}, POINT{third.right + 25, 10});
    EXPECT_EQ(third.right + 25 - third.left, grid->GetColumnWidth(3));  // up to the pointer
    ASSERT_TRUE(grid->GetCellRect(0, 3, &third));
    grid->Post(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(third.right, 10));
    PumpMessages();
    EXPECT_LT(grid->GetColumnWidth(3), 84);
    EXPECT_GT(grid->GetColumnWidth(3), 0);

    // Without hiding allowed, the smallest width is one pixel.
    grid->SetColumnsHideable(false);
    ASSERT_TRUE(grid->GetCellRect(0, 3, &third));
    Drag(*grid, POINT{third.right, 10}, POINT{third.left - 20, 10});
    EXPECT_EQ(1, grid->GetColumnWidth(3));
    // Sizing switched off: a press on the divider is a plain header click.
    grid->SetColumnResize(false);
    ASSERT_TRUE(grid->GetCellRect(0, 2, &moved));
    Drag(*grid, POINT{moved.right, 10}, POINT{moved.right + 30, 10});
    EXPECT_EQ(60, grid->GetColumnWidth(2));
}

TEST(GridCtrlInput, ColumnsScrollUnderTheFixedColumnAndHiddenOnesTakeNoSpace)
{
    TestParent parent;
    auto grid = Filled(parent, 3, 40, 300, 200);
    grid->SetFixedColumnCount(1);
    EXPECT_EQ(0x1, grid->GetScrollBarState());  // 39 columns of 60 pixels: only a horizontal bar
    // A column right of the view has no place on screen until it is scrolled in.
    RECT rect{};
    POINT origin{};
    EXPECT_FALSE(grid->GetCellOrigin(1, 30, &origin));
    EXPECT_FALSE(grid->GetCellRect(1, 30, &rect));
    EXPECT_TRUE(grid->GetCellRect(1, 4, &rect));  // the last one shown
    EXPECT_FALSE(grid->GetCellRect(1, 5, &rect));
    grid->EnsureVisible(1, 30);
    ASSERT_TRUE(grid->GetCellRect(1, 30, &rect));
    EXPECT_LT(rect.right, grid->GetClientRect().right);
    grid->Post(WM_HSCROLL, SB_LEFT, 0);
    PumpMessages();
    // The column shown first right of the fixed one.
    auto firstShown = [&grid] { return grid->GetCellFromPt(POINT{65, 30}).col; };
    EXPECT_EQ(1, firstShown());

    grid->Post(WM_HSCROLL, SB_LINERIGHT, 0);
    PumpMessages();
    EXPECT_EQ(2, firstShown());
    EXPECT_EQ(0, grid->GetCellFromPt(POINT{30, 30}).col);  // the fixed column stays
    grid->SetColumnWidth(2, 0);
    grid->Post(WM_HSCROLL, SB_LINELEFT, 0);
    PumpMessages();
    EXPECT_EQ(1, firstShown());
    grid->Post(WM_HSCROLL, SB_LINERIGHT, 0);
    PumpMessages();
    EXPECT_EQ(3, firstShown());

    const RECT client = grid->GetClientRect();
    const int page = (client.right - 60) / 60;  // whole columns right of the fixed one
    grid->Post(WM_HSCROLL, SB_LEFT, 0);
    grid->Post(WM_HSCROLL, SB_PAGERIGHT, 0);
    PumpMessages();
    EXPECT_EQ(1 + page + 1, firstShown());  // the hidden column 2 counts for nothing
    grid->Post(WM_HSCROLL, SB_RIGHT, 0);
    PumpMessages();
    EXPECT_EQ(39, grid->GetVisibleNonFixedCellRange().maxCol);
    EXPECT_FALSE(grid->IsCellVisible(1, 1));
    grid->Post(WM_HSCROLL, SB_PAGELEFT, 0);
    grid->Post(WM_HSCROLL, SB_LEFT, 0);
    PumpMessages();
    EXPECT_EQ(1, firstShown());

    // A page into a wide column leaves the position inside it; ensure
    // visible reaches a column far right all the same.
    grid->SetColumnWidth(1, 5000);
    grid->Post(WM_HSCROLL, SB_PAGERIGHT, 0);
    PumpMessages();
    grid->EnsureVisible(1, 30);
    EXPECT_TRUE(grid->IsCellVisible(1, 30));
    // So does the end of the range, inside a wide last column, going left.
    grid->SetColumnWidth(39, 5000);
    grid->Post(WM_HSCROLL, SB_RIGHT, 0);
    PumpMessages();
    grid->EnsureVisible(1, 30);
    EXPECT_TRUE(grid->IsCellVisible(1, 30));
}

TEST(GridCtrlInput, ScrollBarsFollowTheSizesAndPageTheView)
{
    TestParent parent;
    auto grid = Filled(parent, 101, 3, 300, 200);
    // The bars the window shows, as the state's bits.
    const auto shown = [&] {
        const LONG_PTR style = grid->GetStyle();
        return (style & WS_HSCROLL ? 0x1 : 0) | (style & WS_VSCROLL ? 0x2 : 0);
    };
    EXPECT_EQ(0x2, grid->GetScrollBarState());  // 100 rows of 20 pixels: only a vertical bar
    EXPECT_EQ(0x2, shown());
    EXPECT_EQ(GridCellId(1, 0), grid->GetTopleftNonFixedCell());
    const RECT client = grid->GetClientRect();
    const int page = (client.bottom - 20) / 20;  // whole rows under the header

    grid->Post(WM_VSCROLL, SB_PAGEDOWN, 0);
    PumpMessages();
    EXPECT_EQ(1 + page, grid->GetTopleftNonFixedCell().row);
    grid->Post(WM_VSCROLL, SB_LINEDOWN, 0);
    PumpMessages();
    EXPECT_EQ(2 + page, grid->GetTopleftNonFixedCell().row);
    grid->Post(WM_VSCROLL, SB_LINEUP, 0);
    grid->Post(WM_VSCROLL, SB_PAGEUP, 0);
    PumpMessages();
    EXPECT_EQ(1, grid->GetTopleftNonFixedCell().row);
    grid->Post(WM_VSCROLL, SB_BOTTOM, 0);
    PumpMessages();
    const GridCellRange visible = grid->GetVisibleNonFixedCellRange();
    EXPECT_EQ(100, visible.maxRow);
    EXPECT_TRUE(grid->IsCellVisible(100, 1));
    EXPECT_FALSE(grid->IsCellVisible(1, 1));
    EXPECT_TRUE(grid->IsCellVisible(0, 1));  // fixed: always there
    grid->Post(WM_VSCROLL, SB_TOP, 0);
    PumpMessages();
    EXPECT_EQ(1, grid->GetTopleftNonFixedCell().row);
    // A row below the view has no place on screen.
    RECT rect{};
    POINT origin{};
    EXPECT_FALSE(grid->GetCellOrigin(60, 1, &origin));
    EXPECT_FALSE(grid->GetCellRect(60, 1, &rect));
    EXPECT_TRUE(grid->GetCellRect(grid->GetVisibleNonFixedCellRange().maxRow, 1, &rect));

    // Ensure visible scrolls just far enough; the cell under a point follows.
    grid->EnsureVisible(60, 1);
    EXPECT_TRUE(grid->IsCellVisible(60, 1));
    ASSERT_TRUE(grid->GetCellRect(60, 1, &rect));
    EXPECT_LT(rect.bottom, client.bottom);
    EXPECT_EQ(GridCellId(60, 1), grid->GetCellFromPt(POINT{rect.left + 1, rect.top + 1}));
    EXPECT_EQ(GridCellId(0, 1), grid->GetCellFromPt(POINT{rect.left + 1, 5}));
    EXPECT_EQ(GridCellId(-1, 1), grid->GetCellFromPt(POINT{rect.left + 1, 5}, false));
    EXPECT_EQ(-1, grid->GetCellFromPt(POINT{client.right - 1, rect.top + 1}).col);  // beyond the last column

    // Page down by key moves the focus by as many rows as the view moved.
    grid->EnsureVisible(1, 1);
    ClickCell(*grid, 2, 1);
    const int top = grid->GetTopleftNonFixedCell().row;
    Key(*grid, VK_NEXT);
    EXPECT_EQ(2 + grid->GetTopleftNonFixedCell().row - top, grid->GetFocusCell().row);
    Key(*grid, VK_DOWN);
    EXPECT_TRUE(grid->IsCellVisible(grid->GetFocusCell().row, 1));

    // Wider columns add a horizontal bar; fixed columns wider than the window remove both.
    grid->SetColumnWidth(2, 400);
    EXPECT_EQ(0x3, grid->GetScrollBarState());
    EXPECT_EQ(0x3, shown());
    grid->SetFixedColumnCount(1);
    grid->SetColumnWidth(0, 500);
    EXPECT_EQ(0, grid->GetScrollBarState());
    EXPECT_EQ(0, shown());
    grid->SetColumnWidth(0, 60);
    EXPECT_EQ(0x3, shown());
    grid->SetRowCount(3);
    EXPECT_EQ(0x1, grid->GetScrollBarState());
    EXPECT_EQ(0x1, shown());
}

TEST(GridCtrlInput, HeaderClicksSortAndDoubleClicksNotify)
{
    TestParent parent;
    auto grid = Filled(parent, 5, 3);
    const wchar_t* names[] = {L"delta", L"alpha", L"charlie", L"bravo"};
    for (int row = 1; row < 5; ++row)
        grid->SetItemText(row, 1, names[row - 1]);
    grid->SetHeaderSort(true);
    grid->SetSingleColSelection(true);
    ClickCell(*grid, 0, 1);
    EXPECT_EQ(L"alpha", grid->GetItemText(1, 1));
    EXPECT_EQ(1, grid->GetSortColumn());
    EXPECT_EQ(GridCellRange(1, 1, 4, 1), grid->GetSelectedCellRange());  // the column
    ClickCell(*grid, 0, 1);
    EXPECT_EQ(L"delta", grid->GetItemText(1, 1));
    EXPECT_FALSE(grid->GetSortAscending());

    // The header of a sorted column shows its arrow.
    auto bitmap = Render(*grid);
    RECT header{};
    grid->GetCellRect(0, 1, &header);
    int shadow = 0;
    for (int x = header.left + 30; x < header.right; ++x)
        for (int y = header.top + 2; y < header.bottom - 1; ++y)
            shadow += bitmap->Pixel(x, y) == ::GetSysColor(COLOR_BTNSHADOW);
    EXPECT_GT(shadow, 2);

    parent.Clear();
    grid->SetEditable(false);
    grid->Post(WM_LBUTTONDBLCLK, MK_LBUTTON, At(Centre(*grid, 3, 2)));
    PumpMessages();
    ASSERT_FALSE(parent.notices.empty());
    EXPECT_EQ(NM_DBLCLK, parent.notices.back().code);
    EXPECT_EQ(3, parent.notices.back().row);
}

TEST(GridCtrlInput, PaintsThroughWmPaintAndTakesNewFonts)
{
    TestParent parent;
    auto grid = Filled(parent, 4, 3, 240, 120);
    grid->SetDoubleBuffering(true);
    ::InvalidateRect(grid->Handle(), nullptr, TRUE);
    ::UpdateWindow(grid->Handle());
    RECT update{};
    EXPECT_FALSE(::GetUpdateRect(grid->Handle(), &update, FALSE));  // painted
    EXPECT_EQ(TRUE, grid->Send(WM_ERASEBKGND));

    LOGFONTW big{};
    big.lfHeight = -30;
    wcscpy(big.lfFaceName, L"Tahoma");
    HFONT font = ::CreateFontIndirectW(&big);
    const int height = grid->GetDefaultCell(false, false)->GetHeight();
    grid->Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    EXPECT_GT(grid->GetDefaultCell(false, false)->GetHeight(), height);
    EXPECT_EQ(-30, grid->GetDefaultCell(true, false)->GetFont()->lfHeight);
    EXPECT_EQ(20, grid->GetRowHeight(1));  // existing sizes stay
    LOGFONTW back{};
    ::GetObjectW(reinterpret_cast<HFONT>(grid->Send(WM_GETFONT)), sizeof(back), &back);
    EXPECT_EQ(-30, back.lfHeight);
    ::DeleteObject(font);
}

TEST(GridCtrlInput, DraggingBelowTheGridScrollsAndExtendsTheSelection)
{
    TestParent parent;
    auto grid = Filled(parent, 101, 3, 300, 200);
    grid->Post(WM_LBUTTONDOWN, MK_LBUTTON, At(Centre(*grid, 2, 1)));
    PumpMessages();
    EXPECT_EQ(CGridCtrl::MouseMode::kSelectCells, grid->GetMouseMode());
    const RECT client = grid->GetClientRect();
    POINT below{100, client.bottom + 15};
    ::ClientToScreen(grid->Handle(), &below);
    ASSERT_TRUE(::SetCursorPos(below.x, below.y));
    for (int tick = 0; tick < 15; ++tick)
        grid->Send(WM_TIMER, CGridCtrl::kAutoScrollTimer);
    EXPECT_GT(grid->GetTopleftNonFixedCell().row, 1);
    const GridCellRange selected = grid->GetSelectedCellRange();
    EXPECT_EQ(2, selected.minRow);
    EXPECT_GT(selected.maxRow, 9);
    EXPECT_EQ(grid->GetVisibleNonFixedCellRange().maxRow, selected.maxRow);
    grid->Post(WM_LBUTTONUP, 0, MAKELPARAM(100, client.bottom + 15));
    PumpMessages();
    EXPECT_EQ(CGridCtrl::MouseMode::kNothing, grid->GetMouseMode());
    grid->Send(WM_TIMER, CGridCtrl::kAutoScrollTimer);  // a late tick does nothing
    EXPECT_EQ(selected, grid->GetSelectedCellRange());
}

TEST(GridCtrlInput, DividersShowTheSizingCursorAndTabCanLeaveTheGrid)
{
    TestParent parent;
    auto grid = Filled(parent, 4, 3);
    RECT header{};
    ASSERT_TRUE(grid->GetCellRect(0, 1, &header));
    grid->Send(WM_MOUSEMOVE, 0, MAKELPARAM(header.right, 5));
    EXPECT_EQ(CGridCtrl::MouseMode::kOverColDivide, grid->GetMouseMode());
    grid->Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(grid->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::LoadCursorW(nullptr, IDC_SIZEWE), ::GetCursor());
    grid->Send(WM_MOUSEMOVE, 0, MAKELPARAM(header.left + 20, 50));
    EXPECT_EQ(CGridCtrl::MouseMode::kNothing, grid->GetMouseMode());
    grid->Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(grid->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::LoadCursorW(nullptr, IDC_ARROW), ::GetCursor());

    ClickCell(*grid, 1, 0);
    grid->SetTabMovesToNextControl(true);
    Key(*grid, VK_TAB);
    EXPECT_EQ(1, parent.nextControlRequests);
    EXPECT_EQ(GridCellId(1, 0), grid->GetFocusCell());
}

TEST(GridCtrlInput, RowsInsertedOneByOneEndWithTheBarsTheyNeed)
{
    TestParent parent;
    auto grid = Filled(parent, 1, 3, 300, 200);
    auto fill = [&grid](int rows) {
        for (int i = 0; i < rows; ++i) {
            // As the file manager lists its files.
            const int row = grid->InsertRow(L"");
            grid->SetItemText(row, 1, fw::WString::Format(L"file %d", i).c_str());
            grid->SetCellType(row, 0, &CGridCellCheck::Class);
        }
    };
    fill(40);
    EXPECT_EQ(0x2, grid->GetScrollBarState());
    PumpMessages();
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ASSERT_TRUE(::GetScrollInfo(grid->Handle(), SB_VERT, &info));
    const int height = grid->GetRowHeight(1);
    EXPECT_EQ(40 * height - 1, info.nMax);
    EXPECT_EQ(static_cast<UINT>(grid->GetClientRect().bottom - 20), info.nPage);

    // Scrolled down, emptied and filled again: the view starts at the top,
    // as it would if every insert had recomputed the bars.
    grid->Post(WM_VSCROLL, SB_BOTTOM, 0);
    PumpMessages();
    ASSERT_GT(grid->GetTopleftNonFixedCell().row, 1);
    grid->DeleteNonFixedRows();
    fill(40);
    PumpMessages();
    EXPECT_EQ(1, grid->GetTopleftNonFixedCell().row);
    EXPECT_EQ(0, grid->GetScrollPos32(SB_VERT));

    // With redraw off nothing reaches the bars; turned back on, they are right at once.
    grid->SetRedraw(false);
    grid->DeleteNonFixedRows();
    fill(3);
    grid->SetRedraw(true);
    EXPECT_EQ(0, grid->GetScrollBarState());
    grid->SetRedraw(false);
    fill(40);
    EXPECT_EQ(0, grid->GetScrollBarState());
    grid->SetRedraw(true);
    EXPECT_EQ(0x2, grid->GetScrollBarState());
    ASSERT_TRUE(::GetScrollInfo(grid->Handle(), SB_VERT, &info));
    EXPECT_EQ(43 * height - 1, info.nMax);

    // Listed again as many rows, then fewer, then in a lower window: the bar follows each.
    for (int rows : {43, 20}) {
        grid->SetRedraw(false);
        grid->DeleteNonFixedRows();
        fill(rows);
        grid->SetRedraw(true, true);
        ASSERT_TRUE(::GetScrollInfo(grid->Handle(), SB_VERT, &info));
        EXPECT_EQ(rows * height - 1, info.nMax);
        EXPECT_EQ(0x2, grid->GetScrollBarState());
    }
    ::SetWindowPos(grid->Handle(), nullptr, 0, 0, 300, 150, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(::GetScrollInfo(grid->Handle(), SB_VERT, &info));
    EXPECT_EQ(static_cast<UINT>(grid->GetClientRect().bottom - 20), info.nPage);
}

TEST(GridCtrlInput, AnOpenEditEndsInItsOwnRowBeforeRowsMove)
{
    TestParent parent;
    auto grid = Filled(parent, 8, 3);
    // Types over the cell's text in an editor that stays open.
    auto type = [&grid](int row, wchar_t ch) {
        ClickCell(*grid, row, 1);
        grid->Post(WM_CHAR, ch, 0);
        PumpMessages();
        ASSERT_NE(nullptr, Editor(*grid));
    };
    // Whatever an editor still open would do when it loses the focus.
    auto settle = [&grid] {
        ::SetFocus(grid->Handle());
        PumpMessages();
    };

    type(3, L'a');
    ASSERT_TRUE(grid->DeleteRow(2));
    EXPECT_EQ(nullptr, Editor(*grid));
    settle();
    EXPECT_EQ(L"a", grid->GetItemText(2, 1));  // the edited row, one up now
    EXPECT_EQ(L"4,1", grid->GetItemText(3, 1));

    type(2, L'b');
    ASSERT_EQ(1, grid->InsertRow(L"new", 1));
    settle();
    EXPECT_EQ(L"b", grid->GetItemText(3, 1));
    EXPECT_EQ(L"1,1", grid->GetItemText(2, 1));

    type(4, L'c');  // the row of "4,0"
    ASSERT_TRUE(grid->SortItems(1, true));
    settle();
    for (int row = 1; row < grid->GetRowCount(); ++row)
        EXPECT_EQ(grid->GetItemText(row, 0) == L"4,0", grid->GetItemText(row, 1) == L"c") << row;

    type(7, L'd');
    ASSERT_TRUE(grid->SetRowCount(5));
    settle();
    for (int row = 1; row < 5; ++row)
        EXPECT_NE(L"d", grid->GetItemText(row, 1)) << row;
}

TEST(GridCtrlInput, HugeSizesAddUpWithoutWrapping)
{
    TestParent parent;
    auto grid = Filled(parent, 4, 3, 300, 200);
    grid->SetFixedColumnCount(1);
    grid->SetColumnWidth(1, 1500000000);
    grid->SetColumnWidth(2, 1500000000);
    EXPECT_GT(grid->GetVirtualWidth(), 0);
    EXPECT_EQ(0x1, grid->GetScrollBarState() & 0x1);  // far too wide for the window
    EXPECT_EQ(1, grid->GetCellFromPt(POINT{200, 30}).col);
    grid->Post(WM_HSCROLL, SB_RIGHT, 0);
    PumpMessages();
    EXPECT_EQ(2, grid->GetTopleftNonFixedCell().col);
    EXPECT_EQ(2, grid->GetCellFromPt(POINT{200, 30}).col);
    RECT rect{};
    ASSERT_TRUE(grid->GetCellRect(1, 2, &rect));
    EXPECT_EQ(60, rect.left);
    EXPECT_GT(rect.right, rect.left);
    Render(*grid);  // draws without trouble
    grid->SetRowHeight(2, 2000000000);
    grid->SetRowHeight(3, 2000000000);
    EXPECT_GT(grid->GetVirtualHeight(), 0);
    EXPECT_EQ(0x3, grid->GetScrollBarState());
}
