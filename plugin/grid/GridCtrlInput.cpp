// The grid's messages: painting, sizing, fonts and the select-all command,
// and the start and end of in-place edits.
#include "GridCtrl.h"

#include <algorithm>

#include "framework/Gdi.h"

LRESULT CGridCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_PRINTCLIENT:
        OnDraw(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return TRUE;  // painting covers everything
    case WM_SIZE:
        OnSize();
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == kGridSelectAllCommand && m_enableSelection) {
            OnSelectAll();
            return 0;
        }
        break;
    case WM_SETFONT:
        OnSetFont(reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(m_defaultCells[0].GetFontObject());
    case WM_SETTINGCHANGE:
        OnSettingChange();
        break;
    default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
}

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
    if (CGridCellBase* cell = GetCell(row, col))
        cell->StartEdit(row, col, rect, point, kGridEditorId, ch);
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
}

void CGridCtrl::EndEditing()
{
    if (CGridCellBase* cell = GetCell(m_focus.row, m_focus.col))
        cell->EndEdit();
}

HWND CGridCtrl::CreateInPlaceEditor(const RECT&, DWORD, UINT, int, int, const wchar_t*, UINT)
{
    return nullptr;
}

void CGridCtrl::EnsureVisible(int, int) {}
