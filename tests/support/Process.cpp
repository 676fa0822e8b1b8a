#include "Process.h"

#include <tlhelp32.h>

namespace testsupport {

bool Program::Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workingDirectory,
                    HANDLE output)
{
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, output ? TRUE : FALSE, 0, nullptr,
                        workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup, &info))
        return false;
    fw::KernelHandle thread(info.hThread);
    m_process.Reset(info.hProcess);
    m_id = info.dwProcessId;
    return true;
}

bool Program::IsRunning() const
{
    return m_process && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

bool Program::Wait(DWORD milliseconds) const
{
    return m_process && WaitForSingleObject(m_process.Get(), milliseconds) == WAIT_OBJECT_0;
}

DWORD Program::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (m_process)
        GetExitCodeProcess(m_process.Get(), &code);
    return code;
}

void Program::Kill()
{
    if (IsRunning()) {
        TerminateProcess(m_process.Get(), 9);
        WaitForSingleObject(m_process.Get(), 5000);
    }
}

void PumpMessages()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

std::wstring WindowText(HWND window)
{
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

namespace {

// Enumeration callbacks need the platform's calling convention, which a
// lambda does not have on 32-bit x86.
BOOL CALLBACK TakeVisibleDialog(HWND window, LPARAM parameter)
{
    if (!::IsWindowVisible(window) || ClassName(window) != L"#32770")
        return TRUE;
    *reinterpret_cast<HWND*>(parameter) = window;
    return FALSE;
}

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisibleWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window))
        search->found.push_back(window);
    return TRUE;
}

}  // namespace

HWND VisibleDialogOfThisThread()
{
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &TakeVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<HWND> TopLevelWindows(DWORD processId)
{
    WindowSearch search{processId, {}};
    EnumWindows(&CollectVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(DWORD processId, const std::wstring& className, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        for (HWND window : TopLevelWindows(processId))
            if (ClassName(window) == className)
                return window;
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
    return nullptr;
}

bool WaitForMessageBox(DWORD processId, MessageBoxSeen& box, DWORD milliseconds)
{
    constexpr int kMessageTextId = 0xFFFF;  // the static that holds a message box's text
    DWORD start = GetTickCount();
    do {
        for (HWND window : TopLevelWindows(processId)) {
            HWND text = GetDlgItem(window, kMessageTextId);
            if (ClassName(window) == L"#32770" && text) {
                box.window = window;
                box.title = WindowText(window);
                box.text = WindowText(text);
                return true;
            }
        }
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
    return false;
}

void PressButton(HWND dialog, int buttonId)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

std::vector<DWORD> ProcessIdsNamed(const std::wstring& exeName)
{
    std::vector<DWORD> ids;
    fw::KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
        if (_wcsicmp(entry.szExeFile, exeName.c_str()) == 0)
            ids.push_back(entry.th32ProcessID);
    return ids;
}

void KillProgramsNamed(const std::wstring& exeName)
{
    for (DWORD id : ProcessIdsNamed(exeName)) {
        fw::KernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
        if (!process)
            continue;
        TerminateProcess(process.Get(), 9);
        WaitForSingleObject(process.Get(), 5000);
    }
}

}  // namespace testsupport
