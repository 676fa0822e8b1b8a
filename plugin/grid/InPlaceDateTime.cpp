#include "InPlaceDateTime.h"

#include <commctrl.h>

#include <exception>

#include "GridCellDateTime.h"
#include "GridCtrl.h"
#include "framework/LocalTime.h"

CInPlaceDateTime::CInPlaceDateTime(int row, int col, const wchar_t* text)
    : CInPlaceEditor(row, col, text, false)  // arrows change the picker's fields
{
}

HWND CInPlaceDateTime::Open(HWND grid, const RECT& rect, DWORD style, UINT id, int row, int col, const wchar_t* text,
                            __time64_t time, UINT ch)
{
    static const bool registered = [] {
        INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_DATE_CLASSES};
        return ::InitCommonControlsEx(&classes) != FALSE;
    }();
    if (!registered)
        return nullptr;
    CInPlaceDateTime* picker = nullptr;
    try {
        picker = new CInPlaceDateTime(row, col, text);
    } catch (const std::exception&) {
        return nullptr;
    }
    const RECT area{rect.left, rect.top, rect.right + 1, rect.bottom + 1};
    if (!picker->CreateEx(0, DATETIMEPICK_CLASSW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | DTS_UPDOWN | style, area,
                          grid, id)) {
        delete picker;
        return nullptr;
    }
    HWND window = picker->Handle();  // the picker may be gone after the focus moves
    SYSTEMTIME shown{};
    if (fw::ToLocalTime(time, shown))
        picker->Send(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&shown));
    // What it shows before the user does anything (now, for a time that does not convert).
    picker->m_openedValid = picker->Send(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&picker->m_opened)) == GDT_VALID;
    picker->Send(WM_SETFONT, static_cast<WPARAM>(::SendMessageW(grid, WM_GETFONT, 0, 0)), FALSE);
    ::SetFocus(window);
    // A typed character goes on to the picker; the mouse, enter and the movement keys do not.
    if (::IsWindow(window) && ch != VK_LBUTTON && ch != VK_RETURN && !(ch >= VK_PRIOR && ch <= VK_DOWN))
        ::SendMessageW(window, WM_CHAR, ch, 0);
    return ::IsWindow(window) ? window : nullptr;
}

bool CInPlaceDateTime::IsUnchanged(const SYSTEMTIME& picked) const
{
    const SYSTEMTIME& opened = m_opened;
    return m_openedValid && picked.wYear == opened.wYear && picked.wMonth == opened.wMonth &&
           picked.wDay == opened.wDay && picked.wHour == opened.wHour && picked.wMinute == opened.wMinute &&
           picked.wSecond == opened.wSecond;
}

void CInPlaceDateTime::BeforeEnd()
{
    SYSTEMTIME picked{};
    if (Send(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&picked)) != GDT_VALID)
        return;
    // A cell the user did not change keeps its time and text (escape included).
    if ((m_unchanged = IsUnchanged(picked)))
        return;
    long long time = 0;
    auto* grid = dynamic_cast<CGridCtrl*>(fw::WindowImpl::FromHandle(Grid()));
    CGridCellBase* cell = grid ? grid->GetCell(m_row, m_col) : nullptr;
    if (fw::FromLocalTime(picked, time) && cell && cell->IsKindOf(&CGridCellDateTime::Class))
        static_cast<CGridCellDateTime*>(cell)->TakeEditedTime(time);
}

LRESULT CInPlaceDateTime::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYUP && EndByKey(static_cast<UINT>(wParam)))
        return 0;
    return CInPlaceEditor::WindowProc(message, wParam, lParam);
}
