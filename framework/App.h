#pragma once
// The application object: one per program (or plug-in), created as a global.
// The program's entry point runs its start-up step and, when that asks for
// it, a message loop. A plug-in has no entry point of its own: its exports
// start the object on their first call (StartLibrary) and its unload ends it
// (EndLibrary, from the derived object's destructor).

#include <windows.h>

#include <exception>

#include "Module.h"
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
    // The window whose end ends the program (the framework does not own it).
    Window* MainWindow() const { return m_mainWindow; }
    void SetMainWindow(Window* window) { m_mainWindow = window; }

    // Instance start-up. True when a message loop is to follow.
    virtual bool InitInstance() { return true; }
    virtual int ExitInstance() { return 0; }
    // Seen by every modal loop before the message is dispatched; true = eaten.
    virtual bool PreTranslateMessage(MSG* message);

    // A program's life: start-up, the loop when asked for, then exit, all
    // inside the module's scope. The process exit code.
    int Run();

    // A plug-in's life. StartLibrary runs InitInstance on the first call of a
    // load and gives its answer then and on every later call; EndLibrary runs
    // ExitInstance once if InitInstance ran. EndLibrary is meant for the unload
    // (the derived object's destructor), so ExitInstance may only free memory there.
    bool StartLibrary();
    void EndLibrary();

private:
    WString m_name;
    Window* m_mainWindow = nullptr;
    enum class LibraryState { kNotStarted, kStarted, kRefused, kEnded };
    LibraryState m_library = LibraryState::kNotStarted;
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
// The same for something thrown that is no std::exception.
void ReportUnknownException(HWND owner = nullptr) noexcept;

}  // namespace fw
