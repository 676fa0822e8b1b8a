#include "Window.h"

#include "App.h"
#include "Guard.h"

#include <string>

namespace fw {

namespace {
constexpr wchar_t kObjectProperty[] = L"fw.WindowImpl";
}

const RuntimeClass WindowImpl::Class = RuntimeClass::Abstract("WindowImpl", &Object::Class);

WString Window::GetText() const
{
    int length = ::GetWindowTextLengthW(m_hwnd);
    if (length <= 0)
        return WString();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(m_hwnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return WString(std::move(text));
}

RECT Window::GetClientRect() const
{
    RECT rect{};
    ::GetClientRect(m_hwnd, &rect);
    return rect;
}

RECT Window::GetWindowRect() const
{
    RECT rect{};
    ::GetWindowRect(m_hwnd, &rect);
    return rect;
}

WindowImpl::~WindowImpl()
{
    // Let go first: while the object is being destroyed it hears nothing more.
    if (HWND handle = UnsubclassWindow())
        ::DestroyWindow(handle);
}

bool WindowImpl::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                          const RECT& rect, HWND parent, UINT id)
{
    HWND handle = ::CreateWindowExW(exStyle, className, title, style, rect.left, rect.top,
                                    rect.right - rect.left, rect.bottom - rect.top, parent,
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                    ThisModule(), nullptr);
    if (!handle)
        return false;
    if (!SubclassWindow(handle)) {
        ::DestroyWindow(handle);
        return false;
    }
    return true;
}

bool WindowImpl::SubclassWindow(HWND handle)
{
    if (!handle || m_previousProc || ::GetPropW(handle, kObjectProperty))
        return false;
    if (!::SetPropW(handle, kObjectProperty, this))
        return false;
    m_hwnd = handle;
    m_previousProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowImpl::StaticProc)));
    return true;
}

HWND WindowImpl::UnsubclassWindow()
{
    HWND handle = m_hwnd;
    if (handle && m_previousProc) {
        ::SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
        ::RemovePropW(handle, kObjectProperty);
    }
    m_previousProc = nullptr;
    m_hwnd = nullptr;
    return handle;
}

bool WindowImpl::DestroyWindow()
{
    return m_hwnd && ::DestroyWindow(m_hwnd);
}

WindowImpl* WindowImpl::FromHandle(HWND handle)
{
    return static_cast<WindowImpl*>(::GetPropW(handle, kObjectProperty));
}

LRESULT WindowImpl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefaultProc(message, wParam, lParam);
}

LRESULT WindowImpl::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_previousProc)
        return ::CallWindowProcW(m_previousProc, m_hwnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK WindowImpl::StaticProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowImpl* self = FromHandle(handle);
    if (!self)
        return ::DefWindowProcW(handle, message, wParam, lParam);
    LRESULT result = 0;
    const bool handled = NoThrow(false, [&] {
        result = self->WindowProc(message, wParam, lParam);
        return true;
    }, handle);
    if (!handled)
        result = self->DefaultProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The last message: let go of the window before the object hears of it, on every path.
        self->UnsubclassWindow();
        NoThrow(false, [self] {
            self->OnFinalMessage();
            return true;
        });
    }
    return result;
}

}  // namespace fw
