// The grid's scrolling, its keyboard (moving the focus, characters that
// start an edit) and the start and end of in-place edits.
#include "GridCtrl.h"

#include <algorithm>
#include <climits>

#include "InPlaceEdit.h"

namespace {

bool KeyDown(int key)
{
    return ::GetKeyState(key) < 0;
}

}  // namespace

// --- scrolling

namespace {

// The largest position a bar can take (its range less its page), and its position.
int ScrollLimit(HWND window, int bar, int* position)
{
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (!::GetScrollInfo(window, bar, &info)) {
        *position = 0;
        return 0;
    }
    *position = info.nPos;
    return std::max(0, info.nMax - std::max(static_cast<int>(info.nPage) - 1, 0));
}

}  // namespace

// Rows (SB_VERT) and columns (SB_HORZ) scroll alike; the codes of the two bars have the same values.
void CGridCtrl::OnScroll(int bar, UINT code)
{
    EndEditing();
    ApplyDueScrollBars();
    const bool vertical = bar == SB_VERT;
    int position = 0;
    const int limit = ScrollLimit(m_hwnd, bar, &position);
    const GridCellId topLeft = GetTopleftNonFixedCell();
    const RECT client = GetClientRect();
    const int fixedExtent = vertical ? GetFixedRowHeight() : GetFixedColumnWidth();
    const int page = static_cast<int>(vertical ? client.bottom : client.right) - fixedExtent;
    RECT body = client;  // what scrolls: everything but the fixed rows (columns)
    (vertical ? body.top : body.left) = fixedExtent;
    const int count = vertical ? m_rowCount : m_colCount;
    const int fixedCount = vertical ? m_fixedRowCount : m_fixedColCount;
    auto size = [this, vertical](int index) { return SizeAlong(vertical, index); };
    int target = position;

    switch (code) {
    case SB_LINEDOWN: {
        int index = vertical ? topLeft.row : topLeft.col;
        while (index >= 0 && index < count - 1 && size(index) == 0)
            ++index;
        target = ClampPixels(std::min<long long>(limit, static_cast<long long>(position) + std::max(0, size(index))));
        break;
    }
    case SB_LINEUP: {
        int index = (vertical ? topLeft.row : topLeft.col) - 1;
        while (index >= fixedCount && size(index) == 0)
            --index;
        if (index >= fixedCount)
            target = std::max(0, position - std::max(0, size(index)));
        break;
    }
    case SB_PAGEDOWN:
        target = std::min(limit, std::max(0, ClampPixels(static_cast<long long>(position) + page)));
        break;
    case SB_PAGEUP:
        target = std::max(0, std::min(limit, ClampPixels(static_cast<long long>(position) - page)));
        break;
    case SB_TOP:
        target = 0;
        break;
    case SB_BOTTOM:
        target = limit;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SetScrollPos32(bar, GetScrollPos32(bar, true));
        ForgetTopLeft();
        if (GetTopleftNonFixedCell() != topLeft && m_allowDraw)
            ::InvalidateRect(m_hwnd, &body, FALSE);
        return;
    }
    default:
        return;
    }
    if (target == position)
        return;
    SetScrollPos32(bar, target, !m_quietScrollBars);
    ForgetTopLeft();
    if (m_allowDraw)
        ::InvalidateRect(m_hwnd, &body, FALSE);
}

// Where the row (column) at index ends on screen, wherever that is.
long long CGridCtrl::CellEndOnScreen(bool rows, int index)
{
    const GridCellId topLeft = GetTopleftNonFixedCell();
    return PositionOnScreen(rows, index, rows ? topLeft.row : topLeft.col, LLONG_MAX) + SizeAlong(rows, index);
}

void CGridCtrl::EnsureVisible(int row, int col)
{
    if (!m_allowDraw || !IsWindow() || !IsValid(row, col))
        return;
    ApplyDueScrollBars();
    // Each step scrolls a line; every row and column is reached within these.
    int steps = m_rowCount + m_colCount + 2;
    const RECT client = GetClientRect();
    const int vertical = GetScrollPos32(SB_VERT);
    const int horizontal = GetScrollPos32(SB_HORZ);
    // A page or thumb scroll can leave the position inside a wide row or
    // column, from where a line step need not pass one. The start of the
    // top-left one shows the same cells, and from there every step does.
    auto startAtTopLeft = [&](bool rows, int index) {
        const GridCellId topLeft = GetTopleftNonFixedCell();
        const int first = rows ? topLeft.row : topLeft.col;
        const LONG end = rows ? client.bottom : client.right;
        const bool scrolls = index < first || (index > first && CellEndOnScreen(rows, index) > end);
        const int bar = rows ? SB_VERT : SB_HORZ;
        if (!scrolls || !(m_scrollBars & (rows ? 0x2 : 0x1)))
            return;
        const long long start = SumOfSizes(rows, rows ? m_fixedRowCount : m_fixedColCount, first);
        if (start != GetScrollPos32(bar))
            SetScrollPos32(bar, ClampPixels(start), false);
    };
    m_quietScrollBars = true;
    if (col >= m_fixedColCount) {
        startAtTopLeft(false, col);
        while (steps-- > 0 && (m_scrollBars & 0x1) && col < GetTopleftNonFixedCell().col) {
            const int before = GetScrollPos32(SB_HORZ);
            Send(WM_HSCROLL, SB_LINELEFT);
            if (GetScrollPos32(SB_HORZ) == before)
                break;
        }
        while (steps-- > 0 && (m_scrollBars & 0x1) && col > GetTopleftNonFixedCell().col &&
               CellEndOnScreen(false, col) > client.right) {
            const int before = GetScrollPos32(SB_HORZ);
            Send(WM_HSCROLL, SB_LINERIGHT);
            if (GetScrollPos32(SB_HORZ) == before)
                break;
        }
    }
    if (row >= m_fixedRowCount) {
        startAtTopLeft(true, row);
        while (steps-- > 0 && (m_scrollBars & 0x2) && row < GetTopleftNonFixedCell().row) {
            const int before = GetScrollPos32(SB_VERT);
            Send(WM_VSCROLL, SB_LINEUP);
            if (GetScrollPos32(SB_VERT) == before)
                break;
        }
        while (steps-- > 0 && (m_scrollBars & 0x2) && row > GetTopleftNonFixedCell().row &&
               CellEndOnScreen(true, row) > client.bottom) {
            const int before = GetScrollPos32(SB_VERT);
            Send(WM_VSCROLL, SB_LINEDOWN);
            if (GetScrollPos32(SB_VERT) == before)
                break;
        }
    }
    m_quietScrollBars = false;
    if (GetScrollPos32(SB_VERT) != vertical)
        SetScrollPos32(SB_VERT, GetScrollPos32(SB_VERT), true);
    if (GetScrollPos32(SB_HORZ) != horizontal)
        SetScrollPos32(SB_HORZ, GetScrollPos32(SB_HORZ), true);
}

// --- the keyboard

LRESULT CGridCtrl::OnGetDlgCode()
{
    LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (m_wantTab && !KeyDown(VK_CONTROL))
        code |= DLGC_WANTTAB;
    return code;
}

void CGridCtrl::ScrollPage(int bar, bool down)
{
    Send(bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, down ? SB_PAGEDOWN : SB_PAGEUP);
}

void CGridCtrl::ScrollLine(int bar, bool forward)
{
    Send(bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, forward ? SB_LINEDOWN : SB_LINEUP);
}

GridCellId CGridCtrl::MoveByKey(UINT key, bool control, bool shift, bool* handled)
{
    *handled = true;
    GridCellId next = m_focus;
    auto nextRow = [this](int row) {
        for (int r = row + 1; r < m_rowCount; ++r)
            if (GetRowHeight(r) > 0)
                return r;
        return -1;
    };
    auto previousRow = [this](int row) {
        for (int r = row - 1; r >= m_fixedRowCount; --r)
            if (GetRowHeight(r) > 0)
                return r;
        return -1;
    };
    auto nextCol = [this](int col) {
        for (int c = col + 1; c < m_colCount; ++c)
            if (GetColumnWidth(c) > 0)
                return c;
        return -1;
    };
    auto previousCol = [this](int col) {
        for (int c = col - 1; c >= m_fixedColCount; --c)
            if (GetColumnWidth(c) > 0)
                return c;
        return -1;
    };
    const int firstRow = nextRow(m_fixedRowCount - 1);
    const int lastRow = previousRow(m_rowCount);
    const int firstCol = nextCol(m_fixedColCount - 1);
    const int lastCol = previousCol(m_colCount);

    switch (key) {
    case VK_DOWN:
        if (nextRow(next.row) >= 0)
            next.row = nextRow(next.row);
        break;
    case VK_UP:
        if (previousRow(next.row) >= 0)
            next.row = previousRow(next.row);
        break;
    case VK_RIGHT:
        if (nextCol(next.col) >= 0)
            next.col = nextCol(next.col);
        break;
    case VK_LEFT:
        if (previousCol(next.col) >= 0)
            next.col = previousCol(next.col);
        break;
    case VK_TAB:
        if (shift) {
            if (previousCol(next.col) >= 0) {
                next.col = previousCol(next.col);
            } else if (previousRow(next.row) >= 0 && lastCol >= 0) {
                next.row = previousRow(next.row);
                next.col = lastCol;
            }
        } else {
            if (nextCol(next.col) >= 0) {
                next.col = nextCol(next.col);
            } else if (nextRow(next.row) >= 0 && firstCol >= 0) {
                next.row = nextRow(next.row);
                next.col = firstCol;
            }
        }
        break;
    case VK_NEXT:
    case VK_PRIOR: {
        const int before = GetTopleftNonFixedCell().row;
        ScrollPage(SB_VERT, key == VK_NEXT);
        const int moved = GetTopleftNonFixedCell(true).row - before;
        if (moved != 0)
            next.row = std::max(m_fixedRowCount, std::min(m_rowCount - 1, next.row + moved));
        else if (key == VK_NEXT && lastRow >= 0)
            next.row = lastRow;
        else if (key == VK_PRIOR && firstRow >= 0)
            next.row = firstRow;
        break;
    }
    case VK_HOME:
        if (firstCol >= 0)
            next.col = firstCol;
        if (control) {
            if (firstRow >= 0)
                next.row = firstRow;
            Send(WM_VSCROLL, SB_TOP);
            Send(WM_HSCROLL, SB_LEFT);
        }
        break;
    case VK_END:
        if (lastCol >= 0)
            next.col = lastCol;
        if (control && lastRow >= 0)
            next.row = lastRow;
        break;
    default:
        *handled = false;
        break;
    }
    return next;
}

void CGridCtrl::OnKeyDown(UINT key)
{
    if (!IsValid(m_focus)) {
        DefaultProc(WM_KEYDOWN, key, 0);
        return;
    }
    const bool control = KeyDown(VK_CONTROL);
    const bool shift = KeyDown(VK_SHIFT);
    if (control && key == 'A') {
        OnSelectAll();
        return;
    }
    if (control && key == VK_ADD) {
        AutoSizeColumns(m_autoSizeFlags);
        Invalidate();
        return;
    }
    if (key == VK_F2) {
        StartEditCell(m_focus.row, m_focus.col, POINT{-1, -1}, VK_LBUTTON);
        return;
    }
    if (key == VK_TAB && m_tabToNextControl) {
        ::SendMessageW(::GetParent(m_hwnd), WM_NEXTDLGCTL, shift ? 1 : 0, 0);
        return;
    }
    bool handled = false;
    const GridCellId next = MoveByKey(key, control, shift, &handled);
    if (!handled) {
        DefaultProc(WM_KEYDOWN, key, 0);
        return;
    }
    if (next == m_focus || !IsValid(next))
        return;

    if (m_mouseMode == MouseMode::kNothing) {
        m_previousSelection.clear();
        m_mouseMode = m_listMode ? MouseMode::kSelectRow : MouseMode::kSelectCells;
        if (!shift || key == VK_TAB)
            m_selectionStart = next;
        SendNotification(next.row, next.col, LVN_ITEMCHANGING);
        SelectForMouseMode(next);
        SendNotification(next.row, next.col, LVN_ITEMCHANGED);
        m_mouseMode = MouseMode::kNothing;
    }
    SetFocusCell(next);
    if (!IsCellVisible(next.row, next.col)) {
        switch (key) {
        case VK_RIGHT:
            Send(WM_HSCROLL, SB_LINERIGHT);
            break;
        case VK_LEFT:
            Send(WM_HSCROLL, SB_LINELEFT);
            break;
        case VK_DOWN:
            ScrollLine(SB_VERT, true);
            break;
        case VK_UP:
            ScrollLine(SB_VERT, false);
            break;
        default:
            break;
        }
        Invalidate();
    }
    EnsureVisible(next.row, next.col);
}

void CGridCtrl::OnChar(UINT ch, bool imeChar)
{
    if (KeyDown(VK_CONTROL) || m_mouseMode != MouseMode::kNothing || ch == VK_ESCAPE ||
        (!imeChar && ch == VK_TAB && m_wantTab))
        return;
    if (IsValid(m_focus))
        StartEditCell(m_focus.row, m_focus.col, POINT{-1, -1}, ch);
}

// --- in-place editing

void CGridCtrl::StartEditCell(int row, int col, POINT point, UINT ch)
{
    if (!IsValid(row, col) || !IsCellEditable(row, col))
        return;
    EnsureVisible(row, col);
    RECT rect{};
    if (!IsCellVisible(row, col) || !GetCellRect(row, col, &rect))
        return;
    if (SendNotification(row, col, LVN_BEGINLABELEDITW) < 0)
        return;
    CGridCellBase* cell = GetCell(row, col);
    if (cell && cell->StartEdit(row, col, rect, point, kGridEditorId, ch) && cell->IsEditing())
        m_editCell = GridCellId(row, col);
}

bool CGridCtrl::ValidateEdit(int row, int col, const wchar_t* text)
{
    CGridCellBase* cell = GetCell(row, col);
    return !cell || cell->ValidateEdit(text);
}

void CGridCtrl::OnEditFinished(int row, int col, const wchar_t* text)
{
    CGridCellBase* cell = GetCell(row, col);
    if (!cell)
        return;
    const fw::WString old(cell->GetText());
    const fw::WString edited(text ? text : L"");
    if (edited != old) {
        SetItemText(row, col, edited.c_str());
        if (ValidateEdit(row, col, edited.c_str()) && SendNotification(row, col, LVN_ENDLABELEDITW) >= 0) {
            SetModified(true, row, col);
            RedrawCell(row, col);
        } else {
            SetItemText(row, col, old.c_str());
        }
    }
    if ((cell = GetCell(row, col)) != nullptr)
        cell->EditEnded();
    if (m_editCell == GridCellId(row, col))
        m_editCell = GridCellId();
}

void CGridCtrl::OnEndInPlaceEdit(GridDisplayInfo* info)
{
    OnEditFinished(info->row, info->column, info->text.c_str());
    const UINT key = static_cast<UINT>(info->data);
    // Tab and the movement keys go on to the next cell and edit it when they may.
    if (key == VK_TAB || (key >= VK_PRIOR && key <= VK_DOWN)) {
        OnKeyDown(key);
        StartEditCell(m_focus.row, m_focus.col, POINT{-1, -1}, key);
    }
}

void CGridCtrl::EndEditing()
{
    // The cell being edited, which need not be the focus cell any more.
    const GridCellId edited = IsValid(m_editCell) ? m_editCell : m_focus;
    if (CGridCellBase* cell = GetCell(edited.row, edited.col))
        cell->EndEdit();
}

void CGridCtrl::EndEditBeforeCellsMove()
{
    if (m_destroying)
        return;
    EndEditing();  // the editor writes into the cell it was opened on, still in place
    m_editCell = GridCellId();
}

HWND CGridCtrl::CreateInPlaceEditor(const RECT& rect, DWORD style, UINT id, int row, int col, const wchar_t* text,
                                    UINT ch)
{
    if (!IsWindow())
        return nullptr;
    return CInPlaceEdit::Open(m_hwnd, rect, style, id, row, col, text, ch);
}
