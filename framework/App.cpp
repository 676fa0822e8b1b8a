#include "App.h"

#include <new>

#include "Path.h"

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
    if (m_library == LibraryState::NotStarted)
        m_library = InitInstance() ? LibraryState::Started : LibraryState::Refused;
    return m_library == LibraryState::Started;
}

void App::EndLibrary()
{
    if (m_library == LibraryState::Started)
        ExitInstance();
    m_library = LibraryState::Ended;
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

WString ModuleFileName(HMODULE module)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return WString();
        if (length < path.size()) {
            path.resize(length);
            return WString(std::move(path));
        }
        path.resize(path.size() * 2);  // truncated: try again with room for a long path
    }
}

WString ModuleFolder(HMODULE module)
{
    return FolderOf(ModuleFileName(module));
}

}  // namespace fw
