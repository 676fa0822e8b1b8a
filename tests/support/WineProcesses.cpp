#include "WineProcesses.h"

#include <windows.h>

#include "Device.h"
#include "framework/App.h"
#include "framework/Handles.h"
#include "framework/Path.h"
#include "framework/WString.h"

namespace testsupport {

namespace {

// A shell command that prints the Linux ids of this prefix's Wine processes
// whose command line holds the text (the shell itself has it too, but runs no Wine).
std::wstring WineProcessIds(const std::wstring& text)
{
    wchar_t prefix[1024] = L"";
    GetEnvironmentVariableW(L"WINEPREFIX", prefix, 1024);
    return L"for p in $(pgrep -f " + ShellQuote(text) + L"); do case $(readlink /proc/$p/exe) in *wine*) "
           L"grep -qzx " + ShellQuote(std::wstring(L"WINEPREFIX=") + prefix) + L" /proc/$p/environ && echo $p;; "
           L"esac; done";
}

// strace writes other bytes as octal escapes (\347\241\254).
std::wstring Unescaped(const std::string& text)
{
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '3') {
            bytes += static_cast<char>(((text[i + 1] - '0') << 6) | ((text[i + 2] - '0') << 3) | (text[i + 3] - '0'));
            i += 3;
        } else {
            bytes += text[i];
        }
    }
    return fw::WString::FromUtf8(bytes).str();
}

}  // namespace

bool KillWineProcess(const std::wstring& program)
{
    return RunUnix(L"p=$(" + WineProcessIds(program) + L"); [ -n \"$p\" ] && kill -9 $p") == 0;
}

SyncTrace::SyncTrace()
{
    static unsigned counter = 0;
    const std::wstring name = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
    m_output = UnixScratchRoot() + L"/strace-" + name + L".txt";
    m_pidFile = UnixScratchRoot() + L"/strace-" + name + L".pid";
    m_sentinel = UnixScratchRoot() + L"/strace-" + name + L".sentinel";
    const std::wstring self = fw::FileNameOf(fw::ModuleFileName()).str();
    const int status = RunUnix(L"command -v strace || exit 3; p=$(" + WineProcessIds(self) +
                               L"); [ -n \"$p\" ] || exit 4; rm -f " + ShellQuote(m_output) +
                               L"; strace -f -y -qq -e trace=fsync,fdatasync -e signal=none -o " +
                               ShellQuote(m_output) + L" -p $p & echo $! > " + ShellQuote(m_pidFile));
    if (status != 0) {
        m_why = status == 3 ? L"strace is not installed" : L"this test's Wine process was not found";
        return;
    }
    // Attached once a flush of our own shows.
    fw::KernelHandle sentinel(CreateFileW(WinePathOfUnix(m_sentinel).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    for (int tries = 0; tries < 500 && !m_attached; ++tries) {
        FlushFileBuffers(sentinel.Get());
        m_attached = FileBytes(WinePathOfUnix(m_output)).find("strace-" + fw::WString(name).ToUtf8() + ".sentinel") !=
                     std::string::npos;
        if (!m_attached)
            Sleep(20);
    }
    if (!m_attached)
        m_why = L"strace could not attach to this process (ptrace not permitted?)";
}

SyncTrace::~SyncTrace()
{
    Stop();
}

std::map<std::wstring, int> SyncTrace::Stop()
{
    std::map<std::wstring, int> files;
    if (m_pidFile.empty())
        return files;
    const std::wstring pid = L"$(cat " + ShellQuote(m_pidFile) + L")";
    RunUnix(L"kill -INT " + pid + L"; while kill -0 " + pid + L" 2>/dev/null; do sleep 0.01; done; rm -f " +
            ShellQuote(m_pidFile) + L" " + ShellQuote(m_sentinel));
    m_pidFile.clear();
    // Lines such as "4711  fsync(14</path/to/file>) = 0" (or "... <unfinished ...>").
    const std::string trace = FileBytes(WinePathOfUnix(m_output));
    DeleteFileW(WinePathOfUnix(m_output).c_str());
    for (size_t at = 0, end; at < trace.size(); at = end + 1) {
        end = trace.find('\n', at);
        if (end == std::string::npos)
            end = trace.size();
        const std::string line = trace.substr(at, end - at);
        const size_t call = line.find("sync(");
        const size_t open = call == std::string::npos ? call : line.find('<', call);
        const size_t close = open == std::string::npos ? open : line.find('>', open);
        if (close == std::string::npos)
            continue;
        const std::wstring path = Unescaped(line.substr(open + 1, close - open - 1));
        if (path != m_sentinel)
            ++files[path];
    }
    return files;
}

}  // namespace testsupport
