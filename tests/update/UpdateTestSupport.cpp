#include "UpdateTestSupport.h"

#include "UpdateRun.h"
#include "framework/App.h"
#include "support/Process.h"

namespace updatetest {

namespace {

constexpr wchar_t kInitKey[] = L"init";
constexpr wchar_t kOsVersion[] = L"OSVersion";

}  // namespace

std::wstring BuiltProgram(const std::wstring& name)
{
    return fw::ModuleFolder().str() + name;
}

bool InstallStandIns(const testsupport::Device& device, const std::wstring& folder)
{
    std::string main = testsupport::FileBytes(BuiltProgram(L"Q9Main.exe"));
    std::string battery = testsupport::FileBytes(BuiltProgram(L"Battery.exe"));
    return !main.empty() && !battery.empty() && device.WriteFile(folder + L"Q9Main.exe", main) &&
           device.WriteFile(folder + L"battery\\Battery.exe", battery);
}

void KillStandIns()
{
    testsupport::KillProgramsNamed(L"Q9Main.exe");
    testsupport::KillProgramsNamed(L"Battery.exe");
}

std::string JournalText(const testsupport::Device& device, const std::wstring& journal)
{
    return testsupport::FileBytes(device.Path(journal));
}

std::vector<std::string> JournalEvents(const testsupport::Device& device, const std::wstring& journal)
{
    return testsupport::JournalEvents(JournalText(device, journal));
}

bool WriteFiles(const testsupport::Device& device, const std::wstring& folder,
                const std::map<std::wstring, std::string>& files)
{
    for (const auto& file : files)
        if (!device.WriteFile(folder + file.first, file.second))
            return false;
    return true;
}

std::vector<std::wstring> LogLines(const std::wstring& path)
{
    const std::string bytes = testsupport::FileBytes(path);
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    std::vector<std::wstring> lines;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find(L"\r\n", at);
        lines.push_back(end == std::wstring::npos ? text.substr(at) + L"<cut>" : text.substr(at, end - at));
        at = end == std::wstring::npos ? text.size() : end + 2;
    }
    if (bytes.size() % sizeof(wchar_t) != 0)
        lines.push_back(L"<cut>");
    return lines;
}

std::map<std::wstring, std::string> FilesBelow(const testsupport::Device& device, const std::wstring& folder)
{
    return testsupport::FilesBelow(device.Path(folder));
}

std::vector<std::wstring> FoldersBelow(const testsupport::Device& device, const std::wstring& folder)
{
    std::vector<std::wstring> files;
    std::vector<std::wstring> folders;
    testsupport::ListTree(device.Path(folder), files, folders);
    return folders;
}

ProgressRecorder::ProgressRecorder()
    : m_window(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr))
{
}

ProgressRecorder::~ProgressRecorder()
{
    if (m_window)
        DestroyWindow(m_window);
}

std::vector<std::pair<long long, long long>> ProgressRecorder::Drain()
{
    std::vector<std::pair<long long, long long>> messages;
    MSG message;
    while (PeekMessageW(&message, m_window, WM_UPDATE_PROGRESS, WM_UPDATE_PROGRESS, PM_REMOVE))
        messages.emplace_back(static_cast<long long>(message.wParam), static_cast<long long>(message.lParam));
    return messages;
}

OsVersionValue::OsVersionValue(const wchar_t* text, DWORD type)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kInitKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    DWORD size = 0;
    if (RegQueryValueExW(key, kOsVersion, nullptr, &m_type, nullptr, &size) == ERROR_SUCCESS) {
        m_previous.resize(size);
        m_hadValue = RegQueryValueExW(key, kOsVersion, nullptr, &m_type, m_previous.data(), &size) == ERROR_SUCCESS;
    }
    if (text)
        RegSetValueExW(key, kOsVersion, 0, type, reinterpret_cast<const BYTE*>(text),
                       static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    else
        RegDeleteValueW(key, kOsVersion);
    RegCloseKey(key);
}

OsVersionValue::~OsVersionValue()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInitKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    if (m_hadValue)
        RegSetValueExW(key, kOsVersion, 0, m_type, m_previous.data(), static_cast<DWORD>(m_previous.size()));
    else
        RegDeleteValueW(key, kOsVersion);
    RegCloseKey(key);
}

bool GuardedProgram::Start(const std::wstring& exe, const std::wstring& workingDirectory)
{
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    ACL empty;  // a list that grants nothing
    InitializeAcl(&empty, sizeof empty, ACL_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, &empty, FALSE);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), &commandLine[0], &attributes, nullptr, FALSE, 0, nullptr,
                        workingDirectory.c_str(), &startup, &info))
        return false;
    fw::KernelHandle thread(info.hThread);
    m_process.Reset(info.hProcess);  // our handle was granted everything at creation
    m_id = info.dwProcessId;
    return true;
}

void GuardedProgram::Kill()
{
    if (!m_process)
        return;
    TerminateProcess(m_process.Get(), 9);
    WaitForSingleObject(m_process.Get(), 5000);
    m_process.Reset();
}

}  // namespace updatetest
