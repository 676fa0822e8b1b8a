#include "HostProgram.h"

#include <utility>

#include "Device.h"
#include "framework/WString.h"
#include "sim/common/StandIn.h"

namespace testsupport {

namespace {

constexpr DWORD kPatience = 10000;

bool StartsWith(const std::wstring& text, const std::wstring& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

HostProgram::HostProgram(std::wstring root) : m_root(std::move(root)) {}

HostProgram::~HostProgram()
{
    m_program.Kill();
    if (m_read)
        ::CloseHandle(m_read);
}

bool HostProgram::Start(const std::wstring& arguments)
{
    WriteBytes(PathOf(kJournal), std::string());
    m_output.clear();
    if (m_read)
        ::CloseHandle(m_read);
    m_read = nullptr;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE write = nullptr;
    if (!::CreatePipe(&m_read, &write, &inherit, 1 << 16))
        return false;
    ::SetHandleInformation(m_read, HANDLE_FLAG_INHERIT, 0);
    const bool started = m_program.Start(PathOf(kProgram), L"/host " + arguments, m_root, write);
    ::CloseHandle(write);
    return started;
}

HWND HostProgram::WaitForDialog(DWORD milliseconds)
{
    HWND dialog = WaitForWindow(m_program.Id(), L"#32770", milliseconds);
    return dialog && Settle() ? dialog : nullptr;
}

bool HostProgram::Settle()
{
    // A mark posted to the host's own window is handled after everything
    // posted before it. No chain of posted messages in the file manager is
    // deeper than two (a key or the preselection, the click it posts, the
    // grid's command after that click), so the third mark comes after all.
    HWND window = WaitForWindow(m_program.Id(), sim::kStandInWindowClass, kPatience);
    for (int round = 0; window && round < 3; ++round) {
        const unsigned mark = ++m_marks;
        if (!::PostMessageW(window, sim::kMarkMessage, mark, 0))
            return false;
        const std::wstring line = L"mark " + std::to_wstring(mark);
        bool seen = false;
        for (DWORD start = ::GetTickCount(); !seen && ::GetTickCount() - start < kPatience; ::Sleep(5)) {
            for (const std::wstring& entry : AllJournalLines())
                seen = seen || entry == line;
            if (!seen && !m_program.IsRunning())
                return false;
        }
        if (!seen)
            return false;
    }
    return window != nullptr;
}

bool HostProgram::Key(UINT key)
{
    HWND dialog = WaitForWindow(m_program.Id(), L"#32770", kPatience);
    GUITHREADINFO focus{};
    focus.cbSize = sizeof focus;
    HWND target = dialog;
    if (dialog && ::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &focus) && focus.hwndFocus)
        target = focus.hwndFocus;
    if (!target || !::PostMessageW(target, WM_KEYDOWN, key, 1))
        return false;
    // A key that ends the dialog ends the host: the key up and Settle's mark may find its windows gone.
    ::PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    return Settle() || m_program.Wait(kPatience);
}

bool HostProgram::Click(HWND window, POINT point)
{
    const LPARAM at = MAKELPARAM(point.x, point.y);
    return ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at) && ::PostMessageW(window, WM_LBUTTONUP, 0, at) &&
           Settle();
}

bool HostProgram::Finish(DWORD milliseconds)
{
    if (!m_program.Wait(milliseconds))
        return false;
    // The host has ended, so all it wrote waits in the pipe. Read only that:
    // a program that Wine started on its behalf (the desktop's explorer, a
    // service) may have inherited the write end and keep the pipe open.
    char buffer[4096];
    DWORD available = 0;
    while (::PeekNamedPipe(m_read, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        DWORD read = 0;
        if (!::ReadFile(m_read, buffer, sizeof buffer < available ? sizeof buffer : available, &read, nullptr) ||
            read == 0)
            break;
        m_output.append(buffer, read);
    }
    return true;
}

std::vector<std::wstring> HostProgram::AllJournalLines() const
{
    std::string bytes;
    ReadBytes(PathOf(kJournal), bytes);
    std::vector<std::wstring> lines;
    for (size_t at = 0; at < bytes.size();) {
        size_t end = bytes.find("\r\n", at);
        end = end == std::string::npos ? bytes.size() : end;
        lines.push_back(fw::WString::FromUtf8(bytes.substr(at, end - at)).str());
        at = end + 2;
    }
    return lines;
}

std::vector<std::wstring> HostProgram::Journal(const std::wstring& prefix) const
{
    std::vector<std::wstring> lines;
    for (const std::wstring& line : AllJournalLines())
        if (StartsWith(line, prefix) && !StartsWith(line, L"start ") && !StartsWith(line, L"end ") &&
            !StartsWith(line, L"mark "))
            lines.push_back(line);
    return lines;
}

}  // namespace testsupport
