#include "App.h"

#include <new>

namespace fw {

namespace {
App* g_app = nullptr;
MessageBoxFunction g_messageBox = nullptr;

int PlatformMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    return ::MessageBoxW(owner, text, caption, type);
}
}  // namespace

App::App(const wchar_t* name) : m_name(name)
{
    g_app = this;
}

App::~App()
{
    if (g_app == this)
        g_app = nullptr;
}

App* App::Current()
{
    return g_app;
}

bool App::PreTranslateMessage(MSG*)
{
    return false;
}

int App::Run()
{
    ModuleScope module;
    if (InitInstance()) {
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (PreTranslateMessage(&message))
                continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return ExitInstance();
}

bool App::StartLibrary()
{
    if (m_library == LibraryState::kNotStarted)
        m_library = InitInstance() ? LibraryState::kStarted : LibraryState::kRefused;
    return m_library == LibraryState::kStarted;
}

void App::EndLibrary()
{
    if (m_library == LibraryState::kStarted)
        ExitInstance();
    m_library = LibraryState::kEnded;
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function)
{
    MessageBoxFunction previous = g_messageBox;
    g_messageBox = function;
    return previous;
}

int ShowMessage(const WString& text, UINT type, HWND owner)
{
    App* app = App::Current();
    // Like the program's other windows, the main window waits while a box is open.
    if (!owner && app && app->MainWindow() && app->MainWindow()->IsWindow())
        owner = app->MainWindow()->Handle();
    WString title = app ? app->Name() : WString();
    MessageBoxFunction show = g_messageBox ? g_messageBox : PlatformMessageBox;
    return show(owner, text.c_str(), title.c_str(), type);
}

void ReportException(const std::exception& error, HWND owner) noexcept
{
    // Reporting must not fail in turn: without memory for the box there is no box.
    try {
        if (dynamic_cast<const std::bad_alloc*>(&error))
            ShowMessage(L"Out of memory.", MB_OK | MB_ICONSTOP, owner);
        else
            ShowMessage(WString::FromAnsi(error.what()), MB_OK | MB_ICONSTOP, owner);
    } catch (...) {
    }
}

void ReportUnknownException(HWND owner) noexcept
{
    try {
        ShowMessage(L"Unexpected failure.", MB_OK | MB_ICONSTOP, owner);
    } catch (...) {
    }
}

}  // namespace fw
