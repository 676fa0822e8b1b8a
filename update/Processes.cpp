#include "Processes.h"

#include <shellapi.h>

#include <cstdlib>

#include "framework/Handles.h"
#include "framework/Path.h"

namespace {

// The registry value holds at most 17 characters and its terminator.
constexpr DWORD kOsVersionBytes = 36;
constexpr float kFirstVersionWithoutClose = 5.0f;
// A terminated process is gone a moment later; the run must not meet its files still in use.
constexpr DWORD kTerminationWaitMilliseconds = 1000;

BOOL CALLBACK PostCloseToWindowOf(HWND window, LPARAM processId)
{
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(processId))
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;  // every window of the process is asked
}

}  // namespace

bool FindProcessByName(const fw::WString& path, FoundProcess& found)
{
    fw::WString lowered = path;
    lowered.MakeLower();
    fw::WString name = fw::FileNameOf(lowered);

    fw::SnapshotHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
        fw::WString exe(entry.szExeFile);
        if (exe.MakeLower() == name) {
            found.record = entry;
            found.id = entry.th32ProcessID;
            return true;
        }
    }
    return false;
}

StopResult StopProcess(DWORD processId)
{
    fw::KernelHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
    if (!process)
        return StopResult::kNotStopped;

    StopResult result;
    if (ReadOsVersion() < kFirstVersionWithoutClose) {
        ::EnumWindows(&PostCloseToWindowOf, static_cast<LPARAM>(processId));
        if (::WaitForSingleObject(process.Get(), kCloseWaitMilliseconds) == WAIT_OBJECT_0)
            result = StopResult::kClosed;
        else
            result = ::TerminateProcess(process.Get(), 0) ? StopResult::kTerminatedAfterWait : StopResult::kNotStopped;
    } else {
        result = StopResult::kTerminatedAtOnce;
    }
    // Whatever happened above, the program must not go on running.
    ::TerminateProcess(process.Get(), 0);
    ::WaitForSingleObject(process.Get(), kTerminationWaitMilliseconds);
    return result;
}

int StopProgram(const fw::WString& path, FoundProcess& found)
{
    if (!FindProcessByName(path, found))
        return 0;
    return StopProcess(found.id) == StopResult::kNotStopped ? 1 : 0;
}

float ParseOsVersion(const fw::WString& value)
{
    fw::WString text = value;
    text.Replace(L"Ver", L"");
    size_t dash = text.Find(L'-');
    fw::WString number = dash == fw::WString::kNoPosition ? fw::WString() : text.Left(dash);
    std::string ansi = number.ToAnsi();
    return static_cast<float>(std::strtod(ansi.c_str(), nullptr));
}

float ReadOsVersion()
{
    // One character more than the value may hold, all zero: whatever the query
    // leaves, the text is terminated. A value that is missing, not text or too
    // long reads as empty, which is version 0.0.
    wchar_t buffer[kOsVersionBytes / sizeof(wchar_t) + 1] = {};
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"init", 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        DWORD type = REG_NONE;
        DWORD size = kOsVersionBytes;
        LONG status = ::RegQueryValueExW(key, L"OSVersion", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        ::RegCloseKey(key);
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            buffer[0] = L'\0';
    }
    return ParseOsVersion(buffer);
}

bool StartProgram(const fw::WString& path)
{
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // No error box of the shell's own: the dialog reports a failed start.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = nullptr;
    info.lpVerb = L"open";
    info.lpFile = path.c_str();
    info.lpParameters = L"";
    info.lpDirectory = nullptr;
    info.nShow = SW_SHOW;
    bool started = ::ShellExecuteExW(&info) != FALSE;
    fw::KernelHandle process(info.hProcess);  // not needed: let go of it at once
    return started;
}
