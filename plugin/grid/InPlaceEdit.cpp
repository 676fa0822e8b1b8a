#include "InPlaceEdit.h"

#include <algorithm>
#include <new>

#include "framework/Gdi.h"

CInPlaceEdit::CInPlaceEdit(int row, int col, const wchar_t* text, UINT ch)
    : m_row(row), m_col(col), m_initialText(text), m_arrowsEnd(ch != VK_LBUTTON)
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

    const int end = ::GetWindowTextLengthW(window);
    switch (ch) {
    case VK_LBUTTON:
    case VK_RETURN:
        ::SendMessageW(window, EM_SETSEL, end, end);
        break;
    case VK_BACK:
        ::SendMessageW(window, EM_SETSEL, end, end);
        ::SendMessageW(window, WM_CHAR, ch, 0);
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
        ::SendMessageW(window, EM_SETSEL, 0, -1);
        break;
    default:
        // The typed character replaces the text.
        ::SendMessageW(window, EM_SETSEL, 0, -1);
        ::SendMessageW(window, ch > 127 ? WM_IME_CHAR : WM_CHAR, ch, 0);
        break;
    }
    return ::IsWindow(window) ? window : nullptr;
}

void CInPlaceEdit::FocusGrid()
{
    ::SetFocus(::GetParent(m_hwnd));
}

void CInPlaceEdit::EndEdit()
{
    if (m_ending)
        return;
    m_ending = true;
    HWND grid = ::GetParent(m_hwnd);
    GridDisplayInfo info{};
    info.hdr.hwndFrom = m_hwnd;
    info.hdr.idFrom = static_cast<UINT_PTR>(GetId());
    info.hdr.code = static_cast<UINT>(LVN_ENDLABELEDITW);
    info.row = m_row;
    info.column = m_col;
    info.mask = LVIF_TEXT | LVIF_PARAM;
    info.text = GetText();
    info.data = static_cast<LPARAM>(m_lastKey);
    HWND self = m_hwnd;
    ::SendMessageW(grid, WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
    if (::IsWindow(self))
        ::PostMessageW(self, WM_CLOSE, 0, 0);
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
    case WM_KILLFOCUS: {
        LRESULT result = DefaultProc(message, wParam, lParam);
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
        switch (wParam) {
        case VK_PRIOR:
        case VK_NEXT:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            if (m_arrowsEnd || ::GetKeyState(VK_CONTROL) < 0) {
                m_lastKey = static_cast<UINT>(wParam);
                FocusGrid();
                return 0;
            }
            break;
        default:
            break;
        }
        break;
    case WM_CHAR:
        switch (wParam) {
        case VK_ESCAPE:
            SetText(m_initialText);
            m_lastKey = static_cast<UINT>(wParam);
            FocusGrid();
            return 0;
        case VK_TAB:
        case VK_RETURN:
            m_lastKey = static_cast<UINT>(wParam);
            FocusGrid();
            return 0;
        default: {
            LRESULT result = DefaultProc(message, wParam, lParam);
            FitText();
            return result;
        }
        }
    default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
}
