#pragma once
// Window wrappers. `Window` is a copyable view of a handle it does not own.
//
// The window-object model, one for every window whose messages reach C++
// (controls, editors, the stand-ins' windows and dialogs alike):
// - A `WindowImpl` object is attached to one window at a time, one it made
//   (CreateEx) or an existing one it takes over (SubclassWindow: a template
//   control, or a dialog at its WM_INITDIALOG). FromHandle finds the object
//   from its window, through a window property.
// - The object owns the window: when the window is destroyed the object lets
//   go of it (OnFinalMessage follows, where it may delete itself); when the
//   object goes first, it lets go of the window and destroys it.
// - Every message goes to the virtual WindowProc; what it leaves, and what a
//   handler that failed leaves, goes on to the window's own procedure.

#include <windows.h>

#include "RuntimeClass.h"
#include "WString.h"

namespace fw {

class Window {
public:
    Window() = default;
    explicit Window(HWND handle) : m_hwnd(handle) {}

    HWND Handle() const { return m_hwnd; }
    bool IsWindow() const { return m_hwnd && ::IsWindow(m_hwnd); }
    void Attach(HWND handle) { m_hwnd = handle; }

    WString GetText() const;
    void SetText(const WString& text) const { ::SetWindowTextW(m_hwnd, text.c_str()); }
    Window GetItem(int id) const { return Window(::GetDlgItem(m_hwnd, id)); }
    int GetId() const { return ::GetDlgCtrlID(m_hwnd); }
    Window GetParent() const { return Window(::GetParent(m_hwnd)); }

    void Enable(bool enable) const { ::EnableWindow(m_hwnd, enable); }
    bool IsEnabled() const { return ::IsWindowEnabled(m_hwnd) != FALSE; }
    void Show(int command) const { ::ShowWindow(m_hwnd, command); }
    bool IsVisible() const { return ::IsWindowVisible(m_hwnd) != FALSE; }
    LONG_PTR GetStyle() const { return ::GetWindowLongPtrW(m_hwnd, GWL_STYLE); }

    RECT GetClientRect() const;
    RECT GetWindowRect() const;
    void Invalidate(const RECT* area = nullptr, bool erase = false) const { ::InvalidateRect(m_hwnd, area, erase); }
    void Update() const { ::UpdateWindow(m_hwnd); }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hwnd, message, wParam, lParam);
    }
    bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(m_hwnd, message, wParam, lParam) != FALSE;
    }

protected:
    HWND m_hwnd = nullptr;
};

// A window object has run-time class information, so that code which is
// handed a window (possibly another module's object of the same design) can
// tell by FromHandle and the class names what kind of object it is.
class WindowImpl : public Window, public Object {
    FW_RUNTIME_CLASS()
public:
    WindowImpl() = default;
    ~WindowImpl() override;
    WindowImpl(const WindowImpl&) = delete;
    WindowImpl& operator=(const WindowImpl&) = delete;
    // A window object is attached only as below, never as a plain view.
    void Attach(HWND) = delete;

    // Creates a window of a registered class and routes its messages here.
    bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                  const RECT& rect, HWND parent, UINT id);
    // Takes over an existing window (for example a control of a dialog template).
    bool SubclassWindow(HWND handle);
    HWND UnsubclassWindow();
    bool DestroyWindow();

    // The object that handles a window's messages, or null.
    static WindowImpl* FromHandle(HWND handle);

protected:
    // Every message of the window. The default passes it on to the window's own procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the last message of the window; the object may delete itself here.
    virtual void OnFinalMessage() {}

private:
    static LRESULT CALLBACK StaticProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
    WNDPROC m_previousProc = nullptr;
};

}  // namespace fw
