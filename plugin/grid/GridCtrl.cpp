// The grid's window: its class, creation and message map, the options that
// act at once, and the notifications to its parent.
#include "GridCtrl.h"

#include "GridCell.h"
#include "framework/App.h"

const fw::RuntimeClass CGridCtrl::Class = fw::RuntimeClass::Creatable<CGridCtrl>("CGridCtrl", &fw::WindowImpl::Class);

CGridCtrl::CGridCtrl(int rows, int cols, int fixedRows, int fixedCols)
    : m_backColour(::GetSysColor(COLOR_BTNSHADOW)),
      m_windowTextColour(::GetSysColor(COLOR_WINDOWTEXT)),
      m_windowColour(::GetSysColor(COLOR_WINDOW)),
      m_faceColour(::GetSysColor(COLOR_BTNFACE)),
      m_cellClass(&CGridCell::Class)
{
    RegisterWindowClass();
    for (int i = 0; i < 4; ++i) {
        m_defaultCells[i].SetGrid(this);
        m_defaultCells[i].SetTextColour(m_windowTextColour);
        m_defaultCells[i].SetBackColour(i == 0 ? m_windowColour : m_faceColour);
    }
    SetRowCount(rows);
    SetColumnCount(cols);
    SetFixedRowCount(fixedRows);
    SetFixedColumnCount(fixedCols);
}

CGridCtrl::~CGridCtrl()
{
    m_destroying = true;
    DeleteAllItems();  // the window goes with the object (fw::WindowImpl)
}

// --- creation

bool CGridCtrl::RegisterWindowClass()
{
    WNDCLASSW wc{};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    // Windows of the class are subclassed by CGridCtrl once made, by code or from a template.
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kWindowClass;
    // The module owns the class: a plug-in's goes when its call ends.
    return fw::RegisterModuleClass(wc);
}

bool CGridCtrl::Create(const RECT& rect, HWND parent, UINT id, DWORD style)
{
    m_scrollBarsPosted = false;  // a new window: nothing is on its way to it
    if (!CreateEx(0, kWindowClass, L"", style, rect, parent, id))
        return false;
    try {
        m_rowHeights.assign(static_cast<size_t>(m_rowCount), NewSize(true, MadeBy::kWindow));
        m_colWidths.assign(static_cast<size_t>(m_colCount), NewSize(false, MadeBy::kWindow));
    } catch (const std::exception& error) {
        ReportFailure(error);
        DestroyWindow();
        return false;
    }
    ForgetTopLeft();
    ResetScrollBars();
    return true;
}

bool CGridCtrl::SubclassWindow(HWND handle)
{
    if (!fw::WindowImpl::SubclassWindow(handle))
        return false;
    m_scrollBarsPosted = false;
    // A template control has been sized before we saw it: make it size again.
    RECT rect = GetWindowRect();
    HWND parent = ::GetParent(handle);
    if (parent)
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE;
    ::SetWindowPos(handle, nullptr, 0, 0, rect.right - rect.left + 1, rect.bottom - rect.top + 1, flags);
    ::SetWindowPos(handle, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top, flags);
    return true;
}

bool CGridCtrl::SubclassDlgItem(UINT id, HWND parent)
{
    return SubclassWindow(::GetDlgItem(parent, static_cast<int>(id)));
}

void CGridCtrl::ReportFailure(const std::exception& error) const
{
    fw::ReportException(error, m_hwnd);
}

// --- messages

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

// --- options

void CGridCtrl::SetRedraw(bool allow, bool resetScrollBars)
{
    m_allowDraw = allow;
    if (allow) {
        // Changes made while redraw was off reach the bars now, all at once.
        if (resetScrollBars || m_scrollBarsDue)
            ResetScrollBars();
        if (IsWindow())
            Invalidate();
    }
}

void CGridCtrl::SetVirtualMode(bool virtualMode)
{
    DeleteAllItems();
    m_virtualMode = virtualMode;
    if (virtualMode) {
        m_autoSizeFlags = GridAutoSize::kHeader;
        m_editable = false;
        m_fixedRowClickSelectsCol = false;
        m_fixedColClickSelectsRow = false;
    }
}

// --- parent

HWND CGridCtrl::NotifyTarget() const
{
    return m_owner ? m_owner : ::GetParent(m_hwnd);
}

// Skipped (0) without the grid's window or the target.
LRESULT CGridCtrl::SendToParent(NMHDR& header, int code) const
{
    HWND target = IsWindow() ? NotifyTarget() : nullptr;
    if (!target || !::IsWindow(target))
        return 0;
    return SendGridNotify(target, m_hwnd, header, code);
}

LRESULT CGridCtrl::SendNotification(int row, int col, int code) const
{
    GridNotification notification{};
    notification.row = row;
    notification.column = col;
    return SendToParent(notification.hdr, code);
}

LRESULT CGridCtrl::SendDisplayRequest(GridDisplayInfo* info) const
{
    return SendToParent(info->hdr, LVN_GETDISPINFOW);
}
