// The grid's messages: scrolling, the mouse (selection, sizing, clicks),
// the keyboard, characters that start an edit, sizes, fonts and colours, and
// the start and end of in-place edits.
#include "GridCtrl.h"

#include <algorithm>
#include <climits>

#include "InPlaceEdit.h"
#include "framework/Gdi.h"

namespace {

bool KeyDown(int key)
{
    return ::GetKeyState(key) < 0;
}

POINT Relative(POINT point, const RECT& cell)
{
    return POINT{point.x - cell.left, point.y - cell.top};
}

}  // namespace

LRESULT CGridCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    // Keys, commands, timers, scrolling and the mouse work with the bars the sizes ask for.
    if (m_scrollBarsDue && message >= WM_KEYFIRST && message <= WM_MOUSELAST)
        ApplyDueScrollBars();
    switch (message) {
    case kApplyScrollBarsMessage:
        m_scrollBarsPosted = false;
        ApplyDueScrollBars();
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_PRINTCLIENT:
        OnDraw(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return TRUE;  // painting covers everything
    case WM_HSCROLL:
        OnScroll(SB_HORZ, LOWORD(wParam));
        return 0;
    case WM_VSCROLL:
        OnScroll(SB_VERT, LOWORD(wParam));
        return 0;
    case WM_SIZE:
        OnSize();
        break;
    case WM_LBUTTONUP:
        OnLButtonUp(static_cast<UINT>(wParam), point);
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(wParam), point);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wParam), point);
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_GETDLGCODE:
        return OnGetDlgCode();
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam));
        return 0;
    case WM_CHAR:
        OnChar(static_cast<UINT>(wParam), false);
        return 0;
    case WM_IME_CHAR:
        OnChar(static_cast<UINT>(wParam), true);
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(static_cast<UINT>(wParam), point);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kGridSelectAllCommand && m_enableSelection) {
            OnSelectAll();
            return 0;
        }
        // The in-place editor's own notifications go back to it.
        if (LOWORD(wParam) == kGridEditorId && lParam)
            ::SendMessageW(reinterpret_cast<HWND>(lParam), kGridReflectedCommand, wParam, lParam);
        break;
    case WM_SETCURSOR:
        if (OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam)))
            return TRUE;
        break;
    case WM_SETTINGCHANGE:
        OnSettingChange();
        break;
    case WM_SETFONT:
        OnSetFont(reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(m_defaultCells[0].GetFontObject());
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header && header->idFrom == kGridEditorId && header->code == static_cast<UINT>(LVN_ENDLABELEDITW)) {
            OnEndInPlaceEdit(reinterpret_cast<GridDisplayInfo*>(lParam));
            return 0;
        }
        break;
    }
    default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
}

// --- sizes, fonts, colours

void CGridCtrl::OnSize()
{
    if (m_inSize)
        return;
    m_inSize = true;
    EndEditing();
    ResetScrollBars();
    m_inSize = false;
}

void CGridCtrl::OnSetFont(HFONT font, bool redraw)
{
    LOGFONTW logFont{};
    if (!font || !::GetObjectW(font, sizeof(logFont), &logFont))
        return;
    for (CGridDefaultCell& cell : m_defaultCells)
        cell.SetFont(&logFont);
    if (redraw && IsWindow() && m_allowDraw)
        Invalidate();
}

void CGridCtrl::OnSettingChange()
{
    const COLORREF windowText = ::GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    for (CGridDefaultCell& cell : m_defaultCells) {
        if (cell.GetTextColour() == m_windowTextColour)
            cell.SetTextColour(windowText);
        if (cell.GetBackColour() == m_windowColour)
            cell.SetBackColour(window);
    }
    m_windowTextColour = windowText;
    m_windowColour = window;
}

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

// --- the mouse

bool CGridCtrl::OverColumnDivider(POINT point, int* col)
{
    if (point.y >= GetFixedRowHeight())
        return false;  // dividers are taken in the fixed rows only
    const GridCellId cell = GetCellFromPt(point);
    RECT rect{};
    if (!IsValid(cell) || !GetCellRect(cell.row, cell.col, &rect))
        return false;
    if (point.x - rect.left < m_resizeCaptureRange && cell.col != 0) {
        *col = cell.col - 1;
        if (!m_hiddenColsOpenable)
            while (*col > 0 && GetColumnWidth(*col) == 0)
                --*col;
        return true;
    }
    if (rect.right + 1 - point.x <= m_resizeCaptureRange) {
        *col = cell.col;
        return true;
    }
    return false;
}

bool CGridCtrl::OverRowDivider(POINT point, int* row)
{
    if (point.x >= GetFixedColumnWidth())
        return false;
    const GridCellId cell = GetCellFromPt(point);
    RECT rect{};
    if (!IsValid(cell) || !GetCellRect(cell.row, cell.col, &rect))
        return false;
    if (point.y - rect.top < m_resizeCaptureRange && cell.row != 0) {
        *row = cell.row - 1;
        if (!m_hiddenRowsOpenable)
            while (*row > 0 && GetRowHeight(*row) == 0)
                --*row;
        return true;
    }
    if (rect.bottom + 1 - point.y <= m_resizeCaptureRange) {
        *row = cell.row;
        return true;
    }
    return false;
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
    if (m_allowColResize && OverColumnDivider(point, &sized)) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
        m_mouseMode = MouseMode::kSizingCol;
    } else if (m_allowRowResize && OverRowDivider(point, &sized)) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_SIZENS));
        m_mouseMode = MouseMode::kSizingRow;
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
        if (m_allowColResize && OverColumnDivider(point, &index)) {
            if (m_mouseMode != MouseMode::kOverColDivide) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
                m_mouseMode = MouseMode::kOverColDivide;
            }
        } else if (m_allowRowResize && OverRowDivider(point, &index)) {
            if (m_mouseMode != MouseMode::kOverRowDivide) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_SIZENS));
                m_mouseMode = MouseMode::kOverRowDivide;
            }
        } else if (m_mouseMode != MouseMode::kNothing) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
            m_mouseMode = MouseMode::kNothing;
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
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    if (IsValid(m_clickDown) && IsWindow()) {
        HWND target = NotifyTarget();
        if (target)
            ::PostMessageW(target, WM_COMMAND, MAKEWPARAM(GetId(), 0), reinterpret_cast<LPARAM>(m_hwnd));
    }
}

void CGridCtrl::OnLButtonDblClk(UINT, POINT point)
{
    int index = -1;
    if (OverColumnDivider(point, &index)) {
        while (index > 0 && GetColumnWidth(index) == 0)
            --index;  // never a hidden column
        AutoSizeColumn(index, m_autoSizeFlags);
        Invalidate();
        return;
    }
    if (OverRowDivider(point, &index)) {
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
    switch (m_mouseMode) {
    case MouseMode::kOverRowDivide:
    case MouseMode::kSizingRow:
        ::SetCursor(::LoadCursorW(nullptr, IDC_SIZENS));
        return true;
    case MouseMode::kOverColDivide:
    case MouseMode::kSizingCol:
        ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
        return true;
    default:
        break;
    }
    if (!m_virtualMode) {
        POINT point{};
        ::GetCursorPos(&point);
        ::ScreenToClient(m_hwnd, &point);
        const GridCellId cell = GetCellFromPt(point);
        if (CGridCellBase* over = GetCell(cell.row, cell.col))
            return over->OnSetCursor();
    }
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    return true;
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
