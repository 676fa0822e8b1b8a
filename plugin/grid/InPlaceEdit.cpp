#include "InPlaceEdit.h"

#include <algorithm>
#include <new>

#include "framework/Gdi.h"

CInPlaceEditor::CInPlaceEditor(int row, int col, const wchar_t* text, bool arrowsEnd)
    : m_row(row), m_col(col), m_initialText(text), m_arrowsEnd(arrowsEnd)
{
}

void CInPlaceEditor::EndEdit()
{
    if (m_ending)
        return;
    m_ending = true;
    BeforeEnd();
    GridDisplayInfo info{};
    info.row = m_row;
    info.column = m_col;
    info.mask = LVIF_TEXT | LVIF_PARAM;
    info.text = EndText();
    info.data = static_cast<LPARAM>(m_lastKey);
    HWND self = m_hwnd;
    SendGridNotify(Grid(), self, info.hdr, LVN_ENDLABELEDITW);
    if (::IsWindow(self))
        ::PostMessageW(self, WM_CLOSE, 0, 0);
}

void CInPlaceEditor::EndWithKey(UINT key)
{
    m_lastKey = key;
    ::SetFocus(Grid());
}

bool IsPageOrArrowKey(UINT key)
{
    return key == VK_PRIOR || key == VK_NEXT || (key >= VK_LEFT && key <= VK_DOWN);
}

bool CInPlaceEditor::IsEndingKey(UINT key) const
{
    return IsPageOrArrowKey(key) && (m_arrowsEnd || ::GetKeyState(VK_CONTROL) < 0);
}

bool CInPlaceEditor::EndByKey(UINT key)
{
    if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE)
        return false;
    if (key == VK_ESCAPE)
        RestoreInitialText();
    EndWithKey(key);
    return true;
}

LRESULT CInPlaceEditor::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KILLFOCUS: {
        LRESULT result = DefaultProc(message, wParam, lParam);
        HWND to = reinterpret_cast<HWND>(wParam);
        if (to != m_hwnd && !(to && ::IsChild(m_hwnd, to)) && !StaysOpen())
            EndEdit();
        return result;
    }
    case WM_CLOSE:
        EndEdit();
        DestroyWindow();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        if (IsEndingKey(static_cast<UINT>(wParam))) {
            EndWithKey(static_cast<UINT>(wParam));
            return 0;
        }
        break;
    default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
}

void StartEditField(HWND edit, UINT ch)
{
    const int end = ::GetWindowTextLengthW(edit);
    switch (ch) {
    case VK_LBUTTON:
    case VK_RETURN:
        ::SendMessageW(edit, EM_SETSEL, end, end);
        break;
    case VK_BACK:
        ::SendMessageW(edit, EM_SETSEL, end, end);
        ::SendMessageW(edit, WM_CHAR, ch, 0);
        break;
    case VK_TAB:
    case VK_SPACE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        break;
    default:
        // The typed character replaces the text.
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        ::SendMessageW(edit, ch > 127 ? WM_IME_CHAR : WM_CHAR, ch, 0);
        break;
    }
}

CInPlaceEdit::CInPlaceEdit(int row, int col, const wchar_t* text, UINT ch)
    : CInPlaceEditor(row, col, text, ch != VK_LBUTTON)
{
}

HWND CInPlaceEdit::Open(HWND grid, const RECT& rect, DWORD style, UINT id, int row, int col, const wchar_t* text,
                        UINT ch)
{
    auto* editor = new (std::nothrow) CInPlaceEdit(row, col, text, ch);
    if (!editor)
        return nullptr;
    editor->m_rect = RECT{rect.left, rect.top, rect.right + 1, rect.bottom + 1};
    RECT client{};
    ::GetClientRect(grid, &client);
    editor->m_maxRight = client.right;
    if (!editor->CreateEx(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | style,
                          editor->m_rect, grid, id)) {
        delete editor;
        return nullptr;
    }
    HWND window = editor->Handle();  // the editor may be gone after the focus moves
    editor->Send(WM_SETFONT, static_cast<WPARAM>(::SendMessageW(grid, WM_GETFONT, 0, 0)), FALSE);
    editor->SetText(editor->m_initialText);
    ::SetFocus(window);
    if (!::IsWindow(window))
        return nullptr;
    StartEditField(window, ch);
    return ::IsWindow(window) ? window : nullptr;
}

void CInPlaceEdit::FitText()
{
    fw::WString text = GetText() + L"  ";
    fw::ClientDC dc(m_hwnd);
    if (!dc.Get())
        return;
    fw::SelectGuard font(dc.Get(), reinterpret_cast<HGDIOBJ>(Send(WM_GETFONT)));
    SIZE size{};
    ::GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.Length()), &size);
    RECT client = GetClientRect();
    if (size.cx <= client.right)
        return;
    const int border = (m_rect.right - m_rect.left) - client.right;
    const int right = std::min(static_cast<int>(m_rect.left + size.cx + border), m_maxRight);
    if (right > m_rect.right) {
        m_rect.right = right;
        ::SetWindowPos(m_hwnd, nullptr, 0, 0, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top,
                       SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
}

LRESULT CInPlaceEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CHAR: {
        if (EndByKey(static_cast<UINT>(wParam)))
            return 0;
        LRESULT result = DefaultProc(message, wParam, lParam);
        FitText();
        return result;
    }
    default:
        break;
    }
    return CInPlaceEditor::WindowProc(message, wParam, lParam);
}
