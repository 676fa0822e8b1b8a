#pragma once
// The application object: one per program (or plug-in), created as a global.
// The program's entry point runs its start-up step and, when that asks for
// it, a message loop.

#include <windows.h>

#include <exception>

#include "Window.h"
#include "WString.h"

namespace fw {

class App {
public:
    explicit App(const wchar_t* name);
    virtual ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // The one application object of this module, or null.
    static App* Current();

    const WString& Name() const { return m_name; }
    HINSTANCE Instance() const { return m_instance; }
    // The window whose end ends the program (the framework does not own it).
    Window* MainWindow() const { return m_mainWindow; }
    void SetMainWindow(Window* window) { m_mainWindow = window; }

    // Instance start-up. True when a message loop is to follow.
    virtual bool InitInstance() { return true; }
    virtual int ExitInstance() { return 0; }
    // Seen by every modal loop before the message is dispatched; true = eaten.
    virtual bool PreTranslateMessage(MSG* message);

    // Start-up, the loop when asked for, then exit. The process exit code.
    int Run(HINSTANCE instance);

private:
    WString m_name;
    HINSTANCE m_instance = nullptr;
    Window* m_mainWindow = nullptr;
};

// Message boxes carry the program's name as their title and belong to the
// main window when there is one (null owner). They go through a
// replaceable function so that tests can answer them; null restores the
// platform's own box. Returns the previous function.
using MessageBoxFunction = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function);
int ShowMessage(const WString& text, UINT type = MB_OK, HWND owner = nullptr);
// Shows the user a failure that was caught as an exception, as a message box
// ("Out of memory." for a failed allocation, else the exception's own text).
void ReportException(const std::exception& error, HWND owner = nullptr) noexcept;

// The module that holds this code: the program, or the plug-in DLL that links the framework.
HMODULE ThisModule();
// Full path of a module's file (null: the program's).
WString ModuleFileName(HMODULE module = nullptr);
// Folder part of that path, up to and including the last "\".
WString ModuleFolder(HMODULE module = nullptr);

}  // namespace fw
