#include "Window.h"

#include "App.h"
#include "Guard.h"
#include "Lock.h"

#include <algorithm>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace fw {

namespace {

constexpr wchar_t kObjectProperty[] = L"fw.WindowImpl";

// The windows whose messages reach an object, beside their property: each
// message finds its object here instead of asking the window manager for the
// property, a call into the system. Never destroyed: static objects may let
// go of their windows after it would be.
class Routes {
public:
    // A handle may come again once its window has gone: it then routes to its new object.
    void Add(HWND handle, WindowImpl* object)
    {
        Locked locked(m_lock);
        auto found = Where(handle);
        if (found != m_routes.end())
            found->second = object;
        else
            m_routes.emplace_back(handle, object);
    }
    void Remove(HWND handle)
    {
        Locked locked(m_lock);
        auto found = Where(handle);
        if (found != m_routes.end())
            m_routes.erase(found);
    }
    WindowImpl* Find(HWND handle)
    {
        Locked locked(m_lock);
        auto found = Where(handle);
        return found != m_routes.end() ? found->second : nullptr;
    }

private:
    using Route = std::pair<HWND, WindowImpl*>;
    std::vector<Route>::iterator Where(HWND handle)
    {
        return std::find_if(m_routes.begin(), m_routes.end(), [handle](const Route& route) {
            return route.first == handle;
        });
    }
    CriticalSection m_lock;
    std::vector<Route> m_routes;
};

Routes& TheRoutes()
{
    alignas(Routes) static unsigned char storage[sizeof(Routes)];
    static Routes* routes = new (storage) Routes;
    return *routes;
}

}  // namespace

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
    try {
        TheRoutes().Add(handle, this);
    } catch (const std::bad_alloc&) {
        // Its messages find it through the property instead.
    }
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
        TheRoutes().Remove(handle);
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
    WindowImpl* self = TheRoutes().Find(handle);
    if (!self)
        self = FromHandle(handle);
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
