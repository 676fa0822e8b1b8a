// The grid's mouse: selection by click and drag with its auto-scroll timer,
// sizing rows and columns at their dividers, clicks, double clicks and the
// cursor.
#include "GridCtrl.h"

#include <algorithm>

#include "framework/Gdi.h"

namespace {

POINT Relative(POINT point, const RECT& cell)
{
    return POINT{point.x - cell.left, point.y - cell.top};
}

void SetCursorTo(LPCWSTR cursor)
{
    ::SetCursor(::LoadCursorW(nullptr, cursor));
}

// The sizing cursor over a divider and while one is dragged; null in other modes.
LPCWSTR SizingCursor(CGridCtrl::MouseMode mode)
{
    switch (mode) {
    case CGridCtrl::MouseMode::kOverRowDivide:
    case CGridCtrl::MouseMode::kSizingRow:
        return IDC_SIZENS;
    case CGridCtrl::MouseMode::kOverColDivide:
    case CGridCtrl::MouseMode::kSizingCol:
        return IDC_SIZEWE;
    default:
        return nullptr;
    }
}

}  // namespace

// --- dividers and sizing

bool CGridCtrl::OverDivider(bool rows, POINT point, int* index)
{
    const LONG across = rows ? point.x : point.y;
    if (across >= (rows ? GetFixedColumnWidth() : GetFixedRowHeight()))
        return false;
    const GridCellId cell = GetCellFromPt(point);
    RECT rect{};
    if (!IsValid(cell) || !GetCellRect(cell.row, cell.col, &rect))
        return false;
    const LONG along = rows ? point.y : point.x;
    const int at = rows ? cell.row : cell.col;
    if (along - (rows ? rect.top : rect.left) < m_resizeCaptureRange && at != 0) {
        *index = at - 1;
        if (!(rows ? m_hiddenRowsOpenable : m_hiddenColsOpenable))
            while (*index > 0 && SizeAlong(rows, *index) == 0)
                --*index;
        return true;
    }
    if ((rows ? rect.bottom : rect.right) + 1 - along <= m_resizeCaptureRange) {
        *index = at;
        return true;
    }
    return false;
}

CGridCtrl::MouseMode CGridCtrl::DividerAt(POINT point, int* index)
{
    if (m_allowColResize && OverDivider(false, point, index))
        return MouseMode::kOverColDivide;
    if (m_allowRowResize && OverDivider(true, point, index))
        return MouseMode::kOverRowDivide;
    return MouseMode::kNothing;
}

void CGridCtrl::DrawTrackingLine(const RECT& rect)
{
    fw::ClientDC dc(m_hwnd);
    if (dc.Get())
        ::InvertRect(dc.Get(), &rect);  // drawn twice, it is gone
}

void CGridCtrl::SizingRect(RECT* rect) const
{
    const RECT client = GetClientRect();
    if (m_mouseMode == MouseMode::kSizingCol)
        *rect = RECT{m_lastMousePoint.x - 1, client.top, m_lastMousePoint.x + 1, client.bottom};
    else
        *rect = RECT{client.left, m_lastMousePoint.y - 1, client.right, m_lastMousePoint.y + 1};
}

// --- buttons, moves, the timer

void CGridCtrl::OnLButtonDown(UINT flags, POINT point)
{
    ::SetFocus(m_hwnd);
    m_leftButtonDown = true;
    m_buttonDownPoint = point;
    m_lastMousePoint = point;
    m_clickDown = GetCellFromPt(point);
    if (!IsValid(m_clickDown))
        return;
    const bool control = (flags & MK_CONTROL) != 0;
    if (!(flags & MK_SHIFT))
        m_selectionStart = m_clickDown;
    else if (!IsValid(m_selectionStart))
        m_selectionStart = m_focus;

    EndEditing();
    RECT cellRect{};
    GetCellRect(m_clickDown.row, m_clickDown.col, &cellRect);
    if (CGridCellBase* cell = GetCell(m_clickDown.row, m_clickDown.col))
        cell->OnButtonDown(Relative(point, cellRect));

    // A second click on the focus cell's text edits it, on button up.
    if (m_clickDown == m_focus && !control) {
        RECT text = cellRect;
        CGridCellBase* cell = GetCell(m_clickDown.row, m_clickDown.col);
        if (cell && cell->GetTextRect(&text) && ::PtInRect(&text, point) && IsCellEditable(m_focus.row, m_focus.col)) {
            m_mouseMode = MouseMode::kPrepareEdit;
            return;
        }
    }

    if (IsCellSelected(m_clickDown.row, m_clickDown.col)) {
        SetFocusCell(m_clickDown);
        if (control) {
            if (m_listMode) {
                SelectRows(m_clickDown, false, false);
            } else {
                SetItemState(m_clickDown.row, m_clickDown.col,
                             GetItemState(m_clickDown.row, m_clickDown.col) & ~GridState::kSelected);
                RedrawCell(m_clickDown.row, m_clickDown.col);
            }
            return;
        }
    } else if (m_mouseMode != MouseMode::kOverColDivide && m_mouseMode != MouseMode::kOverRowDivide) {
        if (IsCellFixed(m_clickDown.row, m_clickDown.col))
            SetFocusCell(-1, -1);
        else
            SetFocusCell(m_clickDown);
    }

    ::SetCapture(m_hwnd);
    int sized = -1;
    const MouseMode divider = DividerAt(point, &sized);
    if (divider != MouseMode::kNothing) {
        m_mouseMode = divider == MouseMode::kOverColDivide ? MouseMode::kSizingCol : MouseMode::kSizingRow;
        SetCursorTo(SizingCursor(m_mouseMode));
    }
    if (m_mouseMode == MouseMode::kSizingCol || m_mouseMode == MouseMode::kSizingRow) {
        // The sized column (row) stands in the click-down cell from now on.
        if (m_mouseMode == MouseMode::kSizingCol)
            m_clickDown.col = sized;
        else
            m_clickDown.row = sized;
        SizingRect(&m_trackingLine);
        DrawTrackingLine(m_trackingLine);
        m_trackingShown = true;
        RECT confine = GetClientRect();
        ::MapWindowPoints(m_hwnd, nullptr, reinterpret_cast<POINT*>(&confine), 2);
        ::ClipCursor(&confine);
        return;
    }

    SendNotification(m_clickDown.row, m_clickDown.col, LVN_ITEMCHANGING);
    m_previousSelection.clear();
    if (control)
        m_previousSelection = m_selected;
    if (m_clickDown.row < m_fixedRowCount) {
        OnFixedRowClick(m_clickDown);
        if (m_fixedRowClickResets && m_clickDown.col >= m_fixedColCount)
            ResetSelectedRange();
    } else if (m_clickDown.col < m_fixedColCount) {
        OnFixedColumnClick(m_clickDown);
    } else {
        m_mouseMode = m_listMode ? MouseMode::kSelectRow : MouseMode::kSelectCells;
        SelectForMouseMode(m_clickDown);
        m_timer = ::SetTimer(m_hwnd, kAutoScrollTimer, m_timerInterval, nullptr);
    }
}

void CGridCtrl::OnMouseMove(UINT, POINT point)
{
    if (!m_leftButtonDown) {
        int index = -1;
        const MouseMode divider = DividerAt(point, &index);
        if (divider != m_mouseMode) {
            const LPCWSTR sizing = SizingCursor(divider);
            SetCursorTo(sizing ? sizing : IDC_ARROW);
            m_mouseMode = divider;
        }
        if (m_mouseMode == MouseMode::kNothing && (!m_virtualMode || m_virtualPointerOver)) {
            const GridCellId cell = GetCellFromPt(point);
            if (CGridCellBase* over = GetCell(cell.row, cell.col))
                over->OnPointerOver();
        }
        m_lastMousePoint = point;
        return;
    }
    if (!IsValid(m_clickDown)) {
        m_lastMousePoint = point;
        return;
    }
    switch (m_mouseMode) {
    case MouseMode::kSelectCol:
    case MouseMode::kSelectRow:
    case MouseMode::kSelectCells: {
        const GridCellId cell = GetCellFromPt(point);
        if (!IsValid(cell) || cell == m_focus)
            break;
        SelectForMouseMode(cell);
        if (!IsCellFixed(cell.row, cell.col) || m_mouseMode == MouseMode::kSelectCol ||
            m_mouseMode == MouseMode::kSelectRow)
            SetFocusCell(cell);
        break;
    }
    case MouseMode::kSizingCol:
    case MouseMode::kSizingRow:
        if (m_trackingShown)
            DrawTrackingLine(m_trackingLine);
        m_lastMousePoint = point;
        SizingRect(&m_trackingLine);
        DrawTrackingLine(m_trackingLine);
        m_trackingShown = true;
        break;
    default:
        break;
    }
    m_lastMousePoint = point;
}

void CGridCtrl::OnTimer(UINT_PTR id)
{
    if (id != kAutoScrollTimer || (m_mouseMode < MouseMode::kSelectAll || m_mouseMode > MouseMode::kSelectCells))
        return;
    POINT point{};
    ::GetCursorPos(&point);
    ::ScreenToClient(m_hwnd, &point);
    const RECT client = GetClientRect();
    const int fixedHeight = GetFixedRowHeight();
    const int fixedWidth = GetFixedColumnWidth();
    POINT edge = point;
    edge.x = std::max(static_cast<LONG>(fixedWidth), std::min(point.x, client.right - 1));
    edge.y = std::max(static_cast<LONG>(fixedHeight), std::min(point.y, client.bottom - 1));
    UINT key = 0;
    if (point.y >= client.bottom)
        key = VK_DOWN;
    else if (point.y < fixedHeight)
        key = VK_UP;
    else if (point.x >= client.right)
        key = VK_RIGHT;
    else if (point.x < fixedWidth)
        key = VK_LEFT;
    if (!key)
        return;
    Send(WM_KEYDOWN, key, 0);
    const GridCellId cell = GetCellFromPt(edge);
    if (IsValid(cell))
        SelectForMouseMode(cell);
}

void CGridCtrl::OnLButtonUp(UINT, POINT point)
{
    m_leftButtonDown = false;
    ::ClipCursor(nullptr);
    if (::GetCapture() == m_hwnd) {
        ::ReleaseCapture();
        ::KillTimer(m_hwnd, kAutoScrollTimer);
        m_timer = 0;
    }

    switch (m_mouseMode) {
    case MouseMode::kPrepareEdit:
        StartEditCell(m_focus.row, m_focus.col, point, VK_LBUTTON);
        break;
    case MouseMode::kSizingCol:
    case MouseMode::kSizingRow: {
        if (m_trackingShown) {
            DrawTrackingLine(m_trackingLine);
            m_trackingShown = false;
        }
        const bool moved = point.x != m_buttonDownPoint.x || point.y != m_buttonDownPoint.y;
        POINT origin{};
        if (moved && !(point.x == 0 && point.y == 0) && GetCellOrigin(m_clickDown.row, m_clickDown.col, &origin)) {
            if (m_mouseMode == MouseMode::kSizingCol)
                SetColumnWidth(m_clickDown.col, std::max(static_cast<int>(point.x - origin.x), m_columnsHideable ? 0 : 1));
            else
                SetRowHeight(m_clickDown.row, std::max(static_cast<int>(point.y - origin.y), m_rowsHideable ? 0 : 1));
            ResetScrollBars();
            Invalidate();
        }
        break;
    }
    default: {
        SendNotification(m_focus.row, m_focus.col, LVN_ITEMCHANGED);
        RECT rect{};
        CGridCellBase* cell = GetCell(m_focus.row, m_focus.col);
        if (cell && GetCellRect(m_focus.row, m_focus.col, &rect))
            cell->OnClick(Relative(point, rect));
        SendNotification(m_clickDown.row, m_clickDown.col, NM_CLICK);
        break;
    }
    }

    m_mouseMode = MouseMode::kNothing;
    SetCursorTo(IDC_ARROW);
    if (IsValid(m_clickDown) && IsWindow()) {
        HWND target = NotifyTarget();
        if (target)
            ::PostMessageW(target, WM_COMMAND, MAKEWPARAM(GetId(), 0), reinterpret_cast<LPARAM>(m_hwnd));
    }
}

void CGridCtrl::OnLButtonDblClk(UINT, POINT point)
{
    int index = -1;
    if (OverDivider(false, point, &index)) {
        while (index > 0 && GetColumnWidth(index) == 0)
            --index;  // never a hidden column
        AutoSizeColumn(index, m_autoSizeFlags);
        Invalidate();
        return;
    }
    if (OverDivider(true, point, &index)) {
        AutoSizeRow(index);
        Invalidate();
        return;
    }
    if (m_mouseMode != MouseMode::kNothing)
        return;
    const GridCellId cell = GetCellFromPt(point);
    CGridCellBase* target = GetCell(cell.row, cell.col);
    RECT rect{};
    if (!target || !GetCellRect(cell.row, cell.col, &rect))
        return;
    RECT text = rect;
    target->GetTextRect(&text);
    if (!IsCellFixed(cell.row, cell.col) && ::PtInRect(&text, point) && (IsValid(m_clickDown) || m_listMode)) {
        StartEditCell(cell.row, cell.col, point, VK_LBUTTON);
        target = GetCell(cell.row, cell.col);
    }
    if (target)
        target->OnDoubleClick(Relative(point, rect));
    SendNotification(cell.row, cell.col, NM_DBLCLK);
}

bool CGridCtrl::OnSetCursor(HWND window, UINT hitTest)
{
    if (window != m_hwnd || hitTest != HTCLIENT)
        return false;
    if (const LPCWSTR sizing = SizingCursor(m_mouseMode)) {
        SetCursorTo(sizing);
        return true;
    }
    if (!m_virtualMode) {
        POINT point{};
        ::GetCursorPos(&point);
        ::ScreenToClient(m_hwnd, &point);
        const GridCellId cell = GetCellFromPt(point);
        if (CGridCellBase* over = GetCell(cell.row, cell.col))
            return over->OnSetCursor();
    }
    SetCursorTo(IDC_ARROW);
    return true;
}
