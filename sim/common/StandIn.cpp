#include "StandIn.h"

#include <string>

#include "framework/Gdi.h"
#include "framework/Handles.h"

namespace sim {

namespace {

constexpr wchar_t kIgnoreCloseSwitch[] = L"/ignore-close";

fw::WString CurrentDirectory()
{
    wchar_t buffer[MAX_PATH] = {};
    DWORD length = ::GetCurrentDirectoryW(MAX_PATH, buffer);
    return length > 0 && length < MAX_PATH ? fw::WString(buffer, length) : fw::WString();
}

// The arguments after the program's own name on the command line.
fw::WString Arguments()
{
    const wchar_t* line = ::GetCommandLineW();
    bool quoted = false;
    for (; *line; ++line) {
        if (*line == L'"')
            quoted = !quoted;
        else if (!quoted && (*line == L' ' || *line == L'\t'))
            break;
    }
    while (*line == L' ' || *line == L'\t')
        ++line;
    return fw::WString(line);
}

}  // namespace

LRESULT StandInWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        if (m_app.IgnoresClose()) {
            m_app.Note(L"close ignored");
            return 0;
        }
        m_app.Note(L"close");
        DestroyWindow();
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    case kMarkMessage:
        m_app.Write(fw::WString::Format(L"mark %u", static_cast<unsigned>(wParam)));
        return 0;
    default:
        return DefaultProc(message, wParam, lParam);
    }
}

void StandInWindow::Paint()
{
    fw::PaintDC dc(m_hwnd);
    RECT client = GetClientRect();
    fw::WString text = m_app.Name() + L" (stand-in)";
    ::DrawTextW(dc.Get(), text.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

StandInApp::StandInApp(const wchar_t* name, const RECT& place) : fw::App(name), m_place(place), m_window(*this) {}

fw::WString StandInApp::FileBeside(const wchar_t* suffix) const
{
    return fw::ModuleFolder() + Name() + suffix;
}

void StandInApp::Note(const fw::WString& event) const
{
    Write(fw::WString::Format(L"%ls pid=%lu", event.c_str(), ::GetCurrentProcessId()));
}

void StandInApp::Write(const fw::WString& line) const
{
    std::string bytes = (line + L"\r\n").ToUtf8();
    fw::KernelHandle journal(::CreateFileW(FileBeside(L".log").c_str(), FILE_APPEND_DATA,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!journal)
        return;
    DWORD written = 0;
    ::WriteFile(journal.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool StandInApp::InitInstance()
{
    fw::WString arguments = Arguments();
    m_ignoreClose = arguments.Find(fw::WString(kIgnoreCloseSwitch)) != fw::WString::kNoPosition ||
                    ::GetFileAttributesW(FileBeside(L".ignore-close").c_str()) != INVALID_FILE_ATTRIBUTES;
    Note(fw::WString::Format(L"start cwd=%ls args=%ls ignore-close=%d", CurrentDirectory().c_str(),
                             arguments.c_str(), m_ignoreClose ? 1 : 0));

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = fw::ThisModule();
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kStandInWindowClass;
    ::RegisterClassW(&windowClass);
    if (!m_window.CreateEx(0, kStandInWindowClass, Name().c_str(), WS_POPUP | WS_BORDER | WS_VISIBLE, m_place,
                           nullptr, 0))
        return false;
    SetMainWindow(&m_window);
    return true;
}

int StandInApp::ExitInstance()
{
    Note(L"end");
    return 0;
}

}  // namespace sim
