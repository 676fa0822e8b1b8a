#include "InPlaceList.h"

#include <algorithm>
#include <exception>
#include <new>
#include <string>

#include "framework/Gdi.h"

namespace {

constexpr int kComboEditId = 1001;  // the combo box's own edit field

}  // namespace

// The combo box's edit field, taken over: the keys that end the edit go on to the list.
class CInPlaceListEdit : public fw::WindowImpl {
public:
    explicit CInPlaceListEdit(CInPlaceList& list) : m_list(list) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage() override { delete this; }

private:
    CInPlaceList& m_list;  // the field's parent: it outlives the field
};

LRESULT CInPlaceListEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        if (IsPageOrArrowKey(static_cast<UINT>(wParam)) && ::GetKeyState(VK_CONTROL) < 0)
            return m_list.Send(message, wParam, lParam);
        break;
    case WM_KEYUP:
        if (wParam == VK_TAB || wParam == VK_RETURN || wParam == VK_ESCAPE)
            return m_list.Send(message, wParam, lParam);
        break;
    case WM_CHAR:
        if (wParam == VK_TAB || wParam == VK_RETURN || wParam == VK_ESCAPE)
            return 0;  // their release ends the edit
        break;
    case WM_KILLFOCUS: {
        // The list hears of it as if it had lost the focus itself.
        LRESULT result = DefaultProc(message, wParam, lParam);
        HWND to = reinterpret_cast<HWND>(wParam);
        if (to != m_list.Handle())
            m_list.Send(WM_KILLFOCUS, wParam, 0);
        return result;
    }
    default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
}

CInPlaceList::CInPlaceList(int row, int col, const wchar_t* text, UINT ch, COLORREF textColour, COLORREF backColour)
    : CInPlaceEditor(row, col, text, ch != VK_LBUTTON), m_textColour(textColour), m_backColour(backColour)
{
}

HWND CInPlaceList::Open(HWND grid, const RECT& rect, DWORD style, UINT id, int row, int col, COLORREF textColour,
                        COLORREF backColour, const std::vector<fw::WString>& options, const wchar_t* text, UINT ch)
{
    CInPlaceList* list = nullptr;
    try {
        list = new CInPlaceList(row, col, text, ch, textColour, backColour);
        list->m_options = options;
    } catch (const std::exception&) {
        delete list;
        return nullptr;
    }
    // Room below the cell for four more rows and a bar.
    const int height = rect.bottom - rect.top + 1;
    const int below = 4 * height + ::GetSystemMetrics(SM_CYHSCROLL);
    const RECT area{rect.left, rect.top, rect.right + 1, rect.bottom + 1 + below};
    if (!list->CreateEx(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | CBS_AUTOHSCROLL | style,
                        area, grid, id)) {
        delete list;
        return nullptr;
    }
    HWND window = list->Handle();  // the list may be gone after the focus moves
    for (const fw::WString& option : list->m_options)
        list->Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(option.c_str()));
    list->Send(WM_SETFONT, static_cast<WPARAM>(::SendMessageW(grid, WM_GETFONT, 0, 0)), FALSE);
    list->Send(CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
    list->SetDroppedWidth();
    list->Send(CB_SETHORIZONTALEXTENT, 0, 0);
    const LRESULT index = list->OptionOf(list->m_initialText);
    if (index != CB_ERR)
        list->Send(CB_SETCURSEL, static_cast<WPARAM>(index));
    else
        list->SetText(list->m_initialText);
    if (list->HasEditField()) {
        HWND edit = ::GetDlgItem(window, kComboEditId);
        auto* field = new (std::nothrow) CInPlaceListEdit(*list);
        if (field && !field->SubclassWindow(edit))
            delete field;  // the field keeps its own keys
    }
    ::SetFocus(window);
    if (!::IsWindow(window))
        return nullptr;
    // Dropping down selects the field's text: the starting character comes after.
    ::SendMessageW(window, CB_SHOWDROPDOWN, TRUE, 0);
    if (::IsWindow(window) && list->HasEditField()) {
        // The drop-down selects an option that the text begins with, in any case, and would
        // write it into the field when it closes: none is chosen unless written so.
        if (index == CB_ERR && list->Send(CB_GETCURSEL) != CB_ERR) {
            list->Send(CB_SETCURSEL, static_cast<WPARAM>(-1));
            list->SetText(list->m_initialText);
        }
        StartEditField(::GetDlgItem(window, kComboEditId), ch);
    }
    return ::IsWindow(window) ? window : nullptr;
}

bool CInPlaceList::HasEditField() const
{
    return (GetStyle() & 0x3) != CBS_DROPDOWNLIST;
}

void CInPlaceList::SetDroppedWidth()
{
    fw::ClientDC dc(m_hwnd);
    if (!dc.Get())
        return;
    fw::SelectGuard font(dc.Get(), reinterpret_cast<HGDIOBJ>(Send(WM_GETFONT)));
    int widest = 0;
    for (const fw::WString& option : m_options) {
        SIZE size{};
        ::GetTextExtentPoint32W(dc.Get(), option.c_str(), static_cast<int>(option.Length()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    SIZE digit{};
    ::GetTextExtentPoint32W(dc.Get(), L"0", 1, &digit);
    const int width = widest + ::GetSystemMetrics(SM_CXVSCROLL) + digit.cx;
    Send(CB_SETDROPPEDWIDTH, static_cast<WPARAM>(std::min(width, kMaxDroppedWidth)));
}

LRESULT CInPlaceList::OptionOf(const fw::WString& text) const
{
    // The list's own search ignores case: "APPLE" would become "apple".
    const LRESULT count = Send(CB_GETCOUNT);
    for (LRESULT index = 0; index < count; ++index) {
        const LRESULT length = Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
        if (length != static_cast<LRESULT>(text.Length()))
            continue;
        std::wstring option(static_cast<size_t>(length) + 1, L'\0');
        Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&option[0]));
        if (option.compare(0, static_cast<size_t>(length), text.str()) == 0)
            return index;
    }
    return CB_ERR;
}

void CInPlaceList::RestoreInitialText()
{
    if (HasEditField()) {
        SetText(m_initialText);
        return;
    }
    Send(CB_SETCURSEL, static_cast<WPARAM>(OptionOf(m_initialText)));  // or none
}

fw::WString CInPlaceList::EndText() const
{
    // A list without edit field and no option chosen leaves the text as it was.
    if (!HasEditField() && Send(CB_GETCURSEL) == CB_ERR)
        return m_initialText;
    return CInPlaceEditor::EndText();
}

bool CInPlaceList::StaysOpen() const
{
    return Send(CB_GETDROPPEDSTATE) != FALSE;
}

LRESULT CInPlaceList::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYUP:
        if (EndByKey(static_cast<UINT>(wParam)))
            return 0;
        break;
    case kGridReflectedCommand:
        if (HIWORD(wParam) == CBN_DROPDOWN)
            SetDroppedWidth();
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
        // The list shows the cell's colours.
        LRESULT brush = DefaultProc(message, wParam, lParam);
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, m_textColour);
        ::SetBkColor(dc, m_backColour);
        if (!m_backBrush)
            m_backBrush.Reset(::CreateSolidBrush(m_backColour));
        return m_backBrush ? reinterpret_cast<LRESULT>(m_backBrush.Get()) : brush;
    }
    default:
        break;
    }
    return CInPlaceEditor::WindowProc(message, wParam, lParam);
}
